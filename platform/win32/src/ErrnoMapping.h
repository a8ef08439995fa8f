// Turning Linux error numbers into the Win32 codes callers check.
#pragma once

#include <winnt.h>

#include <string>

namespace win32 {

// The Win32 code closest to an errno value.
DWORD ErrorFromErrno(int error);

// Sets the last error for a failed call on a path. A missing entry is
// ERROR_FILE_NOT_FOUND when its folder exists and ERROR_PATH_NOT_FOUND when
// the folder is missing too, which is how Windows tells the two apart.
void SetLastErrorForPath(int error, const std::string& linuxPath);

} // namespace win32
