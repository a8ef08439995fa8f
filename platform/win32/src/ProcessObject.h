// The kernel object behind a process handle (OpenProcess, ShellExecuteEx).
//
// A process handle refers to one process for its whole life, even after the
// process has ended and its id has been given to another one: the object
// holds a Linux pid file descriptor, which never refers to a later process
// with the same id. A watcher thread per object turns the end of the process
// into the object's signalled state, so process handles take part in the
// layer's waits like every other waitable object.
#pragma once

#include "WaitableObject.h"

#include <thread>

#include <sys/types.h>

namespace win32 {

class ProcessObject final : public WaitableObject {
public:
    // Opens the process; returns null when no such process exists.
    static std::shared_ptr<ProcessObject> Open(pid_t pid);

    ~ProcessObject() override;

    pid_t Pid() const { return m_pid; }

    // Asks the kernel directly, without waiting for the watcher.
    bool HasExited() const;

    // Sends SIGKILL; false when the process could not be signalled.
    bool Kill();

private:
    ProcessObject(pid_t pid, int pidFd, int stopFd);
    void WatchForExit();

    pid_t m_pid;
    int m_pidFd;
    int m_stopFd;
    std::thread m_watcher;
};

// The pseudo-handle of GetCurrentProcess.
inline bool IsCurrentProcessPseudoHandle(HANDLE handle)
{
    return handle == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

// Resolves a process handle or the current-process pseudo-handle to a pid.
// Returns 0 (with ERROR_INVALID_HANDLE) for anything else.
pid_t ProcessIdOfHandle(HANDLE handle);

} // namespace win32
