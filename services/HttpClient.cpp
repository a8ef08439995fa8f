#include "services/HttpClient.h"

#include "services/TextConversion.h"

// The form is built with libcurl's form calls (curl_formadd, curl_formfree),
// which newer libcurl marks deprecated in favour of its MIME calls; both send
// the same multipart body, and these are the calls this client is built on.
#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#include <algorithm>
#include <cwchar>

namespace {

// Appends every block libcurl delivers; it never aborts the transfer.
size_t CollectBody(char* data, size_t size, size_t count, void* userdata)
{
    static_cast<std::string*>(userdata)->append(data, size * count);
    return size * count;
}

// Releases the request's libcurl objects and the request lock on every way
// out of PostForm.
class RequestScope {
public:
    RequestScope(CURL* curl, CRITICAL_SECTION* lock)
        : m_curl(curl)
        , m_lock(lock)
    {
        EnterCriticalSection(m_lock);
    }
    ~RequestScope()
    {
        if (m_form)
            curl_formfree(m_form);
        curl_easy_cleanup(m_curl);
        LeaveCriticalSection(m_lock);
    }
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

    curl_httppost* m_form = nullptr;
    curl_httppost* m_lastPart = nullptr;

private:
    CURL* m_curl;
    CRITICAL_SECTION* m_lock;
};

constexpr int kUrlCapacity = 1300;
constexpr int kAttempts = 3;

} // namespace

HttpClient::HttpClient()
    : m_baseUrl {}
    , m_proxySettingsPath(nullptr)
    , m_httpProxy(false)
    , m_httpsProxy(false)
    , m_socksProxy(false)
{
    InitializeCriticalSection(&m_requestLock);
}

// The process-wide client is never destroyed; clients that callers make for
// themselves release their lock.
HttpClient::~HttpClient()
{
    DeleteCriticalSection(&m_requestLock);
}

HttpClient& HttpClient::GetInstance()
{
    // Never destroyed: a detached thread may still post while the process
    // exits, and libcurl's global clean-up is never called.
    static HttpClient* instance = new HttpClient;
    return *instance;
}

int HttpClient::Init(const wchar_t* baseUrl, const wchar_t* proxySettingsPath)
{
    if (!baseUrl || !proxySettingsPath)
        return -1;
    std::wcsncpy(m_baseUrl, baseUrl, 259);
    m_baseUrl[259] = L'\0';
    m_baseUrlText = m_baseUrl;
    m_proxySettingsPath = proxySettingsPath;
    curl_global_init(CURL_GLOBAL_ALL);
    return 0;
}

int HttpClient::PostForm(const wchar_t* path, const std::map<std::string, std::string>& fields, wchar_t* response,
                         int capacity)
{
    // Step 1: arguments and the request handle.
    if (!path || !response || capacity <= 0)
        return -1;
    CURL* curl = curl_easy_init();
    if (!curl)
        return -2;

    // Step 2: one request at a time in the whole process.
    RequestScope scope(curl, &m_requestLock);

    // Step 3: the URL, cut to its buffer rather than overflowing it.
    std::wstring url = m_baseUrlText + path;
    if (url.size() > kUrlCapacity - 1)
        url.resize(kUrlCapacity - 1);
    std::string narrowUrl = WideToAnsi(url);
    curl_easy_setopt(curl, CURLOPT_URL, narrowUrl.c_str());

    // Steps 4 and 5: the proxy. An empty proxy text means a direct
    // connection; it is set explicitly so that libcurl does not fall back on
    // the proxy variables of the environment behind the detection's back.
    const wchar_t* settingsPath = m_proxySettingsPath ? m_proxySettingsPath : L"";
    if (GetPrivateProfileIntW(L"SelectCustomProxy", L"YesOrNo", 0, settingsPath) != 0)
        LoadCustomProxy();
    else
        DetectProxy();
    curl_easy_setopt(curl, CURLOPT_PROXY, m_proxy.c_str());
    if (!m_proxy.empty() && m_socksProxy)
        curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_SOCKS5));

    // Step 6: transport options, in this order.
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 5L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);

    // Step 7: the body collector.
    std::string body;
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

    // Step 8: the form, in the map's order, then "submit".
    for (const auto& [name, value] : fields) {
        curl_formadd(&scope.m_form, &scope.m_lastPart, CURLFORM_COPYNAME, name.c_str(), CURLFORM_COPYCONTENTS,
                     value.c_str(), CURLFORM_END);
    }
    curl_formadd(&scope.m_form, &scope.m_lastPart, CURLFORM_COPYNAME, "submit", CURLFORM_COPYCONTENTS, "send",
                 CURLFORM_END);
    curl_easy_setopt(curl, CURLOPT_HTTPPOST, scope.m_form);

    // Step 9: up to three attempts; the body is kept across them.
    bool performed = false;
    for (int attempt = 0; attempt < kAttempts && !performed; ++attempt)
        performed = curl_easy_perform(curl) == CURLE_OK;

    // Step 10: the status. When every attempt failed there was no complete
    // response, whatever status line a broken attempt may have carried.
    long status = 0;
    if (!performed || curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        return 0;
    if (status == 200) {
        // The text is cut at the caller's capacity and always terminated.
        std::wstring text = AnsiToWide(std::string(body.c_str()));
        size_t count = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
        std::wmemcpy(response, text.data(), count);
        response[count] = L'\0';
    }
    return static_cast<int>(status);
}
