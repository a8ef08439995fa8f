// An ordered list of handlers. Calling the source calls them in order until
// one returns false, which vetoes the default processing.
//
// Handlers may add or remove handlers of the same source, and may destroy the
// source, while it is calling them: a removed handler is only unhooked (its
// slot set to null) until the outermost call has finished, so the walk never
// skips or repeats a handler and never calls into a freed delegate.
#pragma once

#include "SkinUI/core/DelegateStatic.h"
#include "SkinUI/core/StdPtrArray.h"

namespace SkinUI {

class CEventSource {
    typedef bool (*FnType)(void*);

public:
    CEventSource();
    ~CEventSource();
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;

    operator bool() const;
    // Appends a copy of d unless an equal delegate is already there.
    void operator+=(const CDelegateBase& d);
    void operator+=(FnType pFn);
    // Removes the first delegate equal to d.
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);
    // True when every handler returned true (or there is none).
    bool operator()(void* param);

private:
    // Drops the slots of delegates removed during a call and frees them.
    void Compact();

    CStdPtrArray m_aDelegates;
    // Delegates removed while a call was running, freed when it ends.
    CStdPtrArray m_aRemoved;
    // How many calls of this source are running (handlers may call it again).
    int m_nDispatchDepth;
    // Set by the destructor so a running call stops touching the source.
    bool* m_pDestroyed;
};

} // namespace SkinUI
