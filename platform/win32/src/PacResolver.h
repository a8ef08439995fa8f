// Proxy resolution through an automatic configuration script: fetch the
// script, evaluate it for one URL and turn its answer into a proxy list.
#pragma once

#include <windef.h>

#include <string>

namespace win32 {

// How long a script may run before it counts as broken.
constexpr unsigned kPacEvaluationTimeoutMilliseconds = 5000;

// Fetches the script at scriptUrl (http, https or file) and evaluates it for
// url. On success, list is the WinHTTP proxy list ("a:1;b:2", with SOCKS
// answers as "socks=h:p") and is empty for a direct connection. On failure,
// returns the error code: ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT or
// ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT.
DWORD ResolveProxyWithScript(const std::string& scriptUrl, const std::string& url, std::string& list);

// Turns a FindProxyForURL answer ("PROXY a:1; SOCKS b:2; DIRECT") into the
// list form above. False when an entry is not understood.
bool PacAnswerToProxyList(const std::string& answer, std::string& list);

// The host part of a URL (no user, no port, brackets of IPv6 removed).
std::string HostOfUrl(const std::string& url);

} // namespace win32
