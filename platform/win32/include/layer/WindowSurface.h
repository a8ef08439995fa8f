// The pixels of a top-level window: what the display backend shows and what
// tests compare. Child windows draw into their top-level window's surface.
#pragma once

#include <windef.h>

#include <cstdint>
#include <vector>

namespace win32 {

// Copies the window's surface (top-down rows of B,G,R,A bytes, width x
// height) into `pixels`. Returns false for a window that is not a live
// top-level window.
bool ReadWindowSurface(HWND topLevel, std::vector<uint32_t>& pixels, int* width, int* height);

} // namespace win32
