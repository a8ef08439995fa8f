// The Windows attributes of a Linux file.
#pragma once

#include <winnt.h>

#include <string>
#include <sys/stat.h>

namespace win32 {

// Directories are FILE_ATTRIBUTE_DIRECTORY, other files
// FILE_ATTRIBUTE_ARCHIVE; a file its owner cannot write is read-only, and a
// name starting with a dot is hidden, as Wine shows them.
DWORD AttributesOf(const struct stat& st, const std::string& name);

} // namespace win32
