// Wide printf with the Windows conventions that framework code is written
// for: in a wide format, %s and %c take wide arguments and %S and %C narrow
// ones, and the size prefixes I64, I32 and I are understood. The C library
// here reads %s in a wide format as narrow text, so formats are rewritten to
// the explicit ISO forms (%ls, %s, %lc, %c, %ll, %z) before use.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <vector>

namespace SkinUI {

// A growable block of wide characters that holds formatted output.
class WideFormatBuffer {
public:
    LPCWSTR Data() const { return m_chars.data(); }
    std::vector<WCHAR>& Chars() { return m_chars; }

private:
    std::vector<WCHAR> m_chars;
};

// Rewrites a Windows-style wide format into the C library's conventions.
void TranslateWideFormat(LPCWSTR format, std::vector<WCHAR>* translated);

// Formats with no length limit into output (zero-terminated). Returns the
// number of characters produced, or -1 on a formatting error.
int FormatWideUnlimited(LPCWSTR format, va_list args, WideFormatBuffer* output);

// Formats into buffer (size characters, zero-terminated); output that does
// not fit is cut after size - 1 characters and -1 is returned.
int FormatWideBounded(LPCWSTR format, va_list args, LPWSTR buffer, int size);

} // namespace SkinUI
