#include "SkinUI/core/StdStringPtrMap.h"

#include <cassert>
#include <cstdlib>
#include <cwchar>

namespace SkinUI {

namespace {

// Takes the characters from the last to the first: h = h * 33 + ch.
UINT HashKey(LPCWSTR key)
{
    UINT h = 0;
    for (size_t i = wcslen(key); i > 0; --i)
        h = (h << 5) + h + static_cast<UINT>(key[i - 1]);
    return h;
}

} // namespace

CStdStringPtrMap::CStdStringPtrMap(int nSize) : m_aT(nullptr), m_nBuckets(0), m_nCount(0)
{
    if (nSize < kMinBuckets)
        nSize = kMinBuckets;
    Resize(nSize);
}

CStdStringPtrMap::~CStdStringPtrMap()
{
    FreeNodes();
    free(m_aT);
}

void CStdStringPtrMap::FreeNodes()
{
    for (int i = 0; i < m_nBuckets; ++i) {
        TITEM* item = m_aT[i];
        while (item) {
            TITEM* next = item->pNext;
            delete item;
            item = next;
        }
        m_aT[i] = nullptr;
    }
    m_nCount = 0;
}

void CStdStringPtrMap::Resize(int nSize)
{
    FreeNodes();
    free(m_aT);
    m_aT = nullptr;
    m_nBuckets = 0;
    if (nSize <= 0)
        return;
    m_aT = static_cast<TITEM**>(calloc(static_cast<size_t>(nSize), sizeof(TITEM*)));
    if (m_aT)
        m_nBuckets = nSize;
}

UINT CStdStringPtrMap::BucketOf(LPCWSTR key) const
{
    assert(m_nBuckets > 0);
    return HashKey(key) % static_cast<UINT>(m_nBuckets);
}

LPVOID CStdStringPtrMap::Find(LPCWSTR key, bool optimize) const
{
    if (m_nBuckets == 0 || m_nCount == 0 || !key)
        return nullptr;
    UINT slot = BucketOf(key);
    for (TITEM* item = m_aT[slot]; item; item = item->pNext) {
        if (item->Key == key) {
            if (optimize && item != m_aT[slot]) {
                // Move to the front of the chain.
                item->pPrev->pNext = item->pNext;
                if (item->pNext)
                    item->pNext->pPrev = item->pPrev;
                item->pPrev = nullptr;
                item->pNext = m_aT[slot];
                m_aT[slot]->pPrev = item;
                m_aT[slot] = item;
            }
            return item->Data;
        }
    }
    return nullptr;
}

bool CStdStringPtrMap::Insert(LPCWSTR key, LPVOID pData)
{
    if (m_nBuckets == 0 || !key)
        return false;
    if (Find(key))
        return false;
    // Find answers null also for a key stored with null data; look again
    // without moving anything before adding a second node for it.
    UINT slot = BucketOf(key);
    for (TITEM* item = m_aT[slot]; item; item = item->pNext) {
        if (item->Key == key)
            return false;
    }
    TITEM* item = new TITEM;
    item->Key = key;
    item->Data = pData;
    item->pPrev = nullptr;
    item->pNext = m_aT[slot];
    if (item->pNext)
        item->pNext->pPrev = item;
    m_aT[slot] = item;
    ++m_nCount;
    return true;
}

LPVOID CStdStringPtrMap::Set(LPCWSTR key, LPVOID pData)
{
    if (m_nBuckets == 0 || !key)
        return pData;
    if (m_nCount > 0) {
        UINT slot = BucketOf(key);
        for (TITEM* item = m_aT[slot]; item; item = item->pNext) {
            if (item->Key == key) {
                LPVOID old = item->Data;
                item->Data = pData;
                return old;
            }
        }
    }
    Insert(key, pData);
    return nullptr;
}

bool CStdStringPtrMap::Remove(LPCWSTR key)
{
    if (m_nBuckets == 0 || m_nCount == 0 || !key)
        return false;
    UINT slot = BucketOf(key);
    for (TITEM* item = m_aT[slot]; item; item = item->pNext) {
        if (item->Key == key) {
            if (item->pPrev)
                item->pPrev->pNext = item->pNext;
            else
                m_aT[slot] = item->pNext;
            if (item->pNext)
                item->pNext->pPrev = item->pPrev;
            delete item;
            --m_nCount;
            return true;
        }
    }
    return false;
}

void CStdStringPtrMap::RemoveAll()
{
    Resize(m_nBuckets);
}

LPCWSTR CStdStringPtrMap::GetAt(int index) const
{
    if (index < 0 || index >= m_nCount)
        return nullptr;
    int position = 0;
    for (int bucket = m_nBuckets - 1; bucket >= 0; --bucket) {
        for (TITEM* item = m_aT[bucket]; item; item = item->pNext) {
            if (position++ == index)
                return item->Key.GetData();
        }
    }
    return nullptr;
}

} // namespace SkinUI
