#include <windows.h>
#include <functional>
#include <string>
#include <gtest/gtest.h>
#include "core/ButtonUI.h"
#include "core/OptionUI.h"
#include "core/CheckBoxUI.h"
#include "core/SliderUI.h"
#include "core/TabLayoutUI.h"
#include "controls/ListUI.h"
#include "controls/ListHeaderItemUI.h"
#include "controls/MenuElementUI.h"
#include "controls/TreeViewUI.h"
#include "BasicTestUtil.h"
#include "../paint/PoisonArena.h"

using namespace SkinUI;

namespace {

// Closes and deletes itself, manager and tree with it, from its notifier when it sees one
// kind of notification, as windows that delete themselves in their final message do. Its
// memory and that of the controls in the test are wiped when freed. A test may look at the
// tree just before it goes (probe), and act on every notification (act).
class ClosingWindow final : public CWindowWnd, public INotifyUI {
public:
    static void* operator new(size_t n) { return painttest::PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { painttest::PoisonArenaFree(p, n); }
    ClosingWindow(LPCWSTR closeOn, bool* gone) : m_closeOn(closeOn), m_gone(gone) {}
    HWND Open(CControlUI* pRoot)
    {
        Create(NULL, L"closing", WS_POPUP, 0, 20, 20, 200, 100);
        m_pm.Init(m_hWnd);
        m_pm.AddNotifier(this);
        m_pm.AttachDialog(pRoot);
        RECT rc = { 0, 0, 200, 100 };
        pRoot->SetPos(rc);
        return m_hWnd;
    }
    CPaintManagerUI& pm() { return m_pm; }
    void Notify(TNotifyUI& msg) override
    {
        if (act) act(msg);
        if (m_closeOn != msg.type.GetData()) return;
        if (probe) probe();
        ::DestroyWindow(m_hWnd);
    }
    std::function<void()> probe;
    std::function<void(TNotifyUI&)> act;

protected:
    LPCTSTR GetWindowClassName() const override { return L"BasicClosingHost"; }
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
    std::wstring m_closeOn;
    bool* m_gone;
    CPaintManagerUI m_pm;
};

TEST(NotifierClosesTheWindow, ClickAndSelectChangedLeaveTheControlAlone)
{
    // Each control is bound to a tab layout, so after its notification it would go on to
    // switch the page and update its own state: none of that may run once it is gone.
    struct Row {
        const char* what;
        CButtonUI* (*make)();
        LPCWSTR closeOn;
    } rows[] = {
        { "button, click", [] { return static_cast<CButtonUI*>(new painttest::Poisoned<CButtonUI>); }, L"click" },
        { "free option, click", [] { return static_cast<CButtonUI*>(new painttest::Poisoned<COptionUI>); },
          L"click" },
        { "grouped option, selectchanged",
          [] {
              CButtonUI* p = new painttest::Poisoned<COptionUI>;
              p->SetAttribute(L"group", L"g");
              return p;
          },
          L"selectchanged" },
        { "check box, selectchanged", [] { return static_cast<CButtonUI*>(new painttest::Poisoned<CCheckBoxUI>); },
          L"selectchanged" },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CTabLayoutUI* tabs = new painttest::Poisoned<CTabLayoutUI>;
        tabs->ApplyAttributeList(L"name=\"pages\" float=\"true\" pos=\"0,50,200,100\"");
        for (int i = 0; i < 2; i++) tabs->Add(new painttest::Poisoned<CControlUI>);
        CButtonUI* b = r.make();
        b->ApplyAttributeList(L"float=\"true\" pos=\"0,0,40,40\" bindtablayoutname=\"pages\" bindtabindex=\"1\"");
        CContainerUI* root = new painttest::Poisoned<CContainerUI>;
        root->Add(tabs);
        root->Add(b);
        bool gone = false;
        HWND hwnd = (new ClosingWindow(r.closeOn, &gone))->Open(root);
        ASSERT_TRUE(hwnd != NULL);
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        painttest::PumpMessages();
    }
}

TEST(NotifierClosesTheWindow, FocusChangesStopWithTheWindow)
{
    // The window goes on "setfocus" or "killfocus"; the focus move that sent it, and the
    // activation of an Alt shortcut after it, must not go on in freed memory.
    struct Row {
        const char* what;
        LPCWSTR closeOn;
        void (*drive)(HWND);
    } rows[] = {
        { "Alt shortcut, setfocus", L"setfocus",
          [](HWND hwnd) {
              MSG msg = { hwnd, WM_SYSCHAR, 'g', 0, 0, { 0, 0 } };
              CPaintManagerUI::TranslateMessage(&msg);
          } },
        { "the first paint's move onto the first tab stop, setfocus", L"setfocus",
          [](HWND hwnd) {
              ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
              ::UpdateWindow(hwnd);
          } },
        { "click on the other button, killfocus", L"killfocus",
          [](HWND hwnd) {
              ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
              ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 20));
          } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CButtonUI* first = new painttest::Poisoned<CButtonUI>;
        first->ApplyAttributeList(L"float=\"true\" pos=\"0,0,40,40\" shortcut=\"G\"");
        CButtonUI* second = new painttest::Poisoned<CButtonUI>;
        second->ApplyAttributeList(L"float=\"true\" pos=\"50,0,90,40\"");
        CContainerUI* root = new painttest::Poisoned<CContainerUI>;
        root->Add(first);
        root->Add(second);
        bool gone = false;
        HWND hwnd = (new ClosingWindow(r.closeOn, &gone))->Open(root);
        ASSERT_TRUE(hwnd != NULL);
        r.drive(hwnd);
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        painttest::PumpMessages();
    }
}

TEST(NotifierClosesTheWindow, TabSwitchStopsWithTheWindow)
{
    // The page left gives up the focus ("killfocus"), the page shown takes it ("setfocus")
    // before the layout places it, then "tabselect": the switch must not go on in the freed
    // layout or pages wherever the window went. Each page is a container with one control.
    enum Focus { kNone, kPage, kControlOnPage };
    struct Row {
        const char* what;
        LPCWSTR closeOn;
        Focus focusFirst;
        bool byAttribute;
    } rows[] = {
        { "killfocus of the page left", L"killfocus", kPage, false },
        { "killfocus of a control on the page left", L"killfocus", kControlOnPage, false },
        { "setfocus of the page shown", L"setfocus", kNone, false },
        { "setfocus, page chosen by the selectedid attribute", L"setfocus", kNone, true },
        { "tabselect", L"tabselect", kNone, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CTabLayoutUI* tabs = new painttest::Poisoned<CTabLayoutUI>;
        for (int i = 0; i < 3; i++) {
            CContainerUI* page = new painttest::Poisoned<CContainerUI>;
            page->Add(new painttest::Poisoned<CControlUI>);
            tabs->Add(page);
        }
        CContainerUI* root = new painttest::Poisoned<CContainerUI>;
        root->Add(tabs);
        bool gone = false;
        HWND hwnd = (new ClosingWindow(r.closeOn, &gone))->Open(root);
        ASSERT_TRUE(hwnd != NULL);
        CContainerUI* first = static_cast<CContainerUI*>(tabs->GetItemAt(0));
        if (r.focusFirst == kPage) first->SetFocus();
        if (r.focusFirst == kControlOnPage) first->GetItemAt(0)->SetFocus();
        ASSERT_FALSE(gone);
        if (r.byAttribute)
            tabs->SetAttribute(L"selectedid", L"1");
        else
            EXPECT_TRUE(tabs->SelectItem(1));
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        painttest::PumpMessages();
    }
}

TEST(NotifierClosesTheWindow, SliderStopsWithTheWindow)
{
    // After its notification the slider would repaint and track its hot thumb.
    const LPCWSTR closeOn[] = { L"movevaluechanged", L"valuechanged" };
    for (LPCWSTR type : closeOn) {
        SCOPED_TRACE(std::string(type, type + wcslen(type)));
        CSliderUI* slider = new painttest::Poisoned<CSliderUI>;
        slider->ApplyAttributeList(L"float=\"true\" pos=\"0,0,200,40\" sendmove=\"true\"");
        CContainerUI* root = new painttest::Poisoned<CContainerUI>;
        root->Add(slider);
        bool gone = false;
        HWND hwnd = (new ClosingWindow(type, &gone))->Open(root);
        ASSERT_TRUE(hwnd != NULL);
        // A drag from 20 to 60 and a release there; the window goes at the first of them
        // that sends its notification.
        ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 20));
        if (::IsWindow(hwnd)) ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(60, 20));
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        painttest::PumpMessages();
    }
}

// Focuses its target from the target's size notification once armed, the one moment a
// hidden list header's columns are visible: they are hidden again right after.
struct FocusOnSize {
    CControlUI* target = nullptr;
    bool armed = false;
    bool OnSize(void*)
    {
        if (!armed) return true;
        armed = false;
        target->SetFocus();
        return true;
    }
};

// A case of a hide loop: the tree, what it focuses, and how it hides the focus.
struct HideCase {
    CControlUI* root = nullptr;
    CControlUI* focus = nullptr;     // focused before the hide
    CControlUI* later = nullptr;     // hidden by the same loop after the focus
    FocusOnSize focusOnSize;         // or focused by the loop's own layout
    std::function<void()> ready;     // run in the open window before the focus is set
    std::function<void(HWND)> hide;
};

// A list whose header is hidden, with two columns of the given width; the first focuses
// itself from its size notification once armed, and the second is hidden after it.
CListUI* HiddenHeaderList(HideCase& c, LPCWSTR attributes, LPCWSTR width)
{
    CListUI* list = new painttest::Poisoned<CListUI>;
    list->ApplyAttributeList(attributes);
    CListHeaderItemUI* col[2];
    for (CListHeaderItemUI*& p : col) {
        p = new painttest::Poisoned<CListHeaderItemUI>;
        p->SetAttribute(L"width", width);
        list->Add(p);
    }
    c.focusOnSize.target = col[0];
    col[0]->sizeHandlers += CDelegate<FocusOnSize, FocusOnSize>(&c.focusOnSize, &FocusOnSize::OnSize);
    c.later = col[1];
    c.root = basictest::Root({ list });
    return list;
}

TEST(NotifierClosesTheWindow, HidingTheFocusFinishesBeforeKillfocusIsTold)
{
    // Each case hides, in one of the toolkit's hide loops, the focused control and a sibling
    // after it, and the window goes on "killfocus": the loop must have ended, having hidden
    // the sibling too, before that is told, and nothing of the freed tree is touched after.
    struct Row {
        const char* what;
        void (*make)(HideCase&);
    } rows[] = {
        { "a tree node collapsed by a double click, the focus in its first child's row",
          [](HideCase& c) {
              CTreeViewUI* tree = new painttest::Poisoned<CTreeViewUI>;
              tree->ApplyAttributeList(L"float=\"true\" pos=\"0,0,200,100\"");
              CTreeNodeUI* parent = new painttest::Poisoned<CTreeNodeUI>;
              parent->SetItemText(L"parent");
              parent->SetAttribute(L"defaultexpand", L"true");
              tree->Add(parent);
              CTreeNodeUI* first = new painttest::Poisoned<CTreeNodeUI>;
              CTreeNodeUI* second = new painttest::Poisoned<CTreeNodeUI>;
              parent->Add(first);
              parent->Add(second);
              c.focus = new painttest::Poisoned<CButtonUI>;
              first->Add(c.focus);
              c.later = second;
              c.root = basictest::Root({ tree });
              c.hide = [parent](HWND hwnd) {
                  const RECT rc = parent->GetItemButton()->GetPos();
                  ::SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 20, (rc.top + rc.bottom) / 2));
              };
          } },
        { "a list's hidden header laid out again, a column focused meanwhile",
          [](HideCase& c) {
              CListUI* list = HiddenHeaderList(c, L"float=\"true\" pos=\"0,0,200,100\" header=\"hidden\"", L"50");
              c.hide = [list](HWND) { list->SetPos(list->GetPos()); };
          } },
        { "a list's hidden header moved by a sideways scroll, a column focused meanwhile",
          [](HideCase& c) {
              // The columns are wider than the list, so that it scrolls sideways.
              CListUI* list = HiddenHeaderList(
                  c, L"float=\"true\" pos=\"0,0,200,100\" header=\"hidden\" hscrollbar=\"true\"", L"300");
              c.hide = [list](HWND) { list->LineRight(); };
          } },
        { "a menu element hidden, the focus on its first sub-item",
          [](HideCase& c) {
              CMenuElementUI* item = new painttest::Poisoned<CMenuElementUI>;
              item->ApplyAttributeList(L"float=\"true\" pos=\"0,0,200,30\"");
              CMenuElementUI* sub0 = new painttest::Poisoned<CMenuElementUI>;
              CMenuElementUI* sub1 = new painttest::Poisoned<CMenuElementUI>;
              item->Add(sub0);
              item->Add(sub1);
              // Shown in the window as an open sub-menu shows them.
              c.ready = [sub0, sub1] {
                  for (CMenuElementUI* sub : { sub0, sub1 }) {
                      sub->SetVisible(true);
                      sub->SetInternVisible(true);
                  }
              };
              c.focus = sub0;
              c.later = sub1;
              c.root = basictest::Root({ item });
              c.hide = [item](HWND) { item->SetVisible(false); };
          } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        HideCase c;
        r.make(c);
        bool gone = false;
        ClosingWindow* win = new ClosingWindow(L"killfocus", &gone);
        HWND hwnd = win->Open(c.root);
        ASSERT_TRUE(hwnd != NULL);
        if (c.ready) c.ready();
        if (c.focus != NULL) {
            c.focus->SetFocus();
            ASSERT_EQ(c.focus, win->pm().GetFocus());
        }
        if (c.focus != NULL) {
            ASSERT_TRUE(c.later->IsVisible());
        }
        c.focusOnSize.armed = c.focusOnSize.target != NULL;
        CControlUI* later = c.later;
        bool laterShownAtKillfocus = true;
        win->probe = [&] { laterShownAtKillfocus = later->IsVisible(); };
        c.hide(hwnd);
        ASSERT_FALSE(c.focusOnSize.armed) << "the case's layout did not run";
        painttest::PumpMessages();
        EXPECT_TRUE(gone);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_FALSE(laterShownAtKillfocus) << "killfocus was told from inside the hide loop";
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        painttest::PumpMessages();
    }
}

TEST(NotifierClosesTheWindow, TheNativeFocusCallOfAFocusMove)
{
    // The native focus is on a child window, so the move calls ::SetFocus for the paint
    // window first, and the WM_SETFOCUS it sends delivers a queued notification at once
    // (the window closes on "close" only). Its notifier closes the window, or deletes the
    // control the focus is moving to.
    struct Row {
        const char* what;
        LPCWSTR queued;
        bool windowGoes;
    } rows[] = {
        { "the window closed", L"close", true },
        { "the control to focus deleted", L"drop", false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CButtonUI* old = new painttest::Poisoned<CButtonUI>;
        old->ApplyAttributeList(L"float=\"true\" pos=\"0,0,40,40\"");
        CButtonUI* next = new painttest::Poisoned<CButtonUI>;
        next->ApplyAttributeList(L"float=\"true\" pos=\"50,0,90,40\"");
        CContainerUI* root = basictest::Root({ old, next });
        root->SetDelayedDestroy(false);
        bool gone = false;
        ClosingWindow* win = new ClosingWindow(L"close", &gone);
        HWND hwnd = win->Open(root);
        ASSERT_TRUE(hwnd != NULL);
        // Shown, and past the first paint, which focuses the first tab stop.
        ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        painttest::PumpMessages();
        old->SetFocus();
        ASSERT_EQ(old, win->pm().GetFocus());
        HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 100, 0, 20, 20, hwnd, NULL, NULL, NULL);
        ASSERT_TRUE(child != NULL);
        ::SetFocus(child);
        ASSERT_EQ(child, ::GetFocus());
        painttest::PumpMessages();
        bool deleted = false;
        win->act = [&](TNotifyUI& msg) {
            if (msg.type != L"drop") return;
            root->Remove(next);
            deleted = true;
        };
        win->pm().SendNotify(old, r.queued, 0, 0, true);
        win->pm().SetFocus(next);
        EXPECT_EQ(r.windowGoes, gone);
        EXPECT_TRUE(painttest::PoisonIntact()) << "written after it was freed";
        if (!r.windowGoes) {
            EXPECT_TRUE(deleted);
            EXPECT_EQ(nullptr, win->pm().GetFocus()) << "a move to a control deleted on the way ends with none";
            EXPECT_FALSE(old->IsFocused());
            ::DestroyWindow(hwnd);
        }
        EXPECT_FALSE(::IsWindow(hwnd));
        painttest::PumpMessages();
    }
}

} // namespace
