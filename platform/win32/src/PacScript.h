// Evaluation of automatic proxy configuration (PAC) scripts.
//
// A script is untrusted input fetched from the network: it may loop forever,
// allocate without end or trip the engine. Each evaluation therefore runs in
// a short-lived child process with a memory cap and a time limit, and the
// caller only ever sees a text answer or a failure.
#pragma once

#include <string>

namespace win32 {

enum class PacStatus {
    Ok,       // answer holds the string FindProxyForURL returned.
    BadScript // the script did not compile, threw, timed out, ran out of memory or returned no string.
};

// Runs script, then FindProxyForURL(url, host) with the standard PAC helper
// functions defined. Gives up after timeoutMilliseconds.
PacStatus EvaluatePacScript(const std::string& script, const std::string& url, const std::string& host,
                            unsigned timeoutMilliseconds, std::string& answer);

// The JavaScript half of the PAC helper functions (the others are native:
// dnsResolve and myIpAddress).
extern const char kPacHelperScript[];

} // namespace win32
