// A chained hash map from strings to untyped pointers. The map owns its
// nodes and their keys, never the data pointers. Look-ups move the found
// node to the head of its chain, so names that are asked for often stay
// cheap to find.
#pragma once

#include "SkinUI/core/SkinString.h"

#include <windows.h>

namespace SkinUI {

struct TITEM {
    CSkinString Key;
    LPVOID Data;
    TITEM* pPrev;
    TITEM* pNext;
};

class CStdStringPtrMap {
public:
    static constexpr int kDefaultBuckets = 83;
    static constexpr int kMinBuckets = 16;

    explicit CStdStringPtrMap(int nSize = kDefaultBuckets);
    ~CStdStringPtrMap();
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;

    // Frees every node and makes nSize empty buckets; with none the map
    // refuses every insertion.
    void Resize(int nSize = kDefaultBuckets);
    LPVOID Find(LPCWSTR key, bool optimize = true) const;
    bool Insert(LPCWSTR key, LPVOID pData);
    // Stores pData under key; returns the data it replaced, or null.
    LPVOID Set(LPCWSTR key, LPVOID pData);
    bool Remove(LPCWSTR key);
    void RemoveAll();
    int GetSize() const { return m_nCount; }
    // The key of the index-th entry, buckets from the last to the first and
    // each chain from its head; null past the end.
    LPCWSTR GetAt(int index) const;
    LPCWSTR operator[](int index) const { return GetAt(index); }

private:
    UINT BucketOf(LPCWSTR key) const;
    void FreeNodes();

    TITEM** m_aT;
    int m_nBuckets;
    int m_nCount;
};

} // namespace SkinUI
