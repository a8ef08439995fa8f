// The calling thread's last-error code.
#pragma once

#include <winnt.h>

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD dwErrCode);
