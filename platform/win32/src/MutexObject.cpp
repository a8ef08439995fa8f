#include "MutexObject.h"

namespace win32 {

MutexObject::MutexObject(bool initialOwner)
{
    if (initialOwner) {
        m_owner = std::this_thread::get_id();
        m_count = 1;
    }
}

bool MutexObject::Release()
{
    std::lock_guard guard(DispatcherLock());
    if (m_count == 0 || m_owner != std::this_thread::get_id())
        return false;
    if (--m_count == 0) {
        m_owner = std::thread::id();
        WakeWaitersLocked();
    }
    return true;
}

bool MutexObject::IsSignalledLocked() const
{
    // A mutex is free when nobody owns it, and always "signalled" for its
    // owner, which may acquire it again.
    return m_count == 0 || m_owner == std::this_thread::get_id();
}

void MutexObject::ConsumeLocked()
{
    m_owner = std::this_thread::get_id();
    ++m_count;
}

} // namespace win32
