// The process-wide resource settings of the paint manager: where skin files
// are found.
#include "SkinUI/window/PaintManagerUI.h"

#include "SkinUI/render/ZipArchive.h"

namespace SkinUI {

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
CSkinString CPaintManagerUI::m_pStrResourcePath;
CSkinString CPaintManagerUI::m_pStrResourceZip;
bool CPaintManagerUI::m_bCachedResourceZip = false;
HANDLE CPaintManagerUI::m_hResourceZip = nullptr;

void CPaintManagerUI::SetInstance(HINSTANCE hInst)
{
    m_hInstance = hInst;
}

HINSTANCE CPaintManagerUI::GetInstance()
{
    return m_hInstance;
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst)
{
    m_hResourceInstance = hInst;
}

HINSTANCE CPaintManagerUI::GetResourceDll()
{
    return m_hResourceInstance ? m_hResourceInstance : m_hInstance;
}

void CPaintManagerUI::SetResourcePath(LPCWSTR pStrPath)
{
    m_pStrResourcePath = pStrPath;
    if (m_pStrResourcePath.IsEmpty())
        return;
    WCHAR last = m_pStrResourcePath[m_pStrResourcePath.GetLength() - 1];
    if (last != L'\\' && last != L'/')
        m_pStrResourcePath += L'\\';
}

const CSkinString& CPaintManagerUI::GetResourcePath()
{
    return m_pStrResourcePath;
}

void CPaintManagerUI::CloseResourceZip()
{
    if (m_bCachedResourceZip && m_hResourceZip)
        delete CZipArchive::FromHandle(m_hResourceZip);
    m_hResourceZip = nullptr;
}

void CPaintManagerUI::SetResourceZip(LPCWSTR pstrZip, bool bCachedResourceZip)
{
    if (m_pStrResourceZip == (pstrZip ? pstrZip : L"") && m_bCachedResourceZip == bCachedResourceZip)
        return;
    CloseResourceZip();
    m_pStrResourceZip = pstrZip;
    m_bCachedResourceZip = bCachedResourceZip;
    if (m_bCachedResourceZip && !m_pStrResourceZip.IsEmpty()) {
        CSkinString file = m_pStrResourcePath + m_pStrResourceZip.GetData();
        m_hResourceZip = CZipArchive::ToHandle(CZipArchive::OpenFile(file));
    }
}

void CPaintManagerUI::SetResourceZip(LPVOID pVoid, unsigned int len)
{
    if (m_pStrResourceZip == kMemoryZipName)
        return;
    CloseResourceZip();
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    m_hResourceZip = CZipArchive::ToHandle(CZipArchive::OpenMemory(pVoid, len));
}

const CSkinString& CPaintManagerUI::GetResourceZip()
{
    return m_pStrResourceZip;
}

bool CPaintManagerUI::IsCachedResourceZip()
{
    return m_bCachedResourceZip;
}

HANDLE CPaintManagerUI::GetResourceZipHandle()
{
    return m_hResourceZip;
}

void CPaintManagerUI::Term()
{
    CloseResourceZip();
}

} // namespace SkinUI
