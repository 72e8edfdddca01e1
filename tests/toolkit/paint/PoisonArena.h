#pragma once
#include <windows.h>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

// Memory for objects whose use after deletion must fail at once: each object has pages of
// its own, and a deleted one is filled with 0xDD and its pages are never handed out again,
// so a stale virtual call or pointer read faults instead of finding the old values or a
// new object, and a write into a freed block shows as broken poison (PoisonIntact).
// PoisonRelease gives the memory of the blocks freed so far back to the system while their
// addresses stay reserved, so that any number of cases can run in one process.
namespace painttest {

inline void* PoisonArenaAlloc(size_t n)
{
    void* p = ::VirtualAlloc(NULL, n != 0 ? n : 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (p == NULL) throw std::bad_alloc();
    return p;
}

// The blocks freed since the last release, still readable and holding the poison.
inline std::vector<std::pair<unsigned char*, size_t>>& PoisonedBlocks()
{
    static std::vector<std::pair<unsigned char*, size_t>> blocks;
    return blocks;
}

inline void PoisonArenaFree(void* p, size_t n)
{
    if (p == NULL) return;
    std::memset(p, 0xDD, n);
    PoisonedBlocks().push_back(std::make_pair(static_cast<unsigned char*>(p), n));
}

// Whether every block freed since the last release still holds nothing but the poison.
inline bool PoisonIntact()
{
    for (const auto& block : PoisonedBlocks()) {
        for (size_t i = 0; i < block.second; ++i)
            if (block.first[i] != 0xDD) return false;
    }
    return true;
}

// How many objects were freed since the last release.
inline size_t PoisonFreedCount()
{
    return PoisonedBlocks().size();
}

// Decommits the freed blocks (check them first) and forgets them; a late use of one still
// faults, as nothing else is ever placed at its address.
inline void PoisonRelease()
{
    for (const auto& block : PoisonedBlocks()) ::VirtualFree(block.first, block.second, MEM_DECOMMIT);
    PoisonedBlocks().clear();
}

// A control (or any class with a virtual destructor) allocated from the arena.
template <class Base>
class Poisoned : public Base {
public:
    using Base::Base;
    static void* operator new(size_t n) { return PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { PoisonArenaFree(p, n); }
};

} // namespace painttest
