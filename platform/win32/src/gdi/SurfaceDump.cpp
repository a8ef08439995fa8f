#include <layer/SurfaceDump.h>

#include "DeviceContext.h"

#include <cairo.h>

#include <vector>

namespace win32 {

bool WritePixelsPng(const uint32_t* pixels, int width, int height, int strideBytes, const std::string& hostPath,
                    bool opaque)
{
    if (!pixels || width <= 0 || height <= 0 || strideBytes < width * 4)
        return false;
    // Cairo's PNG writer expects premultiplied pixels; GDI pixels with alpha
    // 0 and a colour are not, so they are written either opaque or as they
    // are with alpha taken literally (colour kept where alpha is nonzero).
    cairo_surface_t* surface = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, width,
                                                          height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(pixels)
                                                           + static_cast<ptrdiff_t>(y) * strideBytes);
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x)
            out[x] = opaque ? (in[x] | 0xFF000000u) : in[x];
    }
    cairo_surface_mark_dirty(surface);
    bool ok = cairo_surface_write_to_png(surface, hostPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

static bool WriteBitmap(const GdiBitmap& bitmap, const std::string& hostPath, bool opaque)
{
    // Gathered top-down, whatever the bitmap's own row order.
    std::vector<uint32_t> pixels(static_cast<size_t>(bitmap.Width()) * bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y)
        std::copy(bitmap.Row(y), bitmap.Row(y) + bitmap.Width(), pixels.data() + static_cast<size_t>(y) * bitmap.Width());
    return WritePixelsPng(pixels.data(), bitmap.Width(), bitmap.Height(), bitmap.Width() * 4, hostPath, opaque);
}

bool WriteBitmapPng(HBITMAP bitmap, const std::string& hostPath, bool opaque)
{
    auto object = ReferenceGdiObjectAs<GdiBitmap>(bitmap);
    return object && WriteBitmap(*object, hostPath, opaque);
}

bool WriteDcPng(HDC hdc, const std::string& hostPath, bool opaque)
{
    auto dc = ReferenceDC(hdc);
    return dc && WriteBitmap(dc->Target(), hostPath, opaque);
}

} // namespace win32
