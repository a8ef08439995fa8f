// Proxy selection for HttpClient: a custom proxy from an INI file, or the
// current user's settings (with their configuration script) as WinHTTP
// reports them.
#include "services/HttpClient.h"

#include "services/TextConversion.h"

#include <winhttp.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

// Splits text at every separator character. Empty pieces are skipped when
// asked: an empty list entry must not turn into a proxy or a bypass entry
// that matches everything.
std::vector<std::wstring> Split(const std::wstring& text, const wchar_t* separators, bool skipEmpty)
{
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        size_t end = text.find_first_of(separators, start);
        std::wstring piece = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!piece.empty() || !skipEmpty)
            pieces.push_back(piece);
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return pieces;
}

void FreeConfig(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config)
{
    if (config.lpszAutoConfigUrl)
        GlobalFree(config.lpszAutoConfigUrl);
    if (config.lpszProxy)
        GlobalFree(config.lpszProxy);
    if (config.lpszProxyBypass)
        GlobalFree(config.lpszProxyBypass);
}

} // namespace

int HttpClient::LoadCustomProxy()
{
    const wchar_t* settingsPath = m_proxySettingsPath ? m_proxySettingsPath : L"";
    wchar_t address[260] = {};
    wchar_t port[260] = {};
    GetPrivateProfileStringW(L"SelectCustomProxy", L"Address", L"", address, 260, settingsPath);
    GetPrivateProfileStringW(L"SelectCustomProxy", L"Port", L"", port, 260, settingsPath);
    m_proxy = WideToAnsi(address) + ":" + WideToAnsi(port);
    return 0;
}

int HttpClient::GetUrlScheme(const wchar_t* url)
{
    if (!url || !*url)
        return 3;
    std::vector<std::wstring> pieces = Split(url, L":/", true);
    if (pieces.empty())
        return 3;
    if (pieces[0] == L"ftp")
        return 0;
    if (pieces[0] == L"http")
        return 1;
    if (pieces[0] == L"https")
        return 2;
    return 3;
}

int HttpClient::DetectProxy()
{
    // Step 1: the user's settings; unreadable settings count as none.
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config {};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config))
        config = WINHTTP_CURRENT_USER_IE_PROXY_CONFIG {};
    std::wstring list = config.lpszProxy ? config.lpszProxy : L"";
    bool haveList = config.lpszProxy != nullptr;

    // Step 2: a configuration script replaces the list with its own answer.
    if (config.lpszAutoConfigUrl) {
        HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                        WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
        WINHTTP_AUTOPROXY_OPTIONS options {};
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.dwAutoDetectFlags = 0;
        options.lpszAutoConfigUrl = config.lpszAutoConfigUrl;
        options.fAutoLogonIfChallenged = TRUE;
        WINHTTP_PROXY_INFO info {};
        if (WinHttpGetProxyForUrl(session, m_baseUrl, &options, &info)) {
            haveList = info.lpszProxy != nullptr;
            list = haveList ? info.lpszProxy : L"";
            if (info.lpszProxy)
                GlobalFree(info.lpszProxy);
            if (info.lpszProxyBypass)
                GlobalFree(info.lpszProxyBypass);
        } else {
            char message[64];
            std::snprintf(message, sizeof message, "WinHttpGetProxyForUrl %d\n", static_cast<int>(GetLastError()));
            OutputDebugStringA(message);
        }
        if (session)
            WinHttpCloseHandle(session);
    }

    // Steps 3 and 4: auto-detection is not consulted; without a list the
    // previous choice stays.
    if (!haveList) {
        FreeConfig(config);
        return 0;
    }

    // Step 5: the scheme table. The whole list is used, however long.
    std::map<std::wstring, std::wstring> table;
    for (const std::wstring& entry : Split(list, L";", true)) {
        std::vector<std::wstring> parts = Split(entry, L"=", false);
        if (parts.size() == 2) {
            table[parts[0]] = parts[1];
            if (parts[0] == L"http")
                m_httpProxy = true;
            else if (parts[0] == L"https")
                m_httpsProxy = true;
            else if (parts[0] == L"socks")
                m_socksProxy = true;
        } else {
            table[L"http"] = parts[0];
            table[L"https"] = parts[0];
            table[L"socks"] = parts[0];
            m_httpProxy = m_httpsProxy = m_socksProxy = true;
        }
    }

    // Step 6: the choice by the base URL's scheme, in code page 936.
    int scheme = GetUrlScheme(m_baseUrl);
    const std::wstring* chosen = nullptr;
    if (scheme == 2 && m_httpsProxy) {
        chosen = &table[L"https"];
        m_httpProxy = m_socksProxy = false;
    } else if (scheme == 1 && m_httpProxy) {
        chosen = &table[L"http"];
        m_httpsProxy = m_socksProxy = false;
    } else if (m_socksProxy) {
        chosen = &table[L"socks"];
        m_httpProxy = m_httpsProxy = false;
    }
    if (chosen) {
        std::vector<char> narrow(chosen->size() * 4 + 1);
        m_proxy = WideToCodePage(narrow.data(), chosen->c_str(), static_cast<int>(narrow.size()), 936) ? narrow.data()
                                                                                                        : "";
    }

    // Step 7: a bypass entry that starts what follows the scheme means a
    // direct connection.
    if (config.lpszProxyBypass) {
        size_t skip = scheme == 2 ? 8 : scheme == 1 ? 7 : 0;
        std::wstring rest = m_baseUrlText.size() >= skip ? m_baseUrlText.substr(skip) : std::wstring();
        for (const std::wstring& entry : Split(config.lpszProxyBypass, L";", true)) {
            if (rest.compare(0, entry.size(), entry) == 0) {
                m_proxy.clear();
                break;
            }
        }
    }
    FreeConfig(config);
    return 0;
}
