#include "FakeBrowserOle.h"

#include <olectl.h>

namespace fakes {

namespace {

std::vector<std::wstring> g_log;
int g_live = 0;
BrowserScript g_script;
// Cookies differ from object to object, so a host that mixes them up is caught.
DWORD g_nextCookie = 0x51;

LRESULT CALLBACK PageProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LPCWSTR PageClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &PageProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FakeBrowserPage";
        ::RegisterClassW(&wc);
        registered = true;
    }
    return L"FakeBrowserPage";
}

} // namespace

std::vector<std::wstring> BrowserLog()
{
    return g_log;
}

void ClearBrowserLog()
{
    g_log.clear();
}

void NoteBrowserCall(const std::wstring& line)
{
    g_log.push_back(line);
}

int CountBrowserCalls(const std::wstring& line)
{
    int n = 0;
    for (const std::wstring& l : g_log)
        if (l == line) n++;
    return n;
}

int LiveBrowserObjects()
{
    return g_live;
}

void CountBrowserObject(int delta)
{
    g_live += delta;
}

BrowserScript& Script()
{
    return g_script;
}

void ResetBrowserScript()
{
    g_script = BrowserScript();
}

// ---- FakeConnectionPoint ----------------------------------------------------------------

FakeConnectionPoint::FakeConnectionPoint(FakeOleObject* pOwner, REFIID iid)
    : m_pOwner(pOwner), m_iid(iid), m_pSink(nullptr), m_dwCookie(0)
{
}

void FakeConnectionPoint::Disconnect()
{
    if (m_pSink != nullptr) m_pSink->Release();
    m_pSink = nullptr;
    m_dwCookie = 0;
}

HRESULT FakeConnectionPoint::Fire(DISPID id, VARIANT* pArgs, UINT nCount)
{
    if (m_pSink == nullptr) return CONNECT_E_NOCONNECTION;
    std::vector<VARIANT> reversed(nCount);
    for (UINT i = 0; i < nCount; i++) reversed[i] = pArgs[nCount - 1 - i];
    DISPPARAMS params = { nCount > 0 ? reversed.data() : nullptr, nullptr, nCount, 0 };
    // The sink may be let go of while it runs (a handler that releases the control).
    IDispatch* pSink = m_pSink;
    pSink->AddRef();
    const HRESULT hr =
        pSink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    pSink->Release();
    return hr;
}

HRESULT FakeConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG FakeConnectionPoint::AddRef()
{
    return static_cast<IOleObject*>(m_pOwner)->AddRef();
}

ULONG FakeConnectionPoint::Release()
{
    return static_cast<IOleObject*>(m_pOwner)->Release();
}

HRESULT FakeConnectionPoint::GetConnectionInterface(IID* pIID)
{
    if (pIID == nullptr) return E_POINTER;
    *pIID = m_iid;
    return S_OK;
}

HRESULT FakeConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** ppCPC)
{
    if (ppCPC == nullptr) return E_POINTER;
    *ppCPC = static_cast<IConnectionPointContainer*>(m_pOwner);
    (*ppCPC)->AddRef();
    return S_OK;
}

HRESULT FakeConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (pUnkSink == nullptr || pdwCookie == nullptr) return E_POINTER;
    *pdwCookie = 0;
    if (m_pSink != nullptr) return CONNECT_E_ADVISELIMIT;
    // As the platform's browser does: the event interface first, plain IDispatch after.
    IDispatch* pSink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(m_iid, reinterpret_cast<void**>(&pSink))) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pSink))))
        return CONNECT_E_CANNOTCONNECT;
    m_pSink = pSink;
    m_dwCookie = g_nextCookie++;
    *pdwCookie = m_dwCookie;
    NoteBrowserCall(L"Advise " + std::to_wstring(m_dwCookie));
    return S_OK;
}

HRESULT FakeConnectionPoint::Unadvise(DWORD dwCookie)
{
    NoteBrowserCall(L"Unadvise " + std::to_wstring(dwCookie));
    if (m_pSink == nullptr || dwCookie != m_dwCookie) return CONNECT_E_NOCONNECTION;
    Disconnect();
    return S_OK;
}

HRESULT FakeConnectionPoint::EnumConnections(IEnumConnections** ppEnum)
{
    if (ppEnum != nullptr) *ppEnum = nullptr;
    return E_NOTIMPL;
}

// ---- FakeOleObject ----------------------------------------------------------------------

FakeOleObject::FakeOleObject(REFIID eventsIid, LPCWSTR name)
    : m_refs(1), m_name(name), m_pSite(nullptr), m_pFrame(nullptr), m_hWnd(nullptr), m_rcObject(),
      m_point(this, eventsIid)
{
    CountBrowserObject(1);
    Note(L"Created");
}

FakeOleObject::~FakeOleObject()
{
    m_point.Disconnect();
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    if (m_pFrame != nullptr) m_pFrame->Release();
    if (m_pSite != nullptr) m_pSite->Release();
    Note(L"Destroyed");
    CountBrowserObject(-1);
}

void FakeOleObject::Note(const std::wstring& what) const
{
    NoteBrowserCall(m_name + L" " + what);
}

HRESULT FakeOleObject::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = QueryOwn(riid);
    if (*ppv == nullptr) {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
            *ppv = static_cast<IOleObject*>(this);
        else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
            *ppv = static_cast<IOleInPlaceActiveObject*>(this);
        else if (IsEqualIID(riid, IID_IOleControl))
            *ppv = static_cast<IOleControl*>(this);
        else if (IsEqualIID(riid, IID_IPersistStreamInit))
            *ppv = static_cast<IPersistStreamInit*>(this);
        else if (IsEqualIID(riid, IID_IConnectionPointContainer))
            *ppv = static_cast<IConnectionPointContainer*>(this);
    }
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG FakeOleObject::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FakeOleObject::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeOleObject::SetClientSite(IOleClientSite* pClientSite)
{
    Note(pClientSite != nullptr ? L"SetClientSite" : L"SetClientSite null");
    if (pClientSite != nullptr) pClientSite->AddRef();
    if (m_pSite != nullptr) m_pSite->Release();
    m_pSite = pClientSite;
    return S_OK;
}

HRESULT FakeOleObject::GetClientSite(IOleClientSite** ppClientSite)
{
    if (ppClientSite == nullptr) return E_POINTER;
    *ppClientSite = m_pSite;
    if (m_pSite != nullptr) m_pSite->AddRef();
    return S_OK;
}

HRESULT FakeOleObject::Close(DWORD)
{
    Note(L"Close");
    InPlaceDeactivate();
    OnClose();
    return S_OK;
}

HRESULT FakeOleObject::DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT)
{
    Note(L"DoVerb " + std::to_wstring(iVerb));
    if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_SHOW && iVerb != OLEIVERB_UIACTIVATE) return S_OK;
    if (m_hWnd != nullptr) return S_OK;
    // 1. The site agrees and makes the host window.
    IOleInPlaceSite* pSite = nullptr;
    if (m_pSite == nullptr || FAILED(m_pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pSite))))
        return E_UNEXPECTED;
    HRESULT hr = pSite->CanInPlaceActivate();
    if (hr == S_OK) hr = pSite->OnInPlaceActivate();
    HWND hParent = nullptr;
    if (SUCCEEDED(hr)) hr = pSite->GetWindow(&hParent);
    // 2. The frame, kept while active as a real object keeps it; the page window inside the
    //    host window at the site's position.
    if (SUCCEEDED(hr)) {
        IOleInPlaceUIWindow* pDoc = nullptr;
        RECT rcPos = {}, rcClip = {};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        hr = pSite->GetWindowContext(&m_pFrame, &pDoc, &rcPos, &rcClip, &info);
        if (pDoc != nullptr) pDoc->Release();
        if (m_pFrame != nullptr) m_pFrame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"fake");
        if (SUCCEEDED(hr)) {
            m_rcObject = rcPos;
            m_hWnd = ::CreateWindowExW(0, PageClass(), L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rcPos.left, rcPos.top,
                                       rcPos.right - rcPos.left, rcPos.bottom - rcPos.top, hParent, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
            if (m_hWnd == nullptr) hr = E_FAIL;
        }
    }
    pSite->Release();
    return hr;
}

HRESULT FakeOleObject::GetMiscStatus(DWORD, DWORD* pdwStatus)
{
    if (pdwStatus == nullptr) return E_POINTER;
    *pdwStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
    return S_OK;
}

HRESULT FakeOleObject::GetWindow(HWND* phwnd)
{
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = m_hWnd;
    return m_hWnd != nullptr ? S_OK : E_FAIL;
}

HRESULT FakeOleObject::InPlaceDeactivate()
{
    if (m_hWnd == nullptr) return S_OK;
    Note(L"InPlaceDeactivate");
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    if (m_pFrame != nullptr) {
        m_pFrame->SetActiveObject(nullptr, nullptr);
        m_pFrame->Release();
        m_pFrame = nullptr;
    }
    IOleInPlaceSite* pSite = nullptr;
    if (m_pSite != nullptr &&
        SUCCEEDED(m_pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pSite)))) {
        pSite->OnInPlaceDeactivate();
        pSite->Release();
    }
    return S_OK;
}

HRESULT FakeOleObject::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (lprcPosRect == nullptr) return E_POINTER;
    m_rcObject = *lprcPosRect;
    if (m_hWnd != nullptr)
        ::MoveWindow(m_hWnd, m_rcObject.left, m_rcObject.top, m_rcObject.right - m_rcObject.left,
                     m_rcObject.bottom - m_rcObject.top, TRUE);
    return S_OK;
}

HRESULT FakeOleObject::TranslateAccelerator(LPMSG lpmsg)
{
    if (lpmsg == nullptr) return E_POINTER;
    Note(L"Key " + std::to_wstring(lpmsg->message) + L" " + std::to_wstring(lpmsg->wParam));
    return Script().keyAnswer;
}

HRESULT FakeOleObject::InitNew()
{
    Note(L"InitNew");
    return S_OK;
}

HRESULT FakeOleObject::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    if (ppCP == nullptr) return E_POINTER;
    *ppCP = nullptr;
    IID iid = {};
    m_point.GetConnectionInterface(&iid);
    if (!IsEqualIID(riid, iid)) return CONNECT_E_NOCONNECTION;
    *ppCP = &m_point;
    m_point.AddRef();
    return S_OK;
}

} // namespace fakes
