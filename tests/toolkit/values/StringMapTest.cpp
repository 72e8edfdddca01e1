#include "core/StdStringPtrMap.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using SkinUI::CStdStringPtrMap;

namespace {

struct Map : CStdStringPtrMap {
    using CStdStringPtrMap::CStdStringPtrMap;
    int Buckets() const { return m_nBuckets; }
};

LPVOID P(INT_PTR n)
{
    return reinterpret_cast<LPVOID>(n);
}

// Keys in the order GetAt walks them.
std::vector<std::wstring> Keys(const CStdStringPtrMap& m)
{
    std::vector<std::wstring> keys;
    for (int i = 0; i < m.GetSize(); i++) keys.push_back(m.GetAt(i));
    return keys;
}

// With 16 buckets these three keys share bucket 1 (97, 113 and 129 modulo 16).
const LPCWSTR kA = L"a", kQ = L"q", kX = L"\x0081";

TEST(StdStringPtrMap, BucketCounts)
{
    const struct {
        int requested, buckets;
    } cases[] = {
        { 5, 16 },
        { -1, 16 },
        { 16, 16 },
        { 100, 100 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested);
        EXPECT_EQ(c.buckets, Map(c.requested).Buckets());
    }
    Map m;
    EXPECT_EQ(83, m.Buckets());
    m.Resize(5);
    EXPECT_EQ(5, m.Buckets());
    m.Insert(L"k", P(1));
    m.RemoveAll();
    EXPECT_EQ(5, m.Buckets());
    EXPECT_EQ(0, m.GetSize());
    EXPECT_EQ(nullptr, m.Find(L"k"));
}

TEST(StdStringPtrMap, WithoutBucketsNothingIsStored)
{
    for (int n : { 0, -4 }) {
        SCOPED_TRACE(n);
        Map m;
        m.Insert(L"k", P(1));
        m.Resize(n);
        EXPECT_EQ(0, m.Buckets());
        EXPECT_FALSE(m.Remove(L"k"));
        EXPECT_FALSE(m.Insert(L"k", P(2)));
        EXPECT_EQ(P(3), m.Set(L"k", P(3)));
        EXPECT_EQ(nullptr, m.Find(L"k"));
        EXPECT_EQ(nullptr, m.GetAt(0));
        EXPECT_EQ(0, m.GetSize());
    }
}

TEST(StdStringPtrMap, InsertFindSetRemove)
{
    CStdStringPtrMap m;
    EXPECT_TRUE(m.Insert(L"one", P(1)));
    EXPECT_TRUE(m.Insert(L"two", P(2)));
    EXPECT_FALSE(m.Insert(L"one", P(9)));
    EXPECT_EQ(P(1), m.Find(L"one"));
    EXPECT_EQ(nullptr, m.Find(L"One"));
    EXPECT_EQ(nullptr, m.Find(nullptr));
    EXPECT_EQ(P(2), m.Set(L"two", P(22)));
    EXPECT_EQ(P(22), m.Find(L"two"));
    EXPECT_EQ(nullptr, m.Set(L"three", P(3)));
    EXPECT_EQ(P(3), m.Find(L"three"));
    EXPECT_EQ(3, m.GetSize());
    EXPECT_TRUE(m.Remove(L"one"));
    EXPECT_FALSE(m.Remove(L"one"));
    EXPECT_EQ(nullptr, m.Find(L"one"));
    EXPECT_EQ(2, m.GetSize());

    // A key held with null data is still present: it is never stored twice.
    EXPECT_TRUE(m.Insert(L"null", nullptr));
    EXPECT_FALSE(m.Insert(L"null", P(5)));
    EXPECT_EQ(3, m.GetSize());
    EXPECT_EQ(nullptr, m.Set(L"null", P(6)));
    EXPECT_EQ(P(6), m.Find(L"null"));
    EXPECT_EQ(3, m.GetSize());

    const std::wstring longKey(300, L'k');
    EXPECT_TRUE(m.Insert(longKey.c_str(), P(7)));
    EXPECT_EQ(P(7), m.Find(longKey.c_str()));
}

TEST(StdStringPtrMap, HashRunsFromTheLastCharacter)
{
    // With 83 buckets "ab" hashes to 11 from the end (40 for "(" lies above it); hashing
    // from the front would put it in bucket 62.
    Map m;
    m.Insert(L"ab", P(1));
    m.Insert(L"(", P(2));
    EXPECT_EQ((std::vector<std::wstring>{ L"(", L"ab" }), Keys(m));
    EXPECT_EQ(nullptr, m.GetAt(2));
    EXPECT_EQ(nullptr, m.GetAt(-1));
    EXPECT_STREQ(L"(", m[0]);
}

TEST(StdStringPtrMap, HitsMoveToTheFrontOfTheirBucket)
{
    Map m(5);
    ASSERT_EQ(16, m.Buckets());
    m.Insert(kA, P(1));
    m.Insert(kQ, P(2));
    m.Insert(L"b", P(3)); // bucket 2, walked first
    EXPECT_EQ((std::vector<std::wstring>{ L"b", kQ, kA }), Keys(m));

    EXPECT_EQ(P(1), m.Find(kA, false));
    EXPECT_EQ((std::vector<std::wstring>{ L"b", kQ, kA }), Keys(m));
    EXPECT_EQ(P(1), m.Find(kA));
    EXPECT_EQ((std::vector<std::wstring>{ L"b", kA, kQ }), Keys(m));
    EXPECT_EQ(P(1), m.Find(kA));
    EXPECT_EQ((std::vector<std::wstring>{ L"b", kA, kQ }), Keys(m));
}

TEST(StdStringPtrMap, RemoveKeepsTheBucketChainIntact)
{
    const LPCWSTR keys[] = { kA, kQ, kX }; // bucket order after inserting: X, Q, A
    for (LPCWSTR gone : keys) {
        SCOPED_TRACE(static_cast<int>(gone[0]));
        CStdStringPtrMap m(16);
        for (INT_PTR i = 0; i < 3; i++) m.Insert(keys[i], P(i + 1));
        EXPECT_TRUE(m.Remove(gone));
        std::vector<std::wstring> expected;
        for (LPCWSTR k : { kX, kQ, kA })
            if (k != gone) expected.push_back(k);
        EXPECT_EQ(expected, Keys(m));
        for (INT_PTR i = 0; i < 3; i++) {
            // Look-ups with move-to-front walk the relinked chain in both directions.
            EXPECT_EQ(keys[i] == gone ? nullptr : P(i + 1), m.Find(keys[i]));
        }
        EXPECT_TRUE(m.Insert(gone, P(9)));
        EXPECT_EQ(P(9), m.Find(gone));
        EXPECT_EQ(3, m.GetSize());
    }
}

} // namespace
