#include "SkinUI/core/SkinRect.h"

#include <algorithm>

namespace SkinUI {

CSkinRect::CSkinRect()
{
    left = top = right = bottom = 0;
}

CSkinRect::CSkinRect(const RECT& src)
{
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CSkinRect::CSkinRect(int iLeft, int iTop, int iRight, int iBottom)
{
    left = iLeft;
    top = iTop;
    right = iRight;
    bottom = iBottom;
}

void CSkinRect::Empty()
{
    left = top = right = bottom = 0;
}

bool CSkinRect::IsNull() const
{
    return left == 0 && top == 0 && right == 0 && bottom == 0;
}

void CSkinRect::Join(const RECT& rc)
{
    left = std::min(left, rc.left);
    top = std::min(top, rc.top);
    right = std::max(right, rc.right);
    bottom = std::max(bottom, rc.bottom);
}

void CSkinRect::ResetOffset()
{
    ::OffsetRect(this, -left, -top);
}

void CSkinRect::Normalize()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

bool CSkinRect::Offset(int cx, int cy)
{
    return ::OffsetRect(this, cx, cy) != FALSE;
}

bool CSkinRect::Inflate(int cx, int cy)
{
    return ::InflateRect(this, cx, cy) != FALSE;
}

bool CSkinRect::Deflate(int cx, int cy)
{
    return ::InflateRect(this, -cx, -cy) != FALSE;
}

bool CSkinRect::Union(const CSkinRect& rc)
{
    // The platform call may read its sources after writing the result, so
    // this rectangle is passed as a copy.
    RECT self = *this;
    return ::UnionRect(this, &self, &rc) != FALSE;
}

bool CSkinRect::Intersect(const CSkinRect& rc)
{
    RECT self = *this;
    return ::IntersectRect(this, &self, &rc) != FALSE;
}

} // namespace SkinUI
