// Kernel objects a thread can wait on: events, mutexes, threads, processes.
//
// All waitable objects share one dispatcher lock and one condition variable,
// as the Windows kernel's dispatcher database does. That makes a wait on
// several objects at once (WaitForMultipleObjects, any or all) simple and
// race-free: the states of all objects are read and consumed under one lock.
// The cost is that a state change wakes every waiter to re-check, which is
// cheap at the handful of threads this layer's programs run.
#pragma once

#include "KernelObject.h"

#include <memory>
#include <mutex>
#include <vector>

namespace win32 {

class WaitableObject : public KernelObject {
public:
    // Waits for this object alone: WAIT_OBJECT_0 or WAIT_TIMEOUT.
    DWORD Wait(DWORD milliseconds) final;

    // Makes the object signalled (or not) and wakes the waiters. Threads and
    // processes call SetSignalled(true) once, as they end; they stay
    // signalled for good.
    void SetSignalled(bool signalled);

    bool IsSignalled() const;

    // The lock every state change and every wait check takes.
    static std::mutex& DispatcherLock();

protected:
    // Both run with the dispatcher lock held. A satisfied wait calls
    // ConsumeLocked on each object it was satisfied by, so that an
    // auto-reset event resets and a mutex records its owner.
    virtual bool IsSignalledLocked() const { return m_signalled; }
    virtual void ConsumeLocked() {}

    // Wakes every waiting thread to re-check its objects; call it with the
    // dispatcher lock held after a state change.
    static void WakeWaitersLocked();

    bool m_signalled = false;

    friend DWORD WaitForObjects(const std::vector<WaitableObject*>&, bool, DWORD);
};

// The caller keeps a reference to each object for the wait's duration.
// Waits for any (waitAll false) or all of the objects. Returns
// WAIT_OBJECT_0 + the index of the first signalled object (any) or
// WAIT_OBJECT_0 (all), or WAIT_TIMEOUT; INFINITE waits for ever and 0 only
// tests the states.
DWORD WaitForObjects(const std::vector<WaitableObject*>& objects, bool waitAll, DWORD milliseconds);

} // namespace win32
