// Brushes, pens, system colours and the user32 fill functions.
#include "PixelOps.h"
#include "StockObjects.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>
#include <winuser_drawing.h>

using namespace win32;

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    return static_cast<HBRUSH>(InsertGdiObject(std::make_shared<GdiBrush>(BS_SOLID, color)));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush)
{
    if (!plbrush)
        return nullptr;
    UINT style = plbrush->lbStyle == BS_NULL ? BS_NULL : BS_SOLID;
    return static_cast<HBRUSH>(InsertGdiObject(std::make_shared<GdiBrush>(style, plbrush->lbColor)));
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color)
{
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME)
        return nullptr;
    return static_cast<HPEN>(InsertGdiObject(std::make_shared<GdiPen>(iStyle, cWidth, color)));
}

DWORD WINAPI GetSysColor(int nIndex)
{
    return SystemColor(nIndex);
}

HBRUSH WINAPI GetSysColorBrush(int nIndex)
{
    return StockObjects::Get().SystemColorBrush(nIndex);
}

// FillRect's brush may also be a system colour index plus one, as in user32.
static std::shared_ptr<GdiBrush> ResolveBrush(HBRUSH hbr)
{
    auto value = reinterpret_cast<UINT_PTR>(hbr);
    if (value > 0 && value <= 31 && IsSystemColorIndex(static_cast<int>(value - 1)))
        return ReferenceGdiObjectAs<GdiBrush>(GetSysColorBrush(static_cast<int>(value - 1)));
    return ReferenceGdiObjectAs<GdiBrush>(hbr);
}

static bool FillLogicalRect(DeviceContext& dc, const RECT& rect, const GdiBrush& brush)
{
    if (brush.IsNull())
        return true;
    GdiRegion area;
    ClipDeviceRect(dc, dc.ToDevice(rect), area);
    FillRegionPixels(dc.Target(), area, PixelOf(dc.BrushColor(brush)));
    return true;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    auto dc = ReferenceDC(hDC);
    auto brush = ResolveBrush(hbr);
    if (!dc || !brush || !lprc)
        return FALSE;
    // An inverted rectangle fills nothing, as in user32.
    if (lprc->right <= lprc->left || lprc->bottom <= lprc->top)
        return TRUE;
    return FillLogicalRect(*dc, *lprc, *brush);
}

int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    auto dc = ReferenceDC(hDC);
    auto brush = ResolveBrush(hbr);
    if (!dc || !brush || !lprc)
        return FALSE;
    const RECT& r = *lprc;
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    FillLogicalRect(*dc, RECT {r.left, r.top, r.right, r.top + 1}, *brush);
    FillLogicalRect(*dc, RECT {r.left, r.bottom - 1, r.right, r.bottom}, *brush);
    FillLogicalRect(*dc, RECT {r.left, r.top, r.left + 1, r.bottom}, *brush);
    FillLogicalRect(*dc, RECT {r.right - 1, r.top, r.right, r.bottom}, *brush);
    return TRUE;
}

BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc)
{
    auto dc = ReferenceDC(hDC);
    if (!dc || !lprc)
        return FALSE;
    RECT r = dc->ToDevice(*lprc);
    if (r.right <= r.left || r.bottom <= r.top)
        return TRUE;
    // A dotted frame drawn by inverting every other pixel, so that drawing it
    // twice removes it.
    GdiRegion frame;
    frame.AddRect(r.left, r.top, r.right, r.top + 1);
    frame.AddRect(r.left, r.bottom - 1, r.right, r.bottom);
    frame.AddRect(r.left, r.top, r.left + 1, r.bottom);
    frame.AddRect(r.right - 1, r.top, r.right, r.bottom);
    GdiRegion area;
    dc->EffectiveClip(area);
    area.Combine(area, &frame, RGN_AND);
    ForEachPixel(dc->Target(), area, [&](uint32_t pixel, int x, int y) {
        return ((x - r.left + y - r.top) & 1) ? pixel : (pixel ^ 0x00FFFFFF);
    });
    return TRUE;
}
