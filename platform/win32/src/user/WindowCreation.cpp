// Window creation and destruction, with the message sequences of the system.
#include "user/UserState.h"

#include <unistd.h>

namespace win32::user {

namespace {

// Where overlapped windows with CW_USEDEFAULT go: a cascade from (26, 26).
POINT NextDefaultPosition()
{
    static int step = 0;
    int offset = 26 * (1 + step++ % 10);
    return { offset, offset };
}

bool NeedsMinMaxInfo(DWORD style)
{
    return (style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD));
}

void LinkWindowLocked(Window* window, Window* parent)
{
    window->parent = parent;
    // Children are placed below their siblings, so that z-order is creation
    // order (as dialog tab order relies on); top-level windows come on top.
    if (IsTopLevel(window))
        parent->children.insert(parent->children.begin(), window);
    else
        parent->children.push_back(window);
}

void UnlinkWindowLocked(Window* window)
{
    if (window->parent)
        std::erase(window->parent->children, window);
}

// Frees a window after WM_NCDESTROY: it leaves the table and every slot of
// the input state that named it.
void FreeWindowLocked(Window* window)
{
    InputState& input = InputLocked();
    for (HWND* slot : { &input.focus, &input.active, &input.foreground, &input.capture, &input.trackWindow,
                        &input.caretWindow, &input.lastMouseWindow, &input.lastClickWindow })
        if (*slot == window->handle)
            *slot = nullptr;
    std::erase_if(window->queue->timers, [&](const Timer& timer) { return timer.hwnd == window->handle; });
    std::erase_if(window->queue->posted, [&](const MSG& msg) { return msg.hwnd == window->handle; });
    std::erase_if(window->queue->input, [&](const QueuedInput& in) { return in.msg.hwnd == window->handle; });
    UnlinkWindowLocked(window);
    for (HWND other : AllWindowsLocked()) {
        Window* owned = WindowLocked(other);
        if (owned && owned->owner == window)
            owned->owner = nullptr;
    }
    window->windowClass->windowCount--;
    window->destroyed = true;
    RemoveWindowLocked(window->handle);
}

void SendDestroyMessages(HWND hwnd)
{
    // WM_DESTROY reaches a window before its children.
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        if (!window)
            return;
        for (Window* child : window->children)
            children.push_back(child->handle);
    }
    for (HWND child : children)
        SendDestroyMessages(child);
}

void SendNcDestroyAndFree(HWND hwnd)
{
    // WM_NCDESTROY reaches the children before their parent.
    std::vector<HWND> children;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        if (!window)
            return;
        for (Window* child : window->children)
            children.push_back(child->handle);
    }
    for (HWND child : children)
        SendNcDestroyAndFree(child);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    Guard guard(UserLock());
    if (Window* window = WindowLocked(hwnd))
        FreeWindowLocked(window);
}

} // namespace

} // namespace win32::user

using namespace win32::user;

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X,
                            int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                            LPVOID lpParam)
{
    HWND hwnd = nullptr;
    CREATESTRUCTW cs {};
    {
        Guard guard(UserLock());
        auto windowClass = FindClassLocked(lpClassName, hInstance);
        if (!windowClass) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        Window* parent = DesktopLocked();
        Window* owner = nullptr;
        if (hWndParent && hWndParent != HWND_MESSAGE) {
            Window* given = WindowLocked(hWndParent);
            if (!given)
                return nullptr;
            if (dwStyle & WS_CHILD)
                parent = given;
            else
                owner = TopLevelLocked(given);
        } else if (dwStyle & WS_CHILD) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }

        auto window = std::make_shared<Window>();
        window->threadId = static_cast<DWORD>(gettid());
        window->queue = CurrentQueueLocked();
        window->windowClass = windowClass;
        window->proc = windowClass->proc;
        window->style = dwStyle & ~WS_VISIBLE;
        // Overlapped windows always have a caption, as on Windows.
        if (!(dwStyle & (WS_CHILD | WS_POPUP)))
            window->style |= WS_CAPTION | WS_CLIPSIBLINGS;
        window->exStyle = dwExStyle;
        if ((window->style & WS_THICKFRAME) || (dwExStyle & WS_EX_DLGMODALFRAME) ||
            ((window->style & WS_CAPTION) == WS_CAPTION && !(dwStyle & WS_CHILD)))
            window->exStyle |= WS_EX_WINDOWEDGE;
        window->instance = hInstance;
        window->owner = owner;
        if (dwStyle & WS_CHILD)
            window->id = reinterpret_cast<LONG_PTR>(hMenu);
        else
            window->menu = hMenu;
        window->text = lpWindowName && !IS_INTRESOURCE(lpWindowName) ? lpWindowName : L"";
        window->extra.assign(static_cast<size_t>(windowClass->wndExtra), 0);
        window->iconBig = nullptr;

        // Default placement for overlapped windows.
        if (!(dwStyle & (WS_CHILD | WS_POPUP))) {
            if (X == CW_USEDEFAULT) {
                POINT position = NextDefaultPosition();
                X = position.x;
                Y = position.y;
            }
            if (nWidth == CW_USEDEFAULT) {
                const RECT& work = InputLocked().monitors.front().work;
                nWidth = (work.right - work.left) * 3 / 4 - X;
                nHeight = (work.bottom - work.top) * 3 / 4 - Y;
            }
        } else {
            if (X == CW_USEDEFAULT)
                X = Y = 0;
            if (nWidth == CW_USEDEFAULT)
                nWidth = nHeight = 0;
        }
        nWidth = std::max(0, nWidth);
        nHeight = std::max(0, nHeight);
        window->windowRect = { X, Y, X + nWidth, Y + nHeight };
        window->clientRect = window->windowRect;

        windowClass->windowCount++;
        hwnd = InsertWindowLocked(window);
        LinkWindowLocked(window.get(), parent);
        if (IsTopLevel(window.get()))
            ResizeSurfaceLocked(window.get());

        cs.lpCreateParams = lpParam;
        cs.hInstance = hInstance;
        cs.hMenu = hMenu;
        cs.hwndParent = (dwStyle & WS_CHILD) ? hWndParent : (owner ? owner->handle : nullptr);
        cs.x = X;
        cs.y = Y;
        cs.cx = nWidth;
        cs.cy = nHeight;
        cs.style = static_cast<LONG>(dwStyle);
        cs.lpszName = lpWindowName;
        cs.lpszClass = lpClassName;
        cs.dwExStyle = dwExStyle;
    }

    auto fail = [&] {
        SendNcDestroyAndFree(hwnd);
        return static_cast<HWND>(nullptr);
    };

    // Pass 1: the size limits, for overlapped and sizeable windows.
    if (NeedsMinMaxInfo(dwStyle)) {
        MINMAXINFO info {};
        info.ptMaxSize = { GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED) };
        info.ptMaxPosition = { -GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXPADDEDBORDER),
                               -GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CXPADDEDBORDER) };
        info.ptMinTrackSize = { GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK) };
        info.ptMaxTrackSize = { GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK) };
        SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        if ((dwStyle & WS_THICKFRAME) || !(dwStyle & (WS_POPUP | WS_CHILD))) {
            Guard guard(UserLock());
            if (Window* window = WindowLocked(hwnd)) {
                RECT& rect = window->windowRect;
                LONG width = std::clamp<LONG>(rect.right - rect.left, info.ptMinTrackSize.x,
                                              std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
                LONG height = std::clamp<LONG>(rect.bottom - rect.top, info.ptMinTrackSize.y,
                                               std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
                rect.right = rect.left + width;
                rect.bottom = rect.top + height;
                window->clientRect = rect;
                cs.cx = width;
                cs.cy = height;
                ResizeSurfaceLocked(window);
            }
        }
    }

    // Pass 2: WM_NCCREATE may refuse the window.
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)))
        return fail();

    // Pass 3: the client area.
    RECT client {};
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        if (!window)
            return nullptr;
        client = window->windowRect;
    }
    NCCALCSIZE_PARAMS params {};
    params.rgrc[0] = client;
    SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&params.rgrc[0]));
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        if (!window)
            return nullptr;
        RECT result = params.rgrc[0];
        result.right = std::max(result.left, result.right);
        result.bottom = std::max(result.top, result.bottom);
        window->clientRect = result;
    }

    // Pass 4: WM_CREATE answering -1 destroys the window again.
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1)
        return fail();
    if (!IsWindow(hwnd))
        return nullptr;

    // Pass 5: the first size and place.
    RECT clientRect {};
    GetClientRect(hwnd, &clientRect);
    POINT origin {};
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hwnd);
        origin = { window->clientRect.left, window->clientRect.top };
    }
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientRect.right, clientRect.bottom));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));

    // Pass 6: the parent hears of its new child.
    if ((dwStyle & WS_CHILD) && !(dwExStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageW(hWndParent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, reinterpret_cast<UINT_PTR>(hMenu)),
                     reinterpret_cast<LPARAM>(hwnd));
    if (!IsWindow(hwnd))
        return nullptr;

    if (dwStyle & WS_MAXIMIZE)
        ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    else if (dwStyle & WS_MINIMIZE)
        ShowWindow(hwnd, SW_SHOWMINIMIZED);
    else if (dwStyle & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    HWND parent = nullptr;
    bool notifyParent = false;
    LONG_PTR id = 0;
    bool visible = false;
    std::vector<HWND> owned;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window || window == DesktopLocked()) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (window->queue != CurrentQueueLocked()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (window->destroying)
            return TRUE;
        window->destroying = true;
        if (!IsTopLevel(window)) {
            parent = window->parent->handle;
            notifyParent = !(window->exStyle & WS_EX_NOPARENTNOTIFY);
            id = window->id;
        }
        visible = window->style & WS_VISIBLE;
        for (HWND other : AllWindowsLocked()) {
            Window* candidate = WindowLocked(other);
            if (candidate && candidate->owner == window)
                owned.push_back(other);
        }
    }

    // Pass 1: the parent hears of it first.
    if (notifyParent)
        SendMessageW(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<UINT_PTR>(id)),
                     reinterpret_cast<LPARAM>(hWnd));

    // Pass 2: hide it; focus, activation and capture leave it.
    if (visible)
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND focus = GetFocus();
    if (focus && (focus == hWnd || IsChild(hWnd, focus)))
        SetFocus(parent);
    HWND capture = GetCapture();
    if (capture && (capture == hWnd || IsChild(hWnd, capture)))
        ReleaseCapture();
    if (GetActiveWindow() == hWnd) {
        HWND next = nullptr;
        {
            Guard guard(UserLock());
            Window* window = WindowLocked(hWnd);
            if (window && window->owner && IsVisibleLocked(window->owner))
                next = window->owner->handle;
            if (!next) {
                for (Window* top : DesktopLocked()->children)
                    if (top != window && (top->style & WS_VISIBLE) && !top->destroying &&
                        top->queue == CurrentQueueLocked() && !(top->style & WS_DISABLED)) {
                        next = top->handle;
                        break;
                    }
            }
        }
        SetActiveWindow(next);
    }

    // Pass 3: owned windows go first.
    for (HWND other : owned)
        if (IsWindow(other))
            DestroyWindow(other);

    // Pass 4: the destroy messages.
    SendDestroyMessages(hWnd);
    SendNcDestroyAndFree(hWnd);
    return TRUE;
}
