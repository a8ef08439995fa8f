#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The region as "[l,t,r,b]" runs, as GetRegionData lists them.
std::string Runs(HRGN region)
{
    DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    GetRegionData(region, size, data);
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    std::string text;
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        text += "[" + std::to_string(rects[i].left) + "," + std::to_string(rects[i].top) + ","
                + std::to_string(rects[i].right) + "," + std::to_string(rects[i].bottom) + "]";
    return text;
}

// The same region with runs of equal rows merged, so that shapes compare
// whatever banding produced them.
std::string Shape(HRGN region)
{
    std::string text;
    RECT box;
    if (GetRgnBox(region, &box) == NULLREGION)
        return text;
    std::string previous;
    int start = box.top;
    for (int y = box.top; y <= box.bottom; ++y) {
        std::string row;
        for (int x = box.left; x < box.right && y < box.bottom; ++x) {
            if (PtInRegion(region, x, y) && (x == box.left || !PtInRegion(region, x - 1, y)))
                row += std::to_string(x) + "-";
            if (PtInRegion(region, x, y) && (x + 1 == box.right || !PtInRegion(region, x + 1, y)))
                row += std::to_string(x + 1) + ";";
        }
        if (y > box.top && row != previous) {
            text += std::to_string(start) + ":" + previous + " ";
            start = y;
        }
        previous = row;
    }
    return text;
}

} // namespace

// Every shape below is GetRegionData's output under Wine for the same call.
TEST(GdiRegion, RoundRectRegionsHaveGdisPixels)
{
    const struct {
        int l, t, r, b, w, h;
        const char* runs;
    } cases[] = {
        {0, 0, 21, 21, 10, 10,
         "[3,0,17,1][2,1,18,2][1,2,19,3][0,3,20,4][0,4,20,5][0,5,20,16][0,16,20,17][1,17,19,18][2,18,18,19]"
         "[3,19,17,20]"},
        {0, 0, 100, 30, 5, 5, "[1,0,98,1][0,1,99,2][0,2,99,27][0,27,99,28][1,28,98,29]"},
        {0, 0, 10, 10, 4, 4, "[1,0,8,1][0,1,9,2][0,2,9,8][1,8,8,9]"},
        {0, 0, 50, 40, 20, 12,
         "[6,0,43,1][4,1,45,2][2,2,47,3][1,3,48,4][0,4,49,5][0,5,49,6][0,6,49,34][0,34,49,35][1,35,48,36]"
         "[2,36,47,37][4,37,45,38][6,38,43,39]"},
        {3, 4, 30, 25, 7, 9,
         "[5,4,27,5][4,5,28,6][3,6,29,7][3,7,29,8][3,8,29,20][3,20,29,21][3,21,29,22][4,22,28,23][5,23,27,24]"},
        {0, 0, 40, 40, 0, 0, "[0,0,39,39]"},
        {0, 0, 40, 40, 1, 1, "[0,0,39,39]"},
        {0, 0, 40, 40, 3, 3, "[1,0,38,1][0,1,39,38][1,38,38,39]"},
        {0, 0, 20, 20, 40, 40,
         "[7,0,12,1][5,1,14,2][3,2,16,3][2,3,17,4][2,4,17,5][1,5,18,6][1,6,18,7][0,7,19,8][0,8,19,9][0,9,19,10]"
         "[0,10,19,11][0,11,19,12][1,12,18,13][1,13,18,14][2,14,17,15][2,15,17,16][3,16,16,17][5,17,14,18]"
         "[7,18,12,19]"},
        {0, 0, 17, 13, 6, 6, "[2,0,14,1][1,1,15,2][0,2,16,3][0,3,16,10][1,10,15,11][2,11,14,12]"},
    };
    for (const auto& c : cases) {
        HRGN expected = CreateRectRgn(0, 0, 0, 0);
        // Rebuild the expected shape from Wine's runs and compare pixel shapes.
        std::string runs = c.runs;
        size_t pos = 0;
        while ((pos = runs.find('[', pos)) != std::string::npos) {
            int l, t, r, b;
            sscanf(runs.c_str() + pos, "[%d,%d,%d,%d]", &l, &t, &r, &b);
            HRGN piece = CreateRectRgn(l, t, r, b);
            CombineRgn(expected, expected, piece, RGN_OR);
            DeleteObject(piece);
            ++pos;
        }
        HRGN region = CreateRoundRectRgn(c.l, c.t, c.r, c.b, c.w, c.h);
        EXPECT_TRUE(EqualRgn(region, expected)) << c.l << "," << c.t << "," << c.r << "," << c.b << " " << c.w << "x"
                                                << c.h << "\n got " << Runs(region) << "\n want " << c.runs;
        DeleteObject(region);
        DeleteObject(expected);
    }

    HRGN round = CreateRoundRectRgn(0, 0, 21, 21, 10, 10);
    EXPECT_FALSE(PtInRegion(round, 0, 0));
    EXPECT_TRUE(PtInRegion(round, 10, 0));
    EXPECT_TRUE(PtInRegion(round, 10, 10));
    EXPECT_FALSE(PtInRegion(round, 20, 10));
    DeleteObject(round);
}

TEST(GdiRegion, CombineModes)
{
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(2, 2, 6, 6);
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    const struct {
        int mode;
        int result;
        const char* shape;
    } cases[] = {
        {RGN_AND, SIMPLEREGION, "2:2-4; "},
        {RGN_OR, COMPLEXREGION, "0:0-4; 2:0-6; 4:2-6; "},
        {RGN_XOR, COMPLEXREGION, "0:0-4; 2:0-2;4-6; 4:2-6; "},
        {RGN_DIFF, COMPLEXREGION, "0:0-4; 2:0-2; "},
        {RGN_COPY, SIMPLEREGION, "0:0-4; "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CombineRgn(out, a, b, c.mode), c.result) << c.mode;
        EXPECT_EQ(Shape(out), c.shape) << c.mode;
    }
    // The destination may be an operand.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(a, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.bottom, 4);
    EXPECT_EQ(CombineRgn(out, a, b, 9), ERROR);
    EXPECT_EQ(CombineRgn(out, a, nullptr, RGN_OR), ERROR);

    EXPECT_EQ(OffsetRgn(a, 1, 1), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(a, 4, 4));
    EXPECT_FALSE(PtInRegion(a, 5, 5)); // half-open
    SetRectRgn(a, 5, 5, 5, 9);
    EXPECT_EQ(GetRgnBox(a, &box), NULLREGION);
    EXPECT_EQ(CombineRgn(out, a, a, RGN_OR), NULLREGION);
    DeleteObject(a);
    DeleteObject(b);
    DeleteObject(out);
}

TEST(GdiRegion, ClipSelectionCopiesAndQueries)
{
    gdi_test::DibSurface surface(10, 10);
    HRGN query = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetClipRgn(surface.dc, query), 0); // no clip region yet
    RECT box;
    EXPECT_EQ(GetClipBox(surface.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 10);

    HRGN clip = CreateRectRgn(1, 1, 5, 5);
    EXPECT_EQ(SelectClipRgn(surface.dc, clip), SIMPLEREGION);
    SetRectRgn(clip, 0, 0, 1, 1); // the DC's copy does not change
    EXPECT_EQ(GetClipRgn(surface.dc, query), 1);
    EXPECT_EQ(GetRgnBox(query, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 1);
    EXPECT_EQ(box.right, 5);

    EXPECT_EQ(ExcludeClipRect(surface.dc, 2, 2, 3, 3), COMPLEXREGION);
    EXPECT_FALSE(PtVisible(surface.dc, 2, 2));
    EXPECT_TRUE(PtVisible(surface.dc, 3, 3));
    EXPECT_EQ(ExtSelectClipRgn(surface.dc, clip, RGN_OR), COMPLEXREGION);
    EXPECT_TRUE(PtVisible(surface.dc, 0, 0));
    EXPECT_EQ(IntersectClipRect(surface.dc, 20, 20, 30, 30), NULLREGION);
    EXPECT_EQ(GetClipBox(surface.dc, &box), NULLREGION);
    EXPECT_EQ(SelectClipRgn(surface.dc, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetClipRgn(surface.dc, query), 0);

    // A region selected with SelectObject is a clip, too.
    EXPECT_EQ(SelectObject(surface.dc, clip), reinterpret_cast<HGDIOBJ>(SIMPLEREGION));
    EXPECT_TRUE(PtVisible(surface.dc, 0, 0));
    EXPECT_FALSE(PtVisible(surface.dc, 1, 1));
    DeleteObject(clip);
    DeleteObject(query);
}
