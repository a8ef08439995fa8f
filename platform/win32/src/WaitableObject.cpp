#include "WaitableObject.h"

#include <minwinbase.h>
#include <winerror.h>

#include <chrono>
#include <condition_variable>

namespace win32 {

namespace {

std::condition_variable& Dispatcher()
{
    // Never destroyed: detached threads may still wait while the process
    // exits.
    static auto* condition = new std::condition_variable;
    return *condition;
}

} // namespace

std::mutex& WaitableObject::DispatcherLock()
{
    static auto* lock = new std::mutex;
    return *lock;
}

void WaitableObject::WakeWaitersLocked()
{
    Dispatcher().notify_all();
}

void WaitableObject::SetSignalled(bool signalled)
{
    std::lock_guard guard(DispatcherLock());
    m_signalled = signalled;
    if (signalled)
        WakeWaitersLocked();
}

bool WaitableObject::IsSignalled() const
{
    std::lock_guard guard(DispatcherLock());
    return IsSignalledLocked();
}

DWORD WaitableObject::Wait(DWORD milliseconds)
{
    return WaitForObjects({this}, false, milliseconds);
}

DWORD WaitForObjects(const std::vector<WaitableObject*>& objects, bool waitAll, DWORD milliseconds)
{
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock guard(WaitableObject::DispatcherLock());
    for (;;) {
        // Check the states and, when the wait is satisfied, consume them
        // while still holding the lock, so no other waiter can take the same
        // auto-reset signal.
        if (waitAll) {
            bool all = true;
            for (const auto& object : objects)
                all = all && object->IsSignalledLocked();
            if (all) {
                for (const auto& object : objects)
                    object->ConsumeLocked();
                return WAIT_OBJECT_0;
            }
        } else {
            for (size_t i = 0; i < objects.size(); ++i) {
                if (objects[i]->IsSignalledLocked()) {
                    objects[i]->ConsumeLocked();
                    return WAIT_OBJECT_0 + static_cast<DWORD>(i);
                }
            }
        }
        if (milliseconds == 0)
            return WAIT_TIMEOUT;
        if (milliseconds == INFINITE) {
            Dispatcher().wait(guard);
        } else if (Dispatcher().wait_until(guard, deadline) == std::cv_status::timeout && Clock::now() >= deadline) {
            // One last look: the state may have changed as the time ran out.
            milliseconds = 0;
        }
    }
}

} // namespace win32
