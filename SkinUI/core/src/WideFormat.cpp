#include "SkinUI/core/src/WideFormat.h"

#include <cerrno>
#include <cwchar>

namespace SkinUI {

namespace {

// Formatted output larger than this is treated as a formatting error rather
// than an allocation that can never succeed.
constexpr size_t kMaxFormattedChars = size_t(1) << 26;

bool IsFlagOrWidth(WCHAR ch)
{
    return ch == L'-' || ch == L'+' || ch == L' ' || ch == L'#' || ch == L'0' || ch == L'*' || ch == L'.' ||
           (ch >= L'0' && ch <= L'9');
}

} // namespace

void TranslateWideFormat(LPCWSTR format, std::vector<WCHAR>* translated)
{
    std::vector<WCHAR>& out = *translated;
    out.clear();
    const WCHAR* p = format;
    while (*p) {
        if (*p != L'%') {
            out.push_back(*p++);
            continue;
        }
        out.push_back(*p++);
        if (*p == L'%') {
            out.push_back(*p++);
            continue;
        }
        // Pass: flags, width and precision are the same in both conventions.
        while (*p && IsFlagOrWidth(*p))
            out.push_back(*p++);
        // Pass: the size prefix. 'h' forces narrow text, 'l' and 'w' wide.
        enum class Width { Default, Narrow, Wide } width = Width::Default;
        if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
            out.push_back(L'l');
            out.push_back(L'l');
            p += 3;
        } else if (p[0] == L'I' && p[1] == L'3' && p[2] == L'2') {
            p += 3;
        } else if (p[0] == L'I') {
            out.push_back(L'z');
            p += 1;
        } else if (p[0] == L'h' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
            width = Width::Narrow;
            p += 1;
        } else if ((p[0] == L'l' || p[0] == L'w') &&
                   (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
            width = Width::Wide;
            p += 1;
        } else if (p[0] == L'w') {
            out.push_back(L'l');
            p += 1;
        }
        while (*p == L'h' || *p == L'l' || *p == L'L' || *p == L'j' || *p == L'z' || *p == L't' || *p == L'q')
            out.push_back(*p++);
        // Pass: the conversion. Text and character conversions get an
        // explicit width; everything else is copied as written.
        WCHAR conversion = *p;
        if (conversion == L's' || conversion == L'S' || conversion == L'c' || conversion == L'C') {
            bool upper = conversion == L'S' || conversion == L'C';
            bool wide = width == Width::Wide || (width == Width::Default && !upper);
            if (wide)
                out.push_back(L'l');
            out.push_back(upper ? static_cast<WCHAR>(conversion + (L'a' - L'A')) : conversion);
            ++p;
        } else if (conversion) {
            out.push_back(*p++);
        }
    }
    out.push_back(L'\0');
}

int FormatWideUnlimited(LPCWSTR format, va_list args, WideFormatBuffer* output)
{
    std::vector<WCHAR> translated;
    TranslateWideFormat(format, &translated);
    std::vector<WCHAR>& chars = output->Chars();
    // The C library cannot measure wide output, so the buffer grows until
    // the whole text fits.
    size_t size = 256;
    for (;;) {
        chars.assign(size, L'\0');
        va_list copy;
        va_copy(copy, args);
        errno = 0;
        int produced = vswprintf(chars.data(), size, translated.data(), copy);
        va_end(copy);
        if (produced >= 0)
            return produced;
        if (errno == EILSEQ || errno == EINVAL || size >= kMaxFormattedChars) {
            chars.assign(1, L'\0');
            return -1;
        }
        size *= 2;
    }
}

int FormatWideBounded(LPCWSTR format, va_list args, LPWSTR buffer, int size)
{
    if (size <= 0)
        return -1;
    WideFormatBuffer output;
    int produced = FormatWideUnlimited(format, args, &output);
    if (produced < 0) {
        buffer[0] = L'\0';
        return -1;
    }
    int kept = produced < size - 1 ? produced : size - 1;
    wmemcpy(buffer, output.Data(), static_cast<size_t>(kept));
    buffer[kept] = L'\0';
    return produced > kept ? -1 : produced;
}

} // namespace SkinUI
