// The user32 API. Its declarations are kept in two parts so that the window
// manager and the drawing side can grow independently.
#pragma once

#include <windef.h>
#include <winuser_windowing.h> // classes, windows, messages, input, timers, painting protocol
#include <winuser_drawing.h>   // rectangles, FillRect, DrawText, system colours
