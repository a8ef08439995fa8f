// The current user's proxy settings, as WinHTTP reports them on Windows.
//
// On Linux they come from two places. The conventional environment variables
// (http_proxy, https_proxy, ftp_proxy, all_proxy, no_proxy; lower case wins
// over upper case) take precedence: when any of the proxy variables is set, they are
// the whole answer. Otherwise the desktop's settings (GNOME's
// org.gnome.system.proxy, read through the gsettings command) are consulted,
// when there is a desktop session (DBUS_SESSION_BUS_ADDRESS or
// XDG_CURRENT_DESKTOP set) or when KESTROVA_GSETTINGS names the command to run.
#pragma once

#include <string>
#include <vector>

namespace win32 {

struct UserProxySettings {
    bool autoDetect = false;
    std::wstring autoConfigUrl; // empty: none
    std::wstring proxyList;     // "http=h:p;https=h:p;socks=h:p" or bare "h:p"; empty: none
    std::wstring bypassList;    // ";"-separated; empty: none
};

// Reads the settings anew (nothing is cached: they may change at any time).
UserProxySettings ReadUserProxySettings();

// The settings the environment variables describe; false when none of the
// proxy variables is set.
bool ReadEnvironmentProxySettings(UserProxySettings& settings);

// The settings GNOME's proxy schema describes, from the text that
// "gsettings list-recursively org.gnome.system.proxy" prints.
bool ParseGnomeProxySettings(const std::string& listing, UserProxySettings& settings);

// Splits "[scheme://][user[:password]@]host[:port][/path]" into the scheme
// (lower case, empty when absent) and "host:port" (a default port is supplied
// for the scheme when the text names none: 80, 443 for https, 1080 for socks).
bool ParseProxyUrl(const std::string& text, std::string& scheme, std::string& hostPort);

std::wstring WidenAscii(const std::string& text);

} // namespace win32
