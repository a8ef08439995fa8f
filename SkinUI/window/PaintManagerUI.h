// The paint manager: one per window. This part holds the process-wide
// resource settings that skin readers need: the module instance, the
// resource folder and the resource zip archive (by file name, kept open, or
// held in memory). The window and drawing sides join this class later.
#pragma once

#include "SkinUI/core/SkinString.h"

#include <windows.h>

namespace SkinUI {

class CPaintManagerUI {
public:
    // The zip name that marks an archive held in memory.
    static constexpr LPCWSTR kMemoryZipName = L"membuffer";

    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    static void SetResourceDll(HINSTANCE hInst);
    // The resource module, or the instance when none is set.
    static HINSTANCE GetResourceDll();

    // Stores the resource folder; a folder without a trailing separator
    // gets a backslash.
    static void SetResourcePath(LPCWSTR pStrPath);
    static const CSkinString& GetResourcePath();

    // Names the zip archive inside the resource folder. When cached, the
    // archive is opened now and stays open.
    static void SetResourceZip(LPCWSTR pstrZip, bool bCachedResourceZip = false);
    // Uses an archive held in memory, which the caller keeps alive.
    static void SetResourceZip(LPVOID pVoid, unsigned int len);
    static const CSkinString& GetResourceZip();
    static bool IsCachedResourceZip();
    // The open archive (a CZipArchive), or null.
    static HANDLE GetResourceZipHandle();

    // Closes an archive held open.
    static void Term();

private:
    static void CloseResourceZip();

    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CSkinString m_pStrResourcePath;
    static CSkinString m_pStrResourceZip;
    static bool m_bCachedResourceZip;
    static HANDLE m_hResourceZip;
};

} // namespace SkinUI
