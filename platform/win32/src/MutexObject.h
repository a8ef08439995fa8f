// The kernel object behind a mutex handle: a recursive lock owned by a
// thread, which only the owner can release.
#pragma once

#include "WaitableObject.h"

#include <thread>

namespace win32 {

class MutexObject final : public WaitableObject {
public:
    explicit MutexObject(bool initialOwner);

    // Releases one level of ownership; false when the caller is not the
    // owner.
    bool Release();

protected:
    bool IsSignalledLocked() const override;
    void ConsumeLocked() override;

private:
    std::thread::id m_owner;
    unsigned m_count = 0;
};

} // namespace win32
