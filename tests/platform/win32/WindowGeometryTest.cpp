// Window geometry, SetWindowPos, showing and the minimise / maximise /
// restore cycle, monitors and metrics.
#include "MessageLog.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace kestrova::test;

namespace {

using D = Delivery;

TEST_F(WindowTest, CoordinateMappingThroughNestedChildren)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 200, 400, 300);
    HWND child = Create(WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 200, 100, top);
    HWND inner = Create(WS_CHILD | WS_VISIBLE, 5, 6, 50, 50, child);

    RECT rect {};
    ASSERT_TRUE(GetWindowRect(child, &rect));
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 220);
    EXPECT_EQ(rect.right, 310);
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 198); // one-pixel border each side
    EXPECT_EQ(rect.bottom, 98);

    POINT point { 0, 0 };
    ClientToScreen(inner, &point);
    EXPECT_EQ(point.x, 100 + 10 + 1 + 5);
    EXPECT_EQ(point.y, 200 + 20 + 1 + 6);
    ScreenToClient(inner, &point);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 0);

    POINT points[2] = { { 0, 0 }, { 3, 4 } };
    MapWindowPoints(inner, top, points, 2);
    EXPECT_EQ(points[0].x, 16);
    EXPECT_EQ(points[1].y, 31);
    MapWindowPoints(top, nullptr, points, 1);
    EXPECT_EQ(points[0].x, 116);
}

TEST_F(WindowTest, SetWindowPosSendsChangingAndChangedWithMoveAndSize)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    Log().Clear();
    ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 10, 20, 150, 120, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_TRUE(Log().Contains({
        { WM_WINDOWPOSCHANGING },
        { WM_NCCALCSIZE, D::Sent, TRUE },
        { WM_WINDOWPOSCHANGED },
        { WM_MOVE, D::Sent, 0, MAKELPARAM(10, 20) },
        { WM_SIZE, D::Sent, SIZE_RESTORED, MAKELPARAM(150, 120) },
    }));

    // A move alone gives no WM_SIZE; a size alone no WM_MOVE.
    Log().Clear();
    MoveWindow(hwnd, 30, 40, 150, 120, TRUE);
    EXPECT_EQ(Log().Count(WM_MOVE), 1u);
    EXPECT_EQ(Log().Count(WM_SIZE), 0u);
    Log().Clear();
    SetWindowPos(hwnd, nullptr, 0, 0, 60, 70, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Log().Count(WM_MOVE), 0u);
    EXPECT_TRUE(Log().Contains({ { WM_SIZE, D::Sent, SIZE_RESTORED, MAKELPARAM(60, 70) } }));

    // WM_WINDOWPOSCHANGING may change the request.
    CurrentHook() = [](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
        if (message == WM_WINDOWPOSCHANGING)
            reinterpret_cast<WINDOWPOS*>(lParam)->cx = 33;
        return std::nullopt;
    };
    SetWindowPos(hwnd, nullptr, 0, 0, 90, 90, SWP_NOMOVE | SWP_NOZORDER);
    RECT rect {};
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 33);
    EXPECT_EQ(rect.bottom - rect.top, 90);
}

TEST_F(WindowTest, ShowAndHideSequences)
{
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200);
    Log().Clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(Log().Contains({
        { WM_SHOWWINDOW, D::Sent, TRUE },
        { WM_WINDOWPOSCHANGING },
        { WM_WINDOWPOSCHANGED },
        { WM_NCACTIVATE, D::Sent, TRUE },
        { WM_ACTIVATE, D::Sent, WA_ACTIVE },
        { WM_SETFOCUS },
    }));
    EXPECT_EQ(GetActiveWindow(), hwnd);
    EXPECT_EQ(GetFocus(), hwnd);

    Log().Clear();
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(Log().Contains({
        { WM_SHOWWINDOW, D::Sent, FALSE },
        { WM_WINDOWPOSCHANGING },
        { WM_WINDOWPOSCHANGED },
    }));
    EXPECT_NE(GetActiveWindow(), hwnd);
    // Hiding a hidden window does nothing.
    Log().Clear();
    EXPECT_FALSE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_TRUE(Log().Entries().empty());
}

TEST_F(WindowTest, MinimiseMaximiseRestoreThroughSystemCommands)
{
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 60, 300, 200);
    RECT normal {};
    GetWindowRect(hwnd, &normal);

    // Table: command, the WM_SIZE kind it gives, and the state after it.
    struct Case {
        WPARAM command;
        WPARAM sizeKind;
        bool iconic;
        bool zoomed;
    };
    for (Case c : { Case { SC_MAXIMIZE, SIZE_MAXIMIZED, false, true }, Case { SC_RESTORE, SIZE_RESTORED, false, false },
                    Case { SC_MINIMIZE, SIZE_MINIMIZED, true, false }, Case { SC_RESTORE, SIZE_RESTORED, false, false } }) {
        Log().Clear();
        SendMessageW(hwnd, WM_SYSCOMMAND, c.command, 0);
        EXPECT_TRUE(Log().Contains({ { WM_SYSCOMMAND, D::Sent, c.command },
                                     { WM_WINDOWPOSCHANGING },
                                     { WM_WINDOWPOSCHANGED },
                                     { WM_SIZE, D::Sent, c.sizeKind } }))
            << std::hex << c.command;
        EXPECT_EQ(IsIconic(hwnd), c.iconic);
        EXPECT_EQ(IsZoomed(hwnd), c.zoomed);
    }

    // Restored, the window is back where it was.
    RECT rect {};
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.left, normal.left);
    EXPECT_EQ(rect.right, normal.right);

    // Maximised, it fills the work area (its frame just outside it).
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT work {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT client {};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, work.right - work.left);
    EXPECT_EQ(client.bottom, work.bottom - work.top - GetSystemMetrics(SM_CYCAPTION));
}

TEST_F(WindowTest, CloseThroughDefWindowProcDestroys)
{
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
    Log().Clear();
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Log().Contains({ { WM_SYSCOMMAND }, { WM_CLOSE }, { WM_DESTROY }, { WM_NCDESTROY } }));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, EnableWindowReportsThePreviousState)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    EXPECT_FALSE(EnableWindow(hwnd, FALSE));
    EXPECT_FALSE(IsWindowEnabled(hwnd));
    EXPECT_TRUE(Log().Contains({ { WM_ENABLE, D::Sent, FALSE } }));
    EXPECT_TRUE(EnableWindow(hwnd, TRUE));
    EXPECT_TRUE(IsWindowEnabled(hwnd));
}

TEST(WindowMetrics, HeadlessScreenIsOneFullHdMonitorWithAWorkArea)
{
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
    HMONITOR monitor = MonitorFromPoint(POINT { 5000, 5000 }, MONITOR_DEFAULTTONEAREST);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(MonitorFromPoint(POINT { 5000, 5000 }, MONITOR_DEFAULTTONULL), nullptr);
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(monitor, &info));
    EXPECT_EQ(info.rcMonitor.right, 1920);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
    RECT work {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.left, info.rcWork.left);
    EXPECT_EQ(work.bottom, info.rcWork.bottom);
    EXPECT_LT(work.bottom, 1080);

    RECT rect { 0, 0, 100, 100 };
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    EXPECT_EQ(rect.left, -8);
    EXPECT_EQ(rect.top, -31);
    EXPECT_EQ(rect.right, 108);
    EXPECT_EQ(rect.bottom, 108);
}

} // namespace
