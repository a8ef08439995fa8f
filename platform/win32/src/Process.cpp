// Processes: identity, opening, termination and exit codes.
#include "ProcessObject.h"

#include <errhandlingapi.h>
#include <processthreadsapi.h>
#include <winerror.h>

#include <cstdio>

#include <unistd.h>

HANDLE WINAPI GetCurrentProcess(void)
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

DWORD WINAPI GetCurrentProcessId(void)
{
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetProcessId(HANDLE Process)
{
    return static_cast<DWORD>(win32::ProcessIdOfHandle(Process));
}

HANDLE WINAPI OpenProcess(DWORD, BOOL, DWORD dwProcessId)
{
    // Every access right is granted: the tool runs elevated, and on Linux
    // the layer can read what it needs of any process it may see.
    auto pid = static_cast<pid_t>(dwProcessId);
    if (pid <= 0 || static_cast<DWORD>(pid) != dwProcessId) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto process = win32::ProcessObject::Open(pid);
    if (!process) {
        // Windows answers an unknown process id with this code.
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return win32::InsertHandle(process);
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    if (win32::IsCurrentProcessPseudoHandle(hProcess))
        ExitProcess(uExitCode);
    auto process = win32::ReferenceHandleAs<win32::ProcessObject>(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (process->HasExited())
        return TRUE;
    if (!process->Kill()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    if (!lpExitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (win32::IsCurrentProcessPseudoHandle(hProcess)) {
        *lpExitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto process = win32::ReferenceHandleAs<win32::ProcessObject>(hProcess);
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Processes the layer starts are detached (the shell's launch gives them
    // away), and Linux tells an exit status only to a process's parent, so
    // an ended process reports 0.
    *lpExitCode = process->HasExited() ? 0 : STILL_ACTIVE;
    return TRUE;
}

void WINAPI ExitProcess(UINT uExitCode)
{
    // Other threads keep running until the very end, as on Windows, so the
    // C++ static destructors must not run under them: flush the C streams and
    // leave at once.
    std::fflush(nullptr);
    _exit(static_cast<int>(uExitCode));
}
