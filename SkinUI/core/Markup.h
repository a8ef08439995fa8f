// A skin document: a small subset of XML read into a flat array of element
// records. The reader rewrites the document text in place, so names, values
// and texts are views into one buffer and nothing is allocated per element.
#pragma once

#include "SkinUI/core/MarkupNode.h"

#include <windows.h>

namespace SkinUI {

class CMarkup {
    friend class CMarkupNode;

public:
    // Text encodings of LoadFromMem and LoadFromFile.
    enum {
        XMLFILE_ENCODING_UTF8 = 0,
        XMLFILE_ENCODING_UNICODE = 1,
        XMLFILE_ENCODING_ANSI = 2,
    };

    // Files (and zip entries) larger than this are refused.
    static constexpr DWORD kMaxFileSize = 0x400000;

    explicit CMarkup(LPCWSTR pstrXML = nullptr);
    ~CMarkup();
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    bool Load(LPCWSTR pstrXML);
    bool LoadFromMem(const BYTE* pByte, DWORD dwSize, int encoding = XMLFILE_ENCODING_UTF8);
    // Reads the file from the resource folder, or from the resource zip
    // archive when one is set.
    bool LoadFromFile(LPCWSTR pstrFilename, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();
    bool IsValid() const { return m_pElements != nullptr; }

    void SetPreserveWhitespace(bool bPreserve = true) { m_bPreserveWhitespace = bPreserve; }
    // Copy at most cchMax characters; the copy is zero-terminated only when
    // the stored text is shorter.
    void GetLastErrorMessage(LPWSTR pstrMessage, SIZE_T cchMax) const;
    void GetLastErrorLocation(LPWSTR pstrSource, SIZE_T cchMax) const;

    CMarkupNode GetRoot();

private:
    struct tagXMLELEMENT {
        ULONG iStart;
        ULONG iChild;
        ULONG iNext;
        ULONG iParent;
        ULONG iData;
    };

    enum class ListStep { Continue, Done, Failed };

    bool Parse();
    ListStep LeaveList(LPWSTR& pstr, ULONG& iParent, ULONG& iLast);
    bool ParseAttributes(LPWSTR& pstr);
    LPWSTR ParseData(LPWSTR& pstr, WCHAR cEnd);
    bool ReserveElement(ULONG* index);
    bool Failed(LPCWSTR pstrError, LPCWSTR pstrLocation = nullptr);
    bool LoadFromZip(LPCWSTR pstrFilename, int encoding);
    ULONG OffsetOf(LPCWSTR pstr) const { return static_cast<ULONG>(pstr - m_pstrXML); }

    LPWSTR m_pstrXML;
    tagXMLELEMENT* m_pElements;
    ULONG m_nElements;
    ULONG m_nReservedElements;
    WCHAR m_szErrorMsg[100];
    WCHAR m_szErrorXML[50];
    bool m_bPreserveWhitespace;
};

} // namespace SkinUI
