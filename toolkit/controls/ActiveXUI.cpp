#include <windows.h>
#include <new>
#include <ole2.h>
#include <ocidl.h>
#include <wchar.h>
#include "controls/ActiveXUI.h"
#include "controls/ActiveXCtrl.h"
#include "core/PaintManager.h"

namespace SkinUI {

namespace {

typedef HRESULT(STDAPICALLTYPE* DLLGETCLASSOBJECTFUNC)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* DLLCANUNLOADNOWFUNC)();

// A COM reference released when the scope ends.
template <class T>
class CComRef {
public:
    CComRef() : m_p(NULL) {}
    ~CComRef()
    {
        if (m_p != NULL) m_p->Release();
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    LPVOID* Out() { return reinterpret_cast<LPVOID*>(&m_p); }

private:
    T* m_p;
};

// The mouse messages a windowless object is offered: up to the extra buttons' double click
// (the platform's own last mouse message moves with its version).
const UINT kMouseLast = 0x020D;

inline bool IsMouseMessage(UINT uMsg)
{
    return uMsg >= WM_MOUSEFIRST && uMsg <= kMouseLast;
}

} // namespace

CActiveXUI::CActiveXUI()
    : m_clsid(CLSID_NULL), m_bCreated(false), m_bDelayCreate(true), m_pUnk(NULL), m_pControl(NULL),
      m_hwndHost(NULL), m_hModule(NULL), m_pFilterManager(NULL)
{
}

CActiveXUI::~CActiveXUI()
{
    CActiveXUI::ReleaseControl();
}

LPCTSTR CActiveXUI::GetClass() const
{
    return L"ActiveXUI";
}

LPVOID CActiveXUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ActiveX") == 0) return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

HWND CActiveXUI::GetHostWindow() const
{
    return m_hwndHost;
}

bool CActiveXUI::IsDelayCreate() const
{
    return m_bDelayCreate;
}

void CActiveXUI::SetDelayCreate(bool bDelayCreate)
{
    if (m_bDelayCreate == bDelayCreate) return;
    if (!bDelayCreate && !m_bCreated && !IsEqualCLSID(m_clsid, CLSID_NULL)) {
        // The "showactivex" receiver may close the window, and this control goes with it.
        CControlLifeGuard alive(this);
        DoCreateControl();
        if (!alive.Alive()) return;
    }
    m_bDelayCreate = bDelayCreate;
}

bool CActiveXUI::CreateControl(LPCTSTR pstrCLSID)
{
    CLSID clsid = CLSID_NULL;
    if (pstrCLSID != NULL) {
        OLECHAR szCLSID[100] = { 0 };
        wcsncpy(szCLSID, pstrCLSID, 99);
        const HRESULT hr = szCLSID[0] == L'{' ? ::CLSIDFromString(szCLSID, &clsid) : ::CLSIDFromProgID(szCLSID, &clsid);
        if (FAILED(hr)) clsid = CLSID_NULL;
    }
    return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID clsid)
{
    if (IsEqualCLSID(clsid, CLSID_NULL)) return false;
    m_bCreated = false;
    m_clsid = clsid;
    if (!m_bDelayCreate) DoCreateControl();
    return true;
}

HRESULT CActiveXUI::GetControl(const IID iid, LPVOID* ppRet)
{
    if (ppRet == NULL) return E_POINTER;
    if (m_pUnk == NULL) return E_PENDING;
    return m_pUnk->QueryInterface(iid, ppRet);
}

CLSID CActiveXUI::GetClisd() const
{
    return m_clsid;
}

CSkinString CActiveXUI::GetModuleName() const
{
    return m_sModuleName;
}

void CActiveXUI::SetModuleName(LPCTSTR pstrText)
{
    m_sModuleName = pstrText;
}

void CActiveXUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    ShowHostWindow();
}

void CActiveXUI::SetInternVisible(bool bVisible)
{
    CControlUI::SetInternVisible(bVisible);
    ShowHostWindow();
}

void CActiveXUI::ShowHostWindow()
{
    if (m_hwndHost == NULL || m_pControl == NULL || m_pControl->m_bWindowless) return;
    // Hiding the window that holds the native focus hands it to the paint window, inside the
    // hide loops of the containers.
    CPaintManagerUI::CNativeFocusHold hold(m_pManager);
    ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

RECT CActiveXUI::GetObjectRect() const
{
    RECT rc = m_rcItem;
    if (m_pControl != NULL && !m_pControl->m_bWindowless) ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

void CActiveXUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    if (!m_bCreated) {
        CControlLifeGuard alive(this);
        DoCreateControl();
        if (!alive.Alive()) return;
    }
    if (m_pUnk == NULL || m_pControl == NULL) return;

    // 1. The extent in HIMETRIC units, from the screen's pixels per inch.
    SIZEL hmSize = { 0, 0 };
    const SIZEL pxSize = { m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top };
    HDC hScreenDC = ::GetDC(NULL);
    if (hScreenDC != NULL) {
        hmSize.cx = ::MulDiv(2540, pxSize.cx, ::GetDeviceCaps(hScreenDC, LOGPIXELSX));
        hmSize.cy = ::MulDiv(2540, pxSize.cy, ::GetDeviceCaps(hScreenDC, LOGPIXELSY));
        ::ReleaseDC(NULL, hScreenDC);
    }
    m_pUnk->SetExtent(DVASPECT_CONTENT, &hmSize);
    // 2. The object's rectangles: paint-window coordinates windowless, host-window ones else.
    if (m_pControl->m_pInPlaceObject != NULL) {
        const RECT rcObject = GetObjectRect();
        m_pControl->m_pInPlaceObject->SetObjectRects(&rcObject, &rcObject);
    }
    // 3. A host window follows the item.
    if (!m_pControl->m_bWindowless && m_hwndHost != NULL)
        ::MoveWindow(m_hwndHost, m_rcItem.left, m_rcItem.top, pxSize.cx, pxSize.cy, TRUE);
}

void CActiveXUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    RECT rcTemp = { 0, 0, 0, 0 };
    if (!::IntersectRect(&rcTemp, &rcPaint, &m_rcItem)) return;
    if (m_pControl == NULL || !m_pControl->m_bWindowless || m_pControl->m_pViewObject == NULL) return;
    RECTL rcItem = { m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom };
    m_pControl->m_pViewObject->Draw(DVASPECT_CONTENT, -1, NULL, NULL, NULL, hDC, &rcItem, &rcItem, NULL, 0);
}

void CActiveXUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"clsid") == 0)
        CreateControl(pstrValue);
    else if (wcscmp(pstrName, L"modulename") == 0)
        SetModuleName(pstrValue);
    else if (wcscmp(pstrName, L"delaycreate") == 0)
        SetDelayCreate(wcscmp(pstrValue, L"true") == 0);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

LRESULT CActiveXUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled)
{
    // 1. Only an in-place-active windowless object takes input here.
    if (m_pControl == NULL || !m_pControl->m_bInPlaceActive || !m_pControl->m_bWindowless ||
        m_pControl->m_pInPlaceObject == NULL)
        return 0;
    // 2. No mouse input for a control with the mouse switched off.
    if (IsMouseMessage(uMsg) && !IsMouseEnabled()) return 0;
    bool bWasHandled = true;
    if (IsMouseMessage(uMsg) || uMsg == WM_SETCURSOR) {
        // 3. The mouse goes to the object only where it is hit (or while it holds the capture).
        //    The wheel carries screen coordinates and WM_SETCURSOR none: both are read as the
        //    pointer's place in the paint window.
        if (!m_pControl->m_bCaptured) {
            POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
            if (uMsg == WM_SETCURSOR || uMsg == WM_MOUSEWHEEL) {
                if (uMsg == WM_SETCURSOR) ::GetCursorPos(&pt);
                ::ScreenToClient(m_hwndHost, &pt);
            }
            // Only an IViewObjectEx has the hit test; a view object without it is never hit.
            if (m_pControl->m_pViewObject == NULL || !m_pControl->m_bViewObjectEx) return 0;
            DWORD dwHitResult = HITRESULT_OUTSIDE;
            IViewObjectEx* pViewEx = static_cast<IViewObjectEx*>(m_pControl->m_pViewObject);
            pViewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &dwHitResult);
            if (dwHitResult != HITRESULT_HIT) return 0;
        }
        if (uMsg == WM_SETCURSOR) bWasHandled = false;
    } else if (uMsg >= WM_KEYFIRST && uMsg <= WM_KEYLAST) {
        // 4. Keys only while the control has the toolkit's focus.
        if (!IsFocused()) return 0;
    } else if (uMsg == WM_HELP || uMsg == WM_CONTEXTMENU) {
        bWasHandled = false;
    } else {
        return 0;
    }
    // 5. The object's answer; handled only when it took the message.
    LRESULT lResult = 0;
    IOleInPlaceObjectWindowless* pWindowless = static_cast<IOleInPlaceObjectWindowless*>(m_pControl->m_pInPlaceObject);
    const HRESULT hr = pWindowless->OnWindowMessage(uMsg, wParam, lParam, &lResult);
    if (hr == S_OK) bHandled = bWasHandled;
    return lResult;
}

void CActiveXUI::ReleaseControl()
{
    // 1. The object lets go of the site and closes (it deactivates itself on the way).
    m_hwndHost = NULL;
    if (m_pUnk != NULL) {
        IObjectWithSite* pSite = NULL;
        m_pUnk->QueryInterface(IID_IObjectWithSite, reinterpret_cast<LPVOID*>(&pSite));
        if (pSite != NULL) {
            pSite->SetSite(NULL);
            pSite->Release();
        }
        m_pUnk->Close(OLECLOSE_NOSAVE);
        m_pUnk->SetClientSite(NULL);
        m_pUnk->Release();
        m_pUnk = NULL;
    }
    // 2. The site drops what it still holds; a site the object keeps reaches nothing freed.
    if (m_pControl != NULL) {
        m_pControl->Detach();
        m_pControl->Release();
        m_pControl = NULL;
    }
    m_hwndHost = NULL;
    // 3. No more window messages for this control.
    if (m_pFilterManager != NULL) m_pFilterManager->RemoveMessageFilter(this);
    m_pFilterManager = NULL;
    // 4. The serving module, once it has no object left.
    if (m_hModule != NULL) {
        DLLCANUNLOADNOWFUNC pfnCanUnloadNow =
            reinterpret_cast<DLLCANUNLOADNOWFUNC>(reinterpret_cast<void*>(::GetProcAddress(m_hModule, "DllCanUnloadNow")));
        if (pfnCanUnloadNow != NULL && pfnCanUnloadNow() == S_OK) ::FreeLibrary(m_hModule);
        m_hModule = NULL;
    }
}

IUnknown* CActiveXUI::CreateFromModule()
{
    HMODULE hModule = ::LoadLibraryW(m_sModuleName.GetData());
    if (hModule == NULL) return NULL;
    IUnknown* pUnk = NULL;
    DLLGETCLASSOBJECTFUNC pfnGetClassObject =
        reinterpret_cast<DLLGETCLASSOBJECTFUNC>(reinterpret_cast<void*>(::GetProcAddress(hModule, "DllGetClassObject")));
    if (pfnGetClassObject != NULL) {
        IClassFactory* pFactory = NULL;
        if (SUCCEEDED(pfnGetClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<LPVOID*>(&pFactory))) &&
            pFactory != NULL) {
            if (FAILED(pFactory->CreateInstance(NULL, IID_IOleObject, reinterpret_cast<LPVOID*>(&pUnk))))
                pUnk = NULL;
            pFactory->Release();
        }
    }
    // A module that gave no object is not kept.
    if (pUnk == NULL)
        ::FreeLibrary(hModule);
    else
        m_hModule = hModule;
    return pUnk;
}

HRESULT CActiveXUI::CreateHostWindow()
{
    if (m_pControl == NULL) return E_UNEXPECTED;
    return m_pControl->CreateActiveXWnd();
}

bool CActiveXUI::DoCreateControl()
{
    // 1. Whatever exists goes first (a derived control's release too).
    ReleaseControl();
    m_bCreated = true;

    // 2. The object: from the named module's factory, else from the system's registration.
    IUnknown* pUnk = NULL;
    if (!m_sModuleName.IsEmpty()) pUnk = CreateFromModule();
    if (pUnk == NULL &&
        FAILED(::CoCreateInstance(m_clsid, NULL, CLSCTX_ALL, IID_IOleControl, reinterpret_cast<LPVOID*>(&pUnk))))
        pUnk = NULL;
    if (pUnk == NULL) return false;

    // 3. Its IOleObject is the one reference kept.
    pUnk->QueryInterface(IID_IOleObject, reinterpret_cast<LPVOID*>(&m_pUnk));
    pUnk->Release();
    if (m_pUnk == NULL) {
        CActiveXUI::ReleaseControl();
        return false;
    }
    // The object and the site stay referenced here while the steps below run: the
    // "showactivex" receiver may release the control.
    CComRef<IOleObject> spObject;
    m_pUnk->QueryInterface(IID_IOleObject, spObject.Out());

    // 4. The site, the object's status bits and the client site handed to it.
    m_pControl = new (std::nothrow) CActiveXCtrl;
    if (m_pControl == NULL) {
        CActiveXUI::ReleaseControl();
        return false;
    }
    m_pControl->m_pOwner = this;
    CActiveXCtrl* pSite = m_pControl;
    pSite->AddRef();
    DWORD dwMiscStatus = 0;
    spObject->GetMiscStatus(DVASPECT_CONTENT, &dwMiscStatus);
    CComRef<IOleClientSite> spClientSite;
    pSite->QueryInterface(IID_IOleClientSite, spClientSite.Out());

    // 5. Objects that need their site before initialisation get it now.
    if ((dwMiscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0) spObject->SetClientSite(spClientSite.Get());

    // 6. A new, empty state.
    HRESULT hr = S_OK;
    {
        CComRef<IPersistStreamInit> spPersist;
        if (SUCCEEDED(spObject->QueryInterface(IID_IPersistStreamInit, spPersist.Out())) && spPersist.Get() != NULL)
            hr = spPersist->InitNew();
    }

    // 7. Site, view, names, the notification, activation.
    if (SUCCEEDED(hr)) {
        if ((dwMiscStatus & OLEMISC_SETCLIENTSITEFIRST) == 0) spObject->SetClientSite(spClientSite.Get());
        IViewObject* pView = NULL;
        if (SUCCEEDED(spObject->QueryInterface(IID_IViewObjectEx, reinterpret_cast<LPVOID*>(&pView))) &&
            pView != NULL) {
            pSite->m_bViewObjectEx = true;
        } else {
            pView = NULL;
            if (FAILED(spObject->QueryInterface(IID_IViewObject2, reinterpret_cast<LPVOID*>(&pView))))
                pView = NULL;
            if (pView == NULL &&
                FAILED(spObject->QueryInterface(IID_IViewObject, reinterpret_cast<LPVOID*>(&pView))))
                pView = NULL;
        }
        if (pSite->m_pViewObject != NULL) pSite->m_pViewObject->Release();
        pSite->m_pViewObject = pView;
        spObject->SetHostNames(OLESTR("UIActiveX"), NULL);
        if (m_pManager != NULL && !m_pManager->SendNotify(this, L"showactivex", 0, 0, false)) {
            // The receiver closed the window, and this control may have gone with it: no
            // activation in a window that is gone, only the local references are left to drop.
            pSite->Release();
            return false;
        }
        if (m_pControl != pSite) {
            // The receiver released or re-created the control: this creation is over.
            hr = E_ABORT;
        } else {
            if ((dwMiscStatus & OLEMISC_INVISIBLEATRUNTIME) == 0) {
                HWND hWndPaint = m_pManager != NULL ? m_pManager->GetPaintWindow() : NULL;
                // The object may take the focus on activation (the site's SetFocus), and a
                // "killfocus" receiver may close the window, this control with it.
                CControlLifeGuard alive(this);
                const RECT rcItem = m_rcItem;
                hr = spObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, spClientSite.Get(), 0, hWndPaint, &rcItem);
                if (!alive.Alive()) {
                    pSite->Release();
                    return false;
                }
            }
            CComRef<IObjectWithSite> spWithSite;
            if (SUCCEEDED(spObject->QueryInterface(IID_IObjectWithSite, spWithSite.Out())) && spWithSite.Get() != NULL)
                spWithSite->SetSite(static_cast<IOleInPlaceSiteWindowless*>(pSite));
        }
    }

    // 8. The creation's answer. Made before the control had a manager (delayed creation
    //    switched off in the skin), the object could not be activated for want of a paint
    //    window: the first layout, which comes with a manager, tries again.
    pSite->Release();
    if (FAILED(hr) && m_pManager == NULL) m_bCreated = false;
    return SUCCEEDED(hr);
}

} // namespace SkinUI
