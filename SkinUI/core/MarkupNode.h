// A handle to one element of a loaded skin document. Nodes are values; one
// stays valid only while its document lives and is not reloaded. The
// attributes are found the first time one is asked for.
#pragma once

#include <windows.h>

namespace SkinUI {

class CMarkup;

class CMarkupNode {
    friend class CMarkup;

public:
    // Attributes after this many cannot be read through a node.
    static constexpr int MAX_XML_ATTRIBUTES = 64;

    CMarkupNode();

    bool IsValid() const { return m_pOwner != nullptr; }

    CMarkupNode GetParent();
    CMarkupNode GetSibling();
    CMarkupNode GetChild();
    // The first child named exactly pstrName.
    CMarkupNode GetChild(LPCWSTR pstrName);

    bool HasSiblings() const;
    bool HasChildren() const;
    LPCWSTR GetName() const;
    LPCWSTR GetValue() const;

    bool HasAttributes();
    bool HasAttribute(LPCWSTR pstrName);
    int GetAttributeCount();
    LPCWSTR GetAttributeName(int iIndex);
    LPCWSTR GetAttributeValue(int iIndex);
    LPCWSTR GetAttributeValue(LPCWSTR pstrName);
    bool GetAttributeValue(int iIndex, LPWSTR pstrValue, SIZE_T cchMax);
    bool GetAttributeValue(LPCWSTR pstrName, LPWSTR pstrValue, SIZE_T cchMax);

private:
    struct XMLATTRIBUTE {
        ULONG iName;
        ULONG iValue;
    };

    CMarkupNode(CMarkup* pOwner, int iPos);
    void MapAttributes();
    void EnsureAttributes();

    int m_iPos;
    int m_nAttributes;
    XMLATTRIBUTE m_aAttributes[MAX_XML_ATTRIBUTES];
    CMarkup* m_pOwner;
};

} // namespace SkinUI
