// Brushes and pens. Only solid and null styles are drawn; a hatched brush
// paints with its colour.
#pragma once

#include "GdiObject.h"

#include <wingdi.h>

namespace win32 {

class GdiBrush final : public GdiObject {
public:
    GdiBrush(UINT style, COLORREF color)
        : GdiObject(OBJ_BRUSH)
        , m_style(style)
        , m_color(color & 0x00FFFFFF)
    {
    }

    UINT Style() const { return m_style; }
    bool IsNull() const { return m_style == BS_NULL; }
    COLORREF Color() const { return m_color; }

    // The stock DC brush takes its colour from the DC it is selected into.
    bool IsDcBrush() const { return m_dcBrush; }
    void MarkDcBrush() { m_dcBrush = true; }

    int Describe(int size, void* buffer) const override;

private:
    UINT m_style;
    COLORREF m_color;
    bool m_dcBrush = false;
};

class GdiPen final : public GdiObject {
public:
    GdiPen(UINT style, int width, COLORREF color)
        : GdiObject(OBJ_PEN)
        , m_style(style)
        , m_width(width)
        , m_color(color & 0x00FFFFFF)
    {
    }

    UINT Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Color() const { return m_color; }
    int Describe(int size, void* buffer) const override;

private:
    UINT m_style;
    int m_width;
    COLORREF m_color;
};

} // namespace win32
