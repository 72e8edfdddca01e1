#include "OleControl.h"

#include <olectl.h>

#include <algorithm>
#include <new>
#include <vector>

// The container's in-place frame, one per site; it lives and counts with the site.
class COleContainerFrame : public IOleInPlaceFrame {
public:
    explicit COleContainerFrame(COleControlSite* site) : m_site(site) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
            IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
            *object = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_site->ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_site->ExternalRelease(); }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override { return m_site->GetWindow(window); }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override
    {
        if (object) object->AddRef();
        if (m_site->m_pActiveObject) m_site->m_pActiveObject->Release();
        m_site->m_pActiveObject = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    COleControlSite* m_site;
};

// Receives the control's events and hands them to the container's event map.
class COleEventSink : public IDispatch {
public:
    explicit COleEventSink(COleControlSite* site) : m_site(site) {}
    IID m_iid = IID_NULL;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, m_iid)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return m_site->ExternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_site->ExternalRelease(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        CWnd* container = m_site->GetContainer();
        if (container) container->OnEventSink(m_site->GetCtrlID(), id, params);
        return S_OK;
    }

private:
    COleControlSite* m_site;
};

namespace {

template <class T>
void ReleaseInto(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

} // namespace

COleControlSite* COccManager::CreateSite(CWnd* container)
{
    return new (std::nothrow) COleControlSite(container);
}

COccManager* AfxGetDefaultOccManager()
{
    static COccManager manager;
    return &manager;
}

COleControlSite::COleControlSite(CWnd* container)
    : m_pContainer(container), m_pFrame(new COleContainerFrame(this)), m_pSink(new COleEventSink(this))
{
}

COleControlSite::~COleControlSite() = default;

HRESULT COleControlSite::ExternalQueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const SITE_INTERFACE_ENTRY* row = GetInterfaceMap(); row && row->iid; ++row) {
        if (IsEqualIID(iid, *row->iid)) {
            IUnknown* found = row->get(this);
            found->AddRef();
            *object = found;
            return S_OK;
        }
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleControlSite))
        *object = static_cast<IOleControlSite*>(this);
    else if (IsEqualIID(iid, IID_IDispatch))
        *object = static_cast<IDispatch*>(this);
    if (!*object) return E_NOINTERFACE;
    ExternalAddRef();
    return S_OK;
}

ULONG COleControlSite::ExternalAddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG COleControlSite::ExternalRelease()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT COleControlSite::CreateControl(CWnd* wrapper, REFCLSID clsid, LPCWSTR, DWORD style, const RECT& rect, UINT id)
{
    m_nID = id;
    m_rect = rect;
    // 1. The object, told of its site before anything else (the browser reads its host's
    //    interfaces while it starts).
    HRESULT hr =
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&m_pObject));
    if (FAILED(hr)) return hr;
    m_pObject->SetClientSite(static_cast<IOleClientSite*>(this));
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
        persist->InitNew();
        persist->Release();
    }
    // 2. In-place activation inside the container at the rectangle; the control's window
    //    takes the child id.
    RECT place = rect;
    hr = m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                           m_pContainer->GetSafeHwnd(), &place);
    if (FAILED(hr)) return hr;
    if (!m_pInPlaceObject)
        m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_pInPlaceObject));
    if (m_pInPlaceObject) m_pInPlaceObject->GetWindow(&m_hWndCtrl);
    if (!m_hWndCtrl) return E_FAIL;
    ::SetWindowLongPtrW(m_hWndCtrl, GWLP_ID, static_cast<LONG_PTR>(id));
    if (m_pInPlaceObject) m_pInPlaceObject->SetObjectRects(&m_rect, &m_rect);
    if (style & WS_VISIBLE) {
        m_pObject->DoVerb(OLEIVERB_SHOW, nullptr, static_cast<IOleClientSite*>(this), 0, m_pContainer->GetSafeHwnd(),
                          &place);
    }
    // 3. The events, then the wrapper.
    ConnectEvents();
    if (wrapper) AttachWrapper(wrapper);
    return S_OK;
}

void COleControlSite::ConnectEvents()
{
    IProvideClassInfo2* info = nullptr;
    GUID events = IID_NULL;
    if (SUCCEEDED(m_pObject->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)))) {
        info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
        info->Release();
    }
    if (IsEqualIID(events, IID_NULL)) return;
    IConnectionPointContainer* points = nullptr;
    if (FAILED(m_pObject->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) return;
    if (SUCCEEDED(points->FindConnectionPoint(events, &m_pEventPoint))) {
        m_pSink->m_iid = events;
        if (FAILED(m_pEventPoint->Advise(m_pSink.get(), &m_eventCookie))) ReleaseInto(m_pEventPoint);
    }
    points->Release();
}

void COleControlSite::AttachWrapper(CWnd* wrapper)
{
    if (m_pWrapper == wrapper || !m_hWndCtrl) return;
    if (m_pWrapper) {
        m_pWrapper->m_pCtrlSite = nullptr;
        m_pWrapper->Detach();
    }
    m_pWrapper = wrapper;
    if (!wrapper) return;
    wrapper->Attach(m_hWndCtrl);
    wrapper->m_pCtrlSite = this;
}

void COleControlSite::DestroyControl()
{
    // The site may go with the last release below: hold it until the end.
    ExternalAddRef();
    if (m_pEventPoint) {
        m_pEventPoint->Unadvise(m_eventCookie);
        ReleaseInto(m_pEventPoint);
    }
    AttachWrapper(nullptr);
    if (m_pInPlaceObject) m_pInPlaceObject->InPlaceDeactivate();
    ReleaseInto(m_pActiveObject);
    ReleaseInto(m_pInPlaceObject);
    if (m_pObject) {
        m_pObject->Close(OLECLOSE_NOSAVE);
        m_pObject->SetClientSite(nullptr);
        ReleaseInto(m_pObject);
    }
    m_hWndCtrl = nullptr;
    m_pContainer = nullptr;
    ExternalRelease(); // the container's
    ExternalRelease();
}

HRESULT COleControlSite::InvokeHelper(DISPID id, WORD flags, VARIANT* result, const VARIANT* args, UINT count)
{
    if (!m_pObject) return E_UNEXPECTED;
    IDispatch* dispatch = nullptr;
    HRESULT hr = m_pObject->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(hr)) return hr;
    // The arguments travel last to first.
    std::vector<VARIANT> reversed(args ? args : nullptr, args ? args + count : nullptr);
    std::reverse(reversed.begin(), reversed.end());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{ reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0 };
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    dispatch->Release();
    return hr;
}

HRESULT COleControlSite::SetProperty(DISPID id, const VARIANT& value)
{
    return InvokeHelper(id, DISPATCH_PROPERTYPUT, nullptr, &value, 1);
}

HRESULT COleControlSite::GetProperty(DISPID id, VARIANT* value)
{
    return InvokeHelper(id, DISPATCH_PROPERTYGET, value);
}

BOOL COleControlSite::ForwardKeyboard(MSG* msg)
{
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_pObject) return FALSE;
    IOleInPlaceActiveObject* active = m_pActiveObject;
    if (active) {
        active->AddRef();
    } else if (FAILED(m_pObject->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)))) {
        return FALSE;
    }
    const HRESULT hr = active->TranslateAccelerator(msg);
    active->Release();
    return hr == S_OK;
}

HRESULT COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT COleControlSite::GetContainer(IOleContainer** container)
{
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT COleControlSite::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_pContainer ? m_pContainer->GetSafeHwnd() : nullptr;
    return *window ? S_OK : E_FAIL;
}

HRESULT COleControlSite::OnInPlaceActivate()
{
    if (!m_pInPlaceObject && m_pObject)
        m_pObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_pInPlaceObject));
    return S_OK;
}

HRESULT COleControlSite::OnInPlaceDeactivate()
{
    ReleaseInto(m_pActiveObject);
    return S_OK;
}

HRESULT COleControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                          LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (frame) {
        *frame = m_pFrame.get();
        m_pFrame->AddRef();
    }
    if (document) *document = nullptr;
    if (position) *position = m_rect;
    if (clip) *clip = m_rect;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_pContainer ? ::GetAncestor(m_pContainer->GetSafeHwnd(), GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT COleControlSite::OnPosRectChange(LPCRECT rect)
{
    if (!rect) return E_POINTER;
    m_rect = *rect;
    if (m_pInPlaceObject) m_pInPlaceObject->SetObjectRects(&m_rect, &m_rect);
    return S_OK;
}

HRESULT COleControlSite::GetExtendedControl(IDispatch** object)
{
    if (object) *object = nullptr;
    return E_NOTIMPL;
}

HRESULT COleControlSite::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return S_OK;
}

HRESULT COleControlSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    // The ambient properties a control asks its container about.
    if (!result) return E_POINTER;
    switch (id) {
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_MESSAGEREFLECT:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}
