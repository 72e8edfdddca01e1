#pragma once
// Shared plumbing of the objects the updater hands to the archive library: the reference
// count, the error conversion and a small owning pointer for COM references.

#include <windows.h>

#include <new>
#include <utility>

// The library's decoders may call our streams and callbacks from their own threads, so the
// count must be interlocked. Concrete classes are final and delete themselves at zero.
class CMyUnknownImp {
protected:
    CMyUnknownImp() = default;
    CMyUnknownImp(const CMyUnknownImp&) = delete;
    CMyUnknownImp& operator=(const CMyUnknownImp&) = delete;

    ULONG AddRefImp() { return static_cast<ULONG>(InterlockedIncrement(&m_refCount)); }
    ULONG ReleaseImp() { return static_cast<ULONG>(InterlockedDecrement(&m_refCount)); }

private:
    LONG volatile m_refCount = 0;
};

// A platform error code becomes a failure HRESULT. Zero means the platform gave no reason,
// which must still read as a failure; a value that already is an HRESULT stays as it is.
inline HRESULT HResultFromError(DWORD error)
{
    const LONG value = static_cast<LONG>(error);
    if (value > 0) return static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
    if (value < 0) return static_cast<HRESULT>(value);
    return E_FAIL;
}

inline HRESULT HResultFromLastError()
{
    return HResultFromError(GetLastError());
}

// Exceptions must never unwind into the library's frames: every method body runs inside
// this guard.
template <typename F>
HRESULT GuardComCall(F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Holds one reference; releases it on every path.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* p) : m_p(p)
    {
        if (m_p) m_p->AddRef();
    }
    ComRef(const ComRef& other) : ComRef(other.m_p) {}
    ComRef(ComRef&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~ComRef() { Reset(); }
    ComRef& operator=(ComRef other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }

    void Reset()
    {
        if (m_p) {
            T* p = m_p;
            m_p = nullptr;
            p->Release();
        }
    }
    // For out-parameters that hand over a reference already taken.
    T** Receive()
    {
        Reset();
        return &m_p;
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
