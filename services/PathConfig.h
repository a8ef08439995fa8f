// File locations of the tool: the module directory, the compiled-in table of
// configuration keys, the tools folder, and the deployment addresses (tools
// server and statistics page), which are build options with an environment
// override.
#pragma once

#include <string>

// The tools folder, with and without its trailing backslash.
extern const char kToolsFolder[];          // "C:\\zarvel_tools"
extern const char kToolsFolderWithSlash[]; // "C:\\zarvel_tools\\"

// Splits a path the standard way: drive ("C:" or empty), directory (keeps
// its leading and trailing separator; "\\" and "/" both separate), file name
// and extension (from the last dot of the name, dot included). Returns false,
// with every piece empty, when a piece exceeds its buffer (drive 2,
// directory, name and extension 255 characters each).
bool SplitPath(const std::string& path, std::string& drive, std::string& dir, std::string& name, std::string& ext);

// The drive and directory of an executable path joined ("C:\\tool.exe" gives
// "C:\\"); empty when the path cannot be split.
std::string ModuleDirOf(const std::string& executablePath);

// Sets dir to the drive and directory of the running executable, ending with
// a backslash; empty when the executable path cannot be obtained.
void GetModuleDir(std::string& dir);

// The key table lookup of GetConfigPath against a given module directory.
void GetConfigPathIn(const std::string& moduleDir, const std::string& key, std::string& path);

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
