// How the layer maps Windows paths onto the Linux file system.
//
// Both "\" and "/" separate components. A drive letter names a folder: C: is
// KESTROVA_DRIVE_C when it is set and not empty, else the Wine prefix's
// drive_c ($WINEPREFIX, then ~/.wine) when it exists, else
// $XDG_DATA_HOME/kestrova/drive_c (created on first use). Any other letter L
// is KESTROVA_DRIVE_L, else the Wine prefix's dosdevices link when there is
// one; Z: is "/" unless overridden. Relative paths stay relative to the
// current directory, and a path that starts with one separator is on the
// current directory's drive.
//
// Windows file systems ignore letter case, Linux ones do not: when a
// component does not exist exactly as written, the existing entry whose name
// matches it ignoring case is used instead. Components that do not exist at
// all are kept as written, so files and folders can be created.
#pragma once

#include <string>

namespace win32 {

// Maps a Windows path (UTF-8) to its Linux path. On failure returns an empty
// text and sets the last error: ERROR_PATH_NOT_FOUND for an empty path or an
// unmapped drive letter, ERROR_BAD_PATHNAME for network and device paths.
std::string MapWindowsPath(const char* windowsPath);
std::string MapWindowsPath(const wchar_t* windowsPath);

// Gives the Windows form of a Linux path: inside a drive's folder it is on
// that drive, anything else is Z:\ followed by the path, as Wine does.
// A relative path is taken relative to the current directory.
std::string UnmapLinuxPath(const std::string& linuxPath);

// The Linux folder of a drive letter (either case), without a trailing
// slash ("/" for a drive mapped to the root); empty when it is not mapped.
std::string DriveFolder(char letter);

} // namespace win32
