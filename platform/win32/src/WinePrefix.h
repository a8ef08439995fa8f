// Finding the Wine prefix the layer's C: drive belongs to.
#pragma once

#include <string>

namespace win32 {

// The prefix folder (without a trailing slash) when the C: drive's folder is
// a prefix's drive_c, that is a folder named drive_c beside a system.reg;
// empty otherwise.
std::string WinePrefixOfDriveC();

// The prefix whose Windows the layer emulates: the C: drive's prefix, else
// $WINEPREFIX when it holds a system.reg; empty when there is none.
std::string EmulatedWinePrefix();

// The architecture a prefix was created for, from the "#arch=" line of its
// system.reg: "win32", "win64", or empty when the file says nothing.
std::string WinePrefixArchitecture(const std::string& prefix);

} // namespace win32
