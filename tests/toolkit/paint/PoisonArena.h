#pragma once
#include <windows.h>
#include <cstring>
#include <new>

// Memory for objects whose use after deletion must fail at once: blocks come from an arena
// that is never given back, and a deleted block is filled with 0xDD, so a stale virtual call
// or pointer read faults instead of finding the old values or a reused block.
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

inline void PoisonArenaFree(void* p, size_t n)
{
    if (p != NULL) std::memset(p, 0xDD, n);
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
