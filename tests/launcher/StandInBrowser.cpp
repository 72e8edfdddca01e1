#include "StandInBrowser.h"

#include <exdisp.h>
#include <olectl.h>
#include <mshtmhst.h>

#include <cstdio>
#include <mutex>

namespace {

const CLSID kWebBrowser = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };
const IID kEvents = { 0x34A715A0, 0x6587, 0x11D0, { 0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D } };

std::mutex g_lock;
std::vector<std::wstring> g_record;
std::wstring g_logFile;
StandInBrowser* g_last = nullptr;

void Note(const std::wstring& line)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_record.push_back(line);
    if (g_logFile.empty()) return;
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], size, nullptr,
                              nullptr);
    utf8 += "\n";
    HANDLE file = ::CreateFileW(g_logFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        HBRUSH brush = ::CreateSolidBrush(RGB(250, 250, 250));
        ::FillRect(dc, &paint.rcPaint, brush);
        ::DeleteObject(brush);
        ::EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_CHAR) {
        Note((message == WM_KEYDOWN ? L"PageKeyDown " : L"PageChar ") + std::to_wstring(wParam));
        return 0;
    }
    if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* browser = new StandInBrowser();
        const HRESULT hr = browser->QueryInterface(iid, object);
        browser->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

namespace standin {

bool Register(const std::wstring& logFile)
{
    static Factory factory;
    g_logFile = logFile;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &PageProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"StandInBrowserPage";
    ::RegisterClassW(&wc);
    DWORD cookie = 0;
    return SUCCEEDED(::CoRegisterClassObject(kWebBrowser, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
}

StandInBrowser* Last()
{
    return g_last;
}

std::vector<std::wstring> Record()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_record;
}

void ClearRecord()
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_record.clear();
}

} // namespace standin

StandInBrowser::StandInBrowser()
{
    g_last = this;
    Note(L"Created");
}

StandInBrowser::~StandInBrowser()
{
    if (g_last == this) g_last = nullptr;
}

HRESULT StandInBrowser::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject))
        *object = static_cast<IOleObject*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject))
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceActiveObject))
        *object = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IWebBrowser2))
        *object = static_cast<IDispatch*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPointContainer))
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(iid, IID_IConnectionPoint))
        *object = static_cast<IConnectionPoint*>(this);
    else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
        *object = static_cast<IProvideClassInfo2*>(this);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG StandInBrowser::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG StandInBrowser::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT StandInBrowser::SetClientSite(IOleClientSite* site)
{
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    Note(site ? L"SetClientSite" : L"SetClientSite null");
    return S_OK;
}

HRESULT StandInBrowser::GetClientSite(IOleClientSite** site)
{
    if (!site) return E_POINTER;
    *site = m_site;
    if (m_site) m_site->AddRef();
    return S_OK;
}

HRESULT StandInBrowser::Close(DWORD)
{
    Note(L"Close");
    InPlaceDeactivate();
    if (m_sink) m_sink->Release();
    m_sink = nullptr;
    return S_OK;
}

HRESULT StandInBrowser::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND parent, LPCRECT rect)
{
    Note(L"DoVerb " + std::to_wstring(verb));
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE) return S_OK;
    if (m_window) {
        ::ShowWindow(m_window, SW_SHOW);
        return S_OK;
    }
    if (rect) m_place = *rect;
    IOleInPlaceSite* site = nullptr;
    if (!m_site || FAILED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) return E_FAIL;
    site->OnInPlaceActivate();
    m_window = ::CreateWindowExW(0, L"StandInBrowserPage", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, m_place.left,
                                 m_place.top, m_place.right - m_place.left, m_place.bottom - m_place.top, parent,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof(info);
    if (SUCCEEDED(site->GetWindowContext(&frame, &document, &position, &clip, &info))) {
        if (frame) {
            frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), L"page");
            frame->Release();
        }
        if (document) document->Release();
    }
    site->Release();
    return m_window ? S_OK : E_FAIL;
}

HRESULT StandInBrowser::Unadvise(DWORD cookie)
{
    if (cookie == 1 && m_sink) {
        m_sink->Release();
        m_sink = nullptr;
        Note(L"Unadvise");
    }
    return S_OK;
}

HRESULT StandInBrowser::GetMiscStatus(DWORD, DWORD* status)
{
    if (status) *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT;
    return S_OK;
}

HRESULT StandInBrowser::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

HRESULT StandInBrowser::InPlaceDeactivate()
{
    if (!m_window) return S_OK;
    ::DestroyWindow(m_window);
    m_window = nullptr;
    IOleInPlaceSite* site = nullptr;
    if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

HRESULT StandInBrowser::SetObjectRects(LPCRECT position, LPCRECT)
{
    if (!position) return E_POINTER;
    m_place = *position;
    if (m_window)
        ::MoveWindow(m_window, m_place.left, m_place.top, m_place.right - m_place.left, m_place.bottom - m_place.top,
                     TRUE);
    return S_OK;
}

HRESULT StandInBrowser::TranslateAccelerator(LPMSG msg)
{
    if (!msg) return S_FALSE;
    Note(L"Key " + std::to_wstring(msg->message) + L" " + std::to_wstring(msg->wParam));
    // As the real browser does: its host has the first say.
    HRESULT answer = S_FALSE;
    IDocHostUIHandler* handler = nullptr;
    if (m_site && SUCCEEDED(m_site->QueryInterface(__uuidof(IDocHostUIHandler), reinterpret_cast<void**>(&handler)))) {
        answer = handler->TranslateAccelerator(msg, nullptr, 0);
        handler->Release();
    }
    return answer == S_OK ? S_OK : S_FALSE;
}

HRESULT StandInBrowser::GetTypeInfoCount(UINT* count)
{
    if (count) *count = 0;
    return S_OK;
}

void StandInBrowser::PlaceChanged()
{
    IOleInPlaceSite* site = nullptr;
    if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
        site->OnPosRectChange(&m_place);
        site->Release();
    }
}

HRESULT StandInBrowser::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                               UINT*)
{
    VARIANT value;
    ::VariantInit(&value);
    const bool put = (flags & DISPATCH_PROPERTYPUT) && params && params->cArgs >= 1;
    if (put) ::VariantChangeType(&value, &params->rgvarg[0], 0, VT_I4);
    switch (id) {
    case 104: { // Navigate: the address is the first argument, so the last one stored
        if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
        const VARIANT& url = params->rgvarg[params->cArgs - 1];
        Note(L"Navigate " + std::wstring(url.vt == VT_BSTR && url.bstrVal ? url.bstrVal : L""));
        return S_OK;
    }
    case 206:
    case 207:
    case 208:
    case 209: {
        if (!put) return DISP_E_MEMBERNOTFOUND;
        const wchar_t* names[] = { L"Left", L"Top", L"Width", L"Height" };
        Note(std::wstring(names[id - 206]) + L" " + std::to_wstring(value.lVal));
        const LONG width = m_place.right - m_place.left;
        const LONG height = m_place.bottom - m_place.top;
        if (id == 206) m_place = { value.lVal, m_place.top, value.lVal + width, m_place.bottom };
        if (id == 207) m_place = { m_place.left, value.lVal, m_place.right, value.lVal + height };
        if (id == 208) m_place.right = m_place.left + value.lVal;
        if (id == 209) m_place.bottom = m_place.top + value.lVal;
        PlaceChanged();
        return S_OK;
    }
    case 551:
        if (!put) return DISP_E_MEMBERNOTFOUND;
        Note(L"Silent " + std::to_wstring(value.lVal));
        return S_OK;
    case 203:
        Note(L"Document");
        if (result) ::VariantInit(result); // no HTML engine here: no document
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT StandInBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(iid, kEvents)) return CONNECT_E_NOCONNECTION;
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

HRESULT StandInBrowser::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = kEvents;
    return S_OK;
}

HRESULT StandInBrowser::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) return E_POINTER;
    *container = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
}

HRESULT StandInBrowser::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie) return E_POINTER;
    IDispatch* events = nullptr;
    if (FAILED(sink->QueryInterface(kEvents, reinterpret_cast<void**>(&events)))) return CONNECT_E_CANNOTCONNECT;
    if (m_sink) m_sink->Release();
    m_sink = events;
    *cookie = 1;
    Note(L"Advise");
    return S_OK;
}

HRESULT StandInBrowser::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = kEvents;
    return S_OK;
}

void StandInBrowser::Fire(DISPID id, VARIANT* args, UINT count)
{
    if (!m_sink) return;
    // The arguments travel last to first.
    std::vector<VARIANT> reversed(args, args + count);
    DISPPARAMS params{ nullptr, nullptr, count, 0 };
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    params.rgvarg = reversed.data();
    m_sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

bool StandInBrowser::FireBeforeNavigate2(const std::wstring& url)
{
    Note(L"Fire BeforeNavigate2 " + url);
    VARIANT address, empty;
    ::VariantInit(&address);
    ::VariantInit(&empty);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[7];
    for (VARIANT& arg : args) ::VariantInit(&arg);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IDispatch*>(this);
    args[1].vt = VT_BYREF | VT_VARIANT;
    args[1].pvarVal = &address;
    for (int i = 2; i < 6; ++i) {
        args[i].vt = VT_BYREF | VT_VARIANT;
        args[i].pvarVal = &empty;
    }
    args[6].vt = VT_BYREF | VT_BOOL;
    args[6].pboolVal = &cancel;
    Fire(250, args, 7);
    ::VariantClear(&address);
    return cancel != VARIANT_FALSE;
}

bool StandInBrowser::FireNewWindow3(const std::wstring& url)
{
    Note(L"Fire NewWindow3 " + url);
    IDispatch* created = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    BSTR context = ::SysAllocString(L"http://page/");
    BSTR address = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT args[5];
    for (VARIANT& arg : args) ::VariantInit(&arg);
    args[0].vt = VT_BYREF | VT_DISPATCH;
    args[0].ppdispVal = &created;
    args[1].vt = VT_BYREF | VT_BOOL;
    args[1].pboolVal = &cancel;
    args[2].vt = VT_I4;
    args[2].lVal = 0;
    args[3].vt = VT_BSTR;
    args[3].bstrVal = context;
    args[4].vt = VT_BSTR;
    args[4].bstrVal = address;
    Fire(273, args, 5);
    ::SysFreeString(context);
    ::SysFreeString(address);
    return cancel != VARIANT_FALSE;
}

void StandInBrowser::FireDocumentComplete(const std::wstring& url)
{
    Note(L"Fire DocumentComplete " + url);
    VARIANT address;
    ::VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT args[2];
    ::VariantInit(&args[0]);
    ::VariantInit(&args[1]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IDispatch*>(this);
    args[1].vt = VT_BYREF | VT_VARIANT;
    args[1].pvarVal = &address;
    Fire(259, args, 2);
    ::VariantClear(&address);
}

HRESULT StandInBrowser::CallExternal(const wchar_t* method, const std::wstring& argument)
{
    IDocHostUIHandler* handler = nullptr;
    if (!m_site || FAILED(m_site->QueryInterface(__uuidof(IDocHostUIHandler), reinterpret_cast<void**>(&handler))))
        return E_NOINTERFACE;
    IDispatch* external = nullptr;
    HRESULT hr = handler->GetExternal(&external);
    handler->Release();
    if (FAILED(hr) || !external) return FAILED(hr) ? hr : E_POINTER;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = { const_cast<LPOLESTR>(method) };
    hr = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(hr) && id != DISPID_UNKNOWN) {
        VARIANT arg;
        ::VariantInit(&arg);
        arg.vt = VT_BSTR;
        arg.bstrVal = ::SysAllocStringLen(argument.data(), static_cast<UINT>(argument.size()));
        DISPPARAMS params{ &arg, nullptr, 1, 0 };
        hr = external->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        ::VariantClear(&arg);
    } else if (SUCCEEDED(hr)) {
        hr = DISP_E_UNKNOWNNAME;
    }
    external->Release();
    return hr;
}
