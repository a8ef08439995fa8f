#include "SkinUI/core/StdPtrArray.h"

#include "SkinUI/core/src/ArrayGrowth.h"

#include <cassert>
#include <cstdlib>
#include <cstring>

namespace SkinUI {

CStdPtrArray::CStdPtrArray(int iPreallocSize) : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0)
{
    if (iPreallocSize > 0) {
        m_ppVoid = static_cast<LPVOID*>(malloc(sizeof(LPVOID) * static_cast<size_t>(iPreallocSize)));
        if (m_ppVoid)
            m_nAllocated = iPreallocSize;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& src) : m_ppVoid(nullptr), m_nCount(0), m_nAllocated(0)
{
    for (int i = 0; i < src.GetSize(); ++i)
        Add(src.m_ppVoid[i]);
}

CStdPtrArray& CStdPtrArray::operator=(const CStdPtrArray& src)
{
    if (this != &src) {
        Empty();
        for (int i = 0; i < src.GetSize(); ++i)
            Add(src.m_ppVoid[i]);
    }
    return *this;
}

CStdPtrArray::~CStdPtrArray()
{
    free(m_ppVoid);
}

void CStdPtrArray::Empty()
{
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}

void CStdPtrArray::Resize(int count)
{
    Empty();
    if (count <= 0)
        return;
    m_ppVoid = static_cast<LPVOID*>(calloc(static_cast<size_t>(count), sizeof(LPVOID)));
    if (m_ppVoid)
        m_nCount = m_nAllocated = count;
}

int CStdPtrArray::Find(LPVOID pData) const
{
    for (int i = 0; i < m_nCount; ++i) {
        if (m_ppVoid[i] == pData)
            return i;
    }
    return -1;
}

bool CStdPtrArray::Grow()
{
    void* block = m_ppVoid;
    if (!GrowArrayBlock(&block, sizeof(LPVOID), &m_nCount, &m_nAllocated))
        return false;
    m_ppVoid = static_cast<LPVOID*>(block);
    return true;
}

bool CStdPtrArray::Add(LPVOID pData)
{
    if (!Grow())
        return false;
    m_ppVoid[m_nCount - 1] = pData;
    return true;
}

bool CStdPtrArray::SetAt(int index, LPVOID pData)
{
    if (index < 0 || index >= m_nCount)
        return false;
    m_ppVoid[index] = pData;
    return true;
}

bool CStdPtrArray::InsertAt(int index, LPVOID pData)
{
    if (index == m_nCount)
        return Add(pData);
    if (index < 0 || index > m_nCount)
        return false;
    if (!Grow())
        return false;
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index], sizeof(LPVOID) * static_cast<size_t>(m_nCount - 1 - index));
    m_ppVoid[index] = pData;
    return true;
}

bool CStdPtrArray::Remove(int index)
{
    if (index < 0 || index >= m_nCount)
        return false;
    --m_nCount;
    if (index < m_nCount)
        memmove(&m_ppVoid[index], &m_ppVoid[index + 1], sizeof(LPVOID) * static_cast<size_t>(m_nCount - index));
    return true;
}

LPVOID CStdPtrArray::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    return m_ppVoid[index];
}

} // namespace SkinUI
