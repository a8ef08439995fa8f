// The seam between window surfaces and GDI: a window DC draws straight into
// the window's 32-bit B,G,R,A surface, which the window manager owns.
#pragma once

#include <windef.h>

#include <cstddef>
#include <cstdint>

namespace win32 {

// Creates a DC over top-down pixels (width x height, strideBytes per row).
// The pixels must outlive the DC. Returns null for an empty or bad surface.
HDC CreateSurfaceDC(uint32_t* pixels, int width, int height, int strideBytes);

// Points an existing surface DC at new pixels (after the window was resized),
// keeping its selected objects and settings. Returns false for a bad DC.
bool RetargetSurfaceDC(HDC hdc, uint32_t* pixels, int width, int height, int strideBytes);

// Limits drawing to the window's update area (device coordinates), as
// BeginPaint does; null lifts the limit. The region or rectangle is copied.
void SetSurfaceDCClip(HDC hdc, HRGN updateRegion);
void SetSurfaceDCClip(HDC hdc, const RECT* updateRect);
inline void SetSurfaceDCClip(HDC hdc, std::nullptr_t) { SetSurfaceDCClip(hdc, static_cast<const RECT*>(nullptr)); }

// Destroys a DC made by CreateSurfaceDC (ReleaseDC/EndPaint call this).
void DestroySurfaceDC(HDC hdc);

} // namespace win32
