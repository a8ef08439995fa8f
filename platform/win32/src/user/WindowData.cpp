// Window state queries, relations, window longs, properties and text.
#include "user/UserState.h"

#include "TextCodec.h"

#include <unistd.h>

#include <cstring>

using namespace win32::user;

namespace {

std::wstring PropertyKey(LPCWSTR name)
{
    // Atoms and names share one key space: an atom is kept as "#<number>".
    if (IS_INTRESOURCE(name))
        return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    std::wstring key = name;
    for (auto& c : key)
        c = win32::FoldCase(c);
    return key;
}

} // namespace

BOOL WINAPI IsWindow(HWND hWnd)
{
    Guard guard(UserLock());
    DWORD error = GetLastError();
    bool valid = WindowLocked(hWnd) != nullptr;
    SetLastError(error);
    return valid;
}

BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && IsVisibleLocked(window);
}

BOOL WINAPI IsWindowEnabled(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && !(window->style & WS_DISABLED);
}

BOOL WINAPI IsIconic(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && (window->style & WS_MINIMIZE);
}

BOOL WINAPI IsZoomed(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && (window->style & WS_MAXIMIZE);
}

BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return FALSE;
    // Only a chain of WS_CHILD windows makes a child.
    for (; window->parent && (window->style & WS_CHILD); window = window->parent)
        if (window->parent->handle == hWndParent)
            return TRUE;
    return FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    if (lpdwProcessId)
        *lpdwProcessId = static_cast<DWORD>(getpid());
    return window->threadId;
}

HWND WINAPI GetDesktopWindow(void)
{
    Guard guard(UserLock());
    return DesktopLocked()->handle;
}

HWND WINAPI GetParent(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return nullptr;
    if (window->style & WS_CHILD)
        return window->parent ? window->parent->handle : nullptr;
    if ((window->style & WS_POPUP) && window->owner)
        return window->owner->handle;
    return nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hwnd);
    if (!window || window == DesktopLocked())
        return nullptr;
    switch (gaFlags) {
    case GA_PARENT: return window->parent ? window->parent->handle : nullptr;
    case GA_ROOT: return TopLevelLocked(window)->handle;
    case GA_ROOTOWNER: {
        Window* root = TopLevelLocked(window);
        while (root->owner)
            root = root->owner;
        return root->handle;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return nullptr;
    if (uCmd == GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front()->handle;
    if (uCmd == GW_OWNER)
        return window->owner ? window->owner->handle : nullptr;
    if (!window->parent)
        return nullptr;
    auto& siblings = window->parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    switch (uCmd) {
    case GW_HWNDFIRST: return siblings.front()->handle;
    case GW_HWNDLAST: return siblings.back()->handle;
    case GW_HWNDNEXT: return (it + 1) == siblings.end() ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV: return it == siblings.begin() ? nullptr : (*(it - 1))->handle;
    case GW_ENABLEDPOPUP: return nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

HWND WINAPI GetTopWindow(HWND hWnd)
{
    return GetWindow(hWnd ? hWnd : GetDesktopWindow(), GW_CHILD);
}

HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWndChild);
    if (!window)
        return nullptr;
    Window* parent = hWndNewParent ? WindowLocked(hWndNewParent) : DesktopLocked();
    if (!parent)
        return nullptr;
    for (Window* up = parent; up; up = up->parent)
        if (up == window) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    HWND old = window->parent ? window->parent->handle : nullptr;
    if (old == DesktopLocked()->handle)
        old = nullptr;
    std::erase(window->parent->children, window);
    window->parent = parent;
    parent->children.insert(parent->children.begin(), window);
    if (IsTopLevel(window))
        ResizeSurfaceLocked(window);
    return old ? old : DesktopLocked()->handle;
}

static std::vector<HWND> ChildrenOf(HWND parent)
{
    Guard guard(UserLock());
    Window* window = parent ? WindowLocked(parent) : DesktopLocked();
    std::vector<HWND> handles;
    if (window)
        for (Window* child : window->children)
            handles.push_back(child->handle);
    return handles;
}

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    for (HWND hwnd : ChildrenOf(nullptr))
        if (IsWindow(hwnd) && !lpEnumFunc(hwnd, lParam))
            return FALSE;
    return TRUE;
}

static bool EnumDescendants(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    for (HWND hwnd : ChildrenOf(parent)) {
        if (!IsWindow(hwnd))
            continue;
        if (!proc(hwnd, lParam))
            return false;
        if (!EnumDescendants(hwnd, proc, lParam))
            return false;
    }
    return true;
}

BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam)
{
    return EnumDescendants(hWndParent, lpEnumFunc, lParam);
}

HWND WINAPI FindWindowExW(HWND hWndParent, HWND hWndChildAfter, LPCWSTR lpszClass, LPCWSTR lpszWindow)
{
    Guard guard(UserLock());
    Window* parent = hWndParent ? WindowLocked(hWndParent) : DesktopLocked();
    if (!parent)
        return nullptr;
    bool started = hWndChildAfter == nullptr;
    for (Window* child : parent->children) {
        if (!started) {
            started = child->handle == hWndChildAfter;
            continue;
        }
        if (child->destroying)
            continue;
        if (lpszClass) {
            const WindowClass& windowClass = *child->windowClass;
            bool matches = IS_INTRESOURCE(lpszClass)
                               ? windowClass.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(lpszClass))
                               : win32::CompareIgnoringCase(windowClass.name, lpszClass) == 0;
            if (!matches)
                continue;
        }
        if (lpszWindow && child->text != lpszWindow)
            continue;
        return child->handle;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName)
{
    return FindWindowExW(nullptr, nullptr, lpClassName, lpWindowName);
}

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    std::wstring className = lpClassName && !IS_INTRESOURCE(lpClassName) ? win32::Utf8ToWide(lpClassName) : L"";
    std::wstring windowName = lpWindowName ? win32::Utf8ToWide(lpWindowName) : L"";
    LPCWSTR classArgument = !lpClassName ? nullptr
                            : IS_INTRESOURCE(lpClassName) ? reinterpret_cast<LPCWSTR>(lpClassName)
                                                          : className.c_str();
    return FindWindowW(classArgument, lpWindowName ? windowName.c_str() : nullptr);
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hDlg);
    if (!window)
        return nullptr;
    for (Window* child : window->children)
        if (child->id == nIDDlgItem)
            return child->handle;
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && (window->style & WS_CHILD) ? static_cast<int>(window->id) : 0;
}

HMENU WINAPI GetMenu(HWND hWnd)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    return window && !(window->style & WS_CHILD) ? window->menu : nullptr;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    if (nIndex >= 0) {
        if (static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > window->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG_PTR value = 0;
        std::memcpy(&value, &window->extra[nIndex], sizeof(value));
        return value;
    }
    switch (nIndex) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>((window->style & WS_CHILD) ? window->parent->handle
                                          : window->owner             ? window->owner->handle
                                                                      : nullptr);
    case GWL_STYLE: return static_cast<LONG>(window->style);
    case GWL_EXSTYLE: return static_cast<LONG>(window->exStyle);
    case GWLP_USERDATA: return window->userData;
    case GWLP_ID: return window->id;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    if (nIndex >= 0) {
        if (static_cast<size_t>(nIndex) + sizeof(LONG_PTR) > window->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG_PTR old = 0;
        std::memcpy(&old, &window->extra[nIndex], sizeof(old));
        std::memcpy(&window->extra[nIndex], &dwNewLong, sizeof(dwNewLong));
        SetLastError(0);
        return old;
    }
    LONG_PTR old = 0;
    SetLastError(0);
    switch (nIndex) {
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(window->proc);
        window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
        return old;
    case GWLP_USERDATA:
        old = window->userData;
        window->userData = dwNewLong;
        return old;
    case GWLP_ID:
        old = window->id;
        window->id = dwNewLong;
        return old;
    case GWLP_HWNDPARENT: {
        old = reinterpret_cast<LONG_PTR>(window->owner ? window->owner->handle : nullptr);
        if (!(window->style & WS_CHILD)) {
            Window* owner = dwNewLong ? WindowLocked(reinterpret_cast<HWND>(dwNewLong)) : nullptr;
            window->owner = owner ? TopLevelLocked(owner) : nullptr;
        }
        return old;
    }
    case GWL_STYLE:
    case GWL_EXSTYLE: {
        DWORD& field = nIndex == GWL_STYLE ? window->style : window->exStyle;
        old = static_cast<LONG>(field);
        STYLESTRUCT change { field, static_cast<DWORD>(dwNewLong) };
        guard.unlock();
        SendMessageW(hWnd, WM_STYLECHANGING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&change));
        guard.lock();
        window = WindowLocked(hWnd);
        if (!window)
            return 0;
        DWORD& target = nIndex == GWL_STYLE ? window->style : window->exStyle;
        target = change.styleNew;
        guard.unlock();
        SendMessageW(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&change));
        return old;
    }
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex)
{
    return static_cast<LONG>(GetWindowLongPtrW(hWnd, nIndex));
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    // Extra bytes are four-byte slots here, not pointer-sized ones.
    if (nIndex >= 0) {
        Guard guard(UserLock());
        Window* window = WindowLocked(hWnd);
        if (!window)
            return 0;
        if (static_cast<size_t>(nIndex) + sizeof(LONG) > window->extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG old = 0;
        std::memcpy(&old, &window->extra[nIndex], sizeof(old));
        std::memcpy(&window->extra[nIndex], &dwNewLong, sizeof(dwNewLong));
        return old;
    }
    return static_cast<LONG>(SetWindowLongPtrW(hWnd, nIndex, dwNewLong));
}

BOOL WINAPI SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData)
{
    if (!lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return FALSE;
    window->properties[PropertyKey(lpString)] = hData;
    return TRUE;
}

HANDLE WINAPI GetPropW(HWND hWnd, LPCWSTR lpString)
{
    if (!lpString)
        return nullptr;
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return nullptr;
    auto it = window->properties.find(PropertyKey(lpString));
    return it == window->properties.end() ? nullptr : it->second;
}

HANDLE WINAPI RemovePropW(HWND hWnd, LPCWSTR lpString)
{
    if (!lpString)
        return nullptr;
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return nullptr;
    auto it = window->properties.find(PropertyKey(lpString));
    if (it == window->properties.end())
        return nullptr;
    HANDLE value = it->second;
    window->properties.erase(it);
    return value;
}

int WINAPI GetWindowTextLengthW(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount)
{
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = 0;
    if (!IsWindow(hWnd))
        return 0;
    return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount)
{
    if (!lpString || nMaxCount <= 0)
        return 0;
    lpString[0] = 0;
    int length = GetWindowTextLengthW(hWnd);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(hWnd, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(copied));
    std::string narrow = win32::WideToUtf8(std::wstring_view(wide));
    // Never cut a multi-byte sequence in half.
    size_t count = std::min(narrow.size(), static_cast<size_t>(nMaxCount - 1));
    while (count > 0 && count < narrow.size() && (static_cast<unsigned char>(narrow[count]) & 0xC0) == 0x80)
        --count;
    std::memcpy(lpString, narrow.data(), count);
    lpString[count] = 0;
    return static_cast<int>(count);
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString)
{
    if (!IsWindow(hWnd))
        return FALSE;
    return static_cast<BOOL>(SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString)
{
    std::wstring wide = lpString ? win32::Utf8ToWide(lpString) : L"";
    return SetWindowTextW(hWnd, lpString ? wide.c_str() : nullptr);
}
