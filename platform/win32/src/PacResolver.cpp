#include "PacResolver.h"

#include "PacScript.h"

#include <winerror.h>
#include <winhttp.h>

#include <curl/curl.h>

#include <cctype>
#include <mutex>
#include <sstream>

namespace win32 {

namespace {

// A script larger than this is not a proxy script.
constexpr size_t kScriptLimit = 1024 * 1024;

size_t AppendScript(char* data, size_t size, size_t count, void* userdata)
{
    auto* script = static_cast<std::string*>(userdata);
    size_t bytes = size * count;
    if (script->size() + bytes > kScriptLimit)
        return 0;
    script->append(data, bytes);
    return bytes;
}

bool FetchScript(const std::string& scriptUrl, std::string& script)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_ALL); });
    CURL* curl = curl_easy_init();
    if (!curl)
        return false;
    curl_easy_setopt(curl, CURLOPT_URL, scriptUrl.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,file");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // The script itself is always fetched directly: it is what decides the
    // proxy, and the environment's proxy variables must not creep in.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendScript);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &script);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

std::string Upper(const std::string& text)
{
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace

std::string HostOfUrl(const std::string& url)
{
    std::string rest = url;
    size_t scheme = rest.find("://");
    if (scheme != std::string::npos)
        rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = rest.rfind('@');
    if (at != std::string::npos)
        rest = rest.substr(at + 1);
    if (!rest.empty() && rest[0] == '[') {
        size_t close = rest.find(']');
        return close == std::string::npos ? rest.substr(1) : rest.substr(1, close - 1);
    }
    return rest.substr(0, rest.find(':'));
}

bool PacAnswerToProxyList(const std::string& answer, std::string& list)
{
    list.clear();
    std::stringstream entries(answer);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        std::istringstream words(entry);
        std::string keyword, proxy, extra;
        if (!(words >> keyword))
            continue; // An empty entry ("PROXY a:1;") is harmless.
        keyword = Upper(keyword);
        if (keyword == "DIRECT")
            continue;
        if (!(words >> proxy) || (words >> extra))
            return false;
        std::string item;
        if (keyword == "PROXY" || keyword == "HTTP" || keyword == "HTTPS")
            item = proxy;
        else if (keyword == "SOCKS" || keyword == "SOCKS4" || keyword == "SOCKS5")
            item = "socks=" + proxy;
        else
            return false;
        if (!list.empty())
            list += ';';
        list += item;
    }
    return true;
}

DWORD ResolveProxyWithScript(const std::string& scriptUrl, const std::string& url, std::string& list)
{
    list.clear();
    std::string script;
    if (scriptUrl.empty() || !FetchScript(scriptUrl, script))
        return ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT;
    std::string answer;
    if (EvaluatePacScript(script, url, HostOfUrl(url), kPacEvaluationTimeoutMilliseconds, answer) != PacStatus::Ok)
        return ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT;
    if (!PacAnswerToProxyList(answer, list))
        return ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT;
    return ERROR_SUCCESS;
}

} // namespace win32
