// A size in pixels.
#pragma once

#include <windows.h>

namespace SkinUI {

class CSize : public tagSIZE {
public:
    CSize()
    {
        cx = 0;
        cy = 0;
    }
    CSize(const SIZE& src)
    {
        cx = src.cx;
        cy = src.cy;
    }
    CSize(int cxValue, int cyValue)
    {
        cx = cxValue;
        cy = cyValue;
    }
    CSize(const RECT& rc)
    {
        cx = rc.right - rc.left;
        cy = rc.bottom - rc.top;
    }
};

} // namespace SkinUI
