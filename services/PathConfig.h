// File locations of the tool: the module directory, the compiled-in table of
// configuration keys, the tools folder, and the deployment addresses (tools
// server and statistics page), which are build options with an environment
// override.
#pragma once

#include <string>

// The tools folder, with and without its trailing backslash.
extern const char kToolsFolder[];          // "C:\\zarvel_tools"
extern const char kToolsFolderWithSlash[]; // "C:\\zarvel_tools\\"

// Sets dir to the drive and directory of the running executable, ending with
// a backslash; empty when the executable path cannot be obtained.
void GetModuleDir(std::string& dir);

// Sets path to the location of a configuration key ("mainhtml", "cleanIni",
// "logIni"); leaves it unchanged for any other key.
void GetConfigPath(const std::string& key, std::string& path);

// The tools server base URL, without a trailing slash: the environment
// variable KESTROVA_TOOLS_SERVER when set and not empty, else the build's
// default.
std::wstring GetToolsServerBaseUrl();

// The statistics server's client page: KESTROVA_STATS_PAGE when set and not
// empty, else the build's default.
std::wstring GetStatsPageUrl();
