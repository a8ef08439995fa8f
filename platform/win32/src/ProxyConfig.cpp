#include "ProxyConfig.h"

#include <cstdio>
#include <cstdlib>

namespace win32 {

namespace {

// The command that prints GNOME's proxy settings, or empty when the desktop's
// settings are not to be consulted.
std::string GnomeSettingsCommand()
{
    const char* forced = std::getenv("KESTROVA_GSETTINGS");
    if (forced)
        return forced;
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if ((bus && *bus) || (desktop && *desktop))
        return "gsettings";
    return {};
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool ReadGnomeProxySettings(UserProxySettings& settings)
{
    std::string command = GnomeSettingsCommand();
    if (command.empty())
        return false;
    std::string line = ShellQuote(command) + " list-recursively org.gnome.system.proxy 2>/dev/null";
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe)
        return false;
    std::string listing;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0 && listing.size() < 1024 * 1024)
        listing.append(chunk, got);
    int status = pclose(pipe);
    if (status != 0)
        return false;
    return ParseGnomeProxySettings(listing, settings);
}

} // namespace

std::wstring WidenAscii(const std::string& text)
{
    // Proxy settings are host names, ports and URLs: each byte becomes one
    // character. Bytes above 127 are kept as their Latin-1 values rather than
    // dropped, so nothing silently disappears.
    std::wstring wide;
    wide.reserve(text.size());
    for (unsigned char c : text)
        wide += static_cast<wchar_t>(c);
    return wide;
}

UserProxySettings ReadUserProxySettings()
{
    UserProxySettings settings;
    if (ReadEnvironmentProxySettings(settings))
        return settings;
    UserProxySettings desktop;
    if (ReadGnomeProxySettings(desktop))
        return desktop;
    return settings;
}

} // namespace win32
