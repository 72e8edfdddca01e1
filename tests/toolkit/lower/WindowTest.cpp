#include <gtest/gtest.h>

#include <string>

#include "core/PaintManager.h"
#include "core/WindowWnd.h"

using namespace SkinUI;

namespace {

class ToolkitInstance : public testing::Environment {
public:
    void SetUp() override { CPaintManagerUI::SetInstance(GetModuleHandleW(NULL)); }
    void TearDown() override { CPaintManagerUI::Term(); }
};
testing::Environment* const g_instance = testing::AddGlobalTestEnvironment(new ToolkitInstance);

const UINT WM_PROBE = WM_APP + 10;
const UINT WM_QUIT_PROBE = WM_APP + 11;
const UINT WM_SENDCLOSE_PROBE = WM_APP + 12;

// A plain window that records what the layer tells it.
class ProbeWnd final : public CWindowWnd {
public:
    LPCTSTR GetWindowClassName() const override { return L"LowerProbeWnd"; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE && failCreate) return -1;
        if (uMsg == WM_PROBE) {
            ownerEnabledInLoop = ::IsWindowEnabled(reinterpret_cast<HWND>(wParam)) != FALSE;
            return 0;
        }
        if (uMsg == WM_SENDCLOSE_PROBE) {
            ::SendMessageW(m_hWnd, WM_CLOSE, 3, 0);
            return 0;
        }
        if (uMsg == WM_QUIT_PROBE) {
            ::PostQuitMessage(7);
            return 0;
        }
        if (uMsg == WM_SETTEXT) ++setTextSeen;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    void OnFinalMessage(HWND hWnd) override
    {
        ++finalCalls;
        handleNullAtFinal = m_hWnd == NULL;
        finalHandle = hWnd;
        userDataAtFinal = ::GetWindowLongPtrW(hWnd, GWLP_USERDATA);
        if (deleteAtFinal) delete this;
    }

    WNDPROC OldProc() const { return m_OldWndProc; }

    bool failCreate = false;
    bool deleteAtFinal = false;
    bool ownerEnabledInLoop = true;
    int setTextSeen = 0;
    int finalCalls = 0;
    bool handleNullAtFinal = false;
    HWND finalHandle = NULL;
    LONG_PTR userDataAtFinal = -1;
};

// A superclass of the system's edit control.
class EditWnd final : public CWindowWnd {
public:
    LPCTSTR GetWindowClassName() const override { return L"LowerEditWnd"; }
    LPCTSTR GetSuperClassName() const override { return L"Edit"; }

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_GETTEXT) ++getTextSeen;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

    void OnFinalMessage(HWND hWnd) override
    {
        ++finalCalls;
        propertyAtFinal = ::GetPropW(hWnd, L"WndX");
    }

    int getTextSeen = 0;
    int finalCalls = 0;
    HANDLE propertyAtFinal = reinterpret_cast<HANDLE>(1);
};

RECT WindowRect(HWND h)
{
    RECT rc = {};
    GetWindowRect(h, &rc);
    return rc;
}

RECT WorkArea()
{
    RECT rc = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

} // namespace

TEST(WindowWnd, TwoWindowsOfOneClass)
{
    ProbeWnd a, b;
    HWND ha = a.Create(NULL, L"a", WS_POPUP, 0, 0, 0, 50, 50);
    HWND hb = b.Create(NULL, L"b", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(ha, nullptr);
    ASSERT_NE(hb, nullptr);
    EXPECT_NE(ha, hb);
    EXPECT_EQ(a.GetHWND(), ha);
    EXPECT_EQ(static_cast<HWND>(b), hb);
    EXPECT_EQ(GetWindowLongPtrW(ha, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&a));

    // A third registration of the same class still counts as success.
    EXPECT_TRUE(a.RegisterWindowClass());

    DestroyWindow(ha);
    DestroyWindow(hb);
    for (ProbeWnd* w : { &a, &b }) {
        EXPECT_EQ(w->finalCalls, 1);
        EXPECT_TRUE(w->handleNullAtFinal);
        EXPECT_EQ(w->GetHWND(), nullptr);
        EXPECT_EQ(w->userDataAtFinal, 0);
    }
    EXPECT_EQ(a.finalHandle, ha);
}

TEST(WindowWnd, SuperclassOfEditUsesTheEditProcedure)
{
    EditWnd e;
    HWND h = e.Create(NULL, L"start", WS_POPUP, 0, 0, 0, 100, 30);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(e.SendMessageW(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed")), TRUE);
    wchar_t buf[32] = {};
    EXPECT_EQ(e.SendMessageW(WM_GETTEXT, 32, reinterpret_cast<LPARAM>(buf)), 5);
    EXPECT_STREQ(buf, L"typed");
    EXPECT_EQ(e.getTextSeen, 1);
    // The object sits in the window property, not in the edit control's user data.
    EXPECT_EQ(GetPropW(h, L"WndX"), static_cast<HANDLE>(&e));

    DestroyWindow(h);
    EXPECT_EQ(e.finalCalls, 1);
    EXPECT_EQ(e.propertyAtFinal, nullptr);
}

TEST(WindowWnd, SubclassAndUnsubclass)
{
    HWND h = CreateWindowExW(0, L"Edit", L"", WS_POPUP, 0, 0, 50, 20, NULL, NULL, GetModuleHandleW(NULL), NULL);
    ASSERT_NE(h, nullptr);
    LONG_PTR original = GetWindowLongPtrW(h, GWLP_WNDPROC);

    ProbeWnd w;
    EXPECT_EQ(w.Subclass(h), h);
    EXPECT_EQ(w.OldProc(), reinterpret_cast<WNDPROC>(original));
    SetWindowTextW(h, L"one");
    EXPECT_EQ(w.setTextSeen, 1);
    wchar_t buf[8] = {};
    GetWindowTextW(h, buf, 8);
    EXPECT_STREQ(buf, L"one");

    w.Unsubclass();
    EXPECT_EQ(GetWindowLongPtrW(h, GWLP_WNDPROC), original);
    SetWindowTextW(h, L"two");
    EXPECT_EQ(w.setTextSeen, 1);

    // Destroyed while subclassed: the final message comes once and the procedure is restored.
    ProbeWnd again;
    EXPECT_EQ(again.Subclass(h), h);
    DestroyWindow(h);
    EXPECT_EQ(again.finalCalls, 1);
    EXPECT_EQ(again.OldProc(), reinterpret_cast<WNDPROC>(DefWindowProcW));
    EXPECT_EQ(again.GetHWND(), nullptr);
}

TEST(WindowWnd, FailedCreationMayDeleteTheObject)
{
    ProbeWnd* w = new ProbeWnd;
    w->failCreate = true;
    w->deleteAtFinal = true;
    EXPECT_EQ(w->Create(NULL, L"fails", WS_POPUP, 0, 0, 0, 10, 10), nullptr);
}

TEST(WindowWnd, ShowModalReturnsTheCloseCode)
{
    ProbeWnd owner;
    ASSERT_NE(owner.Create(NULL, L"owner", WS_POPUP, 0, 0, 0, 100, 100), nullptr);
    // The object deletes itself in its final message, inside the loop.
    ProbeWnd* modal = new ProbeWnd;
    modal->deleteAtFinal = true;
    HWND h = modal->Create(owner, L"modal", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(h, nullptr);
    modal->Close(5);
    EXPECT_EQ(modal->ShowModal(), 5u);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST(WindowWnd, OwnerIsDisabledDuringTheLoop)
{
    ProbeWnd owner;
    ASSERT_NE(owner.Create(NULL, L"owner", WS_POPUP, 0, 0, 0, 100, 100), nullptr);
    ProbeWnd modal;
    HWND h = modal.Create(owner, L"modal", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(h, nullptr);
    PostMessageW(h, WM_PROBE, reinterpret_cast<WPARAM>(owner.GetHWND()), 0);
    modal.Close(9);
    EXPECT_EQ(modal.ShowModal(), 9u);
    EXPECT_FALSE(modal.ownerEnabledInLoop);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(modal.finalCalls, 1);
    DestroyWindow(owner);
}

TEST(WindowWnd, QuitDuringTheLoopIsPostedAgain)
{
    ProbeWnd modal;
    HWND h = modal.Create(NULL, L"modal", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(h, nullptr);
    PostMessageW(h, WM_QUIT_PROBE, 0, 0);
    EXPECT_EQ(modal.ShowModal(), 0u);
    EXPECT_TRUE(IsWindow(h));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    DestroyWindow(h);
}

TEST(WindowWnd, WindowClosedOtherwiseGivesZero)
{
    ProbeWnd modal;
    HWND h = modal.Create(NULL, L"modal", WS_POPUP, 0, 0, 0, 50, 50);
    ASSERT_NE(h, nullptr);
    // A sent WM_CLOSE carries no result.
    PostMessageW(h, WM_SENDCLOSE_PROBE, 0, 0);
    EXPECT_EQ(modal.ShowModal(), 0u);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(modal.finalCalls, 1);
}

TEST(WindowWnd, CenterWindowStaysInTheWorkArea)
{
    RECT area = WorkArea();
    int areaWidth = area.right - area.left, areaHeight = area.bottom - area.top;
    struct Case {
        int cx, cy;
        int x, y;
    } cases[] = {
        { 300, 200, area.left + areaWidth / 2 - 150, area.top + areaHeight / 2 - 100 },
        { areaWidth + 176, 200, area.left, area.top + areaHeight / 2 - 100 },
        { 300, areaHeight + 50, area.left + areaWidth / 2 - 150, area.top },
    };
    for (const Case& c : cases) {
        ProbeWnd w;
        ASSERT_NE(w.Create(NULL, L"c", WS_POPUP, 0, 5, 5, c.cx, c.cy), nullptr);
        w.CenterWindow();
        RECT rc = WindowRect(w);
        EXPECT_EQ(rc.left, c.x) << c.cx << "x" << c.cy;
        EXPECT_EQ(rc.top, c.y) << c.cx << "x" << c.cy;
        EXPECT_EQ(rc.right - rc.left, c.cx);
        DestroyWindow(w);
    }

    // With an owner, the window is centred on the owner.
    ProbeWnd owner, child;
    ASSERT_NE(owner.Create(NULL, L"o", WS_POPUP, 0, 100, 100, 400, 300), nullptr);
    ASSERT_NE(child.Create(owner, L"c", WS_POPUP, 0, 0, 0, 200, 100), nullptr);
    child.CenterWindow();
    RECT rc = WindowRect(child);
    EXPECT_EQ(rc.left, 200);
    EXPECT_EQ(rc.top, 200);
    DestroyWindow(child);
    DestroyWindow(owner);
}

TEST(WindowWnd, ResizeClientKeepsTheOtherDimension)
{
    ProbeWnd w;
    ASSERT_NE(w.Create(NULL, L"framed", WS_OVERLAPPEDWINDOW, 0, 10, 10, 400, 250), nullptr);
    RECT before = {};
    GetClientRect(w, &before);
    w.ResizeClient(-1, 300);
    RECT after = {};
    GetClientRect(w, &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, 300);
    w.ResizeClient(320, -1);
    GetClientRect(w, &after);
    EXPECT_EQ(after.right, 320);
    EXPECT_EQ(after.bottom, 300);
    DestroyWindow(w);
}

TEST(WindowWnd, ShowAndHide)
{
    ProbeWnd w;
    ASSERT_NE(w.Create(NULL, L"s", WS_POPUP, 0, 0, 0, 40, 40), nullptr);
    w.ShowWindow(true, false);
    EXPECT_TRUE(IsWindowVisible(w));
    w.ShowWindow(false);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(w.PostMessageW(WM_NULL), TRUE);
    DestroyWindow(w);
    // Nothing happens on a window that is gone.
    w.ShowWindow(true);
    w.Close(1);
    w.CenterWindow();
}
