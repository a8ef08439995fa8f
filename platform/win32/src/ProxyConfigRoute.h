// How WinINet picks the proxy for one URL from a proxy list and a bypass
// list (the forms InternetOpen and the user's settings give).
#pragma once

#include <string>

namespace win32 {

struct ProxyRoute {
    std::string proxy; // "host:port"; empty for a direct connection.
    bool socks = false;
};

// List entries are "scheme=host:port" or a bare "host:port" for every scheme,
// separated by ";" or white space. The URL's own scheme entry wins, then a
// bare entry, then a socks entry. Bypass entries (separated by ";", "," or
// white space) are host patterns with "*" wildcards, compared ignoring case;
// "<local>" matches every host name without a dot, and a leading dot
// (".corp") every host of that domain.
ProxyRoute ChooseProxyRoute(const std::string& list, const std::string& bypass, const std::string& url);

} // namespace win32
