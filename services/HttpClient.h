// The client for the tools server's web service: multipart form posts through
// libcurl, with a proxy decided before every request.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The process-wide client (created on first use, never destroyed).
    static HttpClient& GetInstance();

    // Stores the base URL (no trailing slash) and the proxy settings path and
    // initialises libcurl. Returns 0, or -1 when an argument is missing.
    int Init(const wchar_t* baseUrl, const wchar_t* proxySettingsPath);

    // Posts the fields (in the map's order, then "submit" = "send") to the
    // base URL + path. Returns -1 on bad arguments, -2 when no request handle
    // can be made, else the final HTTP status (0 when there was no response).
    // Only a 200 answer fills response (as wide text).
    int PostForm(const wchar_t* path, const std::map<std::string, std::string>& fields, wchar_t* response,
                 int capacity);

    // Proxy selection (defined with proxy detection).
    int LoadCustomProxy();
    int DetectProxy();
    static int GetUrlScheme(const wchar_t* url);

    // What the last proxy decision left, for tests and diagnostics.
    const std::string& Proxy() const { return m_proxy; }
    bool HttpProxyFound() const { return m_httpProxy; }
    bool HttpsProxyFound() const { return m_httpsProxy; }
    bool SocksProxyFound() const { return m_socksProxy; }

private:
    wchar_t m_baseUrl[260];
    std::wstring m_baseUrlText;
    const wchar_t* m_proxySettingsPath;
    bool m_httpProxy;
    bool m_httpsProxy;
    bool m_socksProxy;
    std::string m_proxy;
    CRITICAL_SECTION m_requestLock;
};
