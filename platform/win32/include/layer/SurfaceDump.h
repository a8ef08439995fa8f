// Seeing pixels: writes a bitmap, or the bitmap a DC draws into, as a PNG
// file (host path, UTF-8), for tests and screenshots. The alpha byte is
// written as it is, so GDI's alpha-0 pixels show as transparent; pass
// opaque = true to write them as seen on an opaque window.
#pragma once

#include <windef.h>

#include <cstdint>
#include <string>

namespace win32 {

bool WriteBitmapPng(HBITMAP bitmap, const std::string& hostPath, bool opaque = false);
bool WriteDcPng(HDC hdc, const std::string& hostPath, bool opaque = false);

// Writes raw top-down B,G,R,A pixels (a window's composed surface).
bool WritePixelsPng(const uint32_t* pixels, int width, int height, int strideBytes, const std::string& hostPath,
                    bool opaque = false);

} // namespace win32
