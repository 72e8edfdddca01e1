#include "FakeBrowserDocument.h"

#include "FakeBrowserOle.h"

namespace fakes {

namespace {

const wchar_t* const kErrorProperties[] = { L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                            L"errorUrl" };
const int kErrorPropertyCount = 5;
const DISPID kFirstErrorId = 1000;

} // namespace

// ---- FakeErrorEvent ---------------------------------------------------------------------

FakeErrorEvent::FakeErrorEvent() : m_refs(1)
{
    CountBrowserObject(1);
}

FakeErrorEvent::~FakeErrorEvent()
{
    CountBrowserObject(-1);
}

HRESULT FakeErrorEvent::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, IID_IHTMLEventObj))
        return E_NOINTERFACE;
    *ppv = static_cast<IHTMLEventObj*>(this);
    AddRef();
    return S_OK;
}

ULONG FakeErrorEvent::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FakeErrorEvent::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeErrorEvent::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId)
{
    if (rgszNames == nullptr || rgDispId == nullptr || cNames != 1) return E_INVALIDARG;
    for (int i = 0; i < kErrorPropertyCount; i++) {
        if (wcscmp(rgszNames[0], kErrorProperties[i]) == 0) {
            rgDispId[0] = kFirstErrorId + i;
            return S_OK;
        }
    }
    rgDispId[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HRESULT FakeErrorEvent::Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult,
                               EXCEPINFO*, UINT*)
{
    const int index = dispIdMember - kFirstErrorId;
    if (index < 0 || index >= kErrorPropertyCount) return DISP_E_MEMBERNOTFOUND;
    if ((wFlags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
    const std::wstring name = kErrorProperties[index];
    NoteBrowserCall(L"Read " + name);
    if (name == Script().failingErrorProperty) return E_FAIL;
    if (pVarResult == nullptr) return S_OK;
    ::VariantInit(pVarResult);
    if (index < 3) {
        pVarResult->vt = VT_I4;
        pVarResult->lVal = 7 + index;
    } else {
        pVarResult->vt = VT_BSTR;
        pVarResult->bstrVal = ::SysAllocString(index == 3 ? L"'x' is undefined" : L"http://page/");
    }
    return S_OK;
}

// ---- FakeHtmlWindow ---------------------------------------------------------------------

FakeHtmlWindow::FakeHtmlWindow() : m_refs(1)
{
    CountBrowserObject(1);
}

FakeHtmlWindow::~FakeHtmlWindow()
{
    CountBrowserObject(-1);
}

HRESULT FakeHtmlWindow::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
        !IsEqualIID(riid, IID_IHTMLFramesCollection2) && !IsEqualIID(riid, IID_IHTMLWindow2))
        return E_NOINTERFACE;
    *ppv = static_cast<IHTMLWindow2*>(this);
    AddRef();
    return S_OK;
}

ULONG FakeHtmlWindow::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FakeHtmlWindow::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeHtmlWindow::get_event(IHTMLEventObj** p)
{
    if (p == nullptr) return E_POINTER;
    *p = new FakeErrorEvent();
    return S_OK;
}

// ---- FakeDocument -----------------------------------------------------------------------

FakeDocument::FakeDocument() : m_refs(1), m_pHandler(nullptr), m_pWindow(new FakeHtmlWindow())
{
    CountBrowserObject(1);
}

FakeDocument::~FakeDocument()
{
    DropHandler();
    m_pWindow->Release();
    CountBrowserObject(-1);
}

void FakeDocument::DropHandler()
{
    if (m_pHandler != nullptr) m_pHandler->Release();
    m_pHandler = nullptr;
}

HRESULT FakeDocument::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IHTMLDocument) ||
        IsEqualIID(riid, IID_IHTMLDocument2))
        *ppv = static_cast<IHTMLDocument2*>(this);
    else if (IsEqualIID(riid, __uuidof(ICustomDoc)))
        *ppv = static_cast<ICustomDoc*>(this);
    if (*ppv == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG FakeDocument::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FakeDocument::Release()
{
    const LONG left = ::InterlockedDecrement(&m_refs);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT FakeDocument::SetUIHandler(IDocHostUIHandler* pUIHandler)
{
    NoteBrowserCall(L"SetUIHandler");
    if (pUIHandler != nullptr) pUIHandler->AddRef();
    DropHandler();
    m_pHandler = pUIHandler;
    return S_OK;
}

HRESULT FakeDocument::get_parentWindow(IHTMLWindow2** p)
{
    if (p == nullptr) return E_POINTER;
    *p = m_pWindow;
    m_pWindow->AddRef();
    return S_OK;
}

} // namespace fakes
