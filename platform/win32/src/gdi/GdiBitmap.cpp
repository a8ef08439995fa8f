#include "GdiBitmap.h"

#include <cassert>
#include <cstring>

namespace win32 {

std::shared_ptr<GdiBitmap> GdiBitmap::Create(int width, int height, bool bottomUp, bool isDibSection)
{
    assert(width > 0 && height > 0);
    std::shared_ptr<GdiBitmap> bitmap(new GdiBitmap);
    bitmap->m_width = width;
    bitmap->m_height = height;
    bitmap->m_strideBytes = width * 4;
    bitmap->m_bottomUp = bottomUp;
    bitmap->m_isDibSection = isDibSection;
    bitmap->m_owned.assign(static_cast<size_t>(width) * height, 0);
    bitmap->m_memory = bitmap->m_owned.data();
    bitmap->MakeImages();
    return bitmap;
}

std::shared_ptr<GdiBitmap> GdiBitmap::Wrap(uint32_t* pixels, int width, int height, int strideBytes)
{
    assert(pixels && width > 0 && height > 0 && strideBytes >= width * 4 && strideBytes % 4 == 0);
    std::shared_ptr<GdiBitmap> bitmap(new GdiBitmap);
    bitmap->m_width = width;
    bitmap->m_height = height;
    bitmap->m_strideBytes = strideBytes;
    bitmap->m_isDibSection = true;
    bitmap->m_memory = pixels;
    bitmap->MakeImages();
    return bitmap;
}

GdiBitmap::~GdiBitmap()
{
    if (m_opaqueView)
        pixman_image_unref(m_opaqueView);
    pixman_image_unref(m_image);
}

uint32_t* GdiBitmap::Row(int y) const
{
    assert(y >= 0 && y < m_height);
    int scanline = m_bottomUp ? m_height - 1 - y : y;
    return reinterpret_cast<uint32_t*>(static_cast<char*>(m_memory) + static_cast<ptrdiff_t>(scanline) * m_strideBytes);
}

void GdiBitmap::MakeImages()
{
    int stride = m_bottomUp ? -m_strideBytes : m_strideBytes;
    m_image = pixman_image_create_bits_no_clear(PIXMAN_a8r8g8b8, m_width, m_height, Row(0), stride);
    assert(m_image);
}

pixman_image_t* GdiBitmap::OpaqueView() const
{
    if (!m_opaqueView) {
        int stride = m_bottomUp ? -m_strideBytes : m_strideBytes;
        m_opaqueView = pixman_image_create_bits_no_clear(PIXMAN_x8r8g8b8, m_width, m_height, Row(0), stride);
    }
    return m_opaqueView;
}

int GdiBitmap::Describe(int size, void* buffer) const
{
    BITMAP record {};
    record.bmType = 0;
    record.bmWidth = m_width;
    record.bmHeight = m_height;
    record.bmWidthBytes = m_strideBytes;
    record.bmPlanes = 1;
    record.bmBitsPixel = 32;
    // Only DIB sections expose their bits, as in GDI.
    record.bmBits = m_isDibSection ? m_memory : nullptr;

    if (!buffer)
        return m_isDibSection ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
    if (m_isDibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION section {};
        section.dsBm = record;
        section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        section.dsBmih.biWidth = m_width;
        section.dsBmih.biHeight = m_bottomUp ? m_height : -m_height;
        section.dsBmih.biPlanes = 1;
        section.dsBmih.biBitCount = 32;
        section.dsBmih.biCompression = BI_RGB;
        section.dsBmih.biSizeImage = static_cast<DWORD>(m_strideBytes) * m_height;
        std::memcpy(buffer, &section, sizeof section);
        return sizeof section;
    }
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    std::memcpy(buffer, &record, sizeof record);
    return sizeof record;
}

} // namespace win32
