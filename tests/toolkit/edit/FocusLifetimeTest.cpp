// The native windows of the edit and the date picker against the program code the toolkit
// runs: making, taking back and destroying them moves the native focus, whose messages to
// the host must not deliver anything from inside the toolkit, and a control given the focus
// again before its window's close arrived keeps that window. Controls and windows come from
// the wiped-memory arena, so a late touch faults or shows as broken poison.
#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "controls/DateTimeUI.h"
#include "controls/EditUI.h"
#include "core/ButtonUI.h"
#include "core/ContainerUI.h"
#include "core/PaintManager.h"
#include "../paint/ArenaWindow.h"

using namespace SkinUI;
using painttest::ArenaWindow;
using painttest::Poisoned;

namespace {

// The window with a control under test at (10,10)-(150,40) and a button below it; removed
// children are deleted at once.
struct Scene {
    bool gone = false;
    ArenaWindow* win = nullptr;
    CContainerUI* root = nullptr;
    CControlUI* control = nullptr;
    CButtonUI* button = nullptr;

    explicit Scene(CControlUI* pControl) : control(pControl)
    {
        root = new Poisoned<CContainerUI>;
        root->SetDelayedDestroy(false);
        control->ApplyAttributeList(L"float=\"true\" pos=\"10,10,150,40\"");
        button = new Poisoned<CButtonUI>;
        button->ApplyAttributeList(L"float=\"true\" pos=\"10,60,150,90\"");
        root->Add(control);
        root->Add(button);
        win = new ArenaWindow(&gone);
        win->Open(root, 220, 120);
        win->pm().SetFocus(NULL);
        ::SetFocus(win->GetHWND());
        painttest::PumpMessages();
    }
    ~Scene()
    {
        if (!gone) ::DestroyWindow(win->GetHWND());
        painttest::PumpMessages();
        EXPECT_TRUE(painttest::PoisonIntact()) << "a freed object was written";
        painttest::PoisonRelease();
    }
    HWND Native() const
    {
        if (CEditUI* pEdit = static_cast<CEditUI*>(control->GetInterface(L"Edit")))
            return pEdit->GetNativeWindow() != NULL ? pEdit->GetNativeWindow()->GetHWND() : NULL;
        CDateTimeUI* pDate = static_cast<CDateTimeUI*>(control->GetInterface(L"DateTime"));
        return pDate->GetNativeWindow() != NULL ? pDate->GetNativeWindow()->GetHWND() : NULL;
    }
    // The control clicked into focus; its native window, which has the native focus.
    HWND ClickIn()
    {
        win->Click(80, 25);
        EXPECT_EQ(::GetFocus(), Native());
        return Native();
    }
};

struct ControlKind {
    const char* what;
    CControlUI* (*make)();
};
const ControlKind kKinds[] = {
    { "edit", [] { return static_cast<CControlUI*>(new Poisoned<CEditUI>); } },
    { "date picker", [] { return static_cast<CControlUI*>(new Poisoned<CDateTimeUI>); } },
};

// Lower-case letters typed where the keyboard goes, the window that has the native focus:
// key down and up, the character made from them by the message loop's translation.
void Type(LPCWSTR text)
{
    for (LPCWSTR p = text; *p != L'\0'; p++) {
        HWND hFocus = ::GetFocus();
        const UINT vk = LOBYTE(::VkKeyScanW(*p));
        const LPARAM lScan = static_cast<LPARAM>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        ::PostMessageW(hFocus, WM_KEYDOWN, vk, lScan | 1);
        ::PostMessageW(hFocus, WM_KEYUP, vk, lScan | 0xC0000001);
        painttest::PumpMessages();
    }
}

} // namespace

// The control goes while its window has the native focus: the focus passes to the host on
// the way, and a notification queued before is delivered after the control is gone (with no
// sender), not from inside its destructor.
TEST(NativeWindowFocus, DestroyingTheFocusedWindowDeliversNothingFromTheDestructor)
{
    for (const ControlKind& kind : kKinds) {
        SCOPED_TRACE(kind.what);
        Scene s(kind.make());
        s.win->pm().SetFocus(s.control);
        painttest::PumpMessages();
        const HWND hNative = s.Native();
        ASSERT_NE(hNative, (HWND)NULL);
        ASSERT_EQ(::GetFocus(), hNative);
        std::vector<CControlUI*> senders;
        bool inRemoval = false, deliveredInRemoval = false;
        s.win->act = [&](TNotifyUI& msg) {
            if (msg.type != L"later") return;
            senders.push_back(msg.sender);
            deliveredInRemoval = deliveredInRemoval || inRemoval;
        };
        s.win->pm().SendNotify(s.control, L"later", 0, 0, true);
        inRemoval = true;
        ASSERT_TRUE(s.root->Remove(s.control));
        inRemoval = false;
        s.control = nullptr;
        EXPECT_FALSE(::IsWindow(hNative));
        EXPECT_FALSE(deliveredInRemoval);
        painttest::PumpMessages();
        EXPECT_EQ(senders, std::vector<CControlUI*>{ nullptr }) << "delivered once, after the sender went";
        s.win->act = nullptr;
    }
}

// The window is made and given the native focus while a notification waits, whose receiver
// deletes the control: that runs after the control has finished opening its window.
TEST(NativeWindowFocus, OpeningTheWindowDeliversNothingWhileItIsMade)
{
    for (const ControlKind& kind : kKinds) {
        SCOPED_TRACE(kind.what);
        Scene s(kind.make());
        ASSERT_EQ(::GetFocus(), s.win->GetHWND());
        bool opened = false;
        HWND hNative = NULL;
        s.win->act = [&](TNotifyUI& msg) {
            if (msg.type != L"later" || s.control == nullptr) return;
            opened = s.win->pm().GetFocus() == s.control && s.Native() != NULL;
            hNative = s.Native();
            s.root->Remove(s.control);
            s.control = nullptr;
            // Given back now: whatever of the control is still touched faults.
            painttest::PoisonRelease();
        };
        s.win->pm().SendNotify(s.button, L"later", 0, 0, true);
        s.win->pm().SetFocus(s.control);
        painttest::PumpMessages();
        EXPECT_EQ(s.control, nullptr) << "the notification was delivered";
        EXPECT_TRUE(opened) << "the receiver ran before the window was open";
        EXPECT_FALSE(::IsWindow(hNative));
        s.win->act = nullptr;
    }
}

// A validating field: its own "killfocus" receiver gives it the focus back. The press on the
// button had already taken the native focus and asked for the native edit's close; the edit
// keeps that window, and what is typed then arrives in it.
TEST(EditTakesTheFocusBack, FromItsKillFocusReceiverItKeepsItsWindowAndTyping)
{
    CEditUI* pEdit = new Poisoned<CEditUI>;
    Scene s(pEdit);
    const HWND hNative = s.ClickIn();
    ASSERT_NE(hNative, (HWND)NULL);
    int refocused = 0;
    s.win->act = [&](TNotifyUI& msg) {
        if (msg.type == L"killfocus" && msg.sender == pEdit && refocused++ == 0) pEdit->SetFocus();
    };
    s.win->Click(80, 75);
    EXPECT_EQ(refocused, 1);
    EXPECT_EQ(s.win->pm().GetFocus(), pEdit);
    EXPECT_EQ(s.Native(), hNative) << "the edit lost its native window";
    EXPECT_EQ(::GetFocus(), hNative);
    ::SendMessageW(hNative, EM_SETSEL, 0, 0);
    Type(L"ok");
    EXPECT_STREQ(pEdit->GetText().GetData(), L"ok");
    s.win->act = nullptr;
}

// A focused edit pressed on its padding, outside the native child: the press takes the
// native focus to the host, and the edit takes it back into the same window.
TEST(EditTakesTheFocusBack, APressOnItsPaddingKeepsItsWindowAndTyping)
{
    CEditUI* pEdit = new Poisoned<CEditUI>;
    Scene s(pEdit);
    const HWND hNative = s.ClickIn();
    ASSERT_NE(hNative, (HWND)NULL);
    RECT rcNative = pEdit->GetNativeWindow()->CalcEditPos();
    const POINT ptPadding = { 11, 25 };
    ASSERT_FALSE(::PtInRect(&rcNative, ptPadding));
    s.win->Click(ptPadding.x, ptPadding.y);
    EXPECT_EQ(s.win->pm().GetFocus(), pEdit);
    EXPECT_EQ(s.Native(), hNative) << "the edit lost its native window";
    EXPECT_EQ(::GetFocus(), hNative);
    Type(L"ab");
    EXPECT_STREQ(pEdit->GetText().GetData(), L"ab");
    // Pressed elsewhere afterwards, it closes as ever.
    s.win->Click(80, 75);
    EXPECT_FALSE(::IsWindow(hNative));
    EXPECT_EQ(pEdit->GetNativeWindow(), nullptr);
}
