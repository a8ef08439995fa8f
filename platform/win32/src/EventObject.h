// The kernel object behind an event handle.
#pragma once

#include "WaitableObject.h"

namespace win32 {

class EventObject final : public WaitableObject {
public:
    EventObject(bool manualReset, bool initialState) : m_manualReset(manualReset) { m_signalled = initialState; }

protected:
    // A wait satisfied by an auto-reset event resets it, so exactly one
    // waiter is released per SetEvent.
    void ConsumeLocked() override
    {
        if (!m_manualReset)
            m_signalled = false;
    }

private:
    bool m_manualReset;
};

} // namespace win32
