// Sets the proxy environment of a test case and restores a clean one after.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace kestrova::test {

using ProxyVariables = std::vector<std::pair<std::string, std::string>>;

class ProxyEnvironment {
public:
    explicit ProxyEnvironment(const ProxyVariables& variables = {})
    {
        Clear();
        for (auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
    }
    ~ProxyEnvironment() { Clear(); }
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

    // Every variable the user's proxy settings are read from, the desktop's
    // included, so a test never sees the machine's own settings.
    static void Clear()
    {
        for (const char* name : { "http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy", "HTTP_PROXY",
                                  "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY", "NO_PROXY", "KESTROVA_GSETTINGS",
                                  "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP" })
            unsetenv(name);
    }
};

} // namespace kestrova::test
