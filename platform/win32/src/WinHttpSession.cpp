// WinHTTP sessions, the current user's proxy settings and proxy resolution
// through a configuration script.
#include "KernelObject.h"
#include "PacResolver.h"
#include "ProxyConfig.h"
#include "TextCodec.h"

#include <winhttp.h>
#include <errhandlingapi.h>
#include <heapapi.h>
#include <winerror.h>

#include <cstring>
#include <cwchar>

namespace {

// A session only remembers how it was opened: requests are not part of this
// subset.
class WinHttpSession final : public win32::KernelObject {
public:
    std::wstring agent;
    DWORD accessType = WINHTTP_ACCESS_TYPE_DEFAULT_PROXY;
    DWORD flags = 0;
};

// A copy of text in a GlobalAlloc block, as WinHTTP hands its strings out;
// null for an empty text.
LPWSTR GlobalCopy(const std::wstring& text)
{
    if (text.empty())
        return nullptr;
    auto* block = static_cast<LPWSTR>(GlobalAlloc(GMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
    if (!block)
        return nullptr;
    std::wmemcpy(block, text.c_str(), text.size() + 1);
    return block;
}

} // namespace

HINTERNET WINAPI WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR, LPCWSTR, DWORD dwFlags)
{
    auto session = std::make_shared<WinHttpSession>();
    session->agent = pszAgentW ? pszAgentW : L"";
    session->accessType = dwAccessType;
    session->flags = dwFlags;
    SetLastError(ERROR_SUCCESS);
    return win32::InsertHandle(std::move(session));
}

BOOL WINAPI WinHttpCloseHandle(HINTERNET hInternet)
{
    if (!win32::ReferenceHandleAs<WinHttpSession>(hInternet)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    win32::RemoveHandle(hInternet);
    return TRUE;
}

BOOL WINAPI WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* pProxyConfig)
{
    if (!pProxyConfig) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    win32::UserProxySettings settings = win32::ReadUserProxySettings();
    pProxyConfig->fAutoDetect = settings.autoDetect ? TRUE : FALSE;
    pProxyConfig->lpszAutoConfigUrl = GlobalCopy(settings.autoConfigUrl);
    pProxyConfig->lpszProxy = GlobalCopy(settings.proxyList);
    pProxyConfig->lpszProxyBypass = GlobalCopy(settings.bypassList);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI WinHttpGetProxyForUrl(HINTERNET hSession, LPCWSTR lpcwszUrl, WINHTTP_AUTOPROXY_OPTIONS* pAutoProxyOptions,
                                  WINHTTP_PROXY_INFO* pProxyInfo)
{
    if (!win32::ReferenceHandleAs<WinHttpSession>(hSession)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpcwszUrl || !pAutoProxyOptions || !pProxyInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string url = win32::WideToUtf8(lpcwszUrl);
    if (url.find("://") == std::string::npos) {
        SetLastError(ERROR_WINHTTP_INVALID_URL);
        return FALSE;
    }
    // Without a script URL only auto-detection (WPAD) is left, and no network
    // here announces a script that way.
    if (!(pAutoProxyOptions->dwFlags & WINHTTP_AUTOPROXY_CONFIG_URL) || !pAutoProxyOptions->lpszAutoConfigUrl) {
        SetLastError((pAutoProxyOptions->dwFlags & WINHTTP_AUTOPROXY_AUTO_DETECT) ? ERROR_WINHTTP_AUTODETECTION_FAILED
                                                                                 : ERROR_INVALID_PARAMETER);
        return FALSE;
    }

    std::string list;
    DWORD error = win32::ResolveProxyWithScript(win32::WideToUtf8(pAutoProxyOptions->lpszAutoConfigUrl), url, list);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    if (list.empty()) {
        pProxyInfo->dwAccessType = WINHTTP_ACCESS_TYPE_NO_PROXY;
        pProxyInfo->lpszProxy = nullptr;
    } else {
        pProxyInfo->dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
        pProxyInfo->lpszProxy = GlobalCopy(win32::Utf8ToWide(list));
    }
    pProxyInfo->lpszProxyBypass = nullptr;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
