#include "GdiTestSupport.h"

#include <gtest/gtest.h>

using gdi_test::DibSurface;

TEST(GdiObjects, StaleAndForeignHandlesAreErrors)
{
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_TRUE(DeleteObject(brush));
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ bad[] = {brush, nullptr, reinterpret_cast<HGDIOBJ>(0x1234), reinterpret_cast<HGDIOBJ>(0x40000001)};
    for (HGDIOBJ handle : bad) {
        EXPECT_FALSE(DeleteObject(handle));
        EXPECT_EQ(GetObjectType(handle), 0u);
        EXPECT_EQ(SelectObject(dc, handle), nullptr);
        LOGBRUSH record;
        EXPECT_EQ(GetObjectW(handle, sizeof record, &record), 0);
        RECT rect {0, 0, 1, 1};
        EXPECT_FALSE(FillRect(static_cast<HDC>(handle), &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    }
    EXPECT_FALSE(DeleteDC(dc) == FALSE);
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(SaveDC(dc), 0);
}

TEST(GdiObjects, TypesOfEveryKind)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 2, 2);
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    const struct {
        HGDIOBJ handle;
        DWORD type;
    } cases[] = {
        {dc, OBJ_MEMDC},         {bitmap, OBJ_BITMAP}, {region, OBJ_REGION}, {pen, OBJ_PEN},
        {GetStockObject(WHITE_BRUSH), OBJ_BRUSH}, {GetStockObject(DEFAULT_GUI_FONT), OBJ_FONT},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetObjectType(c.handle), c.type);
    DeleteObject(pen);
    DeleteObject(region);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Real Windows refuses to delete an object that a DC holds (Wine instead
// returns TRUE and deletes it later); we follow Windows: the call fails and
// the object stays usable until it is selected out.
TEST(GdiObjects, DeletingASelectedObjectIsRefused)
{
    DibSurface surface(2, 2);
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    HGDIOBJ oldBrush = SelectObject(surface.dc, brush);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(surface.bitmap));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(PatBlt(surface.dc, 0, 0, 1, 1, PATCOPY));
    EXPECT_EQ(surface.At(0, 0), 0x000A141Eu);
    SelectObject(surface.dc, oldBrush);
    EXPECT_TRUE(DeleteObject(brush));

    // A bitmap lives in one DC at a time.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(other, surface.bitmap), nullptr);
    DeleteDC(other);

    // Stock objects are never deleted.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
}

TEST(GdiObjects, SaveAndRestoreNestSelectionsClipAndOrigin)
{
    DibSurface surface(8, 8);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ original = SelectObject(surface.dc, red);

    int level1 = SaveDC(surface.dc);
    IntersectClipRect(surface.dc, 0, 0, 4, 4);
    SetViewportOrgEx(surface.dc, 1, 1, nullptr);
    int level2 = SaveDC(surface.dc);
    SelectObject(surface.dc, blue);
    IntersectClipRect(surface.dc, 0, 0, 1, 1);
    EXPECT_EQ(level1, 1);
    EXPECT_EQ(level2, 2);

    // The saved state holds the red brush: it cannot be deleted meanwhile.
    SelectObject(surface.dc, blue);
    EXPECT_FALSE(DeleteObject(red));

    RECT box;
    EXPECT_EQ(GetClipBox(surface.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 1);

    EXPECT_TRUE(RestoreDC(surface.dc, -1));
    EXPECT_EQ(GetCurrentObject(surface.dc, OBJ_BRUSH), red);
    GetClipBox(surface.dc, &box);
    EXPECT_EQ(box.right, 3); // device 4 seen through the viewport origin 1
    EXPECT_FALSE(RestoreDC(surface.dc, 5));
    EXPECT_TRUE(RestoreDC(surface.dc, level1));
    POINT origin;
    GetViewportOrgEx(surface.dc, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(GetClipBox(surface.dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 8);
    EXPECT_FALSE(RestoreDC(surface.dc, -1));

    SelectObject(surface.dc, original);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(blue));
}

TEST(GdiObjects, DibSectionDescribesItself)
{
    for (bool bottomUp : {false, true}) {
        DibSurface surface(3, 2, bottomUp);
        DIBSECTION section {};
        ASSERT_EQ(GetObjectW(surface.bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmWidth, 3);
        EXPECT_EQ(section.dsBm.bmHeight, 2);
        EXPECT_EQ(section.dsBm.bmWidthBytes, 12);
        EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
        EXPECT_EQ(section.dsBm.bmBits, surface.bits);
        EXPECT_EQ(section.dsBmih.biHeight, bottomUp ? 2 : -2);
        BITMAP plain {};
        ASSERT_EQ(GetObjectW(surface.bitmap, sizeof plain, &plain), static_cast<int>(sizeof plain));
        EXPECT_EQ(plain.bmBits, surface.bits);
    }
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
    HBITMAP compatible = CreateCompatibleBitmap(dc, 5, 4);
    BITMAP plain {};
    GetObjectW(compatible, sizeof plain, &plain);
    EXPECT_EQ(plain.bmWidth, 5);
    EXPECT_EQ(plain.bmBits, nullptr);
    DeleteObject(compatible);
    DeleteDC(dc);
}
