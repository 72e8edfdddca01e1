#include "core/StdPtrArray.h"
#include "core/StdValArray.h"

#include <gtest/gtest.h>
#include <cstring>
#include <vector>

using SkinUI::CStdPtrArray;
using SkinUI::CStdValArray;

namespace {

// Reads the capacity, which the arrays keep to themselves.
struct PtrArray : CStdPtrArray {
    using CStdPtrArray::CStdPtrArray;
    int Capacity() const { return m_nAllocated; }
};

struct ValArray : CStdValArray {
    using CStdValArray::CStdValArray;
    int Capacity() const { return m_nAllocated; }
};

LPVOID P(INT_PTR n)
{
    return reinterpret_cast<LPVOID>(n);
}

std::vector<INT_PTR> Items(const CStdPtrArray& a)
{
    std::vector<INT_PTR> v;
    for (int i = 0; i < a.GetSize(); i++) v.push_back(reinterpret_cast<INT_PTR>(a.GetAt(i)));
    return v;
}

TEST(StdPtrArray, GrowsFrom0To11ThenDoubles)
{
    const struct {
        int adds, capacity;
    } cases[] = {
        { 0, 0 }, { 1, 11 }, { 10, 11 }, { 11, 22 }, { 21, 22 }, { 22, 44 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.adds);
        PtrArray a;
        for (int i = 0; i < c.adds; i++) ASSERT_TRUE(a.Add(P(i + 1)));
        EXPECT_EQ(c.capacity, a.Capacity());
        EXPECT_EQ(c.adds, a.GetSize());
        for (int i = 0; i < c.adds; i++) EXPECT_EQ(P(i + 1), a[i]);
    }
    PtrArray pre(5);
    EXPECT_EQ(5, pre.Capacity());
    EXPECT_TRUE(pre.IsEmpty());
    for (int i = 0; i < 5; i++) ASSERT_TRUE(pre.Add(P(i)));
    EXPECT_EQ(10, pre.Capacity());
}

TEST(StdPtrArray, InsertAt)
{
    const struct {
        int index;
        bool ok;
        std::vector<INT_PTR> expected;
    } cases[] = {
        { 0, true, { 9, 1, 2, 3 } }, { 1, true, { 1, 9, 2, 3 } }, { 3, true, { 1, 2, 3, 9 } },
        { 4, false, { 1, 2, 3 } },   { -1, false, { 1, 2, 3 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CStdPtrArray a;
        for (INT_PTR i = 1; i <= 3; i++) a.Add(P(i));
        EXPECT_EQ(c.ok, a.InsertAt(c.index, P(9)));
        EXPECT_EQ(c.expected, Items(a));
    }
    // Inserting into a full array grows it.
    PtrArray full;
    full.Resize(2);
    EXPECT_TRUE(full.InsertAt(0, P(7)));
    EXPECT_EQ((std::vector<INT_PTR>{ 7, 0, 0 }), Items(full));
}

TEST(StdPtrArray, RemoveSetAtGetAtFind)
{
    const struct {
        int index;
        bool ok;
        std::vector<INT_PTR> expected;
    } cases[] = {
        { 0, true, { 2, 3 } },     { 1, true, { 1, 3 } },      { 2, true, { 1, 2 } },
        { 3, false, { 1, 2, 3 } }, { -1, false, { 1, 2, 3 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CStdPtrArray a;
        for (INT_PTR i = 1; i <= 3; i++) a.Add(P(i));
        EXPECT_EQ(c.ok, a.Remove(c.index));
        EXPECT_EQ(c.expected, Items(a));
    }
    CStdPtrArray a;
    a.Add(P(1));
    a.Add(P(2));
    a.Add(P(2));
    EXPECT_EQ(1, a.Find(P(2)));
    EXPECT_EQ(-1, a.Find(P(5)));
    EXPECT_TRUE(a.SetAt(2, P(5)));
    EXPECT_FALSE(a.SetAt(3, P(5)));
    EXPECT_FALSE(a.SetAt(-1, P(5)));
    EXPECT_EQ(P(5), a.GetAt(2));
    EXPECT_EQ(nullptr, a.GetAt(3));
    EXPECT_EQ(nullptr, a.GetAt(-1));
    EXPECT_EQ(P(1), a.GetData()[0]);
}

TEST(StdPtrArray, ResizeEmptyAndCopies)
{
    PtrArray a;
    a.Add(P(1));
    a.Resize(5);
    EXPECT_EQ((std::vector<INT_PTR>{ 0, 0, 0, 0, 0 }), Items(a));
    EXPECT_EQ(5, a.Capacity());
    // The count now equals the capacity: the next add must grow first.
    EXPECT_TRUE(a.Add(P(6)));
    EXPECT_EQ(6, a.GetSize());
    EXPECT_EQ(P(6), a.GetAt(5));
    EXPECT_GT(a.Capacity(), a.GetSize());

    for (int n : { 0, -3 }) {
        SCOPED_TRACE(n);
        PtrArray b;
        b.Add(P(1));
        b.Resize(n);
        EXPECT_TRUE(b.IsEmpty());
        EXPECT_EQ(0, b.Capacity());
        EXPECT_TRUE(b.Add(P(2)));
        EXPECT_EQ(P(2), b.GetAt(0));
    }

    CStdPtrArray src;
    for (INT_PTR i = 1; i <= 30; i++) src.Add(P(i));
    CStdPtrArray copy(src);
    CStdPtrArray assigned;
    assigned.Add(P(99));
    assigned = src;
    src.SetAt(0, P(0));
    EXPECT_EQ(30, copy.GetSize());
    EXPECT_EQ(P(1), copy.GetAt(0));
    EXPECT_EQ(Items(copy), Items(assigned));

    src.Empty();
    EXPECT_TRUE(src.IsEmpty());
    EXPECT_EQ(nullptr, src.GetData());
}

// Inserts, removals and stores in runs at one place, moving forwards and backwards and
// jumping about, past every growth, against a vector doing the same; GetData's block and
// more changes after it.
TEST(StdPtrArray, ChangesAnywhereKeepTheOrderOfAVector)
{
    CStdPtrArray a;
    std::vector<INT_PTR> model;
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % n);
    };
    INT_PTR value = 1;
    int where = 0;
    for (int step = 0; step < 3000; step++) {
        SCOPED_TRACE(step);
        const int size = static_cast<int>(model.size());
        // Mostly at the last place or beside it, now and then anywhere.
        const int pick = next(10);
        if (pick == 0) where = next(static_cast<unsigned>(size + 1));
        if (pick == 1 && where > 0) where--;
        if (pick == 2) where++;
        if (where > size) where = size;
        const int op = next(size > 0 ? 7 : 3);
        if (op <= 2) {
            ASSERT_TRUE(a.InsertAt(where, P(value)));
            model.insert(model.begin() + where, value++);
            if (op == 0) where++;
        } else if (op <= 4 && where < size) {
            ASSERT_TRUE(a.Remove(where));
            model.erase(model.begin() + where);
        } else if (op == 5) {
            ASSERT_TRUE(a.Add(P(value)));
            model.push_back(value++);
        } else if (where < size) {
            ASSERT_TRUE(a.SetAt(where, P(value)));
            model[static_cast<size_t>(where)] = value++;
        }
        ASSERT_EQ(model, Items(a));
        ASSERT_EQ(static_cast<int>(model.size()), a.GetSize());
        if (!model.empty()) {
            const int probe = next(static_cast<unsigned>(model.size()));
            EXPECT_EQ(probe, a.Find(P(model[static_cast<size_t>(probe)])));
            EXPECT_EQ(P(model[static_cast<size_t>(probe)]), a[probe]);
        }
        EXPECT_EQ(-1, a.Find(P(value)));
        if (step % 700 == 699) {
            LPVOID* block = a.GetData();
            for (size_t i = 0; i < model.size(); i++) ASSERT_EQ(P(model[i]), block[i]);
        }
    }
    EXPECT_FALSE(a.Remove(a.GetSize()));
    EXPECT_FALSE(a.InsertAt(a.GetSize() + 1, P(1)));
    EXPECT_EQ(model, Items(CStdPtrArray(a)));
}

struct Value {
    int id;
    double weight;
    char tag[5];
};

TEST(StdValArray, CopiesValuesAndGrowsLikeThePointerArray)
{
    ValArray a(sizeof(Value));
    EXPECT_EQ(0, a.Capacity());
    for (int i = 0; i < 23; i++) {
        Value v = { i, i * 0.5, "abcd" };
        ASSERT_TRUE(a.Add(&v));
        v.id = -1; // the array holds its own copy
        if (i == 0) {
            EXPECT_EQ(11, a.Capacity());
        }
        if (i == 10) {
            EXPECT_EQ(22, a.Capacity());
        }
    }
    EXPECT_EQ(44, a.Capacity());
    ASSERT_EQ(23, a.GetSize());
    for (int i = 0; i < 23; i++) {
        const Value* v = static_cast<const Value*>(a.GetAt(i));
        ASSERT_NE(nullptr, v);
        EXPECT_EQ(i, v->id);
        EXPECT_EQ(i * 0.5, v->weight);
        EXPECT_STREQ("abcd", v->tag);
        EXPECT_EQ(v, a[i]);
    }
    EXPECT_EQ(nullptr, a.GetAt(23));
    EXPECT_EQ(nullptr, a.GetAt(-1));
}

TEST(StdValArray, RemoveEmptyAndCopies)
{
    const struct {
        int index;
        bool ok;
        std::vector<int> expected;
    } cases[] = {
        { 0, true, { 20, 30 } },      { 1, true, { 10, 30 } },       { 2, true, { 10, 20 } },
        { 3, false, { 10, 20, 30 } }, { -1, false, { 10, 20, 30 } },
    };
    auto ints = [](const CStdValArray& a) {
        std::vector<int> v;
        for (int i = 0; i < a.GetSize(); i++) v.push_back(*static_cast<const int*>(a.GetAt(i)));
        return v;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CStdValArray a(sizeof(int), 3);
        for (int v : { 10, 20, 30 }) a.Add(&v);
        EXPECT_EQ(c.ok, a.Remove(c.index));
        EXPECT_EQ(c.expected, ints(a));
    }

    ValArray a(sizeof(int));
    for (int v : { 1, 2, 3 }) a.Add(&v);
    CStdValArray copy(a);
    CStdValArray assigned(sizeof(char));
    assigned = a;
    *static_cast<int*>(a.GetAt(0)) = 100;
    EXPECT_EQ((std::vector<int>{ 1, 2, 3 }), ints(copy));
    EXPECT_EQ((std::vector<int>{ 1, 2, 3 }), ints(assigned));

    // Emptying keeps the storage for reuse.
    LPVOID data = a.GetData();
    a.Empty();
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(11, a.Capacity());
    int v = 5;
    a.Add(&v);
    EXPECT_EQ(data, a.GetData());
    EXPECT_EQ((std::vector<int>{ 5 }), ints(a));
}

// Adding one of the array's own elements at the moment it must grow: the element's old place
// is freed by the move. Elements of 64 KiB make the block large enough that the heap gives it
// pages of its own, which are unmapped when it moves, so a read from there cannot go unseen.
TEST(StdValArray, AddOfItsOwnElementWhileGrowing)
{
    const struct {
        int elementSize, source;
    } cases[] = {
        { 4, 0 }, { 4, 5 }, { 4, 9 }, { 0x10000, 0 }, { 0x10000, 9 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.elementSize << " bytes, element " << c.source);
        ValArray a(c.elementSize);
        std::vector<BYTE> element(c.elementSize);
        for (int i = 0; i < 10; i++) {
            for (int b = 0; b < c.elementSize; b++) element[b] = static_cast<BYTE>(i * 31 + b * 7);
            ASSERT_TRUE(a.Add(element.data()));
        }
        ASSERT_EQ(11, a.Capacity()); // the next add grows the block
        std::vector<BYTE> expected(static_cast<BYTE*>(a[c.source]), static_cast<BYTE*>(a[c.source]) + c.elementSize);
        ASSERT_TRUE(a.Add(a.GetAt(c.source)));
        EXPECT_EQ(22, a.Capacity());
        ASSERT_EQ(11, a.GetSize());
        EXPECT_EQ(0, memcmp(expected.data(), a.GetAt(10), c.elementSize));
        EXPECT_EQ(0, memcmp(expected.data(), a.GetAt(c.source), c.elementSize));
    }
}

} // namespace
