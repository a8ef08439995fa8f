#include "SkinUI/core/MarkupNode.h"

#include "SkinUI/core/Markup.h"

#include <cwchar>

namespace SkinUI {

namespace {

inline bool IsWhitespace(WCHAR ch)
{
    return ch > 0 && ch <= 32;
}

} // namespace

CMarkupNode::CMarkupNode() : m_iPos(0), m_nAttributes(0), m_pOwner(nullptr) {}

CMarkupNode::CMarkupNode(CMarkup* pOwner, int iPos) : m_iPos(iPos), m_nAttributes(0), m_pOwner(pOwner) {}

CMarkupNode CMarkupNode::GetParent()
{
    if (!m_pOwner)
        return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iParent;
    if (iPos == 0)
        return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetSibling()
{
    if (!m_pOwner)
        return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iNext;
    if (iPos == 0)
        return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild()
{
    if (!m_pOwner)
        return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    if (iPos == 0)
        return CMarkupNode();
    return CMarkupNode(m_pOwner, static_cast<int>(iPos));
}

CMarkupNode CMarkupNode::GetChild(LPCWSTR pstrName)
{
    if (!m_pOwner || !pstrName)
        return CMarkupNode();
    ULONG iPos = m_pOwner->m_pElements[m_iPos].iChild;
    while (iPos != 0) {
        if (wcscmp(m_pOwner->m_pstrXML + m_pOwner->m_pElements[iPos].iStart, pstrName) == 0)
            return CMarkupNode(m_pOwner, static_cast<int>(iPos));
        iPos = m_pOwner->m_pElements[iPos].iNext;
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const
{
    return m_pOwner && m_pOwner->m_pElements[m_iPos].iNext > 0;
}

bool CMarkupNode::HasChildren() const
{
    return m_pOwner && m_pOwner->m_pElements[m_iPos].iChild != 0;
}

LPCWSTR CMarkupNode::GetName() const
{
    if (!m_pOwner)
        return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
}

LPCWSTR CMarkupNode::GetValue() const
{
    if (!m_pOwner)
        return nullptr;
    return m_pOwner->m_pstrXML + m_pOwner->m_pElements[m_iPos].iData;
}

void CMarkupNode::EnsureAttributes()
{
    if (m_nAttributes == 0)
        MapAttributes();
}

bool CMarkupNode::HasAttributes()
{
    if (!m_pOwner)
        return false;
    EnsureAttributes();
    return m_nAttributes > 0;
}

bool CMarkupNode::HasAttribute(LPCWSTR pstrName)
{
    if (!m_pOwner || !pstrName)
        return false;
    EnsureAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0)
            return true;
    }
    return false;
}

int CMarkupNode::GetAttributeCount()
{
    if (!m_pOwner)
        return 0;
    EnsureAttributes();
    return m_nAttributes;
}

LPCWSTR CMarkupNode::GetAttributeName(int iIndex)
{
    if (!m_pOwner)
        return nullptr;
    EnsureAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes)
        return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iName;
}

LPCWSTR CMarkupNode::GetAttributeValue(int iIndex)
{
    if (!m_pOwner)
        return nullptr;
    EnsureAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes)
        return L"";
    return m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue;
}

LPCWSTR CMarkupNode::GetAttributeValue(LPCWSTR pstrName)
{
    if (!m_pOwner)
        return nullptr;
    if (!pstrName)
        return L"";
    EnsureAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0)
            return m_pOwner->m_pstrXML + m_aAttributes[i].iValue;
    }
    return L"";
}

bool CMarkupNode::GetAttributeValue(int iIndex, LPWSTR pstrValue, SIZE_T cchMax)
{
    if (!m_pOwner || !pstrValue)
        return false;
    EnsureAttributes();
    if (iIndex < 0 || iIndex >= m_nAttributes)
        return false;
    wcsncpy(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[iIndex].iValue, cchMax);
    return true;
}

bool CMarkupNode::GetAttributeValue(LPCWSTR pstrName, LPWSTR pstrValue, SIZE_T cchMax)
{
    if (!m_pOwner || !pstrName || !pstrValue)
        return false;
    EnsureAttributes();
    for (int i = 0; i < m_nAttributes; ++i) {
        if (wcscmp(m_pOwner->m_pstrXML + m_aAttributes[i].iName, pstrName) == 0) {
            wcsncpy(pstrValue, m_pOwner->m_pstrXML + m_aAttributes[i].iValue, cchMax);
            return true;
        }
    }
    return false;
}

// The parse left the start tag as a run of terminated pieces: the element
// name, then for each attribute its name and, after an opening quote, its
// value. Walk them up to the element's data. Every piece of a real attribute
// lies before the data start, so the walk never looks at or past it.
void CMarkupNode::MapAttributes()
{
    m_nAttributes = 0;
    LPCWSTR pstrXML = m_pOwner->m_pstrXML;
    LPCWSTR pstr = pstrXML + m_pOwner->m_pElements[m_iPos].iStart;
    LPCWSTR pstrEnd = pstrXML + m_pOwner->m_pElements[m_iPos].iData;
    pstr += wcslen(pstr) + 1;
    while (pstr < pstrEnd && m_nAttributes < MAX_XML_ATTRIBUTES) {
        while (pstr < pstrEnd && IsWhitespace(*pstr))
            ++pstr;
        if (pstr >= pstrEnd)
            return;
        LPCWSTR pstrName = pstr;
        pstr += wcslen(pstr) + 1;
        while (pstr < pstrEnd && IsWhitespace(*pstr))
            ++pstr;
        if (pstr >= pstrEnd || *pstr != L'"')
            return;
        ++pstr;
        if (pstr >= pstrEnd)
            return;
        m_aAttributes[m_nAttributes].iName = static_cast<ULONG>(pstrName - pstrXML);
        m_aAttributes[m_nAttributes].iValue = static_cast<ULONG>(pstr - pstrXML);
        ++m_nAttributes;
        pstr += wcslen(pstr) + 1;
    }
}

} // namespace SkinUI
