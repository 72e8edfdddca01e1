#include <gtest/gtest.h>

#include <string>

#include "core/NotifyPump.h"

using namespace SkinUI;

namespace {

class BasePump : public CNotifyPump {
public:
    void OnAnyClick(TNotifyUI&) { log += L"base-click;"; }
    void OnOk(TNotifyUI&) { log += L"base-ok;"; }
    void OnSelect(TNotifyUI& msg) { log += L"base-select:" + std::wstring(msg.type) + L";"; }

    std::wstring log;

    SKIN_DECLARE_MESSAGE_MAP()
};

SKIN_BEGIN_MESSAGE_MAP(BasePump, CNotifyPump)
SKIN_ON_MSGTYPE(L"click", BasePump::OnAnyClick)
SKIN_ON_CLICK_CTRNAME(L"okbtn", BasePump::OnOk)
SKIN_ON_MSGTYPE(L"selectchanged", BasePump::OnSelect)
SKIN_END_MESSAGE_MAP()

// The pump is not the first base here: its handlers need the this-adjustment that a typed
// member pointer carries.
struct Ballast {
    virtual ~Ballast() {}
    int words[5] = {};
};

class WindowPump : public Ballast, public BasePump {
public:
    void OnFirstGeneric(TNotifyUI&) { mine += L"first-generic;"; }
    void OnClose(TNotifyUI&) { mine += L"close;"; }
    void OnMin(TNotifyUI&) { mine += L"min;"; }
    void OnLastGeneric(TNotifyUI&) { mine += L"last-generic;"; }
    void OnTimer(WPARAM w, LPARAM l) { mine += L"timer:" + std::to_wstring(w) + L"," + std::to_wstring(l) + L";"; }

    std::wstring mine;

    SKIN_DECLARE_MESSAGE_MAP()
};

SKIN_BEGIN_MESSAGE_MAP(WindowPump, BasePump)
SKIN_ON_MSGTYPE(L"click", WindowPump::OnFirstGeneric)
SKIN_ON_CLICK_CTRNAME(L"closebtn", WindowPump::OnClose)
SKIN_ON_MSGTYPE(L"click", WindowPump::OnLastGeneric)
SKIN_ON_CLICK_CTRNAME(L"minbtn", WindowPump::OnMin)
SKIN_ON_TIMER(WindowPump::OnTimer)
SKIN_END_MESSAGE_MAP()

class WindowPumpMap : public WindowPump {
public:
    static const SKIN_MSGMAP* Map() { return &WindowPump::messageMap; }
};

TNotifyUI Notification(const wchar_t* type, const wchar_t* virtualWnd = L"")
{
    TNotifyUI msg;
    msg.type = type;
    msg.virtualWnd = virtualWnd;
    msg.sender = NULL;
    msg.timestamp = 0;
    msg.mousePos.x = msg.mousePos.y = 0;
    msg.wParam = 0;
    msg.lParam = 0;
    return msg;
}

} // namespace

TEST(NotifyPump, EntryPrecedence)
{
    const SKIN_PMSG_NOTIFY close = static_cast<SKIN_PMSG_NOTIFY>(&WindowPump::OnClose);
    const SKIN_PMSG_NOTIFY min = static_cast<SKIN_PMSG_NOTIFY>(&WindowPump::OnMin);
    const SKIN_PMSG_NOTIFY lastGeneric = static_cast<SKIN_PMSG_NOTIFY>(&WindowPump::OnLastGeneric);
    const SKIN_PMSG_NOTIFY baseSelect = static_cast<SKIN_PMSG_NOTIFY>(&BasePump::OnSelect);
    struct Case {
        const wchar_t* type;
        const wchar_t* sender;
        SKIN_PMSG_NOTIFY expected;
    } cases[] = {
        // A named entry wins whether a generic one stands before or after it.
        { L"click", L"closebtn", close },
        { L"click", L"minbtn", min },
        // Otherwise the table's last generic entry.
        { L"click", L"other", lastGeneric },
        { L"click", nullptr, lastGeneric },
        // Names and types are matched exactly.
        { L"click", L"CloseBtn", lastGeneric },
        { L"Click", L"closebtn", nullptr },
        // The derived table decides before the base's, even over a base entry with the name.
        { L"click", L"okbtn", lastGeneric },
        { L"selectchanged", L"opt", baseSelect },
        { L"tabselect", L"tab", nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.type) + L"/" + (c.sender ? c.sender : L"(none)")));
        const SKIN_MSGMAP_ENTRY* e = CNotifyPump::FindMessageEntry(WindowPumpMap::Map(), c.type, c.sender);
        if (c.expected == nullptr) {
            EXPECT_EQ(e, nullptr);
        } else {
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->nSig, static_cast<UINT>(SKINSIG_NOTIFY));
            EXPECT_TRUE(e->pfnNotify == c.expected);
        }
    }
}

TEST(NotifyPump, DispatchReachesTheRightObject)
{
    WindowPump pump;
    TNotifyUI click = Notification(L"click");
    // No sender (a reaped control): only entries for any control can take it.
    EXPECT_TRUE(pump.LoopDispatch(click));
    EXPECT_EQ(pump.mine, L"last-generic;");

    TNotifyUI timer = Notification(L"timer");
    timer.wParam = 12;
    timer.lParam = 34;
    EXPECT_TRUE(pump.LoopDispatch(timer));
    EXPECT_EQ(pump.mine, L"last-generic;timer:12,34;");

    TNotifyUI select = Notification(L"selectchanged");
    EXPECT_TRUE(pump.LoopDispatch(select));
    EXPECT_EQ(pump.log, L"base-select:selectchanged;");

    TNotifyUI unknown = Notification(L"dropdown");
    EXPECT_FALSE(pump.LoopDispatch(unknown));

    CNotifyPump plain;
    EXPECT_FALSE(plain.LoopDispatch(click));
}

TEST(NotifyPump, VirtualWindowsTakeTheirNotifications)
{
    WindowPump window;
    BasePump panel;
    EXPECT_TRUE(window.AddVirtualWnd(L"Panel", &panel));
    EXPECT_FALSE(window.AddVirtualWnd(L"Panel", &panel));

    // Matched ignoring case, handled by the panel only.
    TNotifyUI click = Notification(L"click", L"PANEL");
    window.NotifyPump(click);
    EXPECT_EQ(panel.log, L"base-click;");
    EXPECT_EQ(window.mine, L"");

    // What the panel does not handle falls back to the window itself.
    TNotifyUI timer = Notification(L"timer", L"panel");
    window.NotifyPump(timer);
    EXPECT_EQ(window.mine, L"timer:0,0;");

    // A name nobody registered goes to the window.
    TNotifyUI elsewhere = Notification(L"click", L"toolbar");
    window.NotifyPump(elsewhere);
    EXPECT_EQ(window.mine, L"timer:0,0;last-generic;");

    EXPECT_TRUE(window.RemoveVirtualWnd(L"Panel"));
    EXPECT_FALSE(window.RemoveVirtualWnd(L"Panel"));
    window.NotifyPump(click);
    EXPECT_EQ(panel.log, L"base-click;");
    EXPECT_EQ(window.mine, L"timer:0,0;last-generic;last-generic;");
}

TEST(NotifyPump, TraceNamesMessages)
{
    struct Case {
        UINT msg;
        const wchar_t* name;
    } cases[] = {
        { WM_PAINT, L"WM_PAINT" },
        { WM_SETCURSOR, L"WM_SETCURSOR" },
        { WM_GETTEXTLENGTH, L"WM_GETTEXTLENGTH" },
        { WM_NCDESTROY, L"WM_NCDESTROY" },
        { WM_MOUSEHOVER, L"WM_MOUSEHOVER" },
        { 0x0401, L"0x0401" },
        { 0x0000, L"0x0000" },
        { 0xC123, L"0xC123" },
        { 0x12345, L"0x12345" },
    };
    for (const Case& c : cases) EXPECT_STREQ(SKIN__TraceMsg(c.msg), c.name) << c.msg;
    SKIN__Trace(L"%s %d", L"ignored", 1);
}
