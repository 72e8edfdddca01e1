// Program code that closes its window from a notifier or handler reached from inside one of
// the toolkit's steps (a press on a list row, a timer, a layout pass, a cleanup message), or
// deletes a control from its own event handler. The window deletes itself, manager and tree
// with it, in its final message; the window object and the controls come from the
// wiped-memory arena, and the memory freed so far is given back to the system the moment the
// window is closed, so that any later touch of a freed object faults.
#include <windows.h>
#include <ole2.h>
#include <deque>
#include <functional>
#include <string>
#include <gtest/gtest.h>
#include "FakeControl.h"
#include "controls/ActiveXUI.h"
#include "controls/ComboUI.h"
#include "controls/ListHeaderItemUI.h"
#include "controls/ListLabelElementUI.h"
#include "controls/ListUI.h"
#include "controls/TreeViewUI.h"
#include "core/ButtonUI.h"
#include "core/CheckBoxUI.h"
#include "core/Delegate.h"
#include "core/VerticalLayoutUI.h"
#include "../paint/PaintTestUtil.h"
#include "../paint/PoisonArena.h"

using namespace SkinUI;
using painttest::Poisoned;

namespace {

const wchar_t kWindowlessText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7001}";

// Closes itself when its test says so, from its notifier or from any handler, and deletes
// itself in its final message.
class ClosingHost final : public CWindowWnd, public INotifyUI {
public:
    static void* operator new(size_t n) { return painttest::PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { painttest::PoisonArenaFree(p, n); }
    explicit ClosingHost(bool* gone) : m_gone(gone) {}

    HWND Open(CControlUI* pRoot, HWND hWndOwner)
    {
        Create(hWndOwner, L"closing", WS_POPUP, 0, 20, 20, 240, 160);
        m_hWndOpen = m_hWnd;
        m_pm.Init(m_hWnd);
        m_pm.AddNotifier(this);
        m_pm.AttachDialog(pRoot);
        return m_hWnd;
    }
    CPaintManagerUI& pm() { return m_pm; }

    // Destroys the window once; the memory freed up to here (all of the window and its tree,
    // when the final message ran at once) is decommitted.
    void CloseNow()
    {
        if (m_bClosed) return;
        m_bClosed = true;
        s_closed = true;
        s_intactAtClose = painttest::PoisonIntact();
        ::DestroyWindow(m_hWndOpen);
        painttest::PoisonRelease();
    }

    void Notify(TNotifyUI& msg) override
    {
        if (act) act(msg);
        if (closeWhen && closeWhen(msg)) CloseNow();
    }
    std::function<void(TNotifyUI&)> act;
    std::function<bool(TNotifyUI&)> closeWhen;
    static bool s_intactAtClose;
    // The row's own close ran (not some other end of the window).
    static bool s_closed;

protected:
    LPCTSTR GetWindowClassName() const override { return L"ClosingTestHost"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT lRes = 0;
        if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override
    {
        *m_gone = true;
        delete this;
    }

private:
    bool* m_gone;
    HWND m_hWndOpen = NULL;
    bool m_bClosed = false;
    CPaintManagerUI m_pm;
};
bool ClosingHost::s_intactAtClose = true;
bool ClosingHost::s_closed = false;

// A delegate for an event source that runs a test's code.
struct Hook {
    std::function<bool(void*)> fn;
    bool Call(void* p) { return fn(p); }
};

// What one row builds and does.
struct Case {
    CControlUI* root = nullptr;
    HWND owner = NULL;
    bool layOutFirst = true;  // shown and painted before the drive
    bool windowStays = false; // the row deletes a control, not the window
    std::function<bool(TNotifyUI&)> closeWhen;
    std::function<void(TNotifyUI&)> act;
    std::function<void(ClosingHost&, HWND)> ready; // after the window is open
    std::function<void(ClosingHost&, HWND)> drive;
    std::deque<Hook> hooks;
    CDelegate<Hook, Hook> Delegate(std::function<bool(void*)> fn)
    {
        hooks.push_back(Hook{ std::move(fn) });
        return CDelegate<Hook, Hook>(&hooks.back(), &Hook::Call);
    }
};

// Counts the faults of the running row as they are raised: the 64-bit system swallows a
// fault inside a window procedure that a kernel callback entered (a paint, for one), and
// the step then simply ends, as if nothing had gone wrong.
class FaultWatch {
public:
    FaultWatch() : m_handler(::AddVectoredExceptionHandler(1, &FaultWatch::Seen)) { s_faults = 0; }
    ~FaultWatch() { ::RemoveVectoredExceptionHandler(m_handler); }
    FaultWatch(const FaultWatch&) = delete;
    FaultWatch& operator=(const FaultWatch&) = delete;
    static int Faults() { return s_faults; }

private:
    static LONG CALLBACK Seen(EXCEPTION_POINTERS* p)
    {
        switch (p->ExceptionRecord->ExceptionCode) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            s_faults++;
            break;
        default:
            break;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID m_handler;
    static int s_faults;
};
int FaultWatch::s_faults = 0;

// The host of the running row, for the handlers that close it.
ClosingHost* g_host = nullptr;

template <class T>
T* Make(LPCWSTR attributes)
{
    T* p = new Poisoned<T>;
    p->ApplyAttributeList(attributes);
    return p;
}

CContainerUI* RootOf(std::initializer_list<CControlUI*> children)
{
    CContainerUI* pRoot = new Poisoned<CContainerUI>;
    for (CControlUI* p : children) pRoot->Add(p);
    return pRoot;
}

POINT CentreOf(const CControlUI* p)
{
    const RECT& rc = p->GetPos();
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

void Press(HWND hwnd, POINT pt)
{
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
}

// A list or combo box of three label rows, 20 pixels high.
template <class TOwner>
TOwner* OwnerOfThree(LPCWSTR attributes)
{
    TOwner* owner = Make<TOwner>(attributes);
    for (int i = 0; i < 3; i++) {
        CListLabelElementUI* row = Make<CListLabelElementUI>(L"height=\"20\"");
        row->SetText(L"row");
        owner->Add(row);
    }
    return owner;
}

CListUI* ListOfThree()
{
    return OwnerOfThree<CListUI>(L"float=\"true\" pos=\"0,0,200,120\"");
}

CComboUI* ComboOfThree()
{
    return OwnerOfThree<CComboUI>(L"float=\"true\" pos=\"10,10,150,34\"");
}

bool Is(const TNotifyUI& msg, LPCWSTR type)
{
    return msg.type == type;
}

class Owner {
public:
    // A plain top-level window whose WM_SETFOCUS closes the running row's host.
    Owner()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Owner::Proc;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.lpszClassName = L"ClosingTestOwner";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 300, 20, 50, 50, NULL, NULL, wc.hInstance, NULL);
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    }
    ~Owner() { ::DestroyWindow(hwnd); }
    HWND hwnd;
    // Set by the row that wants it: activation may come to the owner in other rows too.
    static bool s_armed;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l)
    {
        if (m == WM_SETFOCUS && s_armed && g_host != nullptr) {
            s_armed = false;
            g_host->CloseNow();
        }
        return ::DefWindowProcW(h, m, w, l);
    }
};

bool Owner::s_armed = false;

class CloseFromCallback : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::OleInitialize(NULL);
        ASSERT_TRUE(fakes::RegisterFakeControls());
    }

    struct Row {
        const char* what;
        void (*make)(Case&);
    };
    template <size_t N>
    void RunRows(const Row (&rows)[N])
    {
        for (const Row& r : rows) {
            Case c;
            r.make(c);
            Run(r.what, c);
            if (HasFatalFailure()) return;
        }
    }

    // Opens the row's window, runs its drive and checks that nothing freed was touched.
    void Run(const char* what, Case& c)
    {
        SCOPED_TRACE(what);
        FaultWatch faults;
        bool gone = false;
        ClosingHost* host = new ClosingHost(&gone);
        g_host = host;
        ClosingHost::s_intactAtClose = true;
        ClosingHost::s_closed = false;
        host->closeWhen = c.closeWhen;
        host->act = c.act;
        const HWND hwnd = host->Open(c.root, c.owner);
        ASSERT_TRUE(hwnd != NULL);
        if (c.layOutFirst) {
            ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
            ::UpdateWindow(hwnd);
            ASSERT_FALSE(gone) << "closed while it was laid out";
        }
        if (c.ready) c.ready(*host, hwnd);
        ASSERT_FALSE(gone);
        c.drive(*host, hwnd);
        // A timer's close comes with a later message.
        const DWORD deadline = ::GetTickCount() + 5000;
        while (!c.windowStays && !gone && static_cast<LONG>(deadline - ::GetTickCount()) > 0) {
            ::MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
            painttest::PumpMessages();
        }
        EXPECT_EQ(0, FaultWatch::Faults()) << "a freed object was touched";
        EXPECT_TRUE(ClosingHost::s_intactAtClose) << "written after it was freed, before the close";
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        EXPECT_NE(c.windowStays, ClosingHost::s_closed) << "the row's close did not come";
        if (c.windowStays) {
            EXPECT_FALSE(gone);
            EXPECT_TRUE(::IsWindow(hwnd));
            ::DestroyWindow(hwnd);
        }
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        g_host = nullptr;
        painttest::PumpMessages();
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed, in a later message";
        painttest::PoisonRelease();
        EXPECT_EQ(0, fakes::LiveControls()) << "an ActiveX object was kept";
    }
};

TEST_F(CloseFromCallback, ListsAndCombosStopWithTheWindow)
{
    const Row rows[] = {
        { "a press on a list row, itemselect",
          [](Case& c) {
              CListUI* list = ListOfThree();
              c.root = RootOf({ list });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemselect"); };
              c.drive = [list](ClosingHost&, HWND h) { Press(h, CentreOf(list->GetItemAt(1))); };
          } },
        { "a double click on a list row, itemactivate",
          [](Case& c) {
              CListUI* list = ListOfThree();
              c.root = RootOf({ list });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemactivate"); };
              c.drive = [list](ClosingHost&, HWND h) {
                  const POINT pt = CentreOf(list->GetItemAt(1));
                  ::SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
              };
          } },
        { "Return on the focused list row, itemactivate",
          [](Case& c) {
              CListUI* list = ListOfThree();
              c.root = RootOf({ list });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemactivate"); };
              c.ready = [list](ClosingHost&, HWND) { list->GetItemAt(1)->SetFocus(); };
              c.drive = [](ClosingHost&, HWND h) { ::SendMessageW(h, WM_KEYDOWN, VK_RETURN, 0); };
          } },
        { "SelectItemActivate from a click notifier, itemselect",
          [](Case& c) {
              CListUI* list = ListOfThree();
              CButtonUI* button = Make<CButtonUI>(L"float=\"true\" pos=\"0,130,40,150\"");
              c.root = RootOf({ list, button });
              c.act = [list](TNotifyUI& m) {
                  if (Is(m, L"click")) list->SelectItemActivate(2);
              };
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemselect"); };
              c.drive = [button](ClosingHost&, HWND h) { Press(h, CentreOf(button)); };
          } },
        { "a press on a list header item, headerclick",
          [](Case& c) {
              CListUI* list = ListOfThree();
              CListHeaderItemUI* column = Make<CListHeaderItemUI>(L"width=\"80\"");
              column->SetText(L"column");
              list->Add(column);
              c.root = RootOf({ list });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"headerclick"); };
              c.drive = [column](ClosingHost&, HWND h) { Press(h, CentreOf(column)); };
          } },
        { "a press on a closed combo box, dropdown",
          [](Case& c) {
              CComboUI* combo = ComboOfThree();
              c.root = RootOf({ combo });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"dropdown"); };
              c.drive = [combo](ClosingHost&, HWND h) { Press(h, CentreOf(combo)); };
          } },
        { "the wheel over a closed combo box, itemselect",
          [](Case& c) {
              CComboUI* combo = ComboOfThree();
              c.root = RootOf({ combo });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemselect"); };
              c.drive = [combo](ClosingHost&, HWND h) {
                  POINT pt = CentreOf(combo);
                  ::ClientToScreen(h, &pt);
                  ::SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(pt.x, pt.y));
              };
          } },
        { "a key in the open drop-down, itemselect closes the combo box's window",
          [](Case& c) {
              CComboUI* combo = ComboOfThree();
              c.root = RootOf({ combo });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemselect"); };
              c.ready = [combo](ClosingHost&, HWND h) {
                  ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
                  ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
                  ASSERT_TRUE(combo->GetDropWindow() != NULL);
              };
              c.drive = [combo](ClosingHost&, HWND) {
                  const HWND hDrop = combo->GetDropWindow()->GetHWND();
                  ::SendMessageW(hDrop, WM_KEYDOWN, VK_DOWN, 0);
              };
          } },
    };
    RunRows(rows);
}

TEST_F(CloseFromCallback, TreesTimersAndTheCloseStopWithTheWindow)
{
    static Owner* s_owner = nullptr;
    Owner owner;
    s_owner = &owner;
    const Row rows[] = {
        { "a double click on a tree node, itemdbclick",
          [](Case& c) {
              CTreeViewUI* tree = Make<CTreeViewUI>(L"float=\"true\" pos=\"0,0,200,120\"");
              CTreeNodeUI* node = new Poisoned<CTreeNodeUI>;
              node->SetItemText(L"node");
              tree->Add(node);
              node->Add(new Poisoned<CTreeNodeUI>);
              c.root = RootOf({ tree });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"itemdbclick"); };
              c.drive = [node](ClosingHost&, HWND h) {
                  const RECT rc = node->GetItemButton()->GetPos();
                  ::SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 20, (rc.top + rc.bottom) / 2));
              };
          } },
        { "a folder's check box carried down, the first child's selectchanged",
          [](Case& c) {
              CTreeViewUI* tree = Make<CTreeViewUI>(L"float=\"true\" pos=\"0,0,200,120\" visiblecheckbtn=\"true\"");
              CTreeNodeUI* folder = new Poisoned<CTreeNodeUI>;
              folder->SetAttribute(L"defaultexpand", L"true");
              tree->Add(folder);
              CTreeNodeUI* first = new Poisoned<CTreeNodeUI>;
              folder->Add(first);
              folder->Add(new Poisoned<CTreeNodeUI>);
              c.root = RootOf({ tree });
              CControlUI* firstCheck = first->GetCheckBox();
              c.closeWhen = [firstCheck](TNotifyUI& m) { return Is(m, L"selectchanged") && m.sender == firstCheck; };
              c.drive = [folder](ClosingHost&, HWND h) { Press(h, CentreOf(folder->GetCheckBox())); };
          } },
        { "a control's timer, timer",
          [](Case& c) {
              CControlUI* ticking = Make<CControlUI>(L"float=\"true\" pos=\"0,0,20,20\"");
              c.root = RootOf({ ticking });
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"timer"); };
              c.drive = [ticking](ClosingHost& host, HWND) { ASSERT_TRUE(host.pm().SetTimer(ticking, 7, 10)); };
          } },
        { "WM_CLOSE gives the owner the focus, and that closes the window",
          [](Case& c) {
              CButtonUI* button = Make<CButtonUI>(L"float=\"true\" pos=\"0,0,40,20\"");
              c.root = RootOf({ button });
              c.owner = s_owner->hwnd;
              c.ready = [button](ClosingHost&, HWND h) {
                  ::SetFocus(h);
                  button->SetFocus();
                  Owner::s_armed = true;
              };
              c.drive = [](ClosingHost&, HWND h) { ::SendMessageW(h, WM_CLOSE, 0, 0); };
          } },
    };
    RunRows(rows);
}

TEST_F(CloseFromCallback, LayoutPassesStopWithTheWindow)
{
    const Row rows[] = {
        { "an ActiveX control made at its first placement in a layout, showactivex",
          [](Case& c) {
              CVerticalLayoutUI* layout = new Poisoned<CVerticalLayoutUI>;
              CActiveXUI* activex = Make<CActiveXUI>(L"height=\"50\"");
              activex->SetAttribute(L"clsid", kWindowlessText);
              layout->Add(activex);
              layout->Add(Make<CActiveXUI>(L"height=\"50\""));
              layout->Add(Make<CButtonUI>(L"height=\"20\""));
              c.root = layout;
              c.layOutFirst = false;
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"showactivex"); };
              c.drive = [](ClosingHost&, HWND h) {
                  ::ShowWindow(h, SW_SHOWNOACTIVATE);
                  ::UpdateWindow(h);
              };
          } },
        { "a size handler's focus move in a layout, killfocus",
          [](Case& c) {
              CVerticalLayoutUI* layout = new Poisoned<CVerticalLayoutUI>;
              CButtonUI* focused = Make<CButtonUI>(L"height=\"20\"");
              CButtonUI* moved = Make<CButtonUI>(L"height=\"20\"");
              layout->Add(focused);
              layout->Add(moved);
              layout->Add(Make<CButtonUI>(L"height=\"20\""));
              c.root = layout;
              c.closeWhen = [](TNotifyUI& m) { return Is(m, L"killfocus"); };
              c.ready = [&c, focused, moved](ClosingHost&, HWND) {
                  focused->SetFocus();
                  moved->sizeHandlers += c.Delegate([moved](void*) {
                      moved->SetFocus();
                      return true;
                  });
              };
              c.drive = [layout](ClosingHost&, HWND h) {
                  layout->NeedUpdate();
                  ::UpdateWindow(h);
              };
          } },
    };
    RunRows(rows);
}

TEST_F(CloseFromCallback, HandlersThatDeleteOrCloseFromRemovals)
{
    const Row rows[] = {
        { "an event handler deletes its own control and agrees",
          [](Case& c) {
              CButtonUI* button = Make<CButtonUI>(L"float=\"true\" pos=\"0,0,40,20\"");
              CContainerUI* root = RootOf({ button });
              root->SetDelayedDestroy(false);
              c.root = root;
              c.windowStays = true;
              button->eventHandlers += c.Delegate([root, button](void* p) {
                  if (static_cast<TEventUI*>(p)->type != UIEVENT_LBUTTONDOWN) return true;
                  root->Remove(button);
                  painttest::PoisonRelease();
                  return true;
              });
              c.drive = [button](ClosingHost&, HWND h) { Press(h, CentreOf(button)); };
          } },
        { "the cleanup message deletes a control whose destroy handler closes the window",
          [](Case& c) {
              CControlUI* first = Make<CControlUI>(L"float=\"true\" pos=\"0,0,20,20\"");
              CControlUI* second = Make<CControlUI>(L"float=\"true\" pos=\"20,0,40,20\"");
              CContainerUI* root = RootOf({ first, second });
              c.root = root;
              first->destroyHandlers += c.Delegate([](void*) {
                  g_host->CloseNow();
                  return true;
              });
              c.drive = [root, first, second](ClosingHost&, HWND) {
                  root->Remove(first);
                  root->Remove(second);
              };
          } },
        { "RemoveAll deletes a child whose destroy handler closes the window",
          [](Case& c) {
              CContainerUI* box = Make<CContainerUI>(L"float=\"true\" pos=\"0,0,100,40\"");
              box->SetDelayedDestroy(false);
              CControlUI* first = Make<CControlUI>(L"float=\"true\" pos=\"0,0,20,20\"");
              box->Add(first);
              box->Add(Make<CControlUI>(L"float=\"true\" pos=\"20,0,40,20\""));
              c.root = RootOf({ box });
              first->destroyHandlers += c.Delegate([](void*) {
                  g_host->CloseNow();
                  return true;
              });
              c.drive = [box](ClosingHost&, HWND) { box->RemoveAll(); };
          } },
        { "RemoveRange deletes a child whose destroy handler closes the window",
          [](Case& c) {
              CContainerUI* box = Make<CContainerUI>(L"float=\"true\" pos=\"0,0,100,40\"");
              box->SetDelayedDestroy(false);
              for (int i = 0; i < 3; i++) box->Add(Make<CControlUI>(L"float=\"true\" pos=\"0,0,20,20\""));
              c.root = RootOf({ box });
              box->GetItemAt(0)->destroyHandlers += c.Delegate([](void*) {
                  g_host->CloseNow();
                  return true;
              });
              c.drive = [box](ClosingHost&, HWND) { box->RemoveRange(0, 2); };
          } },
    };
    RunRows(rows);
}

} // namespace
