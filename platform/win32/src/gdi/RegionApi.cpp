// Region objects: creation, combination and queries.
#include "GdiRegion.h"
#include "RoundRectShape.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

#include <cstring>
#include <optional>

using namespace win32;

static HRGN Insert(std::shared_ptr<GdiRegion> region)
{
    return static_cast<HRGN>(InsertGdiObject(std::move(region)));
}

HRGN WINAPI CreateRectRgn(int x1, int y1, int x2, int y2)
{
    auto region = std::make_shared<GdiRegion>();
    region->SetRect(x1, y1, x2, y2);
    return Insert(std::move(region));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* lprect)
{
    if (!lprect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

HRGN WINAPI CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h)
{
    auto region = std::make_shared<GdiRegion>();
    BuildRoundRectRegion(*region, x1, y1, x2, y2, w, h);
    return Insert(std::move(region));
}

int WINAPI CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode)
{
    auto destination = ReferenceGdiObjectAs<GdiRegion>(hrgnDst);
    auto first = ReferenceGdiObjectAs<GdiRegion>(hrgnSrc1);
    if (!destination || !first || iMode < RGN_MIN || iMode > RGN_MAX)
        return ERROR;
    std::shared_ptr<GdiRegion> second;
    if (iMode != RGN_COPY) {
        second = ReferenceGdiObjectAs<GdiRegion>(hrgnSrc2);
        if (!second)
            return ERROR;
    }
    // Copies of the operands, since the destination may be one of them.
    GdiRegion a(*first);
    std::optional<GdiRegion> b;
    if (second)
        b.emplace(*second);
    if (!destination->Combine(a, b ? &*b : nullptr, iMode))
        return ERROR;
    return destination->Complexity();
}

BOOL WINAPI PtInRegion(HRGN hrgn, int x, int y)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    return region && region->Contains(x, y);
}

BOOL WINAPI RectInRegion(HRGN hrgn, const RECT* lprect)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region || !lprect)
        return FALSE;
    RECT r = *lprect;
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    pixman_box32_t box {r.left, r.top, r.right, r.bottom};
    return pixman_region32_contains_rectangle(region->Pixman(), &box) != PIXMAN_REGION_OUT;
}

int WINAPI GetRgnBox(HRGN hrgn, LPRECT lprc)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region || !lprc)
        return ERROR;
    *lprc = region->Box();
    return region->Complexity();
}

BOOL WINAPI SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region)
        return FALSE;
    region->SetRect(left, top, right, bottom);
    return TRUE;
}

int WINAPI OffsetRgn(HRGN hrgn, int x, int y)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region)
        return ERROR;
    region->Offset(x, y);
    return region->Complexity();
}

BOOL WINAPI EqualRgn(HRGN hrgn1, HRGN hrgn2)
{
    auto a = ReferenceGdiObjectAs<GdiRegion>(hrgn1);
    auto b = ReferenceGdiObjectAs<GdiRegion>(hrgn2);
    if (!a || !b)
        return ERROR;
    return a->Equals(*b);
}

DWORD WINAPI GetRegionData(HRGN hrgn, DWORD nCount, LPRGNDATA lpRgnData)
{
    auto region = ReferenceGdiObjectAs<GdiRegion>(hrgn);
    if (!region)
        return 0;
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(region->Pixman(), &count);
    DWORD size = sizeof(RGNDATAHEADER) + static_cast<DWORD>(count) * sizeof(RECT);
    if (!lpRgnData)
        return size;
    if (nCount < size)
        return 0;
    lpRgnData->rdh.dwSize = sizeof(RGNDATAHEADER);
    lpRgnData->rdh.iType = RDH_RECTANGLES;
    lpRgnData->rdh.nCount = static_cast<DWORD>(count);
    lpRgnData->rdh.nRgnSize = static_cast<DWORD>(count) * sizeof(RECT);
    lpRgnData->rdh.rcBound = region->Box();
    auto* rects = reinterpret_cast<RECT*>(lpRgnData->Buffer);
    for (int i = 0; i < count; ++i) {
        RECT r {boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
        std::memcpy(rects + i, &r, sizeof r);
    }
    return size;
}
