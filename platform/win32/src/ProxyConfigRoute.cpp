#include "ProxyConfigRoute.h"

#include "PacResolver.h"

#include <cctype>
#include <map>
#include <vector>

namespace win32 {

namespace {

std::vector<std::string> SplitAny(const std::string& text, const char* separators)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string Lower(const std::string& text)
{
    std::string lower;
    for (char c : text)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// Matches text against a pattern in which "*" stands for any run of
// characters (iterative, so no pattern can make it slow or deep).
bool WildcardMatch(const std::string& text, const std::string& pattern)
{
    size_t t = 0, p = 0, starP = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == text[t] || pattern[p] == '?')) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// A proxy entry may carry its own scheme ("http://h:p"); curl wants "h:p".
std::string StripScheme(const std::string& proxy)
{
    size_t separator = proxy.find("://");
    return separator == std::string::npos ? proxy : proxy.substr(separator + 3);
}

} // namespace

ProxyRoute ChooseProxyRoute(const std::string& list, const std::string& bypass, const std::string& url)
{
    ProxyRoute route;
    std::string scheme = Lower(url.substr(0, url.find("://")));
    std::string host = Lower(HostOfUrl(url));

    for (const std::string& entry : SplitAny(bypass, "; ,\t")) {
        std::string pattern = Lower(entry);
        if (pattern == "<local>" ? host.find('.') == std::string::npos : WildcardMatch(host, pattern))
            return route;
        // A leading dot (no_proxy's ".corp") stands for every host of that domain.
        if (pattern.size() > 1 && pattern[0] == '.' && WildcardMatch(host, "*" + pattern))
            return route;
    }

    std::map<std::string, std::string> table;
    std::string bare;
    for (const std::string& entry : SplitAny(list, "; \t")) {
        size_t equals = entry.find('=');
        if (equals == std::string::npos)
            bare = StripScheme(entry);
        else
            table[Lower(entry.substr(0, equals))] = StripScheme(entry.substr(equals + 1));
    }
    if (table.count(scheme))
        route.proxy = table[scheme];
    else if (!bare.empty())
        route.proxy = bare;
    else if (table.count("socks")) {
        route.proxy = table["socks"];
        route.socks = true;
    }
    return route;
}

} // namespace win32
