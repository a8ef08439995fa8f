// The framework's wide string. Short texts, the common case for attribute
// names, values and control names, live in an inline buffer and never touch
// the heap; longer ones move to a heap block of their own.
#pragma once

#include <windows.h>

#include <cstdarg>

namespace SkinUI {

class CSkinString {
public:
    // The inline buffer holds 64 characters; texts of up to this many
    // characters stay in it, longer ones go to the heap.
    static constexpr int kInlineChars = 64;
    static constexpr int kMaxInlineLength = 62;

    CSkinString();
    CSkinString(WCHAR ch);
    CSkinString(LPCWSTR text, int count = -1);
    CSkinString(const CSkinString& other);
    ~CSkinString();

    // Copies count characters of text (all of it when count is negative,
    // fewer when the text ends first). A null text counts as empty. The text
    // may be this string's own characters.
    void Assign(LPCWSTR text, int count = -1);
    // Appends text, which may be this string's own characters.
    void Append(LPCWSTR text);

    const CSkinString& operator=(const CSkinString& other);
    const CSkinString& operator=(LPCWSTR text);
    const CSkinString& operator=(LPCSTR text);
    const CSkinString& operator=(WCHAR ch);
    const CSkinString& operator+=(const CSkinString& other);
    const CSkinString& operator+=(LPCWSTR text);
    const CSkinString& operator+=(LPCSTR text);
    const CSkinString& operator+=(WCHAR ch);
    CSkinString operator+(const CSkinString& other) const;
    CSkinString operator+(LPCWSTR text) const;

    bool operator==(LPCWSTR text) const { return Compare(text) == 0; }
    bool operator!=(LPCWSTR text) const { return Compare(text) != 0; }
    bool operator<(LPCWSTR text) const { return Compare(text) < 0; }
    bool operator<=(LPCWSTR text) const { return Compare(text) <= 0; }
    bool operator>(LPCWSTR text) const { return Compare(text) > 0; }
    bool operator>=(LPCWSTR text) const { return Compare(text) >= 0; }

    // Ordinal comparison of the code units; the no-case form folds both
    // sides with the C library's wide lower-case mapping first.
    int Compare(LPCWSTR text) const;
    int CompareNoCase(LPCWSTR text) const;

    int GetLength() const;
    bool IsEmpty() const { return m_pstr[0] == L'\0'; }
    void Empty();
    LPCWSTR GetData() const { return m_pstr; }
    operator LPCWSTR() const { return m_pstr; }

    // Unchecked: the caller passes an index inside the text.
    WCHAR GetAt(int index) const { return m_pstr[index]; }
    WCHAR operator[](int index) const { return m_pstr[index]; }
    void SetAt(int index, WCHAR ch) { m_pstr[index] = ch; }

    void MakeUpper();
    void MakeLower();

    CSkinString Left(int count) const;
    CSkinString Mid(int start, int count = -1) const;
    CSkinString Right(int count) const;

    int Find(LPCWSTR text, int start = 0) const;
    int Find(WCHAR ch, int start = 0) const;
    int ReverseFind(WCHAR ch) const;
    int Replace(LPCWSTR from, LPCWSTR to);

    // Formats with the Windows conventions of wide printf (%s takes a wide
    // text, %S a narrow one) and no length limit.
    int Format(LPCWSTR format, ...);
    int Format(LPCWSTR format, va_list args);
    // Formats into at most 63 characters; -1 when the output was cut. The
    // format may be this string's own text.
    int SmallFormat(LPCWSTR format, ...);

private:
    bool IsInline() const { return m_pstr == m_szBuffer; }
    // Makes room for length characters and a terminator by the storage rule
    // shared by Assign and Append; keepOld carries the current text over.
    // Returns the buffer to write into; the old heap block, if it must go,
    // is handed back in oldBlock for the caller to free after copying.
    LPWSTR Reserve(int length, bool keepOld, LPWSTR* oldBlock);

    LPWSTR m_pstr;
    WCHAR m_szBuffer[kInlineChars];
};

} // namespace SkinUI
