#include <windows.h>
#include <ole2.h>
#include <exdispid.h>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "FakeBrowser.h"
#include "FakeBrowserOleEnvironment.h"
#include "controls/ComGuids.h"
#include "controls/WebBrowserUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Root;
using fakes::FakeBrowser;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new fakes::OleEnvironment);

// The control's protected state a test needs to see.
class ProbeBrowserUI : public CWebBrowserUI {
public:
    DWORD Cookie() const { return m_dwCookie; }
    bool TranslatorAdded() const { return m_pTranslatorManager != NULL; }
    // The references the browser and pages hold on the control's host parts.
    ULONG HeldReferences()
    {
        AddRef();
        return Release();
    }
};

std::wstring Text(const VARIANT* v)
{
    if (v == NULL || v->vt != VT_BSTR || v->bstrVal == NULL) return L"";
    return v->bstrVal;
}

// A handler that notes every event it is given (arguments in their logical order) and
// cancels what its rules say.
class RecordingHandler : public CWebBrowserEventHandler {
public:
    void BeforeNavigate2(IDispatch* pDisp, VARIANT*& url, VARIANT* Flags, VARIANT* TargetFrameName, VARIANT* PostData,
                         VARIANT* Headers, VARIANT_BOOL*& Cancel) override
    {
        const bool bArgs =
            pDisp != NULL && Flags != NULL && TargetFrameName != NULL && PostData != NULL && Headers != NULL;
        log.push_back(L"BeforeNavigate2 " + Text(url) + (bArgs ? L"" : L" (arguments missing)"));
        if (Text(url).find(L"block") != std::wstring::npos) *Cancel = VARIANT_TRUE;
    }
    void NavigateError(IDispatch*, VARIANT*& url, VARIANT*&, VARIANT*& StatusCode, VARIANT_BOOL*& Cancel) override
    {
        log.push_back(L"NavigateError " + Text(url) + L" " + std::to_wstring(StatusCode->lVal));
        *Cancel = VARIANT_TRUE;
    }
    void NavigateComplete2(IDispatch*, VARIANT*& url) override { log.push_back(L"NavigateComplete2 " + Text(url)); }
    void NewWindow3(IDispatch** pDisp, VARIANT_BOOL*& Cancel, DWORD dwFlags, BSTR bstrUrlContext, BSTR bstrUrl) override
    {
        log.push_back(L"NewWindow3 " + std::wstring(bstrUrl) + L" from " + bstrUrlContext + L" flags " +
                      std::to_wstring(dwFlags) + (pDisp != NULL ? L"" : L" (no out pointer)"));
        *Cancel = VARIANT_TRUE;
    }
    void CommandStateChange(LONG Command, VARIANT_BOOL Enable) override
    {
        log.push_back(L"CommandStateChange " + std::to_wstring(Command) + (Enable ? L" on" : L" off"));
    }
    HRESULT ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override
    {
        log.push_back(L"ShowContextMenu");
        return S_OK;
    }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD dwBindVerb, LONG, BINDINFO*, LPCOLESTR pszHeaders, LPCOLESTR,
                     UINT uiCP) override
    {
        log.push_back(L"Download " + std::to_wstring(dwBindVerb) + L" " + pszHeaders + L" " + std::to_wstring(uiCP));
        return S_FALSE;
    }
    std::vector<std::wstring> log;
};

std::vector<std::wstring> BrowserCalls(const std::wstring& prefix = L"Browser ")
{
    std::vector<std::wstring> out;
    for (const std::wstring& line : fakes::BrowserLog())
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

// The cookie of the one "Advise n" line, 0 when there is none.
DWORD AdvisedCookie()
{
    DWORD cookie = 0;
    for (const std::wstring& line : fakes::BrowserLog())
        if (line.compare(0, 7, L"Advise ") == 0) cookie = static_cast<DWORD>(std::stoul(line.substr(7)));
    return cookie;
}

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FakeBrowser::Register());
        fakes::ResetBrowserScript();
        fakes::ClearBrowserLog();
    }
    void TearDown() override
    {
        // The host window (and the browser's windows inside it) go before OLE stops.
        if (m_win.GetHWND() != NULL) ::DestroyWindow(m_win.GetHWND());
        m_win.Pump();
    }
    void Open(LPCWSTR extra = L"")
    {
        m_browser = Make<ProbeBrowserUI>(L"float=\"true\" pos=\"10,10,210,160\"");
        m_browser->ApplyAttributeList(extra);
        m_other = Make<CControlUI>(L"float=\"true\" pos=\"10,170,60,190\"");
        m_win.Open(Root({ m_browser, m_other }), 240, 200);
    }
    HostWindow m_win;
    ProbeBrowserUI* m_browser = nullptr;
    CControlUI* m_other = nullptr;
};

TEST_F(WebBrowserTest, FirstLayoutCreatesActivatesAndConnectsTheBrowser)
{
    // Nothing exists before the first layout.
    ProbeBrowserUI early;
    IUnknown* pUnknown = NULL;
    EXPECT_EQ(early.GetControl(IID_IUnknown, reinterpret_cast<LPVOID*>(&pUnknown)), E_PENDING);
    EXPECT_EQ(early.GetWebBrowser2(), nullptr);

    Open();
    FakeBrowser* pFake = FakeBrowser::Last();
    ASSERT_NE(pFake, nullptr);
    EXPECT_EQ(m_browser->GetWebBrowser2(), static_cast<IWebBrowser2*>(pFake));
    EXPECT_EQ(m_win.Count(L"showactivex", m_browser), 1);
    // Windowed: the page lives in the host window, which lies over the item.
    HWND hHost = m_browser->GetHostWindow();
    ASSERT_NE(hHost, (HWND)NULL);
    EXPECT_EQ(::GetParent(hHost), m_win.GetHWND());
    EXPECT_EQ(::GetParent(pFake->Window()), hHost);
    RECT rcHost;
    ::GetWindowRect(hHost, &rcHost);
    ::MapWindowPoints(NULL, m_win.GetHWND(), reinterpret_cast<POINT*>(&rcHost), 2);
    EXPECT_EQ(rcHost.left, 10);
    EXPECT_EQ(rcHost.top, 10);
    EXPECT_EQ(rcHost.right, 210);
    EXPECT_EQ(rcHost.bottom, 160);
    // The event connection and the key translator exist; no navigation without autonavi.
    EXPECT_NE(m_browser->Cookie(), 0u);
    EXPECT_EQ(m_browser->Cookie(), AdvisedCookie());
    EXPECT_TRUE(m_browser->TranslatorAdded());
    for (const std::wstring& line : BrowserCalls()) EXPECT_EQ(line.find(L"Navigate"), std::wstring::npos) << line;
    EXPECT_STREQ(m_browser->GetClass(), L"WebBrowserUI");
    EXPECT_EQ(m_browser->GetInterface(L"WebBrowser"), static_cast<CWebBrowserUI*>(m_browser));
    EXPECT_NE(m_browser->GetInterface(L"ActiveX"), nullptr);
}

TEST_F(WebBrowserTest, AutoNavigationGoesToANonEmptyHomePageOnce)
{
    struct Case {
        LPCWSTR attributes;
        std::vector<std::wstring> navigations;
    };
    const Case cases[] = {
        { L"autonavi=\"true\" homepage=\"http://home/\"", { L"Browser Navigate2 BSTR http://home/" } },
        { L"autonavi=\"true\" homepage=\"\"", {} },
        { L"autonavi=\"false\" homepage=\"http://home/\"", {} },
        { L"homepage=\"http://home/\"", {} },
    };
    for (const Case& c : cases) {
        fakes::ClearBrowserLog();
        HostWindow win;
        CWebBrowserUI* pBrowser = Make<CWebBrowserUI>(L"float=\"true\" pos=\"0,0,100,100\"");
        pBrowser->ApplyAttributeList(c.attributes);
        win.Open(Root({ pBrowser }), 120, 120);
        std::vector<std::wstring> navigations;
        for (const std::wstring& line : BrowserCalls())
            if (line.find(L"Navigate") != std::wstring::npos) navigations.push_back(line);
        EXPECT_EQ(navigations, c.navigations) << c.attributes;
    }
}

// A window that sets its browser up on "showactivex", as that notification is meant for.
class NavigatingHost : public HostWindow {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (wcscmp(msg.type.GetData(), L"showactivex") == 0) {
            CWebBrowserUI* pBrowser = static_cast<CWebBrowserUI*>(msg.sender->GetInterface(L"WebBrowser"));
            seen = pBrowser->GetWebBrowser2();
            pBrowser->Navigate2(L"http://shown/");
        }
        HostWindow::Notify(msg);
    }
    IWebBrowser2* seen = nullptr;
};

TEST_F(WebBrowserTest, AShowActiveXReceiverCanNavigateTheNewBrowser)
{
    NavigatingHost win;
    CWebBrowserUI* pBrowser = Make<CWebBrowserUI>(L"float=\"true\" pos=\"0,0,100,100\"");
    win.Open(Root({ pBrowser }), 120, 120);
    ASSERT_NE(FakeBrowser::Last(), nullptr);
    EXPECT_EQ(win.Count(L"showactivex", pBrowser), 1);
    EXPECT_EQ(win.seen, static_cast<IWebBrowser2*>(FakeBrowser::Last()));
    EXPECT_EQ(fakes::CountBrowserCalls(L"Browser Navigate2 BSTR http://shown/"), 1);
    EXPECT_EQ(pBrowser->GetWebBrowser2(), static_cast<IWebBrowser2*>(FakeBrowser::Last()));
}

TEST_F(WebBrowserTest, TheSkinElementMakesTheBrowserWithItsAttributes)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><Container><WebBrowser name=\"web\" float=\"true\" pos=\"0,0,90,90\" "
                                      L"homepage=\"http://skin/\" autonavi=\"true\"/></Container></Window>",
                                      NULL, NULL, &m_win.pm(), NULL);
    ASSERT_NE(root, nullptr);
    m_win.Open(root, 100, 100);
    CControlUI* pControl = m_win.pm().FindControl(L"web");
    ASSERT_NE(pControl, nullptr);
    CWebBrowserUI* pBrowser = static_cast<CWebBrowserUI*>(pControl->GetInterface(L"WebBrowser"));
    ASSERT_NE(pBrowser, nullptr);
    EXPECT_STREQ(pBrowser->GetHomePage(), L"http://skin/");
    EXPECT_TRUE(pBrowser->IsAutoNavigation());
    EXPECT_EQ(fakes::CountBrowserCalls(L"Browser Navigate2 BSTR http://skin/"), 1);
}

TEST_F(WebBrowserTest, NavigationOperationsReachTheBrowser)
{
    Open();
    fakes::ClearBrowserLog();
    // Wide text stays whole through the home page's formatting, "%s" included.
    m_browser->SetHomePage(L"http://home/?q=%s");
    EXPECT_STREQ(m_browser->GetHomePage(), L"http://home/?q=%s");
    m_browser->Navigate2(L"http://two/");
    m_browser->Navigate2(NULL);
    m_browser->NavigateUrl(L"http://one/");
    m_browser->NavigateUrl(NULL);
    m_browser->NavigateHomePage();
    m_browser->Refresh();
    m_browser->Refresh2(3);
    m_browser->GoBack();
    m_browser->GoForward();
    const std::vector<std::wstring> expected = {
        L"Browser Navigate2 BSTR http://two/",
        L"Browser Navigate http://one/",
        L"Browser Navigate http://home/?q=%s",
        L"Browser Refresh",
        L"Browser Refresh2 I4 3",
        L"Browser GoBack",
        L"Browser GoForward",
    };
    EXPECT_EQ(BrowserCalls(), expected);
}

TEST_F(WebBrowserTest, BrowserEventsReachTheHandlerInOrderAndItsCancelFlagsAreKept)
{
    Open();
    FakeBrowser* pFake = FakeBrowser::Last();
    ASSERT_NE(pFake, nullptr);
    // Without a handler every event still answers S_OK and nothing is cancelled.
    bool bCancel = true;
    EXPECT_EQ(pFake->FireBeforeNavigate2(L"http://block/", &bCancel), S_OK);
    EXPECT_FALSE(bCancel);

    RecordingHandler handler;
    m_browser->SetWebBrowserEventHandler(&handler);
    EXPECT_EQ(pFake->FireBeforeNavigate2(L"http://page/", &bCancel), S_OK);
    EXPECT_FALSE(bCancel);
    EXPECT_EQ(pFake->FireBeforeNavigate2(L"http://block/", &bCancel), S_OK);
    EXPECT_TRUE(bCancel);
    EXPECT_EQ(pFake->FireNewWindow3(L"http://popup/", &bCancel), S_OK);
    EXPECT_TRUE(bCancel);
    EXPECT_EQ(pFake->FireNavigateError(L"http://gone/", 404, &bCancel), S_OK);
    EXPECT_TRUE(bCancel);
    EXPECT_EQ(pFake->FireCommandStateChange(CSC_NAVIGATEBACK, true), S_OK);
    EXPECT_EQ(pFake->FireCommandStateChange(CSC_NAVIGATEFORWARD, false), S_OK);
    EXPECT_EQ(pFake->FireNavigateComplete2(L"http://page/"), S_OK);
    // Events the control does not take.
    EXPECT_EQ(pFake->FireDocumentComplete(L"http://page/"), DISP_E_MEMBERNOTFOUND);
    const std::vector<std::wstring> expected = {
        L"BeforeNavigate2 http://page/",
        L"BeforeNavigate2 http://block/",
        L"NewWindow3 http://popup/ from http://page/ flags 6",
        L"NavigateError http://gone/ 404",
        L"CommandStateChange 2 on",
        L"CommandStateChange 1 off",
        L"NavigateComplete2 http://page/",
    };
    EXPECT_EQ(handler.log, expected);
}

TEST_F(WebBrowserTest, EveryCompletedPageGetsTheControlAsItsUiHandler)
{
    Open();
    FakeBrowser* pFake = FakeBrowser::Last();
    ASSERT_NE(pFake, nullptr);
    EXPECT_EQ(pFake->Document()->Handler(), nullptr);
    EXPECT_EQ(pFake->FireNavigateComplete2(L"http://one/"), S_OK);
    EXPECT_EQ(pFake->FireNavigateComplete2(L"http://two/"), S_OK);
    EXPECT_EQ(fakes::CountBrowserCalls(L"SetUIHandler"), 2);
    EXPECT_EQ(pFake->Document()->Handler(), static_cast<IDocHostUIHandler*>(m_browser));

    // The page now asks the control: first its defaults, then the program's handler.
    EXPECT_EQ(pFake->AskContextMenu(), S_FALSE);
    RecordingHandler handler;
    m_browser->SetWebBrowserEventHandler(&handler);
    EXPECT_EQ(pFake->AskContextMenu(), S_OK);
    EXPECT_EQ(handler.log, std::vector<std::wstring>{ L"ShowContextMenu" });

    // A script error on the page is answered "handled" after its five properties are read.
    fakes::ClearBrowserLog();
    VARIANT out;
    ::VariantInit(&out);
    EXPECT_EQ(pFake->RaiseScriptError(&out), S_OK);
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    const std::vector<std::wstring> reads = { L"Read errorLine", L"Read errorCharacter", L"Read errorCode",
                                              L"Read errorMessage", L"Read errorUrl" };
    EXPECT_EQ(fakes::BrowserLog(), reads);
}

TEST_F(WebBrowserTest, ScriptErrorCommandValidatesItsVariantsAndAlwaysAnswersHandled)
{
    ProbeBrowserUI browser;
    IOleCommandTarget* pTarget = &browser;
    const GUID group = CGID_DocHostCommandHandler;
    const GUID other = IID_IDispatch;
    VARIANT out;
    // Groups and commands that are not the script error.
    EXPECT_EQ(pTarget->Exec(NULL, 40, 0, NULL, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(pTarget->Exec(&other, 40, 0, NULL, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(pTarget->Exec(&group, 41, 0, NULL, &out), OLECMDERR_E_NOTSUPPORTED);
    OLECMD cmd = { 40, 0 };
    EXPECT_EQ(pTarget->QueryStatus(&group, 1, &cmd, NULL), OLECMDERR_E_NOTSUPPORTED);

    fakes::FakeDocument* pDocument = new fakes::FakeDocument();
    struct Case {
        LPCWSTR name;
        VARTYPE vt;
        bool withDocument;
        LPCWSTR failing;
        int reads;
    };
    const Case cases[] = {
        { L"document as IUnknown", VT_UNKNOWN, true, L"", 5 },
        { L"document as IDispatch", VT_DISPATCH, true, L"", 5 },
        { L"a read fails: the rest are skipped", VT_UNKNOWN, true, L"errorCode", 3 },
        { L"the last read fails: still handled", VT_UNKNOWN, true, L"errorUrl", 5 },
        { L"null document", VT_UNKNOWN, false, L"", 0 },
        { L"empty variant", VT_EMPTY, false, L"", 0 },
        { L"a number", VT_I4, false, L"", 0 },
    };
    for (const Case& c : cases) {
        fakes::ClearBrowserLog();
        fakes::Script().failingErrorProperty = c.failing;
        VARIANT in;
        ::VariantInit(&in);
        in.vt = c.vt;
        if (c.vt == VT_UNKNOWN) in.punkVal = c.withDocument ? static_cast<IHTMLDocument2*>(pDocument) : NULL;
        if (c.vt == VT_DISPATCH) in.pdispVal = static_cast<IHTMLDocument2*>(pDocument);
        if (c.vt == VT_I4) in.lVal = 12;
        ::VariantInit(&out);
        EXPECT_EQ(pTarget->Exec(&group, 40, 0, &in, &out), S_OK) << c.name;
        EXPECT_EQ(out.vt, VT_BOOL) << c.name;
        EXPECT_EQ(out.boolVal, VARIANT_TRUE) << c.name;
        EXPECT_EQ(static_cast<int>(fakes::BrowserLog().size()), c.reads) << c.name;
    }
    // No in or out variant at all.
    EXPECT_EQ(pTarget->Exec(&group, 40, 0, NULL, NULL), S_OK);
    // The reads hold nothing: the page, its window and its events are the page's alone.
    EXPECT_EQ(pDocument->Refs(), 1);
    EXPECT_EQ(pDocument->Window()->Refs(), 1);
    pDocument->Release();
    EXPECT_EQ(fakes::LiveBrowserObjects(), 0);
    EXPECT_EQ(browser.HeldReferences(), 0u);
}

TEST_F(WebBrowserTest, HostMethodsAnswerTheirDefaultsAndThenTheHandler)
{
    CWebBrowserUI browser;
    IDocHostUIHandler* p = &browser;
    LPOLESTR pOut = reinterpret_cast<LPOLESTR>(1);
    IDataObject* pData = reinterpret_cast<IDataObject*>(1);
    IDropTarget* pDrop = NULL;
    IDispatch* pExternal = NULL;
    DOCHOSTUIINFO info = {};
    POINT pt = { 1, 1 };
    MSG msg = {};
    struct Case {
        LPCWSTR name;
        HRESULT got;
        HRESULT want;
    };
    const Case cases[] = {
        { L"ShowContextMenu", p->ShowContextMenu(0, &pt, NULL, NULL), S_FALSE },
        { L"GetHostInfo", p->GetHostInfo(&info), E_NOTIMPL },
        { L"ShowUI", p->ShowUI(0, NULL, NULL, NULL, NULL), S_OK },
        { L"HideUI", p->HideUI(), S_OK },
        { L"UpdateUI", p->UpdateUI(), S_OK },
        { L"EnableModeless", p->EnableModeless(TRUE), E_NOTIMPL },
        { L"OnDocWindowActivate", p->OnDocWindowActivate(TRUE), E_NOTIMPL },
        { L"OnFrameWindowActivate", p->OnFrameWindowActivate(TRUE), E_NOTIMPL },
        { L"ResizeBorder", p->ResizeBorder(NULL, NULL, TRUE), E_NOTIMPL },
        { L"TranslateAccelerator", p->TranslateAccelerator(&msg, NULL, 0), S_FALSE },
        { L"GetOptionKeyPath", p->GetOptionKeyPath(NULL, 0), E_NOTIMPL },
        { L"GetDropTarget", p->GetDropTarget(NULL, &pDrop), S_FALSE },
        { L"GetExternal", p->GetExternal(&pExternal), S_FALSE },
        { L"TranslateUrl", p->TranslateUrl(0, const_cast<LPWSTR>(L"http://x/"), &pOut), E_NOTIMPL },
        { L"FilterDataObject", p->FilterDataObject(NULL, &pData), E_NOTIMPL },
        { L"Download", browser.Download(NULL, NULL, 0, 0, NULL, L"", NULL, 0), S_OK },
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
    EXPECT_EQ(pOut, nullptr);
    EXPECT_EQ(pData, nullptr);

    // A handler takes over; a null handler afterwards keeps it.
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    browser.SetWebBrowserEventHandler(NULL);
    EXPECT_EQ(p->ShowContextMenu(0, &pt, NULL, NULL), S_OK);
    EXPECT_EQ(browser.Download(NULL, NULL, 7, 0, NULL, L"h", NULL, 65001), S_FALSE);
    const std::vector<std::wstring> expected = { L"ShowContextMenu", L"Download 7 h 65001" };
    EXPECT_EQ(handler.log, expected);
}

TEST_F(WebBrowserTest, OneComIdentityAndADownloadManagerService)
{
    CWebBrowserUI browser;
    IUnknown* pIdentity = NULL;
    ASSERT_EQ(static_cast<IDispatch*>(&browser)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pIdentity)),
              S_OK);
    EXPECT_EQ(pIdentity, static_cast<IUnknown*>(static_cast<IDocHostUIHandler*>(&browser)));
    pIdentity->Release();
    const IID answered[] = { IID_IUnknown,         IID_IDocHostUIHandler, IID_IDispatch, DIID_DWebBrowserEvents2,
                             IID_IServiceProvider, IID_IOleCommandTarget };
    for (const IID& iid : answered) {
        // Asked through another part, the same part comes back.
        void* pFromHandler = NULL;
        void* pFromTarget = NULL;
        ASSERT_EQ(static_cast<IDocHostUIHandler*>(&browser)->QueryInterface(iid, &pFromHandler), S_OK);
        ASSERT_EQ(static_cast<IOleCommandTarget*>(&browser)->QueryInterface(iid, &pFromTarget), S_OK);
        EXPECT_EQ(pFromHandler, pFromTarget);
        static_cast<IUnknown*>(pFromHandler)->Release();
        static_cast<IUnknown*>(pFromTarget)->Release();
    }
    void* pNone = reinterpret_cast<void*>(1);
    EXPECT_EQ(static_cast<IDispatch*>(&browser)->QueryInterface(IID_IOleObject, &pNone), E_NOINTERFACE);
    EXPECT_EQ(pNone, nullptr);

    // The download manager: only as the service and interface of that name.
    IServiceProvider* pProvider = &browser;
    pNone = reinterpret_cast<void*>(1);
    EXPECT_EQ(pProvider->QueryService(IID_IDownloadManager, IID_IUnknown, &pNone), E_NOINTERFACE);
    EXPECT_EQ(pNone, nullptr);
    EXPECT_EQ(pProvider->QueryService(IID_IOleCommandTarget, IID_IDownloadManager, &pNone), E_NOINTERFACE);
    IDownloadManager* pManager = NULL;
    ASSERT_EQ(pProvider->QueryService(IID_IDownloadManager, IID_IDownloadManager, reinterpret_cast<void**>(&pManager)),
              S_OK);
    ASSERT_NE(pManager, nullptr);
    EXPECT_EQ(pManager->Download(NULL, NULL, 0, 0, NULL, L"", NULL, 0), S_OK);
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    EXPECT_EQ(pManager->Download(NULL, NULL, 3, 0, NULL, L"x", NULL, 936), S_FALSE);
    EXPECT_EQ(handler.log, std::vector<std::wstring>{ L"Download 3 x 936" });
    // Its identity is the control's.
    ASSERT_EQ(pManager->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pIdentity)), S_OK);
    EXPECT_EQ(pIdentity, static_cast<IUnknown*>(static_cast<IDocHostUIHandler*>(&browser)));
    pIdentity->Release();
    // Every reference handed out came back.
    EXPECT_EQ(pManager->Release(), 0u);
}

TEST_F(WebBrowserTest, EventInvokesRefuseWrongArgumentsWithoutCallingTheHandler)
{
    CWebBrowserUI browser;
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    IDispatch* pSink = &browser;

    VARIANT url;
    ::VariantInit(&url);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    // BeforeNavigate2's seven arguments, last to first; the cases spoil one thing each.
    auto before = [&](VARIANT* a) {
        for (int i = 0; i < 7; i++) ::VariantInit(&a[i]);
        a[0].vt = VT_BYREF | VT_BOOL;
        a[0].pboolVal = &cancel;
        for (int i = 1; i < 6; i++) {
            a[i].vt = VT_BYREF | VT_VARIANT;
            a[i].pvarVal = &url;
        }
        a[6].vt = VT_DISPATCH;
        a[6].pdispVal = NULL;
    };
    struct Case {
        LPCWSTR name;
        DISPID id;
        void (*spoil)(VARIANT* a, UINT& count);
        HRESULT want;
        UINT argErr;
    };
    const Case cases[] = {
        { L"well formed", DISPID_BEFORENAVIGATE2, [](VARIANT*, UINT&) {}, S_OK, 99 },
        { L"one argument short", DISPID_BEFORENAVIGATE2, [](VARIANT*, UINT& n) { n = 6; }, DISP_E_BADPARAMCOUNT, 99 },
        { L"no arguments", DISPID_BEFORENAVIGATE2, [](VARIANT*, UINT& n) { n = 0; }, DISP_E_BADPARAMCOUNT, 99 },
        { L"cancel flag by value", DISPID_BEFORENAVIGATE2, [](VARIANT* a, UINT&) { a[0].vt = VT_BOOL; },
          DISP_E_TYPEMISMATCH, 0 },
        { L"cancel flag pointing nowhere", DISPID_BEFORENAVIGATE2, [](VARIANT* a, UINT&) { a[0].pboolVal = NULL; },
          DISP_E_TYPEMISMATCH, 0 },
        { L"address as a string", DISPID_BEFORENAVIGATE2, [](VARIANT* a, UINT&) { a[5].vt = VT_BSTR; },
          DISP_E_TYPEMISMATCH, 5 },
        { L"complete with one argument", DISPID_NAVIGATECOMPLETE2, [](VARIANT*, UINT& n) { n = 1; },
          DISP_E_BADPARAMCOUNT, 99 },
        { L"new window with another event's arguments", DISPID_NEWWINDOW3, [](VARIANT*, UINT& n) { n = 5; },
          DISP_E_TYPEMISMATCH, 4 },
        { L"command state short", DISPID_COMMANDSTATECHANGE, [](VARIANT*, UINT& n) { n = 1; }, DISP_E_BADPARAMCOUNT,
          99 },
        { L"unknown event", 999, [](VARIANT*, UINT&) {}, DISP_E_MEMBERNOTFOUND, 99 },
        { L"status text", DISPID_STATUSTEXTCHANGE, [](VARIANT*, UINT& n) { n = 0; }, S_OK, 99 },
    };
    for (const Case& c : cases) {
        handler.log.clear();
        VARIANT a[7];
        before(a);
        UINT count = 7;
        c.spoil(a, count);
        DISPPARAMS params = { a, NULL, count, 0 };
        UINT argErr = 99;
        EXPECT_EQ(pSink->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, NULL, NULL, &argErr), c.want) << c.name;
        EXPECT_EQ(argErr, c.argErr) << c.name;
        const bool bDelivered = c.want == S_OK && c.id == DISPID_BEFORENAVIGATE2;
        EXPECT_EQ(handler.log.size(), bDelivered ? 1u : 0u) << c.name;
    }
    // No parameter block, or an interface id other than IID_NULL.
    EXPECT_EQ(pSink->Invoke(DISPID_NAVIGATECOMPLETE2, IID_NULL, 0, DISPATCH_METHOD, NULL, NULL, NULL, NULL),
              DISP_E_BADPARAMCOUNT);
    DISPPARAMS none = { NULL, NULL, 0, 0 };
    EXPECT_EQ(pSink->Invoke(DISPID_STATUSTEXTCHANGE, IID_IDispatch, 0, DISPATCH_METHOD, &none, NULL, NULL, NULL),
              E_INVALIDARG);
    EXPECT_TRUE(handler.log.empty());
}

TEST_F(WebBrowserTest, KeysGoToTheBrowserOnlyWhileTheFocusIsInsideIt)
{
    // No browser: keys are not translated, other messages not looked at.
    CWebBrowserUI empty;
    MSG key = { NULL, WM_KEYDOWN, 'A', 0, 0, { 0, 0 } };
    MSG move = { NULL, WM_MOUSEMOVE, 0, 0, 0, { 0, 0 } };
    EXPECT_EQ(empty.TranslateAccelerator(&key), E_NOTIMPL);
    EXPECT_EQ(empty.TranslateAccelerator(&move), S_FALSE);

    Open();
    FakeBrowser* pFake = FakeBrowser::Last();
    ASSERT_NE(pFake, nullptr);
    ASSERT_NE(pFake->Window(), (HWND)NULL);
    fakes::ClearBrowserLog();
    // The focus on the page: the browser gets the key and its answer is kept.
    ::SetFocus(pFake->Window());
    ASSERT_EQ(::GetFocus(), pFake->Window());
    key.hwnd = pFake->Window();
    EXPECT_EQ(m_browser->TranslateAccelerator(&key), S_OK);
    fakes::Script().keyAnswer = S_FALSE;
    EXPECT_EQ(m_browser->TranslateAccelerator(&key), S_FALSE);
    EXPECT_EQ(m_browser->TranslateAccelerator(&move), S_FALSE);
    EXPECT_EQ(fakes::CountBrowserCalls(L"Browser Key 256 65"), 2);
    // The manager asks the control for a key posted to the page.
    fakes::Script().keyAnswer = S_OK;
    ::PostMessageW(pFake->Window(), WM_KEYDOWN, 'B', 0);
    MSG posted = {};
    ASSERT_TRUE(::PeekMessageW(&posted, pFake->Window(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&posted));
    EXPECT_EQ(fakes::CountBrowserCalls(L"Browser Key 256 66"), 1);
    // The focus outside the browser's window: nothing is forwarded.
    ::SetFocus(m_win.GetHWND());
    ASSERT_EQ(::GetFocus(), m_win.GetHWND());
    fakes::ClearBrowserLog();
    EXPECT_EQ(m_browser->TranslateAccelerator(&key), S_FALSE);
    EXPECT_TRUE(BrowserCalls(L"Browser Key").empty());
}

TEST_F(WebBrowserTest, ReleaseDisconnectsAndLeavesNoReferenceEitherWay)
{
    Open();
    ASSERT_NE(FakeBrowser::Last(), nullptr);
    const DWORD cookie = m_browser->Cookie();
    ASSERT_NE(cookie, 0u);
    FakeBrowser::Last()->FireNavigateComplete2(L"http://page/");
    // The page window asked twice: the control keeps only the latest one.
    IDispatch* pWindow1 = m_browser->GetHtmlWindow();
    IDispatch* pWindow2 = m_browser->GetHtmlWindow();
    ASSERT_NE(pWindow1, nullptr);
    EXPECT_EQ(pWindow1, pWindow2);
    pWindow1->Release();
    pWindow2->Release();
    EXPECT_EQ(FakeBrowser::Last()->Document()->Window()->Refs(), 2); // the page's and the control's
    EXPECT_GT(m_browser->HeldReferences(), 0u);

    m_browser->ReleaseControl();
    EXPECT_EQ(fakes::CountBrowserCalls(L"Unadvise " + std::to_wstring(cookie)), 1);
    EXPECT_EQ(m_browser->Cookie(), 0u);
    EXPECT_FALSE(m_browser->TranslatorAdded());
    EXPECT_EQ(m_browser->GetWebBrowser2(), nullptr);
    EXPECT_EQ(m_browser->GetHostWindow(), (HWND)NULL);
    // The browser and its pages are gone, and nothing of them holds the control.
    EXPECT_EQ(FakeBrowser::Last(), nullptr);
    EXPECT_EQ(fakes::LiveBrowserObjects(), 0);
    EXPECT_EQ(m_browser->HeldReferences(), 0u);
    // A second release finds nothing to do.
    fakes::ClearBrowserLog();
    m_browser->ReleaseControl();
    EXPECT_TRUE(fakes::BrowserLog().empty());

    // The next layout makes a new browser; deleting the control then lets go of it all.
    m_browser->NeedUpdate();
    m_win.Update();
    ASSERT_NE(FakeBrowser::Last(), nullptr);
    EXPECT_NE(m_browser->Cookie(), 0u);
    EXPECT_NE(m_browser->Cookie(), cookie);
    static_cast<CContainerUI*>(m_win.pm().GetRoot())->Remove(m_browser);
    m_win.Pump();
    EXPECT_EQ(fakes::LiveBrowserObjects(), 0);
}

TEST(WebBrowserRealTest, WinesBrowserIsCreatedSitedAndConnectedWithoutNavigating)
{
    // No fake here: the platform's own browser class, never navigated.
    HostWindow win;
    ProbeBrowserUI* pBrowser = Make<ProbeBrowserUI>(L"float=\"true\" pos=\"0,0,100,80\"");
    win.Open(Root({ pBrowser }), 120, 100);
    EXPECT_EQ(win.Count(L"showactivex", pBrowser), 1);
    ASSERT_NE(pBrowser->GetWebBrowser2(), nullptr);
    EXPECT_NE(pBrowser->Cookie(), 0u);
    EXPECT_TRUE(pBrowser->TranslatorAdded());
    pBrowser->ReleaseControl();
    EXPECT_EQ(pBrowser->GetWebBrowser2(), nullptr);
    EXPECT_EQ(pBrowser->Cookie(), 0u);
    EXPECT_EQ(pBrowser->HeldReferences(), 0u);
}

} // namespace
