// Code-page conversion. UTF-8 (also the ANSI and OEM code page here) and
// 1252 are converted by the layer itself; every other code page, 936 (GBK)
// first of all, goes through iconv under its "CP<number>" name.
#include "TextCodec.h"

#include <errhandlingapi.h>
#include <stringapiset.h>
#include <winerror.h>

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

namespace {

// Bytes 0x80 to 0x9F of code page 1252; the rest is Latin-1. The five
// undefined bytes map to the C1 controls of the same value, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsUtf8(UINT codePage)
{
    return codePage == CP_UTF8 || codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
           codePage == CP_MACCP;
}

std::string IconvName(UINT codePage)
{
    return "CP" + std::to_string(codePage);
}

bool IconvKnows(UINT codePage)
{
    iconv_t converter = iconv_open("WCHAR_T", IconvName(codePage).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(converter);
    return true;
}

// Decodes through iconv. An invalid or cut sequence fails when strict, else
// becomes "?" for one byte, as Windows' tables give the code page's default
// character.
std::optional<std::wstring> IconvDecode(UINT codePage, const char* bytes, size_t length, bool strict)
{
    iconv_t converter = iconv_open("WCHAR_T", IconvName(codePage).c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::wstring out;
    wchar_t buffer[512];
    char* in = const_cast<char*>(bytes);
    size_t inLeft = length;
    while (inLeft > 0) {
        char* outPointer = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
        out.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            if (strict) {
                iconv_close(converter);
                return std::nullopt;
            }
            out += L'?';
            ++in;
            --inLeft;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(converter);
    return out;
}

// Encodes through iconv; a character the code page lacks becomes the
// default character.
std::string IconvEncode(UINT codePage, const wchar_t* text, size_t length, const std::string& defaultChar,
                        bool& usedDefault)
{
    std::string out;
    iconv_t converter = iconv_open(IconvName(codePage).c_str(), "WCHAR_T");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return out;
    char buffer[1024];
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text));
    size_t inLeft = length * sizeof(wchar_t);
    while (inLeft > 0) {
        char* outPointer = buffer;
        size_t outLeft = sizeof buffer;
        size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            out += defaultChar;
            usedDefault = true;
            in += sizeof(wchar_t);
            inLeft -= std::min(inLeft, sizeof(wchar_t));
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(converter);
    return out;
}

std::optional<std::wstring> Decode(UINT codePage, const char* bytes, size_t length, bool strict)
{
    if (IsUtf8(codePage)) {
        bool invalid = false;
        std::wstring out = win32::Utf8ToWide(std::string_view(bytes, length), &invalid);
        if (invalid && strict)
            return std::nullopt;
        return out;
    }
    if (codePage == 1252) {
        std::wstring out(length, L'\0');
        for (size_t i = 0; i < length; ++i) {
            auto byte = static_cast<unsigned char>(bytes[i]);
            out[i] = byte >= 0x80 && byte < 0xA0 ? static_cast<wchar_t>(kCp1252High[byte - 0x80]) : byte;
        }
        return out;
    }
    return IconvDecode(codePage, bytes, length, strict);
}

std::string Encode1252(const wchar_t* text, size_t length, const std::string& defaultChar, bool& usedDefault)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        wchar_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32 && found < 0; ++k)
            if (static_cast<wchar_t>(kCp1252High[k]) == c)
                found = k;
        if (found >= 0) {
            out += static_cast<char>(0x80 + found);
        } else {
            out += defaultChar;
            usedDefault = true;
        }
    }
    return out;
}

} // namespace

UINT WINAPI GetACP(void)
{
    return CP_UTF8;
}

UINT WINAPI GetOEMCP(void)
{
    return CP_UTF8;
}

BOOL WINAPI IsValidCodePage(UINT CodePage)
{
    if (CodePage == CP_UTF8 || CodePage == 1252)
        return TRUE;
    if (CodePage == CP_ACP || CodePage == CP_OEMCP || CodePage == CP_MACCP || CodePage == CP_THREAD_ACP ||
        CodePage == CP_UTF7)
        return FALSE;
    return IconvKnows(CodePage);
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar)
{
    // Pass 1: check the arguments as Windows does.
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && !lpWideCharStr) ||
        (lpWideCharStr && static_cast<const void*>(lpWideCharStr) == static_cast<const void*>(lpMultiByteStr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (CodePage == CP_UTF8 && (dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS))) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (!IsUtf8(CodePage) && CodePage != 1252 && !IconvKnows(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    // Pass 2: convert. A length of -1 takes the text with its NUL.
    size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    if (IsUtf8(CodePage)) {
        // UTF-8, the ANSI code page here, decodes straight into the caller's
        // buffer: skin files of megabytes pass through this call.
        bool invalid = false;
        size_t capacity = static_cast<size_t>(cchWideChar);
        size_t count = win32::Utf8DecodeInto(std::string_view(lpMultiByteStr, length),
                                             cchWideChar ? lpWideCharStr : nullptr, capacity, &invalid);
        if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
        if (cchWideChar != 0 && count > capacity) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return static_cast<int>(count);
    }
    auto wide = Decode(CodePage, lpMultiByteStr, length, dwFlags & MB_ERR_INVALID_CHARS);
    if (!wide) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }

    // Pass 3: answer the size or fill the buffer.
    if (cchWideChar == 0)
        return static_cast<int>(wide->size());
    if (wide->size() > static_cast<size_t>(cchWideChar)) {
        std::wmemcpy(lpWideCharStr, wide->data(), static_cast<size_t>(cchWideChar));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::wmemcpy(lpWideCharStr, wide->data(), wide->size());
    return static_cast<int>(wide->size());
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                               LPBOOL lpUsedDefaultChar)
{
    // Pass 1: check the arguments. CP_UTF8 takes no default character, as on
    // Windows; the ANSI code page (UTF-8 here) accepts one and never uses it,
    // because code written for a legacy ANSI code page passes them.
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && !lpMultiByteStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (CodePage == CP_UTF8 || CodePage == CP_UTF7) {
        if (lpDefaultChar || lpUsedDefaultChar) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        if (dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
    }
    if (!IsUtf8(CodePage) && CodePage != 1252 && !IconvKnows(CodePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    // Pass 2: convert. A length of -1 takes the text with its NUL.
    size_t length = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    std::string defaultChar = lpDefaultChar ? std::string(1, lpDefaultChar[0]) : std::string("?");
    bool usedDefault = false;
    std::string bytes;
    if (IsUtf8(CodePage)) {
        bool invalid = false;
        bytes = win32::WideToUtf8(std::wstring_view(lpWideCharStr, length), &invalid);
        if (invalid && (dwFlags & WC_ERR_INVALID_CHARS)) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return 0;
        }
    } else if (CodePage == 1252) {
        bytes = Encode1252(lpWideCharStr, length, defaultChar, usedDefault);
    } else {
        bytes = IconvEncode(CodePage, lpWideCharStr, length, defaultChar, usedDefault);
    }
    if (lpUsedDefaultChar)
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;

    // Pass 3: answer the size or fill the buffer.
    if (cbMultiByte == 0)
        return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(cbMultiByte)) {
        std::memcpy(lpMultiByteStr, bytes.data(), static_cast<size_t>(cbMultiByte));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpMultiByteStr, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}
