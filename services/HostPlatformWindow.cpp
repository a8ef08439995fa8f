// Finding and notifying the host tools platform's main window.
#include "services/HostPlatformWindow.h"

const char kHostPlatformWindowClass[] = "ZarvelToolsMainWnd";

HWND FindHostPlatformWindow()
{
    // The layer's window manager, which keeps the top-level windows and their
    // classes, is not built yet: until it is, no window of any class exists,
    // so there is no host window to find. This becomes
    // FindWindowA(kHostPlatformWindowClass, NULL) when it lands.
    return NULL;
}

void PostHostClosingNotice(HWND host, int installFinished)
{
    // Unreachable until FindHostPlatformWindow can find a window; then this
    // becomes PostMessageA(host, kHostClosingMessage, installFinished, 0).
    (void)host;
    (void)installFinished;
}
