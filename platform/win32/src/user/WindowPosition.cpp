// Window geometry: rectangles and coordinate mapping, SetWindowPos and its
// messages, showing, minimising and maximising, and the non-client frame.
#include "user/UserState.h"

#include <cwchar>

namespace win32::user {

RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu)
{
    RECT insets {};
    auto inflate = [&](int amount) {
        insets.left += amount;
        insets.top += amount;
        insets.right += amount;
        insets.bottom += amount;
    };
    if (style & WS_THICKFRAME)
        inflate(GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER));
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        inflate(GetSystemMetrics(SM_CXDLGFRAME));
    else if (style & WS_BORDER)
        inflate(GetSystemMetrics(SM_CXBORDER));
    if (exStyle & WS_EX_CLIENTEDGE)
        inflate(GetSystemMetrics(SM_CXEDGE));
    if (exStyle & WS_EX_STATICEDGE)
        inflate(GetSystemMetrics(SM_CXBORDER));
    if ((style & WS_CAPTION) == WS_CAPTION)
        insets.top += GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (menu)
        insets.top += GetSystemMetrics(SM_CYMENU);
    return insets;
}

} // namespace win32::user

using namespace win32::user;

namespace {

void OffsetRectBy(RECT& rect, LONG dx, LONG dy)
{
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
}

// Activates the next visible top-level window of this thread after `leaving`
// stops being eligible (hidden, minimised or destroyed).
void ActivateOtherWindow(HWND leaving)
{
    if (GetActiveWindow() != leaving)
        return;
    HWND next = nullptr;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(leaving);
        auto self = CurrentQueueLocked();
        if (window && window->owner && IsVisibleLocked(window->owner) && !(window->owner->style & WS_MINIMIZE))
            next = window->owner->handle;
        for (Window* top : DesktopLocked()->children) {
            if (next)
                break;
            if (top != window && (top->style & WS_VISIBLE) && !(top->style & (WS_DISABLED | WS_MINIMIZE)) &&
                !top->destroying && top->queue == self)
                next = top->handle;
        }
    }
    SetActiveWindow(next);
}

MINMAXINFO QueryMinMaxInfo(HWND hwnd)
{
    MINMAXINFO info {};
    DWORD style = 0, exStyle = 0;
    {
        Guard guard(UserLock());
        if (Window* window = WindowLocked(hwnd)) {
            style = window->style;
            exStyle = window->exStyle;
        }
    }
    RECT insets = NonClientInsets(style, exStyle, false);
    RECT work {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // A maximised window puts its frame just outside the work area.
    LONG frameX = insets.left;
    LONG frameY = insets.bottom;
    info.ptMaxSize = { work.right - work.left + 2 * frameX, work.bottom - work.top + 2 * frameY };
    info.ptMaxPosition = { work.left - frameX, work.top - frameY };
    info.ptMinTrackSize = { GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK) };
    info.ptMaxTrackSize = { GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK) };
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

} // namespace

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpRect)
        return FALSE;
    POINT origin = WindowOriginOnScreenLocked(window);
    *lpRect = { origin.x, origin.y, origin.x + window->windowRect.right - window->windowRect.left,
                origin.y + window->windowRect.bottom - window->windowRect.top };
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpRect)
        return FALSE;
    *lpRect = { 0, 0, window->clientRect.right - window->clientRect.left,
                window->clientRect.bottom - window->clientRect.top };
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpPoint)
        return FALSE;
    POINT origin = window->parent ? ClientOriginOnScreenLocked(window) : POINT { 0, 0 };
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpPoint)
        return FALSE;
    POINT origin = window->parent ? ClientOriginOnScreenLocked(window) : POINT { 0, 0 };
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints)
{
    Guard guard(UserLock());
    POINT from {}, to {};
    if (hWndFrom) {
        Window* window = WindowLocked(hWndFrom);
        if (!window)
            return 0;
        if (window->parent)
            from = ClientOriginOnScreenLocked(window);
    }
    if (hWndTo) {
        Window* window = WindowLocked(hWndTo);
        if (!window)
            return 0;
        if (window->parent)
            to = ClientOriginOnScreenLocked(window);
    }
    LONG dx = from.x - to.x;
    LONG dy = from.y - to.y;
    for (UINT i = 0; i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    WINDOWPOS pos {};
    RECT oldWindow {}, oldClient {};
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window || window == DesktopLocked())
            return FALSE;
        oldWindow = window->windowRect;
        oldClient = window->clientRect;
        bool visible = window->style & WS_VISIBLE;

        // Pass 1: drop the parts of the request that change nothing.
        if (!(uFlags & SWP_NOMOVE) && X == oldWindow.left && Y == oldWindow.top)
            uFlags |= SWP_NOMOVE;
        if (!(uFlags & SWP_NOSIZE) && cx == oldWindow.right - oldWindow.left && cy == oldWindow.bottom - oldWindow.top)
            uFlags |= SWP_NOSIZE;
        if (visible)
            uFlags &= ~SWP_SHOWWINDOW;
        else
            uFlags &= ~SWP_HIDEWINDOW;
        if (window->style & WS_CHILD)
            uFlags |= SWP_NOACTIVATE;
        pos.hwnd = hWnd;
        pos.hwndInsertAfter = hWndInsertAfter;
        pos.x = (uFlags & SWP_NOMOVE) ? oldWindow.left : X;
        pos.y = (uFlags & SWP_NOMOVE) ? oldWindow.top : Y;
        pos.cx = (uFlags & SWP_NOSIZE) ? oldWindow.right - oldWindow.left : std::max(0, cx);
        pos.cy = (uFlags & SWP_NOSIZE) ? oldWindow.bottom - oldWindow.top : std::max(0, cy);
        pos.flags = uFlags & ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
    }

    // Pass 2: the window may change the request.
    if (!(pos.flags & SWP_NOSENDCHANGING))
        SendMessageW(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));

    // Pass 3: the new client area.
    RECT newWindow { pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy };
    RECT newClient = oldClient;
    OffsetRectBy(newClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
    if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) {
        NCCALCSIZE_PARAMS params {};
        params.rgrc[0] = newWindow;
        params.rgrc[1] = oldWindow;
        params.rgrc[2] = oldClient;
        params.lppos = &pos;
        SendMessageW(hWnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
        newClient = params.rgrc[0];
        newClient.right = std::max(newClient.left, newClient.right);
        newClient.bottom = std::max(newClient.top, newClient.bottom);
    }

    // Pass 4: apply it.
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        if (window->parent && window->parent->parent && (window->style & WS_VISIBLE) &&
            ((pos.flags & SWP_HIDEWINDOW) || !(pos.flags & SWP_NOMOVE) || !(pos.flags & SWP_NOSIZE)) &&
            !(pos.flags & SWP_NOREDRAW))
            InvalidateLocked(window->parent, &window->windowRect, true, false);
        window->windowRect = newWindow;
        window->clientRect = newClient;
        if (newClient.right - newClient.left == oldClient.right - oldClient.left &&
            newClient.bottom - newClient.top == oldClient.bottom - oldClient.top)
            pos.flags |= SWP_NOCLIENTSIZE;
        if (newClient.left == oldClient.left && newClient.top == oldClient.top)
            pos.flags |= SWP_NOCLIENTMOVE;
        if (!(pos.flags & SWP_NOZORDER) && window->parent) {
            auto& siblings = window->parent->children;
            std::erase(siblings, window);
            auto at = siblings.begin();
            if (pos.hwndInsertAfter == HWND_BOTTOM) {
                at = siblings.end();
            } else if (pos.hwndInsertAfter != HWND_TOP && pos.hwndInsertAfter != HWND_TOPMOST &&
                       pos.hwndInsertAfter != HWND_NOTOPMOST) {
                auto after = std::find_if(siblings.begin(), siblings.end(),
                                          [&](Window* w) { return w->handle == pos.hwndInsertAfter; });
                at = after == siblings.end() ? siblings.begin() : after + 1;
            }
            siblings.insert(at, window);
            if (pos.hwndInsertAfter == HWND_TOPMOST)
                window->exStyle |= WS_EX_TOPMOST;
            else if (pos.hwndInsertAfter == HWND_NOTOPMOST)
                window->exStyle &= ~WS_EX_TOPMOST;
        }
        if (pos.flags & SWP_SHOWWINDOW)
            window->style |= WS_VISIBLE;
        if (pos.flags & SWP_HIDEWINDOW)
            window->style &= ~WS_VISIBLE;
        if (IsTopLevel(window))
            ResizeSurfaceLocked(window);
        bool resized = !(pos.flags & SWP_NOCLIENTSIZE);
        if (!(pos.flags & SWP_NOREDRAW) && IsVisibleLocked(window) &&
            ((pos.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || resized))
            InvalidateLocked(window, nullptr, true, true);
    }

    // Pass 5: the window hears what happened; DefWindowProcW turns it into
    // WM_MOVE and WM_SIZE.
    SendMessageW(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));

    if ((pos.flags & SWP_HIDEWINDOW)) {
        HWND focus = GetFocus();
        if (focus && (focus == hWnd || IsChild(hWnd, focus)))
            SetFocus(GetParent(hWnd));
        ActivateOtherWindow(hWnd);
    } else if (!(pos.flags & SWP_NOACTIVATE) && IsWindowVisible(hWnd)) {
        SetActiveWindow(hWnd);
    }
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint)
{
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!bRepaint)
        flags |= SWP_NOREDRAW;
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight, flags);
}

BOOL WINAPI BringWindowToTop(HWND hWnd)
{
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    bool wasVisible = false;
    bool child = false;
    DWORD style = 0;
    RECT normal {};
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        style = window->style;
        wasVisible = style & WS_VISIBLE;
        child = style & WS_CHILD;
        normal = window->normalRect;
    }
    auto setState = [&](DWORD set, DWORD clear) {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return;
        if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE)))
            window->normalRect = window->windowRect;
        window->style = (window->style & ~clear) | set;
    };
    UINT noActivate = child ? SWP_NOACTIVATE : 0;

    switch (nCmdShow) {
    case SW_HIDE:
        if (!wasVisible)
            return FALSE;
        SendMessageW(hWnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;

    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: {
        if (!wasVisible)
            SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(style & WS_MINIMIZE)) {
            setState(WS_MINIMIZE, WS_MAXIMIZE);
            int width = GetSystemMetrics(SM_CXMIN), height = GetSystemMetrics(SM_CYMIN);
            SetWindowPos(hWnd, nullptr, -32000, -32000, width, height,
                         SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_STATECHANGED);
        } else if (!wasVisible) {
            SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // A minimised window gives up the focus and the activation.
        HWND focus = GetFocus();
        if (focus && (focus == hWnd || IsChild(hWnd, focus)))
            SetFocus(nullptr);
        ActivateOtherWindow(hWnd);
        if (nCmdShow == SW_SHOWMINIMIZED && !child && GetActiveWindow() == nullptr) {
            // SW_SHOWMINIMIZED keeps the window active, without focus.
        }
        return wasVisible;
    }

    case SW_MAXIMIZE: {
        if (!wasVisible)
            SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
        MINMAXINFO info = QueryMinMaxInfo(hWnd);
        setState(WS_MAXIMIZE, WS_MINIMIZE);
        SetWindowPos(hWnd, nullptr, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_STATECHANGED | noActivate);
        return wasVisible;
    }

    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE: {
        UINT activate = nCmdShow == SW_SHOWNOACTIVATE ? SWP_NOACTIVATE : noActivate;
        if (!wasVisible)
            SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
        if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
            {
                Guard guard(UserLock());
                if (Window* window = WindowLocked(hWnd))
                    window->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
            }
            SetWindowPos(hWnd, nullptr, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                         SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_STATECHANGED | SWP_NOZORDER | activate);
        } else {
            SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | activate);
        }
        return wasVisible;
    }

    case SW_SHOW:
    case SW_SHOWNA:
    default: {
        UINT activate = nCmdShow == SW_SHOWNA ? SWP_NOACTIVATE : noActivate;
        if (!wasVisible) {
            SendMessageW(hWnd, WM_SHOWWINDOW, TRUE, 0);
            SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | activate);
        } else if (!activate) {
            SetActiveWindow(hWnd);
        }
        return wasVisible;
    }
    }
}

BOOL WINAPI CloseWindow(HWND hWnd)
{
    if (!IsWindow(hWnd) || (GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
        return FALSE;
    ShowWindow(hWnd, SW_MINIMIZE);
    return TRUE;
}

BOOL WINAPI GetWindowPlacement(HWND hWnd, WINDOWPLACEMENT* lpwndpl)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpwndpl)
        return FALSE;
    lpwndpl->flags = 0;
    lpwndpl->showCmd = (window->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                       : (window->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                                       : SW_SHOWNORMAL;
    lpwndpl->ptMinPosition = { -1, -1 };
    lpwndpl->ptMaxPosition = { -1, -1 };
    lpwndpl->rcNormalPosition = (window->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? window->normalRect : window->windowRect;
    return TRUE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable)
{
    bool wasDisabled = false;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        wasDisabled = window->style & WS_DISABLED;
        if (bEnable == !wasDisabled)
            return wasDisabled;
        if (bEnable)
            window->style &= ~WS_DISABLED;
        else
            window->style |= WS_DISABLED;
    }
    if (!bEnable) {
        HWND focus = GetFocus();
        if (focus && (focus == hWnd || IsChild(hWnd, focus)))
            SetFocus(nullptr);
        if (GetCapture() == hWnd)
            ReleaseCapture();
    }
    SendMessageW(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle)
{
    if (!lpRect)
        return FALSE;
    RECT insets = NonClientInsets(dwStyle, dwExStyle, bMenu);
    lpRect->left -= insets.left;
    lpRect->top -= insets.top;
    lpRect->right += insets.right;
    lpRect->bottom += insets.bottom;
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu)
{
    return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

int WINAPI GetSystemMetrics(int nIndex)
{
    RECT screen {}, work {};
    {
        Guard guard(UserLock());
        screen = InputLocked().monitors.front().monitor;
        work = InputLocked().monitors.front().work;
    }
    int width = screen.right - screen.left, height = screen.bottom - screen.top;
    int frame = 4, padded = 4;
    switch (nIndex) {
    case SM_CXSCREEN: case SM_CXVIRTUALSCREEN: return width;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return height;
    case SM_XVIRTUALSCREEN: case SM_YVIRTUALSCREEN: return 0;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CYSMCAPTION: return 22;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return frame;
    case SM_CXPADDEDBORDER: return padded;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return 20;
    case SM_CXFULLSCREEN: return work.right - work.left;
    case SM_CYFULLSCREEN: return work.bottom - work.top - 23;
    case SM_CXMIN: case SM_CXMINTRACK: return 136;
    case SM_CYMIN: case SM_CYMINTRACK: return 39;
    case SM_CXSIZE: return 36;
    case SM_CYSIZE: return 22;
    case SM_CXMAXTRACK: return width + 2 * (frame + padded) + 4;
    case SM_CYMAXTRACK: return height + 2 * (frame + padded) + 4;
    case SM_CXMAXIMIZED: return work.right - work.left + 2 * (frame + padded);
    case SM_CYMAXIMIZED: return work.bottom - work.top + 2 * (frame + padded);
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CMONITORS: return 1;
    case SM_SWAPBUTTON: return 0;
    default: return 0;
    }
}

HMONITOR WINAPI MonitorFromPoint(POINT pt, DWORD dwFlags)
{
    Guard guard(UserLock());
    auto& monitors = InputLocked().monitors;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i].monitor;
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom)
            return reinterpret_cast<HMONITOR>(i + 1);
    }
    if (dwFlags == MONITOR_DEFAULTTONULL)
        return nullptr;
    return reinterpret_cast<HMONITOR>(1);
}

HMONITOR WINAPI MonitorFromRect(LPCRECT lprc, DWORD dwFlags)
{
    if (!lprc)
        return nullptr;
    Guard guard(UserLock());
    auto& monitors = InputLocked().monitors;
    size_t best = 0;
    long bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i].monitor;
        long w = std::min(r.right, lprc->right) - std::max(r.left, lprc->left);
        long h = std::min(r.bottom, lprc->bottom) - std::max(r.top, lprc->top);
        if (w > 0 && h > 0 && w * h > bestArea) {
            bestArea = w * h;
            best = i + 1;
        }
    }
    if (best)
        return reinterpret_cast<HMONITOR>(best);
    return dwFlags == MONITOR_DEFAULTTONULL ? nullptr : reinterpret_cast<HMONITOR>(1);
}

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD dwFlags)
{
    RECT rect {};
    if (!GetWindowRect(hwnd, &rect))
        return dwFlags == MONITOR_DEFAULTTONULL ? nullptr : reinterpret_cast<HMONITOR>(1);
    if (IsIconic(hwnd))
        return reinterpret_cast<HMONITOR>(1);
    return MonitorFromRect(&rect, dwFlags);
}

BOOL WINAPI GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi)
{
    if (!lpmi || (lpmi->cbSize != sizeof(MONITORINFO) && lpmi->cbSize != sizeof(MONITORINFOEXW)))
        return FALSE;
    Guard guard(UserLock());
    auto& monitors = InputLocked().monitors;
    size_t index = reinterpret_cast<size_t>(hMonitor);
    if (index == 0 || index > monitors.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lpmi->rcMonitor = monitors[index - 1].monitor;
    lpmi->rcWork = monitors[index - 1].work;
    lpmi->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    if (lpmi->cbSize == sizeof(MONITORINFOEXW)) {
        std::wstring name = L"\\\\.\\DISPLAY" + std::to_wstring(index);
        auto* ex = reinterpret_cast<LPMONITORINFOEXW>(lpmi);
        std::wcsncpy(ex->szDevice, name.c_str(), CCHDEVICENAME - 1);
        ex->szDevice[CCHDEVICENAME - 1] = 0;
    }
    return TRUE;
}

BOOL WINAPI SystemParametersInfoW(UINT uiAction, UINT, PVOID pvParam, UINT)
{
    if (!pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(UserLock());
    switch (uiAction) {
    case SPI_GETWORKAREA: *static_cast<RECT*>(pvParam) = InputLocked().monitors.front().work; return TRUE;
    case SPI_GETMOUSEHOVERTIME: *static_cast<UINT*>(pvParam) = 400; return TRUE;
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT: *static_cast<UINT*>(pvParam) = 4; return TRUE;
    case SPI_GETWHEELSCROLLLINES: *static_cast<UINT*>(pvParam) = 3; return TRUE;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

UINT WINAPI GetDoubleClickTime(void)
{
    return 500;
}
