#include "core/PointerSet.h"

#include <gtest/gtest.h>
#include <set>
#include <stdint.h>

using SkinUI::CPointerSet;

namespace {

const void* P(uintptr_t n)
{
    return reinterpret_cast<const void*>(n);
}

// Against a plain set: addresses packed closely (as heap objects are) and spread widely, so
// that probes run long, wrap around the table's end and are cut by removals in between.
TEST(PointerSetTest, MatchesAPlainSetThroughGrowthAndRemovals)
{
    struct Case {
        const char* what;
        uintptr_t base, stride;
    } cases[] = {
        { "packed", 0x10000, 8 },
        { "page apart", 0x400000, 0x1000 },
        { "odd stride", 0x123450, 0x58 },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        CPointerSet set;
        std::set<const void*> model;
        unsigned seed = 7;
        for (int step = 0; step < 20000; step++) {
            seed = seed * 1103515245u + 12345u;
            const void* p = P(k.base + k.stride * ((seed >> 8) % 3000));
            // Mostly inserts for the first half, mostly removals for the second.
            const bool insert = ((seed >> 4) % 4 != 0) == (step < 10000);
            if (insert) {
                EXPECT_EQ(model.insert(p).second, set.Insert(p));
            } else {
                EXPECT_EQ(model.erase(p) == 1, set.Erase(p));
            }
            ASSERT_EQ(static_cast<int>(model.size()), set.GetSize()) << "step " << step;
            if (step % 997 == 0) {
                for (uintptr_t i = 0; i < 3000; i++) {
                    const void* q = P(k.base + k.stride * i);
                    ASSERT_EQ(model.count(q) == 1, set.Contains(q)) << "step " << step << ", item " << i;
                }
            }
        }
        set.Clear();
        EXPECT_EQ(0, set.GetSize());
        EXPECT_FALSE(set.Contains(P(k.base)));
    }
    CPointerSet set;
    EXPECT_FALSE(set.Insert(nullptr));
    EXPECT_FALSE(set.Contains(nullptr));
    EXPECT_FALSE(set.Erase(P(8)));
}

} // namespace
