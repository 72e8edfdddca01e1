#include "FakeBrowser.h"

#include <exdispid.h>

#include "FakeComFactory.h"

namespace fakes {

namespace {

// The browser's command group for its host (no import library defines it).
const GUID kDocHostCommandHandler = { 0xf38bc242, 0xb950, 0x11d1, { 0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36 } };

FakeBrowser* g_last = nullptr;

HRESULT CreateBrowser(REFIID iid, void** ppv)
{
    FakeBrowser* pBrowser = new FakeBrowser();
    const HRESULT hr = static_cast<IWebBrowser2*>(pBrowser)->QueryInterface(iid, ppv);
    static_cast<IWebBrowser2*>(pBrowser)->Release();
    return hr;
}

std::wstring VariantText(const VARIANT* pValue)
{
    if (pValue == nullptr) return L"(null)";
    if (pValue->vt == VT_BSTR) return L"BSTR " + std::wstring(pValue->bstrVal != nullptr ? pValue->bstrVal : L"");
    if (pValue->vt == VT_I4) return L"I4 " + std::to_wstring(pValue->lVal);
    return L"VT " + std::to_wstring(pValue->vt);
}

VARIANT ByRef(VARIANT* pValue)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = pValue;
    return v;
}

VARIANT ByRefBool(VARIANT_BOOL* pValue)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = pValue;
    return v;
}

// A variant that owns a copy of text.
struct TextVariant {
    explicit TextVariant(LPCWSTR text)
    {
        ::VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
    }
    ~TextVariant() { ::VariantClear(&value); }
    TextVariant(const TextVariant&) = delete;
    TextVariant& operator=(const TextVariant&) = delete;
    VARIANT value;
};

} // namespace

bool FakeBrowser::Register()
{
    return RegisterInProcess(CLSID_WebBrowser, &CreateBrowser);
}

FakeBrowser* FakeBrowser::Last()
{
    return g_last;
}

FakeBrowser::FakeBrowser() : FakeOleObject(DIID_DWebBrowserEvents2, L"Browser"), m_pDocument(new FakeDocument())
{
    g_last = this;
}

FakeBrowser::~FakeBrowser()
{
    if (g_last == this) g_last = nullptr;
    m_pDocument->Release();
}

void* FakeBrowser::QueryOwn(REFIID riid)
{
    if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IWebBrowser) || IsEqualIID(riid, IID_IWebBrowserApp) ||
        IsEqualIID(riid, IID_IWebBrowser2))
        return static_cast<IWebBrowser2*>(this);
    return nullptr;
}

void FakeBrowser::OnClose()
{
    m_pDocument->DropHandler();
}

HRESULT FakeBrowser::QueryInterface(REFIID riid, void** ppv)
{
    return FakeOleObject::QueryInterface(riid, ppv);
}

ULONG FakeBrowser::AddRef()
{
    return FakeOleObject::AddRef();
}

ULONG FakeBrowser::Release()
{
    return FakeOleObject::Release();
}

HRESULT FakeBrowser::Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    Note(L"Navigate " + std::wstring(URL != nullptr ? URL : L""));
    return S_OK;
}

HRESULT FakeBrowser::Navigate2(VARIANT* URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    Note(L"Navigate2 " + VariantText(URL));
    return S_OK;
}

HRESULT FakeBrowser::Refresh()
{
    Note(L"Refresh");
    return S_OK;
}

HRESULT FakeBrowser::Refresh2(VARIANT* Level)
{
    Note(L"Refresh2 " + VariantText(Level));
    return S_OK;
}

HRESULT FakeBrowser::GoBack()
{
    Note(L"GoBack");
    return S_OK;
}

HRESULT FakeBrowser::GoForward()
{
    Note(L"GoForward");
    return S_OK;
}

HRESULT FakeBrowser::get_Document(IDispatch** ppDisp)
{
    if (ppDisp == nullptr) return E_POINTER;
    *ppDisp = static_cast<IHTMLDocument2*>(m_pDocument);
    m_pDocument->AddRef();
    return S_OK;
}

HRESULT FakeBrowser::FireBeforeNavigate2(LPCWSTR url, bool* pCancel)
{
    TextVariant address(url);
    VARIANT empty;
    ::VariantInit(&empty);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[7];
    ::VariantInit(&args[0]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IWebBrowser2*>(this);
    args[1] = ByRef(&address.value);
    for (int i = 2; i < 6; i++) args[i] = ByRef(&empty);
    args[6] = ByRefBool(&cancel);
    const HRESULT hr = Events().Fire(DISPID_BEFORENAVIGATE2, args, 7);
    if (pCancel != nullptr) *pCancel = cancel != VARIANT_FALSE;
    return hr;
}

HRESULT FakeBrowser::FireNavigateComplete2(LPCWSTR url)
{
    TextVariant address(url);
    VARIANT args[2];
    ::VariantInit(&args[0]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IWebBrowser2*>(this);
    args[1] = ByRef(&address.value);
    return Events().Fire(DISPID_NAVIGATECOMPLETE2, args, 2);
}

HRESULT FakeBrowser::FireNavigateError(LPCWSTR url, LONG status, bool* pCancel)
{
    TextVariant address(url);
    TextVariant frame(L"");
    VARIANT code;
    ::VariantInit(&code);
    code.vt = VT_I4;
    code.lVal = status;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[5];
    ::VariantInit(&args[0]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IWebBrowser2*>(this);
    args[1] = ByRef(&address.value);
    args[2] = ByRef(&frame.value);
    args[3] = ByRef(&code);
    args[4] = ByRefBool(&cancel);
    const HRESULT hr = Events().Fire(DISPID_NAVIGATEERROR, args, 5);
    if (pCancel != nullptr) *pCancel = cancel != VARIANT_FALSE;
    return hr;
}

HRESULT FakeBrowser::FireNewWindow3(LPCWSTR url, bool* pCancel)
{
    IDispatch* pCreated = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    TextVariant context(L"http://page/");
    TextVariant address(url);
    VARIANT args[5];
    for (VARIANT& arg : args) ::VariantInit(&arg);
    args[0].vt = VT_BYREF | VT_DISPATCH;
    args[0].ppdispVal = &pCreated;
    args[1] = ByRefBool(&cancel);
    args[2].vt = VT_I4;
    args[2].lVal = 0x6; // NWMF_USERINITED | NWMF_FIRST
    args[3] = context.value;
    args[4] = address.value;
    const HRESULT hr = Events().Fire(DISPID_NEWWINDOW3, args, 5);
    if (pCreated != nullptr) pCreated->Release();
    if (pCancel != nullptr) *pCancel = cancel != VARIANT_FALSE;
    return hr;
}

HRESULT FakeBrowser::FireCommandStateChange(LONG command, bool enable)
{
    VARIANT args[2];
    ::VariantInit(&args[0]);
    ::VariantInit(&args[1]);
    args[0].vt = VT_I4;
    args[0].lVal = command;
    args[1].vt = VT_BOOL;
    args[1].boolVal = enable ? VARIANT_TRUE : VARIANT_FALSE;
    return Events().Fire(DISPID_COMMANDSTATECHANGE, args, 2);
}

HRESULT FakeBrowser::FireDocumentComplete(LPCWSTR url)
{
    TextVariant address(url);
    VARIANT args[2];
    ::VariantInit(&args[0]);
    args[0].vt = VT_DISPATCH;
    args[0].pdispVal = static_cast<IWebBrowser2*>(this);
    args[1] = ByRef(&address.value);
    return Events().Fire(DISPID_DOCUMENTCOMPLETE, args, 2);
}

HRESULT FakeBrowser::RaiseScriptError(VARIANT* pOut)
{
    IDocHostUIHandler* pHandler = m_pDocument->Handler();
    if (pHandler == nullptr) return E_NOINTERFACE;
    IOleCommandTarget* pTarget = nullptr;
    HRESULT hr = pHandler->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&pTarget));
    if (FAILED(hr)) return hr;
    VARIANT in;
    ::VariantInit(&in);
    in.vt = VT_UNKNOWN;
    in.punkVal = static_cast<IHTMLDocument2*>(m_pDocument);
    hr = pTarget->Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &in, pOut);
    pTarget->Release();
    return hr;
}

HRESULT FakeBrowser::AskContextMenu()
{
    IDocHostUIHandler* pHandler = m_pDocument->Handler();
    if (pHandler == nullptr) return E_NOINTERFACE;
    POINT pt = { 5, 5 };
    return pHandler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &pt, nullptr, nullptr);
}

} // namespace fakes
