// The host tools platform's main window, which the tool tells that it is
// closing.
#pragma once

#include <windows.h>

// The window class of the host platform's main window.
extern const char kHostPlatformWindowClass[]; // "ZarvelToolsMainWnd"

// The message posted to the host window at close; wParam is the install
// finished flag, lParam 0.
constexpr UINT kHostClosingMessage = 2037;

// The top-level window of the host platform's class, or null when there is
// none.
HWND FindHostPlatformWindow();

// Posts the closing notice to the host window.
void PostHostClosingNotice(HWND host, int installFinished);
