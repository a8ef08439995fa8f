// The painting protocol: invalid areas, WM_PAINT on demand, BeginPaint and
// EndPaint, and the window DCs over the top-level surface.
#include "user/UserState.h"

#include "gdi/SurfaceDC.h"
#include "layer/WindowSurface.h"

#include <functional>

namespace win32::user {

namespace {

RECT ClientBounds(const Window* window)
{
    return { 0, 0, window->clientRect.right - window->clientRect.left,
             window->clientRect.bottom - window->clientRect.top };
}

bool Intersect(RECT& into, const RECT& other)
{
    into.left = std::max(into.left, other.left);
    into.top = std::max(into.top, other.top);
    into.right = std::min(into.right, other.right);
    into.bottom = std::min(into.bottom, other.bottom);
    if (into.left >= into.right || into.top >= into.bottom) {
        into = {};
        return false;
    }
    return true;
}

void Unite(RECT& into, const RECT& other)
{
    into.left = std::min(into.left, other.left);
    into.top = std::min(into.top, other.top);
    into.right = std::max(into.right, other.right);
    into.bottom = std::max(into.bottom, other.bottom);
}

void ValidateLocked(Window* window, const RECT* rect, bool children)
{
    if (!rect) {
        window->hasUpdate = false;
        window->update = {};
        window->erasePending = false;
    } else if (window->hasUpdate) {
        // The invalid area is kept as one rectangle: validating a part of it
        // only shrinks it when the part covers a whole side.
        RECT& u = window->update;
        if (rect->left <= u.left && rect->right >= u.right) {
            if (rect->top <= u.top && rect->bottom > u.top)
                u.top = rect->bottom;
            if (rect->bottom >= u.bottom && rect->top < u.bottom)
                u.bottom = rect->top;
        }
        if (rect->top <= u.top && rect->bottom >= u.bottom) {
            if (rect->left <= u.left && rect->right > u.left)
                u.left = rect->right;
            if (rect->right >= u.right && rect->left < u.right)
                u.right = rect->left;
        }
        if (u.left >= u.right || u.top >= u.bottom) {
            window->hasUpdate = false;
            window->update = {};
            window->erasePending = false;
        }
    }
    if (children)
        for (Window* child : window->children)
            ValidateLocked(child, nullptr, true);
}

// The part of a window's client area that shows, in its client
// coordinates: its ancestors' client areas and the surface cut it.
RECT VisibleClientLocked(const Window* window)
{
    RECT visible = ClientBounds(window);
    POINT origin = ClientOriginOnScreenLocked(window);
    for (const Window* up = window->parent; up && up->parent; up = up->parent) {
        POINT upOrigin = ClientOriginOnScreenLocked(up);
        RECT upClient = ClientBounds(up);
        upClient.left += upOrigin.x - origin.x;
        upClient.right += upOrigin.x - origin.x;
        upClient.top += upOrigin.y - origin.y;
        upClient.bottom += upOrigin.y - origin.y;
        Intersect(visible, upClient);
    }
    return visible;
}

struct WindowDC {
    HDC hdc;
    HWND hwnd;
};

std::vector<WindowDC>& WindowDCs()
{
    static auto* dcs = new std::vector<WindowDC>;
    return *dcs;
}

// A DC whose origin is the client (or window) origin of `window`, drawing
// into the top-level surface.
HDC CreateWindowDCLocked(Window* window, bool wholeWindow, const RECT* clip)
{
    Window* top = TopLevelLocked(window);
    if (top->pixels.empty())
        return nullptr;
    POINT topOrigin = WindowOriginOnScreenLocked(top);
    POINT origin = wholeWindow ? WindowOriginOnScreenLocked(window) : ClientOriginOnScreenLocked(window);
    int x = std::clamp<int>(origin.x - topOrigin.x, 0, top->surfaceWidth);
    int y = std::clamp<int>(origin.y - topOrigin.y, 0, top->surfaceHeight);
    int width = top->surfaceWidth - x;
    int height = top->surfaceHeight - y;
    if (width <= 0 || height <= 0)
        return nullptr;
    uint32_t* pixels = top->pixels.data() + static_cast<size_t>(y) * top->surfaceWidth + x;
    HDC hdc = win32::CreateSurfaceDC(pixels, width, height, top->surfaceWidth * 4);
    if (!hdc)
        return nullptr;
    RECT limit = wholeWindow ? RECT { 0, 0, window->windowRect.right - window->windowRect.left,
                                      window->windowRect.bottom - window->windowRect.top }
                             : VisibleClientLocked(window);
    if (clip)
        Intersect(limit, *clip);
    win32::SetSurfaceDCClip(hdc, &limit);
    WindowDCs().push_back({ hdc, window->handle });
    return hdc;
}

bool ReleaseWindowDCLocked(HDC hdc)
{
    auto& dcs = WindowDCs();
    auto it = std::find_if(dcs.begin(), dcs.end(), [&](const WindowDC& dc) { return dc.hdc == hdc; });
    if (it == dcs.end())
        return false;
    dcs.erase(it);
    win32::DestroySurfaceDC(hdc);
    return true;
}

} // namespace

void InvalidateLocked(Window* window, const RECT* rect, bool erase, bool children)
{
    RECT area = ClientBounds(window);
    if (rect && !Intersect(area, *rect))
        return;
    if (area.left >= area.right || area.top >= area.bottom)
        return;
    if (window->hasUpdate)
        Unite(window->update, area);
    else
        window->update = area;
    window->hasUpdate = true;
    window->erasePending |= erase;
    if (window->queue)
        WakeLocked(*window->queue);
    if (!children)
        return;
    for (Window* child : window->children) {
        if (!(child->style & WS_VISIBLE))
            continue;
        RECT childArea = area;
        LONG dx = child->clientRect.left, dy = child->clientRect.top;
        childArea.left -= dx;
        childArea.right -= dx;
        childArea.top -= dy;
        childArea.bottom -= dy;
        InvalidateLocked(child, &childArea, erase, true);
    }
}

bool FindPaintWindowLocked(MessageQueue& queue, HWND filter, HWND* found)
{
    // Parents paint before their children, windows on top before those below.
    std::function<bool(Window*)> visit = [&](Window* window) {
        if (!(window->style & WS_VISIBLE))
            return false;
        bool matches = !filter || window->handle == filter;
        if (!matches && filter && filter != reinterpret_cast<HWND>(-1)) {
            for (Window* up = window->parent; up; up = up->parent)
                matches |= up->handle == filter;
        }
        if (window->queue.get() == &queue && matches && (window->hasUpdate || window->internalPaint)) {
            *found = window->handle;
            return true;
        }
        for (Window* child : window->children)
            if (visit(child))
                return true;
        return false;
    };
    if (filter == reinterpret_cast<HWND>(-1))
        return false;
    for (Window* top : DesktopLocked()->children)
        if (visit(top))
            return true;
    return false;
}

} // namespace win32::user

using namespace win32::user;

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN, UINT flags)
{
    std::vector<HWND> toUpdate;
    {
        Guard guard(UserLock());
        Window* window = hWnd ? WindowLocked(hWnd) : DesktopLocked();
        if (!window)
            return FALSE;
        bool children = (flags & RDW_ALLCHILDREN) ||
                        (!(flags & RDW_NOCHILDREN) && !(window->style & WS_CLIPCHILDREN));
        if (flags & RDW_INVALIDATE)
            InvalidateLocked(window, lprcUpdate, flags & RDW_ERASE, children);
        if (flags & RDW_INTERNALPAINT)
            window->internalPaint = true;
        if (flags & RDW_VALIDATE)
            ValidateLocked(window, lprcUpdate, children);
        if (flags & RDW_NOINTERNALPAINT)
            window->internalPaint = false;
        if (flags & RDW_NOERASE)
            window->erasePending = false;
        if (flags & RDW_UPDATENOW) {
            std::function<void(Window*)> collect = [&](Window* w) {
                if (!(w->style & WS_VISIBLE))
                    return;
                if (w->hasUpdate || w->internalPaint)
                    toUpdate.push_back(w->handle);
                if (flags & RDW_ALLCHILDREN || !(flags & RDW_NOCHILDREN))
                    for (Window* child : w->children)
                        collect(child);
            };
            collect(window);
        }
    }
    // RDW_UPDATENOW paints at once, parents first, through sends.
    for (HWND hwnd : toUpdate) {
        bool needed = false;
        {
            Guard guard(UserLock());
            Window* window = WindowLocked(hwnd);
            needed = window && (window->hasUpdate || window->internalPaint);
            if (window)
                window->internalPaint = false;
        }
        if (needed)
            SendMessageW(hwnd, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase)
{
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_INVALIDATE | (bErase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect)
{
    return RedrawWindow(hWnd, lpRect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return FALSE;
    return RedrawWindow(hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase)
{
    bool erase = false;
    bool has = false;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return FALSE;
        has = window->hasUpdate;
        if (lpRect)
            *lpRect = has ? window->update : RECT {};
        erase = has && bErase && window->erasePending;
    }
    if (erase) {
        HDC hdc = GetDC(hWnd);
        if (SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0)) {
            Guard guard(UserLock());
            if (Window* window = WindowLocked(hWnd))
                window->erasePending = false;
        }
        ReleaseDC(hWnd, hdc);
    }
    return has;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    if (!lpPaint)
        return nullptr;
    *lpPaint = PAINTSTRUCT {};
    bool erase = false;
    HDC hdc = nullptr;
    {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return nullptr;
        // The whole update is taken over by this paint: the window is valid
        // from here on, and a new invalidation during painting makes a new
        // WM_PAINT.
        lpPaint->rcPaint = window->hasUpdate ? window->update : RECT {};
        erase = window->erasePending;
        window->hasUpdate = false;
        window->update = {};
        window->erasePending = false;
        window->internalPaint = false;
        window->inPaint = true;
        hdc = CreateWindowDCLocked(window, false, &lpPaint->rcPaint);
    }
    lpPaint->hdc = hdc;
    lpPaint->fErase = FALSE;
    if (erase)
        lpPaint->fErase = !SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint)
{
    Guard guard(UserLock());
    if (Window* window = WindowLocked(hWnd))
        window->inPaint = false;
    if (lpPaint && lpPaint->hdc)
        ReleaseWindowDCLocked(lpPaint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = hWnd ? WindowLocked(hWnd) : nullptr;
    if (!window)
        return nullptr;
    return CreateWindowDCLocked(window, false, nullptr);
}

HDC WINAPI GetWindowDC(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = hWnd ? WindowLocked(hWnd) : nullptr;
    if (!window)
        return nullptr;
    return CreateWindowDCLocked(window, true, nullptr);
}

int WINAPI ReleaseDC(HWND, HDC hDC)
{
    Guard guard(UserLock());
    return hDC && ReleaseWindowDCLocked(hDC) ? 1 : 0;
}

HWND WINAPI WindowFromDC(HDC hDC)
{
    Guard guard(UserLock());
    for (const auto& dc : WindowDCs())
        if (dc.hdc == hDC)
            return dc.hwnd;
    return nullptr;
}

bool win32::ReadWindowSurface(HWND topLevel, std::vector<uint32_t>& pixels, int* width, int* height)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(topLevel);
    if (!window || !IsTopLevel(window))
        return false;
    pixels = window->pixels;
    if (width)
        *width = window->surfaceWidth;
    if (height)
        *height = window->surfaceHeight;
    return true;
}
