#include <windows.h>
#include <gtest/gtest.h>
#include "core/VerticalLayoutUI.h"
#include "core/HorizontalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// One child of a distribution case, given along the layout's axis ("length") and across
// it ("thickness"); 0 = automatic.
struct Kid {
    int length, thickness;
    int minLength, maxLength;
    RECT padding; // along/across already mirrored by the case
};

struct DistCase {
    const char* what;
    int size; // the layout's length along its axis (the other side is 100)
    int childPadding;
    std::vector<Kid> kids;
    std::vector<RECT> expect; // for the vertical layout; mirrored for the horizontal one
};

RECT Mirror(const RECT& rc)
{
    return Rc(rc.top, rc.left, rc.bottom, rc.right);
}

std::vector<DistCase> DistributionCases()
{
    const RECT none = { 0, 0, 0, 0 };
    return {
        { "automatic share",
          200,
          5,
          { { 0, 0, 0, 9999, none }, { 40, 0, 0, 9999, none }, { 0, 0, 0, 9999, none } },
          { Rc(0, 0, 100, 75), Rc(0, 80, 100, 120), Rc(0, 125, 100, 200) } },
        { "remainder stays empty",
          201,
          5,
          { { 0, 0, 0, 9999, none }, { 40, 0, 0, 9999, none }, { 0, 0, 0, 9999, none } },
          { Rc(0, 0, 100, 75), Rc(0, 80, 100, 120), Rc(0, 125, 100, 200) } },
        { "minimum beats the share",
          100,
          0,
          { { 0, 0, 80, 9999, none }, { 0, 0, 0, 9999, none } },
          { Rc(0, 0, 100, 80), Rc(0, 80, 100, 130) } },
        { "maximum clamps",
          100,
          0,
          { { 0, 0, 0, 30, none }, { 60, 0, 0, 40, none } },
          { Rc(0, 0, 100, 30), Rc(0, 30, 100, 70) } },
        { "padding",
          100,
          0,
          { { 20, 0, 0, 9999, Rc(3, 4, 5, 6) }, { 0, 50, 0, 9999, Rc(0, 0, 0, 0) } },
          { Rc(3, 4, 95, 24), Rc(0, 30, 50, 100) } },
    };
}

// The same table drives both layouts: lengths run along y for the vertical one, along x
// for the horizontal one.
template <class Layout>
void RunDistribution(bool vertical)
{
    for (const DistCase& c : DistributionCases()) {
        ManagedWindow w(400, 400);
        Layout* layout = new Layout;
        layout->SetChildPadding(c.childPadding);
        std::vector<ProbeUI*> kids;
        for (const Kid& k : c.kids) {
            ProbeUI* p = new ProbeUI;
            if (vertical) {
                p->SetFixedHeight(k.length);
                p->SetFixedWidth(k.thickness);
                p->SetMinHeight(k.minLength);
                p->SetMaxHeight(k.maxLength);
                p->SetPadding(k.padding);
            } else {
                p->SetFixedWidth(k.length);
                p->SetFixedHeight(k.thickness);
                p->SetMinWidth(k.minLength);
                p->SetMaxWidth(k.maxLength);
                p->SetPadding(Mirror(k.padding));
            }
            layout->Add(p);
            kids.push_back(p);
        }
        w.Attach(layout);
        layout->SetPos(vertical ? Rc(0, 0, 100, c.size) : Rc(0, 0, c.size, 100));
        for (size_t i = 0; i < kids.size(); i++) {
            const RECT want = vertical ? c.expect[i] : Mirror(c.expect[i]);
            EXPECT_EQ(Str(want), Str(kids[i]->GetPos())) << c.what << " child " << i << (vertical ? " V" : " H");
        }
    }
}

TEST(LineLayout, VerticalDistribution)
{
    RunDistribution<CVerticalLayoutUI>(true);
}
TEST(LineLayout, HorizontalDistribution)
{
    RunDistribution<CHorizontalLayoutUI>(false);
}

TEST(LineLayout, InsetAndFloatingChildren)
{
    ManagedWindow w;
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    layout->SetInset(Rc(10, 20, 30, 40));
    ProbeUI* a = Fixed(0, 50);
    ProbeUI* floating = Fixed(20, 20);
    floating->SetFloat(true);
    floating->SetFixedXY(SIZE{ -25, 5 });
    ProbeUI* b = Fixed(0, 0);
    layout->Add(a);
    layout->Add(floating);
    layout->Add(b);
    w.Attach(layout);
    layout->SetPos(Rc(0, 0, 200, 300));
    EXPECT_EQ(Str(Rc(10, 20, 170, 70)), Str(a->GetPos()));
    EXPECT_EQ(Str(Rc(10, 70, 170, 260)), Str(b->GetPos())) << "a floating child takes no room";
    EXPECT_EQ(Str(Rc(155, 5, 175, 25)), Str(floating->GetPos()));
}

// ---- scroll bars ----

TEST(LineLayout, VerticalBarComesAndGoesWithTheContent)
{
    ManagedWindow w;
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    layout->SetAttribute(L"vscrollbar", L"true");
    ProbeUI* kids[3];
    for (ProbeUI*& k : kids) {
        k = Fixed(0, 100);
        layout->Add(k);
    }
    w.Attach(layout);
    CScrollBarUI* bar = layout->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);

    layout->SetPos(Rc(0, 0, 200, 250));
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(50, bar->GetScrollRange());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(Str(Rc(184, 0, 200, 250)), Str(bar->GetPos()));
    EXPECT_EQ(Str(Rc(0, 0, 184, 100)), Str(kids[0]->GetPos())) << "children leave room for the bar";

    layout->SetScrollPos(SIZE{ 0, 30 });
    EXPECT_EQ(Str(Rc(0, 70, 184, 170)), Str(kids[1]->GetPos()));
    layout->SetPos(Rc(0, 0, 200, 250));
    EXPECT_EQ(Str(Rc(0, 70, 184, 170)), Str(kids[1]->GetPos())) << "a layout pass keeps the offset";

    layout->SetPos(Rc(0, 0, 200, 400));
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(Str(Rc(0, 100, 200, 200)), Str(kids[1]->GetPos()));

    // It shows again, at the top.
    layout->SetPos(Rc(0, 0, 200, 150));
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollPos());
    EXPECT_EQ(150, bar->GetScrollRange());
}

TEST(LineLayout, HorizontalBarRangesTheRowAndIgnoresTheVerticalOffset)
{
    ManagedWindow w;
    CHorizontalLayoutUI* layout = new CHorizontalLayoutUI;
    layout->EnableScrollBar(false, true);
    ProbeUI* a = Fixed(150, 0);
    ProbeUI* b = Fixed(150, 0);
    layout->Add(a);
    layout->Add(b);
    w.Attach(layout);
    CScrollBarUI* bar = layout->GetHorizontalScrollBar();
    bar->SetVisible(false);

    layout->SetPos(Rc(0, 0, 200, 100));
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(100, bar->GetScrollRange());
    EXPECT_EQ(Str(Rc(0, 0, 150, 100)), Str(a->GetPos())) << "the bar's height is not taken from the children";
    EXPECT_EQ(Str(Rc(0, 84, 200, 100)), Str(bar->GetPos()));

    layout->SetScrollPos(SIZE{ 40, 0 });
    layout->SetPos(Rc(0, 0, 200, 100));
    EXPECT_EQ(Str(Rc(-40, 0, 110, 84)), Str(a->GetPos()));

    layout->SetPos(Rc(0, 0, 400, 100));
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
}

// ---- separator ----

TEST(LineLayout, SeparatorFlagsAndCursor)
{
    CVerticalLayoutUI v;
    EXPECT_EQ(0u, v.GetControlFlags());
    v.SetAttribute(L"sepheight", L"4");
    EXPECT_EQ(static_cast<UINT>(UIFLAG_SETCURSOR), v.GetControlFlags());
    v.SetEnabled(false);
    EXPECT_EQ(0u, v.GetControlFlags());

    struct Strip {
        int sep;
        RECT expectV;
        RECT expectH;
    } strips[] = {
        { 4, Rc(10, 46, 60, 50), Rc(56, 20, 60, 50) },
        { -4, Rc(10, 20, 60, 24), Rc(10, 20, 14, 50) },
        { 40, Rc(10, 20, 60, 50), Rc(20, 20, 60, 50) }, // the vertical strip stays inside
    };
    for (const Strip& s : strips) {
        CVerticalLayoutUI vl;
        CHorizontalLayoutUI hl;
        vl.SetSepHeight(s.sep);
        hl.SetSepWidth(s.sep);
        vl.SetPos(Rc(10, 20, 60, 50));
        hl.SetPos(Rc(10, 20, 60, 50));
        EXPECT_EQ(Str(s.expectV), Str(vl.GetThumbRect(false))) << s.sep;
        EXPECT_EQ(Str(s.expectH), Str(hl.GetThumbRect(false))) << s.sep;
    }

    ManagedWindow w;
    CVerticalLayoutUI* layout = new CVerticalLayoutUI;
    layout->SetSepHeight(4);
    w.Attach(layout);
    layout->SetPos(Rc(0, 0, 100, 100));
    TEventUI ev = {};
    ev.type = UIEVENT_SETCURSOR;
    ev.mousePos.x = 50;
    ev.mousePos.y = 98;
    layout->DoEvent(ev);
    EXPECT_EQ(::LoadCursorW(NULL, IDC_SIZENS), ::GetCursor());
}

// A window with a vertical layout of two panes whose upper pane has a separator.
struct SplitRig {
    ManagedWindow w{ 200, 300, true };
    CVerticalLayoutUI* root = new CVerticalLayoutUI;
    CVerticalLayoutUI* top = new CVerticalLayoutUI;
    CControlUI* rest = new ProbeUI(L"rest");
    explicit SplitRig(const wchar_t* attrs, bool layered = false)
    {
        w.pm().SetUseLayeredWindow(layered);
        top->SetFixedHeight(100);
        top->ApplyAttributeList(attrs);
        root->SetBkColor(0xFFFFFFFF);
        root->Add(top);
        root->Add(rest);
        w.Attach(root);
    }
    // A press, moves and a release through the window's messages.
    void Drag(int x, int y0, std::initializer_list<int> ys, bool release = true)
    {
        w.Mouse(WM_MOUSEMOVE, x, y0);
        w.Mouse(WM_LBUTTONDOWN, x, y0, MK_LBUTTON);
        for (int y : ys) w.Mouse(WM_MOUSEMOVE, x, y, MK_LBUTTON);
        if (release) w.Mouse(WM_LBUTTONUP, x, *(ys.end() - 1));
    }
    void Layout() { root->SetPos(Rc(0, 0, 200, 300)); }
};

TEST(LineLayoutDrag, GhostModeChangesNothingUntilRelease)
{
    SplitRig rig(L"sepheight=\"6\" minheight=\"30\"");
    rig.Layout();
    rig.Drag(50, 97, { 110, 130 }, false);
    EXPECT_EQ(1, rig.w.pm().GetPostPaintCount());
    EXPECT_EQ(Str(Rc(0, 0, 200, 100)), Str(rig.top->GetPos())) << "ghost mode moves nothing before release";
    EXPECT_EQ(Str(Rc(0, 127, 200, 133)), Str(rig.top->GetThumbRect(true)));

    // The ghost strip over white: black at alpha 0xAA leaves about 0x55 per channel.
    painttest::Canvas canvas(200, 300, 0xFFFFFFFF);
    RECT all = Rc(0, 0, 200, 300);
    rig.root->DoPaint(canvas.dc(), all);
    rig.top->DoPostPaint(canvas.dc(), all);
    const uint32_t ghost = canvas.At(50, 130);
    for (int ch = 0; ch < 3; ch++) EXPECT_NEAR(0x55, painttest::Ch(ghost, ch), 2) << std::hex << ghost;
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(50, 98)) << "the old strip is not shaded";

    // A second press while still dragging (a release that never came) keeps one entry.
    TEventUI press = {};
    press.type = UIEVENT_LBUTTONDOWN;
    press.mousePos.x = 50;
    press.mousePos.y = 97;
    rig.top->DoEvent(press);
    EXPECT_EQ(1, rig.w.pm().GetPostPaintCount());
    rig.w.Mouse(WM_MOUSEMOVE, 50, 130, MK_LBUTTON);

    rig.w.Mouse(WM_LBUTTONUP, 50, 130);
    EXPECT_EQ(0, rig.w.pm().GetPostPaintCount());
    rig.Layout();
    EXPECT_EQ(Str(Rc(0, 0, 200, 133)), Str(rig.top->GetPos()));
    EXPECT_EQ(Str(Rc(0, 133, 200, 300)), Str(rig.rest->GetPos()));
}

TEST(LineLayoutDrag, GhostStripOnTheLayeredBackBuffer)
{
    SplitRig rig(L"sepheight=\"6\"", true);
    rig.Drag(50, 97, { 130 }, false);
    ::RedrawWindow(rig.w.hwnd(), NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    SIZE size = { 0, 0 };
    const uint32_t* bits = reinterpret_cast<const uint32_t*>(rig.w.pm().GetLayeredBits(&size));
    ASSERT_NE(nullptr, bits);
    ASSERT_EQ(200, size.cx);
    auto at = [&](int x, int y) { return bits[static_cast<size_t>(y) * size.cx + x]; };
    // Premultiplied: black at 0xAA over opaque white stays opaque with about 0x55 per channel.
    const uint32_t ghost = at(50, 130);
    EXPECT_EQ(0xFF, painttest::Ch(ghost, 3)) << std::hex << ghost;
    for (int ch = 0; ch < 3; ch++) EXPECT_NEAR(0x55, painttest::Ch(ghost, ch), 2) << std::hex << ghost;
    EXPECT_EQ(0xFFFFFFFFu, at(50, 120)) << std::hex << at(50, 120);
    EXPECT_EQ(0xFFFFFFFFu, at(50, 98)) << "the layout itself has not moved";

    // After the release the strip is gone and the pane is taller.
    rig.w.Mouse(WM_LBUTTONUP, 50, 130);
    ::RedrawWindow(rig.w.hwnd(), NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(0xFFFFFFFFu, at(50, 130));
    EXPECT_EQ(133, rig.top->GetHeight());
}

TEST(LineLayoutDrag, ImmediateModeFollowsEveryMove)
{
    SplitRig rig(L"sepheight=\"6\" sepimm=\"true\"");
    rig.Layout();
    // The strip follows from the first pixel, in both directions.
    rig.Drag(50, 97, { 98 }, false);
    EXPECT_EQ(101, rig.top->GetFixedHeight());
    rig.w.Mouse(WM_MOUSEMOVE, 50, 97, MK_LBUTTON);
    EXPECT_EQ(100, rig.top->GetFixedHeight());
    rig.w.Mouse(WM_MOUSEMOVE, 50, 120, MK_LBUTTON);
    EXPECT_EQ(0, rig.w.pm().GetPostPaintCount());
    EXPECT_EQ(123, rig.top->GetFixedHeight());
    rig.Layout();
    EXPECT_EQ(Str(Rc(0, 0, 200, 123)), Str(rig.top->GetPos()));
    rig.w.Mouse(WM_LBUTTONUP, 50, 120);
}

TEST(LineLayoutDrag, LimitsStopTheDragAndZeroIsNeverReached)
{
    struct Case {
        const wchar_t* attrs;
        std::vector<int> ys;
        int height;
    } cases[] = {
        { L"sepheight=\"6\" minheight=\"60\"", { 80, 20 }, 60 },
        { L"sepheight=\"6\" maxheight=\"150\"", { 200, 280 }, 150 },
        // Without a minimum the floor is 1 px: 0 would turn the pane automatic.
        { L"sepheight=\"6\"", { 50, 0, -10 }, 1 },
        // A strip at the top edge moves the top.
        { L"sepheight=\"-6\" minheight=\"20\"", { 40, 90 }, 20 },
    };
    for (const Case& c : cases) {
        SplitRig rig(c.attrs);
        rig.Layout();
        const int y0 = rig.top->GetSepHeight() > 0 ? 97 : 2;
        rig.w.Mouse(WM_LBUTTONDOWN, 50, y0, MK_LBUTTON);
        for (int y : c.ys) rig.w.Mouse(WM_MOUSEMOVE, 50, y, MK_LBUTTON);
        rig.w.Mouse(WM_LBUTTONUP, 50, c.ys.back());
        rig.Layout();
        EXPECT_EQ(c.height, rig.top->GetFixedHeight()) << c.ys.back();
        EXPECT_EQ(c.height, rig.top->GetHeight()) << c.ys.back();
    }
}

TEST(LineLayoutDrag, HorizontalSplitterFollowsTheMouse)
{
    ManagedWindow w(300, 100, true);
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    CHorizontalLayoutUI* left = new CHorizontalLayoutUI;
    left->SetFixedWidth(100);
    left->SetSepWidth(5);
    root->Add(left);
    root->Add(new ProbeUI);
    w.Attach(root);
    root->SetPos(Rc(0, 0, 300, 100));
    w.Mouse(WM_LBUTTONDOWN, 97, 50, MK_LBUTTON);
    w.Mouse(WM_MOUSEMOVE, 140, 50, MK_LBUTTON);
    w.Mouse(WM_LBUTTONUP, 140, 50);
    root->SetPos(Rc(0, 0, 300, 100));
    EXPECT_EQ(143, left->GetWidth());
}

} // namespace
