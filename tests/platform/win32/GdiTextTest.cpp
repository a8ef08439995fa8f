// Fonts and text: face mapping, metrics, glyph coverage and DrawTextW's
// layout. Glyph pixels are anti-aliased, so checks look at ink boxes and
// alpha bytes rather than exact colours.
#include "GdiTestSupport.h"

#include <gtest/gtest.h>

#include <string>

using gdi_test::DibSurface;

namespace {

constexpr uint32_t kPaper = 0xFFFFFFFF; // opaque white: ink shows as alpha 0

HFONT MakeFont(const wchar_t* face, int height, int weight = FW_NORMAL)
{
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

// The box of every pixel text touched (alpha no longer 0xFF).
RECT InkBox(DibSurface& surface)
{
    RECT box {surface.Width(), surface.Height(), 0, 0};
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (surface.At(x, y) != kPaper) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

int InkPixels(DibSurface& surface, int left, int right)
{
    int count = 0;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = left; x < right; ++x)
            count += surface.At(x, y) != kPaper;
    return count;
}

struct FontScope {
    FontScope(HDC dc, HFONT font)
        : dc(dc)
        , font(font)
        , previous(SelectObject(dc, font))
    {
    }
    ~FontScope()
    {
        SelectObject(dc, previous);
        DeleteObject(font);
    }
    HDC dc;
    HFONT font;
    HGDIOBJ previous;
};

} // namespace

TEST(GdiText, FaceNamesMapToInstalledFamilies)
{
    const struct {
        const wchar_t* face;
        const wchar_t* familyStart;
    } cases[] = {
        {L"微软雅黑", L"Noto Sans CJK"},
        {L"宋体", L"Noto Serif CJK"},
        {L"Tahoma", L"DejaVu Sans"},
        {L"Arial", L""}, // whatever fontconfig offers for Arial
    };
    DibSurface surface(4, 4);
    for (const auto& c : cases) {
        FontScope scope(surface.dc, MakeFont(c.face, -12));
        wchar_t name[64] = {};
        EXPECT_GT(GetTextFaceW(surface.dc, 64, name), 1) << c.face;
        EXPECT_EQ(std::wstring(name).rfind(c.familyStart, 0), 0u) << std::wstring(name).size();
    }
}

TEST(GdiText, TahomaLikeTwelvePixelFontHasPlausibleMetrics)
{
    DibSurface surface(4, 4);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -12));
    TEXTMETRICW tm {};
    ASSERT_TRUE(GetTextMetricsW(surface.dc, &tm));
    EXPECT_GE(tm.tmHeight, 13);
    EXPECT_LE(tm.tmHeight, 17);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmAveCharWidth, 5);
    EXPECT_LE(tm.tmAveCharWidth, 8);

    SIZE size {};
    ASSERT_TRUE(GetTextExtentPoint32W(surface.dc, L"Hello", 5, &size));
    EXPECT_EQ(size.cy, tm.tmHeight);
    int widths[5];
    GetCharWidth32W(surface.dc, L'H', L'H', widths);
    int total = 0;
    for (wchar_t c : std::wstring(L"Hello")) {
        int w;
        GetCharWidth32W(surface.dc, c, c, &w);
        total += w;
    }
    EXPECT_EQ(size.cx, total); // whole-pixel advances add up

    ABC abc {};
    ASSERT_TRUE(GetCharABCWidthsW(surface.dc, L'H', L'H', &abc));
    EXPECT_EQ(abc.abcA + static_cast<int>(abc.abcB) + abc.abcC, widths[0]);

    // A positive height is the cell height.
    FontScope cell(surface.dc, MakeFont(L"Tahoma", 20));
    GetTextMetricsW(surface.dc, &tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1);

    // The stock GUI font is a real font.
    SelectObject(surface.dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(surface.dc, &tm);
    EXPECT_GT(tm.tmHeight, 10);
    SelectObject(surface.dc, cell.font);
}

// Text output leaves alpha 0 on every pixel it touches and ends where its
// measured extent ends.
TEST(GdiText, TextOutInkMatchesItsExtentAndClearsAlpha)
{
    DibSurface surface(120, 30, false, kPaper);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -14));
    SetBkMode(surface.dc, TRANSPARENT);
    SetTextColor(surface.dc, RGB(0, 0, 0));
    const wchar_t* text = L"Hamburg";
    SIZE size;
    GetTextExtentPoint32W(surface.dc, text, 7, &size);
    ASSERT_TRUE(TextOutW(surface.dc, 10, 5, text, 7));
    RECT ink = InkBox(surface);
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 12);
    EXPECT_LE(ink.right, 10 + size.cx + 1);
    EXPECT_GE(ink.right, 10 + size.cx - 2);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.bottom, 5 + size.cy);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            uint32_t pixel = surface.At(x, y);
            EXPECT_TRUE(pixel == kPaper || (pixel >> 24) == 0) << x << "," << y;
        }

    // An opaque background fills the text's cell with the background colour.
    surface.Fill(kPaper);
    SetBkMode(surface.dc, OPAQUE);
    SetBkColor(surface.dc, RGB(9, 8, 7));
    TextOutW(surface.dc, 0, 0, L"W", 1);
    TEXTMETRICW tm;
    GetTextMetricsW(surface.dc, &tm);
    EXPECT_EQ(surface.At(0, tm.tmHeight - 1), 0x00090807u);
    EXPECT_EQ(surface.At(0, tm.tmHeight), kPaper);
}

TEST(GdiText, MixedCjkAndLatinTextHasNoMissingGlyphs)
{
    DibSurface surface(200, 30, false, kPaper);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -16));
    SetBkMode(surface.dc, TRANSPARENT);
    // Every character draws a glyph of its own: no blank and no box
    // shared by all of them. The CJK characters come from a fallback face.
    const std::wstring text = L"A安装B卸载";
    int x = 2;
    int previousInk = -1;
    for (wchar_t c : text) {
        SIZE size;
        GetTextExtentPoint32W(surface.dc, &c, 1, &size);
        EXPECT_GT(size.cx, 0);
        TextOutW(surface.dc, x, 4, &c, 1);
        int ink = InkPixels(surface, x, x + size.cx);
        EXPECT_GT(ink, 8) << int(c);
        if (c > 0x2000) {
            EXPECT_NE(ink, previousInk) << "two CJK characters drew the same shape";
        }
        previousInk = ink;
        x += size.cx;
    }
    ABC abc;
    GetCharABCWidthsW(surface.dc, 0x5B89, 0x5B89, &abc);
    EXPECT_GT(abc.abcB, 8u);
}

TEST(GdiText, DrawTextCalcRectIsTheRectangleItFills)
{
    DibSurface surface(400, 120, false, kPaper);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -12));
    SetBkMode(surface.dc, TRANSPARENT);
    const wchar_t* text = L"The quick brown fox jumps over the lazy dog";
    const UINT formats[] = {DT_SINGLELINE, DT_WORDBREAK, DT_WORDBREAK | DT_CENTER, DT_WORDBREAK | DT_RIGHT};
    for (UINT format : formats) {
        surface.Fill(kPaper);
        RECT rect {10, 10, 110, 10};
        int height = DrawTextW(surface.dc, text, -1, &rect, format | DT_CALCRECT | DT_NOPREFIX);
        EXPECT_EQ(height, rect.bottom - rect.top);
        EXPECT_GT(rect.bottom, 10);
        if (format & DT_WORDBREAK) {
            EXPECT_LE(rect.right, 110) << format;
            EXPECT_GE(rect.left, 10) << format;
        }
        RECT drawn = rect;
        DrawTextW(surface.dc, text, -1, &drawn, format | DT_NOPREFIX | DT_NOCLIP);
        RECT ink = InkBox(surface);
        EXPECT_GE(ink.left, rect.left - 1) << format;
        EXPECT_LE(ink.right, rect.right + 1) << format;
        EXPECT_GE(ink.top, rect.top) << format;
        EXPECT_LE(ink.bottom, rect.bottom) << format;
        EXPECT_LE(rect.right - ink.right, 3) << format; // the text reaches its rectangle's edge
    }
}

TEST(GdiText, WordBreakAndEllipsisBreakWhereAReaderWould)
{
    DibSurface surface(10, 10);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -12));
    SIZE one, two;
    GetTextExtentPoint32W(surface.dc, L"alpha beta", 10, &two);
    GetTextExtentPoint32W(surface.dc, L"alpha", 5, &one);
    TEXTMETRICW tm;
    GetTextMetricsW(surface.dc, &tm);

    // Room for "alpha beta" but not for the third word: two lines.
    RECT rect {0, 0, two.cx + 2, 0};
    DrawTextW(surface.dc, L"alpha beta gamma", -1, &rect, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(rect.bottom, 2 * tm.tmHeight);
    EXPECT_EQ(rect.right, two.cx);

    // CJK text breaks between characters; explicit line breaks always count.
    SIZE cjk;
    GetTextExtentPoint32W(surface.dc, L"安装卸载", 4, &cjk);
    rect = RECT {0, 0, cjk.cx / 2 + 1, 0};
    DrawTextW(surface.dc, L"安装卸载", -1, &rect, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(rect.bottom, 2 * tm.tmHeight);
    rect = RECT {0, 0, 500, 0};
    DrawTextW(surface.dc, L"a\r\nb\nc", -1, &rect, DT_CALCRECT);
    EXPECT_EQ(rect.bottom, 3 * tm.tmHeight);
    DrawTextW(surface.dc, L"a\r\nb\nc", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.bottom, tm.tmHeight);

    // End ellipsis keeps what fits and adds "..."; the result fits.
    SIZE dots;
    GetTextExtentPoint32W(surface.dc, L"alpha...", 8, &dots);
    rect = RECT {0, 0, dots.cx, 0};
    DrawTextW(surface.dc, L"alphabet soup", -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(rect.right, dots.cx);

    // Path ellipsis keeps the file name.
    SIZE file;
    GetTextExtentPoint32W(surface.dc, L"C:\\...\\name.txt", 15, &file);
    rect = RECT {0, 0, file.cx, 0};
    DrawTextW(surface.dc, L"C:\\zarvel_tools\\deep\\name.txt", -1, &rect,
              DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(rect.right, file.cx);
    EXPECT_GT(rect.right, one.cx);

    // Prefix characters vanish unless DT_NOPREFIX.
    SIZE plain;
    GetTextExtentPoint32W(surface.dc, L"Save", 4, &plain);
    rect = RECT {0, 0, 500, 0};
    DrawTextW(surface.dc, L"&Save", -1, &rect, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(rect.right, plain.cx);
    rect = RECT {0, 0, 500, 0};
    DrawTextW(surface.dc, L"&Save", -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_GT(rect.right, plain.cx);
}

TEST(GdiText, DrawTextAlignsAndClips)
{
    DibSurface surface(100, 40, false, kPaper);
    FontScope scope(surface.dc, MakeFont(L"Tahoma", -12));
    SetBkMode(surface.dc, TRANSPARENT);
    TEXTMETRICW tm;
    GetTextMetricsW(surface.dc, &tm);
    RECT rect {0, 0, 100, 40};
    int height = DrawTextW(surface.dc, L"Hi", -1, &rect, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    RECT ink = InkBox(surface);
    EXPECT_GE(ink.right, 97);
    EXPECT_GE(ink.top, 40 - tm.tmHeight);
    EXPECT_EQ(height, 40);

    surface.Fill(kPaper);
    RECT small {0, 0, 50, 5};
    DrawTextW(surface.dc, L"Hi", -1, &small, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    ink = InkBox(surface);
    EXPECT_GE(ink.top, 0);
    EXPECT_LE(ink.bottom, 5); // clipped to the rectangle
    EXPECT_GT(ink.left, 15);
}
