// Debugger output and debugger presence.
#pragma once

#include <windef.h>

void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
void WINAPI OutputDebugStringW(LPCWSTR lpOutputString);
BOOL WINAPI IsDebuggerPresent(void);
void WINAPI DebugBreak(void);

#ifdef UNICODE
#define OutputDebugString OutputDebugStringW
#else
#define OutputDebugString OutputDebugStringA
#endif
