#include <windows.h>
#include <wchar.h>
#include <exdispid.h>
#include <mshtml.h>
#include "controls/WebBrowserUI.h"
#include "controls/ComGuids.h"
#include "controls/WebBrowserSupport.h"

namespace SkinUI {

namespace {

const DISPID kStatusTextChange = 102;   // DISPID_STATUSTEXTCHANGE
const DISPID kCommandStateChange = 105; // DISPID_COMMANDSTATECHANGE
const DISPID kBeforeNavigate2 = 250;    // DISPID_BEFORENAVIGATE2
const DISPID kNavigateComplete2 = 252;  // DISPID_NAVIGATECOMPLETE2
const DISPID kNavigateError = 271;      // DISPID_NAVIGATEERROR
const DISPID kNewWindow3 = 273;         // DISPID_NEWWINDOW3
const DWORD kShowScriptError = 40;      // OLECMDID_SHOWSCRIPTERROR

const VARTYPE kByRefVariant = VT_BYREF | VT_VARIANT;
const VARTYPE kByRefBool = VT_BYREF | VT_BOOL;
const VARTYPE kByRefDispatch = VT_BYREF | VT_DISPATCH;

// The arguments each routed event must carry, first argument first.
struct EventShape {
    DISPID id;
    UINT count;
    VARTYPE types[7];
};

const EventShape kEventShapes[] = {
    { kCommandStateChange, 2, { VT_I4, VT_BOOL } },
    { kBeforeNavigate2,
      7,
      { VT_DISPATCH, kByRefVariant, kByRefVariant, kByRefVariant, kByRefVariant, kByRefVariant, kByRefBool } },
    { kNavigateComplete2, 2, { VT_DISPATCH, kByRefVariant } },
    { kNavigateError, 5, { VT_DISPATCH, kByRefVariant, kByRefVariant, kByRefVariant, kByRefBool } },
    { kNewWindow3, 5, { kByRefDispatch, kByRefBool, VT_I4, VT_BSTR, VT_BSTR } },
};

} // namespace

// ---- CWebBrowserDownloadManager ---------------------------------------------------------

CWebBrowserDownloadManager::CWebBrowserDownloadManager(CWebBrowserUI* pOwner) : m_pOwner(pOwner) {}

HRESULT CWebBrowserDownloadManager::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    if (IsEqualIID(riid, IID_IDownloadManager)) {
        *ppvObject = static_cast<IDownloadManager*>(this);
        AddRef();
        return S_OK;
    }
    return m_pOwner->QueryInterface(riid, ppvObject);
}

ULONG CWebBrowserDownloadManager::AddRef()
{
    return m_pOwner->AddRef();
}

ULONG CWebBrowserDownloadManager::Release()
{
    return m_pOwner->Release();
}

HRESULT CWebBrowserDownloadManager::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF,
                                             BINDINFO* pBindInfo, LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP)
{
    return m_pOwner->Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir, uiCP);
}

// ---- CWebBrowserUI ----------------------------------------------------------------------

CWebBrowserUI::CWebBrowserUI()
    : m_pWebBrowser2(NULL), m_pHtmlWnd2(NULL), m_dwRef(0), m_dwCookie(0), m_pWebBrowserEventHandler(NULL),
      m_bAutoNavi(false), m_pTranslatorManager(NULL), m_DownloadManager(this)
{
    m_clsid = CLSID_WebBrowser;
}

CWebBrowserUI::~CWebBrowserUI()
{
    CWebBrowserUI::ReleaseControl();
}

LPCTSTR CWebBrowserUI::GetClass() const
{
    return L"WebBrowserUI";
}

LPVOID CWebBrowserUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"WebBrowser") == 0) return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(pstrName);
}

void CWebBrowserUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"homepage") == 0)
        SetHomePage(pstrValue);
    else if (wcscmp(pstrName, L"autonavi") == 0)
        SetAutoNavigation(wcscmp(pstrValue, L"true") == 0);
    else
        CActiveXUI::SetAttribute(pstrName, pstrValue);
}

void CWebBrowserUI::SetHomePage(LPCTSTR lpszUrl)
{
    m_sHomePage.Format(L"%s", lpszUrl != NULL ? lpszUrl : L"");
}

LPCTSTR CWebBrowserUI::GetHomePage()
{
    return m_sHomePage;
}

void CWebBrowserUI::SetAutoNavigation(bool bAuto)
{
    m_bAutoNavi = bAuto;
}

bool CWebBrowserUI::IsAutoNavigation()
{
    return m_bAutoNavi;
}

void CWebBrowserUI::SetWebBrowserEventHandler(CWebBrowserEventHandler* pEventHandler)
{
    if (pEventHandler != NULL && pEventHandler != m_pWebBrowserEventHandler) m_pWebBrowserEventHandler = pEventHandler;
}

void CWebBrowserUI::Navigate2(LPCTSTR lpszUrl)
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (lpszUrl == NULL || pBrowser == NULL) return;
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(lpszUrl);
    if (url.bstrVal != NULL) pBrowser->Navigate2(&url, NULL, NULL, NULL, NULL);
    ::VariantClear(&url);
}

void CWebBrowserUI::Refresh()
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (pBrowser != NULL) pBrowser->Refresh();
}

void CWebBrowserUI::Refresh2(int Level)
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (pBrowser == NULL) return;
    VARIANT level;
    ::VariantInit(&level);
    level.vt = VT_I4;
    level.lVal = Level;
    pBrowser->Refresh2(&level);
    ::VariantClear(&level);
}

void CWebBrowserUI::GoBack()
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (pBrowser != NULL) pBrowser->GoBack();
}

void CWebBrowserUI::GoForward()
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (pBrowser != NULL) pBrowser->GoForward();
}

void CWebBrowserUI::NavigateHomePage()
{
    if (!m_sHomePage.IsEmpty()) NavigateUrl(m_sHomePage);
}

void CWebBrowserUI::NavigateUrl(LPCTSTR lpszUrl)
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    if (pBrowser == NULL || lpszUrl == NULL) return;
    BSTR url = ::SysAllocString(lpszUrl);
    if (url == NULL) return;
    pBrowser->Navigate(url, NULL, NULL, NULL, NULL);
    ::SysFreeString(url);
}

IWebBrowser2* CWebBrowserUI::GetWebBrowser2()
{
    // Fetched from the object as soon as one exists: a "showactivex" receiver, told while
    // the creation still runs, can already navigate.
    if (m_pWebBrowser2 == NULL && m_pUnk != NULL)
        GetControl(IID_IWebBrowser2, reinterpret_cast<LPVOID*>(&m_pWebBrowser2));
    return m_pWebBrowser2;
}

IDispatch* CWebBrowserUI::GetHtmlWindow()
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    // 1. The document of the current page.
    if (pBrowser == NULL) return NULL;
    IDispatch* pDocument = NULL;
    if (FAILED(pBrowser->get_Document(&pDocument)) || pDocument == NULL) return NULL;
    IHTMLDocument2* pHtmlDocument = NULL;
    const HRESULT hr = pDocument->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&pHtmlDocument));
    pDocument->Release();
    if (FAILED(hr) || pHtmlDocument == NULL) return NULL;
    // 2. Its window replaces the one kept from an earlier call.
    IHTMLWindow2* pWindow = NULL;
    const HRESULT hrWindow = pHtmlDocument->get_parentWindow(&pWindow);
    pHtmlDocument->Release();
    if (FAILED(hrWindow) || pWindow == NULL) return NULL;
    if (m_pHtmlWnd2 != NULL) m_pHtmlWnd2->Release();
    m_pHtmlWnd2 = pWindow;
    // 3. The caller's own reference, as a dispatch interface.
    IDispatch* pDispatch = NULL;
    if (FAILED(m_pHtmlWnd2->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)))) return NULL;
    return pDispatch;
}

DISPID CWebBrowserUI::FindId(IDispatch* pObj, LPOLESTR pName)
{
    if (pObj == NULL || pName == NULL) return -1;
    DISPID id = -1;
    if (FAILED(pObj->GetIDsOfNames(IID_NULL, &pName, 1, LOCALE_SYSTEM_DEFAULT, &id))) return -1;
    return id;
}

HRESULT CWebBrowserUI::InvokeMethod(IDispatch* pObj, LPOLESTR pMethod, VARIANT* pVarResult, VARIANT* ps, int cArgs)
{
    const DISPID id = FindId(pObj, pMethod);
    if (id == -1) return E_FAIL;
    DISPPARAMS params = { ps, NULL, static_cast<UINT>(cArgs > 0 ? cArgs : 0), 0 };
    return pObj->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, pVarResult, NULL, NULL);
}

HRESULT CWebBrowserUI::GetProperty(IDispatch* pObj, LPOLESTR pName, VARIANT* pValue)
{
    const DISPID id = FindId(pObj, pName);
    if (id == -1) return E_FAIL;
    DISPPARAMS params = { NULL, NULL, 0, 0 };
    return pObj->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &params, pValue, NULL, NULL);
}

HRESULT CWebBrowserUI::SetProperty(IDispatch* pObj, LPOLESTR pName, VARIANT* pValue)
{
    const DISPID id = FindId(pObj, pName);
    if (id == -1) return E_FAIL;
    DISPPARAMS params = { pValue, NULL, 1, 0 };
    return pObj->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT, &params, NULL, NULL, NULL);
}

HRESULT CWebBrowserUI::RegisterEventHandler(BOOL inAdvise)
{
    if (!inAdvise && m_dwCookie == 0) return S_FALSE;
    IWebBrowser2* pBrowser = NULL;
    HRESULT hr = GetControl(IID_IWebBrowser2, reinterpret_cast<LPVOID*>(&pBrowser));
    if (FAILED(hr) || pBrowser == NULL) {
        m_dwCookie = 0;
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    hr = ConnectEventSink(pBrowser, DIID_DWebBrowserEvents2, static_cast<IDispatch*>(this), inAdvise, &m_dwCookie);
    pBrowser->Release();
    return hr;
}

void CWebBrowserUI::ReleaseBrowser()
{
    if (m_pHtmlWnd2 != NULL) {
        m_pHtmlWnd2->Release();
        m_pHtmlWnd2 = NULL;
    }
    if (m_pWebBrowser2 != NULL) {
        m_pWebBrowser2->Release();
        m_pWebBrowser2 = NULL;
    }
}

void CWebBrowserUI::ReleaseControl()
{
    // 1. Nothing of this control stays registered with the manager or the browser.
    m_bCreated = false;
    if (m_pTranslatorManager != NULL) {
        m_pTranslatorManager->RemoveTranslateAccelerator(static_cast<ITranslateAccelerator*>(this));
        m_pTranslatorManager = NULL;
    }
    RegisterEventHandler(FALSE);
    // 2. The browser and page pointers, then the object and its site.
    ReleaseBrowser();
    CActiveXUI::ReleaseControl();
}

bool CWebBrowserUI::DoCreateControl()
{
    // 1. The object, sited and active.
    if (!CActiveXUI::DoCreateControl()) return false;
    // 2. Keys for the browser pass through this control.
    CPaintManagerUI* pManager = GetManager();
    if (pManager != NULL && m_pTranslatorManager == NULL) {
        pManager->AddTranslateAccelerator(static_cast<ITranslateAccelerator*>(this));
        m_pTranslatorManager = pManager;
    }
    // 3. The browser (already there when the "showactivex" receiver asked for it); the home
    //    page when asked; the event connection.
    GetWebBrowser2();
    if (m_bAutoNavi && !m_sHomePage.IsEmpty()) Navigate2(m_sHomePage);
    RegisterEventHandler(TRUE);
    return true;
}

HRESULT CWebBrowserUI::Download(IMoniker* pmk, IBindCtx* pbc, DWORD dwBindVerb, LONG grfBINDF, BINDINFO* pBindInfo,
                                LPCOLESTR pszHeaders, LPCOLESTR pszRedir, UINT uiCP)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->Download(pmk, pbc, dwBindVerb, grfBINDF, pBindInfo, pszHeaders, pszRedir,
                                                   uiCP);
    return S_OK;
}

// ---- IUnknown ---------------------------------------------------------------------------

HRESULT CWebBrowserUI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDocHostUIHandler))
        *ppvObject = static_cast<IDocHostUIHandler*>(this);
    else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID_DWebBrowserEvents2))
        *ppvObject = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IServiceProvider))
        *ppvObject = static_cast<IServiceProvider*>(this);
    else if (IsEqualIID(riid, IID_IOleCommandTarget))
        *ppvObject = static_cast<IOleCommandTarget*>(this);
    if (*ppvObject == NULL) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CWebBrowserUI::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef));
}

ULONG CWebBrowserUI::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef));
}

// ---- IDispatch: browser events -----------------------------------------------------------

HRESULT CWebBrowserUI::GetTypeInfoCount(UINT* iTInfo)
{
    if (iTInfo != NULL) *iTInfo = 0;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetTypeInfo(UINT /*iTInfo*/, LCID /*lcid*/, ITypeInfo** /*ppTInfo*/)
{
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetIDsOfNames(REFIID /*riid*/, LPOLESTR* /*rgszNames*/, UINT /*cNames*/, LCID /*lcid*/,
                                     DISPID* /*rgDispId*/)
{
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::Invoke(DISPID dispIdMember, REFIID riid, LCID /*lcid*/, WORD /*wFlags*/, DISPPARAMS* pDispParams,
                              VARIANT* /*pVarResult*/, EXCEPINFO* /*pExcepInfo*/, UINT* puArgErr)
{
    if (!IsEqualIID(riid, IID_NULL)) return E_INVALIDARG;
    if (dispIdMember == kStatusTextChange) return S_OK;
    // 1. Only the events this control reacts to; each must come with its own arguments.
    const EventShape* pShape = NULL;
    for (const EventShape& shape : kEventShapes)
        if (shape.id == dispIdMember) pShape = &shape;
    if (pShape == NULL) return DISP_E_MEMBERNOTFOUND;
    const HRESULT hr = CheckEventArguments(pDispParams, pShape->types, pShape->count, puArgErr);
    if (FAILED(hr)) return hr;
    // 2. The event, its arguments in their logical order.
    return RouteEvent(dispIdMember, pDispParams);
}

HRESULT CWebBrowserUI::RouteEvent(DISPID dispIdMember, DISPPARAMS* pDispParams)
{
    VARIANTARG* a = pDispParams->rgvarg;
    switch (dispIdMember) {
    case kCommandStateChange:
        CommandStateChange(a[1].lVal, a[0].boolVal);
        break;
    case kBeforeNavigate2:
        BeforeNavigate2(a[6].pdispVal, a[5].pvarVal, a[4].pvarVal, a[3].pvarVal, a[2].pvarVal, a[1].pvarVal,
                        a[0].pboolVal);
        break;
    case kNavigateComplete2:
        NavigateComplete2(a[1].pdispVal, a[0].pvarVal);
        break;
    case kNavigateError:
        NavigateError(a[4].pdispVal, a[3].pvarVal, a[2].pvarVal, a[1].pvarVal, a[0].pboolVal);
        break;
    case kNewWindow3:
        NewWindow3(a[4].ppdispVal, a[3].pboolVal, static_cast<DWORD>(a[2].lVal), a[1].bstrVal, a[0].bstrVal);
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

void CWebBrowserUI::BeforeNavigate2(IDispatch* pDisp, VARIANT*& url, VARIANT* Flags, VARIANT* TargetFrameName,
                                    VARIANT* PostData, VARIANT* Headers, VARIANT_BOOL*& Cancel)
{
    if (m_pWebBrowserEventHandler != NULL)
        m_pWebBrowserEventHandler->BeforeNavigate2(pDisp, url, Flags, TargetFrameName, PostData, Headers, Cancel);
}

void CWebBrowserUI::NavigateError(IDispatch* pDisp, VARIANT*& url, VARIANT*& TargetFrameName, VARIANT*& StatusCode,
                                  VARIANT_BOOL*& Cancel)
{
    if (m_pWebBrowserEventHandler != NULL)
        m_pWebBrowserEventHandler->NavigateError(pDisp, url, TargetFrameName, StatusCode, Cancel);
}

void CWebBrowserUI::NavigateComplete2(IDispatch* pDisp, VARIANT*& url)
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    // Every page gets a new document: this control becomes its UI handler again.
    IDispatch* pDocument = NULL;
    if (pBrowser != NULL && SUCCEEDED(pBrowser->get_Document(&pDocument)) && pDocument != NULL) {
        ICustomDoc* pCustomDoc = NULL;
        if (SUCCEEDED(pDocument->QueryInterface(IID_ICustomDoc, reinterpret_cast<void**>(&pCustomDoc))) &&
            pCustomDoc != NULL) {
            pCustomDoc->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
            pCustomDoc->Release();
        }
        pDocument->Release();
    }
    if (m_pWebBrowserEventHandler != NULL) m_pWebBrowserEventHandler->NavigateComplete2(pDisp, url);
}

void CWebBrowserUI::ProgressChange(LONG nProgress, LONG nProgressMax)
{
    if (m_pWebBrowserEventHandler != NULL) m_pWebBrowserEventHandler->ProgressChange(nProgress, nProgressMax);
}

void CWebBrowserUI::NewWindow3(IDispatch** pDisp, VARIANT_BOOL*& Cancel, DWORD dwFlags, BSTR bstrUrlContext,
                               BSTR bstrUrl)
{
    if (m_pWebBrowserEventHandler != NULL)
        m_pWebBrowserEventHandler->NewWindow3(pDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl);
}

void CWebBrowserUI::CommandStateChange(long Command, VARIANT_BOOL Enable)
{
    if (m_pWebBrowserEventHandler != NULL) m_pWebBrowserEventHandler->CommandStateChange(Command, Enable);
}

// ---- IDocHostUIHandler ------------------------------------------------------------------

HRESULT CWebBrowserUI::ShowContextMenu(DWORD dwID, POINT* pptPosition, IUnknown* pCommandTarget,
                                       IDispatch* pDispatchObjectHit)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->ShowContextMenu(dwID, pptPosition, pCommandTarget, pDispatchObjectHit);
    return S_FALSE;
}

HRESULT CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* pInfo)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->GetHostInfo(pInfo);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::ShowUI(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                              IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->ShowUI(dwID, pActiveObject, pCommandTarget, pFrame, pDoc);
    return S_OK;
}

HRESULT CWebBrowserUI::HideUI()
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->HideUI();
    return S_OK;
}

HRESULT CWebBrowserUI::UpdateUI()
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->UpdateUI();
    return S_OK;
}

HRESULT CWebBrowserUI::EnableModeless(BOOL fEnable)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->EnableModeless(fEnable);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::OnDocWindowActivate(BOOL fActivate)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->OnDocWindowActivate(fActivate);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::OnFrameWindowActivate(BOOL fActivate)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->OnFrameWindowActivate(fActivate);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->ResizeBorder(prcBorder, pUIWindow, fFrameWindow);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID);
    return S_FALSE;
}

HRESULT CWebBrowserUI::GetOptionKeyPath(LPOLESTR* pchKey, DWORD dwReserved)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->GetOptionKeyPath(pchKey, dwReserved);
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::GetDropTarget(IDropTarget* pDropTarget, IDropTarget** ppDropTarget)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->GetDropTarget(pDropTarget, ppDropTarget);
    return S_FALSE;
}

HRESULT CWebBrowserUI::GetExternal(IDispatch** ppDispatch)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->GetExternal(ppDispatch);
    return S_FALSE;
}

HRESULT CWebBrowserUI::TranslateUrl(DWORD dwTranslate, OLECHAR* pchURLIn, OLECHAR** ppchURLOut)
{
    if (m_pWebBrowserEventHandler != NULL)
        return m_pWebBrowserEventHandler->TranslateUrl(dwTranslate, pchURLIn, ppchURLOut);
    if (ppchURLOut != NULL) *ppchURLOut = NULL;
    return E_NOTIMPL;
}

HRESULT CWebBrowserUI::FilterDataObject(IDataObject* pDO, IDataObject** ppDORet)
{
    if (m_pWebBrowserEventHandler != NULL) return m_pWebBrowserEventHandler->FilterDataObject(pDO, ppDORet);
    if (ppDORet != NULL) *ppDORet = NULL;
    return E_NOTIMPL;
}

// ---- IServiceProvider -------------------------------------------------------------------

HRESULT CWebBrowserUI::QueryService(REFGUID guidService, REFIID riid, void** ppvObject)
{
    if (ppvObject == NULL) return E_POINTER;
    *ppvObject = NULL;
    if (!IsEqualGUID(guidService, IID_IDownloadManager) || !IsEqualIID(riid, IID_IDownloadManager))
        return E_NOINTERFACE;
    *ppvObject = static_cast<IDownloadManager*>(&m_DownloadManager);
    m_DownloadManager.AddRef();
    return S_OK;
}

// ---- IOleCommandTarget ------------------------------------------------------------------

HRESULT CWebBrowserUI::QueryStatus(const GUID* /*pguidCmdGroup*/, ULONG /*cCmds*/, OLECMD* /*prgCmds*/,
                                   OLECMDTEXT* /*pCmdText*/)
{
    return OLECMDERR_E_NOTSUPPORTED;
}

HRESULT CWebBrowserUI::Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD /*nCmdexecopt*/, VARIANT* pvaIn,
                            VARIANT* pvaOut)
{
    if (pguidCmdGroup == NULL || !IsEqualGUID(*pguidCmdGroup, CGID_DocHostCommandHandler))
        return OLECMDERR_E_UNKNOWNGROUP;
    if (nCmdID != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    // 1. The failing page's error event, read property by property until one read fails
    //    (the values are not used further). A missing or odd document skips the reads.
    IUnknown* pDocumentUnknown = NULL;
    if (pvaIn != NULL && pvaIn->vt == VT_UNKNOWN) pDocumentUnknown = pvaIn->punkVal;
    if (pvaIn != NULL && pvaIn->vt == VT_DISPATCH) pDocumentUnknown = pvaIn->pdispVal;
    IHTMLDocument2* pDocument = NULL;
    if (pDocumentUnknown != NULL)
        pDocumentUnknown->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&pDocument));
    IHTMLWindow2* pWindow = NULL;
    if (pDocument != NULL) {
        pDocument->get_parentWindow(&pWindow);
        pDocument->Release();
    }
    IHTMLEventObj* pEvent = NULL;
    if (pWindow != NULL) {
        pWindow->get_event(&pEvent);
        pWindow->Release();
    }
    if (pEvent != NULL) {
        static const wchar_t* const kNames[] = { L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                                 L"errorUrl" };
        for (const wchar_t* pName : kNames) {
            VARIANT value;
            ::VariantInit(&value);
            const HRESULT hr = GetProperty(pEvent, const_cast<LPOLESTR>(pName), &value);
            ::VariantClear(&value);
            if (FAILED(hr)) break;
        }
        pEvent->Release();
    }
    // 2. Scripts go on running and the browser shows no dialog, whatever the reads gave.
    if (pvaOut != NULL) {
        pvaOut->vt = VT_BOOL;
        pvaOut->boolVal = VARIANT_TRUE;
    }
    return S_OK;
}

// ---- ITranslateAccelerator --------------------------------------------------------------

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* pMsg)
{
    IWebBrowser2* pBrowser = GetWebBrowser2();
    return TranslateHostedAccelerator(pBrowser, GetHostWindow(), pMsg);
}

} // namespace SkinUI
