#include <windows.h>
#include <new>
#include <ole2.h>
#include <ocidl.h>
#include "controls/ActiveXCtrl.h"
#include "controls/ActiveXEnum.h"
#include "controls/ActiveXFrameWnd.h"
#include "controls/ActiveXUI.h"
#include "controls/ActiveXWnd.h"
#include "core/PaintManager.h"

namespace SkinUI {

CActiveXCtrl::CActiveXCtrl()
    : m_dwRef(1), m_pOwner(NULL), m_pWindow(NULL), m_pUnkSite(NULL), m_pViewObject(NULL), m_pInPlaceObject(NULL),
      m_bLocked(false), m_bFocused(false), m_bCaptured(false), m_bUIActivated(false), m_bInPlaceActive(false),
      m_bWindowless(true), m_bViewObjectEx(false), m_pLockedObject(NULL), m_hAccel(NULL)
{
}

CActiveXCtrl::~CActiveXCtrl()
{
    UnlockRunning();
    DestroyActiveXWnd();
    if (m_pUnkSite != NULL) m_pUnkSite->Release();
    if (m_pViewObject != NULL) m_pViewObject->Release();
    if (m_pInPlaceObject != NULL) m_pInPlaceObject->Release();
    if (m_hAccel != NULL) ::DestroyAcceleratorTable(m_hAccel);
}

void CActiveXCtrl::Detach()
{
    // 1. The window goes first: its messages ask the site for the object.
    DestroyActiveXWnd();
    // 2. The object's interfaces: held here, they would keep the object (and through it this
    //    site) alive in a cycle once the owner has let go of both.
    if (m_pViewObject != NULL) m_pViewObject->Release();
    m_pViewObject = NULL;
    m_bViewObjectEx = false;
    if (m_pInPlaceObject != NULL) m_pInPlaceObject->Release();
    m_pInPlaceObject = NULL;
    if (m_pUnkSite != NULL) m_pUnkSite->Release();
    m_pUnkSite = NULL;
    m_bInPlaceActive = false;
    // An object that closed without deactivating still holds the running lock, which would
    // keep it, and through it this site, alive.
    UnlockRunning();
    if (m_bCaptured) ::ReleaseCapture();
    m_bCaptured = false;
    // 3. From now on every call that needs the owner answers E_UNEXPECTED.
    RemoveFilter();
    m_pOwner = NULL;
}

void CActiveXCtrl::UnlockRunning()
{
    if (m_pLockedObject == NULL) return;
    IUnknown* pObject = m_pLockedObject;
    m_pLockedObject = NULL;
    ::OleLockRunning(pObject, FALSE, FALSE);
    pObject->Release();
}

HWND CActiveXCtrl::GetPaintWindow() const
{
    if (m_pOwner == NULL || m_pOwner->GetManager() == NULL) return NULL;
    return m_pOwner->GetManager()->GetPaintWindow();
}

void CActiveXCtrl::RemoveFilter()
{
    if (m_pOwner == NULL || m_pOwner->m_pFilterManager == NULL) return;
    m_pOwner->m_pFilterManager->RemoveMessageFilter(m_pOwner);
    m_pOwner->m_pFilterManager = NULL;
}

HRESULT CActiveXCtrl::CreateActiveXWnd()
{
    if (m_pWindow != NULL) return S_OK;
    if (m_pOwner == NULL) return E_UNEXPECTED;
    HWND hWndParent = GetPaintWindow();
    if (hWndParent == NULL) return E_FAIL;
    m_pWindow = new (std::nothrow) CActiveXWnd;
    if (m_pWindow == NULL) return E_OUTOFMEMORY;
    HWND hWnd = m_pWindow->Init(this, hWndParent);
    if (hWnd == NULL) {
        delete m_pWindow;
        m_pWindow = NULL;
        return E_FAIL;
    }
    // Made while the control is hidden, it starts hidden.
    if (!m_pOwner->IsVisible()) ::ShowWindow(hWnd, SW_HIDE);
    m_pOwner->m_hwndHost = hWnd;
    return S_OK;
}

void CActiveXCtrl::DestroyActiveXWnd()
{
    if (m_pWindow == NULL) return;
    CActiveXWnd* pWindow = m_pWindow;
    m_pWindow = NULL;
    pWindow->Detach();
    HWND hWnd = pWindow->GetHWND();
    if (m_pOwner != NULL && m_pOwner->m_hwndHost == hWnd) m_pOwner->m_hwndHost = NULL;
    if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
    delete pWindow;
}

// ---- IUnknown ---------------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID riid, LPVOID* ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceSite ||
        riid == IID_IOleInPlaceSiteEx || riid == IID_IOleInPlaceSiteWindowless)
        *ppvObject = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IID_IOleClientSite)
        *ppvObject = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleControlSite)
        *ppvObject = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IObjectWithSite)
        *ppvObject = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IOleContainer)
        *ppvObject = static_cast<IOleContainer*>(this);
    if (*ppvObject == NULL) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef()
{
    return static_cast<ULONG>(++m_dwRef);
}

STDMETHODIMP_(ULONG) CActiveXCtrl::Release()
{
    const LONG lRef = --m_dwRef;
    if (lRef == 0) delete this;
    return static_cast<ULONG>(lRef);
}

// ---- IObjectWithSite --------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* pUnkSite)
{
    if (pUnkSite != NULL) pUnkSite->AddRef();
    if (m_pUnkSite != NULL) m_pUnkSite->Release();
    m_pUnkSite = pUnkSite;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID riid, LPVOID* ppvSite)
{
    if (ppvSite == NULL) return E_POINTER;
    *ppvSite = NULL;
    if (m_pUnkSite == NULL) return E_FAIL;
    return m_pUnkSite->QueryInterface(riid, ppvSite);
}

// ---- IOleClientSite ---------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::SaveObject()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD /*dwAssign*/, DWORD /*dwWhichMoniker*/, IMoniker** ppmk)
{
    if (ppmk != NULL) *ppmk = NULL;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer == NULL) return E_POINTER;
    *ppContainer = NULL;
    if (m_pUnkSite != NULL &&
        SUCCEEDED(m_pUnkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<LPVOID*>(ppContainer))) &&
        *ppContainer != NULL)
        return S_OK;
    *ppContainer = static_cast<IOleContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowObject()
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    // Without a host window GetDC would give the screen: nothing is drawn on the desktop.
    if (m_pOwner->m_hwndHost == NULL) return E_FAIL;
    HDC hDC = ::GetDC(m_pOwner->m_hwndHost);
    if (hDC == NULL) return E_FAIL;
    if (m_pViewObject != NULL) {
        RECTL rcObject;
        const RECT rc = m_pOwner->GetObjectRect();
        ::SetRect(reinterpret_cast<RECT*>(&rcObject), rc.left, rc.top, rc.right, rc.bottom);
        m_pViewObject->Draw(DVASPECT_CONTENT, -1, NULL, NULL, NULL, hDC, &rcObject, &rcObject, NULL, 0);
    }
    ::ReleaseDC(m_pOwner->m_hwndHost, hDC);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL /*fShow*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout()
{
    return E_NOTIMPL;
}

// ---- IOleWindow -------------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* phwnd)
{
    if (phwnd == NULL) return E_POINTER;
    *phwnd = NULL;
    if (m_pOwner == NULL) return E_UNEXPECTED;
    if (m_pOwner->m_hwndHost == NULL) CreateActiveXWnd();
    if (m_pOwner->m_hwndHost == NULL) return E_FAIL;
    *phwnd = m_pOwner->m_hwndHost;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL /*fEnterMode*/)
{
    return S_OK;
}

// ---- IOleInPlaceSite --------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::CanInPlaceActivate()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivate()
{
    BOOL bDummy = FALSE;
    return OnInPlaceActivateEx(&bDummy, 0);
}

STDMETHODIMP CActiveXCtrl::OnUIActivate()
{
    m_bUIActivated = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                            LPRECT lprcPosRect, LPRECT lprcClipRect,
                                            LPOLEINPLACEFRAMEINFO lpFrameInfo)
{
    if (ppFrame == NULL || ppDoc == NULL || lprcPosRect == NULL || lprcClipRect == NULL || lpFrameInfo == NULL)
        return E_POINTER;
    *ppFrame = NULL;
    *ppDoc = NULL;
    if (m_pOwner == NULL) return E_UNEXPECTED;
    // 1. Position and clip: the host window's client area, or the item for windowless.
    RECT rcItem = m_pOwner->GetPos();
    if (m_pWindow != NULL) ::GetClientRect(m_pWindow->GetHWND(), &rcItem);
    *lprcPosRect = rcItem;
    *lprcClipRect = rcItem;
    // 2. A fresh frame per call; the caller holds its one reference.
    CActiveXFrameWnd* pFrame = new (std::nothrow) CActiveXFrameWnd(this);
    if (pFrame == NULL) return E_OUTOFMEMORY;
    *ppFrame = pFrame;
    // 3. The frame description, with the site's one accelerator table.
    if (m_hAccel == NULL) {
        ACCEL ac = { 0, 0, 0 };
        m_hAccel = ::CreateAcceleratorTableW(&ac, 1);
    }
    lpFrameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = GetPaintWindow();
    lpFrameInfo->haccel = m_hAccel;
    lpFrameInfo->cAccelEntries = 1;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE /*scrollExtant*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL /*fUndoable*/)
{
    m_bUIActivated = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate()
{
    return OnInPlaceDeactivateEx(TRUE);
}

STDMETHODIMP CActiveXCtrl::DiscardUndoState()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::DeactivateAndUndo()
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT /*lprcPosRect*/)
{
    return E_NOTIMPL;
}

// ---- IOleInPlaceSiteEx ------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL* /*pfNoRedraw*/, DWORD dwFlags)
{
    // 1. Nothing to activate without the owner's object.
    if (m_pOwner == NULL || m_pOwner->m_pUnk == NULL) return E_UNEXPECTED;
    // 2. Kept running while active.
    if (m_pLockedObject == NULL && SUCCEEDED(::OleLockRunning(m_pOwner->m_pUnk, TRUE, FALSE))) {
        m_pLockedObject = m_pOwner->m_pUnk;
        m_pLockedObject->AddRef();
    }
    if (m_pInPlaceObject != NULL) m_pInPlaceObject->Release();
    m_pInPlaceObject = NULL;
    HRESULT hr = E_FAIL;
    // 3. Windowless: drawn into the paint window and fed through the manager's message
    //    filter, which lists the owner once however often it is activated.
    HWND hWndPaint = GetPaintWindow();
    if ((dwFlags & ACTIVATE_WINDOWLESS) != 0 && hWndPaint != NULL) {
        m_bWindowless = true;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                              reinterpret_cast<LPVOID*>(&m_pInPlaceObject));
        if (SUCCEEDED(hr) && m_pInPlaceObject != NULL) {
            DestroyActiveXWnd();
            m_pOwner->m_hwndHost = hWndPaint;
            if (m_pOwner->m_pFilterManager == NULL) {
                m_pOwner->m_pFilterManager = m_pOwner->GetManager();
                m_pOwner->m_pFilterManager->AddMessageFilter(m_pOwner);
            }
        } else {
            m_pInPlaceObject = NULL;
            if (SUCCEEDED(hr)) hr = E_NOINTERFACE;
        }
    }
    // 4. Otherwise a host window of its own.
    if (FAILED(hr)) {
        m_bWindowless = false;
        RemoveFilter();
        hr = CreateActiveXWnd();
        if (FAILED(hr)) return hr;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<LPVOID*>(&m_pInPlaceObject));
        if (FAILED(hr)) m_pInPlaceObject = NULL;
    }
    // 5. The object's rectangles.
    if (m_pInPlaceObject != NULL) {
        const RECT rcObject = m_pOwner->GetObjectRect();
        m_pInPlaceObject->SetObjectRects(&rcObject, &rcObject);
    }
    // 6. Active when the object's in-place interface was there.
    m_bInPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL /*fNoRedraw*/)
{
    m_bInPlaceActive = false;
    if (m_pInPlaceObject != NULL) m_pInPlaceObject->Release();
    m_pInPlaceObject = NULL;
    UnlockRunning();
    // An inactive windowless object takes no more input.
    if (m_bWindowless) {
        RemoveFilter();
        if (m_pOwner != NULL && m_pOwner->m_hwndHost == GetPaintWindow()) m_pOwner->m_hwndHost = NULL;
    }
    DestroyActiveXWnd();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate()
{
    return S_OK;
}

// ---- IOleInPlaceSiteWindowless ----------------------------------------------------------

STDMETHODIMP CActiveXCtrl::CanWindowlessActivate()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetCapture()
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    return m_bCaptured ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL fCapture)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    m_bCaptured = (fCapture == TRUE);
    if (fCapture)
        ::SetCapture(m_pOwner->m_hwndHost);
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus()
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    return m_bFocused ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL fFocus)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    if (fFocus) m_pOwner->SetFocus();
    m_bFocused = (fFocus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT /*pRect*/, DWORD grfFlags, HDC* phDC)
{
    if (phDC == NULL) return E_POINTER;
    *phDC = NULL;
    if (m_pOwner == NULL) return E_UNEXPECTED;
    // Without a host window GetDC would give the screen.
    if (m_pOwner->m_hwndHost == NULL) return E_FAIL;
    *phDC = ::GetDC(m_pOwner->m_hwndHost);
    if (*phDC == NULL) return E_FAIL;
    if ((grfFlags & OLEDC_PAINTBKGND) != 0) {
        const RECT rcItem = m_pOwner->GetObjectRect();
        ::FillRect(*phDC, &rcItem, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC hDC)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    ::ReleaseDC(m_pOwner->m_hwndHost, hDC);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT pRect, BOOL fErase)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    if (m_pOwner->m_hwndHost == NULL) return E_FAIL;
    return ::InvalidateRect(m_pOwner->m_hwndHost, pRect, fErase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN hRGN, BOOL fErase)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    // A null window would invalidate every window of the desktop.
    if (m_pOwner->m_hwndHost == NULL) return E_FAIL;
    return ::InvalidateRgn(m_pOwner->m_hwndHost, hRGN, fErase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT /*dx*/, INT /*dy*/, LPCRECT /*pRectScroll*/, LPCRECT /*pRectClip*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT /*prc*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult)
{
    if (m_pOwner == NULL) return E_UNEXPECTED;
    if (plResult == NULL) return E_POINTER;
    *plResult = ::DefWindowProcW(m_pOwner->m_hwndHost, msg, wParam, lParam);
    return S_OK;
}

// ---- IOleControlSite --------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::OnControlInfoChanged()
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL /*fLock*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** ppDisp)
{
    if (ppDisp == NULL) return E_POINTER;
    *ppDisp = NULL;
    if (m_pOwner == NULL || m_pOwner->m_pUnk == NULL) return E_UNEXPECTED;
    return m_pOwner->m_pUnk->QueryInterface(IID_IDispatch, reinterpret_cast<LPVOID*>(ppDisp));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL* /*pPtlHimetric*/, POINTF* /*pPtfContainer*/, DWORD /*dwFlags*/)
{
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG* /*pMsg*/, DWORD /*grfModifiers*/)
{
    return S_FALSE;
}

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL fGotFocus)
{
    m_bFocused = (fGotFocus == TRUE);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame()
{
    return E_NOTIMPL;
}

// ---- IOleContainer ----------------------------------------------------------------------

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx* /*pbc*/, LPOLESTR /*pszDisplayName*/, ULONG* /*pchEaten*/,
                                            IMoniker** /*ppmkOut*/)
{
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD /*grfFlags*/, IEnumUnknown** ppenum)
{
    if (ppenum == NULL) return E_POINTER;
    *ppenum = NULL;
    if (m_pOwner == NULL) return E_UNEXPECTED;
    // During release the owner has no object any more: the enumerator is then empty.
    CActiveXEnum* pEnum = new (std::nothrow) CActiveXEnum(m_pOwner->m_pUnk);
    if (pEnum == NULL) return E_OUTOFMEMORY;
    *ppenum = pEnum;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL fLock)
{
    m_bLocked = (fLock != FALSE);
    return S_OK;
}

} // namespace SkinUI
