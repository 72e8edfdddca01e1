#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// A set of addresses in one flat table (open addressing, linear probing, at most half
// full): no allocation per entry and mostly a single probe, for membership tests that
// run once per child added to a container of thousands. It never owns what it holds.
class SKINUI_API CPointerSet {
public:
    CPointerSet();
    ~CPointerSet();
    CPointerSet(const CPointerSet&) = delete;
    CPointerSet& operator=(const CPointerSet&) = delete;

    bool Contains(const void* p) const;
    // False when p is null, already held, or the table could not grow.
    bool Insert(const void* p);
    // False when p was not held.
    bool Erase(const void* p);
    void Clear();
    int GetSize() const;

private:
    int SlotOf(const void* p) const;
    bool Grow();

    const void** m_pSlots; // null marks a free slot
    int m_nCapacity;       // 0 or a power of two
    int m_nCount;
};

} // namespace SkinUI
