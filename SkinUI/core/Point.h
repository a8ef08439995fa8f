// A point in window client pixels.
#pragma once

#include <windows.h>

namespace SkinUI {

class CPoint : public tagPOINT {
public:
    CPoint()
    {
        x = 0;
        y = 0;
    }
    CPoint(const POINT& src)
    {
        x = src.x;
        y = src.y;
    }
    CPoint(int iX, int iY)
    {
        x = iX;
        y = iY;
    }
    // From the packed position of a mouse message: each half is a signed
    // 16-bit value, so positions left of or above a window stay negative.
    explicit CPoint(LPARAM lParam)
    {
        x = static_cast<SHORT>(LOWORD(lParam));
        y = static_cast<SHORT>(HIWORD(lParam));
    }
};

} // namespace SkinUI
