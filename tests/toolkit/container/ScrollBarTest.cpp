#include <windows.h>
#include <gtest/gtest.h>
#include "core/ContainerUI.h"
#include "core/ScrollBarUI.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// Counts the "scroll" notifications of a window.
struct ScrollCounter : INotifyUI {
    int scrolls = 0;
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"scroll") ++scrolls;
    }
};

// A container that counts what its bars ask of it.
struct CountingOwner : CContainerUI {
    int lineDown = 0;
    int pageUp = 0;
    void LineDown() override
    {
        ++lineDown;
        CContainerUI::LineDown();
    }
    void PageUp() override
    {
        ++pageUp;
        CContainerUI::PageUp();
    }
};

TEventUI Ev(int type, int x = 0, int y = 0, WPARAM wParam = 0)
{
    TEventUI ev = {};
    ev.type = type;
    ev.mousePos.x = x;
    ev.mousePos.y = y;
    ev.wParam = wParam;
    ev.timestamp = ::GetTickCount();
    return ev;
}

void Tick(CScrollBarUI& bar, int n = 1)
{
    for (int i = 0; i < n; i++) {
        TEventUI ev = Ev(UIEVENT_TIMER, 0, 0, 10);
        bar.DoEvent(ev);
    }
}

void Send(CScrollBarUI& bar, int type, int x, int y)
{
    TEventUI ev = Ev(type, x, y);
    bar.DoEvent(ev);
}

// Runs the window's messages until a timer of our own, started now with the bar's period,
// has ticked `ticks` times; answers how many ticks of the window's other timers came
// meanwhile (-1 when ours could not be started). A timer left running at that period ticks
// between ours however slowly the machine runs, so counting ours is what measures "a while".
int OtherTicksWhileOursTicks(HWND window, int ticks)
{
    const UINT_PTR kOurs = 0x7A00; // far from the manager's ids (0..239 and 241)
    if (!::SetTimer(window, kOurs, 50, nullptr)) return -1;
    int ours = 0;
    int others = 0;
    MSG msg;
    while (ours < ticks && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window) {
            if (msg.wParam == kOurs) {
                ++ours;
                continue;
            }
            ++others;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::KillTimer(window, kOurs);
    return others;
}

TEST(ScrollBarGeometry, Table)
{
    struct Case {
        const char* what;
        bool horizontal;
        int length;
        bool show1, show2;
        int range, pos;
        RECT button1, button2, thumb; // along the bar; across it always 0..16
    } cases[] = {
        { "both buttons, top",
          false,
          100,
          true,
          true,
          100,
          0,
          { 0, 0, 16, 16 },
          { 0, 84, 16, 100 },
          { 0, 16, 16, 50 } },
        { "both buttons, end",
          false,
          100,
          true,
          true,
          100,
          100,
          { 0, 0, 16, 16 },
          { 0, 84, 16, 100 },
          { 0, 50, 16, 84 } },
        { "too short", false, 30, true, true, 100, 0, { 0, 0, 16, 15 }, { 0, 15, 16, 30 }, { 0, 0, 0, 0 } },
        { "no buttons", false, 100, false, false, 100, 100, { 0, 0, 0, 0 }, { 0, 100, 0, 100 }, { 0, 50, 16, 100 } },
        { "range 0", false, 100, true, true, 0, 0, { 0, 0, 16, 16 }, { 0, 84, 16, 100 }, { 0, 16, 16, 84 } },
        { "horizontal", true, 100, true, true, 100, 100, { 0, 0, 16, 16 }, { 84, 0, 100, 16 }, { 50, 0, 84, 16 } },
        // (468 - 16) * 5,000,000 does not fit 32 bits; the thumb keeps its minimum size.
        { "range 10,000,000",
          false,
          500,
          true,
          true,
          10000000,
          5000000,
          { 0, 0, 16, 16 },
          { 0, 484, 16, 500 },
          { 0, 242, 16, 258 } },
        { "3,000,000 over 700",
          false,
          732,
          true,
          true,
          3000000,
          3000000,
          { 0, 0, 16, 16 },
          { 0, 716, 16, 732 },
          { 0, 700, 16, 716 } },
    };
    for (const Case& c : cases) {
        CScrollBarUI bar;
        bar.SetHorizontal(c.horizontal);
        bar.SetShowButton1(c.show1);
        bar.SetShowButton2(c.show2);
        bar.SetScrollRange(c.range);
        bar.SetScrollPos(c.pos);
        bar.SetPos(c.horizontal ? Rc(0, 0, c.length, 16) : Rc(0, 0, 16, c.length));
        EXPECT_EQ(Str(c.button1), Str(bar.GetButton1Rect())) << c.what;
        EXPECT_EQ(Str(c.button2), Str(bar.GetButton2Rect())) << c.what;
        EXPECT_EQ(Str(c.thumb), Str(bar.GetThumbRect())) << c.what;
    }
}

TEST(ScrollBarGeometry, PositionAndRangeAreClamped)
{
    CScrollBarUI bar;
    bar.SetScrollPos(-5);
    EXPECT_EQ(0, bar.GetScrollPos());
    bar.SetScrollPos(500);
    EXPECT_EQ(100, bar.GetScrollPos());
    bar.SetScrollPos(80);
    bar.SetScrollRange(50);
    EXPECT_EQ(50, bar.GetScrollPos());
    bar.SetScrollRange(-3);
    EXPECT_EQ(0, bar.GetScrollRange());
    EXPECT_EQ(0, bar.GetScrollPos());
}

TEST(ScrollBarGeometry, HorizontalSwapsTheFixedThickness)
{
    CScrollBarUI bar;
    EXPECT_EQ(16, bar.GetFixedWidth());
    bar.SetAttribute(L"hor", L"true");
    EXPECT_EQ(0, bar.GetFixedWidth());
    EXPECT_EQ(16, bar.GetFixedHeight());
    bar.SetHorizontal(false);
    EXPECT_EQ(16, bar.GetFixedWidth());
    EXPECT_EQ(0, bar.GetFixedHeight());
}

class ScrollBarInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        w.pm().AddNotifier(&counter);
        root = new CContainerUI;
        bar = new CScrollBarUI;
        root->Add(bar);
        w.Attach(root);
        bar->SetPos(Rc(0, 0, 16, 100));
    }
    void TearDown() override { w.pm().RemoveNotifier(&counter); }
    ManagedWindow w;
    ScrollCounter counter;
    CContainerUI* root = nullptr;
    CScrollBarUI* bar = nullptr;
};

TEST_F(ScrollBarInput, HoldingButton2RepeatsAfterFiveTicks)
{
    Send(*bar, UIEVENT_LBUTTONDOWN, 8, 90);
    EXPECT_EQ(8, bar->GetScrollPos()) << "one line at the press";
    EXPECT_EQ(1, counter.scrolls);
    Tick(*bar, 5);
    EXPECT_EQ(8, bar->GetScrollPos());
    Tick(*bar);
    EXPECT_EQ(16, bar->GetScrollPos());
    Tick(*bar, 2);
    EXPECT_EQ(32, bar->GetScrollPos());
    Send(*bar, UIEVENT_LBUTTONUP, 8, 90);
    EXPECT_EQ(32, bar->GetScrollPos());
    // Pressing button 1 at 0 still reports a step.
    bar->SetScrollPos(0);
    int before = counter.scrolls;
    Send(*bar, UIEVENT_LBUTTONDOWN, 8, 5);
    Send(*bar, UIEVENT_LBUTTONUP, 8, 5);
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(before + 1, counter.scrolls);
}

TEST_F(ScrollBarInput, RealTimerRepeatsUntilRelease)
{
    Send(*bar, UIEVENT_LBUTTONDOWN, 8, 90);
    // The limit only ends a wait for a timer that never ticks.
    EXPECT_TRUE(PumpUntil([&] { return bar->GetScrollPos() >= 24; }, 60000)) << "the window timer drives the repeat";
    Send(*bar, UIEVENT_LBUTTONUP, 8, 90);
    const int stopped = bar->GetScrollPos();
    // Twelve periods: a timer still running would tick past the five-tick delay and step.
    EXPECT_EQ(0, OtherTicksWhileOursTicks(w.hwnd(), 12)) << "the release kills the timer";
    EXPECT_EQ(stopped, bar->GetScrollPos());
}

TEST_F(ScrollBarInput, ThumbDragMovesOnTicksByTheLaidOutTrack)
{
    struct Case {
        bool show1;
        int pressY;
        int moveY;
        int expect;
    } cases[] = {
        // Both buttons: track 68, thumb 34, free 34: 17 px of travel is half the range.
        { true, 20, 37, 50 },
        // Button 1 hidden: track 84, thumb 42, free 42: 21 px is half the range.
        { false, 5, 26, 50 },
        // Dragged far past the end: clamped, never backwards.
        { true, 20, 500, 100 },
    };
    for (const Case& c : cases) {
        bar->SetShowButton1(c.show1);
        bar->SetScrollPos(0);
        Send(*bar, UIEVENT_LBUTTONDOWN, 8, c.pressY);
        Send(*bar, UIEVENT_MOUSEMOVE, 8, c.moveY);
        EXPECT_EQ(0, bar->GetScrollPos()) << "nothing moves before the tick";
        Tick(*bar);
        EXPECT_EQ(c.expect, bar->GetScrollPos()) << c.show1 << " " << c.moveY;
        Send(*bar, UIEVENT_LBUTTONUP, 8, c.moveY);
    }
}

TEST_F(ScrollBarInput, LargeRangeDragDoesNotOverflow)
{
    bar->SetPos(Rc(0, 0, 16, 732)); // a 700 px track
    bar->SetScrollRange(3000000);
    // Thumb 16 px at the top, free track 684.
    Send(*bar, UIEVENT_LBUTTONDOWN, 8, 20);
    Send(*bar, UIEVENT_MOUSEMOVE, 8, 20 + 342);
    Tick(*bar);
    EXPECT_EQ(1500000, bar->GetScrollPos());
    Send(*bar, UIEVENT_MOUSEMOVE, 8, 20 + 1000);
    Tick(*bar);
    EXPECT_EQ(3000000, bar->GetScrollPos());
    Send(*bar, UIEVENT_LBUTTONUP, 8, 1020);
    EXPECT_EQ(Str(Rc(0, 700, 16, 716)), Str(bar->GetThumbRect()));
}

TEST_F(ScrollBarInput, AnOwnedBarAsksItsOwnerAndSendsNothing)
{
    CountingOwner* owner = new CountingOwner;
    root->Add(owner);
    owner->SetPos(Rc(0, 0, 200, 100));
    owner->EnableScrollBar(true, false);
    CScrollBarUI* vbar = owner->GetVerticalScrollBar();
    vbar->SetPos(Rc(184, 0, 200, 100));
    vbar->SetScrollRange(500);
    vbar->SetScrollPos(200);
    Send(*vbar, UIEVENT_LBUTTONDOWN, 190, 95);
    Send(*vbar, UIEVENT_LBUTTONUP, 190, 95);
    Send(*vbar, UIEVENT_LBUTTONDOWN, 190, 17); // in the track above the thumb
    Send(*vbar, UIEVENT_LBUTTONUP, 190, 17);
    EXPECT_EQ(1, owner->lineDown);
    EXPECT_EQ(1, owner->pageUp);
    EXPECT_EQ(0, counter.scrolls);
}

TEST_F(ScrollBarInput, PagingTowardTheCursorAfterTheDelay)
{
    // A press in the track pages once at once; held, it pages toward the cursor.
    bar->SetScrollRange(1000);
    POINT pt = { 8, 95 }, ptWas = {};
    ::ClientToScreen(w.hwnd(), &pt);
    ::GetCursorPos(&ptWas);
    ::SetCursorPos(pt.x, pt.y);
    Send(*bar, UIEVENT_LBUTTONDOWN, 8, 80);
    EXPECT_EQ(100, bar->GetScrollPos()) << "a page is the bar's length";
    Tick(*bar, 6);
    EXPECT_EQ(200, bar->GetScrollPos());
    Send(*bar, UIEVENT_LBUTTONUP, 8, 80);
    // A pointer left over other tests' windows sends them moves.
    ::SetCursorPos(ptWas.x, ptWas.y);
}

TEST(ScrollBarPaint, WithoutImagesTheOutlinesLieOnTheParts)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    CScrollBarUI* bar = new CScrollBarUI;
    root->Add(bar);
    w.Attach(root);
    bar->SetPos(Rc(10, 0, 26, 100));
    painttest::Canvas canvas(40, 100, 0xFFFFFFFF);
    RECT all = Rc(0, 0, 40, 100);
    bar->DoPaint(canvas.dc(), all);
    const uint32_t outline = 0xFF85E4FF;
    for (const RECT& part : { bar->GetButton1Rect(), bar->GetButton2Rect(), bar->GetThumbRect() }) {
        EXPECT_TRUE(painttest::Near(outline, canvas.At(part.left, part.top), 1)) << Str(part);
        EXPECT_TRUE(painttest::Near(outline, canvas.At(part.right - 1, part.bottom - 1), 1)) << Str(part);
        EXPECT_EQ(0xFFFFFFFFu, canvas.At((part.left + part.right) / 2, (part.top + part.bottom) / 2)) << Str(part);
    }
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(5, 50)) << "nothing outside the bar";
}

} // namespace
