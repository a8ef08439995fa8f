// Kernel objects and the process's handle table.
//
// Every HANDLE the layer gives out (files, threads, processes, events,
// snapshots, internet handles) names a KernelObject in one process-wide
// table. The table holds a reference; a caller that looks a handle up gets its
// own reference, so an object stays alive while a call uses it even if another
// thread closes the handle meanwhile. A stale or foreign handle value is never
// dereferenced: lookups of unknown values simply fail.
#pragma once

#include <windef.h>

#include <memory>

namespace win32 {

class KernelObject {
public:
    virtual ~KernelObject() = default;

    // Waits until the object is signalled. Returns WAIT_OBJECT_0, WAIT_TIMEOUT
    // or WAIT_FAILED. Objects that cannot be waited on keep this default.
    virtual DWORD Wait(DWORD milliseconds);
};

// Enters an object into the table and returns its new handle (never null and
// never INVALID_HANDLE_VALUE). Values are multiples of four, as on Windows.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// Returns the object of a handle, or null (with ERROR_INVALID_HANDLE set as
// the last error) when the handle is not in the table.
std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> ReferenceHandleAs(HANDLE handle)
{
    auto object = std::dynamic_pointer_cast<T>(ReferenceHandle(handle));
    return object;
}

// Removes a handle from the table. Returns false for an unknown handle.
bool RemoveHandle(HANDLE handle);

} // namespace win32
