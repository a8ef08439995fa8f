// Rectangles are half-open; points unpack signed mouse positions.
#include "SkinUI/core/Point.h"
#include "SkinUI/core/SkinRect.h"
#include "SkinUI/core/Size.h"

#include <gtest/gtest.h>

using SkinUI::CPoint;
using SkinUI::CSize;
using SkinUI::CSkinRect;

namespace {

void ExpectRect(const RECT& rc, int l, int t, int r, int b)
{
    EXPECT_EQ(l, rc.left);
    EXPECT_EQ(t, rc.top);
    EXPECT_EQ(r, rc.right);
    EXPECT_EQ(b, rc.bottom);
}

} // namespace

TEST(SkinRect, SizeAndShape)
{
    CSkinRect rc(10, 20, 30, 60);
    EXPECT_EQ(20, rc.GetWidth());
    EXPECT_EQ(40, rc.GetHeight());
    EXPECT_FALSE(rc.IsNull());
    rc.ResetOffset();
    ExpectRect(rc, 0, 0, 20, 40);
    CSkinRect flipped(30, 60, 10, 20);
    flipped.Normalize();
    ExpectRect(flipped, 10, 20, 30, 60);
    flipped.Empty();
    EXPECT_TRUE(flipped.IsNull());
    EXPECT_TRUE(CSkinRect().IsNull());
    CSize size(CSkinRect(1, 2, 11, 7));
    EXPECT_EQ(10, size.cx);
    EXPECT_EQ(5, size.cy);
}

TEST(SkinRect, JoinTakesNoNoticeOfEmptiness)
{
    CSkinRect rc(10, 10, 20, 20);
    rc.Join(CSkinRect(0, 0, 0, 0));
    ExpectRect(rc, 0, 0, 20, 20);
}

TEST(SkinRect, HalfOpenArithmetic)
{
    CSkinRect a(0, 0, 10, 10);
    // Rectangles that only touch at an edge do not overlap.
    CSkinRect touching = a;
    EXPECT_FALSE(touching.Intersect(CSkinRect(10, 0, 20, 10)));
    EXPECT_TRUE(touching.IsNull());
    CSkinRect overlap = a;
    EXPECT_TRUE(overlap.Intersect(CSkinRect(9, 9, 20, 20)));
    ExpectRect(overlap, 9, 9, 10, 10);
    EXPECT_EQ(1, overlap.GetWidth());

    CSkinRect joined = a;
    EXPECT_TRUE(joined.Union(CSkinRect(20, 20, 30, 30)));
    ExpectRect(joined, 0, 0, 30, 30);
    CSkinRect withEmpty = a;
    EXPECT_TRUE(withEmpty.Union(CSkinRect(50, 50, 50, 50)));  // an empty rectangle adds nothing
    ExpectRect(withEmpty, 0, 0, 10, 10);

    CSkinRect moved = a;
    EXPECT_TRUE(moved.Offset(5, -5));
    ExpectRect(moved, 5, -5, 15, 5);
    EXPECT_TRUE(moved.Inflate(2, 3));
    ExpectRect(moved, 3, -8, 17, 8);
    EXPECT_TRUE(moved.Deflate(2, 3));
    ExpectRect(moved, 5, -5, 15, 5);
}

TEST(Point, UnpacksSignedMousePositions)
{
    LPARAM packed = MAKELONG(static_cast<WORD>(-5), 300);
    CPoint pt(packed);
    EXPECT_EQ(-5, pt.x);
    EXPECT_EQ(300, pt.y);
    CPoint neg(static_cast<LPARAM>(MAKELONG(10, static_cast<WORD>(-1))));
    EXPECT_EQ(10, neg.x);
    EXPECT_EQ(-1, neg.y);
    CPoint plain(3, 4);
    EXPECT_EQ(3, plain.x);
    EXPECT_EQ(4, plain.y);
}
