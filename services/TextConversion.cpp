// Conversions between wide text and narrow text in a code page, through the
// platform's code-page functions.
#include "services/TextConversion.h"

#include <vector>

std::wstring AnsiToWide(const std::string& text)
{
    // Up to the first NUL, like the C string the text stands for.
    const char* narrow = text.c_str();
    int length = MultiByteToWideChar(CP_ACP, 0, narrow, -1, NULL, 0);
    if (length <= 1)
        return std::wstring();
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    if (MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide.data(), length) <= 0)
        return std::wstring();
    return std::wstring(wide.data());
}

std::string WideToAnsi(const std::wstring& text)
{
    const wchar_t* wide = text.c_str();
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL);
    if (length <= 1)
        return std::string();
    std::vector<char> narrow(static_cast<size_t>(length));
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), length, NULL, NULL) <= 0)
        return std::string();
    return std::string(narrow.data());
}

char* WideToCodePage(char* dest, const wchar_t* text, int size, UINT codePage)
{
    if (!dest || size <= 0)
        return NULL;
    dest[0] = '\0';
    if (!text)
        return NULL;
    if (WideCharToMultiByte(codePage, 0, text, -1, dest, size, NULL, NULL) <= 0) {
        dest[0] = '\0';
        return NULL;
    }
    return dest;
}
