// The kernel object behind a thread handle.
//
// A thread object outlives both its handle and its thread: the running thread
// keeps its own reference, so the exit code can be stored and waiters woken
// even after every handle has been closed. It becomes signalled for good when
// the thread ends.
#pragma once

#include "WaitableObject.h"

#include <condition_variable>
#include <mutex>

namespace win32 {

class ThreadObject final : public WaitableObject {
public:
    // Records the exit code and signals the object. Called once, by the
    // thread itself as it ends.
    void MarkExited(DWORD exitCode);

    // Answers STILL_ACTIVE while the thread runs.
    DWORD ExitCode();

    // Holds a suspended thread before its start routine, and lets it go.
    void WaitUntilResumed();
    // Returns the previous suspend count (1 for a suspended thread, else 0).
    DWORD Resume();
    void SetSuspended() { m_suspended = true; }

    void SetThreadId(DWORD id);
    // Waits until the new thread has told its id; CreateThread's caller gets
    // it at once, so this never blocks for long.
    DWORD ThreadId();

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_exited = false;
    bool m_suspended = false;
    bool m_idKnown = false;
    DWORD m_exitCode = 0;
    DWORD m_threadId = 0;
};

} // namespace win32
