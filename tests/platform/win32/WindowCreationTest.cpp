// Window classes, creation and destruction sequences, relations, window data
// and stale handles.
#include "MessageLog.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace kestrova::test;

namespace {

using D = Delivery;

TEST_F(WindowTest, ClassRegistrationRefusesDuplicatesAndUnknownNames)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"KestrovaDuplicate";
    ATOM atom = RegisterClassExW(&wc);
    ASSERT_NE(atom, 0);
    SetLastError(0);
    EXPECT_EQ(RegisterClassExW(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    // Lookup ignores case and accepts the atom.
    WNDCLASSEXW info {};
    info.cbSize = sizeof(info);
    EXPECT_EQ(GetClassInfoExW(nullptr, L"kestrovaduplicate", &info), atom);
    EXPECT_EQ(info.lpfnWndProc, DefWindowProcW);
    EXPECT_TRUE(GetClassInfoExW(nullptr, MAKEINTATOM(atom), &info));

    EXPECT_FALSE(GetClassInfoExW(nullptr, L"KestrovaNoSuchClass", &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_EQ(CreateWindowExW(0, L"KestrovaNoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

    // A class with windows cannot go; without them it can.
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10, nullptr, L"KestrovaDuplicate");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(UnregisterClassW(L"KestrovaDuplicate", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    DestroyWindow(hwnd);
    EXPECT_TRUE(UnregisterClassW(L"KestrovaDuplicate", nullptr));
    EXPECT_FALSE(GetClassInfoExW(nullptr, L"KestrovaDuplicate", &info));
}

LRESULT CALLBACK SuperclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC g_baseProc = nullptr;

LRESULT CALLBACK SuperclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 7)
        return 77;
    return CallWindowProcW(g_baseProc, hwnd, message, wParam, lParam);
}

TEST_F(WindowTest, SuperclassKeepsTheBaseProcedureReachable)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExW(nullptr, L"KestrovaTestWindow", &wc));
    g_baseProc = wc.lpfnWndProc;
    wc.lpfnWndProc = SuperclassProc;
    wc.lpszClassName = L"KestrovaSuperclass";
    ASSERT_NE(RegisterClassExW(&wc), 0);

    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10, nullptr, L"KestrovaSuperclass");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SendMessageW(hwnd, WM_USER + 7, 0, 0), 77);
    Log().Clear();
    SendMessageW(hwnd, WM_USER + 8, 1, 2);
    EXPECT_TRUE(Log().Contains({ { WM_USER + 8, D::Sent, 1, 2 } }));
    WCHAR name[64] {};
    EXPECT_EQ(GetClassNameW(hwnd, name, 64), 18);
    EXPECT_STREQ(name, L"KestrovaSuperclass");
}

TEST_F(WindowTest, OverlappedCreationSequence)
{
    HWND hwnd = Create(WS_OVERLAPPEDWINDOW, 100, 50, 400, 300);
    ASSERT_NE(hwnd, nullptr);
    RECT client {};
    GetClientRect(hwnd, &client);
    // The frame of an overlapped window: 8 pixels each side, 31 on top.
    EXPECT_EQ(client.right, 400 - 16);
    EXPECT_EQ(client.bottom, 300 - 39);
    EXPECT_TRUE(Log().Contains({
        { WM_GETMINMAXINFO },
        { WM_NCCREATE },
        { WM_NCCALCSIZE, D::Sent, FALSE },
        { WM_CREATE },
        { WM_SIZE, D::Sent, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom) },
        { WM_MOVE, D::Sent, 0, MAKELPARAM(108, 81) },
    }));
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(WindowTest, ChildCreationSequenceHasNoMinMaxInfoAndNotifiesTheParent)
{
    HWND parent = Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    Log().Clear();
    HWND child = Create(WS_CHILD | WS_VISIBLE, 10, 20, 50, 40, parent, L"KestrovaTestWindow", 0, 5);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(Log().Count(WM_GETMINMAXINFO, child), 0u);
    EXPECT_TRUE(Log().Contains({
        { WM_NCCREATE, D::Sent, {}, {}, child },
        { WM_NCCALCSIZE, D::Sent, FALSE, {}, child },
        { WM_CREATE, D::Sent, {}, {}, child },
        { WM_SIZE, D::Sent, SIZE_RESTORED, MAKELPARAM(50, 40), child },
        { WM_MOVE, D::Sent, 0, MAKELPARAM(10, 20), child },
        { WM_PARENTNOTIFY, D::Sent, MAKEWPARAM(WM_CREATE, 5), reinterpret_cast<LPARAM>(child), parent },
        { WM_SHOWWINDOW, D::Sent, TRUE, {}, child },
        { WM_WINDOWPOSCHANGING, D::Sent, {}, {}, child },
        { WM_WINDOWPOSCHANGED, D::Sent, {}, {}, child },
    }));
    EXPECT_EQ(GetDlgItem(parent, 5), child);
    EXPECT_EQ(GetDlgCtrlID(child), 5);
}

TEST_F(WindowTest, RefusedCreationDestroysTheWindow)
{
    // Table: the message that refuses, and its answer.
    struct Case {
        UINT message;
        LRESULT answer;
    };
    for (Case c : { Case { WM_CREATE, -1 }, Case { WM_NCCREATE, FALSE } }) {
        Log().Clear();
        HWND created = nullptr;
        CurrentHook() = [&](HWND hwnd, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
            created = hwnd;
            if (message == c.message)
                return c.answer;
            return std::nullopt;
        };
        EXPECT_EQ(Create(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100), nullptr) << std::hex << c.message;
        CurrentHook() = nullptr;
        ASSERT_FALSE(Log().Entries().empty());
        EXPECT_EQ(Log().Entries().back().message, static_cast<UINT>(WM_NCDESTROY));
        EXPECT_EQ(Log().Count(WM_DESTROY), 0u);
        EXPECT_FALSE(IsWindow(created));
    }
}

TEST_F(WindowTest, DestructionOrderAndStaleHandles)
{
    HWND parent = Create(WS_POPUP | WS_VISIBLE, 0, 0, 200, 200);
    HWND child = Create(WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, parent);
    HWND grandchild = Create(WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, child);
    Log().Clear();
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_TRUE(Log().Contains({
        { WM_DESTROY, D::Sent, {}, {}, parent },
        { WM_DESTROY, D::Sent, {}, {}, child },
        { WM_DESTROY, D::Sent, {}, {}, grandchild },
        { WM_NCDESTROY, D::Sent, {}, {}, grandchild },
        { WM_NCDESTROY, D::Sent, {}, {}, child },
        { WM_NCDESTROY, D::Sent, {}, {}, parent },
    }));

    // Every entry point fails cleanly on the stale handles.
    for (HWND stale : { parent, child, grandchild, reinterpret_cast<HWND>(0x12345678) }) {
        EXPECT_FALSE(IsWindow(stale));
        SetLastError(0);
        RECT rect {};
        EXPECT_FALSE(GetWindowRect(stale, &rect));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        EXPECT_EQ(SendMessageW(stale, WM_USER, 0, 0), 0);
        EXPECT_FALSE(PostMessageW(stale, WM_USER, 0, 0));
        EXPECT_EQ(GetWindowLongPtrW(stale, GWLP_USERDATA), 0);
        EXPECT_FALSE(DestroyWindow(stale));
        EXPECT_FALSE(ShowWindow(stale, SW_SHOW));
        EXPECT_FALSE(SetWindowPos(stale, nullptr, 0, 0, 1, 1, 0));
        EXPECT_EQ(GetParent(stale), nullptr);
        EXPECT_FALSE(InvalidateRect(stale, nullptr, TRUE));
    }
}

TEST_F(WindowTest, ParentChildAndOwnerRelations)
{
    HWND top = Create(WS_OVERLAPPEDWINDOW, 0, 0, 300, 300);
    HWND first = Create(WS_CHILD, 0, 0, 10, 10, top);
    HWND second = Create(WS_CHILD, 0, 0, 10, 10, top);
    HWND inner = Create(WS_CHILD, 0, 0, 5, 5, first);
    HWND popup = Create(WS_POPUP, 0, 0, 10, 10, first);

    EXPECT_EQ(GetParent(first), top);
    EXPECT_EQ(GetParent(top), nullptr);
    EXPECT_EQ(GetParent(popup), top);            // a popup's parent is its (top-level) owner
    EXPECT_EQ(GetWindow(popup, GW_OWNER), top);
    EXPECT_EQ(GetAncestor(inner, GA_ROOT), top);
    EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), top);
    EXPECT_TRUE(IsChild(top, inner));
    EXPECT_FALSE(IsChild(top, popup));
    EXPECT_FALSE(IsChild(inner, top));
    // Children are in creation order from the top of the z-order.
    EXPECT_EQ(GetWindow(top, GW_CHILD), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first);
    EXPECT_EQ(GetWindow(first, GW_HWNDLAST), second);

    // Owned windows go with their owner.
    DestroyWindow(top);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(IsWindow(inner));
}

TEST_F(WindowTest, WindowLongsSubclassingAndProperties)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0x1234), 0);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_USERDATA), 0x1234);
    EXPECT_EQ(SetWindowLongPtrW(hwnd, sizeof(LONG_PTR), -5), 0);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, sizeof(LONG_PTR)), -5);
    SetLastError(0);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, 2 * sizeof(LONG_PTR)), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));

    // Subclassing through GWLP_WNDPROC, chaining with CallWindowProcW.
    static WNDPROC previous = nullptr;
    static int seen = 0;
    previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    auto subclass = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_USER + 1)
            ++seen;
        return CallWindowProcW(previous, h, m, w, l);
    };
    WNDPROC old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+subclass)));
    EXPECT_EQ(old, previous);
    Log().Clear();
    SendMessageW(hwnd, WM_USER + 1, 3, 4);
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(Log().Contains({ { WM_USER + 1, D::Sent, 3, 4 } }));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));

    // Properties: names ignore case; atoms work too.
    int value = 0;
    EXPECT_TRUE(SetPropW(hwnd, L"Owner", &value));
    EXPECT_EQ(GetPropW(hwnd, L"OWNER"), &value);
    EXPECT_TRUE(SetPropW(hwnd, MAKEINTATOM(42), &seen));
    EXPECT_EQ(GetPropW(hwnd, MAKEINTATOM(42)), &seen);
    EXPECT_EQ(RemovePropW(hwnd, L"owner"), &value);
    EXPECT_EQ(GetPropW(hwnd, L"Owner"), nullptr);
}

TEST_F(WindowTest, WindowTextGoesThroughTheTextMessages)
{
    HWND hwnd = Create(WS_POPUP, 0, 0, 10, 10);
    Log().Clear();
    EXPECT_TRUE(SetWindowTextW(hwnd, L".Net Framework安装和卸载"));
    EXPECT_TRUE(Log().Contains({ { WM_SETTEXT } }));
    WCHAR text[64] {};
    EXPECT_EQ(GetWindowTextW(hwnd, text, 64), 19);
    EXPECT_STREQ(text, L".Net Framework安装和卸载");
    // A short buffer gets a terminated prefix.
    EXPECT_EQ(GetWindowTextW(hwnd, text, 5), 4);
    EXPECT_STREQ(text, L".Net");
    // The narrow forms speak UTF-8, the ANSI code page.
    char narrow[64] {};
    EXPECT_GT(GetWindowTextA(hwnd, narrow, 64), 0);
    EXPECT_STREQ(narrow, ".Net Framework安装和卸载");
    EXPECT_TRUE(SetWindowTextA(hwnd, "caf\xc3\xa9"));
    EXPECT_EQ(GetWindowTextW(hwnd, text, 64), 4);
    EXPECT_STREQ(text, L"café");
}

TEST_F(WindowTest, FindWindowMatchesClassAndTitle)
{
    RegisterRecordingClass(L"ZarvelToolsMainWnd");
    HWND host = Create(WS_POPUP, 0, 0, 10, 10, nullptr, L"ZarvelToolsMainWnd");
    SetWindowTextW(host, L"Host");
    // Table: class, title, expected.
    struct Case {
        LPCWSTR className;
        LPCWSTR title;
        HWND expected;
    };
    for (Case c : { Case { L"ZarvelToolsMainWnd", nullptr, host }, Case { L"zarveltoolsmainwnd", L"Host", host },
                    Case { nullptr, L"Host", host }, Case { L"ZarvelToolsMainWnd", L"Other", nullptr },
                    Case { L"NoSuchClass", nullptr, nullptr } })
        EXPECT_EQ(FindWindowW(c.className, c.title), c.expected);
    EXPECT_EQ(FindWindowA("ZarvelToolsMainWnd", nullptr), host);
    DestroyWindow(host);
    EXPECT_EQ(FindWindowW(L"ZarvelToolsMainWnd", nullptr), nullptr);
}

} // namespace
