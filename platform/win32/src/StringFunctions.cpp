// The lstr* string helpers.
#include "TextCodec.h"

#include <winbase.h>

#include <cstring>
#include <cwchar>

namespace {

// Ignoring case first and ordering by case only between otherwise equal
// texts (lower case first) follows word order for the letters in practice.
int CompareLikeWords(const std::wstring& a, const std::wstring& b)
{
    int folded = win32::CompareIgnoringCase(a, b);
    if (folded != 0)
        return folded;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        bool aLower = win32::FoldCase(a[i]) == a[i];
        return aLower ? -1 : 1;
    }
    return 0;
}

} // namespace

int WINAPI lstrlenA(LPCSTR lpString)
{
    return lpString ? static_cast<int>(std::strlen(lpString)) : 0;
}

int WINAPI lstrlenW(LPCWSTR lpString)
{
    return lpString ? static_cast<int>(std::wcslen(lpString)) : 0;
}

LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    return std::strcpy(lpString1, lpString2);
}

LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    return std::wcscpy(lpString1, lpString2);
}

LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength)
{
    // Copies at most iMaxLength - 1 characters and always ends the text.
    if (!lpString1 || !lpString2 || iMaxLength <= 0)
        return lpString1;
    int i = 0;
    for (; i < iMaxLength - 1 && lpString2[i]; ++i)
        lpString1[i] = lpString2[i];
    lpString1[i] = '\0';
    return lpString1;
}

LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength)
{
    if (!lpString1 || !lpString2 || iMaxLength <= 0)
        return lpString1;
    int i = 0;
    for (; i < iMaxLength - 1 && lpString2[i]; ++i)
        lpString1[i] = lpString2[i];
    lpString1[i] = L'\0';
    return lpString1;
}

LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    return std::strcat(lpString1, lpString2);
}

LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2)
{
    if (!lpString1 || !lpString2)
        return nullptr;
    return std::wcscat(lpString1, lpString2);
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2)
{
    return CompareLikeWords(win32::Utf8ToWide(lpString1 ? lpString1 : ""), win32::Utf8ToWide(lpString2 ? lpString2 : ""));
}

int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2)
{
    return CompareLikeWords(lpString1 ? lpString1 : L"", lpString2 ? lpString2 : L"");
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2)
{
    return win32::CompareIgnoringCase(win32::Utf8ToWide(lpString1 ? lpString1 : ""),
                                      win32::Utf8ToWide(lpString2 ? lpString2 : ""));
}

int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2)
{
    return win32::CompareIgnoringCase(lpString1 ? lpString1 : L"", lpString2 ? lpString2 : L"");
}
