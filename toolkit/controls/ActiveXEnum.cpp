#include <windows.h>
#include "controls/ActiveXEnum.h"

namespace SkinUI {

CActiveXEnum::CActiveXEnum(IUnknown* pUnk) : m_iPos(0), m_dwRef(1), m_pUnk(pUnk)
{
    if (m_pUnk != NULL) m_pUnk->AddRef();
}

CActiveXEnum::~CActiveXEnum()
{
    if (m_pUnk != NULL) m_pUnk->Release();
}

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IEnumUnknown) *ppvObject = static_cast<IEnumUnknown*>(this);
    if (*ppvObject == NULL) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef()
{
    return static_cast<ULONG>(++m_dwRef);
}

STDMETHODIMP_(ULONG) CActiveXEnum::Release()
{
    const LONG lRef = --m_dwRef;
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

STDMETHODIMP CActiveXEnum::Next(ULONG /*celt*/, IUnknown** rgelt, ULONG* pceltFetched)
{
    // The one object is handed out on the first call of a pass only; the requested count
    // does not matter with a single object.
    if (pceltFetched != NULL) *pceltFetched = 0;
    if (++m_iPos > 1 || m_pUnk == NULL) return S_FALSE;
    if (rgelt == NULL) return E_POINTER;
    *rgelt = m_pUnk;
    m_pUnk->AddRef();
    if (pceltFetched != NULL) *pceltFetched = 1;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG celt)
{
    m_iPos += celt;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset()
{
    m_iPos = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown** /*ppenum*/)
{
    return E_NOTIMPL;
}

} // namespace SkinUI
