// Window classes: registration, lookup by name or atom, class data.
#include "user/UserState.h"

#include "TextCodec.h"

#include <cstring>

namespace win32::user {

namespace {

struct ClassTable {
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;
};

ClassTable& Classes()
{
    static ClassTable* table = new ClassTable;
    return *table;
}

bool NameMatches(const WindowClass& windowClass, LPCWSTR name)
{
    if (IS_INTRESOURCE(name))
        return windowClass.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return CompareIgnoringCase(windowClass.name, name) == 0;
}

} // namespace

std::shared_ptr<WindowClass> FindClassLocked(LPCWSTR name, HINSTANCE instance)
{
    if (!name)
        return nullptr;
    // A class of the given instance wins over one registered by another
    // module; CS_GLOBALCLASS classes are found from any instance.
    std::shared_ptr<WindowClass> fallback;
    for (auto& windowClass : Classes().classes) {
        if (!NameMatches(*windowClass, name))
            continue;
        if (windowClass->instance == instance)
            return windowClass;
        if (!fallback || (windowClass->style & CS_GLOBALCLASS))
            fallback = windowClass;
    }
    return fallback;
}

} // namespace win32::user

using namespace win32::user;

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* lpwcx)
{
    if (!lpwcx || lpwcx->cbSize != sizeof(WNDCLASSEXW) || !lpwcx->lpszClassName || !lpwcx->lpfnWndProc ||
        lpwcx->cbClsExtra < 0 || lpwcx->cbWndExtra < 0 || IS_INTRESOURCE(lpwcx->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Guard guard(UserLock());
    for (auto& existing : Classes().classes) {
        if (existing->instance == lpwcx->hInstance && NameMatches(*existing, lpwcx->lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto windowClass = std::make_shared<WindowClass>();
    windowClass->name = lpwcx->lpszClassName;
    // Classes of the same name share one atom, as the global atom table would.
    for (auto& existing : Classes().classes)
        if (NameMatches(*existing, lpwcx->lpszClassName))
            windowClass->atom = existing->atom;
    if (!windowClass->atom)
        windowClass->atom = Classes().nextAtom++;
    windowClass->style = lpwcx->style;
    windowClass->proc = lpwcx->lpfnWndProc;
    windowClass->clsExtra = lpwcx->cbClsExtra;
    windowClass->wndExtra = lpwcx->cbWndExtra;
    windowClass->instance = lpwcx->hInstance;
    windowClass->icon = lpwcx->hIcon;
    windowClass->iconSmall = lpwcx->hIconSm;
    windowClass->cursor = lpwcx->hCursor;
    windowClass->background = lpwcx->hbrBackground;
    if (lpwcx->lpszMenuName && !IS_INTRESOURCE(lpwcx->lpszMenuName))
        windowClass->menuName = lpwcx->lpszMenuName;
    windowClass->extra.assign(static_cast<size_t>(lpwcx->cbClsExtra), 0);
    Classes().classes.push_back(windowClass);
    return windowClass->atom;
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass)
{
    if (!lpWndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex {};
    ex.cbSize = sizeof(ex);
    ex.style = lpWndClass->style;
    ex.lpfnWndProc = lpWndClass->lpfnWndProc;
    ex.cbClsExtra = lpWndClass->cbClsExtra;
    ex.cbWndExtra = lpWndClass->cbWndExtra;
    ex.hInstance = lpWndClass->hInstance;
    ex.hIcon = lpWndClass->hIcon;
    ex.hCursor = lpWndClass->hCursor;
    ex.hbrBackground = lpWndClass->hbrBackground;
    ex.lpszMenuName = lpWndClass->lpszMenuName;
    ex.lpszClassName = lpWndClass->lpszClassName;
    return RegisterClassExW(&ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance)
{
    Guard guard(UserLock());
    auto& classes = Classes().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if ((*it)->instance != hInstance || !NameMatches(**it, lpClassName))
            continue;
        if ((*it)->windowCount > 0) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx)
{
    if (!lpwcx) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Guard guard(UserLock());
    auto windowClass = FindClassLocked(lpszClass, hInstance);
    if (!windowClass) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    lpwcx->style = windowClass->style;
    lpwcx->lpfnWndProc = windowClass->proc;
    lpwcx->cbClsExtra = windowClass->clsExtra;
    lpwcx->cbWndExtra = windowClass->wndExtra;
    lpwcx->hInstance = windowClass->instance;
    lpwcx->hIcon = windowClass->icon;
    lpwcx->hIconSm = windowClass->iconSmall;
    lpwcx->hCursor = windowClass->cursor;
    lpwcx->hbrBackground = windowClass->background;
    lpwcx->lpszMenuName = windowClass->menuName.empty() ? nullptr : windowClass->menuName.c_str();
    lpwcx->lpszClassName = windowClass->name.c_str();
    return windowClass->atom;
}

BOOL WINAPI GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass)
{
    WNDCLASSEXW ex {};
    ex.cbSize = sizeof(ex);
    if (!lpWndClass || !GetClassInfoExW(hInstance, lpClassName, &ex))
        return FALSE;
    lpWndClass->style = ex.style;
    lpWndClass->lpfnWndProc = ex.lpfnWndProc;
    lpWndClass->cbClsExtra = ex.cbClsExtra;
    lpWndClass->cbWndExtra = ex.cbWndExtra;
    lpWndClass->hInstance = ex.hInstance;
    lpWndClass->hIcon = ex.hIcon;
    lpWndClass->hCursor = ex.hCursor;
    lpWndClass->hbrBackground = ex.hbrBackground;
    lpWndClass->lpszMenuName = ex.lpszMenuName;
    lpWndClass->lpszClassName = ex.lpszClassName;
    return TRUE;
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window || !lpClassName || nMaxCount <= 0)
        return 0;
    const std::wstring& name = window->windowClass->name;
    int count = std::min<int>(static_cast<int>(name.size()), nMaxCount - 1);
    std::copy_n(name.c_str(), count, lpClassName);
    lpClassName[count] = 0;
    return count;
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND hWnd, int nIndex)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    WindowClass& windowClass = *window->windowClass;
    if (nIndex >= 0) {
        if (nIndex + sizeof(LONG_PTR) > windowClass.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        ULONG_PTR value = 0;
        std::memcpy(&value, &windowClass.extra[nIndex], sizeof(value));
        return value;
    }
    switch (nIndex) {
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(windowClass.background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(windowClass.cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(windowClass.icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(windowClass.iconSmall);
    case GCLP_HMODULE: return reinterpret_cast<ULONG_PTR>(windowClass.instance);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(windowClass.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(windowClass.clsExtra);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(windowClass.proc);
    case GCL_STYLE: return windowClass.style;
    case GCW_ATOM: return windowClass.atom;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

ULONG_PTR WINAPI SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    Guard guard(UserLock());
    Window* window = WindowLocked(hWnd);
    if (!window)
        return 0;
    WindowClass& windowClass = *window->windowClass;
    ULONG_PTR old = 0;
    if (nIndex >= 0) {
        if (nIndex + sizeof(LONG_PTR) > windowClass.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        std::memcpy(&old, &windowClass.extra[nIndex], sizeof(old));
        std::memcpy(&windowClass.extra[nIndex], &dwNewLong, sizeof(dwNewLong));
        return old;
    }
    auto swap = [&](auto& field) {
        old = (ULONG_PTR)field;
        field = (std::remove_reference_t<decltype(field)>)dwNewLong;
    };
    switch (nIndex) {
    case GCLP_HBRBACKGROUND: swap(windowClass.background); break;
    case GCLP_HCURSOR: swap(windowClass.cursor); break;
    case GCLP_HICON: swap(windowClass.icon); break;
    case GCLP_HICONSM: swap(windowClass.iconSmall); break;
    case GCLP_WNDPROC: swap(windowClass.proc); break;
    case GCL_STYLE: swap(windowClass.style); break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}

DWORD WINAPI GetClassLongW(HWND hWnd, int nIndex)
{
    return static_cast<DWORD>(GetClassLongPtrW(hWnd, nIndex));
}
