// File locations of the tool. Everything is derived from the running
// executable's path at each request; nothing is cached.
#include "services/PathConfig.h"

#include "services/TextConversion.h"

#include <windows.h>

#include <cstring>

#ifndef KESTROVA_TOOLS_SERVER_URL
#define KESTROVA_TOOLS_SERVER_URL "http://127.0.0.1:8731"
#endif
#ifndef KESTROVA_STATS_PAGE_URL
#define KESTROVA_STATS_PAGE_URL "http://127.0.0.1:8731/client/page"
#endif

const char kToolsFolder[] = "C:\\zarvel_tools";
const char kToolsFolderWithSlash[] = "C:\\zarvel_tools\\";

namespace {

// The buffer sizes of the standard path split, terminating NUL included.
constexpr size_t kMaxDrive = 3;
constexpr size_t kMaxDir = 256;
constexpr size_t kMaxName = 256;
constexpr size_t kMaxExt = 256;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// A configuration key and where it points. A location relative to the module
// directory is joined to it; an absolute or current-directory one is not.
struct ConfigKey {
    const char* key;
    const char* location;
    bool inModuleDir;
};

const ConfigKey kConfigKeys[] = {
    { "mainhtml", ".\\tpl\\index.html", false },
    { "cleanIni", "CleanUp.ini", true },
    { "logIni", "LogIni.ini", true },
};

std::wstring EnvironmentOrDefault(const wchar_t* name, const char* fallback)
{
    wchar_t value[2048];
    DWORD length = GetEnvironmentVariableW(name, value, sizeof(value) / sizeof(value[0]));
    if (length > 0 && length < sizeof(value) / sizeof(value[0]))
        return value;
    return AnsiToWide(fallback);
}

} // namespace

bool SplitPath(const std::string& path, std::string& drive, std::string& dir, std::string& name, std::string& ext)
{
    drive.clear();
    dir.clear();
    name.clear();
    ext.clear();

    // Pass 1: a drive is a letter and a colon at the very start.
    size_t at = 0;
    if (path.size() >= 2 && path[1] == ':')
        at = 2;

    // Pass 2: the directory runs to the last separator, which it keeps.
    size_t lastSeparator = std::string::npos;
    for (size_t i = at; i < path.size(); ++i) {
        if (IsSeparator(path[i]))
            lastSeparator = i;
    }
    size_t nameStart = lastSeparator == std::string::npos ? at : lastSeparator + 1;

    // Pass 3: the extension starts at the last dot of the file name.
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = path.size();

    // A piece that would not fit its buffer fails the whole split, with
    // every output left empty, rather than yielding a truncated folder.
    if (at + 1 > kMaxDrive || nameStart - at + 1 > kMaxDir || dot - nameStart + 1 > kMaxName
        || path.size() - dot + 1 > kMaxExt)
        return false;

    drive = path.substr(0, at);
    dir = path.substr(at, nameStart - at);
    name = path.substr(nameStart, dot - nameStart);
    ext = path.substr(dot);
    return true;
}

std::string ModuleDirOf(const std::string& executablePath)
{
    std::string drive, dir, name, ext;
    if (!SplitPath(executablePath, drive, dir, name, ext))
        return std::string();
    return drive + dir;
}

void GetModuleDir(std::string& dir)
{
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    // A path cut at the buffer's end is as good as none.
    if (length == 0 || length >= MAX_PATH) {
        dir.clear();
        return;
    }
    dir = ModuleDirOf(path);
}

void GetConfigPathIn(const std::string& moduleDir, const std::string& key, std::string& path)
{
    // Keys are compared byte for byte; the first match decides.
    for (const ConfigKey& entry : kConfigKeys) {
        if (key == entry.key) {
            path = entry.inModuleDir ? moduleDir + entry.location : std::string(entry.location);
            return;
        }
    }
}

void GetConfigPath(const std::string& key, std::string& path)
{
    std::string moduleDir;
    GetModuleDir(moduleDir);
    GetConfigPathIn(moduleDir, key, path);
}

std::wstring GetToolsServerBaseUrl()
{
    std::wstring url = EnvironmentOrDefault(L"KESTROVA_TOOLS_SERVER", KESTROVA_TOOLS_SERVER_URL);
    // Request paths are appended directly, so a trailing slash would double.
    while (!url.empty() && url.back() == L'/')
        url.pop_back();
    return url;
}

std::wstring GetStatsPageUrl()
{
    return EnvironmentOrDefault(L"KESTROVA_STATS_PAGE", KESTROVA_STATS_PAGE_URL);
}
