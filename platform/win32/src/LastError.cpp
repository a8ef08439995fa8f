#include <errhandlingapi.h>

// Each thread keeps its own last-error code, as on Windows.
static thread_local DWORD t_lastError = 0;

DWORD WINAPI GetLastError(void)
{
    return t_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}
