#pragma once
#include <windows.h>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

// Memory for objects whose use after deletion must fail at once: blocks come from an arena
// that is never given back, and a deleted block is filled with 0xDD, so a stale virtual call
// or pointer read faults instead of finding the old values or a reused block, and a write
// into a freed block shows as broken poison (PoisonIntact).
namespace painttest {

inline void* PoisonArenaAlloc(size_t n)
{
    const size_t kArena = 4 << 20;
    static unsigned char* arena =
        static_cast<unsigned char*>(::VirtualAlloc(NULL, kArena, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    static size_t used = 0;
    n = (n + 15) & ~static_cast<size_t>(15);
    if (arena == NULL || used + n > kArena) throw std::bad_alloc();
    void* p = arena + used;
    used += n;
    return p;
}

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

// Whether every block freed so far still holds nothing but the poison.
inline bool PoisonIntact()
{
    for (const auto& block : PoisonedBlocks()) {
        for (size_t i = 0; i < block.second; ++i)
            if (block.first[i] != 0xDD) return false;
    }
    return true;
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
