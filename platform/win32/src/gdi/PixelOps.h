// Pixel operations shared by the fill, blit and text functions. They work in
// device coordinates on a DC's target and never touch pixels outside the
// region they are given.
#pragma once

#include "DeviceContext.h"

namespace win32 {

// A GDI colour as a pixel: 0x00RRGGBB. Plain GDI writes leave alpha at 0.
inline uint32_t PixelOf(COLORREF color)
{
    return (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

// The part of a device rectangle that drawing may touch.
void ClipDeviceRect(const DeviceContext& dc, const RECT& deviceRect, GdiRegion& out);

// Writes one pixel value into every pixel of the region.
void FillRegionPixels(GdiBitmap& target, const GdiRegion& area, uint32_t pixel);

// Applies a pixel function to every pixel of the region.
template <class Function>
void ForEachPixel(GdiBitmap& target, const GdiRegion& area, Function function)
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(area.Pixman()), &count);
    for (int i = 0; i < count; ++i) {
        for (int y = boxes[i].y1; y < boxes[i].y2; ++y) {
            uint32_t* row = target.Row(y);
            for (int x = boxes[i].x1; x < boxes[i].x2; ++x)
                row[x] = function(row[x], x, y);
        }
    }
}

// A normalised rectangle (left <= right, top <= bottom).
RECT Normalized(const RECT& rect);

} // namespace win32
