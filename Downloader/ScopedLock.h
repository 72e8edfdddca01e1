#pragma once
#include <windows.h>

// Holds a critical section for the life of the object, or until Release.
class ScopedLock {
public:
    explicit ScopedLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~ScopedLock() { Release(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
    void Release()
    {
        if (m_held) LeaveCriticalSection(&m_cs);
        m_held = false;
    }

private:
    CRITICAL_SECTION& m_cs;
    bool m_held = true;
};
