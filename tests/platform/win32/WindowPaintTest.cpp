// The painting protocol: WM_PAINT only while something is invalid, the paint
// rectangle, erasing, and drawing into the top-level surface.
#include "MessageLog.h"

#include "layer/WindowSurface.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace kestrova::test;

namespace {

using D = Delivery;

TEST_F(WindowTest, PaintIsGeneratedOnlyWhileSomethingIsInvalid)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 80);
    PumpMessages(); // the first paint after showing
    Log().Clear();
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    RECT part { 10, 10, 20, 30 };
    InvalidateRect(hwnd, &part, FALSE);
    RECT update {};
    EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
    EXPECT_EQ(update.left, 10);
    EXPECT_EQ(update.bottom, 30);
    // Paint stays until the window is validated, however often it is peeked.
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));

    PAINTSTRUCT ps {};
    HDC hdc = BeginPaint(hwnd, &ps);
    EXPECT_NE(hdc, nullptr);
    EXPECT_EQ(ps.rcPaint.left, 10);
    EXPECT_EQ(ps.rcPaint.top, 10);
    EXPECT_EQ(ps.rcPaint.right, 20);
    EXPECT_EQ(ps.rcPaint.bottom, 30);
    EXPECT_FALSE(ps.fErase);
    EndPaint(hwnd, &ps);
    // A validated window never gets WM_PAINT again.
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
}

TEST_F(WindowTest, ValidateRectRemovesTheWholeUpdateOrItsSides)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    PumpMessages();
    InvalidateRect(hwnd, nullptr, FALSE);
    RECT top { 0, 0, 100, 40 };
    ValidateRect(hwnd, &top);
    RECT update {};
    ASSERT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
    EXPECT_EQ(update.top, 40);
    ValidateRect(hwnd, nullptr);
    EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
}

TEST_F(WindowTest, BeginPaintErasesWhenAskedAndReportsAnUndoneErase)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
    PumpMessages();
    // Table: erase requested, WM_ERASEBKGND answer, expected fErase.
    struct Case {
        BOOL erase;
        LRESULT answer;
        size_t erases;
        BOOL fErase;
    };
    for (Case c : { Case { TRUE, 1, 1, FALSE }, Case { TRUE, 0, 1, TRUE }, Case { FALSE, 1, 0, FALSE } }) {
        CurrentHook() = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            if (message == WM_ERASEBKGND)
                return c.answer;
            return std::nullopt;
        };
        Log().Clear();
        InvalidateRect(hwnd, nullptr, c.erase);
        PAINTSTRUCT ps {};
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        EXPECT_EQ(Log().Count(WM_ERASEBKGND), c.erases);
        EXPECT_EQ(ps.fErase, c.fErase);
    }
}

TEST_F(WindowTest, UpdateWindowPaintsParentThenChildrenAtOnce)
{
    HWND parent = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, parent);
    PumpMessages();
    Log().Clear();
    // Without WS_CLIPCHILDREN the parent's invalidation reaches the child.
    InvalidateRect(parent, nullptr, TRUE);
    UpdateWindow(parent);
    EXPECT_TRUE(Log().Contains({ { WM_PAINT, D::Sent, {}, {}, parent }, { WM_PAINT, D::Sent, {}, {}, child } }));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

    // With WS_CLIPCHILDREN it stays with the parent.
    SetWindowLongW(parent, GWL_STYLE, GetWindowLongW(parent, GWL_STYLE) | WS_CLIPCHILDREN);
    Log().Clear();
    InvalidateRect(parent, nullptr, FALSE);
    UpdateWindow(parent);
    EXPECT_EQ(Log().Count(WM_PAINT, parent), 1u);
    EXPECT_EQ(Log().Count(WM_PAINT, child), 0u);
}

TEST_F(WindowTest, TopLevelSurfaceFollowsTheWindowSize)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 64, 32);
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    ASSERT_TRUE(win32::ReadWindowSurface(hwnd, pixels, &width, &height));
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(pixels.size(), 64u * 32u);
    SetWindowPos(hwnd, nullptr, 0, 0, 80, 40, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(win32::ReadWindowSurface(hwnd, pixels, &width, &height));
    EXPECT_EQ(width, 80);
    EXPECT_EQ(height, 40);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hwnd);
    EXPECT_FALSE(win32::ReadWindowSurface(child, pixels, &width, &height));
    // A child's DC draws into the top-level surface.
    HDC hdc = GetDC(child);
    EXPECT_NE(hdc, nullptr);
    EXPECT_EQ(WindowFromDC(hdc), child);
    EXPECT_EQ(ReleaseDC(child, hdc), 1);
}

} // namespace
