// GDI objects and their handle table.
//
// Every HGDIOBJ (bitmaps, brushes, pens, fonts, regions, device contexts)
// names a GdiObject in a process-wide table of its own, apart from the kernel
// handles. Handle values are never reused, so a stale handle simply fails to
// resolve; a foreign value is never dereferenced.
//
// An object that is selected into a device context (or held by one of its
// saved states) carries a selection count. DeleteObject refuses such an
// object, as GDI does, so a DC never draws with a freed object.
#pragma once

#include <windef.h>

#include <memory>

namespace win32 {

class GdiObject {
public:
    explicit GdiObject(DWORD type)
        : m_type(type)
    {
    }
    virtual ~GdiObject() = default;

    DWORD Type() const { return m_type; }

    // Stock objects live for the whole process: deleting one is a no-op.
    bool IsStock() const { return m_stock; }
    void MarkStock() { m_stock = true; }

    int SelectionCount() const { return m_selections; }
    void AddSelection() { ++m_selections; }
    void RemoveSelection();

    // Fills the object's GetObject record. Returns the bytes written, or the
    // record's size when buffer is null; 0 when the object has no record.
    virtual int Describe(int size, void* buffer) const;

private:
    DWORD m_type;
    bool m_stock = false;
    int m_selections = 0;
};

// Enters an object and returns its new handle (never null).
HGDIOBJ InsertGdiObject(std::shared_ptr<GdiObject> object);

// Returns the object of a handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<GdiObject> ReferenceGdiObject(HGDIOBJ handle);

template <class T>
std::shared_ptr<T> ReferenceGdiObjectAs(HGDIOBJ handle)
{
    return std::dynamic_pointer_cast<T>(ReferenceGdiObject(handle));
}

// Removes a handle from the table. Returns false for an unknown handle.
bool RemoveGdiObject(HGDIOBJ handle);

} // namespace win32
