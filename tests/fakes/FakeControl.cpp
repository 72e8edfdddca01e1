#include "FakeControl.h"
#include "FakeComFactory.h"

#include <olectl.h>

namespace fakes {

const CLSID CLSID_FakeWindowless = { 0x7c1e5a10, 0x2b4d, 0x4f3a, { 0x9e, 0x61, 0x0a, 0x11, 0x5c, 0x3d, 0x70, 0x01 } };
const CLSID CLSID_FakeWindowed = { 0x7c1e5a10, 0x2b4d, 0x4f3a, { 0x9e, 0x61, 0x0a, 0x11, 0x5c, 0x3d, 0x70, 0x02 } };
const CLSID CLSID_FakeModuleOnly = { 0x7c1e5a10, 0x2b4d, 0x4f3a, { 0x9e, 0x61, 0x0a, 0x11, 0x5c, 0x3d, 0x70, 0x03 } };
const CLSID CLSID_FakeModuleNoObject = { 0x7c1e5a10, 0x2b4d, 0x4f3a, { 0x9e, 0x61, 0x0a, 0x11, 0x5c, 0x3d, 0x70, 0x04 } };

namespace {

FakeControlOptions g_nextOptions;
std::vector<std::wstring> g_calls;
int g_live = 0;
FakeControl* g_last = nullptr;

void Note(const std::wstring& line)
{
    g_calls.push_back(line);
}

std::wstring RectText(const RECT& rc)
{
    return std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L"," + std::to_wstring(rc.right) + L"," +
           std::to_wstring(rc.bottom);
}

LRESULT CALLBACK FakeWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hDC = ::BeginPaint(hWnd, &ps);
        HBRUSH hBrush = ::CreateSolidBrush(static_cast<COLORREF>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)));
        ::FillRect(hDC, &ps.rcPaint, hBrush);
        ::DeleteObject(hBrush);
        ::EndPaint(hWnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

HRESULT CreateWindowless(REFIID riid, void** ppv)
{
    return CreateFakeControl(true, riid, ppv);
}

HRESULT CreateWindowed(REFIID riid, void** ppv)
{
    return CreateFakeControl(false, riid, ppv);
}

} // namespace

void SetNextOptions(const FakeControlOptions& options)
{
    g_nextOptions = options;
}

std::vector<std::wstring>& Calls()
{
    return g_calls;
}

int LiveControls()
{
    return g_live;
}

bool RegisterFakeControls()
{
    return RegisterInProcess(CLSID_FakeWindowless, &CreateWindowless) &&
           RegisterInProcess(CLSID_FakeWindowed, &CreateWindowed);
}

HRESULT CreateFakeControl(bool windowless, REFIID riid, void** ppv)
{
    FakeControl* pControl = new FakeControl(windowless, g_nextOptions);
    const HRESULT hr = pControl->QueryInterface(riid, ppv);
    pControl->Release();
    return hr;
}

FakeControl::FakeControl(bool windowless, const FakeControlOptions& options)
    : m_windowless(windowless), m_options(options)
{
    ++g_live;
    g_last = this;
    Note(L"Created");
}

FakeControl::~FakeControl()
{
    // A host that never deactivated or let go leaves these: they are dropped here so that
    // the counts of the host's objects show what the host itself failed to release.
    DropFrame();
    if (m_window != nullptr) ::DestroyWindow(m_window);
    if (m_inPlaceSite != nullptr) m_inPlaceSite->Release();
    if (m_clientSite != nullptr) m_clientSite->Release();
    if (m_objectSite != nullptr) m_objectSite->Release();
    --g_live;
    if (g_last == this) g_last = nullptr;
    Note(L"Destroyed");
}

FakeControl* FakeControl::Last()
{
    return g_last;
}

HRESULT FakeControl::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
        *ppv = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        *ppv = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_IPersistStreamInit) || IsEqualIID(riid, IID_IPersist))
        *ppv = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IViewObjectEx) && m_options.viewLevel >= 3)
        *ppv = static_cast<IViewObjectEx*>(this);
    else if (IsEqualIID(riid, IID_IViewObject2) && m_options.viewLevel >= 2)
        *ppv = static_cast<IViewObjectEx*>(this);
    else if (IsEqualIID(riid, IID_IViewObject) && m_options.viewLevel >= 1)
        *ppv = static_cast<IViewObjectEx*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceObjectWindowless) && m_windowless && m_options.windowlessInterface)
        *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceObject) || IsEqualIID(riid, IID_IOleWindow))
        *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
        *ppv = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(riid, IID_IObjectWithSite))
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (IsEqualIID(riid, IID_IRunnableObject))
        *ppv = static_cast<IRunnableObject*>(this);
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG FakeControl::AddRef()
{
    return static_cast<ULONG>(++m_refs);
}

ULONG FakeControl::Release()
{
    const LONG left = --m_refs;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeControl::LockRunning(BOOL fLock, BOOL)
{
    if (fLock) {
        m_runningLocks++;
        AddRef();
    } else if (m_runningLocks > 0) {
        m_runningLocks--;
        Release();
    }
    return S_OK;
}

HRESULT FakeControl::SetClientSite(IOleClientSite* pSite)
{
    Note(pSite != nullptr ? L"SetClientSite" : L"SetClientSite null");
    if (pSite != nullptr) pSite->AddRef();
    if (m_clientSite != nullptr) m_clientSite->Release();
    m_clientSite = pSite;
    return S_OK;
}

HRESULT FakeControl::GetClientSite(IOleClientSite** ppSite)
{
    if (ppSite == nullptr) return E_POINTER;
    *ppSite = m_clientSite;
    if (m_clientSite != nullptr) m_clientSite->AddRef();
    return S_OK;
}

HRESULT FakeControl::SetHostNames(LPCOLESTR szApp, LPCOLESTR)
{
    Note(std::wstring(L"SetHostNames ") + (szApp != nullptr ? szApp : L"(null)"));
    return S_OK;
}

HRESULT FakeControl::Close(DWORD)
{
    Note(L"Close");
    if (m_options.closeDeactivates) InPlaceDeactivate();
    return S_OK;
}

HRESULT FakeControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pSite, LONG, HWND hwndParent, LPCRECT lprcPosRect)
{
    Note(L"DoVerb " + std::to_wstring(iVerb));
    m_parent = hwndParent;
    if (lprcPosRect != nullptr) m_objectRect = *lprcPosRect;
    if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_UIACTIVATE && iVerb != OLEIVERB_SHOW) return S_OK;
    if (!m_active) {
        const HRESULT hr = ActivateInPlace(pSite != nullptr ? pSite : m_clientSite);
        if (FAILED(hr)) return hr;
    }
    if (iVerb == OLEIVERB_UIACTIVATE && !m_uiActive && m_inPlaceSite != nullptr) {
        m_uiActive = true;
        m_inPlaceSite->OnUIActivate();
        if (m_frame != nullptr) m_frame->SetActiveObject(this, L"FakeControl");
    }
    return S_OK;
}

HRESULT FakeControl::ActivateInPlace(IOleClientSite* pSite)
{
    if (pSite == nullptr) return E_INVALIDARG;
    if (FAILED(pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&m_inPlaceSite))))
        return E_NOINTERFACE;
    if (m_inPlaceSite->CanInPlaceActivate() != S_OK) {
        m_inPlaceSite->Release();
        m_inPlaceSite = nullptr;
        return E_FAIL;
    }
    // 1. Windowless when the site agrees, else a window in the site's window.
    HRESULT hr = E_FAIL;
    IOleInPlaceSiteWindowless* pWindowless = nullptr;
    if (m_windowless &&
        SUCCEEDED(m_inPlaceSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&pWindowless)))) {
        BOOL noRedraw = FALSE;
        if (pWindowless->CanWindowlessActivate() == S_OK) {
            hr = pWindowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
            Note(L"ActivateWindowless " + std::to_wstring(hr));
            if (SUCCEEDED(hr) && m_options.focusOnActivate) pWindowless->SetFocus(TRUE);
        }
        pWindowless->Release();
    } else {
        IOleInPlaceSiteEx* pEx = nullptr;
        if (SUCCEEDED(m_inPlaceSite->QueryInterface(IID_IOleInPlaceSiteEx, reinterpret_cast<void**>(&pEx)))) {
            BOOL noRedraw = FALSE;
            hr = pEx->OnInPlaceActivateEx(&noRedraw, 0);
            pEx->Release();
        } else {
            hr = m_inPlaceSite->OnInPlaceActivate();
        }
        Note(L"ActivateWindowed " + std::to_wstring(hr));
    }
    if (FAILED(hr)) {
        m_inPlaceSite->Release();
        m_inPlaceSite = nullptr;
        return hr;
    }
    m_active = true;
    // 2. The frame and the place the site gives.
    RECT rcPos{}, rcClip{};
    m_frameInfo = OLEINPLACEFRAMEINFO{};
    m_frameInfo.cb = sizeof(OLEINPLACEFRAMEINFO);
    m_contextResult = m_inPlaceSite->GetWindowContext(&m_frame, &m_doc, &rcPos, &rcClip, &m_frameInfo);
    if (SUCCEEDED(m_contextResult)) m_objectRect = rcPos;
    if (m_options.focusOnActivate && FAILED(m_contextResult)) return m_contextResult;
    // 3. A windowed object makes its window inside the site's window.
    if (!m_windowless || !m_options.windowlessInterface) {
        HWND hwndSite = nullptr;
        if (SUCCEEDED(m_inPlaceSite->GetWindow(&hwndSite)) && hwndSite != nullptr) {
            static bool registered = false;
            if (!registered) {
                WNDCLASSW wc{};
                wc.lpfnWndProc = &FakeWindowProc;
                wc.hInstance = ::GetModuleHandleW(nullptr);
                wc.lpszClassName = L"FakeControlWindow";
                registered = ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
            }
            m_window = ::CreateWindowExW(0, L"FakeControlWindow", L"", WS_CHILD | WS_VISIBLE, m_objectRect.left,
                                         m_objectRect.top, m_objectRect.right - m_objectRect.left,
                                         m_objectRect.bottom - m_objectRect.top, hwndSite, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
            if (m_window != nullptr) ::SetWindowLongPtrW(m_window, GWLP_USERDATA, static_cast<LONG_PTR>(m_options.fill));
        }
    }
    return S_OK;
}

void FakeControl::DropFrame()
{
    if (m_frame != nullptr) {
        m_frame->SetActiveObject(nullptr, nullptr);
        m_frame->Release();
    }
    m_frame = nullptr;
    if (m_doc != nullptr) m_doc->Release();
    m_doc = nullptr;
}

HRESULT FakeControl::SetExtent(DWORD, SIZEL* psizel)
{
    if (psizel == nullptr) return E_POINTER;
    m_extent = *psizel;
    Note(L"SetExtent " + std::to_wstring(psizel->cx) + L"," + std::to_wstring(psizel->cy));
    return S_OK;
}

HRESULT FakeControl::GetExtent(DWORD, SIZEL* psizel)
{
    if (psizel == nullptr) return E_POINTER;
    *psizel = m_extent;
    return S_OK;
}

HRESULT FakeControl::GetMiscStatus(DWORD, DWORD* pdwStatus)
{
    if (pdwStatus == nullptr) return E_POINTER;
    *pdwStatus = m_options.miscStatus;
    return S_OK;
}

HRESULT FakeControl::GetClassID(CLSID* pClassID)
{
    if (pClassID == nullptr) return E_POINTER;
    *pClassID = m_windowless ? CLSID_FakeWindowless : CLSID_FakeWindowed;
    return S_OK;
}

HRESULT FakeControl::InitNew()
{
    Note(L"InitNew");
    return m_options.initNewResult;
}

HRESULT FakeControl::Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL,
                          BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (hdcDraw == nullptr || lprcBounds == nullptr) return E_INVALIDARG;
    m_drawRect = { lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom };
    Note(L"Draw " + RectText(m_drawRect));
    HBRUSH hBrush = ::CreateSolidBrush(m_options.fill);
    ::FillRect(hdcDraw, &m_drawRect, hBrush);
    ::DeleteObject(hBrush);
    return S_OK;
}

HRESULT FakeControl::GetViewStatus(DWORD* pdwStatus)
{
    if (pdwStatus == nullptr) return E_POINTER;
    *pdwStatus = VIEWSTATUS_OPAQUE;
    return S_OK;
}

HRESULT FakeControl::QueryHitPoint(DWORD, LPCRECT pRectBounds, POINT ptlLoc, LONG, DWORD* pHitResult)
{
    if (pHitResult == nullptr || pRectBounds == nullptr) return E_POINTER;
    const bool inside = ::PtInRect(pRectBounds, ptlLoc) != FALSE;
    *pHitResult = (m_options.hitInside && inside) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    Note(L"QueryHitPoint " + std::to_wstring(ptlLoc.x) + L"," + std::to_wstring(ptlLoc.y));
    return S_OK;
}

HRESULT FakeControl::GetWindow(HWND* phwnd)
{
    if (phwnd == nullptr) return E_POINTER;
    *phwnd = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

HRESULT FakeControl::InPlaceDeactivate()
{
    if (!m_active) return S_OK;
    Note(L"InPlaceDeactivate");
    UIDeactivate();
    m_active = false;
    if (m_window != nullptr) ::DestroyWindow(m_window);
    m_window = nullptr;
    DropFrame();
    IOleInPlaceSite* pSite = m_inPlaceSite;
    m_inPlaceSite = nullptr;
    if (pSite != nullptr) {
        pSite->OnInPlaceDeactivate();
        pSite->Release();
    }
    return S_OK;
}

HRESULT FakeControl::UIDeactivate()
{
    if (!m_uiActive) return S_OK;
    m_uiActive = false;
    if (m_inPlaceSite != nullptr) m_inPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT FakeControl::SetObjectRects(LPCRECT lprcPosRect, LPCRECT)
{
    if (lprcPosRect == nullptr) return E_POINTER;
    m_objectRect = *lprcPosRect;
    Note(L"SetObjectRects " + RectText(m_objectRect));
    if (m_window != nullptr)
        ::MoveWindow(m_window, m_objectRect.left, m_objectRect.top, m_objectRect.right - m_objectRect.left,
                     m_objectRect.bottom - m_objectRect.top, TRUE);
    return S_OK;
}

HRESULT FakeControl::OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT* plResult)
{
    m_messages.push_back(msg);
    if (plResult != nullptr) *plResult = kMessageResult;
    return S_OK;
}

HRESULT FakeControl::TranslateAccelerator(LPMSG lpmsg)
{
    Note(L"TranslateAccelerator " + std::to_wstring(lpmsg != nullptr ? lpmsg->message : 0));
    return S_FALSE;
}

HRESULT FakeControl::SetSite(IUnknown* pUnkSite)
{
    Note(pUnkSite != nullptr ? L"SetSite" : L"SetSite null");
    if (pUnkSite != nullptr) pUnkSite->AddRef();
    if (m_objectSite != nullptr) m_objectSite->Release();
    m_objectSite = pUnkSite;
    return S_OK;
}

HRESULT FakeControl::GetSite(REFIID riid, void** ppvSite)
{
    if (ppvSite == nullptr) return E_POINTER;
    *ppvSite = nullptr;
    if (m_objectSite == nullptr) return E_FAIL;
    return m_objectSite->QueryInterface(riid, ppvSite);
}

} // namespace fakes
