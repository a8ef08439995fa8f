// Device contexts, object selection and deletion, and the DC's settings.
#include "DeviceContext.h"
#include "GdiFont.h"
#include "StockObjects.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

using namespace win32;

namespace {

// The headless display every DC reports: 96 DPI, 32 bits per pixel.
constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kLogicalDpi = 96;

BOOL InvalidParameter()
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

} // namespace

HDC WINAPI CreateCompatibleDC(HDC hdc)
{
    if (hdc && !ReferenceDC(hdc))
        return nullptr;
    return static_cast<HDC>(InsertGdiObject(DeviceContext::CreateMemory()));
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    auto dc = ReferenceDC(hdc);
    // Window DCs go back through ReleaseDC or EndPaint.
    if (!dc || !dc->IsMemory())
        return FALSE;
    return RemoveGdiObject(hdc);
}

int WINAPI SaveDC(HDC hdc)
{
    auto dc = ReferenceDC(hdc);
    return dc ? dc->Save() : 0;
}

BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return FALSE;
    return dc->Restore(nSavedDC) ? TRUE : InvalidParameter();
}

int WINAPI GetDeviceCaps(HDC hdc, int index)
{
    if (!ReferenceDC(hdc))
        return 0;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return kScreenWidth * 254 / (kLogicalDpi * 10);
    case VERTSIZE:
        return kScreenHeight * 254 / (kLogicalDpi * 10);
    case HORZRES:
    case DESKTOPHORZRES:
        return kScreenWidth;
    case VERTRES:
    case DESKTOPVERTRES:
        return kScreenHeight;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1;
    case NUMFONTS:
        return 0;
    case RASTERCAPS:
        return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return kLogicalDpi;
    case SIZEPALETTE:
        return 0;
    case COLORRES:
        return 24;
    case SHADEBLENDCAPS:
        return SB_CONST_ALPHA | SB_PIXEL_ALPHA | SB_GRAD_RECT;
    default:
        return 0;
    }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return nullptr;
    auto object = ReferenceGdiObject(h);
    if (!object)
        return nullptr;
    DcState& state = dc->State();

    auto swap = [&](HeldObject& slot) -> HGDIOBJ {
        HGDIOBJ previous = slot.Handle();
        slot = HeldObject(h, object);
        return previous;
    };

    switch (object->Type()) {
    case OBJ_REGION: {
        int result = SelectClipRgn(hdc, static_cast<HRGN>(h));
        return result == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(result));
    }
    case OBJ_BITMAP:
        // A bitmap lives in one memory DC at a time; window DCs take none.
        if (!dc->IsMemory())
            return nullptr;
        if (state.bitmap.Handle() == h)
            return h;
        if (!object->IsStock() && object->SelectionCount() > 0)
            return nullptr;
        return swap(state.bitmap);
    case OBJ_BRUSH:
        return swap(state.brush);
    case OBJ_PEN:
        return swap(state.pen);
    case OBJ_FONT:
        return swap(state.font);
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP:
        return dc->State().bitmap.Handle();
    case OBJ_BRUSH:
        return dc->State().brush.Handle();
    case OBJ_PEN:
        return dc->State().pen.Handle();
    case OBJ_FONT:
        return dc->State().font.Handle();
    default:
        return nullptr;
    }
}

BOOL WINAPI DeleteObject(HGDIOBJ ho)
{
    auto object = ReferenceGdiObject(ho);
    if (!object)
        return FALSE;
    if (object->IsStock())
        return TRUE;
    DWORD type = object->Type();
    if (type == OBJ_DC || type == OBJ_MEMDC)
        return InvalidParameter();
    // An object that a DC (or one of its saved states) holds stays alive and
    // valid; the caller must select it out first.
    if (object->SelectionCount() > 0)
        return FALSE;
    return RemoveGdiObject(ho);
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv)
{
    auto object = ReferenceGdiObject(h);
    if (!object)
        return 0;
    return object->Describe(c, pv);
}

DWORD WINAPI GetObjectType(HGDIOBJ h)
{
    auto object = ReferenceGdiObject(h);
    return object ? object->Type() : 0;
}

HGDIOBJ WINAPI GetStockObject(int i)
{
    return StockObjects::Get().Handle(i);
}

BOOL WINAPI GdiFlush()
{
    // Every call draws at once: there is no batch to flush.
    return TRUE;
}

// Coordinate origins.

static BOOL SetOrigin(HDC hdc, POINT DcState::*field, int x, int y, bool relative, LPPOINT previous)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return FALSE;
    POINT& origin = dc->State().*field;
    if (previous)
        *previous = origin;
    if (relative) {
        origin.x += x;
        origin.y += y;
    } else {
        origin = POINT {x, y};
    }
    return TRUE;
}

static BOOL GetOrigin(HDC hdc, POINT DcState::*field, LPPOINT point)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || !point)
        return FALSE;
    *point = dc->State().*field;
    return TRUE;
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    return SetOrigin(hdc, &DcState::viewportOrigin, x, y, false, lppt);
}

BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    return SetOrigin(hdc, &DcState::viewportOrigin, x, y, true, lppt);
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint)
{
    return GetOrigin(hdc, &DcState::viewportOrigin, lppoint);
}

BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt)
{
    return SetOrigin(hdc, &DcState::windowOrigin, x, y, false, lppt);
}

BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT lppoint)
{
    return GetOrigin(hdc, &DcState::windowOrigin, lppoint);
}

BOOL WINAPI LPtoDP(HDC hdc, LPPOINT lppt, int c)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || (c > 0 && !lppt))
        return FALSE;
    for (int i = 0; i < c; ++i)
        lppt[i] = dc->ToDevice(lppt[i].x, lppt[i].y);
    return TRUE;
}

BOOL WINAPI DPtoLP(HDC hdc, LPPOINT lppt, int c)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || (c > 0 && !lppt))
        return FALSE;
    for (int i = 0; i < c; ++i)
        lppt[i] = dc->ToLogical(lppt[i].x, lppt[i].y);
    return TRUE;
}

// Text, background and stretching settings. Each setter returns the previous
// value, or the documented failure value for a bad DC.

template <class T>
static T SetSetting(HDC hdc, T DcState::*field, T value, T failure)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return failure;
    T previous = dc->State().*field;
    dc->State().*field = value;
    return previous;
}

template <class T>
static T GetSetting(HDC hdc, T DcState::*field, T failure)
{
    auto dc = ReferenceDC(hdc);
    return dc ? dc->State().*field : failure;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    return SetSetting<COLORREF>(hdc, &DcState::textColor, color & 0x00FFFFFF, CLR_INVALID);
}

COLORREF WINAPI GetTextColor(HDC hdc)
{
    return GetSetting<COLORREF>(hdc, &DcState::textColor, CLR_INVALID);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    return SetSetting<COLORREF>(hdc, &DcState::backgroundColor, color & 0x00FFFFFF, CLR_INVALID);
}

COLORREF WINAPI GetBkColor(HDC hdc)
{
    return GetSetting<COLORREF>(hdc, &DcState::backgroundColor, CLR_INVALID);
}

int WINAPI SetBkMode(HDC hdc, int mode)
{
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return SetSetting<int>(hdc, &DcState::backgroundMode, mode, 0);
}

int WINAPI GetBkMode(HDC hdc)
{
    return GetSetting<int>(hdc, &DcState::backgroundMode, 0);
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align)
{
    return SetSetting<UINT>(hdc, &DcState::textAlign, align, GDI_ERROR);
}

UINT WINAPI GetTextAlign(HDC hdc)
{
    return GetSetting<UINT>(hdc, &DcState::textAlign, GDI_ERROR);
}

int WINAPI SetStretchBltMode(HDC hdc, int mode)
{
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return SetSetting<int>(hdc, &DcState::stretchMode, mode, 0);
}

int WINAPI GetStretchBltMode(HDC hdc)
{
    return GetSetting<int>(hdc, &DcState::stretchMode, 0);
}

COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color)
{
    return SetSetting<COLORREF>(hdc, &DcState::dcBrushColor, color & 0x00FFFFFF, CLR_INVALID);
}

COLORREF WINAPI GetDCBrushColor(HDC hdc)
{
    return GetSetting<COLORREF>(hdc, &DcState::dcBrushColor, CLR_INVALID);
}

COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color)
{
    return SetSetting<COLORREF>(hdc, &DcState::dcPenColor, color & 0x00FFFFFF, CLR_INVALID);
}

// Single pixels, in logical coordinates, honouring the clip.

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return CLR_INVALID;
    POINT p = dc->ToDevice(x, y);
    GdiRegion clip;
    dc->EffectiveClip(clip);
    if (!clip.Contains(p.x, p.y))
        return CLR_INVALID;
    uint32_t pixel = dc->Target().Row(p.y)[p.x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return CLR_INVALID;
    POINT p = dc->ToDevice(x, y);
    GdiRegion clip;
    dc->EffectiveClip(clip);
    if (!clip.Contains(p.x, p.y))
        return CLR_INVALID;
    // Like every plain GDI write, the alpha byte becomes 0.
    dc->Target().Row(p.y)[p.x] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    return color & 0x00FFFFFF;
}
