// A growable array of untyped pointers. It never owns what they point to.
#pragma once

#include <windows.h>

namespace SkinUI {

class CStdPtrArray {
public:
    explicit CStdPtrArray(int iPreallocSize = 0);
    CStdPtrArray(const CStdPtrArray& src);
    CStdPtrArray& operator=(const CStdPtrArray& src);
    ~CStdPtrArray();

    void Empty();
    // Empties the array, then makes it hold count null elements.
    void Resize(int count);
    bool IsEmpty() const { return m_nCount == 0; }
    int Find(LPVOID pData) const;
    bool Add(LPVOID pData);
    bool SetAt(int index, LPVOID pData);
    bool InsertAt(int index, LPVOID pData);
    bool Remove(int index);
    int GetSize() const { return m_nCount; }
    LPVOID* GetData() { return m_ppVoid; }

    // Null for an index outside the array.
    LPVOID GetAt(int index) const;
    // Unchecked.
    LPVOID operator[](int index) const { return m_ppVoid[index]; }

private:
    // Raises the count by one, growing the block when it is full.
    bool Grow();

    LPVOID* m_ppVoid;
    int m_nCount;
    int m_nAllocated;
};

} // namespace SkinUI
