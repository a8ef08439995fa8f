#include "ThreadObject.h"

#include <minwinbase.h>
#include <winerror.h>

namespace win32 {

void ThreadObject::MarkExited(DWORD exitCode)
{
    {
        std::lock_guard guard(m_lock);
        m_exitCode = exitCode;
        m_exited = true;
    }
    SetSignalled(true);
}

DWORD ThreadObject::ExitCode()
{
    std::lock_guard guard(m_lock);
    return m_exited ? m_exitCode : STILL_ACTIVE;
}

void ThreadObject::WaitUntilResumed()
{
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return !m_suspended; });
}

DWORD ThreadObject::Resume()
{
    std::lock_guard guard(m_lock);
    DWORD previous = m_suspended ? 1 : 0;
    m_suspended = false;
    m_changed.notify_all();
    return previous;
}

void ThreadObject::SetThreadId(DWORD id)
{
    std::lock_guard guard(m_lock);
    m_threadId = id;
    m_idKnown = true;
    m_changed.notify_all();
}

DWORD ThreadObject::ThreadId()
{
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return m_idKnown; });
    return m_threadId;
}

} // namespace win32
