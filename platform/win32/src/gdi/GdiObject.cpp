#include "GdiObject.h"

#include <errhandlingapi.h>
#include <winerror.h>

#include <cassert>
#include <mutex>
#include <unordered_map>

namespace win32 {

namespace {

struct GdiTable {
    std::mutex lock;
    std::unordered_map<UINT_PTR, std::shared_ptr<GdiObject>> objects;
    // GDI handles start far from the kernel table's values so that a kernel
    // handle passed by mistake does not name a GDI object for a long while.
    UINT_PTR next = 0x40000000;
};

GdiTable& Table()
{
    // Never destroyed: stock objects and objects of detached threads may be
    // released while the process exits.
    static GdiTable* table = new GdiTable;
    return *table;
}

} // namespace

void GdiObject::RemoveSelection()
{
    assert(m_selections > 0);
    --m_selections;
}

int GdiObject::Describe(int, void*) const
{
    return 0;
}

HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object)
{
    auto& table = Table();
    std::lock_guard guard(table.lock);
    UINT_PTR value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<GdiObject> ReferenceGdiObject(HGDIOBJ handle)
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

bool RemoveGdiObject(HGDIOBJ handle)
{
    std::shared_ptr<GdiObject> doomed;
    auto& table = Table();
    {
        std::lock_guard guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<UINT_PTR>(handle));
        if (it == table.objects.end())
            return false;
        doomed = std::move(it->second);
        table.objects.erase(it);
    }
    // Released outside the lock: a DC's destructor releases its selections.
    return true;
}

} // namespace win32
