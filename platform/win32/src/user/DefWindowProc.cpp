// The default window procedure: what a window does with the messages its
// own procedure leaves alone.
#include "user/UserState.h"

using namespace win32::user;

namespace {

struct FrameFacts {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT window {};  // screen coordinates
    RECT client {};  // screen coordinates
    HCURSOR classCursor = nullptr;
    HWND parent = nullptr;
    bool child = false;
    std::wstring text;
};

bool ReadFrame(HWND hwnd, FrameFacts& facts)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hwnd);
    if (!window)
        return false;
    facts.style = window->style;
    facts.exStyle = window->exStyle;
    POINT w = WindowOriginOnScreenLocked(window);
    POINT c = ClientOriginOnScreenLocked(window);
    facts.window = { w.x, w.y, w.x + window->windowRect.right - window->windowRect.left,
                     w.y + window->windowRect.bottom - window->windowRect.top };
    facts.client = { c.x, c.y, c.x + window->clientRect.right - window->clientRect.left,
                      c.y + window->clientRect.bottom - window->clientRect.top };
    facts.classCursor = window->windowClass->cursor;
    facts.child = window->style & WS_CHILD;
    facts.parent = facts.child && window->parent ? window->parent->handle : nullptr;
    facts.text = window->text;
    return true;
}

bool Contains(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

LRESULT HitTest(const FrameFacts& f, POINT p)
{
    if (!Contains(f.window, p))
        return HTNOWHERE;
    if (Contains(f.client, p))
        return HTCLIENT;
    RECT insets = NonClientInsets(f.style, f.exStyle, false);
    // Sizing borders of a thick frame.
    if (f.style & WS_THICKFRAME) {
        int border = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
        int corner = GetSystemMetrics(SM_CYCAPTION) + border;
        bool left = p.x < f.window.left + border, right = p.x >= f.window.right - border;
        bool top = p.y < f.window.top + border, bottom = p.y >= f.window.bottom - border;
        bool nearLeft = p.x < f.window.left + corner, nearRight = p.x >= f.window.right - corner;
        bool nearTop = p.y < f.window.top + corner, nearBottom = p.y >= f.window.bottom - corner;
        if (top)
            return nearLeft ? HTTOPLEFT : nearRight ? HTTOPRIGHT : HTTOP;
        if (bottom)
            return nearLeft ? HTBOTTOMLEFT : nearRight ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left)
            return nearTop ? HTTOPLEFT : nearBottom ? HTBOTTOMLEFT : HTLEFT;
        if (right)
            return nearTop ? HTTOPRIGHT : nearBottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    // The caption, with its buttons on the right.
    if ((f.style & WS_CAPTION) == WS_CAPTION && p.y < f.window.top + insets.top &&
        p.x >= f.window.left + insets.left && p.x < f.window.right - insets.right) {
        int button = GetSystemMetrics(SM_CXSIZE);
        int fromRight = f.window.right - insets.right - p.x;
        if (f.style & WS_SYSMENU) {
            if (fromRight < button)
                return HTCLOSE;
            if (f.style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
                if (fromRight < 2 * button)
                    return HTMAXBUTTON;
                if (fromRight < 3 * button)
                    return HTMINBUTTON;
            }
            if (p.x < f.window.left + insets.left + GetSystemMetrics(SM_CXSMICON) + 8)
                return HTSYSMENU;
        }
        return HTCAPTION;
    }
    return HTBORDER;
}

LPCWSTR CursorForHitTest(int hitTest)
{
    switch (hitTest) {
    case HTLEFT: case HTRIGHT: return IDC_SIZEWE;
    case HTTOP: case HTBOTTOM: return IDC_SIZENS;
    case HTTOPLEFT: case HTBOTTOMRIGHT: return IDC_SIZENWSE;
    case HTTOPRIGHT: case HTBOTTOMLEFT: return IDC_SIZENESW;
    default: return IDC_ARROW;
    }
}

} // namespace

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    switch (Msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
            Guard guard(UserLock());
            if (Window* window = WindowLocked(hWnd))
                window->text = cs->lpszName;
        }
        return TRUE;
    }

    case WM_NCCALCSIZE: {
        FrameFacts f;
        if (!ReadFrame(hWnd, f) || !lParam)
            return 0;
        // wParam FALSE passes a RECT, TRUE an NCCALCSIZE_PARAMS: both start
        // with the proposed window rectangle, which becomes the client one.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!(f.style & WS_MINIMIZE)) {
            RECT insets = NonClientInsets(f.style, f.exStyle, !f.child && GetMenu(hWnd));
            rect->left += insets.left;
            rect->top += insets.top;
            rect->right -= insets.right;
            rect->bottom -= insets.bottom;
        } else {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return 0;
    }

    case WM_NCHITTEST: {
        FrameFacts f;
        if (!ReadFrame(hWnd, f))
            return HTNOWHERE;
        return HitTest(f, POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
    }

    case WM_SETCURSOR: {
        // A parent may take over its children's cursor first.
        FrameFacts f;
        if (!ReadFrame(hWnd, f))
            return FALSE;
        if (f.parent && SendMessageW(f.parent, WM_SETCURSOR, wParam, lParam))
            return TRUE;
        int hitTest = static_cast<short>(LOWORD(lParam));
        if (hitTest == HTERROR) {
            UINT mouse = HIWORD(lParam);
            if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN)
                return FALSE;
        }
        if (hitTest == HTCLIENT) {
            if (f.classCursor)
                SetCursor(f.classCursor);
            return FALSE;
        }
        SetCursor(LoadCursorW(nullptr, CursorForHitTest(hitTest)));
        return FALSE;
    }

    case WM_MOUSEACTIVATE: {
        FrameFacts f;
        if (ReadFrame(hWnd, f) && f.parent) {
            LRESULT answer = SendMessageW(f.parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (answer)
                return answer;
        }
        return (static_cast<short>(LOWORD(lParam)) == HTCAPTION) ? MA_ACTIVATE : MA_ACTIVATE;
    }

    case WM_ACTIVATE:
        // An activated window that is not minimised takes the focus.
        if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(hWnd))
            SetFocus(hWnd);
        return 0;

    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!pos)
            return 0;
        if (!(pos->flags & SWP_NOCLIENTMOVE)) {
            POINT origin {};
            {
                Guard guard(UserLock());
                if (Window* window = WindowLocked(hWnd))
                    origin = { window->clientRect.left, window->clientRect.top };
            }
            SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
        if (!(pos->flags & SWP_NOCLIENTSIZE) || (pos->flags & SWP_STATECHANGED)) {
            RECT client {};
            GetClientRect(hWnd, &client);
            WPARAM kind = IsIconic(hWnd) ? SIZE_MINIMIZED : IsZoomed(hWnd) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            SendMessageW(hWnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
        }
        return 0;
    }

    case WM_GETTEXTLENGTH: {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        return window ? static_cast<LRESULT>(window->text.size()) : 0;
    }

    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<WCHAR*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window) {
            buffer[0] = 0;
            return 0;
        }
        size_t count = std::min(window->text.size(), static_cast<size_t>(wParam - 1));
        std::copy_n(window->text.c_str(), count, buffer);
        buffer[count] = 0;
        return static_cast<LRESULT>(count);
    }

    case WM_SETTEXT: {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        auto* text = reinterpret_cast<const WCHAR*>(lParam);
        window->text = text ? text : L"";
        return TRUE;
    }

    case WM_SETICON: {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return 0;
        HICON& slot = wParam == ICON_SMALL ? window->iconSmall : window->iconBig;
        HICON old = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }

    case WM_GETICON: {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return 0;
        return reinterpret_cast<LRESULT>(wParam == ICON_SMALL ? window->iconSmall : window->iconBig);
    }

    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;

    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageW(hWnd, WM_CLOSE, 0, 0); return 0;
        case SC_MINIMIZE: ShowWindow(hWnd, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(hWnd, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(hWnd, SW_RESTORE); return 0;
        default: return 0;
        }

    case WM_NCLBUTTONDOWN:
        // Without a move or size loop, the caption buttons act on the press.
        switch (wParam) {
        case HTCLOSE: SendMessageW(hWnd, WM_SYSCOMMAND, SC_CLOSE, lParam); break;
        case HTMINBUTTON: SendMessageW(hWnd, WM_SYSCOMMAND, SC_MINIMIZE, lParam); break;
        case HTMAXBUTTON:
            SendMessageW(hWnd, WM_SYSCOMMAND, IsZoomed(hWnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
            break;
        default: break;
        }
        return 0;

    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION) {
            FrameFacts f;
            if (ReadFrame(hWnd, f) && (f.style & WS_MAXIMIZEBOX))
                SendMessageW(hWnd, WM_SYSCOMMAND, IsZoomed(hWnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        }
        return 0;

    case WM_RBUTTONUP: {
        POINT point { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        ClientToScreen(hWnd, &point);
        SendMessageW(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(point.x, point.y));
        return 0;
    }

    case WM_NCRBUTTONUP:
        SendMessageW(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), lParam);
        return 0;

    case WM_CONTEXTMENU: {
        FrameFacts f;
        if (ReadFrame(hWnd, f) && f.parent)
            SendMessageW(f.parent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    }

    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // Wheel messages climb to the parent until someone handles them.
        FrameFacts f;
        if (ReadFrame(hWnd, f) && f.parent)
            return SendMessageW(f.parent, Msg, wParam, lParam);
        return 0;
    }

    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }

    case WM_ERASEBKGND:
        // Filling with the class brush belongs to the drawing side; without
        // it, the erase is reported as not done.
        return 0;

    case WM_NCACTIVATE:
        return TRUE;

    case WM_QUERYENDSESSION:
        return TRUE;

    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (HIWORD(lParam) & KF_ALTDOWN))
            PostMessageW(GetAncestor(hWnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;

    default:
        return 0;
    }
}
