// The ActiveX control in real windows against the fake controls of tests/fakes: creation by
// class id, ProgID and module, the creation protocol, windowless drawing and input through
// the message filter, the windowed host window, the site's and frame's answers, and release
// of every object on every path (the fakes count themselves).
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <exdisp.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../basic/BasicTestUtil.h"
#include "FakeControl.h"
#include "controls/ActiveXCtrl.h"
#include "controls/ActiveXEnum.h"
#include "controls/ActiveXUI.h"
#include "core/DialogBuilder.h"
#include "../paint/PoisonArena.h"

using namespace SkinUI;
using basictest::HostWindow;

namespace {

const wchar_t kWindowlessText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7001}";
const wchar_t kWindowedText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7002}";
const COLORREF kFill = RGB(0x20, 0x40, 0x80);
const RECT kItem = { 20, 10, 100, 60 };

// An ActiveX control that counts the window messages the manager's filters hand it.
class CountingActiveXUI : public CActiveXUI {
public:
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override
    {
        ++filterCalls;
        return CActiveXUI::MessageHandler(uMsg, wParam, lParam, bHandled);
    }
    int filterCalls = 0;
};

// Counts the mouse-wheel messages that reach the paint window's manager.
class WheelCounter : public IMessageFilterUI {
public:
    LRESULT MessageHandler(UINT uMsg, WPARAM, LPARAM, bool&) override
    {
        if (uMsg == WM_MOUSEWHEEL) ++wheels;
        return 0;
    }
    int wheels = 0;
};

// The fake's record without the geometry and input lines, which depend on the layout.
std::vector<std::wstring> Protocol()
{
    std::vector<std::wstring> out;
    for (const std::wstring& line : fakes::Calls()) {
        if (line.rfind(L"SetExtent", 0) == 0 || line.rfind(L"SetObjectRects", 0) == 0 ||
            line.rfind(L"Draw", 0) == 0 || line.rfind(L"QueryHitPoint", 0) == 0)
            continue;
        out.push_back(line);
    }
    return out;
}

bool SameClsid(const CLSID& expected, CLSID actual)
{
    return IsEqualCLSID(expected, actual) != FALSE;
}

int IndexOf(const std::vector<std::wstring>& lines, const std::wstring& line)
{
    auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : static_cast<int>(it - lines.begin());
}

int CountOf(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
        return l.rfind(prefix, 0) == 0;
    }));
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// Records the notifications of the window into the fakes' call record, so that the order of
// "showactivex" against the object's calls can be read.
class RecordingHost : public HostWindow {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (wcscmp(msg.type.GetData(), L"showactivex") == 0) fakes::Calls().push_back(L"showactivex");
        HostWindow::Notify(msg);
    }
};

class ActiveXTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(NULL);
        ASSERT_TRUE(fakes::RegisterFakeControls());
    }

    void SetUp() override
    {
        fakes::Calls().clear();
        fakes::SetNextOptions(fakes::FakeControlOptions());
        m_win.reset(new RecordingHost);
    }

    void TearDown() override
    {
        // Closing the window deletes the controls: every fake must be gone then.
        m_win.reset();
        EXPECT_EQ(0, fakes::LiveControls()) << "a fake control was not released";
    }

    // A float ActiveX control at kItem in a 160 x 100 window.
    template <class T = CActiveXUI>
    T* OpenWith(const wchar_t* clsid, const fakes::FakeControlOptions& options = fakes::FakeControlOptions(),
                const wchar_t* extra = L"")
    {
        fakes::SetNextOptions(options);
        T* pControl = new T;
        pControl->ApplyAttributeList(L"float=\"true\" pos=\"20,10,100,60\"");
        pControl->ApplyAttributeList(extra);
        if (clsid != nullptr) pControl->SetAttribute(L"clsid", clsid);
        m_win->Open(basictest::Root({ pControl }), 160, 100);
        return pControl;
    }

    HWND PaintWindow() { return m_win->pm().GetPaintWindow(); }

    std::unique_ptr<RecordingHost> m_win;
};

typedef ActiveXTest ActiveXCreation;
typedef ActiveXTest ActiveXWindowless;
typedef ActiveXTest ActiveXWindowed;
typedef ActiveXTest ActiveXSite;
typedef ActiveXTest ActiveXModule;

// ---- Creation ---------------------------------------------------------------------------

TEST_F(ActiveXCreation, DelayedUntilTheFirstLayoutByDefault)
{
    CActiveXUI* pControl = new CActiveXUI;
    EXPECT_TRUE(pControl->IsDelayCreate());
    EXPECT_TRUE(pControl->CreateControl(kWindowlessText));
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_PENDING, pControl->GetControl(IID_IOleObject, &p));
    EXPECT_EQ(E_POINTER, pControl->GetControl(IID_IOleObject, nullptr));
    EXPECT_EQ(0, fakes::LiveControls());

    pControl->ApplyAttributeList(L"float=\"true\" pos=\"20,10,100,60\"");
    m_win->Open(basictest::Root({ pControl }), 160, 100);
    IOleObject* pObject = nullptr;
    ASSERT_EQ(S_OK, pControl->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObject)));
    EXPECT_EQ(static_cast<IOleObject*>(fakes::FakeControl::Last()), pObject);
    pObject->Release();
    EXPECT_EQ(1, fakes::LiveControls());
    EXPECT_EQ(1, m_win->Count(L"showactivex", pControl));
    EXPECT_TRUE(SameClsid(fakes::CLSID_FakeWindowless, pControl->GetClisd()));
}

TEST_F(ActiveXCreation, DelayCreateFalseCreatesAtOnce)
{
    std::unique_ptr<CActiveXUI> pControl(new CActiveXUI);
    pControl->SetAttribute(L"delaycreate", L"false");
    EXPECT_FALSE(pControl->IsDelayCreate());
    EXPECT_EQ(0, fakes::LiveControls()) << "no class id yet";
    pControl->SetAttribute(L"clsid", kWindowlessText);
    EXPECT_EQ(1, fakes::LiveControls());
    IUnknown* pUnk = nullptr;
    ASSERT_EQ(S_OK, pControl->GetControl(IID_IUnknown, reinterpret_cast<void**>(&pUnk)));
    pUnk->Release();

    // Switching delayed creation off with a class id set and nothing made yet creates too.
    std::unique_ptr<CActiveXUI> pSecond(new CActiveXUI);
    pSecond->CreateControl(kWindowlessText);
    EXPECT_EQ(1, fakes::LiveControls());
    pSecond->SetDelayCreate(false);
    EXPECT_EQ(2, fakes::LiveControls());
}

TEST_F(ActiveXCreation, SkinElementsMakeWindowlessAndWindowedObjects)
{
    const std::wstring xml = std::wstring(L"<Window><Container>") +
                             L"<ActiveX name=\"wl\" float=\"true\" pos=\"10,10,70,50\" clsid=\"" + kWindowlessText +
                             L"\"/>" + L"<ActiveX name=\"wd\" float=\"true\" pos=\"80,10,150,90\" clsid=\"" +
                             kWindowedText + L"\"/>" +
                             L"<ActiveX name=\"none\" float=\"true\" pos=\"0,60,40,90\" clsid=\"No.Such.ProgId.1\"/>" +
                             L"</Container></Window>";
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(xml.c_str());
    ASSERT_NE(nullptr, pRoot);
    EXPECT_EQ(0, fakes::LiveControls()) << "created at the first layout";
    m_win->Open(pRoot, 160, 100);

    CActiveXUI* pWindowless = static_cast<CActiveXUI*>(m_win->pm().FindControl(L"wl"));
    CActiveXUI* pWindowed = static_cast<CActiveXUI*>(m_win->pm().FindControl(L"wd"));
    CActiveXUI* pNone = static_cast<CActiveXUI*>(m_win->pm().FindControl(L"none"));
    ASSERT_NE(nullptr, pWindowless);
    ASSERT_NE(nullptr, pWindowed);
    ASSERT_NE(nullptr, pNone);
    EXPECT_STREQ(L"ActiveXUI", pWindowless->GetClass());
    EXPECT_EQ(static_cast<void*>(pWindowless), pWindowless->GetInterface(L"ActiveX"));
    EXPECT_EQ(2, fakes::LiveControls());
    EXPECT_EQ(1, m_win->Count(L"showactivex", pWindowless));
    EXPECT_EQ(1, m_win->Count(L"showactivex", pWindowed));
    EXPECT_EQ(0, m_win->Count(L"showactivex", pNone));
    EXPECT_EQ(PaintWindow(), pWindowless->GetHostWindow());
    ASSERT_NE(nullptr, pWindowed->GetHostWindow());
    EXPECT_EQ(PaintWindow(), ::GetParent(pWindowed->GetHostWindow()));
    EXPECT_EQ(nullptr, pNone->GetHostWindow());

    // Only the windowless object is drawn into the tree's DC.
    painttest::Canvas canvas(160, 100, 0xFF000000);
    m_win->PaintTo(canvas);
    const uint32_t fill = (GetRValue(kFill) << 16) | (GetGValue(kFill) << 8) | GetBValue(kFill);
    EXPECT_EQ(fill, basictest::Rgb(canvas.At(10, 10)));
    EXPECT_EQ(fill, basictest::Rgb(canvas.At(69, 49)));
    RECT rcWindowed = { 80, 10, 150, 90 };
    RECT rcNone = { 0, 60, 40, 90 };
    EXPECT_EQ(0, canvas.CountNot(rcWindowed, 0xFF000000));
    EXPECT_EQ(0, canvas.CountNot(rcNone, 0xFF000000));
}

// A skin that switches delayed creation off makes the object while the builder runs, before
// the control has a manager or a paint window to activate it in: the first layout, with its
// manager, makes it again and activates it, whatever order the attributes come in.
TEST_F(ActiveXCreation, MadeBeforeItsManagerTheObjectIsActivatedAtTheFirstLayout)
{
    const std::wstring clsid = std::wstring(L"clsid=\"") + kWindowlessText + L"\"";
    const std::wstring orders[] = { clsid + L" delaycreate=\"false\"", L"delaycreate=\"false\" " + clsid };
    for (const std::wstring& attributes : orders) {
        SCOPED_TRACE(attributes);
        fakes::Calls().clear();
        m_win.reset(new RecordingHost);
        const std::wstring xml = L"<Window><Container><ActiveX name=\"ax\" float=\"true\" pos=\"20,10,100,60\" " +
                                 attributes + L"/></Container></Window>";
        CDialogBuilder builder;
        CControlUI* pRoot = builder.Create(xml.c_str());
        ASSERT_NE(nullptr, pRoot);
        ASSERT_EQ(1, fakes::LiveControls()) << "made at once";
        EXPECT_FALSE(fakes::FakeControl::Last()->IsActive());

        m_win->Open(pRoot, 160, 100);
        CActiveXUI* pControl = static_cast<CActiveXUI*>(m_win->pm().FindControl(L"ax"));
        ASSERT_NE(nullptr, pControl);
        EXPECT_EQ(1, fakes::LiveControls()) << "the first object went";
        ASSERT_NE(nullptr, fakes::FakeControl::Last());
        EXPECT_TRUE(fakes::FakeControl::Last()->IsActive());
        EXPECT_EQ(1, m_win->Count(L"showactivex", pControl));
        EXPECT_EQ(PaintWindow(), pControl->GetHostWindow());
        m_win.reset();
        EXPECT_EQ(0, fakes::LiveControls());
    }
}

// An object locked running at its activation that closes without deactivating itself: the
// host lets go of the lock when it lets go of the object, so neither it nor the site stays.
TEST_F(ActiveXCreation, ObjectThatClosesWithoutDeactivatingIsReleased)
{
    fakes::FakeControlOptions options;
    options.closeDeactivates = false;
    for (const wchar_t* clsid : { kWindowlessText, kWindowedText }) {
        SCOPED_TRACE(clsid == kWindowlessText ? "windowless" : "windowed");
        fakes::Calls().clear();
        m_win.reset(new RecordingHost);
        CActiveXUI* pControl = OpenWith(clsid, options);
        ASSERT_NE(nullptr, fakes::FakeControl::Last());
        EXPECT_TRUE(fakes::FakeControl::Last()->IsActive());
        EXPECT_EQ(1, fakes::FakeControl::Last()->RunningLocks());
        // Made again: the first object goes.
        fakes::SetNextOptions(options);
        EXPECT_TRUE(pControl->DoCreateControl());
        EXPECT_EQ(1, fakes::LiveControls());
        EXPECT_EQ(1, CountOf(Protocol(), L"Destroyed"));
        m_win.reset();
        EXPECT_EQ(0, fakes::LiveControls()) << "the window's close releases the second one";
    }
}

// A window that deletes itself, manager and tree with it, when it is destroyed; its memory
// and that of the controls in the test are wiped when freed and never reused.
class SelfDeletingHost final : public HostWindow {
public:
    static void* operator new(size_t n) { return painttest::PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { painttest::PoisonArenaFree(p, n); }
    // The "showactivex" receiver closes the window; what was freed is then given back, so
    // that any later touch of it faults.
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type != L"showactivex") return;
        ::DestroyWindow(GetHWND());
        s_intactAtClose = painttest::PoisonIntact();
        painttest::PoisonRelease();
    }
    static bool s_intactAtClose;

protected:
    void OnFinalMessage(HWND) override { delete this; }
};
bool SelfDeletingHost::s_intactAtClose = false;

// The receiver of "showactivex" closes the window, and the control goes with it: whichever
// call made the object, nothing of the control is touched afterwards and every object of the
// creation is released.
TEST_F(ActiveXCreation, AShowActiveXReceiverMayCloseTheWindow)
{
    struct Row {
        const char* what;
        void (*create)(CActiveXUI*);
    } rows[] = {
        { "a class id with delayed creation off",
          [](CActiveXUI* p) {
              p->SetDelayCreate(false);
              p->CreateControl(kWindowlessText);
          } },
        { "delayed creation switched off",
          [](CActiveXUI* p) {
              p->CreateControl(kWindowedText);
              p->SetDelayCreate(false);
          } },
        { "the first placement",
          [](CActiveXUI* p) {
              p->CreateControl(kWindowlessText);
              p->SetPos(kItem);
          } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        fakes::SetNextOptions(fakes::FakeControlOptions());
        CActiveXUI* pControl = new painttest::Poisoned<CActiveXUI>;
        CContainerUI* pRoot = new painttest::Poisoned<CContainerUI>;
        pRoot->Add(pControl);
        // Laid out without a class id: nothing is made before the row's calls.
        (new SelfDeletingHost)->Open(pRoot, 160, 100, false);
        SelfDeletingHost::s_intactAtClose = false;
        r.create(pControl);
        EXPECT_TRUE(SelfDeletingHost::s_intactAtClose);
        EXPECT_EQ(0, fakes::LiveControls()) << "an object of the creation was kept";
        painttest::PumpMessages();
    }
}

TEST_F(ActiveXCreation, ClassTextsAreReadAsClassIdsOrProgIds)
{
    CActiveXUI control;
    // A ProgID the registry knows (the platform's browser) gives its class id.
    EXPECT_TRUE(control.CreateControl(L"Shell.Explorer.2"));
    EXPECT_TRUE(SameClsid(CLSID_WebBrowser, control.GetClisd()));
    // "{...}" is a class id text.
    EXPECT_TRUE(control.CreateControl(kWindowedText));
    EXPECT_TRUE(SameClsid(fakes::CLSID_FakeWindowed, control.GetClisd()));
    // Unknown texts, broken ids and null give false and keep the class id as it was.
    EXPECT_FALSE(control.CreateControl(L"No.Such.ProgId.1"));
    EXPECT_FALSE(control.CreateControl(L"{not-a-class-id}"));
    EXPECT_FALSE(control.CreateControl(static_cast<LPCTSTR>(nullptr)));
    EXPECT_FALSE(control.CreateControl(CLSID_NULL));
    EXPECT_TRUE(SameClsid(fakes::CLSID_FakeWindowed, control.GetClisd()));
    // A text longer than the 99 characters read is cut there, never read past.
    std::wstring longText(kWindowlessText);
    longText += std::wstring(4000, L'x');
    EXPECT_FALSE(control.CreateControl(longText.c_str()));
    EXPECT_EQ(0, fakes::LiveControls()) << "nothing is made while creation is delayed";
}

TEST_F(ActiveXCreation, UnknownProgIdLeavesAnEmptyControl)
{
    CountingActiveXUI* pControl = OpenWith<CountingActiveXUI>(L"No.Such.ProgId.1");
    EXPECT_TRUE(SameClsid(CLSID_NULL, pControl->GetClisd()));
    void* p = nullptr;
    EXPECT_EQ(E_PENDING, pControl->GetControl(IID_IUnknown, &p));
    EXPECT_EQ(0, fakes::LiveControls());
    EXPECT_EQ(0, m_win->Count(L"showactivex"));
    EXPECT_EQ(nullptr, pControl->GetHostWindow());

    // Nothing is painted and no message is filtered.
    painttest::Canvas canvas(160, 100, 0xFF123456);
    m_win->PaintTo(canvas);
    EXPECT_EQ(0, canvas.CountNot(kItem, 0xFF123456));
    m_win->Click(50, 30);
    EXPECT_EQ(0, pControl->filterCalls);
}

struct ProtocolCase {
    const char* name;
    DWORD miscStatus;
    HRESULT initNew;
    bool created;
    std::vector<std::wstring> expected;
};

TEST_F(ActiveXCreation, ProtocolFollowsTheObjectsStatus)
{
    const std::wstring verb = L"DoVerb " + std::to_wstring(OLEIVERB_INPLACEACTIVATE);
    const std::vector<ProtocolCase> cases = {
        { "plain", 0, S_OK, true,
          { L"Created", L"InitNew", L"SetClientSite", L"SetHostNames UIActiveX", L"showactivex", verb,
            L"ActivateWindowless 0", L"SetSite" } },
        { "site first", OLEMISC_SETCLIENTSITEFIRST, S_OK, true,
          { L"Created", L"SetClientSite", L"InitNew", L"SetHostNames UIActiveX", L"showactivex", verb,
            L"ActivateWindowless 0", L"SetSite" } },
        { "invisible at run time", OLEMISC_INVISIBLEATRUNTIME, S_OK, true,
          { L"Created", L"InitNew", L"SetClientSite", L"SetHostNames UIActiveX", L"showactivex", L"SetSite" } },
        { "InitNew fails", 0, E_FAIL, false, { L"Created", L"InitNew" } },
        { "InitNew fails, site first", OLEMISC_SETCLIENTSITEFIRST, E_FAIL, false,
          { L"Created", L"SetClientSite", L"InitNew" } },
    };
    for (const ProtocolCase& c : cases) {
        SCOPED_TRACE(c.name);
        fakes::FakeControlOptions options;
        options.miscStatus = c.miscStatus;
        options.initNewResult = c.initNew;
        fakes::SetNextOptions(options);
        fakes::Calls().clear();
        std::unique_ptr<CActiveXUI> pControl(new CActiveXUI);
        // A window for the manager, so that activation has a paint window.
        RecordingHost host;
        host.Open(basictest::Root({}), 50, 50, false);
        pControl->SetManager(&host.pm(), NULL, false);
        pControl->CreateControl(kWindowlessText);
        pControl->SetDelayCreate(false);
        EXPECT_EQ(c.expected, Protocol());
        IUnknown* pUnk = nullptr;
        EXPECT_EQ(S_OK, pControl->GetControl(IID_IUnknown, reinterpret_cast<void**>(&pUnk)))
            << "the object is kept even when its creation failed";
        if (pUnk != nullptr) pUnk->Release();

        // A failed creation is not tried again on the next layout...
        fakes::Calls().clear();
        pControl->SetPos(kItem);
        EXPECT_EQ(0, CountOf(Protocol(), L"Created"));
        // ...but setting the class id again does, releasing the first object.
        pControl->CreateControl(kWindowlessText);
        pControl->SetPos(kItem);
        EXPECT_EQ(1, CountOf(Protocol(), L"Created"));
        EXPECT_EQ(1, CountOf(Protocol(), L"Destroyed"));
        EXPECT_EQ(1, fakes::LiveControls());
        pControl.reset();
        EXPECT_EQ(0, fakes::LiveControls());
    }
}

TEST_F(ActiveXCreation, RecreationReleasesTheOldObjectFirst)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    ASSERT_EQ(1, fakes::LiveControls());
    fakes::FakeControl* pFirst = fakes::FakeControl::Last();
    EXPECT_TRUE(pFirst->IsActive());
    fakes::Calls().clear();

    EXPECT_TRUE(pControl->DoCreateControl());
    const std::vector<std::wstring> calls = Protocol();
    // The old object is deactivated, loses its sites and goes before the new one is made.
    const int closeAt = IndexOf(calls, L"Close");
    const int destroyedAt = IndexOf(calls, L"Destroyed");
    const int createdAt = IndexOf(calls, L"Created");
    ASSERT_GE(closeAt, 0);
    EXPECT_LT(IndexOf(calls, L"SetSite null"), closeAt);
    EXPECT_LT(closeAt, IndexOf(calls, L"SetClientSite null"));
    EXPECT_LT(destroyedAt, createdAt);
    EXPECT_EQ(1, fakes::LiveControls());
    EXPECT_NE(nullptr, fakes::FakeControl::Last());
    EXPECT_TRUE(fakes::FakeControl::Last()->IsActive());
}

// ---- Windowless objects -----------------------------------------------------------------

TEST_F(ActiveXWindowless, DrawsIntoTheItemOfThePaintDc)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    EXPECT_EQ(PaintWindow(), pControl->GetHostWindow());
    EXPECT_EQ(1, CountOf(Protocol(), L"ActivateWindowless 0"));
    // Windowless rectangles are the item's own, in paint-window coordinates.
    const RECT rcObject = pFake->ObjectRect();
    EXPECT_TRUE(::EqualRect(&kItem, &rcObject));
    // The extent in HIMETRIC from the screen's pixels per inch.
    HDC hScreen = ::GetDC(NULL);
    const LONG cx = ::MulDiv(2540, 80, ::GetDeviceCaps(hScreen, LOGPIXELSX));
    const LONG cy = ::MulDiv(2540, 50, ::GetDeviceCaps(hScreen, LOGPIXELSY));
    ::ReleaseDC(NULL, hScreen);
    EXPECT_EQ(cx, pFake->Extent().cx);
    EXPECT_EQ(cy, pFake->Extent().cy);

    painttest::Canvas canvas(160, 100, 0xFF000000);
    m_win->PaintTo(canvas);
    const RECT rcDraw = pFake->DrawRect();
    EXPECT_TRUE(::EqualRect(&kItem, &rcDraw));
    const uint32_t fill = 0xFF000000 | (GetRValue(kFill) << 16) | (GetGValue(kFill) << 8) | GetBValue(kFill);
    EXPECT_EQ(fill & 0xFFFFFF, basictest::Rgb(canvas.At(20, 10)));
    EXPECT_EQ(fill & 0xFFFFFF, basictest::Rgb(canvas.At(99, 59)));
    EXPECT_EQ(0u, basictest::Rgb(canvas.At(19, 10)));
    EXPECT_EQ(0u, basictest::Rgb(canvas.At(100, 59)));
    EXPECT_EQ(0u, basictest::Rgb(canvas.At(50, 60)));

    // A paint rectangle that misses the item asks nothing of the object.
    fakes::Calls().clear();
    RECT rcElsewhere = { 120, 70, 160, 100 };
    pControl->DoPaint(canvas.dc(), rcElsewhere);
    EXPECT_EQ(0, CountOf(fakes::Calls(), L"Draw"));
}

TEST_F(ActiveXWindowless, MouseReachesTheObjectOnlyWhereItIsHit)
{
    OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    m_win->Down(50, 30);
    m_win->Down(5, 5);
    m_win->Up(99, 59);
    const std::vector<UINT> expected = { WM_LBUTTONDOWN, WM_LBUTTONUP };
    EXPECT_EQ(expected, pFake->WindowMessages());
    EXPECT_EQ(1, CountOf(fakes::Calls(), L"QueryHitPoint 50,30"));
}

TEST_F(ActiveXWindowless, FilterAnswersByKindOfMessage)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);

    // Inside: handled with the object's result.
    bool bHandled = false;
    EXPECT_EQ(fakes::FakeControl::kMessageResult,
              pControl->MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(40, 20), bHandled));
    EXPECT_TRUE(bHandled);
    // Outside: not passed on.
    bHandled = false;
    EXPECT_EQ(0, pControl->MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(140, 90), bHandled));
    EXPECT_FALSE(bHandled);
    // The wheel carries screen coordinates.
    POINT pt = { 40, 20 };
    ::ClientToScreen(PaintWindow(), &pt);
    bHandled = false;
    pControl->MessageHandler(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(pt.x, pt.y), bHandled);
    EXPECT_TRUE(bHandled);
    // Keys only while the control has the focus.
    bHandled = false;
    EXPECT_EQ(0, pControl->MessageHandler(WM_KEYDOWN, 'A', 0, bHandled));
    EXPECT_FALSE(bHandled);
    m_win->pm().SetFocus(pControl);
    ASSERT_TRUE(pControl->IsFocused());
    EXPECT_EQ(fakes::FakeControl::kMessageResult, pControl->MessageHandler(WM_KEYDOWN, 'A', 0, bHandled));
    EXPECT_TRUE(bHandled);
    // Help and context menus go to the object and stay unhandled; other messages do not go.
    bHandled = false;
    pControl->MessageHandler(WM_CONTEXTMENU, 0, 0, bHandled);
    EXPECT_FALSE(bHandled);
    pControl->MessageHandler(WM_TIMER, 1, 0, bHandled);
    EXPECT_FALSE(bHandled);
    // No mouse for a control with the mouse switched off.
    pControl->SetMouseEnabled(false);
    EXPECT_EQ(0, pControl->MessageHandler(WM_LBUTTONDOWN, 0, MAKELPARAM(40, 20), bHandled));
    EXPECT_FALSE(bHandled);
    pControl->SetMouseEnabled(true);

    const std::vector<UINT> expected = { WM_MOUSEMOVE, WM_MOUSEWHEEL, WM_KEYDOWN, WM_CONTEXTMENU };
    EXPECT_EQ(expected, pFake->WindowMessages());
}

TEST_F(ActiveXWindowless, SetCursorIsPassedOnButLeftUnhandled)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    // While the object holds the capture no hit test is needed.
    IOleInPlaceSiteWindowless* pSite = nullptr;
    ASSERT_EQ(S_OK, pFake->ClientSite()->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                         reinterpret_cast<void**>(&pSite)));
    ASSERT_EQ(S_OK, pSite->SetCapture(TRUE));
    EXPECT_EQ(S_OK, pSite->GetCapture());
    bool bHandled = false;
    EXPECT_EQ(fakes::FakeControl::kMessageResult,
              pControl->MessageHandler(WM_SETCURSOR, reinterpret_cast<WPARAM>(PaintWindow()),
                                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), bHandled));
    EXPECT_FALSE(bHandled);
    EXPECT_EQ(fakes::FakeControl::kMessageResult,
              pControl->MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(150, 95), bHandled));
    EXPECT_TRUE(bHandled) << "captured: the mouse goes to the object anywhere";
    EXPECT_EQ(S_OK, pSite->SetCapture(FALSE));
    EXPECT_EQ(S_FALSE, pSite->GetCapture());
    pSite->Release();
    const std::vector<UINT> expected = { WM_SETCURSOR, WM_LBUTTONUP };
    EXPECT_EQ(expected, pFake->WindowMessages());
}

TEST_F(ActiveXWindowless, ViewWithoutHitTestIsNeverHit)
{
    for (int level : { 2, 1, 0 }) {
        SCOPED_TRACE(level);
        fakes::FakeControlOptions options;
        options.viewLevel = level;
        fakes::Calls().clear();
        m_win.reset(new RecordingHost);
        CActiveXUI* pControl = OpenWith(kWindowlessText, options);
        fakes::FakeControl* pFake = fakes::FakeControl::Last();
        ASSERT_NE(nullptr, pFake);
        bool bHandled = false;
        EXPECT_EQ(0, pControl->MessageHandler(WM_LBUTTONDOWN, 0, MAKELPARAM(40, 20), bHandled));
        EXPECT_FALSE(bHandled);
        EXPECT_EQ(0, CountOf(fakes::Calls(), L"QueryHitPoint"));
        EXPECT_TRUE(pFake->WindowMessages().empty());
        // The plain view interfaces still draw.
        fakes::Calls().clear();
        painttest::Canvas canvas(160, 100, 0xFF000000);
        m_win->PaintTo(canvas);
        EXPECT_EQ(level > 0 ? 1 : 0, CountOf(fakes::Calls(), L"Draw"));
        m_win.reset();
        EXPECT_EQ(0, fakes::LiveControls());
    }
}

TEST_F(ActiveXWindowless, FilterIsListedOnceAndGoesWithTheRelease)
{
    CountingActiveXUI* pControl = OpenWith<CountingActiveXUI>(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);

    // Deactivated and activated again: still asked once per message.
    for (int round = 0; round < 2; ++round) {
        IOleInPlaceObject* pInPlace = nullptr;
        ASSERT_EQ(S_OK, pControl->GetControl(IID_IOleInPlaceObject, reinterpret_cast<void**>(&pInPlace)));
        EXPECT_EQ(S_OK, pInPlace->InPlaceDeactivate());
        pInPlace->Release();
        EXPECT_FALSE(pFake->IsActive());
        EXPECT_EQ(nullptr, pControl->GetHostWindow());
        pControl->filterCalls = 0;
        m_win->Down(50, 30);
        EXPECT_EQ(0, pControl->filterCalls) << "an inactive object takes no input";

        IOleObject* pObject = nullptr;
        ASSERT_EQ(S_OK, pControl->GetControl(IID_IOleObject, reinterpret_cast<void**>(&pObject)));
        const RECT rc = pControl->GetPos();
        EXPECT_EQ(S_OK, pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, pFake->ClientSite(), 0, PaintWindow(), &rc));
        pObject->Release();
        EXPECT_TRUE(pFake->IsActive());
        pControl->filterCalls = 0;
        m_win->Down(50, 30);
        EXPECT_EQ(1, pControl->filterCalls);
    }

    // Released (the control itself lives on): the manager no longer asks it.
    pControl->ReleaseControl();
    EXPECT_EQ(0, fakes::LiveControls());
    pControl->filterCalls = 0;
    m_win->Down(50, 30);
    m_win->Key('A');
    EXPECT_EQ(0, pControl->filterCalls);
    // Releasing twice is harmless.
    pControl->ReleaseControl();
}

TEST_F(ActiveXWindowless, DeletedControlGetsNoFurtherMessage)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    ASSERT_EQ(1, fakes::LiveControls());
    CContainerUI* pRoot = static_cast<CContainerUI*>(m_win->pm().GetRoot());
    // The delayed cleanup of the manager deletes it on the next messages.
    ASSERT_TRUE(pRoot->Remove(pControl));
    m_win->Pump();
    EXPECT_EQ(0, fakes::LiveControls());
    // A dangling filter would be called here.
    m_win->Down(50, 30);
    m_win->Move(60, 40);
    m_win->Key('B');
    EXPECT_EQ(0, fakes::LiveControls());
}

// ---- Windowed objects -------------------------------------------------------------------

TEST_F(ActiveXWindowed, LivesInAChildOfThePaintWindow)
{
    CActiveXUI* pControl = OpenWith(kWindowedText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    EXPECT_EQ(1, CountOf(Protocol(), L"ActivateWindowed 0"));
    HWND hHost = pControl->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    ASSERT_NE(PaintWindow(), hHost);
    EXPECT_EQ(PaintWindow(), ::GetParent(hHost));
    wchar_t className[64] = {};
    ::GetClassNameW(hHost, className, 64);
    EXPECT_STREQ(L"ActiveXWnd", className);
    wchar_t text[64] = {};
    ::GetWindowTextW(hHost, text, 64);
    EXPECT_STREQ(L"UIActiveX", text);
    EXPECT_EQ(0x56000000u, static_cast<DWORD>(::GetWindowLongPtrW(hHost, GWL_STYLE)) & 0xFFFF0000u);
    EXPECT_EQ(hHost, ::GetParent(pFake->Window()));

    // The host window covers the item; the object's rectangles start at (0,0).
    RECT rcHost;
    ::GetWindowRect(hHost, &rcHost);
    ::MapWindowPoints(NULL, PaintWindow(), reinterpret_cast<POINT*>(&rcHost), 2);
    EXPECT_TRUE(::EqualRect(&kItem, &rcHost));
    RECT rcZero = { 0, 0, 80, 50 };
    RECT rcObject = pFake->ObjectRect();
    EXPECT_TRUE(::EqualRect(&rcZero, &rcObject));

    // A new place moves both.
    RECT rcNew = { 30, 20, 130, 90 };
    pControl->SetPos(rcNew);
    ::GetWindowRect(hHost, &rcHost);
    ::MapWindowPoints(NULL, PaintWindow(), reinterpret_cast<POINT*>(&rcHost), 2);
    EXPECT_TRUE(::EqualRect(&rcNew, &rcHost));
    RECT rcZeroNew = { 0, 0, 100, 70 };
    rcObject = pFake->ObjectRect();
    EXPECT_TRUE(::EqualRect(&rcZeroNew, &rcObject));
    RECT rcFake;
    ::GetClientRect(pFake->Window(), &rcFake);
    EXPECT_EQ(100, rcFake.right);

    // Hidden and shown with the control.
    EXPECT_TRUE(::IsWindowVisible(hHost));
    pControl->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(hHost));
    pControl->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(hHost));
    pControl->SetInternVisible(false);
    EXPECT_FALSE(::IsWindowVisible(hHost));
    pControl->SetInternVisible(true);

    // Nothing is painted by the control itself.
    painttest::Canvas canvas(160, 100, 0xFF000000);
    m_win->PaintTo(canvas);
    EXPECT_EQ(0, canvas.CountNot(rcNew, 0xFF000000));

    // The release destroys the host window.
    pControl->ReleaseControl();
    EXPECT_FALSE(::IsWindow(hHost));
    EXPECT_EQ(nullptr, pControl->GetHostWindow());
    EXPECT_EQ(0, fakes::LiveControls());
}

TEST_F(ActiveXWindowed, HostWindowKeepsTheWheelFromTheSkin)
{
    CActiveXUI* pControl = OpenWith(kWindowedText);
    HWND hHost = pControl->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    WheelCounter counter;
    m_win->pm().AddMessageFilter(&counter);
    POINT pt = { 50, 30 };
    ::ClientToScreen(PaintWindow(), &pt);
    EXPECT_EQ(0, ::SendMessageW(hHost, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(pt.x, pt.y)));
    EXPECT_EQ(0, counter.wheels);
    // A plain child passes it to its parent, which is what the host window must not do.
    HWND hPlain = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, PaintWindow(), NULL, NULL, NULL);
    ::DefWindowProcW(hPlain, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(pt.x, pt.y));
    EXPECT_EQ(1, counter.wheels);
    ::DestroyWindow(hPlain);
    m_win->pm().RemoveMessageFilter(&counter);
}

TEST_F(ActiveXWindowed, FocusUiActivatesTheObject)
{
    CActiveXUI* pControl = OpenWith(kWindowedText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    HWND hHost = pControl->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    // The focus message itself (native focus is shared by the tests running side by side).
    IOleInPlaceSiteWindowless* pSite = nullptr;
    ASSERT_EQ(S_OK, pFake->ClientSite()->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                         reinterpret_cast<void**>(&pSite)));
    EXPECT_EQ(S_FALSE, pSite->GetFocus());
    ::SendMessageW(hHost, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(pFake->IsUIActive());
    EXPECT_EQ(S_OK, pSite->GetFocus());
    EXPECT_EQ(1, CountOf(fakes::Calls(), L"DoVerb " + std::to_wstring(OLEIVERB_UIACTIVATE)));
    // Already UI active: the next focus asks nothing more.
    ::SendMessageW(hHost, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(S_FALSE, pSite->GetFocus());
    ::SendMessageW(hHost, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(1, CountOf(fakes::Calls(), L"DoVerb " + std::to_wstring(OLEIVERB_UIACTIVATE)));
    pSite->Release();
}

TEST_F(ActiveXWindowed, WindowlessRequestWithoutTheInterfaceFallsBackToAWindow)
{
    fakes::FakeControlOptions options;
    options.windowlessInterface = false;
    CActiveXUI* pControl = OpenWith(kWindowlessText, options);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    HWND hHost = pControl->GetHostWindow();
    ASSERT_NE(nullptr, hHost);
    EXPECT_NE(PaintWindow(), hHost);
    EXPECT_EQ(hHost, ::GetParent(pFake->Window()));
    // Not windowless: the view object is not drawn into the paint DC.
    painttest::Canvas canvas(160, 100, 0xFF000000);
    m_win->PaintTo(canvas);
    EXPECT_EQ(0, CountOf(fakes::Calls(), L"Draw"));
}

// ---- Site, frame and enumerator ---------------------------------------------------------

TEST_F(ActiveXSite, AnswersWhileOwned)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    IOleClientSite* pClient = pFake->ClientSite();
    ASSERT_NE(nullptr, pClient);
    IOleInPlaceSiteWindowless* pSite = nullptr;
    ASSERT_EQ(S_OK, pClient->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&pSite)));

    // Identity: every site interface is one object; the object's own site is the same.
    IUnknown* pId1 = nullptr;
    IUnknown* pId2 = nullptr;
    pClient->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pId1));
    pSite->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pId2));
    EXPECT_EQ(pId1, pId2);
    EXPECT_EQ(pId1, pFake->ObjectSite());
    pId1->Release();
    pId2->Release();
    for (REFIID iid : { IID_IOleWindow, IID_IOleInPlaceSite, IID_IOleInPlaceSiteEx, IID_IOleControlSite,
                        IID_IObjectWithSite, IID_IOleContainer }) {
        IUnknown* p = nullptr;
        EXPECT_EQ(S_OK, pSite->QueryInterface(iid, reinterpret_cast<void**>(&p)));
        if (p != nullptr) p->Release();
    }
    IUnknown* pNone = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, pSite->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pNone)));
    EXPECT_EQ(nullptr, pNone);

    // The window context the object was given at activation.
    EXPECT_EQ(S_OK, pFake->ContextResult());
    const OLEINPLACEFRAMEINFO& info = pFake->FrameInfo();
    EXPECT_EQ(sizeof(OLEINPLACEFRAMEINFO), info.cb);
#if !defined(_WIN64)
    EXPECT_EQ(20u, info.cb);
#endif
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(PaintWindow(), info.hwndFrame);
    EXPECT_NE(nullptr, info.haccel);
    EXPECT_EQ(1u, info.cAccelEntries);

    // One accelerator table per site, however often the context is asked.
    IOleInPlaceFrame* pFrame = nullptr;
    IOleInPlaceUIWindow* pDoc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT rcPos, rcClip;
    OLEINPLACEFRAMEINFO info2 = {};
    ASSERT_EQ(S_OK, pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &info2));
    EXPECT_EQ(info.haccel, info2.haccel);
    EXPECT_EQ(nullptr, pDoc);
    EXPECT_TRUE(::EqualRect(&kItem, &rcPos));
    EXPECT_TRUE(::EqualRect(&kItem, &rcClip));
    EXPECT_EQ(E_POINTER, pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, nullptr));

    // The frame's answers.
    HWND hFrame = nullptr;
    EXPECT_EQ(S_OK, pFrame->GetWindow(&hFrame));
    EXPECT_EQ(PaintWindow(), hFrame);
    EXPECT_EQ(static_cast<HRESULT>(0x800401A1), pFrame->RequestBorderSpace(nullptr));
    EXPECT_EQ(S_OK, pFrame->SetBorderSpace(nullptr));
    EXPECT_EQ(S_FALSE, pFrame->TranslateAccelerator(nullptr, 0));
    IOleInPlaceActiveObject* pActive = nullptr;
    pControl->GetControl(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&pActive));
    ASSERT_NE(nullptr, pActive);
    const LONG refsBefore = pFake->Refs();
    EXPECT_EQ(S_OK, pFrame->SetActiveObject(pActive, L"x"));
    EXPECT_EQ(refsBefore + 1, pFake->Refs());
    EXPECT_EQ(S_OK, pFrame->SetActiveObject(pActive, L"x"));
    EXPECT_EQ(refsBefore + 1, pFake->Refs()) << "the same object again holds one reference";
    EXPECT_EQ(S_OK, pFrame->SetActiveObject(nullptr, nullptr));
    EXPECT_EQ(refsBefore, pFake->Refs());
    pActive->Release();
    pFrame->Release();

    // Window, focus, DCs, invalidation.
    HWND hWnd = nullptr;
    EXPECT_EQ(S_OK, pSite->GetWindow(&hWnd));
    EXPECT_EQ(PaintWindow(), hWnd);
    EXPECT_EQ(S_FALSE, pSite->GetFocus());
    EXPECT_EQ(S_OK, pSite->SetFocus(TRUE));
    EXPECT_EQ(S_OK, pSite->GetFocus());
    EXPECT_TRUE(pControl->IsFocused());
    HDC hDC = nullptr;
    EXPECT_EQ(E_POINTER, pSite->GetDC(nullptr, 0, nullptr));
    ASSERT_EQ(S_OK, pSite->GetDC(nullptr, OLEDC_PAINTBKGND, &hDC));
    EXPECT_NE(nullptr, hDC);
    EXPECT_EQ(S_OK, pSite->ReleaseDC(hDC));
    EXPECT_EQ(S_OK, pSite->InvalidateRect(&kItem, FALSE));
    EXPECT_EQ(S_OK, pSite->InvalidateRgn(NULL, FALSE));
    LRESULT lRes = -1;
    EXPECT_EQ(S_OK, pSite->OnDefWindowMessage(WM_NULL, 0, 0, &lRes));
    EXPECT_EQ(0, lRes);
    EXPECT_EQ(S_OK, pClient->ShowObject());

    // Container and enumerator: the one object on the first call of each pass.
    IOleContainer* pContainer = nullptr;
    ASSERT_EQ(S_OK, pClient->GetContainer(&pContainer));
    IEnumUnknown* pEnum = nullptr;
    ASSERT_EQ(S_OK, pContainer->EnumObjects(OLECONTF_EMBEDDINGS, &pEnum));
    IUnknown* pItem = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(S_OK, pEnum->Next(1, &pItem, &fetched));
    EXPECT_EQ(1u, fetched);
    ASSERT_NE(nullptr, pItem);
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IOleObject*>(pFake)), pItem);
    pItem->Release();
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &pItem, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, pEnum->Reset());
    EXPECT_EQ(S_OK, pEnum->Next(1, &pItem, nullptr));
    pItem->Release();
    IEnumUnknown* pClone = nullptr;
    EXPECT_EQ(E_NOTIMPL, pEnum->Clone(&pClone));
    pEnum->Release();
    pContainer->Release();

    IDispatch* pDisp = nullptr;
    IOleControlSite* pControlSite = nullptr;
    pSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&pControlSite));
    EXPECT_EQ(E_NOINTERFACE, pControlSite->GetExtendedControl(&pDisp)) << "the fake has no IDispatch";
    EXPECT_EQ(E_POINTER, pControlSite->GetExtendedControl(nullptr));
    EXPECT_EQ(S_FALSE, pControlSite->TranslateAccelerator(nullptr, 0));
    pControlSite->Release();
    pSite->Release();
}

TEST_F(ActiveXSite, AnswersUnexpectedOnceReleased)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    IOleInPlaceSiteWindowless* pSite = nullptr;
    ASSERT_EQ(S_OK, pFake->ClientSite()->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                         reinterpret_cast<void**>(&pSite)));
    IOleInPlaceFrame* pFrame = nullptr;
    IOleInPlaceUIWindow* pDoc = nullptr;
    RECT rcPos, rcClip;
    OLEINPLACEFRAMEINFO info = {};
    ASSERT_EQ(S_OK, pSite->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &info));

    // The test keeps the site and a frame alive past the control's release.
    pControl->ReleaseControl();
    EXPECT_EQ(0, fakes::LiveControls());

    HWND hWnd = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_UNEXPECTED, pSite->GetWindow(&hWnd));
    EXPECT_EQ(nullptr, hWnd);
    EXPECT_EQ(E_UNEXPECTED, pFrame->GetWindow(&hWnd));
    EXPECT_EQ(E_UNEXPECTED, pSite->GetCapture());
    EXPECT_EQ(E_UNEXPECTED, pSite->SetCapture(TRUE));
    EXPECT_EQ(E_UNEXPECTED, pSite->GetFocus());
    EXPECT_EQ(E_UNEXPECTED, pSite->SetFocus(TRUE));
    HDC hDC = reinterpret_cast<HDC>(1);
    EXPECT_EQ(E_UNEXPECTED, pSite->GetDC(nullptr, 0, &hDC));
    EXPECT_EQ(nullptr, hDC);
    EXPECT_EQ(E_UNEXPECTED, pSite->ReleaseDC(nullptr));
    EXPECT_EQ(E_UNEXPECTED, pSite->InvalidateRect(nullptr, FALSE));
    EXPECT_EQ(E_UNEXPECTED, pSite->InvalidateRgn(nullptr, FALSE));
    LRESULT lRes = 0;
    EXPECT_EQ(E_UNEXPECTED, pSite->OnDefWindowMessage(WM_NULL, 0, 0, &lRes));
    BOOL noRedraw = FALSE;
    EXPECT_EQ(E_UNEXPECTED, pSite->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS));
    IOleInPlaceFrame* pFrame2 = reinterpret_cast<IOleInPlaceFrame*>(1);
    EXPECT_EQ(E_UNEXPECTED, pSite->GetWindowContext(&pFrame2, &pDoc, &rcPos, &rcClip, &info));
    EXPECT_EQ(nullptr, pFrame2);
    IOleClientSite* pClient = nullptr;
    pSite->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&pClient));
    EXPECT_EQ(E_UNEXPECTED, pClient->ShowObject());
    IOleContainer* pContainer = nullptr;
    pSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(&pContainer));
    IEnumUnknown* pEnum = nullptr;
    EXPECT_EQ(E_UNEXPECTED, pContainer->EnumObjects(OLECONTF_EMBEDDINGS, &pEnum));
    IOleControlSite* pControlSite = nullptr;
    pSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&pControlSite));
    IDispatch* pDisp = nullptr;
    EXPECT_EQ(E_UNEXPECTED, pControlSite->GetExtendedControl(&pDisp));
    // The parts that need no owner still answer.
    EXPECT_EQ(S_OK, pSite->CanInPlaceActivate());
    EXPECT_EQ(S_OK, pSite->OnInPlaceDeactivate());
    EXPECT_EQ(S_OK, pContainer->LockContainer(TRUE));
    EXPECT_EQ(S_OK, pControlSite->OnFocus(TRUE));
    EXPECT_EQ(E_NOTIMPL, pClient->SaveObject());
    IMoniker* pMoniker = reinterpret_cast<IMoniker*>(1);
    EXPECT_EQ(E_NOTIMPL, pClient->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, &pMoniker));
    EXPECT_EQ(nullptr, pMoniker);
    pControlSite->Release();
    pContainer->Release();
    pClient->Release();
    pFrame->Release();
    pSite->Release();
}

TEST_F(ActiveXSite, ShowObjectWithoutHostWindowDrawsNothing)
{
    // An object invisible at run time is never activated: it has no host window.
    fakes::FakeControlOptions options;
    options.miscStatus = OLEMISC_INVISIBLEATRUNTIME;
    CActiveXUI* pControl = OpenWith(kWindowlessText, options);
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    EXPECT_EQ(nullptr, pControl->GetHostWindow());
    fakes::Calls().clear();
    EXPECT_EQ(E_FAIL, pFake->ClientSite()->ShowObject());
    IOleInPlaceSiteWindowless* pSite = nullptr;
    pFake->ClientSite()->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&pSite));
    HDC hDC = reinterpret_cast<HDC>(1);
    EXPECT_EQ(E_FAIL, pSite->GetDC(nullptr, OLEDC_PAINTBKGND, &hDC));
    EXPECT_EQ(nullptr, hDC);
    EXPECT_EQ(E_FAIL, pSite->InvalidateRect(nullptr, FALSE));
    EXPECT_EQ(E_FAIL, pSite->InvalidateRgn(nullptr, FALSE));
    pSite->Release();
    EXPECT_EQ(0, CountOf(fakes::Calls(), L"Draw"));
}

TEST_F(ActiveXSite, SiteSetByTheObjectServesItsContainer)
{
    CActiveXUI* pControl = OpenWith(kWindowlessText);
    (void)pControl;
    fakes::FakeControl* pFake = fakes::FakeControl::Last();
    ASSERT_NE(nullptr, pFake);
    IObjectWithSite* pWithSite = nullptr;
    ASSERT_EQ(S_OK, pFake->ClientSite()->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&pWithSite)));
    IUnknown* pOut = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_FAIL, pWithSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&pOut)));
    EXPECT_EQ(nullptr, pOut);
    EXPECT_EQ(E_POINTER, pWithSite->GetSite(IID_IUnknown, nullptr));

    // A site that is itself a container (a second site here) serves GetContainer.
    IOleContainer* pOther = nullptr;
    IOleContainer* pOwn = nullptr;
    pFake->ClientSite()->GetContainer(&pOwn);
    ASSERT_NE(nullptr, pOwn);
    CActiveXEnum* pEnum = new CActiveXEnum(nullptr);
    EXPECT_EQ(S_OK, pWithSite->SetSite(pEnum));
    EXPECT_EQ(S_OK, pFake->ClientSite()->GetContainer(&pOther));
    EXPECT_EQ(pOwn, pOther) << "a site that is no container leaves the site's own";
    pOther->Release();
    IEnumUnknown* pGot = nullptr;
    EXPECT_EQ(S_OK, pWithSite->GetSite(IID_IEnumUnknown, reinterpret_cast<void**>(&pGot)));
    EXPECT_EQ(static_cast<IEnumUnknown*>(pEnum), pGot);
    pGot->Release();
    EXPECT_EQ(S_OK, pWithSite->SetSite(nullptr));
    pEnum->Release();
    pOwn->Release();
    pWithSite->Release();
}

TEST(ActiveXEnum, OverNoObjectIsEmpty)
{
    CActiveXEnum* pEnum = new CActiveXEnum(nullptr);
    IUnknown* pItem = reinterpret_cast<IUnknown*>(1);
    ULONG fetched = 5;
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &pItem, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, pEnum->Reset());
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &pItem, nullptr));
    EXPECT_EQ(S_OK, pEnum->Skip(3));
    IUnknown* pSame = nullptr;
    EXPECT_EQ(S_OK, pEnum->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pSame)));
    EXPECT_EQ(1u, pSame->Release());
    EXPECT_EQ(0u, pEnum->Release());
}

// ---- Modules ----------------------------------------------------------------------------

const wchar_t kModuleOnlyText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7003}";
const wchar_t kModuleNoObjectText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7004}";
const wchar_t kModuleFile[] = L"FakeControlModule.dll";

TEST_F(ActiveXModule, ModuleServesTheObjectAndGoesAfterIt)
{
    ASSERT_EQ(nullptr, ::GetModuleHandleW(kModuleFile));
    const std::wstring module = ProgramFolder() + kModuleFile;
    CActiveXUI* pControl = OpenWith(kModuleOnlyText, fakes::FakeControlOptions(),
                                    (L"modulename=\"" + module + L"\"").c_str());
    EXPECT_EQ(module, std::wstring(pControl->GetModuleName().GetData()));
    HMODULE hModule = ::GetModuleHandleW(kModuleFile);
    ASSERT_NE(nullptr, hModule);
    typedef int (*LiveFn)();
    LiveFn pfnLive = reinterpret_cast<LiveFn>(reinterpret_cast<void*>(::GetProcAddress(hModule, "FakeModuleLiveControls")));
    ASSERT_NE(nullptr, pfnLive);
    EXPECT_EQ(1, pfnLive());
    EXPECT_EQ(0, fakes::LiveControls()) << "the process's own registration is not asked";
    EXPECT_EQ(PaintWindow(), pControl->GetHostWindow());

    pControl->ReleaseControl();
    EXPECT_EQ(nullptr, ::GetModuleHandleW(kModuleFile)) << "the module is freed once its object is gone";
}

struct ModuleCase {
    const char* name;
    const wchar_t* clsid;
    const wchar_t* module; // null: the fake module next to the program
    bool created;
    int processFakes; // fakes made through the process's own registration
};

TEST_F(ActiveXModule, ModuleThatGivesNoObjectIsFreed)
{
    const std::vector<ModuleCase> cases = {
        { "factory makes nothing, class unknown elsewhere", kModuleNoObjectText, nullptr, false, 0 },
        { "module does not serve the class", kWindowlessText, nullptr, true, 1 },
        { "module missing", kWindowlessText, L"NoSuchFakeModule.dll", true, 1 },
        { "module without the entry", kWindowlessText, L"comctl32.dll", true, 1 },
    };
    for (const ModuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_win.reset(new RecordingHost);
        const std::wstring module = c.module != nullptr ? std::wstring(c.module) : ProgramFolder() + kModuleFile;
        CActiveXUI* pControl =
            OpenWith(c.clsid, fakes::FakeControlOptions(), (L"modulename=\"" + module + L"\"").c_str());
        IUnknown* pUnk = nullptr;
        EXPECT_EQ(c.created ? S_OK : E_PENDING, pControl->GetControl(IID_IUnknown, reinterpret_cast<void**>(&pUnk)));
        if (pUnk != nullptr) pUnk->Release();
        EXPECT_EQ(c.processFakes, fakes::LiveControls());
        EXPECT_EQ(nullptr, ::GetModuleHandleW(kModuleFile));
        m_win.reset();
        EXPECT_EQ(0, fakes::LiveControls());
    }
}

} // namespace
