// Draws a run of text into a DC's target: glyph coverage is rasterised by
// cairo into an A8 mask, then blended into the pixels with the text colour.
// Like GDI's text output, every pixel a glyph touches gets alpha 0.
#pragma once

#include "DeviceContext.h"
#include "GdiFont.h"

namespace win32 {

// Draws `count` characters with the cell's top-left corner at the device
// point (x, top), limited to `area`. Advances come from the font unless
// `advances` gives one per character.
void DrawTextRun(DeviceContext& dc, GdiFont& font, int x, int top, const wchar_t* text, size_t count,
                 const int* advances, const GdiRegion& area);

} // namespace win32
