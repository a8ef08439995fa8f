// Small helpers for the GDI pixel tests: a memory DC with a 32-bit DIB
// section selected, whose pixels the test reads and writes directly.
#pragma once

#include <windows.h>

#include <cstdint>

namespace gdi_test {

class DibSurface {
public:
    DibSurface(int width, int height, bool bottomUp = false, uint32_t fill = 0)
        : m_width(width)
        , m_height(height)
        , m_bottomUp(bottomUp)
    {
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = bottomUp ? height : -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previous = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~DibSurface()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    // Pixel at (x, y) counted from the top, whatever the row order.
    uint32_t& At(int x, int y) { return bits[(m_bottomUp ? m_height - 1 - y : y) * m_width + x]; }
    void Fill(uint32_t value)
    {
        for (int i = 0; i < m_width * m_height; ++i)
            bits[i] = value;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;

private:
    int m_width, m_height;
    bool m_bottomUp;
};

} // namespace gdi_test
