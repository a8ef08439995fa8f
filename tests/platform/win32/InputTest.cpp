// Input routing: clicks reach the window under the pointer with client
// coordinates, capture, mouse leave, double clicks, keys and characters,
// focus and activation.
#include "MessageLog.h"

#include "layer/InputInjection.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace kestrova::test;

namespace {

using D = Delivery;

TEST_F(WindowTest, ClickOnAChildRoutesToItWithClientCoordinates)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 50, 40, 100, 80, top);
    PumpMessages();
    Log().Clear();
    win32::InjectClick(100 + 50 + 7, 100 + 40 + 9);
    PumpMessages();
    EXPECT_TRUE(Log().Contains({
        { WM_NCHITTEST, D::Sent, {}, MAKELPARAM(157, 149), child },
        { WM_SETCURSOR, D::Sent, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), child },
        { WM_MOUSEMOVE, D::Posted, 0, MAKELPARAM(7, 9), child },
        { WM_LBUTTONDOWN, D::Posted, MK_LBUTTON, MAKELPARAM(7, 9), child },
        { WM_LBUTTONUP, D::Posted, 0, MAKELPARAM(7, 9), child },
    }));
    EXPECT_EQ(Log().Count(WM_LBUTTONDOWN, top), 0u);
    // The button state follows the messages retrieved.
    EXPECT_FALSE(GetKeyState(VK_LBUTTON) & 0x8000);
}

TEST_F(WindowTest, CaptureGetsMovesOutsideTheWindow)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top);
    PumpMessages();
    EXPECT_EQ(SetCapture(child), nullptr);
    EXPECT_EQ(GetCapture(), child);
    Log().Clear();
    win32::InjectMouseMove(500, 400); // outside every window
    PumpMessages();
    EXPECT_TRUE(Log().Contains({ { WM_MOUSEMOVE, D::Posted, 0, MAKELPARAM(490, 390), child } }));
    EXPECT_EQ(Log().Count(WM_SETCURSOR), 0u);

    // Taking the capture away tells the old holder.
    Log().Clear();
    SetCapture(top);
    EXPECT_TRUE(Log().Contains({ { WM_CAPTURECHANGED, D::Sent, 0, reinterpret_cast<LPARAM>(top), child } }));
    Log().Clear();
    ReleaseCapture();
    EXPECT_TRUE(Log().Contains({ { WM_CAPTURECHANGED, D::Sent, 0, 0, top } }));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowTest, MouseLeaveArrivesOnce)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 300, 300);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top);
    win32::InjectMouseMove(20, 20);
    PumpMessages();
    TRACKMOUSEEVENT tme { sizeof(tme), TME_LEAVE, child, HOVER_DEFAULT };
    ASSERT_TRUE(TrackMouseEvent(&tme));
    TRACKMOUSEEVENT query { sizeof(query), TME_QUERY, nullptr, 0 };
    TrackMouseEvent(&query);
    EXPECT_EQ(query.hwndTrack, child);
    Log().Clear();
    win32::InjectMouseMove(25, 25); // still inside: no leave
    win32::InjectMouseMove(200, 200);
    win32::InjectMouseMove(210, 210);
    PumpMessages();
    EXPECT_EQ(Log().Count(WM_MOUSELEAVE, child), 1u);
    EXPECT_TRUE(Log().Contains({ { WM_MOUSELEAVE, D::Posted, 0, 0, child } }));

    // Tracking a window the pointer is not over leaves at once.
    Log().Clear();
    TRACKMOUSEEVENT away { sizeof(away), TME_LEAVE, child, HOVER_DEFAULT };
    TrackMouseEvent(&away);
    PumpMessages();
    EXPECT_EQ(Log().Count(WM_MOUSELEAVE, child), 1u);
}

TEST_F(WindowTest, MouseHoverArrivesAfterTheHoverTime)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    win32::InjectMouseMove(50, 50);
    PumpMessages();
    TRACKMOUSEEVENT tme { sizeof(tme), TME_HOVER, top, 30 };
    ASSERT_TRUE(TrackMouseEvent(&tme));
    Log().Clear();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        MessageLog::Dispatch(msg);
        if (msg.message == WM_MOUSEHOVER)
            break;
    }
    EXPECT_TRUE(Log().Contains({ { WM_MOUSEHOVER, D::Posted, 0, MAKELPARAM(50, 50), top } }));
}

TEST_F(WindowTest, DoubleClicksOnlyForDoubleClickClasses)
{
    // Table: class, expected message of the second press.
    struct Case {
        LPCWSTR className;
        UINT second;
    };
    for (Case c : { Case { L"KestrovaTestDblClk", WM_LBUTTONDBLCLK }, Case { L"KestrovaTestWindow", WM_LBUTTONDOWN } }) {
        HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, c.className);
        PumpMessages();
        Log().Clear();
        win32::InjectClick(30, 30);
        win32::InjectClick(30, 30);
        // A third press starts a new pair.
        win32::InjectClick(30, 30);
        PumpMessages();
        EXPECT_TRUE(Log().Contains({ { WM_LBUTTONDOWN, D::Posted }, { c.second, D::Posted }, { WM_LBUTTONDOWN, D::Posted } }))
            << "class index " << (c.second == WM_LBUTTONDBLCLK);
        DestroyWindow(hwnd);
    }
}

TEST_F(WindowTest, RightButtonUpBecomesContextMenuAtScreenCoordinates)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 100, 100, 100, 100);
    PumpMessages();
    Log().Clear();
    win32::InjectClick(120, 130, VK_RBUTTON);
    PumpMessages();
    EXPECT_TRUE(Log().Contains({
        { WM_RBUTTONDOWN, D::Posted, MK_RBUTTON, MAKELPARAM(20, 30) },
        { WM_RBUTTONUP, D::Posted, 0, MAKELPARAM(20, 30) },
        { WM_CONTEXTMENU, D::Sent, reinterpret_cast<WPARAM>(top), MAKELPARAM(120, 130) },
    }));
}

TEST_F(WindowTest, KeyDownAndTranslateMessageGiveCharacters)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    PumpMessages();
    ASSERT_EQ(GetFocus(), top);
    Log().Clear();
    win32::InjectKey('A', true);
    win32::InjectKey('A', false);
    win32::InjectKey(VK_SHIFT, true);
    win32::InjectKey('B', true);
    win32::InjectKey('B', false);
    win32::InjectKey(VK_SHIFT, false);
    win32::InjectKey('X', true, L'安'); // a character from an input method or layout
    win32::InjectKey('X', false);
    PumpMessages();
    EXPECT_TRUE(Log().Contains({
        { WM_KEYDOWN, D::Posted, 'A' },
        { WM_CHAR, D::Posted, 'a' },
        { WM_KEYUP, D::Posted, 'A' },
        { WM_KEYDOWN, D::Posted, VK_SHIFT },
        { WM_KEYDOWN, D::Posted, 'B' },
        { WM_CHAR, D::Posted, 'B' },
        { WM_CHAR, D::Posted, static_cast<WPARAM>(L'安') },
    }));
    EXPECT_EQ(Log().Count(WM_CHAR), 3u);
    // Key up messages carry the transition bits.
    auto ups = Log().Of(WM_KEYUP);
    ASSERT_FALSE(ups.empty());
    EXPECT_TRUE(ups[0].lParam & (1u << 31));
    EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);
}

TEST_F(WindowTest, FocusChangesNameEachOther)
{
    HWND top = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    HWND a = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, top);
    HWND b = Create(WS_CHILD | WS_VISIBLE, 20, 0, 10, 10, top);
    PumpMessages();
    SetFocus(a);
    Log().Clear();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_TRUE(Log().Contains({
        { WM_KILLFOCUS, D::Sent, reinterpret_cast<WPARAM>(b), {}, a },
        { WM_SETFOCUS, D::Sent, reinterpret_cast<WPARAM>(a), {}, b },
    }));
    EXPECT_EQ(GetFocus(), b);
    // Destroying the focus window gives the focus to its parent.
    DestroyWindow(b);
    EXPECT_EQ(GetFocus(), top);
}

TEST_F(WindowTest, ActivationMovesBetweenTopLevelWindows)
{
    HWND first = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200);
    HWND second = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 0, 200, 200);
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), second);
    Log().Clear();
    EXPECT_EQ(SetActiveWindow(first), second);
    EXPECT_TRUE(Log().Contains({
        { WM_NCACTIVATE, D::Sent, FALSE, {}, second },
        { WM_ACTIVATE, D::Sent, WA_INACTIVE, reinterpret_cast<LPARAM>(first), second },
        { WM_NCACTIVATE, D::Sent, TRUE, {}, first },
        { WM_ACTIVATE, D::Sent, WA_ACTIVE, reinterpret_cast<LPARAM>(second), first },
        { WM_KILLFOCUS, D::Sent, reinterpret_cast<WPARAM>(first), {}, second },
        { WM_SETFOCUS, D::Sent, reinterpret_cast<WPARAM>(second), {}, first },
    }));
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), first);

    // A click on the inactive window activates it.
    Log().Clear();
    win32::InjectClick(350, 100);
    PumpMessages();
    EXPECT_TRUE(Log().Contains({ { WM_MOUSEACTIVATE, D::Sent, {}, {}, second },
                                 { WM_ACTIVATE, D::Sent, WA_ACTIVE, {}, second },
                                 { WM_LBUTTONDOWN, D::Posted, {}, {}, second } }));
    EXPECT_EQ(GetActiveWindow(), second);
}

TEST_F(WindowTest, NonClientHitTestingOfAnOverlappedWindow)
{
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200);
    // Table: screen point, expected hit-test answer.
    struct Case {
        int x, y;
        LRESULT expected;
    };
    for (Case c : { Case { 250, 200, HTCLIENT }, Case { 200, 115, HTCAPTION }, Case { 390, 115, HTCLOSE },
                    Case { 101, 200, HTLEFT }, Case { 398, 298, HTBOTTOMRIGHT }, Case { 250, 101, HTTOP },
                    Case { 50, 50, HTNOWHERE } })
        EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(c.x, c.y)), c.expected) << c.x << "," << c.y;
}

TEST_F(WindowTest, CaretAndInputContextKeepWhatTheyAreTold)
{
    HWND hwnd = Create(WS_POPUP | WS_VISIBLE, 0, 0, 100, 100);
    EXPECT_FALSE(SetCaretPos(1, 2));
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 1, 16));
    EXPECT_TRUE(SetCaretPos(5, 6));
    POINT pos {};
    EXPECT_TRUE(GetCaretPos(&pos));
    EXPECT_EQ(pos.x, 5);
    EXPECT_TRUE(ShowCaret(hwnd));
    EXPECT_TRUE(HideCaret(hwnd));
    EXPECT_GT(GetCaretBlinkTime(), 0u);
    EXPECT_TRUE(DestroyCaret());
    EXPECT_FALSE(DestroyCaret());
}

} // namespace
