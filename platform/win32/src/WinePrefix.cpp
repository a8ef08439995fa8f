#include "WinePrefix.h"

#include <layer/PathMapping.h>

#include <cstdlib>
#include <fstream>

#include <sys/stat.h>

namespace win32 {

namespace {

bool IsRegularFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ParentFolder(const std::string& path)
{
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string LastComponent(const std::string& path)
{
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string WinePrefixOfDriveC()
{
    std::string driveC = DriveFolder('C');
    if (driveC.empty() || LastComponent(driveC) != "drive_c")
        return {};
    std::string prefix = ParentFolder(driveC);
    return IsRegularFile(prefix + "/system.reg") ? prefix : std::string();
}

std::string EmulatedWinePrefix()
{
    std::string prefix = WinePrefixOfDriveC();
    if (!prefix.empty())
        return prefix;
    const char* variable = std::getenv("WINEPREFIX");
    if (variable && *variable) {
        std::string fromEnvironment = variable;
        while (fromEnvironment.size() > 1 && fromEnvironment.back() == '/')
            fromEnvironment.pop_back();
        if (IsRegularFile(fromEnvironment + "/system.reg"))
            return fromEnvironment;
    }
    return {};
}

std::string WinePrefixArchitecture(const std::string& prefix)
{
    // Wine writes the line near the top of the file; reading a bounded
    // number of lines keeps a huge registry from being read whole.
    std::ifstream file(prefix + "/system.reg");
    std::string line;
    for (int i = 0; i < 64 && std::getline(file, line); ++i) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("#arch=", 0) == 0)
            return line.substr(6);
    }
    return {};
}

} // namespace win32
