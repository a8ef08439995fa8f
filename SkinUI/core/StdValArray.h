// A growable array of fixed-size records, copied in and out byte-wise.
#pragma once

#include <windows.h>

namespace SkinUI {

class CStdValArray {
public:
    explicit CStdValArray(int iElementSize, int iPreallocSize = 0);
    CStdValArray(const CStdValArray& src);
    CStdValArray& operator=(const CStdValArray& src);
    ~CStdValArray();

    // Forgets every element but keeps the block for reuse.
    void Empty() { m_nCount = 0; }
    bool IsEmpty() const { return m_nCount == 0; }
    // Copies one element (the element size in bytes) to the end.
    bool Add(LPCVOID pData);
    bool Remove(int index);
    int GetSize() const { return m_nCount; }
    LPVOID GetData() { return m_pVoid; }

    // Null for an index outside the array.
    LPVOID GetAt(int index) const;
    // Unchecked.
    LPVOID operator[](int index) const { return m_pVoid + index * m_iElementSize; }

private:
    LPBYTE m_pVoid;
    int m_iElementSize;
    int m_nCount;
    int m_nAllocated;
};

} // namespace SkinUI
