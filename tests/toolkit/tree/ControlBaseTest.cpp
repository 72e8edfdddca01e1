#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "EventLog.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;
using painttest::Canvas;
using painttest::Near;

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
    void TearDown() override { CPaintManagerUI::Term(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

std::string Sz(SIZE s)
{
    return std::to_string(s.cx) + "x" + std::to_string(s.cy);
}
std::string Hex(DWORD v)
{
    char buf[16];
    snprintf(buf, sizeof(buf), "%08lX", static_cast<unsigned long>(v));
    return buf;
}

// ---- attributes: no manager is needed, which the table proves as well ----

TEST(ControlAttributes, ParsingTable)
{
    typedef std::function<std::string(CControlUI&)> Read;
    const Read padding = [](CControlUI& c) { return Str(c.GetPadding()); };
    const Read sides = [](CControlUI& c) {
        RECT rc = { c.GetLeftBorderSize(), c.GetTopBorderSize(), c.GetRightBorderSize(), c.GetBottomBorderSize() };
        return std::to_string(c.GetBorderSize()) + Str(rc);
    };
    const struct {
        const char* name;
        const wchar_t* list;
        Read read;
        std::string expected;
    } cases[] = {
        { "pos anchored right", L"pos=\"-10,5,-2,25\"",
          [](CControlUI& c) {
              return Sz(c.GetFixedXY()) + " " + std::to_string(c.GetFixedWidth()) + "x" +
                     std::to_string(c.GetFixedHeight());
          },
          "-2x5 8x20" },
        { "padding any separator", L"padding=\"1;2;3;4\"", padding, "{1,2,3,4}" },
        { "padding blank before a number", L"padding=\"1, 2,3,4\"", padding, "{1,2,3,4}" },
        { "padding empty entry", L"padding=\"1,,2,3\"", padding, "{1,0,2,3}" },
        { "padding short list", L"padding=\"1,2\"", padding, "{1,2,0,0}" },
        { "padding one number", L"padding=\"7\"", padding, "{7,0,0,0}" },
        { "padding empty", L"padding=\"\"", padding, "{0,0,0,0}" },
        { "bordersize plain clears the sides", L"bordersize=\"1,1,1,1\" bordersize=\"2\"", sides, "2{0,0,0,0}" },
        { "bordersize list keeps the uniform size", L"bordersize=\"3\" bordersize=\"0,2,0,2\"", sides, "3{0,2,0,2}" },
        { "bordersize short list", L"bordersize=\"1,2\"", sides, "0{1,2,0,0}" },
        { "bkcolor skips blanks", L"bkcolor=\" #FF112233\"", [](CControlUI& c) { return Hex(c.GetBkColor()); },
          "FF112233" },
        { "bkcolor all blank", L"bkcolor=\"  \"", [](CControlUI& c) { return Hex(c.GetBkColor()); }, "00000000" },
        { "bkcolor empty", L"bkcolor=\"\"", [](CControlUI& c) { return Hex(c.GetBkColor()); }, "00000000" },
        { "bkcolor2 without hash", L"bkcolor2=\"80FF0000\"", [](CControlUI& c) { return Hex(c.GetBkColor2()); },
          "80FF0000" },
        { "bordercolor skips nothing", L"bordercolor=\" #FF112233\"",
          [](CControlUI& c) { return Hex(c.GetBorderColor()); }, "00000000" },
        { "borderround short", L"borderround=\"8\"", [](CControlUI& c) { return Sz(c.GetBorderRound()); }, "8x0" },
        { "booleans are exactly true", L"visible=\"True\" mouse=\"false\" menu=\"true\"",
          [](CControlUI& c) {
              return std::to_string(c.IsVisible()) + std::to_string(c.IsMouseEnabled()) +
                     std::to_string(c.IsContextMenuUsed());
          },
          "001" },
        { "unknown names are ignored", L"nosuch=\"1\" name=\"n\"",
          [](CControlUI& c) { return std::string(c.GetName() == L"n" ? "n" : "?"); }, "n" },
        { "tooltip line breaks", L"tooltip=\"a<n>b\"",
          [](CControlUI& c) { return std::string(c.GetToolTip() == L"a\r\nb" ? "crlf" : "?"); }, "crlf" },
        { "malformed second pair keeps the first", L"width=\"5\" height=7",
          [](CControlUI& c) { return std::to_string(c.GetFixedWidth()) + "x" + std::to_string(c.GetFixedHeight()); },
          "5x0" },
        { "unterminated value is not applied", L"width=\"5\" height=\"7",
          [](CControlUI& c) { return std::to_string(c.GetFixedWidth()) + "x" + std::to_string(c.GetFixedHeight()); },
          "5x0" },
        { "name without value", L"width", [](CControlUI& c) { return std::to_string(c.GetFixedWidth()); }, "0" },
        { "negative sizes are ignored", L"width=\"-4\" minwidth=\"-1\" maxheight=\"20\"",
          [](CControlUI& c) {
              return std::to_string(c.GetFixedWidth()) + " " + std::to_string(c.GetMinWidth()) + " " +
                     std::to_string(c.GetMaxHeight());
          },
          "0 0 20" },
        { "shortcut first character", L"shortcut=\"xy\"",
          [](CControlUI& c) { return std::string(1, static_cast<char>(c.GetShortcut())); }, "x" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CControlUI control;
        EXPECT_EQ(&control, control.ApplyAttributeList(c.list));
        EXPECT_EQ(c.expected, c.read(control));
    }
}

TEST(ControlAttributes, VirtualWindowNameReachesALaterManager)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    CControlUI* child = new CControlUI;
    child->SetAttribute(L"virtualwnd", L"page");
    root->Add(child);
    w.Attach(root);
    NotifyLog notes(nullptr);
    w.pm().AddNotifier(&notes);
    w.pm().SendNotify(child, L"click");
    ASSERT_EQ(1u, notes.records.size());
    EXPECT_TRUE(notes.records[0].virtualWnd == L"page") << "the name given before the manager counts";
}

// ---- placement ----

TEST(ControlPlacement, SetPosRules)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    root->SetPos(Rc(0, 0, 400, 300));

    CControlUI* c = new CControlUI;
    root->Add(c);
    c->SetPos(Rc(50, 40, 10, 20));
    EXPECT_EQ("{50,40,50,40}", Str(c->GetPos())) << "inverted rects are normalised";

    // A floating child moved by code keeps its anchor on the right edge.
    CControlUI* f = new CControlUI;
    f->SetFloat(true);
    f->SetFixedXY(SIZE{ -30, 10 });
    root->Add(f);
    f->SetPos(Rc(300, 10, 380, 30));
    EXPECT_EQ(-20, f->GetFixedXY().cx) << "item.right - parent.right";
    EXPECT_EQ(10, f->GetFixedXY().cy);
    EXPECT_EQ(80, f->GetFixedWidth());
    EXPECT_EQ(20, f->GetFixedHeight());
}

struct Mover {
    CControlUI* control;
    int calls = 0;
    bool OnSize(void*)
    {
        ++calls;
        control->SetPos(Rc(1, 1, 5, 5));
        return true;
    }
};

TEST(ControlPlacement, SizeHandlerMovingTheControlDoesNotRecurse)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    CControlUI* c = new CControlUI;
    root->Add(c);
    Mover mover{ c };
    c->sizeHandlers += CDelegate<Mover, Mover>(&mover, &Mover::OnSize);
    c->SetPos(Rc(10, 10, 20, 20));
    EXPECT_EQ(1, mover.calls);
    EXPECT_EQ("{1,1,5,5}", Str(c->GetPos()));
}

// ---- visibility, focus, events ----

TEST(ControlState, HidingDropsTheFocusWithKillfocus)
{
    ManagedWindow w;
    EventLog log;
    CContainerUI* root = new CContainerUI;
    CContainerUI* panel = new CContainerUI;
    LogUI* a = new LogUI("a", &log);
    LogUI* b = new LogUI("b", &log);
    panel->Add(b);
    root->Add(a);
    root->Add(panel);
    w.Attach(root);
    NotifyLog notes(&log);
    w.pm().AddNotifier(&notes);

    a->SetFocus();
    EXPECT_EQ(a, w.pm().GetFocus());
    EXPECT_TRUE(a->IsFocused());
    log.Clear();
    a->SetVisible(false);
    EXPECT_EQ(nullptr, w.pm().GetFocus());
    EXPECT_FALSE(a->IsFocused());
    EXPECT_EQ("", log.Joined()) << "hiding calls out nowhere";
    // The window's next message tells the loss, and one is on its way for that.
    MSG msg;
    while (::PeekMessageW(&msg, w.hwnd(), 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    EXPECT_EQ("a:killfocus killfocus:a", log.Joined());
    EXPECT_FALSE(a->IsVisible());
    a->SetVisible(true);
    EXPECT_FALSE(a->IsFocused()) << "showing clears the focused flag";

    b->SetFocus();
    EXPECT_EQ(b, w.pm().GetFocus());
    panel->SetVisible(false);
    EXPECT_EQ(nullptr, w.pm().GetFocus()) << "hiding the container drops a focus inside it";
    EXPECT_FALSE(b->IsVisible()) << "visible is own AND internal visibility";

    // Focus refused to what cannot take it.
    a->SetEnabled(false);
    a->SetFocus();
    EXPECT_EQ(nullptr, w.pm().GetFocus());
    w.pm().RemoveNotifier(&notes);
}

// Counts the notifications the manager hands to a control's own handlers.
struct NoteCounter {
    int count = 0;
    bool Run(void*)
    {
        ++count;
        return true;
    }
};

TEST(ControlState, NoManagerMeansNoRequests)
{
    // What needs a manager is dropped; the control's own state still follows. A live
    // window beside it shows that nothing reaches a manager by other means.
    ManagedWindow w;
    w.Attach(new CContainerUI);
    CControlUI c;
    NoteCounter notes;
    c.notifyHandlers += CDelegate<NoteCounter, NoteCounter>(&notes, &NoteCounter::Run);
    c.SetFocus();
    EXPECT_FALSE(c.IsFocused());
    EXPECT_EQ(nullptr, w.pm().GetFocus());
    c.Invalidate();
    c.NeedUpdate();
    EXPECT_TRUE(c.IsUpdateNeeded());
    c.SetVisible(false);
    EXPECT_FALSE(c.IsVisible());
    c.SetVisible(true);
    EXPECT_TRUE(c.IsVisible());
    c.SetInternVisible(false);
    EXPECT_FALSE(c.IsVisible());
    c.SetInternVisible(true);
    TEventUI timer = {};
    timer.type = UIEVENT_TIMER;
    TEventUI menu = {};
    menu.type = UIEVENT_CONTEXTMENU;
    c.SetContextMenuUsed(true);
    c.Event(timer);
    c.Event(menu);
    EXPECT_EQ(0, notes.count) << "no \"timer\" or \"menu\" without a manager";
    // The same events with a manager are notified, so the count above means something.
    c.SetManager(&w.pm(), NULL, false);
    c.Event(timer);
    c.Event(menu);
    EXPECT_EQ(2, notes.count);
    c.SetManager(NULL, NULL, false);
}

struct Veto {
    std::string* trace;
    const char* name;
    bool answer;
    bool Run(void*)
    {
        *trace += name;
        return answer;
    }
};

TEST(ControlEvents, ChainVetoBubblingTimerAndMenu)
{
    ManagedWindow w;
    EventLog log;
    CContainerUI* root = new CContainerUI;
    LogUI* parent = new LogUI("p", &log);
    w.Attach(root);
    // A plain control under a logging parent: what the base does not take bubbles up.
    CControlUI* c = new CControlUI;
    c->SetManager(&w.pm(), parent, false);
    root->Add(parent);
    NotifyLog notes(&log);
    w.pm().AddNotifier(&notes);

    std::string trace;
    Veto A{ &trace, "A", true }, B{ &trace, "B", false };
    c->eventHandlers += CDelegate<Veto, Veto>(&A, &Veto::Run);
    c->eventHandlers += CDelegate<Veto, Veto>(&B, &Veto::Run);
    TEventUI ev = {};
    ev.type = UIEVENT_KEYDOWN;
    c->Event(ev);
    EXPECT_EQ("AB", trace);
    EXPECT_EQ("", log.Joined()) << "a handler answering false stops DoEvent";

    c->eventHandlers -= CDelegate<Veto, Veto>(&B, &Veto::Run);
    c->Event(ev);
    EXPECT_EQ("p:keydown", log.Joined()) << "unknown events go to the parent";

    log.Clear();
    TEventUI timer = {};
    timer.type = UIEVENT_TIMER;
    timer.wParam = 7;
    c->Event(timer);
    ASSERT_EQ(1u, notes.records.size());
    EXPECT_TRUE(notes.records[0].type == L"timer");
    EXPECT_EQ(7u, notes.records[0].wParam);

    TEventUI menu = {};
    menu.type = UIEVENT_CONTEXTMENU;
    c->Event(menu);
    EXPECT_EQ("timer: p:menu", log.Joined()) << "without \"menu\" the context menu bubbles";
    c->SetContextMenuUsed(true);
    c->Event(menu);
    ASSERT_EQ(2u, notes.records.size());
    EXPECT_TRUE(notes.records[1].type == L"menu");
    w.pm().RemoveNotifier(&notes);
    delete c;
}

// ---- painting into a DIB ----

struct PaintCase {
    int w, h;
    Canvas canvas;
    CControlUI control;
    PaintCase(int width, int height) : w(width), h(height), canvas(width, height, 0xFF000000)
    {
        control.SetPos(Rc(0, 0, width, height));
    }
};

TEST(ControlPaint, BackgroundColoursAndGradients)
{
    {
        SCOPED_TRACE("opaque fills only the paint rect");
        PaintCase p(40, 40);
        p.control.SetBkColor(0xFFFF0000);
        p.control.DoPaint(p.canvas.dc(), Rc(0, 0, 20, 40));
        EXPECT_TRUE(Near(0xFFFF0000, p.canvas.At(5, 5)));
        EXPECT_TRUE(Near(0xFF000000, p.canvas.At(30, 5)));
    }
    {
        SCOPED_TRACE("translucent fills the whole item");
        PaintCase p(40, 40);
        p.control.SetBkColor(0x80FF0000);
        p.control.DoPaint(p.canvas.dc(), Rc(0, 0, 20, 40));
        EXPECT_NE(0xFF000000u, p.canvas.At(30, 5));
    }
    {
        SCOPED_TRACE("three stops");
        PaintCase p(20, 64);
        p.control.SetBkColor(0xFFFF0000);
        p.control.SetBkColor2(0xFF00FF00);
        p.control.SetBkColor3(0xFF0000FF);
        p.control.DoPaint(p.canvas.dc(), Rc(0, 0, 20, 64));
        const uint32_t top = p.canvas.At(10, 0), mid = p.canvas.At(10, 32), bottom = p.canvas.At(10, 63);
        EXPECT_GT(painttest::Ch(top, 2), 200) << std::hex << top;
        EXPECT_GT(painttest::Ch(mid, 1), 200) << std::hex << mid;
        EXPECT_GT(painttest::Ch(bottom, 0), 200) << std::hex << bottom;
    }
}

TEST(ControlPaint, RoundClipAndBorders)
{
    {
        SCOPED_TRACE("round corners");
        PaintCase p(40, 40);
        p.control.SetBkColor(0xFF00FF00);
        p.control.SetBorderRound(SIZE{ 8, 8 });
        p.control.DoPaint(p.canvas.dc(), Rc(0, 0, 40, 40));
        EXPECT_TRUE(Near(0xFF000000, p.canvas.At(0, 0))) << "the corner stays untouched";
        EXPECT_TRUE(Near(0xFF00FF00, p.canvas.At(20, 20)));
    }
    {
        SCOPED_TRACE("focus border colour");
        ManagedWindow w;
        CContainerUI* root = new CContainerUI;
        CControlUI* c = new CControlUI;
        root->Add(c);
        w.Attach(root);
        c->SetPos(Rc(0, 0, 30, 30));
        c->SetBorderSize(2);
        c->SetBorderColor(0xFF0000FF);
        c->SetFocusBorderColor(0xFFFF0000);
        c->SetFocus();
        Canvas canvas(30, 30, 0xFF000000);
        c->DoPaint(canvas.dc(), Rc(0, 0, 30, 30));
        EXPECT_TRUE(Near(0xFFFF0000, canvas.At(0, 15), 2)) << std::hex << canvas.At(0, 15);
        EXPECT_TRUE(Near(0xFF000000, canvas.At(15, 15)));
    }
    {
        SCOPED_TRACE("only the sides given");
        PaintCase p(30, 30);
        p.control.SetBorderColor(0xFF0000FF);
        RECT sides = { 0, 2, 0, 0 };
        p.control.SetBorderSize(sides);
        p.control.SetBorderStyle(9); // outside 0..4: solid
        p.control.DoPaint(p.canvas.dc(), Rc(0, 0, 30, 30));
        EXPECT_TRUE(Near(0xFF0000FF, p.canvas.At(15, 0), 2)) << std::hex << p.canvas.At(15, 0);
        EXPECT_TRUE(Near(0xFF000000, p.canvas.At(0, 15)));
        EXPECT_TRUE(Near(0xFF000000, p.canvas.At(29, 15)));
        EXPECT_TRUE(Near(0xFF000000, p.canvas.At(15, 29)));
    }
}

} // namespace
