#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "EventLog.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// Three side-by-side 50-px controls a, b, c in a row at the top of a 200x100 window.
struct Row {
    ManagedWindow w;
    EventLog log;
    CContainerUI* root;
    LogUI* a;
    LogUI* b;
    LogUI* c;
    explicit Row(bool bShow = false, UINT uFlags = 0) : w(200, 100, bShow)
    {
        root = new CContainerUI;
        root->SetDelayedDestroy(false);
        a = new LogUI("a", &log, uFlags);
        b = new LogUI("b", &log, uFlags);
        c = new LogUI("c", &log, uFlags);
        root->Add(a);
        root->Add(b);
        root->Add(c);
        w.Attach(root);
        a->SetPos(Rc(0, 0, 50, 50));
        b->SetPos(Rc(50, 0, 100, 50));
        c->SetPos(Rc(100, 0, 150, 50));
    }
    // Lays the tree out through a real paint, so that focus moves happen at once.
    void Paint()
    {
        ::InvalidateRect(w.hwnd(), NULL, FALSE);
        ::UpdateWindow(w.hwnd());
        a->SetPos(Rc(0, 0, 50, 50));
        b->SetPos(Rc(50, 0, 100, 50));
        c->SetPos(Rc(100, 0, 150, 50));
    }
};

bool Key(HWND hwnd, UINT uMsg, WPARAM wParam)
{
    MSG msg = { hwnd, uMsg, wParam, 0, 0, { 0, 0 } };
    return CPaintManagerUI::TranslateMessage(&msg);
}

void SetShift(bool bDown)
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = bDown ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

TEST(InputMouse, HoverEnterMoveLeaveInOrder)
{
    Row r;
    r.w.Mouse(WM_MOUSEMOVE, 10, 10);
    r.w.Mouse(WM_MOUSEMOVE, 20, 10);
    r.w.Mouse(WM_MOUSEMOVE, 60, 10);
    r.w.Mouse(WM_MOUSEMOVE, 180, 90);
    EXPECT_EQ("a:enter a:move a:move a:leave b:enter b:move b:leave", r.log.Joined());
    EXPECT_EQ(180, r.b->m_last.mousePos.x) << "the leave carries the stored point";
}

TEST(InputMouse, CaptureHoldsTheButtonAndIsReleased)
{
    Row r;
    r.w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
    EXPECT_EQ(r.w.hwnd(), ::GetCapture());
    EXPECT_TRUE(r.w.pm().IsCaptured());
    EXPECT_EQ(static_cast<WORD>(MK_LBUTTON), r.a->m_last.keyState);
    r.w.Mouse(WM_MOUSEMOVE, 120, 10, MK_LBUTTON);
    r.w.Mouse(WM_LBUTTONUP, 120, 10);
    EXPECT_EQ("a:setfocus a:down c:enter a:move a:up", r.log.Joined())
        << "moves and the release go to the pressed control";
    EXPECT_EQ(NULL, ::GetCapture());
    EXPECT_FALSE(r.w.pm().IsCaptured());
}

TEST(InputMouse, CaptureEndsWhenItsControlIsRemovedOrTheCaptureIsTaken)
{
    {
        SCOPED_TRACE("control removed during the press");
        Row r;
        r.w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        ASSERT_EQ(r.w.hwnd(), ::GetCapture());
        r.root->Remove(r.a);
        EXPECT_FALSE(r.w.pm().IsCaptured());
        EXPECT_TRUE(PumpUntil([] { return ::GetCapture() == NULL; })) << "released at the window's next turn";
        r.w.Mouse(WM_LBUTTONUP, 10, 10);
        LRESULT lRes = 0;
        EXPECT_FALSE(r.w.pm().MessageHandler(WM_SETCURSOR, reinterpret_cast<WPARAM>(r.w.hwnd()),
                                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), lRes))
            << "no stale capture answers for the cursor";
    }
    {
        SCOPED_TRACE("control removed during the press, another pressed before the window's turn");
        Row r;
        r.w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        r.root->Remove(r.a);
        r.w.Mouse(WM_LBUTTONDOWN, 60, 10, MK_LBUTTON);
        painttest::PumpMessages();
        EXPECT_TRUE(r.w.pm().IsCaptured()) << "the late release must not end the new press";
        EXPECT_EQ(r.w.hwnd(), ::GetCapture());
        r.w.Mouse(WM_LBUTTONUP, 60, 10);
        EXPECT_EQ(NULL, ::GetCapture());
    }
    {
        SCOPED_TRACE("capture taken by another window");
        Row r;
        r.w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        ::ReleaseCapture();
        EXPECT_FALSE(r.w.pm().IsCaptured());
        EXPECT_EQ("a:setfocus a:down a:up", r.log.Joined()) << "the drag ends as a button-up";
        r.log.Clear();
        r.w.Mouse(WM_LBUTTONUP, 10, 10);
        EXPECT_EQ("", r.log.Joined()) << "and only once";
    }
    {
        SCOPED_TRACE("right button: the context menu releases it");
        Row r;
        r.w.Mouse(WM_RBUTTONDOWN, 60, 10, MK_RBUTTON);
        EXPECT_EQ(r.w.hwnd(), ::GetCapture());
        ::SendMessageW(r.w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(r.w.hwnd()), MAKELPARAM(70, 20));
        EXPECT_EQ(NULL, ::GetCapture());
        EXPECT_EQ("b:setfocus b:rdown b:menu", r.log.Joined());
        EXPECT_EQ(reinterpret_cast<LPARAM>(r.b), r.b->m_last.lParam);
    }
}

TEST(InputMouse, WheelDirectionThenAMove)
{
    Row r;
    ::SendMessageW(r.w.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(10, 10));
    ::SendMessageW(r.w.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(60, 10));
    EXPECT_EQ("a:wheel1 a:enter a:move b:wheel0 a:leave b:enter b:move", r.log.Joined())
        << "towards the user is 1, and a move follows each turn";
}

TEST(InputMouse, SingleRows)
{
    Row r;
    LRESULT lRes = 0;
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_ERASEBKGND, 0, 0, lRes));
    EXPECT_EQ(1, lRes);
    // Cursor over a control without UIFLAG_SETCURSOR: the class cursor applies. The pointer
    // goes back afterwards: a pointer left over other tests' windows sends them moves.
    POINT ptWas = {};
    ::GetCursorPos(&ptWas);
    ::SetCursorPos(10, 10);
    EXPECT_FALSE(r.w.pm().MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), lRes));
    r.a->m_uFlags = UIFLAG_SETCURSOR;
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), lRes));
    EXPECT_EQ("a:cursor", r.log.Joined());
    EXPECT_FALSE(r.w.pm().MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), lRes));
    r.w.pm().SetCapture();
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), lRes));
    r.w.pm().ReleaseCapture();
    // Min and max track sizes only where set.
    r.w.pm().SetMinInfo(120, 0);
    MINMAXINFO mmi = {};
    mmi.ptMinTrackSize.y = 33;
    r.w.pm().MessageHandler(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), lRes);
    EXPECT_EQ(120, mmi.ptMinTrackSize.x);
    EXPECT_EQ(33, mmi.ptMinTrackSize.y);
    ::SetCursorPos(ptWas.x, ptWas.y);
}

// A child window that answers reflected messages with their code.
LRESULT CALLBACK ReflectProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg >= 0x2000 && uMsg < 0x3000) return uMsg;
    return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

TEST(InputMessages, ReflectionToChildWindows)
{
    Row r;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ReflectProc;
    wc.hInstance = ::GetModuleHandleW(NULL);
    wc.lpszClassName = L"TreeReflectChild";
    ::RegisterClassW(&wc);
    HWND child = ::CreateWindowExW(0, L"TreeReflectChild", L"", WS_CHILD, 0, 0, 10, 10, r.w.hwnd(), NULL,
                                   ::GetModuleHandleW(NULL), NULL);
    ASSERT_NE(nullptr, child);
    LRESULT lRes = 0;
    const UINT rows[] = { WM_COMMAND, WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC };
    for (UINT uMsg : rows) {
        SCOPED_TRACE(uMsg);
        lRes = 0;
        EXPECT_TRUE(r.w.pm().MessageHandler(uMsg, 0, reinterpret_cast<LPARAM>(child), lRes));
        EXPECT_EQ(static_cast<LRESULT>(uMsg + 0x2000), lRes);
        EXPECT_FALSE(r.w.pm().MessageHandler(uMsg, 0, 0, lRes)) << "no target window, nothing sent";
    }
    NMHDR hdr = { child, 5, 0 };
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&hdr), lRes));
    EXPECT_EQ(static_cast<LRESULT>(WM_NOTIFY + 0x2000), lRes);
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_NOTIFY, 5, 0, lRes));
    ::DestroyWindow(child);
}

TEST(InputMessages, ToolTipCreatedOnceAndUpdated)
{
    Row r;
    LRESULT lRes = 0;
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(10, 10), lRes)) << "no tip, still handled";
    EXPECT_EQ(nullptr, r.w.pm().GetTooltipWindow());
    r.w.Mouse(WM_MOUSEMOVE, 10, 10);
    r.log.Clear();
    r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(10, 10), lRes);
    EXPECT_EQ("a:hover", r.log.Joined());

    r.a->SetToolTip(L"first tip");
    r.b->SetToolTip(L"second");
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(10, 10), lRes));
    HWND tip = r.w.pm().GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    r.w.Mouse(WM_MOUSEMOVE, 60, 10);
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(60, 10), lRes));
    EXPECT_EQ(tip, r.w.pm().GetTooltipWindow());
    EXPECT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[64] = {};
    TOOLINFOW ti = {};
    ti.cbSize = sizeof(ti);
    ti.hwnd = r.w.hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(r.w.hwnd());
    ti.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(L"second", text);
    EXPECT_FALSE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(500, 400), lRes)) << "nothing under the point";
}

TEST(InputMouse, ControlsOfAnotherManagerAreNotHovered)
{
    // A nested manager's control lies in this tree: it is that manager's to hover and to
    // show a tip for, on the hover route as on the move route.
    Row r;
    ManagedWindow other(50, 50);
    r.c->SetManager(&other.pm(), r.root, false);
    r.c->SetToolTip(L"foreign");
    r.w.Mouse(WM_MOUSEMOVE, 10, 10);
    r.w.Mouse(WM_MOUSEMOVE, 110, 10);
    r.log.Clear();
    LRESULT lRes = 0;
    EXPECT_FALSE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(110, 10), lRes));
    EXPECT_EQ("", r.log.Joined()) << "no hover event for the control left behind";
    EXPECT_EQ(nullptr, r.w.pm().GetTooltipWindow());
    // Its own control under the point again: hover and tip as usual.
    r.c->SetManager(&r.w.pm(), r.root, false);
    r.w.Mouse(WM_MOUSEMOVE, 111, 10);
    r.log.Clear();
    EXPECT_TRUE(r.w.pm().MessageHandler(WM_MOUSEHOVER, 0, MAKELPARAM(111, 10), lRes));
    EXPECT_EQ("c:hover", r.log.Joined());
    EXPECT_NE(nullptr, r.w.pm().GetTooltipWindow());
}

// ---- keyboard ----

TEST(InputKeyboard, KeysGoToTheFocusAndTheKeyControl)
{
    Row r;
    r.a->SetFocus();
    r.log.Clear();
    ::SendMessageW(r.w.hwnd(), WM_KEYDOWN, 'K', 0);
    r.b->SetFocus();
    r.log.Clear();
    ::SendMessageW(r.w.hwnd(), WM_CHAR, 'k', 0);
    ::SendMessageW(r.w.hwnd(), WM_KEYUP, 'K', 0);
    EXPECT_EQ("b:char a:keyup", r.log.Joined()) << "the key-up goes where the key went down";
    EXPECT_EQ(static_cast<TCHAR>('K'), r.a->m_last.key);
}

TEST(InputKeyboard, FocusChangeOrder)
{
    Row r;
    NotifyLog notes(&r.log);
    r.w.pm().AddNotifier(&notes);
    r.a->SetFocus();
    r.log.Clear();
    r.b->SetFocus();
    EXPECT_EQ("a:killfocus killfocus:a b:setfocus setfocus:b", r.log.Joined());
    EXPECT_EQ(r.b, r.a->m_last.sender) << "the kill-focus event names the new focus";
    r.c->SetVisible(false);
    r.log.Clear();
    r.c->SetFocus();
    EXPECT_EQ(nullptr, r.w.pm().GetFocus()) << "an invisible control takes no focus";
    EXPECT_EQ("b:killfocus killfocus:b", r.log.Joined());
    r.w.pm().RemoveNotifier(&notes);
}

TEST(InputKeyboard, TabOrderWrapsBothWays)
{
    Row r(true, UIFLAG_TABSTOP);
    r.b->m_uFlags = 0;
    r.Paint();
    EXPECT_EQ(r.a, r.w.pm().GetFocus()) << "the first paint focuses the first tab stop";
    r.w.pm().SetFocus(NULL);
    SetShift(false);
    EXPECT_TRUE(Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(r.a, r.w.pm().GetFocus()) << "no focus: the first tab stop";
    Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(r.c, r.w.pm().GetFocus()) << "b is no tab stop";
    Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(r.a, r.w.pm().GetFocus()) << "wraps to the first";
    SetShift(true);
    Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(r.c, r.w.pm().GetFocus()) << "Shift+Tab wraps from the first to the last";
    Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(r.a, r.w.pm().GetFocus());
    SetShift(false);
    EXPECT_FALSE(Key(r.w.hwnd(), WM_KEYDOWN, 'A')) << "other keys pass";
}

TEST(InputKeyboard, TabWaitsForAPendingLayout)
{
    Row r(true, UIFLAG_TABSTOP);
    r.Paint();
    r.w.pm().SetFocus(NULL);
    r.root->NeedUpdate();
    SetShift(false);
    Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(nullptr, r.w.pm().GetFocus()) << "the move waits for the layout";
    ::UpdateWindow(r.w.hwnd());
    EXPECT_EQ(r.a, r.w.pm().GetFocus());
}

bool WantsTab(CControlUI*)
{
    return true;
}

TEST(InputKeyboard, RichEditThatWantsTabKeepsIt)
{
    Row r(true, UIFLAG_TABSTOP);
    r.Paint();
    r.a->m_pstrClass = L"RichEditUI";
    r.a->SetFocus();
    CPaintManagerUI::SetWantTabQuery(WantsTab);
    EXPECT_FALSE(Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(r.a, r.w.pm().GetFocus());
    CPaintManagerUI::SetWantTabQuery(NULL);
    EXPECT_TRUE(Key(r.w.hwnd(), WM_KEYDOWN, VK_TAB));
    EXPECT_EQ(r.b, r.w.pm().GetFocus());
}

TEST(InputKeyboard, ShortcutTable)
{
    // Children in skin order a, b, c; the search runs from the last to the first.
    const struct {
        const char* name;
        wchar_t a, b, c;
        bool labelC, disableA, hideC;
        wchar_t typed;
        const char* expected; // focused control after the key, "-" for none
    } cases[] = {
        { "letter, case-insensitive", L'Q', 0, 0, false, false, false, L'q', "a" },
        { "label passes on to the next in search order", 0, 0, L'X', true, false, false, L'x', "b" },
        { "disabled skipped", L'Q', L'Q', 0, false, true, false, L'q', "b" },
        { "invisible skipped", 0, L'Q', L'Q', false, false, true, L'q', "b" },
        { "non-ASCII character", 0, L'\u00E9', 0, false, false, false, L'\u00E9', "b" },
        { "wide character without match", L'Q', 0, 0, false, false, false, L'\u4E2D', "-" },
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        Row r(true);
        r.a->SetShortcut(t.a);
        r.b->SetShortcut(t.b);
        r.c->SetShortcut(t.c);
        if (t.labelC) r.c->m_pstrClass = L"LabelUI";
        if (t.disableA) r.a->SetEnabled(false);
        if (t.hideC) r.c->SetVisible(false);
        const bool bHandled = Key(r.w.hwnd(), WM_SYSCHAR, t.typed);
        CControlUI* pFocus = r.w.pm().GetFocus();
        const std::string focus = pFocus == nullptr ? "-" : static_cast<LogUI*>(pFocus)->m_name;
        EXPECT_EQ(t.expected, focus);
        EXPECT_EQ(focus != "-", bHandled);
        if (pFocus != nullptr) {
            EXPECT_EQ(1, static_cast<LogUI*>(pFocus)->m_activated);
        }
    }
}

TEST(InputKeyboard, SysKeyDownGoesToTheFocus)
{
    Row r;
    r.b->SetFocus();
    r.log.Clear();
    EXPECT_FALSE(Key(r.w.hwnd(), WM_SYSKEYDOWN, VK_F10));
    EXPECT_EQ("b:syskey", r.log.Joined());
}

} // namespace
