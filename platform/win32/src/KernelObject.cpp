#include "KernelObject.h"

#include <winerror.h>
#include <errhandlingapi.h>
#include <handleapi.h>
#include <minwinbase.h>

#include <mutex>
#include <unordered_map>

namespace win32 {

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<UINT_PTR, std::shared_ptr<KernelObject>> objects;
    UINT_PTR next = 0x100;
};

HandleTable& Table()
{
    // Never destroyed: detached threads may still close handles while the
    // process exits.
    static HandleTable* table = new HandleTable;
    return *table;
}

} // namespace

DWORD KernelObject::Wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    auto& table = Table();
    std::lock_guard guard(table.lock);
    UINT_PTR value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> ReferenceHandle(HANDLE handle)
{
    auto& table = Table();
    std::lock_guard guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<UINT_PTR>(handle));
    if (it == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return it->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> doomed;
    auto& table = Table();
    {
        std::lock_guard guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<UINT_PTR>(handle));
        if (it == table.objects.end())
            return false;
        doomed = std::move(it->second);
        table.objects.erase(it);
    }
    // The object is released outside the lock: its destructor may close
    // other handles.
    return true;
}

} // namespace win32

// Pseudo-handles (GetCurrentProcess, GetCurrentThread) are negative values
// that never enter the table; closing one is a harmless no-op as on Windows.
static bool IsPseudoHandle(HANDLE handle)
{
    auto value = reinterpret_cast<LONG_PTR>(handle);
    return value < 0 && value >= -6;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    if (IsPseudoHandle(hObject))
        return TRUE;
    if (!win32::RemoveHandle(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DuplicateHandle(HANDLE, HANDLE hSourceHandle, HANDLE, LPHANDLE lpTargetHandle, DWORD, BOOL,
                            DWORD dwOptions)
{
    if (!lpTargetHandle) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto object = win32::ReferenceHandle(hSourceHandle);
    if (!object)
        return FALSE;
    *lpTargetHandle = win32::InsertHandle(object);
    if (dwOptions & DUPLICATE_CLOSE_SOURCE)
        win32::RemoveHandle(hSourceHandle);
    return TRUE;
}
