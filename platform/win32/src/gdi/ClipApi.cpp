// The clip region of a device context. The region is kept in device
// coordinates; the rectangle functions take logical ones.
#include "DeviceContext.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

using namespace win32;

namespace {

// The result GDI reports after a clip change: the complexity of the area
// drawing may now touch.
int ClipComplexity(const DeviceContext& dc)
{
    GdiRegion area;
    dc.EffectiveClip(area);
    return area.Complexity();
}

int Combine(DeviceContext& dc, const GdiRegion* region, int mode)
{
    auto& clip = dc.State().clip;
    if (mode == RGN_COPY) {
        if (region)
            clip.emplace(*region);
        else
            clip.reset();
        return ClipComplexity(dc);
    }
    if (!region)
        return ERROR;
    // Without a clip region the DC draws anywhere on its target: combining
    // starts from that whole area.
    if (!clip) {
        clip.emplace();
        const GdiBitmap& target = dc.Target();
        clip->SetRect(0, 0, target.Width(), target.Height());
    }
    GdiRegion current(*clip);
    if (!clip->Combine(current, region, mode))
        return ERROR;
    return ClipComplexity(dc);
}

} // namespace

int WINAPI ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || mode < RGN_MIN || mode > RGN_MAX)
        return ERROR;
    if (!hrgn)
        return mode == RGN_COPY ? Combine(*dc, nullptr, RGN_COPY) : ERROR;
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region)
        return ERROR;
    GdiRegion copy(*region);
    return Combine(*dc, &copy, mode);
}

int WINAPI SelectClipRgn(HDC hdc, HRGN hrgn)
{
    return ExtSelectClipRgn(hdc, hrgn, RGN_COPY);
}

int WINAPI GetClipRgn(HDC hdc, HRGN hrgn)
{
    auto dc = ReferenceDC(hdc);
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!dc || !region)
        return -1;
    if (!dc->State().clip)
        return 0;
    *region = *dc->State().clip;
    return 1;
}

int WINAPI GetClipBox(HDC hdc, LPRECT lprect)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lprect)
        return ERROR;
    GdiRegion area;
    dc->EffectiveClip(area);
    RECT box = area.Box();
    if (area.Complexity() != NULLREGION) {
        POINT a = dc->ToLogical(box.left, box.top);
        POINT b = dc->ToLogical(box.right, box.bottom);
        box = RECT {a.x, a.y, b.x, b.y};
    }
    *lprect = box;
    return area.Complexity();
}

static int CombineLogicalRect(HDC hdc, int left, int top, int right, int bottom, int mode)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return ERROR;
    POINT a = dc->ToDevice(left, top);
    POINT b = dc->ToDevice(right, bottom);
    GdiRegion rect;
    rect.SetRect(a.x, a.y, b.x, b.y);
    return Combine(*dc, &rect, mode);
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return CombineLogicalRect(hdc, left, top, right, bottom, RGN_AND);
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    return CombineLogicalRect(hdc, left, top, right, bottom, RGN_DIFF);
}

int WINAPI OffsetClipRgn(HDC hdc, int x, int y)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return ERROR;
    if (dc->State().clip)
        dc->State().clip->Offset(x, y);
    return ClipComplexity(*dc);
}

BOOL WINAPI PtVisible(HDC hdc, int x, int y)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return FALSE;
    GdiRegion area;
    dc->EffectiveClip(area);
    POINT p = dc->ToDevice(x, y);
    return area.Contains(p.x, p.y);
}

BOOL WINAPI RectVisible(HDC hdc, const RECT* lprect)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !lprect)
        return FALSE;
    GdiRegion area;
    dc->EffectiveClip(area);
    RECT r = dc->ToDevice(*lprect);
    pixman_box32_t box {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                        std::max(r.top, r.bottom)};
    return pixman_region32_contains_rectangle(area.Pixman(), &box) != PIXMAN_REGION_OUT;
}
