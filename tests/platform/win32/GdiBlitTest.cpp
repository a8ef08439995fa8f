// Pixel results of fills, copies, stretches, blends and gradients. The
// expected values were settled against Wine's GDI where noted.
#include "GdiTestSupport.h"

#include <gtest/gtest.h>

using gdi_test::DibSurface;

namespace {

constexpr uint32_t kBackground = 0x80112233;

BLENDFUNCTION Blend(BYTE constant, BYTE format)
{
    return BLENDFUNCTION {AC_SRC_OVER, 0, constant, format};
}

} // namespace

// Plain GDI fills write 0x00RRGGBB: the alpha byte becomes 0 (Wine: FillRect,
// PatBlt PATCOPY); WHITENESS and DSTINVERT work on all 32 bits.
TEST(GdiFill, FillsWriteAlphaZeroInsideTheRectOnly)
{
    for (bool bottomUp : {false, true}) {
        DibSurface surface(4, 3, bottomUp, kBackground);
        HBRUSH brush = CreateSolidBrush(RGB(0x10, 0x20, 0x30));
        RECT rect {1, 1, 3, 2};
        EXPECT_TRUE(FillRect(surface.dc, &rect, brush));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(surface.At(x, y), (y == 1 && x >= 1 && x < 3) ? 0x00102030u : kBackground)
                    << x << "," << y << " bottomUp " << bottomUp;
        DeleteObject(brush);
    }

    DibSurface surface(4, 1, false, kBackground);
    PatBlt(surface.dc, 0, 0, 1, 1, WHITENESS);
    PatBlt(surface.dc, 1, 0, 1, 1, BLACKNESS);
    PatBlt(surface.dc, 2, 0, 1, 1, DSTINVERT);
    EXPECT_EQ(surface.At(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(surface.At(1, 0), 0x00000000u);
    EXPECT_EQ(surface.At(2, 0), 0x7FEEDDCCu);
    EXPECT_EQ(surface.At(3, 0), kBackground);

    // A system colour brush and the colour index + 1 form give the same fill.
    RECT all {0, 0, 4, 1};
    FillRect(surface.dc, &all, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_EQ(surface.At(0, 0), 0x00F0F0F0u);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
}

TEST(GdiFill, ClipAndViewportOriginApply)
{
    DibSurface surface(6, 6, false, 0);
    SetViewportOrgEx(surface.dc, 2, 2, nullptr);
    HRGN clip = CreateRectRgn(0, 0, 4, 4); // device coordinates
    SelectClipRgn(surface.dc, clip);
    DeleteObject(clip); // the DC keeps its own copy
    RECT rect {-2, -2, 10, 10};
    FillRect(surface.dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(surface.At(x, y), (x < 4 && y < 4) ? 0x00FFFFFFu : 0u) << x << "," << y;
}

// BitBlt copies 32-bit pixels whole, alpha included (Wine: 7f405060 stays).
TEST(GdiBlit, BitBltCopiesWholePixelsAndClipsToTheSource)
{
    DibSurface source(2, 2, true, 0x7F405060);
    source.At(1, 1) = 0x01020304;
    DibSurface target(4, 4, false, kBackground);
    EXPECT_TRUE(BitBlt(target.dc, 1, 1, 3, 3, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(target.At(1, 1), 0x7F405060u);
    EXPECT_EQ(target.At(2, 2), 0x01020304u);
    // Beyond the source's 2x2 pixels the target is untouched.
    EXPECT_EQ(target.At(3, 3), kBackground);
    EXPECT_EQ(target.At(3, 1), kBackground);
    EXPECT_EQ(target.At(0, 0), kBackground);

    // Overlapping copy within one bitmap reads before it writes.
    DibSurface row(4, 1, false, 0);
    for (int x = 0; x < 4; ++x)
        row.At(x, 0) = static_cast<uint32_t>(x + 1);
    BitBlt(row.dc, 1, 0, 3, 1, row.dc, 0, 0, SRCCOPY);
    const uint32_t shifted[] = {1, 1, 2, 3};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(row.At(x, 0), shifted[x]);

    // A source raster operation combines all 32 bits.
    DibSurface a(1, 1, false, 0xF0F0F0F0), b(1, 1, false, 0x0FF00FF0);
    BitBlt(a.dc, 0, 0, 1, 1, b.dc, 0, 0, SRCAND);
    EXPECT_EQ(a.At(0, 0), 0x00F000F0u);
    BitBlt(a.dc, 0, 0, 1, 1, b.dc, 0, 0, SRCINVERT);
    EXPECT_EQ(a.At(0, 0), 0x0F000F00u);
}

// Wine: COLORONCOLOR keeps the source's alpha byte; HALFTONE writes alpha 0.
TEST(GdiBlit, StretchBltModes)
{
    DibSurface source(2, 2, false, 0x7F405060);
    DibSurface target(4, 4, false, kBackground);
    SetStretchBltMode(target.dc, COLORONCOLOR);
    EXPECT_TRUE(StretchBlt(target.dc, 0, 0, 4, 4, source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(target.At(1, 1), 0x7F405060u);
    EXPECT_EQ(target.At(3, 3), 0x7F405060u);

    EXPECT_EQ(SetStretchBltMode(target.dc, HALFTONE), COLORONCOLOR);
    target.Fill(kBackground);
    StretchBlt(target.dc, 0, 0, 4, 4, source.dc, 0, 0, 2, 2, SRCCOPY);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target.At(x, y), 0x00405060u) << x << "," << y;

    // Nearest sampling doubles each pixel; a negative width mirrors.
    DibSurface pair(2, 1, false, 0);
    pair.At(0, 0) = 0x000000AA;
    pair.At(1, 0) = 0x000000BB;
    DibSurface wide(4, 1, false, 0);
    SetStretchBltMode(wide.dc, COLORONCOLOR);
    StretchBlt(wide.dc, 0, 0, 4, 1, pair.dc, 0, 0, 2, 1, SRCCOPY);
    const uint32_t doubled[] = {0xAA, 0xAA, 0xBB, 0xBB};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(wide.At(x, 0), doubled[x]);
    StretchBlt(wide.dc, 4, 0, -4, 1, pair.dc, 0, 0, 2, 1, SRCCOPY); // covers x = 0..3
    const uint32_t mirrored[] = {0xBB, 0xBB, 0xAA, 0xAA};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(wide.At(x, 0), mirrored[x]) << x;
}

// The blend arithmetic, with results settled under Wine.
TEST(GdiBlend, AlphaBlendArithmetic)
{
    const struct {
        BYTE constant;
        BYTE format;
        uint32_t expected;
    } cases[] = {
        {128, 0, 0x7F29394A},            // every byte moves halfway, alpha too
        {255, AC_SRC_ALPHA, 0xBF49617A}, // premultiplied source over destination
        {100, AC_SRC_ALPHA, 0x99273A4F}, // the same, scaled by the constant
    };
    for (const auto& c : cases) {
        DibSurface source(2, 2, false, 0x7F405060);
        DibSurface target(2, 2, false, kBackground);
        EXPECT_TRUE(AlphaBlend(target.dc, 0, 0, 2, 2, source.dc, 0, 0, 2, 2, Blend(c.constant, c.format)));
        EXPECT_EQ(target.At(0, 0), c.expected) << int(c.constant);
        EXPECT_EQ(target.At(1, 1), c.expected) << int(c.constant);
    }

    // Stretching a uniform premultiplied source keeps its exact blend.
    DibSurface source(2, 2, false, 0x80400000);
    DibSurface target(6, 6, false, 0);
    EXPECT_TRUE(AlphaBlend(target.dc, 1, 1, 4, 4, source.dc, 0, 0, 2, 2, Blend(255, AC_SRC_ALPHA)));
    EXPECT_EQ(target.At(1, 1), 0x80400000u);
    EXPECT_EQ(target.At(4, 4), 0x80400000u);
    EXPECT_EQ(target.At(0, 0), 0u);
    EXPECT_EQ(target.At(5, 5), 0u);

    // A source rectangle outside the source bitmap is refused.
    EXPECT_FALSE(AlphaBlend(target.dc, 0, 0, 2, 2, source.dc, 1, 1, 2, 2, Blend(255, AC_SRC_ALPHA)));
    EXPECT_FALSE(AlphaBlend(target.dc, 0, 0, -2, 2, source.dc, 0, 0, 2, 2, Blend(255, AC_SRC_ALPHA)));
}

// Wine: a horizontal gradient from opaque red to half-transparent green over
// four pixels gives ffff0000 dfbf3f00 bf7f7f00 9f3fbf00.
TEST(GdiGradient, RectangleGradientsWriteEveryChannel)
{
    TRIVERTEX vertices[2] = {{0, 0, 0xFF00, 0, 0, 0xFF00}, {4, 1, 0, 0xFF00, 0, 0x8000}};
    GRADIENT_RECT mesh {0, 1};
    DibSurface surface(4, 1, false, kBackground);
    EXPECT_TRUE(GradientFill(surface.dc, vertices, 2, &mesh, 1, GRADIENT_FILL_RECT_H));
    const uint32_t expected[] = {0xFFFF0000, 0xDFBF3F00, 0xBF7F7F00, 0x9F3FBF00};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(surface.At(x, 0), expected[x]) << x;

    TRIVERTEX column[2] = {{0, 0, 0, 0, 0xFF00, 0}, {1, 4, 0, 0, 0, 0}};
    DibSurface tall(1, 4, true, kBackground);
    EXPECT_TRUE(GradientFill(tall.dc, column, 2, &mesh, 1, GRADIENT_FILL_RECT_V));
    const uint32_t down[] = {0x000000FF, 0x000000BF, 0x0000007F, 0x0000003F};
    for (int y = 0; y < 4; ++y)
        EXPECT_EQ(tall.At(0, y), down[y]) << y;

    GRADIENT_RECT bad {0, 7};
    EXPECT_FALSE(GradientFill(surface.dc, vertices, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}
