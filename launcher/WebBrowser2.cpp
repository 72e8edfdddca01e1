#include "WebBrowser2.h"

#include <new>

#include "framework/WinApp.h"

const CLSID kWebBrowserClassId = { 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };

namespace {
IDispatch* g_external = nullptr;
}

IDispatch* BrowserExternal()
{
    return g_external;
}

COleControlSite* CCustomOccManager::CreateSite(CWnd* container)
{
    CCustomControlSite* site = new (std::nothrow) CCustomControlSite(container);
    g_external = m_pExternal;
    return site;
}

CCustomControlSite::CCustomControlSite(CWnd* container) : COleControlSite(container)
{
    m_xDocHostUIHandler.m_site = this;
    m_xDocHostShowUI.m_site = this;
}

const SITE_INTERFACE_ENTRY* CCustomControlSite::GetInterfaceMap() const
{
    static const SITE_INTERFACE_ENTRY entries[] = {
        { &__uuidof(IDocHostShowUI),
          [](COleControlSite* site) -> IUnknown* {
              return &static_cast<CCustomControlSite*>(site)->m_xDocHostShowUI;
          } },
        { &__uuidof(IDocHostUIHandler),
          [](COleControlSite* site) -> IUnknown* {
              return &static_cast<CCustomControlSite*>(site)->m_xDocHostUIHandler;
          } },
        { nullptr, nullptr }
    };
    return entries;
}

HRESULT CCustomControlSite::XDocHostUIHandler::QueryInterface(REFIID iid, void** object)
{
    return Site()->ExternalQueryInterface(iid, object);
}
ULONG CCustomControlSite::XDocHostUIHandler::AddRef()
{
    return Site()->ExternalAddRef();
}
ULONG CCustomControlSite::XDocHostUIHandler::Release()
{
    return Site()->ExternalRelease();
}

HRESULT CCustomControlSite::XDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info) return E_POINTER;
    info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

HRESULT CCustomControlSite::XDocHostUIHandler::TranslateAccelerator(LPMSG msg, const GUID*, DWORD)
{
    return FilterBrowserAccelerator(msg);
}

HRESULT CCustomControlSite::XDocHostUIHandler::GetExternal(IDispatch** external)
{
    if (!external) return E_POINTER;
    *external = g_external;
    if (!*external) return S_FALSE;
    (*external)->AddRef();
    return S_OK;
}

HRESULT CCustomControlSite::XDocHostShowUI::QueryInterface(REFIID iid, void** object)
{
    return Site()->ExternalQueryInterface(iid, object);
}
ULONG CCustomControlSite::XDocHostShowUI::AddRef()
{
    return Site()->ExternalAddRef();
}
ULONG CCustomControlSite::XDocHostShowUI::Release()
{
    return Site()->ExternalRelease();
}

HRESULT FilterBrowserAccelerator(const MSG* msg, KeyStateFn keyState, KeyStateFn asyncKeyState)
{
    if (!msg || msg->message != WM_KEYDOWN || keyState(VK_CONTROL) >= 0) return S_FALSE;
    for (int key : { 'O', 'P', 'N' }) {
        if (asyncKeyState(key) < 0) return S_OK;
    }
    return S_FALSE;
}

namespace {
// The page's external object: the browser may hand it to scripts until the process ends,
// so it is one object for the process, never freed.
ClientCall* ProcessExternal()
{
    static ClientCall external;
    return &external;
}
} // namespace

CWebBrowser2::CWebBrowser2() : m_manager(), m_external(ProcessExternal())
{
    m_manager = std::make_unique<CCustomOccManager>(m_external);
    AfxEnableControlContainer(m_manager.get());
}

CWebBrowser2::~CWebBrowser2()
{
    AfxEnableControlContainer();
    // The site may outlive this wrapper inside a container that is still open; it then
    // forgets the wrapper in the base destructor.
}

BOOL CWebBrowser2::Create(LPCWSTR, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*)
{
    return CreateControl(kWebBrowserClassId, windowName, style, rect, parent, id);
}

HRESULT CWebBrowser2::PutLong(DISPID id, long value)
{
    if (!m_pCtrlSite) return E_UNEXPECTED;
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return m_pCtrlSite->SetProperty(id, v);
}

HRESULT CWebBrowser2::put_Left(long value)
{
    return PutLong(kLeft, value);
}
HRESULT CWebBrowser2::put_Top(long value)
{
    return PutLong(kTop, value);
}
HRESULT CWebBrowser2::put_Width(long value)
{
    return PutLong(kWidth, value);
}
HRESULT CWebBrowser2::put_Height(long value)
{
    return PutLong(kHeight, value);
}

HRESULT CWebBrowser2::put_Silent(bool value)
{
    if (!m_pCtrlSite) return E_UNEXPECTED;
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return m_pCtrlSite->SetProperty(kSilent, v);
}

HRESULT CWebBrowser2::Navigate(const std::wstring& url)
{
    if (!m_pCtrlSite) return E_UNEXPECTED;
    VARIANT args[5];
    for (VARIANT& arg : args) ::VariantInit(&arg);
    args[0].vt = VT_BSTR;
    args[0].bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    if (!args[0].bstrVal) return E_OUTOFMEMORY;
    // The four optional arguments go as empty values.
    const HRESULT hr = m_pCtrlSite->InvokeHelper(kNavigate, DISPATCH_METHOD, nullptr, args, 5);
    ::VariantClear(&args[0]);
    return hr;
}

IDispatch* CWebBrowser2::get_Document()
{
    if (!m_pCtrlSite) return nullptr;
    VARIANT result;
    ::VariantInit(&result);
    if (FAILED(m_pCtrlSite->GetProperty(kDocument, &result))) return nullptr;
    if (result.vt == VT_DISPATCH) return result.pdispVal; // the reference passes to the caller
    ::VariantClear(&result);
    return nullptr;
}
