#include <windows.h>

#include <gtest/gtest.h>

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b);
}

} // namespace

TEST(GdiRect, HalfOpenHelpers)
{
    RECT r {0, 0, 10, 10};
    EXPECT_TRUE(PtInRect(&r, POINT {0, 0}));
    EXPECT_TRUE(PtInRect(&r, POINT {9, 9}));
    EXPECT_FALSE(PtInRect(&r, POINT {10, 9}));
    EXPECT_FALSE(PtInRect(&r, POINT {9, 10}));
    EXPECT_FALSE(PtInRect(&r, POINT {-1, 0}));

    const RECT empties[] = {{0, 0, 0, 5}, {0, 0, 5, 0}, {5, 5, 4, 6}, {1, 1, 1, 1}};
    for (const RECT& e : empties)
        EXPECT_TRUE(IsRectEmpty(&e));
    EXPECT_FALSE(IsRectEmpty(&r));

    RECT moved = r;
    OffsetRect(&moved, 3, -2);
    EXPECT_TRUE(Same(moved, RECT {3, -2, 13, 8}));
    InflateRect(&moved, -1, 2);
    EXPECT_TRUE(Same(moved, RECT {4, -4, 12, 10}));
    RECT set;
    SetRect(&set, 1, 2, 3, 4);
    EXPECT_TRUE(Same(set, RECT {1, 2, 3, 4}));
    SetRectEmpty(&set);
    EXPECT_TRUE(Same(set, RECT {0, 0, 0, 0}));
}

TEST(GdiRect, IntersectUnionSubtract)
{
    const struct {
        RECT a, b;
        BOOL intersects;
        RECT intersection;
        RECT unionRect;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, TRUE, {5, 5, 10, 10}, {0, 0, 15, 15}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}, {0, 0, 20, 10}}, // touching edges share no pixel
        {{0, 0, 10, 10}, {5, 5, 5, 5}, FALSE, {0, 0, 0, 0}, {0, 0, 10, 10}},    // empty operand is ignored
        {{2, 2, 3, 3}, {0, 0, 10, 10}, TRUE, {2, 2, 3, 3}, {0, 0, 10, 10}},
    };
    for (const auto& c : cases) {
        RECT out;
        EXPECT_EQ(IntersectRect(&out, &c.a, &c.b), c.intersects);
        EXPECT_TRUE(Same(out, c.intersection));
        EXPECT_TRUE(UnionRect(&out, &c.a, &c.b));
        EXPECT_TRUE(Same(out, c.unionRect));
    }

    RECT a {0, 0, 10, 10}, out;
    const struct {
        RECT b;
        BOOL result;
        RECT expected;
    } subtractions[] = {
        {{0, 0, 5, 10}, TRUE, {5, 0, 10, 10}}, // Wine: 5,0,10,10
        {{0, 5, 10, 12}, TRUE, {0, 0, 10, 5}},
        {{2, 2, 4, 4}, TRUE, {0, 0, 10, 10}}, // a hole leaves the rectangle whole
        {{-1, -1, 11, 11}, FALSE, {0, 0, 0, 0}},
    };
    for (const auto& s : subtractions) {
        EXPECT_EQ(SubtractRect(&out, &a, &s.b), s.result);
        EXPECT_TRUE(Same(out, s.expected));
    }
}
