#include <windows.h>
#include <stdint.h>
#include <stdlib.h>
#include "core/PointerSet.h"

namespace SkinUI {

namespace {

const int kFirstCapacity = 64;

// Addresses of heap objects differ mostly in their middle bits: a multiplicative hash
// spreads them, and the top bits of the product pick the slot.
size_t Mix(const void* p)
{
    uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> 32);
}

} // namespace

CPointerSet::CPointerSet() : m_pSlots(NULL), m_nCapacity(0), m_nCount(0) {}

CPointerSet::~CPointerSet()
{
    free(m_pSlots);
}

int CPointerSet::SlotOf(const void* p) const
{
    // The slot holding p, or the free slot where the probe for it ends.
    const int nMask = m_nCapacity - 1;
    int i = static_cast<int>(Mix(p) & static_cast<size_t>(nMask));
    while (m_pSlots[i] != NULL && m_pSlots[i] != p) i = (i + 1) & nMask;
    return i;
}

bool CPointerSet::Contains(const void* p) const
{
    if (p == NULL || m_nCount == 0) return false;
    return m_pSlots[SlotOf(p)] == p;
}

bool CPointerSet::Grow()
{
    if (m_nCapacity > (1 << 28)) return false;
    const int nCapacity = m_nCapacity == 0 ? kFirstCapacity : m_nCapacity * 2;
    const void** pSlots = static_cast<const void**>(calloc(static_cast<size_t>(nCapacity), sizeof(void*)));
    if (pSlots == NULL) return false;
    const void** pOld = m_pSlots;
    const int nOld = m_nCapacity;
    m_pSlots = pSlots;
    m_nCapacity = nCapacity;
    for (int i = 0; i < nOld; i++) {
        if (pOld[i] != NULL) m_pSlots[SlotOf(pOld[i])] = pOld[i];
    }
    free(pOld);
    return true;
}

bool CPointerSet::Insert(const void* p)
{
    if (p == NULL || Contains(p)) return false;
    if ((m_nCount + 1) * 2 > m_nCapacity && !Grow()) return false;
    m_pSlots[SlotOf(p)] = p;
    m_nCount++;
    return true;
}

bool CPointerSet::Erase(const void* p)
{
    if (!Contains(p)) return false;
    // Backward shift: the entries after the freed slot that probed past it move up, so
    // every probe still meets its entry before a free slot.
    const int nMask = m_nCapacity - 1;
    int iFree = SlotOf(p);
    m_pSlots[iFree] = NULL;
    m_nCount--;
    for (int i = (iFree + 1) & nMask; m_pSlots[i] != NULL; i = (i + 1) & nMask) {
        const int iHome = static_cast<int>(Mix(m_pSlots[i]) & static_cast<size_t>(nMask));
        // Moves when its home lies cyclically outside (iFree, i].
        const bool bPastFree = iFree <= i ? (iHome <= iFree || iHome > i) : (iHome <= iFree && iHome > i);
        if (bPastFree) {
            m_pSlots[iFree] = m_pSlots[i];
            m_pSlots[i] = NULL;
            iFree = i;
        }
    }
    return true;
}

void CPointerSet::Clear()
{
    free(m_pSlots);
    m_pSlots = NULL;
    m_nCapacity = 0;
    m_nCount = 0;
}

int CPointerSet::GetSize() const
{
    return m_nCount;
}

} // namespace SkinUI
