// The ActiveX control and the focus: an object that takes the focus while it is activated
// in place, and a windowed object's host window hidden while it holds the native focus.
// The window deletes itself in its final message; it and the controls come from the
// wiped-memory arena.
#include <windows.h>
#include <ole2.h>
#include <gtest/gtest.h>
#include "FakeControl.h"
#include "controls/ActiveXUI.h"
#include "core/ButtonUI.h"
#include "core/ContainerUI.h"
#include "../paint/ArenaWindow.h"

using namespace SkinUI;
using painttest::ArenaWindow;
using painttest::Poisoned;

namespace {

const wchar_t kWindowlessText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7001}";
const wchar_t kWindowedText[] = L"{7C1E5A10-2B4D-4F3A-9E61-0A115C3D7002}";

class ActiveXFocus : public ::testing::Test {
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
    }
    void TearDown() override
    {
        if (!m_gone) ::DestroyWindow(m_win->GetHWND());
        painttest::PumpMessages();
        EXPECT_EQ(0, fakes::LiveControls()) << "a fake control was not released";
        EXPECT_TRUE(painttest::PoisonIntact()) << "a freed object was written";
        painttest::PoisonRelease();
    }
    // A button above an ActiveX control without a class id, inside a panel.
    void Open()
    {
        CContainerUI* pRoot = new Poisoned<CContainerUI>;
        m_button = new Poisoned<CButtonUI>;
        m_button->ApplyAttributeList(L"float=\"true\" pos=\"10,0,100,20\"");
        m_panel = new Poisoned<CContainerUI>;
        m_panel->ApplyAttributeList(L"float=\"true\" pos=\"0,30,200,120\"");
        m_activex = new Poisoned<CActiveXUI>;
        m_activex->ApplyAttributeList(L"float=\"true\" pos=\"20,10,100,60\"");
        m_panel->Add(m_activex);
        pRoot->Add(m_button);
        pRoot->Add(m_panel);
        m_win = new ArenaWindow(&m_gone);
        m_win->Open(pRoot, 200, 120);
    }
    bool m_gone = false;
    ArenaWindow* m_win = nullptr;
    CButtonUI* m_button = nullptr;
    CContainerUI* m_panel = nullptr;
    CActiveXUI* m_activex = nullptr;
};

} // namespace

// Activated in place, the object takes the focus through its site; the focused button's
// "killfocus" receiver closes the window, and the control goes with it while the object is
// still activating. The object then fails its activation; nothing of the control is read.
TEST_F(ActiveXFocus, AnObjectTakingTheFocusOnActivationMayCloseTheWindow)
{
    Open();
    m_win->pm().SetFocus(m_button);
    m_win->act = [this](TNotifyUI& msg) {
        if (msg.type != L"killfocus" || msg.sender != m_button) return;
        ::DestroyWindow(m_win->GetHWND());
        // Given back now: a later read of the control faults.
        EXPECT_TRUE(painttest::PoisonIntact());
        painttest::PoisonRelease();
    };
    fakes::FakeControlOptions options;
    options.focusOnActivate = true;
    fakes::SetNextOptions(options);
    m_activex->SetDelayCreate(false);
    m_activex->CreateControl(kWindowlessText);
    EXPECT_TRUE(m_gone);
}

// Hidden with its panel while its host window holds the native focus, a windowed object
// gives that focus to the paint window; a notification that waited is delivered after the
// hide, not from inside the panel's loop.
TEST_F(ActiveXFocus, HidingTheFocusedHostWindowDeliversNothingInsideTheHide)
{
    Open();
    ASSERT_TRUE(m_activex->CreateControl(kWindowedText));
    m_activex->SetPos(m_activex->GetPos());
    const HWND hHost = m_activex->GetHostWindow();
    ASSERT_NE(hHost, (HWND)NULL);
    ASSERT_NE(hHost, m_win->GetHWND());
    ::SetFocus(hHost);
    painttest::PumpMessages();
    ASSERT_EQ(::GetFocus(), hHost);
    bool hiding = false;
    int delivered = 0, deliveredWhileHiding = 0;
    m_win->act = [&](TNotifyUI& msg) {
        if (msg.type != L"later") return;
        ++delivered;
        if (hiding) ++deliveredWhileHiding;
    };
    m_win->pm().SendNotify(m_button, L"later", 0, 0, true);
    hiding = true;
    m_panel->SetVisible(false);
    hiding = false;
    EXPECT_FALSE(::IsWindowVisible(hHost));
    EXPECT_EQ(::GetFocus(), m_win->GetHWND());
    painttest::PumpMessages();
    EXPECT_EQ(0, deliveredWhileHiding);
    EXPECT_EQ(1, delivered);
    m_win->act = nullptr;
}
