// Block transfers, stretching, alpha blending and gradient fills.
//
// Copies keep all four bytes of a source pixel (GDI copies 32-bit pixels
// whole); fills with a colour write alpha 0; HALFTONE stretching writes
// alpha 0, as GDI's halftoning does.
#include "PixelOps.h"

#include <errhandlingapi.h>
#include <winerror.h>
#include <wingdi.h>

#include <cstdlib>

using namespace win32;

namespace {

BOOL Fail(DWORD error = ERROR_INVALID_PARAMETER)
{
    SetLastError(error);
    return FALSE;
}

// Sets the destination's clip for one pixman operation and lifts it after.
class ScopedClip {
public:
    ScopedClip(pixman_image_t* image, GdiRegion& clip)
        : m_image(image)
    {
        pixman_image_set_clip_region32(m_image, clip.Pixman());
    }
    ~ScopedClip() { pixman_image_set_clip_region32(m_image, nullptr); }

private:
    pixman_image_t* m_image;
};

// A source rectangle in the source bitmap's pixels, after its DC's origins.
struct SourceArea {
    GdiBitmap* bitmap;
    RECT rect;
};

// An independent copy of part of a bitmap, for operations whose source and
// destination are the same pixels.
pixman_image_t* CopyOf(const GdiBitmap& bitmap, const RECT& rect, RECT& copiedRect)
{
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    pixman_image_t* copy = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, nullptr, 0);
    pixman_image_composite32(PIXMAN_OP_SRC, bitmap.Image(), nullptr, copy, rect.left, rect.top, 0, 0, 0, 0, width,
                             height);
    copiedRect = RECT {0, 0, width, height};
    return copy;
}

bool NeedsSource(DWORD rop)
{
    // A ROP uses the source when its result depends on S: the ternary code's
    // bits differ between S = 0 and S = 1.
    DWORD code = (rop >> 16) & 0xFF;
    return ((code >> 2) & 0x33) != (code & 0x33);
}

// Applies a ternary raster operation to 32-bit values.
uint32_t ApplyRop(DWORD rop, uint32_t pattern, uint32_t source, uint32_t destination)
{
    DWORD code = (rop >> 16) & 0xFF;
    uint32_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (!(code & (1u << bit)))
            continue;
        uint32_t p = (bit & 4) ? pattern : ~pattern;
        uint32_t s = (bit & 2) ? source : ~source;
        uint32_t d = (bit & 1) ? destination : ~destination;
        result |= p & s & d;
    }
    return result;
}

uint32_t PatternPixel(const DeviceContext& dc)
{
    const auto* brush = dc.State().brush.As<GdiBrush>();
    return brush && !brush->IsNull() ? PixelOf(dc.BrushColor(*brush)) : 0;
}

// The general raster-operation path: every pixel of the destination area
// combines pattern, source and destination bit by bit.
void RopBlit(DeviceContext& dc, const RECT& deviceRect, const GdiBitmap* source, int sourceX, int sourceY, DWORD rop)
{
    GdiRegion area;
    ClipDeviceRect(dc, deviceRect, area);
    uint32_t pattern = PatternPixel(dc);
    GdiBitmap& target = dc.Target();
    ForEachPixel(target, area, [&](uint32_t pixel, int x, int y) {
        uint32_t s = source ? source->Row(y - deviceRect.top + sourceY)[x - deviceRect.left + sourceX] : 0;
        return ApplyRop(rop, pattern, s, pixel);
    });
}

// Clips a copy's source rectangle to the source bitmap, moving the
// destination with it, so that pixels outside the source stay untouched.
bool ClipToSource(const GdiBitmap& source, RECT& destination, POINT& sourceOrigin)
{
    int dx = 0, dy = 0;
    if (sourceOrigin.x < 0)
        dx = -sourceOrigin.x;
    if (sourceOrigin.y < 0)
        dy = -sourceOrigin.y;
    destination.left += dx;
    destination.top += dy;
    sourceOrigin.x += dx;
    sourceOrigin.y += dy;
    destination.right = std::min<LONG>(destination.right, destination.left + source.Width() - sourceOrigin.x);
    destination.bottom = std::min<LONG>(destination.bottom, destination.top + source.Height() - sourceOrigin.y);
    return destination.right > destination.left && destination.bottom > destination.top;
}

BOOL CopyBlit(DeviceContext& dc, RECT destination, DeviceContext& sourceDc, POINT sourceOrigin)
{
    GdiBitmap& source = sourceDc.Target();
    if (!ClipToSource(source, destination, sourceOrigin))
        return TRUE;
    GdiBitmap& target = dc.Target();
    GdiRegion area;
    ClipDeviceRect(dc, destination, area);
    int width = destination.right - destination.left, height = destination.bottom - destination.top;

    pixman_image_t* sourceImage = source.Image();
    pixman_image_t* copy = nullptr;
    if (&source == &target) {
        RECT copied;
        copy = CopyOf(source, RECT {sourceOrigin.x, sourceOrigin.y, sourceOrigin.x + width, sourceOrigin.y + height},
                      copied);
        sourceImage = copy;
        sourceOrigin = POINT {0, 0};
    }
    {
        ScopedClip clip(target.Image(), area);
        pixman_image_composite32(PIXMAN_OP_SRC, sourceImage, nullptr, target.Image(), sourceOrigin.x, sourceOrigin.y,
                                 0, 0, destination.left, destination.top, width, height);
    }
    if (copy)
        pixman_image_unref(copy);
    return TRUE;
}

// Sets a transform on the source that maps the destination rectangle onto
// the source rectangle (either may be mirrored by a negative extent).
void SetStretchTransform(pixman_image_t* source, int destWidth, int destHeight, int sourceX, int sourceY,
                         int sourceWidth, int sourceHeight, bool mirrorX, bool mirrorY)
{
    double scaleX = static_cast<double>(sourceWidth) / destWidth;
    double scaleY = static_cast<double>(sourceHeight) / destHeight;
    double tx = mirrorX ? sourceX + sourceWidth : sourceX;
    double ty = mirrorY ? sourceY + sourceHeight : sourceY;
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[0][0] = pixman_double_to_fixed(mirrorX ? -scaleX : scaleX);
    transform.matrix[0][2] = pixman_double_to_fixed(tx);
    transform.matrix[1][1] = pixman_double_to_fixed(mirrorY ? -scaleY : scaleY);
    transform.matrix[1][2] = pixman_double_to_fixed(ty);
    pixman_image_set_transform(source, &transform);
}

void ClearTransform(pixman_image_t* source)
{
    pixman_image_set_transform(source, nullptr);
    pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(source, PIXMAN_REPEAT_NONE);
}

// A normalised stretch: destination and source rectangles with positive
// extents and the mirroring that their signs asked for.
struct Stretch {
    RECT destination;
    int sourceX, sourceY, sourceWidth, sourceHeight;
    bool mirrorX = false, mirrorY = false;
};

Stretch Normalize(int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs)
{
    Stretch s {};
    if (wd < 0) {
        xd += wd;
        wd = -wd;
        s.mirrorX = !s.mirrorX;
    }
    if (hd < 0) {
        yd += hd;
        hd = -hd;
        s.mirrorY = !s.mirrorY;
    }
    if (ws < 0) {
        xs += ws;
        ws = -ws;
        s.mirrorX = !s.mirrorX;
    }
    if (hs < 0) {
        ys += hs;
        hs = -hs;
        s.mirrorY = !s.mirrorY;
    }
    s.destination = RECT {xd, yd, xd + wd, yd + hd};
    s.sourceX = xs;
    s.sourceY = ys;
    s.sourceWidth = ws;
    s.sourceHeight = hs;
    return s;
}

// Composites a stretched source (or a scaled copy of it) into the target.
// The source is read with edge padding, so stretched edges keep their colour.
void CompositeStretched(pixman_op_t op, pixman_image_t* sourceImage, pixman_image_t* mask, GdiBitmap& target,
                        GdiRegion& area, const Stretch& s, bool smooth)
{
    int width = s.destination.right - s.destination.left;
    int height = s.destination.bottom - s.destination.top;
    SetStretchTransform(sourceImage, width, height, s.sourceX, s.sourceY, s.sourceWidth, s.sourceHeight, s.mirrorX,
                        s.mirrorY);
    pixman_image_set_filter(sourceImage, smooth ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(sourceImage, PIXMAN_REPEAT_PAD);
    {
        ScopedClip clip(target.Image(), area);
        pixman_image_composite32(op, sourceImage, mask, target.Image(), 0, 0, 0, 0, s.destination.left,
                                 s.destination.top, width, height);
    }
    ClearTransform(sourceImage);
}

// Source pixels are only read inside the source bitmap; the destination
// area is cut to where the stretched source lands inside it.
bool ClipStretchToSource(const GdiBitmap& source, Stretch& s)
{
    RECT inside {std::max(s.sourceX, 0), std::max(s.sourceY, 0), std::min(s.sourceX + s.sourceWidth, source.Width()),
                 std::min(s.sourceY + s.sourceHeight, source.Height())};
    if (inside.right <= inside.left || inside.bottom <= inside.top)
        return false;
    if (inside.left == s.sourceX && inside.top == s.sourceY && inside.right == s.sourceX + s.sourceWidth
        && inside.bottom == s.sourceY + s.sourceHeight)
        return true;
    auto map = [](int value, int from, int fromSize, int to, int toSize, bool mirror) {
        long long offset = static_cast<long long>(value - from) * toSize / fromSize;
        return mirror ? to + toSize - static_cast<int>(offset) : to + static_cast<int>(offset);
    };
    int dw = s.destination.right - s.destination.left, dh = s.destination.bottom - s.destination.top;
    int x1 = map(inside.left, s.sourceX, s.sourceWidth, s.destination.left, dw, s.mirrorX);
    int x2 = map(inside.right, s.sourceX, s.sourceWidth, s.destination.left, dw, s.mirrorX);
    int y1 = map(inside.top, s.sourceY, s.sourceHeight, s.destination.top, dh, s.mirrorY);
    int y2 = map(inside.bottom, s.sourceY, s.sourceHeight, s.destination.top, dh, s.mirrorY);
    s.destination = Normalized(RECT {x1, y1, x2, y2});
    s.sourceX = inside.left;
    s.sourceY = inside.top;
    s.sourceWidth = inside.right - inside.left;
    s.sourceHeight = inside.bottom - inside.top;
    return s.destination.right > s.destination.left && s.destination.bottom > s.destination.top;
}

} // namespace

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return FALSE;
    if (NeedsSource(rop))
        return Fail();
    RECT rect = Normalized(dc->ToDevice(RECT {x, y, x + w, y + h}));
    if (rop == PATCOPY) {
        // A pattern copy is a plain fill: alpha stays 0.
        const auto* brush = dc->State().brush.As<GdiBrush>();
        if (brush && brush->IsNull())
            return TRUE;
        GdiRegion area;
        ClipDeviceRect(*dc, rect, area);
        FillRegionPixels(dc->Target(), area, PatternPixel(*dc));
        return TRUE;
    }
    RopBlit(*dc, rect, nullptr, 0, 0, rop);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    rop &= ~(CAPTUREBLT | NOMIRRORBITMAP);
    if (!NeedsSource(rop))
        return PatBlt(hdc, x, y, cx, cy, rop);
    auto dc = ReferenceDC(hdc);
    auto sourceDc = ReferenceDC(hdcSrc);
    if (!dc || !sourceDc)
        return FALSE;
    if (cx < 0 || cy < 0)
        return StretchBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
    POINT destination = dc->ToDevice(x, y);
    POINT sourceOrigin = sourceDc->ToDevice(x1, y1);
    RECT rect {destination.x, destination.y, destination.x + cx, destination.y + cy};
    if (rop == SRCCOPY)
        return CopyBlit(*dc, rect, *sourceDc, sourceOrigin);

    GdiBitmap& source = sourceDc->Target();
    if (!ClipToSource(source, rect, sourceOrigin))
        return TRUE;
    if (&source == &dc->Target()) {
        // Read everything before writing anything.
        RECT copied;
        int width = rect.right - rect.left, height = rect.bottom - rect.top;
        pixman_image_t* copy = CopyOf(source, RECT {sourceOrigin.x, sourceOrigin.y, sourceOrigin.x + width,
                                                    sourceOrigin.y + height}, copied);
        auto copyBitmap = GdiBitmap::Create(width, height, false, false);
        pixman_image_composite32(PIXMAN_OP_SRC, copy, nullptr, copyBitmap->Image(), 0, 0, 0, 0, 0, 0, width, height);
        pixman_image_unref(copy);
        RopBlit(*dc, rect, copyBitmap.get(), 0, 0, rop);
        return TRUE;
    }
    RopBlit(*dc, rect, &source, sourceOrigin.x, sourceOrigin.y, rop);
    return TRUE;
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop)
{
    rop &= ~(CAPTUREBLT | NOMIRRORBITMAP);
    if (!NeedsSource(rop))
        return PatBlt(hdcDest, xDest, yDest, wDest, hDest, rop);
    auto dc = ReferenceDC(hdcDest);
    auto sourceDc = ReferenceDC(hdcSrc);
    if (!dc || !sourceDc)
        return FALSE;
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;
    bool halftone = dc->State().stretchMode == HALFTONE;
    if (wDest == wSrc && hDest == hSrc && wDest > 0 && hDest > 0 && !halftone)
        return BitBlt(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, rop);
    if (rop != SRCCOPY)
        return Fail(ERROR_NOT_SUPPORTED);

    POINT d = dc->ToDevice(xDest, yDest);
    POINT s = sourceDc->ToDevice(xSrc, ySrc);
    Stretch stretch = Normalize(d.x, d.y, wDest, hDest, s.x, s.y, wSrc, hSrc);
    GdiBitmap& source = sourceDc->Target();
    if (!ClipStretchToSource(source, stretch))
        return TRUE;
    GdiBitmap& target = dc->Target();
    GdiRegion area;
    ClipDeviceRect(*dc, stretch.destination, area);

    // The same pixels as source and target: stretch from a copy.
    pixman_image_t* sourceImage = source.Image();
    pixman_image_t* copy = nullptr;
    if (&source == &target) {
        RECT copied;
        copy = CopyOf(source, RECT {stretch.sourceX, stretch.sourceY, stretch.sourceX + stretch.sourceWidth,
                                    stretch.sourceY + stretch.sourceHeight}, copied);
        sourceImage = copy;
        stretch.sourceX = stretch.sourceY = 0;
    }
    CompositeStretched(PIXMAN_OP_SRC, sourceImage, nullptr, target, area, stretch, halftone);
    if (copy)
        pixman_image_unref(copy);
    if (halftone)
        ForEachPixel(target, area, [](uint32_t pixel, int, int) { return pixel & 0x00FFFFFF; });
    return TRUE;
}

BOOL WINAPI AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                       int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn)
{
    auto dc = ReferenceDC(hdcDest);
    auto sourceDc = ReferenceDC(hdcSrc);
    if (!dc || !sourceDc)
        return FALSE;
    if (ftn.BlendOp != AC_SRC_OVER || wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0)
        return Fail();
    POINT d = dc->ToDevice(xoriginDest, yoriginDest);
    POINT s = sourceDc->ToDevice(xoriginSrc, yoriginSrc);
    GdiBitmap& source = sourceDc->Target();
    // GDI refuses a source rectangle that leaves the source bitmap.
    if (s.x < 0 || s.y < 0 || s.x + wSrc > source.Width() || s.y + hSrc > source.Height())
        return Fail();
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;

    Stretch stretch = Normalize(d.x, d.y, wDest, hDest, s.x, s.y, wSrc, hSrc);
    GdiBitmap& target = dc->Target();
    GdiRegion area;
    ClipDeviceRect(*dc, stretch.destination, area);
    bool scaled = wDest != wSrc || hDest != hSrc;
    bool smooth = dc->State().stretchMode == HALFTONE;
    BYTE constant = ftn.SourceConstantAlpha;

    pixman_image_t* sourceImage = source.Image();
    pixman_image_t* copy = nullptr;
    if (&source == &target) {
        RECT copied;
        copy = CopyOf(source, RECT {s.x, s.y, s.x + wSrc, s.y + hSrc}, copied);
        sourceImage = copy;
        stretch.sourceX = stretch.sourceY = 0;
    }

    if (ftn.AlphaFormat & AC_SRC_ALPHA) {
        // Premultiplied source over the destination, scaled by the constant:
        // dst = src * k + dst * (1 - srcAlpha * k), exactly pixman's OVER.
        pixman_image_t* mask = nullptr;
        if (constant != 255) {
            pixman_color_t color {0, 0, 0, static_cast<uint16_t>(constant * 257)};
            mask = pixman_image_create_solid_fill(&color);
        }
        if (scaled) {
            CompositeStretched(PIXMAN_OP_OVER, sourceImage, mask, target, area, stretch, smooth);
        } else {
            ScopedClip clip(target.Image(), area);
            pixman_image_composite32(PIXMAN_OP_OVER, sourceImage, mask, target.Image(), stretch.sourceX,
                                     stretch.sourceY, 0, 0, stretch.destination.left, stretch.destination.top, wDest,
                                     hDest);
        }
        if (mask)
            pixman_image_unref(mask);
    } else {
        // Without per-pixel alpha every byte, alpha included, moves towards
        // the source by the constant: dst = (src * k + dst * (255 - k)) / 255.
        int width = stretch.destination.right - stretch.destination.left;
        int height = stretch.destination.bottom - stretch.destination.top;
        auto placed = GdiBitmap::Create(width, height, false, false);
        Stretch local = stretch;
        local.destination = RECT {0, 0, width, height};
        GdiRegion all;
        all.SetRect(0, 0, width, height);
        CompositeStretched(PIXMAN_OP_SRC, sourceImage, nullptr, *placed, all, local, smooth && scaled);
        auto blend = [constant](uint32_t s, uint32_t d) {
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
                result |= ((sc * constant + dc * (255 - constant) + 127) / 255) << shift;
            }
            return result;
        };
        ForEachPixel(target, area, [&](uint32_t pixel, int x, int y) {
            return blend(placed->Row(y - stretch.destination.top)[x - stretch.destination.left], pixel);
        });
    }
    if (copy)
        pixman_image_unref(copy);
    return TRUE;
}

BOOL WINAPI GdiAlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                          int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn)
{
    return AlphaBlend(hdcDest, xoriginDest, yoriginDest, wDest, hDest, hdcSrc, xoriginSrc, yoriginSrc, wSrc, hSrc,
                      ftn);
}

BOOL WINAPI GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode)
{
    auto dc = ReferenceDC(hdc);
    if (!dc)
        return FALSE;
    if (!pVertex || !pMesh || (ulMode != GRADIENT_FILL_RECT_H && ulMode != GRADIENT_FILL_RECT_V))
        return Fail();
    const auto* rects = static_cast<const GRADIENT_RECT*>(pMesh);
    bool vertical = ulMode == GRADIENT_FILL_RECT_V;
    for (ULONG i = 0; i < nMesh; ++i) {
        if (rects[i].UpperLeft >= nVertex || rects[i].LowerRight >= nVertex)
            return Fail();
        TRIVERTEX first = pVertex[rects[i].UpperLeft];
        TRIVERTEX second = pVertex[rects[i].LowerRight];
        // Colours run from the vertex at the smaller coordinate.
        if ((vertical ? first.y > second.y : first.x > second.x))
            std::swap(first, second);
        RECT rect = Normalized(dc->ToDevice(RECT {first.x, first.y, second.x, second.y}));
        GdiRegion area;
        ClipDeviceRect(*dc, rect, area);
        int start = vertical ? rect.top : rect.left;
        long long length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
        if (length <= 0)
            continue;
        auto channel = [&](COLOR16 a, COLOR16 b, long long pos) {
            return static_cast<uint32_t>((a * (length - pos) + b * pos) / length / 256);
        };
        // The gradient writes every channel, alpha included, from the vertices.
        ForEachPixel(dc->Target(), area, [&](uint32_t, int x, int y) {
            long long pos = (vertical ? y : x) - start;
            return channel(first.Alpha, second.Alpha, pos) << 24 | channel(first.Red, second.Red, pos) << 16
                   | channel(first.Green, second.Green, pos) << 8 | channel(first.Blue, second.Blue, pos);
        });
    }
    return TRUE;
}

BOOL WINAPI GdiGradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode)
{
    return GradientFill(hdc, pVertex, nVertex, pMesh, nMesh, ulMode);
}
