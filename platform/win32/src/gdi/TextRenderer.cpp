#include "TextRenderer.h"

#include "PixelOps.h"

#include <vector>

namespace win32 {

void DrawTextRun(DeviceContext& dc, GdiFont& font, int x, int top, const wchar_t* text, size_t count,
                 const int* advances, const GdiRegion& area)
{
    if (count == 0 || area.Complexity() == NULLREGION)
        return;
    const TEXTMETRICW& metrics = font.Metrics();

    // Pass 1: place the glyphs and find the box their ink may cover. Glyphs
    // may overhang their cells, so the mask has a margin of one em.
    int margin = metrics.tmHeight;
    int width = 0;
    struct Placed {
        cairo_scaled_font_t* font;
        cairo_glyph_t glyph;
    };
    std::vector<Placed> placed;
    placed.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const GdiFont::Glyph& glyph = font.GlyphFor(static_cast<char32_t>(text[i]));
        if (glyph.font)
            placed.push_back(Placed {glyph.font, cairo_glyph_t {glyph.index, static_cast<double>(margin + width),
                                                                static_cast<double>(margin + metrics.tmAscent)}});
        width += advances ? advances[i] : glyph.advance;
    }
    RECT box {x - margin, top - margin, x + width + margin, top + metrics.tmHeight + margin};
    GdiRegion clip(area);
    GdiRegion boxRegion;
    boxRegion.SetRect(box.left, box.top, box.right, box.bottom);
    clip.Combine(clip, &boxRegion, RGN_AND);
    if (clip.Complexity() == NULLREGION || placed.empty())
        return;

    // Pass 2: rasterise the coverage, one cairo call per run of one face.
    int maskWidth = box.right - box.left, maskHeight = box.bottom - box.top;
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, maskWidth, maskHeight);
    cairo_t* cr = cairo_create(mask);
    std::vector<cairo_glyph_t> run;
    for (size_t i = 0; i < placed.size();) {
        cairo_scaled_font_t* runFont = placed[i].font;
        run.clear();
        for (; i < placed.size() && placed[i].font == runFont; ++i)
            run.push_back(placed[i].glyph);
        cairo_set_scaled_font(cr, runFont);
        cairo_show_glyphs(cr, run.data(), static_cast<int>(run.size()));
    }
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    const unsigned char* coverage = cairo_image_surface_get_data(mask);
    int maskStride = cairo_image_surface_get_stride(mask);

    // Pass 3: blend the text colour by coverage; touched pixels lose alpha.
    COLORREF color = dc.State().textColor;
    uint32_t red = GetRValue(color), green = GetGValue(color), blue = GetBValue(color);
    ForEachPixel(dc.Target(), clip, [&](uint32_t pixel, int px, int py) {
        uint32_t c = coverage[(py - box.top) * maskStride + (px - box.left)];
        if (c == 0)
            return pixel;
        auto mix = [c](uint32_t source, uint32_t destination) {
            return (source * c + destination * (255 - c) + 127) / 255;
        };
        return mix(red, (pixel >> 16) & 0xFF) << 16 | mix(green, (pixel >> 8) & 0xFF) << 8 | mix(blue, pixel & 0xFF);
    });
    cairo_surface_destroy(mask);
}

} // namespace win32
