#include "PixelOps.h"

#include <algorithm>

namespace win32 {

RECT Normalized(const RECT& rect)
{
    return RECT {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
                 std::max(rect.top, rect.bottom)};
}

void ClipDeviceRect(const DeviceContext& dc, const RECT& deviceRect, GdiRegion& out)
{
    dc.EffectiveClip(out);
    GdiRegion rect;
    rect.SetRect(deviceRect.left, deviceRect.top, deviceRect.right, deviceRect.bottom);
    out.Combine(out, &rect, RGN_AND);
}

void FillRegionPixels(GdiBitmap& target, const GdiRegion& area, uint32_t pixel)
{
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(const_cast<pixman_region32_t*>(area.Pixman()), &count);
    for (int i = 0; i < count; ++i) {
        const pixman_box32_t& box = boxes[i];
        for (int y = box.y1; y < box.y2; ++y)
            std::fill(target.Row(y) + box.x1, target.Row(y) + box.x2, pixel);
    }
}

} // namespace win32
