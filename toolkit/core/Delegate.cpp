#include "core/Delegate.h"
#include <string.h>

namespace SkinUI {

CDelegateBase::CDelegateBase(void* pObject, const void* pFn, size_t nFnSize)
    : m_pObject(pObject), m_nFnSize(nFnSize < sizeof(m_aFn) ? nFnSize : sizeof(m_aFn))
{
    memset(m_aFn, 0, sizeof(m_aFn));
    if (pFn != NULL) memcpy(m_aFn, pFn, m_nFnSize);
}

CDelegateBase::CDelegateBase(const CDelegateBase& rhs) : m_pObject(rhs.m_pObject), m_nFnSize(rhs.m_nFnSize)
{
    memcpy(m_aFn, rhs.m_aFn, sizeof(m_aFn));
}

CDelegateBase::~CDelegateBase() {}

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    return m_pObject == rhs.m_pObject && m_nFnSize == rhs.m_nFnSize && memcmp(m_aFn, rhs.m_aFn, m_nFnSize) == 0;
}

bool CDelegateBase::operator()(void* param)
{
    return Invoke(param);
}

void* CDelegateBase::GetObjectW() const
{
    return m_pObject;
}

const void* CDelegateBase::GetFn() const
{
    return m_aFn;
}

size_t CDelegateBase::GetFnSize() const
{
    return m_nFnSize;
}

CDelegateStatic::CDelegateStatic(Fn pFn) : CDelegateBase(NULL, &pFn, sizeof(pFn)), m_pFn(pFn) {}

CDelegateStatic::CDelegateStatic(const CDelegateStatic& rhs) : CDelegateBase(rhs), m_pFn(rhs.m_pFn) {}

CDelegateBase* CDelegateStatic::Copy() const
{
    return new CDelegateStatic(*this);
}

bool CDelegateStatic::Invoke(void* param)
{
    return m_pFn != NULL ? m_pFn(param) : true;
}

struct CEventSource::TCallFrame {
    CStdPtrArray ran;
    TCallFrame* prev;
    bool destroyed;
};

CEventSource::CEventSource() : m_pCalls(NULL) {}

CEventSource::CEventSource(const CEventSource& src) : m_pCalls(NULL)
{
    *this = src;
}

CEventSource& CEventSource::operator=(const CEventSource& src)
{
    if (this == &src) return *this;
    Clear();
    for (int i = 0; i < src.m_aDelegates.GetSize(); i++) {
        const CDelegateBase* p = static_cast<const CDelegateBase*>(src.m_aDelegates.GetAt(i));
        if (p != NULL) *this += *p;
    }
    return *this;
}

CEventSource::~CEventSource()
{
    // A handler destroying the object that holds this source: the running calls must stop
    // touching it.
    for (TCallFrame* pFrame = m_pCalls; pFrame != NULL; pFrame = pFrame->prev) pFrame->destroyed = true;
    m_pCalls = NULL;
    Clear();
    for (int i = 0; i < m_aRemoved.GetSize(); i++) delete static_cast<CDelegateBase*>(m_aRemoved.GetAt(i));
    m_aRemoved.Empty();
}

void CEventSource::RemoveAt(int iIndex)
{
    CDelegateBase* p = static_cast<CDelegateBase*>(m_aDelegates.GetAt(iIndex));
    // Off the list before it is deleted, in case its destructor reaches back here.
    m_aDelegates.Remove(iIndex);
    if (m_pCalls == NULL) {
        delete p;
        return;
    }
    // It may be the very delegate running now, and the running calls remember it by its
    // address: it lives on until the outermost call has ended.
    if (!m_aRemoved.Add(p)) delete p;
}

void CEventSource::Clear()
{
    while (m_aDelegates.GetSize() > 0) RemoveAt(m_aDelegates.GetSize() - 1);
}

int CEventSource::IndexOf(const CDelegateBase& d) const
{
    for (int i = 0; i < m_aDelegates.GetSize(); i++) {
        const CDelegateBase* p = static_cast<const CDelegateBase*>(m_aDelegates.GetAt(i));
        if (p != NULL && p->Equals(d)) return i;
    }
    return -1;
}

CEventSource::operator bool() const
{
    return m_aDelegates.GetSize() > 0;
}

void CEventSource::operator+=(const CDelegateBase& d)
{
    if (IndexOf(d) >= 0) return;
    CDelegateBase* pCopy = d.Copy();
    if (!m_aDelegates.Add(pCopy)) delete pCopy;
}

void CEventSource::operator+=(FnType pFn)
{
    if (pFn == NULL) return;
    *this += CDelegateStatic(pFn);
}

void CEventSource::operator-=(const CDelegateBase& d)
{
    const int i = IndexOf(d);
    if (i >= 0) RemoveAt(i);
}

void CEventSource::operator-=(FnType pFn)
{
    if (pFn == NULL) return;
    *this -= CDelegateStatic(pFn);
}

bool CEventSource::operator()(void* param)
{
    TCallFrame frame;
    frame.prev = m_pCalls;
    frame.destroyed = false;
    m_pCalls = &frame;
    bool bResult = true;
    // The next delegate is the first in the live list that has not run in this call, so a
    // handler removing itself or another one makes no later one lose its turn.
    for (;;) {
        CDelegateBase* pNext = NULL;
        for (int i = 0; i < m_aDelegates.GetSize(); i++) {
            CDelegateBase* p = static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
            if (p != NULL && frame.ran.Find(p) < 0) {
                pNext = p;
                break;
            }
        }
        if (pNext == NULL || !frame.ran.Add(pNext)) break;
        const bool bAnswer = (*pNext)(param);
        if (frame.destroyed) return bAnswer;
        if (!bAnswer) {
            bResult = false;
            break;
        }
    }
    m_pCalls = frame.prev;
    if (m_pCalls == NULL) {
        for (int i = 0; i < m_aRemoved.GetSize(); i++) delete static_cast<CDelegateBase*>(m_aRemoved.GetAt(i));
        m_aRemoved.Empty();
    }
    return bResult;
}

} // namespace SkinUI
