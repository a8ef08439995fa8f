#include "RoundRectShape.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <vector>

namespace win32 {

namespace {

// The left edge of an ellipse of the given diameters inscribed in the box
// (0, 0, width, height), for each of its top rows (height / 2 of them). The
// boundary is traced with Zingl's integer ellipse algorithm, which gives the
// same pixels as GDI's rounded corners.
std::vector<int> EllipseInsets(int width, int height)
{
    assert(width >= 2 && height >= 2);
    std::vector<int> left(height, width);

    long long x0 = 0, x1 = width - 1;
    long long a = x1 - x0, b = height - 1, b1 = b & 1;
    long long dx = 4 * (1 - a) * b * b, dy = 4 * (b1 + 1) * a * a;
    long long err = dx + dy + b1 * a * a;
    long long y0 = (b + 1) / 2, y1 = y0 - b1;
    a *= 8 * a;
    b1 = 8 * b * b;

    auto mark = [&](long long x, long long y) {
        if (y >= 0 && y < height)
            left[y] = std::min<int>(left[y], static_cast<int>(x));
    };

    // Pass 1: step along the four quadrants at once until the sides meet.
    do {
        mark(x0, y0);
        mark(x0, y1);
        long long e2 = 2 * err;
        if (e2 <= dy) {
            ++y0;
            --y1;
            err += dy += a;
        }
        if (e2 >= dx || 2 * err > dy) {
            ++x0;
            --x1;
            err += dx += b1;
        }
    } while (x0 <= x1);

    // Pass 2: very flat ellipses stop early; finish their tips.
    while (y0 - y1 < b) {
        mark(x0 - 1, y0++);
        mark(x0 - 1, y1--);
    }

    left.resize(height / 2);
    return left;
}

} // namespace

void BuildRoundRectRegion(GdiRegion& region, int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // GDI leaves out the last column and row of the rectangle.
    --right;
    --bottom;
    int width = std::min(right - left, std::abs(ellipseWidth));
    int height = std::min(bottom - top, std::abs(ellipseHeight));

    region.SetEmpty();
    if (width < 2 || height < 2) {
        region.SetRect(left, top, right, bottom);
        return;
    }

    std::vector<int> insets = EllipseInsets(width, height);
    int corner = static_cast<int>(insets.size());
    for (int k = 0; k < corner; ++k) {
        region.AddRect(left + insets[k], top + k, right - insets[k], top + k + 1);
        region.AddRect(left + insets[k], bottom - 1 - k, right - insets[k], bottom - k);
    }
    region.AddRect(left, top + corner, right, bottom - corner);
}

} // namespace win32
