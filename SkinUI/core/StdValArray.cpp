#include "SkinUI/core/StdValArray.h"

#include "SkinUI/core/src/ArrayGrowth.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

CStdValArray::CStdValArray(int iElementSize, int iPreallocSize)
    : m_pVoid(nullptr), m_iElementSize(iElementSize), m_nCount(0), m_nAllocated(0)
{
    assert(iElementSize > 0);
    if (iPreallocSize > 0) {
        m_pVoid = static_cast<LPBYTE>(malloc(static_cast<size_t>(iPreallocSize) * static_cast<size_t>(iElementSize)));
        if (m_pVoid)
            m_nAllocated = iPreallocSize;
    }
}

CStdValArray::CStdValArray(const CStdValArray& src)
    : m_pVoid(nullptr), m_iElementSize(src.m_iElementSize), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.m_nCount; ++i)
        Add(src[i]);
}

CStdValArray& CStdValArray::operator=(const CStdValArray& src)
{
    if (this != &src) {
        free(m_pVoid);
        m_pVoid = nullptr;
        m_iElementSize = src.m_iElementSize;
        m_nCount = m_nAllocated = 0;
        for (int i = 0; i < src.m_nCount; ++i)
            Add(src[i]);
    }
    return *this;
}

CStdValArray::~CStdValArray()
{
    free(m_pVoid);
}

bool CStdValArray::Add(LPCVOID pData)
{
    void* block = m_pVoid;
    if (!GrowArrayBlock(&block, static_cast<size_t>(m_iElementSize), &m_nCount, &m_nAllocated))
        return false;
    m_pVoid = static_cast<LPBYTE>(block);
    memcpy(m_pVoid + (m_nCount - 1) * m_iElementSize, pData, static_cast<size_t>(m_iElementSize));
    return true;
}

bool CStdValArray::Remove(int index)
{
    if (index < 0 || index >= m_nCount)
        return false;
    --m_nCount;
    if (index < m_nCount) {
        memmove(m_pVoid + index * m_iElementSize, m_pVoid + (index + 1) * m_iElementSize,
                static_cast<size_t>(m_nCount - index) * static_cast<size_t>(m_iElementSize));
    }
    return true;
}

LPVOID CStdValArray::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    return m_pVoid + index * m_iElementSize;
}

} // namespace SkinUI
