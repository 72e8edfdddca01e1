#include <windows.h>
#include <string>
#include <gtest/gtest.h>
#include "core/ButtonUI.h"
#include "core/OptionUI.h"
#include "core/CheckBoxUI.h"
#include "core/SliderUI.h"
#include "core/TabLayoutUI.h"
#include "BasicTestUtil.h"
#include "../paint/PoisonArena.h"

using namespace SkinUI;

namespace {

// Closes and deletes itself, manager and tree with it, from its notifier when it sees one
// kind of notification, as windows that delete themselves in their final message do. Its
// memory and that of the controls in the test are wiped when freed.
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
    void Notify(TNotifyUI& msg) override
    {
        if (m_closeOn == msg.type.GetData()) ::DestroyWindow(m_hWnd);
    }

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

} // namespace
