#pragma once
#include "core/SkinDefs.h"
#include "core/StdPtrArray.h"
#include <stddef.h>

namespace SkinUI {

// A callable bound to a target that takes one untyped pointer and returns bool.
// Member function pointers are wider than a data pointer (two words with g++) and may carry
// a this-adjustment, so the concrete delegate keeps its target typed; the base keeps only a
// byte copy of it, which is all that comparing two delegates needs.
class SKINUI_API CDelegateBase {
public:
    enum { MAX_FN_SIZE = 2 * sizeof(void*) };

    CDelegateBase(void* pObject, const void* pFn, size_t nFnSize);
    CDelegateBase(const CDelegateBase& rhs);
    virtual ~CDelegateBase();
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;

    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param);

protected:
    void* GetObjectW() const;
    // The target's bytes, GetFnSize() of them.
    const void* GetFn() const;
    size_t GetFnSize() const;

private:
    CDelegateBase& operator=(const CDelegateBase&) = delete;

    void* m_pObject;
    unsigned char m_aFn[MAX_FN_SIZE];
    size_t m_nFnSize;
};

class SKINUI_API CDelegateStatic : public CDelegateBase {
public:
    typedef bool (*Fn)(void*);

    CDelegateStatic(Fn pFn);
    CDelegateStatic(const CDelegateStatic& rhs);
    CDelegateBase* Copy() const override;
    bool Invoke(void* param) override;

private:
    Fn m_pFn;
};

// Binds an object of class O and a member function of T (O is T or derives from it).
template <class O, class T>
class CDelegate : public CDelegateBase {
    typedef bool (T::*Fn)(void*);
    static_assert(sizeof(Fn) <= CDelegateBase::MAX_FN_SIZE, "member pointer does not fit");

public:
    CDelegate(O* pObj, Fn pFn) : CDelegateBase(static_cast<void*>(pObj), &pFn, sizeof(pFn)), m_pObj(pObj), m_pFn(pFn) {}
    CDelegate(const CDelegate& rhs) : CDelegateBase(rhs), m_pObj(rhs.m_pObj), m_pFn(rhs.m_pFn) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* param) override
    {
        T* pTarget = m_pObj;
        return (pTarget->*m_pFn)(param);
    }

private:
    O* m_pObj;
    Fn m_pFn;
};

// Ordered list of delegates, called in turn until one returns false. The source owns
// copies of the delegates it was given. A call runs every delegate present when it started
// and not removed meanwhile, each once, and those added during the call after them.
class SKINUI_API CEventSource {
public:
    typedef bool (*FnType)(void*);

    CEventSource();
    CEventSource(const CEventSource& src);
    CEventSource& operator=(const CEventSource& src);
    ~CEventSource();

    operator bool() const;
    void operator+=(const CDelegateBase& d);
    void operator+=(FnType pFn);
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);
    bool operator()(void* param);

protected:
    CStdPtrArray m_aDelegates;

private:
    // One per running call (calls nest when a handler fires the same source again): the
    // delegates that have run, and whether a handler destroyed the source itself.
    struct TCallFrame;

    int IndexOf(const CDelegateBase& d) const;
    void RemoveAt(int iIndex);
    void Clear();

    TCallFrame* m_pCalls;
    // Removed while a call runs: deleted when the outermost call ends.
    CStdPtrArray m_aRemoved;
};

} // namespace SkinUI
