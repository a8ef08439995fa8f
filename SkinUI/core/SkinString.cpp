// Storage of CSkinString: texts of up to 62 characters live in the inline
// buffer; longer ones in a heap block of at least length + 1 characters.
// Every operation that takes a text tolerates that text being this string's
// own characters: a heap block that is replaced is freed only after the
// copy.
#include "SkinUI/core/SkinString.h"

#include "SkinUI/core/src/WideFormat.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace SkinUI {

namespace {

LPWSTR AllocateChars(int count)
{
    auto* block = static_cast<LPWSTR>(malloc(sizeof(WCHAR) * static_cast<size_t>(count)));
    // The string does not report allocation failure; running on without
    // storage would corrupt memory, so stop here.
    if (!block)
        abort();
    return block;
}

// Counts the characters of text up to its terminator, at most count.
int BoundedLength(LPCWSTR text, int count)
{
    int n = 0;
    while (n < count && text[n] != L'\0')
        ++n;
    return n;
}

} // namespace

CSkinString::CSkinString() : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
}

CSkinString::CSkinString(WCHAR ch) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CSkinString::CSkinString(LPCWSTR text, int count) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(text, count);
}

CSkinString::CSkinString(const CSkinString& other) : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(other.m_pstr);
}

CSkinString::~CSkinString()
{
    if (!IsInline())
        free(m_pstr);
}

LPWSTR CSkinString::Reserve(int length, bool keepOld, LPWSTR* oldBlock)
{
    *oldBlock = nullptr;
    int current = GetLength();
    if (length <= kMaxInlineLength) {
        if (!IsInline()) {
            if (keepOld)
                wmemcpy(m_szBuffer, m_pstr, static_cast<size_t>(current));
            *oldBlock = m_pstr;
            m_pstr = m_szBuffer;
        }
        return m_pstr;
    }
    if (IsInline() || length > current) {
        LPWSTR block = AllocateChars(length + 1);
        if (keepOld)
            wmemcpy(block, m_pstr, static_cast<size_t>(current));
        if (!IsInline())
            *oldBlock = m_pstr;
        m_pstr = block;
    }
    return m_pstr;
}

void CSkinString::Assign(LPCWSTR text, int count)
{
    if (!text)
        text = L"";
    if (count < 0)
        count = static_cast<int>(wcslen(text));
    int copied = BoundedLength(text, count);
    LPWSTR oldBlock;
    LPWSTR dest = Reserve(count, false, &oldBlock);
    wmemmove(dest, text, static_cast<size_t>(copied));
    dest[copied] = L'\0';
    free(oldBlock);
}

void CSkinString::Append(LPCWSTR text)
{
    if (!text)
        return;
    int added = static_cast<int>(wcslen(text));
    if (added == 0)
        return;
    int length = GetLength();
    LPWSTR oldBlock;
    LPWSTR dest = Reserve(length + added, true, &oldBlock);
    wmemmove(dest + length, text, static_cast<size_t>(added));
    dest[length + added] = L'\0';
    free(oldBlock);
}

const CSkinString& CSkinString::operator=(const CSkinString& other)
{
    if (this != &other)
        Assign(other.m_pstr);
    return *this;
}

const CSkinString& CSkinString::operator=(LPCWSTR text)
{
    Assign(text);
    return *this;
}

const CSkinString& CSkinString::operator=(LPCSTR text)
{
    if (!text) {
        Empty();
        return *this;
    }
    // Measure first, then convert into a block of that size.
    int needed = MultiByteToWideChar(GetACP(), 0, text, -1, nullptr, 0);
    if (needed <= 0) {
        Empty();
        return *this;
    }
    LPWSTR wide = AllocateChars(needed);
    MultiByteToWideChar(GetACP(), 0, text, -1, wide, needed);
    wide[needed - 1] = L'\0';
    Assign(wide);
    free(wide);
    return *this;
}

const CSkinString& CSkinString::operator=(WCHAR ch)
{
    WCHAR text[2] = {ch, L'\0'};
    Assign(text);
    return *this;
}

const CSkinString& CSkinString::operator+=(const CSkinString& other)
{
    Append(other.m_pstr);
    return *this;
}

const CSkinString& CSkinString::operator+=(LPCWSTR text)
{
    Append(text);
    return *this;
}

const CSkinString& CSkinString::operator+=(LPCSTR text)
{
    if (!text)
        return *this;
    CSkinString converted;
    converted = text;
    Append(converted.m_pstr);
    return *this;
}

const CSkinString& CSkinString::operator+=(WCHAR ch)
{
    WCHAR text[2] = {ch, L'\0'};
    Append(text);
    return *this;
}

CSkinString CSkinString::operator+(const CSkinString& other) const
{
    CSkinString result(*this);
    result.Append(other.m_pstr);
    return result;
}

CSkinString CSkinString::operator+(LPCWSTR text) const
{
    CSkinString result(*this);
    result.Append(text);
    return result;
}

int CSkinString::Compare(LPCWSTR text) const
{
    return wcscmp(m_pstr, text ? text : L"");
}

int CSkinString::CompareNoCase(LPCWSTR text) const
{
    if (!text)
        text = L"";
    const WCHAR* a = m_pstr;
    const WCHAR* b = text;
    for (;; ++a, ++b) {
        wint_t ca = towlower(static_cast<wint_t>(*a));
        wint_t cb = towlower(static_cast<wint_t>(*b));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

int CSkinString::GetLength() const
{
    return static_cast<int>(wcslen(m_pstr));
}

void CSkinString::Empty()
{
    if (!IsInline())
        free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

void CSkinString::MakeUpper()
{
    for (LPWSTR p = m_pstr; *p; ++p)
        *p = static_cast<WCHAR>(towupper(static_cast<wint_t>(*p)));
}

void CSkinString::MakeLower()
{
    for (LPWSTR p = m_pstr; *p; ++p)
        *p = static_cast<WCHAR>(towlower(static_cast<wint_t>(*p)));
}

CSkinString CSkinString::Left(int count) const
{
    int length = GetLength();
    if (count < 0)
        count = 0;
    if (count > length)
        count = length;
    return CSkinString(m_pstr, count);
}

CSkinString CSkinString::Mid(int start, int count) const
{
    int length = GetLength();
    if (count < 0)
        count = length - start;
    if (start + count > length)
        count = length - start;
    if (count <= 0)
        return CSkinString();
    return CSkinString(m_pstr + start, count);
}

CSkinString CSkinString::Right(int count) const
{
    int length = GetLength();
    if (count < 0)
        count = 0;
    if (count > length)
        count = length;
    return CSkinString(m_pstr + length - count, count);
}

int CSkinString::Find(LPCWSTR text, int start) const
{
    if (!text)
        return -1;
    int length = GetLength();
    if (start != 0 && (start < 0 || start > length))
        return -1;
    const WCHAR* found = wcsstr(m_pstr + start, text);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CSkinString::Find(WCHAR ch, int start) const
{
    int length = GetLength();
    if (start != 0 && (start < 0 || start >= length))
        return -1;
    const WCHAR* found = wcschr(m_pstr + start, ch);
    // wcschr also finds the terminator; that is not an occurrence.
    if (!found || ch == L'\0')
        return -1;
    return static_cast<int>(found - m_pstr);
}

int CSkinString::ReverseFind(WCHAR ch) const
{
    if (ch == L'\0')
        return -1;
    const WCHAR* found = wcsrchr(m_pstr, ch);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CSkinString::Replace(LPCWSTR from, LPCWSTR to)
{
    // An empty search text would match everywhere forever: nothing to do.
    if (!from || from[0] == L'\0')
        return 0;
    if (!to)
        to = L"";
    // Both texts may be parts of this string: work from copies.
    CSkinString search(from);
    CSkinString replacement(to);
    int fromLength = search.GetLength();
    int toLength = replacement.GetLength();
    int count = 0;
    int position = Find(search.m_pstr, 0);
    while (position >= 0) {
        CSkinString rest(m_pstr + position + fromLength);
        CSkinString result(m_pstr, position);
        result.Append(replacement.m_pstr);
        result.Append(rest.m_pstr);
        Assign(result.m_pstr);
        ++count;
        position = Find(search.m_pstr, position + toLength);
    }
    return count;
}

int CSkinString::Format(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    int result = Format(format, args);
    va_end(args);
    return result;
}

int CSkinString::Format(LPCWSTR format, va_list args)
{
    if (!format)
        return -1;
    WideFormatBuffer output;
    int produced = FormatWideUnlimited(format, args, &output);
    if (produced < 0)
        return -1;
    Assign(output.Data(), produced);
    return produced;
}

int CSkinString::SmallFormat(LPCWSTR format, ...)
{
    if (!format)
        return -1;
    // The format may be this string's own text: keep a copy while writing.
    CSkinString formatCopy(format);
    WCHAR buffer[kInlineChars];
    wmemset(buffer, L'\0', kInlineChars);
    va_list args;
    va_start(args, format);
    int produced = FormatWideBounded(formatCopy.m_pstr, args, buffer, kInlineChars);
    va_end(args);
    buffer[kInlineChars - 1] = L'\0';
    Assign(buffer);
    return produced;
}

} // namespace SkinUI
