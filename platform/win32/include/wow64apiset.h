// Whether a process runs under the 32-bit emulation of 64-bit Windows.
#pragma once

#include <windef.h>

// The layer emulates a 32-bit program's view: the answer is TRUE when the
// emulated Windows is 64-bit (an x86_64 host, or a Wine prefix of
// architecture win64) and FALSE on a 32-bit one (a win32 prefix).
BOOL WINAPI IsWow64Process(HANDLE hProcess, PBOOL Wow64Process);
