// A rectangle in window client pixels. Rectangles are half-open: right and
// bottom lie just outside, so the width is right - left.
#pragma once

#include <windows.h>

namespace SkinUI {

class CSkinRect : public tagRECT {
public:
    CSkinRect();
    CSkinRect(const RECT& src);
    CSkinRect(int iLeft, int iTop, int iRight, int iBottom);

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty();
    bool IsNull() const;
    // Grows this rectangle to take in rc, side by side, without treating an
    // empty rectangle specially.
    void Join(const RECT& rc);
    // Moves the rectangle to the origin, keeping its size.
    void ResetOffset();
    // Swaps the sides that are in the wrong order.
    void Normalize();
    bool Offset(int cx, int cy);
    bool Inflate(int cx, int cy);
    bool Deflate(int cx, int cy);
    bool Union(const CSkinRect& rc);
    bool Intersect(const CSkinRect& rc);
};

} // namespace SkinUI
