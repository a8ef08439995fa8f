#include "SurfaceDC.h"

#include "DeviceContext.h"

namespace win32 {

HDC CreateSurfaceDC(uint32_t* pixels, int width, int height, int strideBytes)
{
    if (!pixels || width <= 0 || height <= 0 || strideBytes < width * 4 || strideBytes % 4 != 0)
        return nullptr;
    auto dc = DeviceContext::CreateSurface(GdiBitmap::Wrap(pixels, width, height, strideBytes));
    return static_cast<HDC>(InsertGdiObject(std::move(dc)));
}

bool RetargetSurfaceDC(HDC hdc, uint32_t* pixels, int width, int height, int strideBytes)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || dc->IsMemory())
        return false;
    if (!pixels || width <= 0 || height <= 0 || strideBytes < width * 4 || strideBytes % 4 != 0)
        return false;
    dc->Retarget(GdiBitmap::Wrap(pixels, width, height, strideBytes));
    return true;
}

void SetSurfaceDCClip(HDC hdc, HRGN updateRegion)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return;
    auto region = updateRegion ? ReferenceGdiObjectAs<GdiRegion>(updateRegion) : nullptr;
    if (region)
        dc->SetSystemClip(GdiRegion(*region));
    else
        dc->SetSystemClip(std::nullopt);
}

void SetSurfaceDCClip(HDC hdc, const RECT* updateRect)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return;
    if (!updateRect) {
        dc->SetSystemClip(std::nullopt);
        return;
    }
    GdiRegion region;
    region.SetRect(updateRect->left, updateRect->top, updateRect->right, updateRect->bottom);
    dc->SetSystemClip(region);
}

void DestroySurfaceDC(HDC hdc)
{
    auto dc = ReferenceDC(hdc);
    if (!dc || dc->IsMemory())
        return;
    RemoveGdiObject(hdc);
}

} // namespace win32
