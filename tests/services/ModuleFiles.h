// The files the services keep beside the running executable (the event file
// and the log folder), seen from the test as Linux paths.
#pragma once

#include "services/PathConfig.h"

#include <layer/PathMapping.h>

#include <filesystem>
#include <string>

namespace kestrova::test {

// The Linux folder of the module directory.
inline std::filesystem::path ModuleFolder()
{
    std::string dir;
    GetModuleDir(dir);
    return win32::MapWindowsPath(dir.c_str());
}

inline std::filesystem::path EventFilePath()
{
    return ModuleFolder() / "LogIni.ini";
}

inline std::filesystem::path LogFolderPath()
{
    return ModuleFolder() / "log";
}

// Removes the event file and the log folder, so a test starts without them
// and leaves nothing behind in the build folder.
inline void RemoveModuleFiles()
{
    std::error_code ignored;
    std::filesystem::remove(EventFilePath(), ignored);
    std::filesystem::remove_all(LogFolderPath(), ignored);
}

} // namespace kestrova::test
