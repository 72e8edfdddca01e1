#include <windows.h>
#include <ole2.h>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "FakePlayer.h"
#include "FakeBrowserOleEnvironment.h"
#include "controls/ComGuids.h"
#include "controls/FlashUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Root;
using fakes::FakePlayer;

namespace {

::testing::Environment* const g_ole = ::testing::AddGlobalTestEnvironment(new fakes::OleEnvironment);

// The control's protected state a test needs to see.
class ProbeFlashUI : public CFlashUI {
public:
    DWORD Cookie() const { return m_dwCookie; }
    IDispatch* Player() const { return m_pFlash; }
    bool TranslatorAdded() const { return m_pTranslatorManager != NULL; }
    // The references the player holds on the control's sink.
    ULONG HeldReferences()
    {
        AddRef();
        return Release();
    }
};

// A handler that counts its references and notes its events; the strings it is given are
// kept by address and by text.
class CountingHandler : public CFlashEventHandler {
public:
    explicit CountingHandler(HRESULT answer = S_OK) : m_answer(answer) {}
    ULONG Release() override { return static_cast<ULONG>(--refs); }
    ULONG AddRef() override { return static_cast<ULONG>(++refs); }
    HRESULT OnReadyStateChange(long newState) override
    {
        log.push_back(L"ReadyState " + std::to_wstring(newState));
        return m_answer;
    }
    HRESULT OnProgress(long percentDone) override
    {
        log.push_back(L"Progress " + std::to_wstring(percentDone));
        return m_answer;
    }
    HRESULT FSCommand(LPCTSTR command, LPCTSTR args) override
    {
        log.push_back(L"FSCommand " + std::wstring(command) + L" | " + args);
        strings = { command, args };
        return m_answer;
    }
    HRESULT FlashCall(LPCTSTR request) override
    {
        log.push_back(L"FlashCall " + std::wstring(request));
        strings = { request };
        return m_answer;
    }
    int refs = 0;
    std::vector<std::wstring> log;
    std::vector<const void*> strings;

private:
    HRESULT m_answer;
};

DWORD AdvisedCookie()
{
    DWORD cookie = 0;
    for (const std::wstring& line : fakes::BrowserLog())
        if (line.compare(0, 7, L"Advise ") == 0) cookie = static_cast<DWORD>(std::stoul(line.substr(7)));
    return cookie;
}

TEST(FlashHandlerTest, TheControlHoldsOneReferenceOnItsHandler)
{
    CountingHandler a, b;
    {
        CFlashUI flash;
        flash.SetFlashEventHandler(&a);
        EXPECT_EQ(a.refs, 1);
        flash.SetFlashEventHandler(&b); // a let go of, b held
        EXPECT_EQ(a.refs, 0);
        EXPECT_EQ(b.refs, 1);
        flash.SetFlashEventHandler(NULL); // none held
        EXPECT_EQ(b.refs, 0);
        flash.SetFlashEventHandler(&a);
        flash.SetFlashEventHandler(&a); // the same again: still held once
        EXPECT_EQ(a.refs, 1);
    }
    EXPECT_EQ(a.refs, 0); // the destructor let go of it
    EXPECT_EQ(b.refs, 0);
}

TEST(FlashHandlerTest, IdentityAndSinkAnswers)
{
    CFlashUI flash;
    EXPECT_STREQ(flash.GetClass(), L"Flash");
    EXPECT_EQ(flash.GetInterface(L"Flash"), static_cast<CFlashUI*>(&flash));
    EXPECT_NE(flash.GetInterface(L"ActiveX"), nullptr);
    EXPECT_TRUE(IsEqualCLSID(flash.GetClisd(), CLSID_ShockwaveFlash));
    IDispatch* pSink = &flash;
    const IID answered[] = { IID_IUnknown, IID_IDispatch, DIID__IShockwaveFlashEvents };
    for (const IID& iid : answered) {
        void* p = NULL;
        ASSERT_EQ(pSink->QueryInterface(iid, &p), S_OK);
        EXPECT_EQ(p, static_cast<void*>(pSink));
        pSink->Release();
    }
    void* pNone = reinterpret_cast<void*>(1);
    EXPECT_EQ(pSink->QueryInterface(IID_IOleObject, &pNone), E_NOINTERFACE);
    EXPECT_EQ(pNone, nullptr);
    UINT count = 0;
    EXPECT_EQ(pSink->GetTypeInfoCount(&count), E_NOTIMPL);
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"FSCommand");
    EXPECT_EQ(pSink->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
}

TEST(FlashHandlerTest, EventInvokesCheckTheirArgumentsBeforeTheHandler)
{
    CFlashUI flash;
    CountingHandler handler;
    flash.SetFlashEventHandler(&handler);
    IDispatch* pSink = &flash;
    struct Case {
        LPCWSTR name;
        DISPID id;
        std::vector<VARTYPE> types; // last argument first, as they travel
        HRESULT want;
    };
    const Case cases[] = {
        { L"ready state", -609, { VT_I4 }, S_OK },
        { L"ready state unsigned", -609, { VT_UI4 }, S_OK },
        { L"ready state as text", -609, { VT_BSTR }, DISP_E_TYPEMISMATCH },
        { L"ready state missing", -609, {}, DISP_E_BADPARAMCOUNT },
        { L"progress with two", 0x7A6, { VT_I4, VT_I4 }, DISP_E_BADPARAMCOUNT },
        { L"command with one string", 0x96, { VT_BSTR }, DISP_E_BADPARAMCOUNT },
        { L"command with a number", 0x96, { VT_I4, VT_BSTR }, DISP_E_TYPEMISMATCH },
        { L"call with a number", 0xC5, { VT_I4 }, DISP_E_TYPEMISMATCH },
        { L"any other event", 0x1234, { VT_I4 }, S_OK },
        { L"any other event without arguments", 0x1235, {}, S_OK },
    };
    for (const Case& c : cases) {
        handler.log.clear();
        std::vector<VARIANT> args(c.types.size());
        for (size_t i = 0; i < args.size(); i++) {
            ::VariantInit(&args[i]);
            args[i].vt = c.types[i];
            if (c.types[i] == VT_BSTR) args[i].bstrVal = NULL; // the empty string
            if (c.types[i] == VT_I4 || c.types[i] == VT_UI4) args[i].lVal = 3;
        }
        DISPPARAMS params = { args.empty() ? NULL : args.data(), NULL, static_cast<UINT>(args.size()), 0 };
        EXPECT_EQ(pSink->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, NULL, NULL, NULL), c.want) << c.name;
        const bool bRouted = c.want == S_OK && c.id == -609;
        EXPECT_EQ(handler.log.size(), bRouted ? 1u : 0u) << c.name;
    }
    // No parameter block at all.
    EXPECT_EQ(pSink->Invoke(0xC5, IID_NULL, 0, DISPATCH_METHOD, NULL, NULL, NULL, NULL), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(pSink->Invoke(0x1234, IID_NULL, 0, DISPATCH_METHOD, NULL, NULL, NULL, NULL), S_OK);
}

TEST(FlashRealTest, WithoutAPlayerTheControlStaysEmpty)
{
    // Wine has no player: its class is not registered.
    IUnknown* pUnknown = NULL;
    EXPECT_EQ(
        ::CoCreateInstance(CLSID_ShockwaveFlash, NULL, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&pUnknown)),
        REGDB_E_CLASSNOTREG);
    HostWindow win;
    ProbeFlashUI* pFlash = Make<ProbeFlashUI>(L"float=\"true\" pos=\"10,10,90,70\" bkcolor=\"#FF00FF00\"");
    win.Open(Root({ pFlash }), 100, 80);
    EXPECT_EQ(pFlash->GetControl(IID_IUnknown, reinterpret_cast<LPVOID*>(&pUnknown)), E_PENDING);
    EXPECT_EQ(pFlash->RegisterEventHandler(TRUE), S_FALSE);
    EXPECT_EQ(pFlash->GetHostWindow(), (HWND)NULL);
    EXPECT_FALSE(pFlash->TranslatorAdded());
    EXPECT_EQ(win.Count(L"showactivex", pFlash), 0);
    MSG key = { win.GetHWND(), WM_KEYDOWN, 'A', 0, 0, { 0, 0 } };
    MSG click = { win.GetHWND(), WM_LBUTTONDOWN, 0, 0, 0, { 0, 0 } };
    EXPECT_EQ(pFlash->TranslateAccelerator(&key), E_NOTIMPL);
    EXPECT_EQ(pFlash->TranslateAccelerator(&click), S_FALSE);
    // Nothing is painted, not even the control's own colour.
    painttest::Canvas canvas(100, 80, 0xFF102030);
    win.PaintTo(canvas);
    const RECT rcItem = { 10, 10, 90, 70 };
    EXPECT_EQ(canvas.CountNot(rcItem, 0xFF102030), 0);
    // No message reaches it.
    bool bHandled = false;
    EXPECT_EQ(pFlash->MessageHandler(WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20), bHandled), 0);
    EXPECT_FALSE(bHandled);
}

class FlashTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FakePlayer::Register());
        fakes::ResetBrowserScript();
        fakes::ClearBrowserLog();
    }
    void TearDown() override
    {
        if (m_win.GetHWND() != NULL) ::DestroyWindow(m_win.GetHWND());
        m_win.Pump();
    }
    void Open()
    {
        m_flash = Make<ProbeFlashUI>(L"float=\"true\" pos=\"10,10,110,90\"");
        m_win.Open(Root({ m_flash }), 130, 100);
    }
    HostWindow m_win;
    ProbeFlashUI* m_flash = nullptr;
};

TEST_F(FlashTest, TheSkinElementMakesThePlayerAtFirstLayoutAndConnectsIt)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><Container><Flash name=\"movie\" float=\"true\" pos=\"0,0,80,60\"/></Container></Window>", NULL, NULL,
        &m_win.pm(), NULL);
    ASSERT_NE(root, nullptr);
    m_win.Open(root, 100, 80);
    CControlUI* pControl = m_win.pm().FindControl(L"movie");
    ASSERT_NE(pControl, nullptr);
    CFlashUI* pFlash = static_cast<CFlashUI*>(pControl->GetInterface(L"Flash"));
    ASSERT_NE(pFlash, nullptr);
    FakePlayer* pPlayer = FakePlayer::Last();
    ASSERT_NE(pPlayer, nullptr);
    EXPECT_EQ(m_win.Count(L"showactivex", pFlash), 1);
    EXPECT_NE(AdvisedCookie(), 0u);
    EXPECT_EQ(pPlayer->Events().Sink(), static_cast<IDispatch*>(pFlash));
    EXPECT_EQ(::GetParent(pPlayer->Window()), pFlash->GetHostWindow());
}

TEST_F(FlashTest, PlayerEventsReachTheHandlerWithTheirArgumentsInOrderAndBorrowedStrings)
{
    Open();
    FakePlayer* pPlayer = FakePlayer::Last();
    ASSERT_NE(pPlayer, nullptr);
    // Without a handler every event is answered S_OK.
    EXPECT_EQ(pPlayer->FireFSCommand(L"quit", L""), S_OK);

    CountingHandler handler(S_FALSE);
    m_flash->SetFlashEventHandler(&handler);
    EXPECT_EQ(pPlayer->FireReadyStateChange(4), S_FALSE);
    EXPECT_EQ(pPlayer->FireProgress(55), S_FALSE);
    EXPECT_EQ(pPlayer->FireFSCommand(L"play", L"level 1"), S_FALSE);
    // The handler saw the player's own strings, and they were whole after the call.
    ASSERT_EQ(handler.strings.size(), 2u);
    EXPECT_EQ(handler.strings[0], pPlayer->LastString(0));
    EXPECT_EQ(handler.strings[1], pPlayer->LastString(1));
    EXPECT_EQ(pPlayer->LastText(0), L"play");
    EXPECT_EQ(pPlayer->LastText(1), L"level 1");
    EXPECT_EQ(pPlayer->LastStringFrees(), 0);
    EXPECT_EQ(pPlayer->FireFlashCall(L"<invoke name=\"go\"/>"), S_FALSE);
    ASSERT_EQ(handler.strings.size(), 1u);
    EXPECT_EQ(handler.strings[0], pPlayer->LastString(0));
    EXPECT_EQ(pPlayer->LastText(0), L"<invoke name=\"go\"/>");
    EXPECT_EQ(pPlayer->LastStringFrees(), 0);
    const std::vector<std::wstring> expected = { L"ReadyState 4", L"Progress 55", L"FSCommand play | level 1",
                                                 L"FlashCall <invoke name=\"go\"/>" };
    EXPECT_EQ(handler.log, expected);
    m_flash->SetFlashEventHandler(NULL);
    EXPECT_EQ(handler.refs, 0);
}

TEST_F(FlashTest, KeysGoToThePlayerOnlyWhileTheFocusIsInsideIt)
{
    Open();
    FakePlayer* pPlayer = FakePlayer::Last();
    ASSERT_NE(pPlayer, nullptr);
    ASSERT_NE(pPlayer->Window(), (HWND)NULL);
    EXPECT_TRUE(m_flash->TranslatorAdded());
    ::SetFocus(pPlayer->Window());
    ASSERT_EQ(::GetFocus(), pPlayer->Window());
    MSG key = { pPlayer->Window(), WM_KEYDOWN, VK_SPACE, 0, 0, { 0, 0 } };
    EXPECT_EQ(m_flash->TranslateAccelerator(&key), S_OK);
    EXPECT_EQ(fakes::CountBrowserCalls(L"Player Key 256 32"), 1);
    // Through the manager, as the message loop asks it.
    ::PostMessageW(pPlayer->Window(), WM_KEYDOWN, VK_RETURN, 0);
    MSG posted = {};
    ASSERT_TRUE(::PeekMessageW(&posted, pPlayer->Window(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&posted));
    EXPECT_EQ(fakes::CountBrowserCalls(L"Player Key 256 13"), 1);
    // Focus elsewhere: not forwarded.
    ::SetFocus(m_win.GetHWND());
    EXPECT_EQ(m_flash->TranslateAccelerator(&key), S_FALSE);
    EXPECT_EQ(fakes::CountBrowserCalls(L"Player Key 256 32"), 1);
}

TEST_F(FlashTest, ReleaseDisconnectsTheSameCookieAndLetsGoOfThePlayer)
{
    Open();
    ASSERT_NE(FakePlayer::Last(), nullptr);
    const DWORD cookie = m_flash->Cookie();
    ASSERT_NE(cookie, 0u);
    EXPECT_EQ(cookie, AdvisedCookie());
    EXPECT_NE(m_flash->Player(), nullptr);
    EXPECT_EQ(m_flash->HeldReferences(), 1u); // the player's connection

    m_flash->ReleaseControl();
    EXPECT_EQ(fakes::CountBrowserCalls(L"Unadvise " + std::to_wstring(cookie)), 1);
    EXPECT_EQ(m_flash->Cookie(), 0u);
    EXPECT_EQ(m_flash->Player(), nullptr);
    EXPECT_FALSE(m_flash->TranslatorAdded());
    EXPECT_EQ(FakePlayer::Last(), nullptr);
    EXPECT_EQ(fakes::LiveBrowserObjects(), 0);
    EXPECT_EQ(m_flash->HeldReferences(), 0u);
    EXPECT_EQ(m_flash->RegisterEventHandler(FALSE), S_FALSE);

    // A new class id makes a new player; deleting the control lets go of it.
    m_flash->CreateControl(CLSID_ShockwaveFlash);
    m_flash->NeedUpdate();
    m_win.Update();
    ASSERT_NE(FakePlayer::Last(), nullptr);
    EXPECT_NE(m_flash->Cookie(), 0u);
    static_cast<CContainerUI*>(m_win.pm().GetRoot())->Remove(m_flash);
    m_win.Pump();
    EXPECT_EQ(fakes::LiveBrowserObjects(), 0);
}

} // namespace
