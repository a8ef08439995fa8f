// The catalogue of .NET Framework versions the tool installs. The page names
// a version by its position, 1 to 6; each position has a display text and
// the exact file name of its Microsoft redistributable package, which is at
// once the download's last path segment, the file in the tools folder and
// the image name the installer supervision waits on.
#pragma once

#include <string>
#include <vector>

// Both lists hold the six entries in catalogue order: position p is element
// p - 1. Filled during static initialisation and never changed.
extern const std::vector<std::wstring> VersionDisplayNames;
extern const std::vector<std::string> InstallerFileNames;

// The number of catalogue positions.
constexpr int kVersionCount = 6;

// True for the positions 1 to 6.
bool IsCatalogPosition(int position);

// Sets name to the display text of a position. Returns false, leaving name
// empty, for a position outside the catalogue.
bool GetVersionDisplayName(int position, std::wstring& name);

// Sets file to the installer of a position, after the architecture rule:
// position 1 is the x64 package on 64-bit Windows and "NetFx20SP2_x86.exe"
// otherwise. Returns false, leaving file empty, outside the catalogue.
bool GetInstallerFileName(int position, std::string& file);

// True when the tool, a 32-bit program, runs under the 32-bit emulation of
// 64-bit Windows. IsWow64Process is looked up in kernel32 at every call, so
// an older Windows without it counts as 32-bit.
bool IsWow64();
