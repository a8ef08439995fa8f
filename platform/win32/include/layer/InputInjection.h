// Input at the layer's edge: mouse and keyboard events fed in exactly as
// hardware input would arrive. The display backend calls these for the
// events of its windows; tests call them to play a user.
//
// Mouse events are at screen coordinates and go to the capture window or to
// the window under the pointer (WM_NCHITTEST decides), which gets them in
// its thread's input queue; key events go to the focus window (or, with no
// focus, to the active window as system keys).
#pragma once

#include <windef.h>

namespace win32 {

// Moves the pointer to (x, y) on the screen.
void InjectMouseMove(int x, int y);

// Presses or releases a mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON)
// where the pointer is.
void InjectMouseButton(UINT virtualButton, bool down);

// Turns the wheel by delta (WHEEL_DELTA per notch; positive is away from the
// user) where the pointer is.
void InjectMouseWheel(int delta, bool horizontal = false);

// Presses or releases a key. The character is what the key types (it is what
// TranslateMessage turns into WM_CHAR); 0 takes the character of a US
// keyboard for the key and the current shift state.
void InjectKey(UINT virtualKey, bool down, wchar_t character = 0);

// Moves the pointer, then presses and releases a button: a click.
void InjectClick(int x, int y, UINT virtualButton = 0x01);

} // namespace win32
