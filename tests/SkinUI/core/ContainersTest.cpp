// The pointer array, the record array and the string map: growth, checked
// bounds, bucket order, move-to-front and removal while enumerating.
#include "SkinUI/core/StdPtrArray.h"
#include "SkinUI/core/StdStringPtrMap.h"
#include "SkinUI/core/StdValArray.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using SkinUI::CStdPtrArray;
using SkinUI::CStdStringPtrMap;
using SkinUI::CStdValArray;

namespace {

void* P(intptr_t n)
{
    return reinterpret_cast<void*>(n);
}

// The bucket a key lands in: h = h * 33 + ch over the characters from the
// last to the first.
unsigned BucketOf(const std::wstring& key, unsigned buckets)
{
    unsigned h = 0;
    for (auto it = key.rbegin(); it != key.rend(); ++it)
        h = h * 33 + static_cast<unsigned>(*it);
    return h % buckets;
}

// Two distinct keys that share a bucket of a map with the given size.
std::pair<std::wstring, std::wstring> CollidingKeys(unsigned buckets)
{
    std::wstring first = L"k0";
    for (int i = 1;; ++i) {
        std::wstring other = L"k" + std::to_wstring(i);
        if (BucketOf(other, buckets) == BucketOf(first, buckets))
            return {first, other};
    }
}

} // namespace

TEST(StdPtrArray, GrowsBy11ThenDoubles)
{
    CStdPtrArray a;
    EXPECT_TRUE(a.IsEmpty());
    for (intptr_t i = 1; i <= 50; ++i)
        ASSERT_TRUE(a.Add(P(i)));
    EXPECT_EQ(50, a.GetSize());
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(P(i + 1), a[i]);
    EXPECT_EQ(10, a.Find(P(11)));
    EXPECT_EQ(-1, a.Find(P(99)));
}

TEST(StdPtrArray, CheckedOperationsRefuseBadIndices)
{
    CStdPtrArray a;
    a.Add(P(1));
    a.Add(P(3));
    EXPECT_FALSE(a.InsertAt(3, P(9)));  // count + 1
    EXPECT_FALSE(a.InsertAt(-1, P(9)));
    EXPECT_TRUE(a.InsertAt(1, P(2)));
    EXPECT_TRUE(a.InsertAt(3, P(4)));   // count: an append
    EXPECT_FALSE(a.Remove(4));          // count
    EXPECT_FALSE(a.Remove(-1));
    EXPECT_FALSE(a.SetAt(4, P(9)));
    EXPECT_EQ(nullptr, a.GetAt(4));
    EXPECT_EQ(nullptr, a.GetAt(-1));
    ASSERT_EQ(4, a.GetSize());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(P(i + 1), a.GetAt(i));
    EXPECT_TRUE(a.Remove(0));
    EXPECT_EQ(P(2), a[0]);
    EXPECT_EQ(3, a.GetSize());
    CStdPtrArray copy(a);
    EXPECT_EQ(3, copy.GetSize());
    EXPECT_EQ(P(4), copy[2]);
    a.Resize(5);
    EXPECT_EQ(5, a.GetSize());
    EXPECT_EQ(nullptr, a[4]);
    EXPECT_TRUE(a.Add(P(7)));
    EXPECT_EQ(P(7), a[5]);
    a.Empty();
    EXPECT_EQ(0, a.GetSize());
    EXPECT_EQ(nullptr, a.GetData());
}

TEST(StdValArray, CopiesRecordsByteWise)
{
    struct Record {
        int a;
        double b;
    };
    CStdValArray v(sizeof(Record));
    for (int i = 0; i < 30; ++i) {
        Record r{i, i * 0.5};
        ASSERT_TRUE(v.Add(&r));
    }
    EXPECT_EQ(30, v.GetSize());
    EXPECT_EQ(29, static_cast<Record*>(v.GetAt(29))->a);
    EXPECT_EQ(nullptr, v.GetAt(30));
    EXPECT_TRUE(v.Remove(0));
    EXPECT_FALSE(v.Remove(29));
    EXPECT_EQ(1, static_cast<Record*>(v[0])->a);
    void* block = v.GetData();
    v.Empty();
    EXPECT_TRUE(v.IsEmpty());
    Record r{42, 1.0};
    v.Add(&r);
    EXPECT_EQ(block, v.GetData());  // the block is kept for reuse
    EXPECT_EQ(42, static_cast<Record*>(v.GetAt(0))->a);
}

TEST(StdStringPtrMap, InsertSetFindRemove)
{
    CStdStringPtrMap m;
    EXPECT_EQ(nullptr, m.Find(L"a"));
    EXPECT_TRUE(m.Insert(L"a", P(1)));
    EXPECT_FALSE(m.Insert(L"a", P(2)));
    EXPECT_EQ(P(1), m.Find(L"a"));
    EXPECT_EQ(P(1), m.Set(L"a", P(3)));
    EXPECT_EQ(P(3), m.Find(L"a"));
    EXPECT_EQ(nullptr, m.Set(L"b", P(4)));
    EXPECT_EQ(2, m.GetSize());
    EXPECT_TRUE(m.Insert(L"null", nullptr));
    EXPECT_FALSE(m.Insert(L"null", P(5)));  // present even though its data is null
    EXPECT_EQ(3, m.GetSize());
    EXPECT_TRUE(m.Remove(L"a"));
    EXPECT_FALSE(m.Remove(L"a"));
    EXPECT_EQ(nullptr, m.Find(L"a"));
    EXPECT_EQ(2, m.GetSize());
    m.RemoveAll();
    EXPECT_EQ(0, m.GetSize());
    EXPECT_TRUE(m.Insert(L"a", P(1)));
}

TEST(StdStringPtrMap, BucketCountsAndZeroBuckets)
{
    // Fewer than 16 buckets are raised to 16: keys that collide modulo 16
    // then share a chain and enumerate head first.
    CStdStringPtrMap m(5);
    auto keys = CollidingKeys(16);
    m.Insert(keys.first.c_str(), P(1));
    m.Insert(keys.second.c_str(), P(2));
    EXPECT_STREQ(keys.second.c_str(), m.GetAt(0));
    EXPECT_STREQ(keys.first.c_str(), m.GetAt(1));
    EXPECT_EQ(nullptr, m.GetAt(2));

    m.Resize(0);
    EXPECT_FALSE(m.Insert(L"a", P(1)));
    EXPECT_EQ(P(9), m.Set(L"a", P(9)));
    EXPECT_EQ(nullptr, m.Find(L"a"));
    m.Resize(-3);
    EXPECT_FALSE(m.Insert(L"a", P(1)));
}

TEST(StdStringPtrMap, EnumeratesBucketsFromTheLastAndMovesFoundKeysToTheFront)
{
    CStdStringPtrMap m;
    auto keys = CollidingKeys(83);
    m.Insert(keys.first.c_str(), P(1));
    m.Insert(keys.second.c_str(), P(2));
    // Insertion at the head: the second key leads its chain.
    int second = -1, first = -1;
    for (int i = 0; i < m.GetSize(); ++i) {
        if (keys.second == m[i])
            second = i;
        if (keys.first == m[i])
            first = i;
    }
    EXPECT_EQ(first, second + 1);
    EXPECT_EQ(P(1), m.Find(keys.first.c_str()));
    EXPECT_STREQ(keys.first.c_str(), m.GetAt(second));
    EXPECT_STREQ(keys.second.c_str(), m.GetAt(second + 1));
    // A look-up without optimising leaves the order alone.
    EXPECT_EQ(P(2), m.Find(keys.second.c_str(), false));
    EXPECT_STREQ(keys.first.c_str(), m.GetAt(second));

    // Bucket order: a key in a higher bucket comes before one in a lower.
    CStdStringPtrMap order;
    order.Insert(L"a", P(1));  // 97 % 83 = 14
    order.Insert(L"b", P(2));  // 98 % 83 = 15
    EXPECT_STREQ(L"b", order.GetAt(0));
    EXPECT_STREQ(L"a", order.GetAt(1));
}

TEST(StdStringPtrMap, RemovingWhileEnumeratingVisitsEveryKey)
{
    CStdStringPtrMap m;
    std::set<std::wstring> all;
    for (int i = 0; i < 500; ++i) {
        std::wstring key = L"control" + std::to_wstring(i);
        all.insert(key);
        m.Insert(key.c_str(), P(i + 1));
    }
    std::set<std::wstring> seen;
    // Remove every second key during the walk: the index stays put after a
    // removal because the next key moves into its place.
    int i = 0;
    bool drop = false;
    while (LPCWSTR key = m.GetAt(i)) {
        seen.insert(key);
        if (drop) {
            std::wstring copy = key;
            ASSERT_TRUE(m.Remove(copy.c_str()));
        } else {
            ++i;
        }
        drop = !drop;
    }
    EXPECT_EQ(all, seen);
    EXPECT_EQ(250, m.GetSize());
    m.Resize(83);
    EXPECT_EQ(0, m.GetSize());
    EXPECT_EQ(nullptr, m.Find(L"control0"));
}
