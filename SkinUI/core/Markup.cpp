// Loading and parsing of skin documents.
//
// The parse walks the text once and rewrites it in place: the characters
// that end names and values become terminators, entity references are
// decoded by compacting the text, and the gaps this leaves are filled with
// spaces so that the rest of the text still reads as it did. Nesting is
// followed through the parent links of the element array rather than by
// recursion, so a deeply nested document cannot exhaust the stack.
#include "SkinUI/core/Markup.h"

#include "SkinUI/render/ZipArchive.h"
#include "SkinUI/window/PaintManagerUI.h"

#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace SkinUI {

namespace {

constexpr int kErrorMessageChars = 100;
constexpr int kErrorLocationChars = 50;

inline bool IsWhitespace(WCHAR ch)
{
    return ch > 0 && ch <= 32;
}

inline void SkipWhitespace(LPWSTR& pstr)
{
    while (IsWhitespace(*pstr))
        ++pstr;
}

inline bool IsIdentifierChar(WCHAR ch)
{
    if (ch < 0x80) {
        return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') || (ch >= L'0' && ch <= L'9') ||
               ch == L'_' || ch == L':';
    }
    return iswalnum(static_cast<wint_t>(ch)) != 0;
}

inline LPWSTR SkipIdentifier(LPWSTR pstr)
{
    while (IsIdentifierChar(*pstr))
        ++pstr;
    return pstr;
}

struct Entity {
    LPCWSTR text; // the name and its semicolon
    size_t length;
    WCHAR ch;
};

constexpr Entity kEntities[] = {
    {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'}, {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

// Decodes the entity after an '&' (already stepped over) into dest. An
// unknown name leaves a literal '&' and its characters are read as data.
inline void DecodeEntity(LPWSTR& pstr, LPWSTR& dest)
{
    for (const Entity& entity : kEntities) {
        if (wcsncmp(pstr, entity.text, entity.length) == 0) {
            *dest++ = entity.ch;
            pstr += entity.length;
            return;
        }
    }
    *dest++ = L'&';
}

// Pass: decoding of the loaded bytes into wide text.

LPWSTR DecodeMultiByte(UINT codePage, const BYTE* bytes, DWORD size)
{
    if (size > static_cast<DWORD>(INT_MAX))
        return nullptr;
    // Neither UTF-8 nor any other multi-byte code page makes more characters
    // than it has bytes, so one conversion into a block of that size does
    // without a separate measuring pass.
    auto* wide = static_cast<LPWSTR>(malloc(sizeof(WCHAR) * (static_cast<size_t>(size) + 1)));
    if (!wide)
        return nullptr;
    int count = 0;
    if (size > 0) {
        count = MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(bytes), static_cast<int>(size), wide,
                                    static_cast<int>(size));
        if (count <= 0) {
            free(wide);
            return nullptr;
        }
    }
    wide[count] = L'\0';
    return wide;
}

// UTF-16 units become the platform's wide characters: surrogate pairs are
// joined into one character and lone surrogates become U+FFFD.
LPWSTR DecodeUtf16(const BYTE* bytes, DWORD size, bool bigEndian)
{
    size_t units = size / 2;
    auto* wide = static_cast<LPWSTR>(malloc(sizeof(WCHAR) * (units + 1)));
    if (!wide)
        return nullptr;
    size_t out = 0;
    auto unitAt = [&](size_t i) -> unsigned {
        unsigned a = bytes[2 * i];
        unsigned b = bytes[2 * i + 1];
        return bigEndian ? (a << 8) | b : (b << 8) | a;
    };
    for (size_t i = 0; i < units; ++i) {
        unsigned unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            unsigned low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                wide[out++] = static_cast<WCHAR>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF)
            unit = 0xFFFD;
        wide[out++] = static_cast<WCHAR>(unit);
    }
    wide[out] = L'\0';
    return wide;
}

} // namespace

CMarkup::CMarkup(LPCWSTR pstrXML)
    : m_pstrXML(nullptr), m_pElements(nullptr), m_nElements(0), m_nReservedElements(0), m_bPreserveWhitespace(true)
{
    m_szErrorMsg[0] = L'\0';
    m_szErrorXML[0] = L'\0';
    if (pstrXML)
        Load(pstrXML);
}

CMarkup::~CMarkup()
{
    Release();
}

void CMarkup::Release()
{
    free(m_pstrXML);
    free(m_pElements);
    m_pstrXML = nullptr;
    m_pElements = nullptr;
    m_nElements = 0;
    m_nReservedElements = 0;
}

bool CMarkup::Load(LPCWSTR pstrXML)
{
    Release();
    if (!pstrXML)
        return Failed(L"Error opening file");
    size_t length = wcslen(pstrXML);
    m_pstrXML = static_cast<LPWSTR>(malloc(sizeof(WCHAR) * (length + 1)));
    if (!m_pstrXML)
        return Failed(L"Out of memory");
    wmemcpy(m_pstrXML, pstrXML, length + 1);
    if (!Parse()) {
        Release();
        return false;
    }
    return true;
}

bool CMarkup::LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding)
{
    Release();
    if (!pByte && dwSize > 0)
        return Failed(L"Could not read file");
    if (encoding == XMLFILE_ENCODING_UTF8) {
        if (dwSize > 2 && pByte[0] == 0xEF && pByte[1] == 0xBB && pByte[2] == 0xBF) {
            pByte += 3;
            dwSize -= 3;
        }
        m_pstrXML = DecodeMultiByte(CP_UTF8, pByte, dwSize);
    } else if (encoding == XMLFILE_ENCODING_ANSI) {
        m_pstrXML = DecodeMultiByte(CP_ACP, pByte, dwSize);
    } else {
        // UTF-16 needs its byte order mark.
        if (dwSize < 2)
            return Failed(L"Unknown text encoding");
        bool bigEndian;
        if (pByte[0] == 0xFF && pByte[1] == 0xFE)
            bigEndian = false;
        else if (pByte[0] == 0xFE && pByte[1] == 0xFF)
            bigEndian = true;
        else
            return Failed(L"Unknown text encoding");
        m_pstrXML = DecodeUtf16(pByte + 2, dwSize - 2, bigEndian);
    }
    if (!m_pstrXML)
        return Failed(L"Could not convert text");
    if (!Parse()) {
        Release();
        return false;
    }
    return true;
}

bool CMarkup::LoadFromFile(LPCWSTR pstrFilename, int encoding)
{
    Release();
    if (!pstrFilename)
        return Failed(L"Error opening file");
    if (!CPaintManagerUI::GetResourceZip().IsEmpty())
        return LoadFromZip(pstrFilename, encoding);

    CSkinString path = CPaintManagerUI::GetResourcePath() + pstrFilename;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Failed(L"Error opening file");
    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(file, &sizeHigh);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(file);
        return Failed(L"Could not read file");
    }
    if (size == 0 && sizeHigh == 0) {
        CloseHandle(file);
        return Failed(L"File is empty");
    }
    if (sizeHigh != 0 || size > kMaxFileSize) {
        CloseHandle(file);
        return Failed(L"File too large");
    }
    auto* bytes = static_cast<BYTE*>(malloc(size));
    if (!bytes) {
        CloseHandle(file);
        return Failed(L"Out of memory");
    }
    DWORD read = 0;
    BOOL ok = ReadFile(file, bytes, size, &read, nullptr);
    CloseHandle(file);
    if (!ok || read != size) {
        free(bytes);
        return Failed(L"Could not read file");
    }
    bool loaded = LoadFromMem(bytes, size, encoding);
    free(bytes);
    return loaded;
}

bool CMarkup::LoadFromZip(LPCWSTR pstrFilename, int encoding)
{
    CZipArchive* archive = nullptr;
    bool ownArchive = false;
    if (CPaintManagerUI::IsCachedResourceZip()) {
        archive = CZipArchive::FromHandle(CPaintManagerUI::GetResourceZipHandle());
    } else {
        CSkinString zipPath = CPaintManagerUI::GetResourcePath() + CPaintManagerUI::GetResourceZip().GetData();
        archive = CZipArchive::OpenFile(zipPath);
        ownArchive = true;
    }
    if (!archive)
        return Failed(L"Error opening zip file");

    const wchar_t* failure = nullptr;
    BYTE* bytes = nullptr;
    ULONGLONG size = 0;
    if (!archive->FindEntry(pstrFilename, &size))
        failure = L"Could not find ziped file";
    else if (size == 0)
        failure = L"File is empty";
    else if (size > kMaxFileSize)
        failure = L"File too large";
    else if (!(bytes = static_cast<BYTE*>(malloc(static_cast<size_t>(size)))))
        failure = L"Out of memory";
    else {
        DWORD result = archive->Unzip(bytes, static_cast<DWORD>(size));
        if (result != ZR_OK && result != ZR_MORE)
            failure = L"Could not unzip file";
    }
    if (ownArchive)
        delete archive;
    if (failure) {
        free(bytes);
        return Failed(failure);
    }
    bool loaded = LoadFromMem(bytes, static_cast<DWORD>(size), encoding);
    free(bytes);
    return loaded;
}

void CMarkup::GetLastErrorMessage(LPWSTR pstrMessage, SIZE_T cchMax) const
{
    if (pstrMessage && cchMax > 0)
        wcsncpy(pstrMessage, m_szErrorMsg, cchMax);
}

void CMarkup::GetLastErrorLocation(LPWSTR pstrSource, SIZE_T cchMax) const
{
    if (pstrSource && cchMax > 0)
        wcsncpy(pstrSource, m_szErrorXML, cchMax);
}

CMarkupNode CMarkup::GetRoot()
{
    if (m_nElements <= 1)
        return CMarkupNode();
    return CMarkupNode(this, 1);
}

bool CMarkup::Failed(LPCWSTR pstrError, LPCWSTR pstrLocation)
{
    wcsncpy(m_szErrorMsg, pstrError, kErrorMessageChars - 1);
    m_szErrorMsg[kErrorMessageChars - 1] = L'\0';
    if (pstrLocation)
        wcsncpy(m_szErrorXML, pstrLocation, kErrorLocationChars - 1);
    else
        m_szErrorXML[0] = L'\0';
    m_szErrorXML[kErrorLocationChars - 1] = L'\0';
    return false;
}

bool CMarkup::ReserveElement(ULONG* index)
{
    if (m_nElements == 0)
        m_nReservedElements = 0;
    if (m_nElements >= m_nReservedElements) {
        ULONG grown = m_nReservedElements + m_nReservedElements / 2 + 500;
        if (grown < m_nReservedElements)
            return false;
        void* moved = realloc(m_pElements, sizeof(tagXMLELEMENT) * static_cast<size_t>(grown));
        if (!moved)
            return false;
        m_pElements = static_cast<tagXMLELEMENT*>(moved);
        m_nReservedElements = grown;
    }
    *index = m_nElements++;
    return true;
}

bool CMarkup::Parse()
{
    ULONG placeholder;
    if (!ReserveElement(&placeholder))
        return Failed(L"Out of memory");
    assert(placeholder == 0);
    m_pElements[0] = tagXMLELEMENT{0, 0, 0, 0, 0};
    m_szErrorMsg[0] = L'\0';
    m_szErrorXML[0] = L'\0';

    LPWSTR pstr = m_pstrXML;
    // The list being read: the element it lies in (0 at the top level) and
    // the last element made in it so far.
    ULONG iParent = 0;
    ULONG iLast = 0;
    SkipWhitespace(pstr);
    for (;;) {
        // Pass: the end of a list. At the top level, or directly inside the
        // root, the document may simply end.
        if (*pstr == L'\0' && iParent <= 1) {
            ListStep step = LeaveList(pstr, iParent, iLast);
            if (step == ListStep::Continue)
                continue;
            return step == ListStep::Done;
        }
        SkipWhitespace(pstr);
        if (*pstr != L'<')
            return Failed(L"Expected start tag", pstr);
        if (pstr[1] == L'/') {
            ListStep step = LeaveList(pstr, iParent, iLast);
            if (step == ListStep::Continue)
                continue;
            return step == ListStep::Done;
        }
        *pstr++ = L'\0';
        SkipWhitespace(pstr);

        // Pass: comments and declarations make no element.
        if (*pstr == L'!' || *pstr == L'?') {
            WCHAR chEnd = *pstr == L'!' ? L'-' : L'?';
            while (*pstr != L'\0' && !(pstr[0] == chEnd && pstr[1] == L'>'))
                ++pstr;
            if (*pstr != L'\0')
                pstr += 2;
            SkipWhitespace(pstr);
            continue;
        }
        SkipWhitespace(pstr);

        // Pass: the start tag makes a new element, linked into its list.
        ULONG iPos;
        if (!ReserveElement(&iPos))
            return Failed(L"Out of memory", pstr);
        m_pElements[iPos] = tagXMLELEMENT{OffsetOf(pstr), 0, 0, iParent, 0};
        if (iLast > 0)
            m_pElements[iLast].iNext = iPos;
        else if (iParent > 0)
            m_pElements[iParent].iChild = iPos;
        LPWSTR pstrNameEnd = SkipIdentifier(pstr);
        pstr = pstrNameEnd;
        if (*pstr == L'\0')
            return Failed(L"Error parsing element name", pstr);
        if (!ParseAttributes(pstr))
            return false;
        SkipWhitespace(pstr);
        if (pstr[0] == L'/' && pstr[1] == L'>') {
            m_pElements[iPos].iData = OffsetOf(pstr);
            *pstr = L'\0';
            pstr += 2;
        } else {
            if (*pstr != L'>')
                return Failed(L"Expected start-tag closing", pstr);
            ++pstr;
            m_pElements[iPos].iData = OffsetOf(pstr);
            LPWSTR pstrDataEnd = ParseData(pstr, L'<');
            if (*pstr == L'\0' && iParent <= 1) {
                // An element at this level may stay open at the end of the
                // document; its name and text still end where they end.
                *pstrDataEnd = L'\0';
                *pstrNameEnd = L'\0';
                ListStep step = LeaveList(pstr, iParent, iLast);
                if (step == ListStep::Continue)
                    continue;
                return step == ListStep::Done;
            }
            if (*pstr != L'<')
                return Failed(L"Expected end-tag start", pstr);
            // The text ends where its compacted characters end; when nothing
            // was compacted that is the '<', which the next step overwrites.
            if (pstrDataEnd < pstr)
                *pstrDataEnd = L'\0';
            iParent = iPos;
            iLast = 0;
            if (pstr[1] != L'/') {
                // Pass: descend into the element's children.
                SkipWhitespace(pstr);
                continue;
            }
            ListStep step = LeaveList(pstr, iParent, iLast);
            if (step == ListStep::Continue)
                continue;
            return step == ListStep::Done;
        }
        *pstrNameEnd = L'\0';
        SkipWhitespace(pstr);
        iLast = iPos;
    }
}

// Ends the list inside iParent: reads the parent's closing tag when one
// follows, then goes on with the list the parent itself lies in.
CMarkup::ListStep CMarkup::LeaveList(LPWSTR& pstr, ULONG& iParent, ULONG& iLast)
{
    if (iParent == 0)
        return ListStep::Done;
    ULONG iPos = iParent;
    LPWSTR pstrName = m_pstrXML + m_pElements[iPos].iStart;
    size_t cchName = static_cast<size_t>(SkipIdentifier(pstrName) - pstrName);
    if (pstr[0] == L'<' && pstr[1] == L'/') {
        *pstr = L'\0';
        pstr += 2;
        SkipWhitespace(pstr);
        if (wcsncmp(pstr, pstrName, cchName) != 0) {
            Failed(L"Unmatched closing tag", pstr);
            return ListStep::Failed;
        }
        pstr += cchName;
        SkipWhitespace(pstr);
        WCHAR ch = *pstr;
        if (ch != L'\0')
            ++pstr;
        if (ch != L'>') {
            Failed(L"Unmatched closing tag", pstr);
            return ListStep::Failed;
        }
    }
    pstrName[cchName] = L'\0';
    SkipWhitespace(pstr);
    iLast = iPos;
    iParent = m_pElements[iPos].iParent;
    return ListStep::Continue;
}

bool CMarkup::ParseAttributes(LPWSTR& pstr)
{
    if (*pstr == L'>' || (pstr[0] == L'/' && pstr[1] == L'>'))
        return true;
    *pstr++ = L'\0';
    SkipWhitespace(pstr);
    while (*pstr != L'\0' && *pstr != L'>' && *pstr != L'/') {
        LPWSTR pstrNameEnd = SkipIdentifier(pstr);
        pstr = pstrNameEnd;
        SkipWhitespace(pstr);
        if (*pstr != L'=')
            return Failed(L"Error while parsing attributes", pstr);
        *pstr = L' ';
        *pstrNameEnd = L'\0';
        ++pstr;
        SkipWhitespace(pstr);
        if (*pstr != L'"')
            return Failed(L"Expected attribute value", pstr);
        ++pstr;
        LPWSTR pstrValueEnd = ParseData(pstr, L'"');
        if (*pstr == L'\0')
            return Failed(L"Error while parsing attribute string", pstr);
        *pstrValueEnd = L'\0';
        if (pstrValueEnd != pstr)
            *pstr = L' ';
        ++pstr;
        SkipWhitespace(pstr);
    }
    return true;
}

// Copies character data up to cEnd onto itself, decoding entities, and
// returns the end of the copied text. The source stops at cEnd or at the end
// of the document; what lies between the two ends becomes spaces.
LPWSTR CMarkup::ParseData(LPWSTR& pstr, WCHAR cEnd)
{
    LPWSTR pstrDest = pstr;
    while (*pstr != L'\0' && *pstr != cEnd) {
        if (*pstr == L'&') {
            while (*pstr == L'&') {
                ++pstr;
                DecodeEntity(pstr, pstrDest);
            }
            if (*pstr == cEnd)
                break;
        } else if (*pstr == L' ') {
            *pstrDest++ = *pstr++;
            if (!m_bPreserveWhitespace)
                SkipWhitespace(pstr);
        } else {
            *pstrDest++ = *pstr++;
        }
    }
    for (LPWSTR pstrFill = pstrDest + 1; pstrFill < pstr; ++pstrFill)
        *pstrFill = L' ';
    return pstrDest;
}

} // namespace SkinUI
