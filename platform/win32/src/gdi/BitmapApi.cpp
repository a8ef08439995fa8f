// Bitmap creation and pixel transfer. Every bitmap is 32 bits per pixel.
#include "DeviceContext.h"
#include "StockObjects.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

#include <cstring>

using namespace win32;

namespace {

// Bitmaps larger than this are refused rather than risking an overflow.
constexpr long long kMaxPixels = 1LL << 28;

bool AcceptableSize(long long width, long long height)
{
    return width > 0 && height > 0 && width * height <= kMaxPixels;
}

// Accepts the one pixel layout the layer draws: 32 bpp B,G,R,A, either plain
// BI_RGB or bit fields with the same masks.
bool IsSupportedHeader(const BITMAPINFO* info)
{
    if (!info || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
        return false;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biBitCount != 32 || header.biPlanes != 1)
        return false;
    if (header.biCompression == BI_RGB)
        return true;
    if (header.biCompression == BI_BITFIELDS) {
        DWORD masks[3];
        std::memcpy(masks, info->bmiColors, sizeof masks);
        return masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
    }
    return false;
}

HBITMAP Insert(std::shared_ptr<GdiBitmap> bitmap)
{
    return static_cast<HBITMAP>(InsertGdiObject(std::move(bitmap)));
}

} // namespace

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    if (!ReferenceDC(hdc))
        return nullptr;
    if (cx == 0 || cy == 0)
        return static_cast<HBITMAP>(StockObjects::Get().defaultBitmapHandle);
    if (!AcceptableSize(cx, cy)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Insert(GdiBitmap::Create(cx, cy, false, false));
}

HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits)
{
    if (nWidth == 0 || nHeight == 0)
        return static_cast<HBITMAP>(StockObjects::Get().defaultBitmapHandle);
    if (!AcceptableSize(nWidth, nHeight) || nPlanes != 1 || nBitCount != 32) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = GdiBitmap::Create(nWidth, nHeight, false, false);
    if (lpBits) {
        const auto* source = static_cast<const uint32_t*>(lpBits);
        for (int y = 0; y < nHeight; ++y)
            std::memcpy(bitmap->Row(y), source + static_cast<size_t>(y) * nWidth, static_cast<size_t>(nWidth) * 4);
    }
    return Insert(std::move(bitmap));
}

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                DWORD)
{
    if (ppvBits)
        *ppvBits = nullptr;
    if (hdc && !ReferenceDC(hdc))
        return nullptr;
    if (!IsSupportedHeader(pbmi) || usage != DIB_RGB_COLORS || hSection) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    long long width = pbmi->bmiHeader.biWidth;
    long long height = pbmi->bmiHeader.biHeight;
    bool bottomUp = height > 0;
    if (!AcceptableSize(width, bottomUp ? height : -height)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = GdiBitmap::Create(static_cast<int>(width), static_cast<int>(bottomUp ? height : -height), bottomUp,
                                    true);
    if (ppvBits)
        *ppvBits = bitmap->Bits();
    return Insert(std::move(bitmap));
}

// Scanline transfers: scanline numbers count from the bottom for bottom-up
// layouts (positive biHeight) and from the top otherwise.

static bool ScanlineRange(const GdiBitmap& bitmap, const BITMAPINFO* info, UINT start, UINT lines, int& first,
                          int& count)
{
    int height = bitmap.Height();
    if (start >= static_cast<UINT>(height))
        return false;
    count = static_cast<int>(std::min<UINT>(lines, height - start));
    first = static_cast<int>(start);
    (void)info;
    return count > 0;
}

static int TopDownRow(const GdiBitmap& bitmap, const BITMAPINFO* info, int scanline)
{
    return info->bmiHeader.biHeight > 0 ? bitmap.Height() - 1 - scanline : scanline;
}

int WINAPI GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage)
{
    if (!ReferenceDC(hdc) || !lpbmi || usage != DIB_RGB_COLORS)
        return 0;
    auto bitmap = ReferenceGdiObjectAs<GdiBitmap>(hbm);
    if (!bitmap)
        return 0;
    if (!lpvBits) {
        // Only the header is asked for: describe the bitmap as GDI would.
        if (lpbmi->bmiHeader.biSize < sizeof(BITMAPINFOHEADER))
            return 0;
        BITMAPINFOHEADER& header = lpbmi->bmiHeader;
        header.biWidth = bitmap->Width();
        header.biHeight = bitmap->IsBottomUp() || !bitmap->IsDibSection() ? bitmap->Height() : -bitmap->Height();
        header.biPlanes = 1;
        header.biBitCount = 32;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(bitmap->Width()) * 4 * bitmap->Height();
        return bitmap->Height();
    }
    if (!IsSupportedHeader(lpbmi) || lpbmi->bmiHeader.biWidth != bitmap->Width())
        return 0;
    int first = 0, count = 0;
    if (!ScanlineRange(*bitmap, lpbmi, start, cLines, first, count))
        return 0;
    auto* out = static_cast<uint32_t*>(lpvBits);
    for (int i = 0; i < count; ++i)
        std::memcpy(out + static_cast<size_t>(i) * bitmap->Width(), bitmap->Row(TopDownRow(*bitmap, lpbmi, first + i)),
                    static_cast<size_t>(bitmap->Width()) * 4);
    return count;
}

int WINAPI SetDIBits(HDC, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
                     UINT ColorUse)
{
    auto bitmap = ReferenceGdiObjectAs<GdiBitmap>(hbm);
    if (!bitmap || !lpBits || !IsSupportedHeader(lpbmi) || ColorUse != DIB_RGB_COLORS
        || lpbmi->bmiHeader.biWidth != bitmap->Width())
        return 0;
    int first = 0, count = 0;
    if (!ScanlineRange(*bitmap, lpbmi, start, cLines, first, count))
        return 0;
    const auto* in = static_cast<const uint32_t*>(lpBits);
    for (int i = 0; i < count; ++i)
        std::memcpy(bitmap->Row(TopDownRow(*bitmap, lpbmi, first + i)), in + static_cast<size_t>(i) * bitmap->Width(),
                    static_cast<size_t>(bitmap->Width()) * 4);
    return count;
}
