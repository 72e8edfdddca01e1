#include <windows.h>
#include "controls/ActiveXFrameWnd.h"
#include "controls/ActiveXCtrl.h"
#include "controls/ActiveXUI.h"

namespace SkinUI {

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXCtrl* pSite) : m_dwRef(1), m_pSite(pSite), m_pActiveObject(NULL)
{
    if (m_pSite != NULL) m_pSite->AddRef();
}

CActiveXFrameWnd::~CActiveXFrameWnd()
{
    if (m_pActiveObject != NULL) m_pActiveObject->Release();
    if (m_pSite != NULL) m_pSite->Release();
}

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame)
        *ppvObject = static_cast<IOleInPlaceFrame*>(this);
    if (*ppvObject == NULL) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef()
{
    return static_cast<ULONG>(++m_dwRef);
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release()
{
    const LONG lRef = --m_dwRef;
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* phwnd)
{
    if (phwnd == NULL) return E_POINTER;
    *phwnd = NULL;
    CActiveXUI* pOwner = m_pSite != NULL ? m_pSite->GetOwner() : NULL;
    if (pOwner == NULL || pOwner->GetManager() == NULL) return E_UNEXPECTED;
    *phwnd = pOwner->GetManager()->GetPaintWindow();
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(BOOL /*fEnterMode*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT /*lprectBorder*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS /*pborderwidths*/)
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS /*pborderwidths*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR /*pszObjName*/)
{
    // The new one is referenced before the old one goes: they may be the same object.
    if (pActiveObject != NULL) pActiveObject->AddRef();
    if (m_pActiveObject != NULL) m_pActiveObject->Release();
    m_pActiveObject = pActiveObject;
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU /*hmenuShared*/, LPOLEMENUGROUPWIDTHS /*lpMenuWidths*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU /*hmenuShared*/, HOLEMENU /*holemenu*/, HWND /*hwndActiveObject*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU /*hmenuShared*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR /*pszStatusText*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::EnableModeless(BOOL /*fEnable*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG /*lpmsg*/, WORD /*wID*/)
{
    return S_FALSE;
}

} // namespace SkinUI
