#include "ProxyConfig.h"

#include <cctype>
#include <cstdlib>

namespace win32 {

namespace {

// The value of a proxy variable: the lower-case name wins, the upper-case
// name is the fallback. Empty values count as unset.
std::string ProxyVariable(const char* lowerName)
{
    const char* value = std::getenv(lowerName);
    if (value && *value)
        return value;
    std::string upperName;
    for (const char* p = lowerName; *p; ++p)
        upperName += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    value = std::getenv(upperName.c_str());
    return value && *value ? value : std::string();
}

std::string Trim(const std::string& text)
{
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

} // namespace

bool ParseProxyUrl(const std::string& text, std::string& scheme, std::string& hostPort)
{
    std::string rest = Trim(text);
    scheme.clear();
    size_t separator = rest.find("://");
    if (separator != std::string::npos) {
        for (char c : rest.substr(0, separator))
            scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        rest = rest.substr(separator + 3);
    }
    rest = rest.substr(0, rest.find_first_of("/?#"));
    size_t at = rest.rfind('@');
    if (at != std::string::npos)
        rest = rest.substr(at + 1);
    if (rest.empty())
        return false;

    // A port follows the last colon, except inside a bracketed IPv6 address.
    size_t colon = rest.rfind(':');
    bool hasPort = colon != std::string::npos && rest.find(']', colon) == std::string::npos;
    if (hasPort && colon + 1 == rest.size()) {
        rest.pop_back();
        hasPort = false;
    }
    if (!hasPort) {
        const char* port = "80";
        if (scheme == "https")
            port = "443";
        else if (scheme.rfind("socks", 0) == 0)
            port = "1080";
        rest += std::string(":") + port;
    }
    hostPort = rest;
    return true;
}

bool ReadEnvironmentProxySettings(UserProxySettings& settings)
{
    std::string http = ProxyVariable("http_proxy");
    std::string https = ProxyVariable("https_proxy");
    std::string ftp = ProxyVariable("ftp_proxy");
    std::string all = ProxyVariable("all_proxy");
    if (http.empty() && https.empty() && ftp.empty() && all.empty())
        return false;

    // all_proxy comes first: a bare entry applies to every scheme, and the
    // scheme-specific entries after it must win over it.
    std::string list;
    auto append = [&list](const std::string& entry) {
        if (!list.empty())
            list += ';';
        list += entry;
    };
    std::string scheme, hostPort;
    if (!all.empty() && ParseProxyUrl(all, scheme, hostPort))
        append(scheme.rfind("socks", 0) == 0 ? "socks=" + hostPort : hostPort);
    if (!http.empty() && ParseProxyUrl(http, scheme, hostPort))
        append(scheme.rfind("socks", 0) == 0 ? "socks=" + hostPort : "http=" + hostPort);
    if (!https.empty() && ParseProxyUrl(https, scheme, hostPort))
        append(scheme.rfind("socks", 0) == 0 ? "socks=" + hostPort : "https=" + hostPort);
    if (!ftp.empty() && ParseProxyUrl(ftp, scheme, hostPort))
        append("ftp=" + hostPort);
    settings.proxyList = WidenAscii(list);

    // no_proxy is comma-separated; the bypass list is ";"-separated.
    std::string bypass;
    std::string noProxy = ProxyVariable("no_proxy");
    size_t start = 0;
    while (start <= noProxy.size()) {
        size_t end = noProxy.find(',', start);
        if (end == std::string::npos)
            end = noProxy.size();
        std::string entry = Trim(noProxy.substr(start, end - start));
        if (!entry.empty()) {
            if (!bypass.empty())
                bypass += ';';
            bypass += entry;
        }
        start = end + 1;
    }
    settings.bypassList = WidenAscii(bypass);
    return true;
}

} // namespace win32
