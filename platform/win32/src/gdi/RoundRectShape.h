// The pixel shape of CreateRoundRectRgn.
#pragma once

#include "GdiRegion.h"

namespace win32 {

// Fills the region with GDI's rounded rectangle: the rectangle without its
// last column and row, with corners cut along an ellipse of the given width
// and height (limited to the rectangle's size; below 2 there are no corners).
void BuildRoundRectRegion(GdiRegion& region, int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight);

} // namespace win32
