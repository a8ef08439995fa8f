// Input: routing of injected mouse and keyboard events, capture, mouse
// tracking, focus and activation, key state, cursors and the caret.
#include "user/UserState.h"

#include "layer/InputInjection.h"

#include <cwctype>

using namespace win32::user;

namespace {

using Clock = std::chrono::steady_clock;

bool Contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

RECT ScreenWindowRectLocked(const Window* window)
{
    POINT origin = WindowOriginOnScreenLocked(window);
    return { origin.x, origin.y, origin.x + window->windowRect.right - window->windowRect.left,
             origin.y + window->windowRect.bottom - window->windowRect.top };
}

// The deepest visible window under a screen point, before hit testing.
Window* WindowUnderPointLocked(POINT p)
{
    Window* found = nullptr;
    for (Window* top : DesktopLocked()->children) {
        if ((top->style & WS_VISIBLE) && !top->destroying && Contains(ScreenWindowRectLocked(top), p)) {
            found = top;
            break;
        }
    }
    while (found && !(found->style & WS_DISABLED)) {
        POINT origin = ClientOriginOnScreenLocked(found);
        RECT client { origin.x, origin.y, origin.x + found->clientRect.right - found->clientRect.left,
                      origin.y + found->clientRect.bottom - found->clientRect.top };
        if (!Contains(client, p))
            break;
        Window* next = nullptr;
        for (Window* child : found->children) {
            // A disabled child leaves the point to its parent.
            if ((child->style & WS_VISIBLE) && !(child->style & WS_DISABLED) && !child->destroying &&
                Contains(ScreenWindowRectLocked(child), p)) {
                next = child;
                break;
            }
        }
        if (!next)
            break;
        found = next;
    }
    return found;
}

WPARAM MouseKeyFlagsLocked()
{
    const BYTE* keys = InputLocked().asyncKeyState;
    WPARAM flags = 0;
    if (keys[VK_LBUTTON] & 0x80) flags |= MK_LBUTTON;
    if (keys[VK_RBUTTON] & 0x80) flags |= MK_RBUTTON;
    if (keys[VK_MBUTTON] & 0x80) flags |= MK_MBUTTON;
    if (keys[VK_SHIFT] & 0x80) flags |= MK_SHIFT;
    if (keys[VK_CONTROL] & 0x80) flags |= MK_CONTROL;
    return flags;
}

void QueueInputLocked(Window* window, const MSG& msg, int hitTest, wchar_t character = 0)
{
    auto& queue = window->queue->input;
    // Moves are merged: only the latest position of a run is kept.
    if ((msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) && !queue.empty() &&
        queue.back().msg.message == msg.message && queue.back().msg.hwnd == msg.hwnd) {
        queue.back().msg = msg;
        queue.back().hitTest = hitTest;
    } else {
        queue.push_back({ msg, hitTest, character });
    }
    WakeLocked(*window->queue);
}

void PostLeaveLocked(InputState& input)
{
    Window* tracked = WindowLocked(input.trackWindow);
    if (tracked && (input.trackFlags & TME_LEAVE)) {
        MSG msg {};
        msg.hwnd = tracked->handle;
        msg.message = (input.trackFlags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE;
        msg.time = TickCount();
        msg.pt = input.cursor;
        tracked->queue->posted.push_back(msg);
        WakeLocked(*tracked->queue);
    }
    input.trackWindow = nullptr;
    input.trackFlags = 0;
    input.hoverPending = false;
}

UINT ButtonMessage(UINT button, bool down, bool doubleClick)
{
    switch (button) {
    case VK_RBUTTON: return doubleClick ? WM_RBUTTONDBLCLK : down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case VK_MBUTTON: return doubleClick ? WM_MBUTTONDBLCLK : down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return doubleClick ? WM_LBUTTONDBLCLK : down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    }
}

// Routes one mouse event. `message` is WM_MOUSEMOVE, a client button message
// or WM_MOUSEWHEEL / WM_MOUSEHWHEEL; it becomes the non-client form outside
// client areas.
void RouteMouse(UINT button, bool down, bool move, int wheel, bool horizontal)
{
    POINT point {};
    HWND capture = nullptr;
    {
        Guard guard(UserLock());
        InputState& input = InputLocked();
        point = input.cursor;
        capture = input.capture;
        if (!move && wheel == 0) {
            BYTE& state = input.asyncKeyState[button];
            state = down ? static_cast<BYTE>(state | 0x80) : static_cast<BYTE>(state & ~0x80);
        }
    }

    // Pass 1: find the window, asking WM_NCHITTEST where it is not captured.
    int hitTest = HTCLIENT;
    HWND target = capture;
    if (!target)
        target = HitTestScreenPoint(point, &hitTest);
    if (wheel != 0) {
        // The wheel goes to the focus window, as on classic Windows.
        HWND focus = nullptr;
        {
            Guard guard(UserLock());
            focus = InputLocked().focus;
        }
        if (focus)
            target = focus;
    }

    const UINT doubleClickTime = GetDoubleClickTime();
    const int doubleClickWidth = GetSystemMetrics(SM_CXDOUBLECLK);
    const int doubleClickHeight = GetSystemMetrics(SM_CYDOUBLECLK);
    Guard guard(UserLock());
    InputState& input = InputLocked();

    // Pass 2: a tracked window the pointer has left hears of it once.
    if (input.trackWindow) {
        bool nonClientTrack = input.trackFlags & TME_NONCLIENT;
        bool inClient = hitTest == HTCLIENT;
        if (input.trackWindow != target || nonClientTrack == inClient)
            PostLeaveLocked(input);
        else if (input.hoverPending && move &&
                 (std::abs(point.x - input.hoverOrigin.x) > 2 || std::abs(point.y - input.hoverOrigin.y) > 2)) {
            input.hoverOrigin = point;
            input.hoverDue = Clock::now() + std::chrono::milliseconds(input.hoverTime);
        }
    }
    input.lastMouseWindow = target;
    input.lastMouseHitTest = hitTest;

    Window* window = WindowLocked(target);
    if (!window)
        return;
    if (hitTest == HTERROR || hitTest == HTNOWHERE) {
        if (!move)
            return;
    }

    // Pass 3: the message itself.
    MSG msg {};
    msg.hwnd = target;
    msg.time = TickCount();
    msg.pt = point;
    bool client = hitTest == HTCLIENT || capture;
    POINT origin = ClientOriginOnScreenLocked(window);
    if (wheel != 0) {
        msg.message = horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
        msg.wParam = MAKEWPARAM(MouseKeyFlagsLocked(), static_cast<short>(wheel));
        msg.lParam = MAKELPARAM(point.x, point.y);
        QueueInputLocked(window, msg, hitTest);
        return;
    }
    UINT message = WM_MOUSEMOVE;
    if (!move) {
        bool doubleClick = false;
        if (down) {
            DWORD elapsed = msg.time - input.lastClickTime;
            doubleClick = (window->windowClass->style & CS_DBLCLKS) && input.lastClickWindow == target &&
                          input.lastClickButton == button && elapsed <= doubleClickTime &&
                          std::abs(point.x - input.lastClickPoint.x) <= doubleClickWidth / 2 &&
                          std::abs(point.y - input.lastClickPoint.y) <= doubleClickHeight / 2 &&
                          !input.lastClickWasDouble;
            input.lastClickWindow = target;
            input.lastClickButton = button;
            input.lastClickTime = msg.time;
            input.lastClickPoint = point;
            input.lastClickWasDouble = doubleClick;
        }
        message = ButtonMessage(button, down, doubleClick);
    }
    if (client) {
        msg.message = message;
        msg.wParam = MouseKeyFlagsLocked();
        msg.lParam = MAKELPARAM(point.x - origin.x, point.y - origin.y);
    } else {
        msg.message = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
        msg.wParam = static_cast<WPARAM>(hitTest);
        msg.lParam = MAKELPARAM(point.x, point.y);
    }
    QueueInputLocked(window, msg, hitTest);
}

// The character a key types on a US keyboard.
wchar_t UsCharacter(UINT vk, const BYTE* keys)
{
    bool shift = keys[VK_SHIFT] & 0x80;
    bool control = keys[VK_CONTROL] & 0x80;
    bool caps = keys[VK_CAPITAL] & 0x01;
    if (vk >= 'A' && vk <= 'Z') {
        if (control)
            return static_cast<wchar_t>(vk - 'A' + 1);
        bool upper = shift != caps;
        return static_cast<wchar_t>(upper ? vk : vk + 32);
    }
    if (control)
        return 0;
    if (vk >= '0' && vk <= '9')
        return shift ? L")!@#$%^&*("[vk - '0'] : static_cast<wchar_t>(vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<wchar_t>('0' + vk - VK_NUMPAD0);
    switch (vk) {
    case VK_SPACE: return L' ';
    case VK_RETURN: return L'\r';
    case VK_BACK: return 8;
    case VK_TAB: return L'\t';
    case VK_ESCAPE: return 27;
    case 0xBA: return shift ? L':' : L';';
    case 0xBB: return shift ? L'+' : L'=';
    case 0xBC: return shift ? L'<' : L',';
    case 0xBD: return shift ? L'_' : L'-';
    case 0xBE: return shift ? L'>' : L'.';
    case 0xBF: return shift ? L'?' : L'/';
    case 0xC0: return shift ? L'~' : L'`';
    case 0xDB: return shift ? L'{' : L'[';
    case 0xDC: return shift ? L'|' : L'\\';
    case 0xDD: return shift ? L'}' : L']';
    case 0xDE: return shift ? L'"' : L'\'';
    case VK_MULTIPLY: return L'*';
    case VK_ADD: return L'+';
    case VK_SUBTRACT: return L'-';
    case VK_DECIMAL: return L'.';
    case VK_DIVIDE: return L'/';
    default: return 0;
    }
}

UINT ScanCode(UINT vk)
{
    static const struct { UINT vk; UINT scan; } table[] = {
        { VK_ESCAPE, 0x01 }, { VK_BACK, 0x0E }, { VK_TAB, 0x0F }, { VK_RETURN, 0x1C }, { VK_CONTROL, 0x1D },
        { VK_SHIFT, 0x2A }, { VK_MENU, 0x38 }, { VK_SPACE, 0x39 }, { VK_CAPITAL, 0x3A }, { VK_F1, 0x3B },
        { VK_HOME, 0x47 }, { VK_UP, 0x48 }, { VK_PRIOR, 0x49 }, { VK_LEFT, 0x4B }, { VK_RIGHT, 0x4D },
        { VK_END, 0x4F }, { VK_DOWN, 0x50 }, { VK_NEXT, 0x51 }, { VK_INSERT, 0x52 }, { VK_DELETE, 0x53 },
        { '1', 0x02 }, { '2', 0x03 }, { '3', 0x04 }, { '4', 0x05 }, { '5', 0x06 }, { '6', 0x07 }, { '7', 0x08 },
        { '8', 0x09 }, { '9', 0x0A }, { '0', 0x0B }, { 'Q', 0x10 }, { 'W', 0x11 }, { 'E', 0x12 }, { 'R', 0x13 },
        { 'T', 0x14 }, { 'Y', 0x15 }, { 'U', 0x16 }, { 'I', 0x17 }, { 'O', 0x18 }, { 'P', 0x19 }, { 'A', 0x1E },
        { 'S', 0x1F }, { 'D', 0x20 }, { 'F', 0x21 }, { 'G', 0x22 }, { 'H', 0x23 }, { 'J', 0x24 }, { 'K', 0x25 },
        { 'L', 0x26 }, { 'Z', 0x2C }, { 'X', 0x2D }, { 'C', 0x2E }, { 'V', 0x2F }, { 'B', 0x30 }, { 'N', 0x31 },
        { 'M', 0x32 },
    };
    for (auto& entry : table)
        if (entry.vk == vk)
            return entry.scan;
    if (vk >= VK_F1 && vk <= VK_F10)
        return 0x3B + vk - VK_F1;
    return 0;
}

bool IsExtendedKey(UINT vk)
{
    switch (vk) {
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_RIGHT: case VK_UP:
    case VK_DOWN: case VK_INSERT: case VK_DELETE: case VK_RCONTROL: case VK_RMENU: case VK_DIVIDE:
        return true;
    default:
        return false;
    }
}

// Changes the active window, with the activation messages in the system's
// order.
HWND ActivateWindow(HWND hwnd, bool byMouse)
{
    HWND old = nullptr;
    bool oldMinimised = false, newMinimised = false;
    bool raise = false;
    {
        Guard guard(UserLock());
        InputState& input = InputLocked();
        if (hwnd) {
            Window* window = WindowLocked(hwnd);
            if (!window)
                return nullptr;
            window = TopLevelLocked(window);
            hwnd = window->handle;
            newMinimised = window->style & WS_MINIMIZE;
            raise = DesktopLocked()->children.front() != window;
        }
        old = input.active;
        if (old == hwnd)
            return old;
        if (Window* previous = WindowLocked(old))
            oldMinimised = previous->style & WS_MINIMIZE;
        else
            old = nullptr;
        input.active = hwnd;
        if (hwnd)
            input.foreground = hwnd;
        else if (input.foreground == old)
            input.foreground = nullptr;
    }

    // Pass 1: the new window comes to the top.
    if (hwnd && raise)
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Pass 2: the old window loses the activation.
    if (old) {
        SendMessageW(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd));
        SendMessageW(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, oldMinimised), reinterpret_cast<LPARAM>(hwnd));
    }
    if (!old && hwnd)
        SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
    if (old && !hwnd)
        SendMessageW(old, WM_ACTIVATEAPP, FALSE, 0);

    // Pass 3: the new one gains it, and with it the focus.
    if (hwnd && GetActiveWindow() == hwnd) {
        SendMessageW(hwnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
        SendMessageW(hwnd, WM_ACTIVATE, MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, newMinimised),
                     reinterpret_cast<LPARAM>(old));
    }
    HWND focus = GetFocus();
    if (GetActiveWindow() == hwnd) {
        if (!hwnd)
            SetFocus(nullptr);
        else if (!newMinimised && (!focus || GetAncestor(focus, GA_ROOT) != hwnd))
            SetFocus(hwnd);
    }
    return old;
}

const WCHAR* const kSystemCursors[] = { IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE,
                                        IDC_SIZENESW, IDC_SIZEWE, IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_HAND,
                                        IDC_APPSTARTING, IDC_HELP };

} // namespace

namespace win32::user {

HWND HitTestScreenPoint(POINT screen, int* hitTest)
{
    *hitTest = HTNOWHERE;
    HWND candidate = nullptr;
    bool disabled = false;
    {
        Guard guard(UserLock());
        Window* window = WindowUnderPointLocked(screen);
        if (!window)
            return nullptr;
        candidate = window->handle;
        disabled = window->style & WS_DISABLED;
    }
    if (disabled) {
        *hitTest = HTERROR;
        return candidate;
    }
    // A window answering HTTRANSPARENT passes the point to its parent.
    while (candidate) {
        LRESULT answer = SendMessageW(candidate, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (answer != HTTRANSPARENT) {
            *hitTest = static_cast<int>(answer);
            return candidate;
        }
        Guard guard(UserLock());
        Window* window = WindowLocked(candidate);
        candidate = window && window->parent && window->parent->parent ? window->parent->handle : nullptr;
    }
    return nullptr;
}

} // namespace win32::user

void win32::InjectMouseMove(int x, int y)
{
    {
        Guard guard(UserLock());
        InputLocked().cursor = { x, y };
    }
    RouteMouse(0, false, true, 0, false);
}

void win32::InjectMouseButton(UINT virtualButton, bool down)
{
    RouteMouse(virtualButton, down, false, 0, false);
}

void win32::InjectMouseWheel(int delta, bool horizontal)
{
    if (delta != 0)
        RouteMouse(0, false, false, delta, horizontal);
}

void win32::InjectClick(int x, int y, UINT virtualButton)
{
    InjectMouseMove(x, y);
    InjectMouseButton(virtualButton, true);
    InjectMouseButton(virtualButton, false);
}

void win32::InjectKey(UINT virtualKey, bool down, wchar_t character)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    BYTE* keys = input.asyncKeyState;
    virtualKey &= 0xff;
    bool wasDown = keys[virtualKey] & 0x80;
    auto set = [&](UINT vk) {
        if (down) {
            if (!(keys[vk] & 0x80))
                keys[vk] ^= 0x01;
            keys[vk] |= 0x80;
        } else {
            keys[vk] &= ~0x80;
        }
    };
    set(virtualKey);
    if (virtualKey == VK_SHIFT || virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) set(VK_SHIFT);
    if (virtualKey == VK_CONTROL || virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) set(VK_CONTROL);
    if (virtualKey == VK_MENU || virtualKey == VK_LMENU || virtualKey == VK_RMENU) set(VK_MENU);

    // Keys go to the focus window; with no focus, to the active window as
    // system keys.
    Window* window = WindowLocked(input.focus);
    bool system = (keys[VK_MENU] & 0x80) && !(keys[VK_CONTROL] & 0x80);
    if (virtualKey == VK_MENU || virtualKey == VK_F10)
        system = true;
    if (!window) {
        window = WindowLocked(input.active);
        system = true;
    }
    if (!window)
        return;
    if (down && !character)
        character = UsCharacter(virtualKey, keys);
    MSG msg {};
    msg.hwnd = window->handle;
    msg.message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    msg.wParam = virtualKey;
    DWORD flags = 1 | (ScanCode(virtualKey) << 16);
    if (IsExtendedKey(virtualKey))
        flags |= 1u << 24;
    if (keys[VK_MENU] & 0x80)
        flags |= 1u << 29;
    if (wasDown || !down)
        flags |= 1u << 30;
    if (!down)
        flags |= 1u << 31;
    msg.lParam = static_cast<LPARAM>(static_cast<LONG>(flags));
    msg.time = TickCount();
    msg.pt = input.cursor;
    QueueInputLocked(window, msg, HTCLIENT, down ? character : 0);
}

HWND WINAPI WindowFromPoint(POINT Point)
{
    int hitTest = HTNOWHERE;
    return HitTestScreenPoint(Point, &hitTest);
}

HWND WINAPI ChildWindowFromPoint(HWND hWndParent, POINT Point)
{
    Guard guard(UserLock());
    Window* parent = WindowLocked(hWndParent);
    if (!parent)
        return nullptr;
    RECT client { 0, 0, parent->clientRect.right - parent->clientRect.left,
                  parent->clientRect.bottom - parent->clientRect.top };
    if (!Contains(client, Point))
        return nullptr;
    for (Window* child : parent->children)
        if (Contains(child->windowRect, Point))
            return child->handle;
    return hWndParent;
}

HWND WINAPI SetFocus(HWND hWnd)
{
    HWND old = nullptr;
    {
        Guard guard(UserLock());
        InputState& input = InputLocked();
        if (hWnd) {
            Window* window = WindowLocked(hWnd);
            if (!window)
                return nullptr;
            if (window->queue != CurrentQueueLocked()) {
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
        }
        old = input.focus;
        if (old == hWnd)
            return old;
    }
    if (hWnd) {
        HWND top = GetAncestor(hWnd, GA_ROOT);
        if (top != GetActiveWindow()) {
            ActivateWindow(top, false);
            if (GetAncestor(hWnd, GA_ROOT) != GetActiveWindow())
                return nullptr;
        }
        if (GetFocus() == hWnd)
            return old;
    }
    {
        Guard guard(UserLock());
        InputState& input = InputLocked();
        old = input.focus;
        input.focus = hWnd;
    }
    // WM_KILLFOCUS names the new focus, WM_SETFOCUS the old one.
    if (old && IsWindow(old))
        SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    if (hWnd && GetFocus() == hWnd)
        SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WINAPI GetFocus(void)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(InputLocked().focus);
    return window && window->queue == CurrentQueueLocked() ? window->handle : nullptr;
}

HWND WINAPI SetActiveWindow(HWND hWnd)
{
    if (hWnd && !IsWindow(hWnd))
        return nullptr;
    return ActivateWindow(hWnd, false);
}

HWND WINAPI GetActiveWindow(void)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(InputLocked().active);
    return window && window->queue == CurrentQueueLocked() ? window->handle : nullptr;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return FALSE;
    ActivateWindow(GetAncestor(hWnd, GA_ROOT), false);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(InputLocked().foreground);
    return window ? window->handle : nullptr;
}

HWND WINAPI SetCapture(HWND hWnd)
{
    HWND old = nullptr;
    {
        Guard guard(UserLock());
        if (hWnd && !WindowLocked(hWnd))
            return nullptr;
        old = InputLocked().capture;
        InputLocked().capture = hWnd;
    }
    if (old && old != hWnd && IsWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    return old;
}

BOOL WINAPI ReleaseCapture(void)
{
    HWND old = nullptr;
    {
        Guard guard(UserLock());
        old = InputLocked().capture;
        InputLocked().capture = nullptr;
    }
    if (old && IsWindow(old))
        SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WINAPI GetCapture(void)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(InputLocked().capture);
    return window && window->queue == CurrentQueueLocked() ? window->handle : nullptr;
}

BOOL WINAPI TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack)
{
    if (!lpEventTrack || lpEventTrack->cbSize != sizeof(TRACKMOUSEEVENT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (lpEventTrack->dwFlags & TME_QUERY) {
        lpEventTrack->hwndTrack = input.trackWindow;
        lpEventTrack->dwFlags = input.trackWindow ? input.trackFlags : 0;
        lpEventTrack->dwHoverTime = input.hoverTime;
        return TRUE;
    }
    Window* window = WindowLocked(lpEventTrack->hwndTrack);
    if (!window)
        return FALSE;
    DWORD flags = lpEventTrack->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
    if (lpEventTrack->dwFlags & TME_CANCEL) {
        if (input.trackWindow == window->handle) {
            input.trackFlags &= ~flags;
            if (!(input.trackFlags & (TME_HOVER | TME_LEAVE)))
                input.trackWindow = nullptr;
            if (flags & TME_HOVER)
                input.hoverPending = false;
        }
        return TRUE;
    }
    if (input.trackWindow && input.trackWindow != window->handle)
        PostLeaveLocked(input);
    input.trackWindow = window->handle;
    input.trackFlags = (input.trackFlags & ~TME_NONCLIENT) | flags;
    // A window the pointer is not over gets its leave at once.
    bool over = input.lastMouseWindow == window->handle &&
                ((input.lastMouseHitTest == HTCLIENT) != static_cast<bool>(flags & TME_NONCLIENT));
    if (!over) {
        PostLeaveLocked(input);
        return TRUE;
    }
    if (flags & TME_HOVER) {
        input.hoverTime = lpEventTrack->dwHoverTime == HOVER_DEFAULT ? 400 : lpEventTrack->dwHoverTime;
        input.hoverPending = true;
        input.hoverOrigin = input.cursor;
        input.hoverDue = Clock::now() + std::chrono::milliseconds(input.hoverTime);
        WakeLocked(*window->queue);
    }
    return TRUE;
}

SHORT WINAPI GetKeyState(int nVirtKey)
{
    Guard guard(UserLock());
    BYTE state = CurrentQueueLocked()->keyState[nVirtKey & 0xff];
    return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey)
{
    Guard guard(UserLock());
    BYTE state = InputLocked().asyncKeyState[vKey & 0xff];
    return static_cast<SHORT>((state & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI GetKeyboardState(PBYTE lpKeyState)
{
    if (!lpKeyState)
        return FALSE;
    Guard guard(UserLock());
    std::copy_n(CurrentQueueLocked()->keyState, 256, lpKeyState);
    return TRUE;
}

UINT WINAPI MapVirtualKeyW(UINT uCode, UINT uMapType)
{
    switch (uMapType) {
    case 0: return ScanCode(uCode); // MAPVK_VK_TO_VSC
    case 2: {                       // MAPVK_VK_TO_CHAR
        BYTE none[256] {};
        wchar_t c = UsCharacter(uCode, none);
        return static_cast<UINT>(std::towupper(c));
    }
    default: return 0;
    }
}

BOOL WINAPI GetCursorPos(LPPOINT lpPoint)
{
    if (!lpPoint)
        return FALSE;
    Guard guard(UserLock());
    *lpPoint = InputLocked().cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int X, int Y)
{
    // Moving the pointer is input like any other: the windows under it hear.
    win32::InjectMouseMove(X, Y);
    return TRUE;
}

HCURSOR WINAPI LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName)
{
    // The system cursors are shared handles; modules have no cursor resources here.
    if (hInstance == nullptr && IS_INTRESOURCE(lpCursorName)) {
        for (LPCWSTR known : kSystemCursors)
            if (known == lpCursorName)
                return reinterpret_cast<HCURSOR>(0x10000 + reinterpret_cast<ULONG_PTR>(lpCursorName));
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    if (hInstance == nullptr && IS_INTRESOURCE(lpIconName))
        return reinterpret_cast<HICON>(0x20000 + reinterpret_cast<ULONG_PTR>(lpIconName));
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor)
{
    Guard guard(UserLock());
    HCURSOR old = InputLocked().currentCursor;
    InputLocked().currentCursor = hCursor;
    return old;
}

HCURSOR WINAPI GetCursor(void)
{
    Guard guard(UserLock());
    return InputLocked().currentCursor;
}

int WINAPI ShowCursor(BOOL bShow)
{
    Guard guard(UserLock());
    return InputLocked().cursorShowCount += bShow ? 1 : -1;
}

BOOL WINAPI CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight)
{
    Guard guard(UserLock());
    if (!WindowLocked(hWnd))
        return FALSE;
    InputState& input = InputLocked();
    input.caretWindow = hWnd;
    input.caretWidth = hBitmap ? nWidth : (nWidth ? nWidth : 1);
    input.caretHeight = hBitmap ? nHeight : (nHeight ? nHeight : 1);
    input.caretPos = {};
    input.caretHideCount = 1;
    return TRUE;
}

BOOL WINAPI DestroyCaret(void)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (!input.caretWindow)
        return FALSE;
    input.caretWindow = nullptr;
    input.caretHideCount = 1;
    return TRUE;
}

BOOL WINAPI ShowCaret(HWND hWnd)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (!input.caretWindow || (hWnd && hWnd != input.caretWindow))
        return FALSE;
    if (input.caretHideCount > 0)
        --input.caretHideCount;
    return TRUE;
}

BOOL WINAPI HideCaret(HWND hWnd)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (!input.caretWindow || (hWnd && hWnd != input.caretWindow))
        return FALSE;
    ++input.caretHideCount;
    return TRUE;
}

BOOL WINAPI SetCaretPos(int X, int Y)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (!input.caretWindow)
        return FALSE;
    input.caretPos = { X, Y };
    return TRUE;
}

BOOL WINAPI GetCaretPos(LPPOINT lpPoint)
{
    Guard guard(UserLock());
    InputState& input = InputLocked();
    if (!input.caretWindow || !lpPoint)
        return FALSE;
    *lpPoint = input.caretPos;
    return TRUE;
}

UINT WINAPI GetCaretBlinkTime(void)
{
    Guard guard(UserLock());
    return InputLocked().caretBlinkTime;
}

BOOL WINAPI SetCaretBlinkTime(UINT uMSeconds)
{
    Guard guard(UserLock());
    InputLocked().caretBlinkTime = uMSeconds;
    return TRUE;
}
