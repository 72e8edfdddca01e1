#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <vector>
#include "core/ContainerUI.h"
#include "core/ScrollBarUI.h"
#include "core/VerticalLayoutUI.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { ProbeUI::s_destroyed = 0; }
};

// ---- the child list and ownership ----

TEST_F(ContainerTest, RefusedAddsLeaveNoTrace)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    ProbeUI* a = new ProbeUI(L"a");
    EXPECT_FALSE(root->Add(NULL));
    EXPECT_TRUE(root->Add(a));
    EXPECT_FALSE(root->Add(a)) << "a second listing would mean a double delete";
    EXPECT_FALSE(root->AddAt(a, 0));

    ProbeUI* b = new ProbeUI(L"b");
    EXPECT_FALSE(root->AddAt(b, 5));
    EXPECT_FALSE(root->AddAt(b, -1));
    EXPECT_EQ(1, root->GetCount());
    EXPECT_EQ(nullptr, w.pm().FindControl(L"b")) << "a refused child must not be registered by name";
    EXPECT_EQ(nullptr, b->GetManager());
    EXPECT_TRUE(root->AddAt(b, 0));
    EXPECT_EQ(b, root->GetItemAt(0));
    EXPECT_EQ(a, root->GetItemAt(1));
    EXPECT_EQ(b, w.pm().FindControl(L"b"));
    EXPECT_EQ(root, b->GetParent());
    EXPECT_EQ(nullptr, root->GetItemAt(2));
    EXPECT_EQ(-1, root->GetItemIndex(NULL));
}

TEST_F(ContainerTest, SetItemIndexMovesOrChangesNothing)
{
    CContainerUI c;
    ProbeUI* p[3] = { new ProbeUI(L"0"), new ProbeUI(L"1"), new ProbeUI(L"2") };
    for (ProbeUI* x : p) ASSERT_TRUE(c.Add(x));

    struct Case {
        int index;
        bool ok;
        const wchar_t* order;
    } cases[] = {
        { 3, false, L"012" },
        { -1, false, L"012" },
        { 2, true, L"120" },
        { 0, true, L"012" },
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.ok, c.SetItemIndex(p[0], k.index)) << k.index;
        std::wstring order;
        for (int i = 0; i < c.GetCount(); i++) order += c.GetItemAt(i)->GetName().GetData();
        EXPECT_EQ(k.order, order) << "index " << k.index;
    }
    ProbeUI stranger;
    EXPECT_FALSE(c.SetItemIndex(&stranger, 0));
    EXPECT_EQ(3, c.GetCount());
}

// Long and short child lists alike: every way in and out keeps the order, the indexes and
// the refusal of a control that is already a child, checked against a plain model.
TEST_F(ContainerTest, ChildListMatchesAModelThroughEveryAddAndRemovePath)
{
    const int kControls = 150;
    std::vector<std::unique_ptr<ProbeUI>> pool;
    for (int i = 0; i < kControls; i++) pool.emplace_back(new ProbeUI);
    CContainerUI c;
    c.SetAutoDestroy(false);
    std::vector<CControlUI*> model;
    auto inModel = [&](CControlUI* p) { return std::find(model.begin(), model.end(), p) != model.end(); };
    auto check = [&](int step) {
        ASSERT_EQ(static_cast<int>(model.size()), c.GetCount()) << "step " << step;
        for (int i = 0; i < c.GetCount(); i++) {
            ASSERT_EQ(model[static_cast<size_t>(i)], c.GetItemAt(i)) << "step " << step << ", row " << i;
            ASSERT_EQ(i, c.GetItemIndex(c.GetItemAt(i))) << "step " << step << ", row " << i;
        }
        for (auto& p : pool) {
            if (!inModel(p.get())) {
                ASSERT_EQ(-1, c.GetItemIndex(p.get())) << "step " << step;
            }
        }
    };

    // A fixed pseudo-random walk that grows past a hundred children, shrinks to a few and
    // grows again, so both short and long lists see every operation.
    unsigned seed = 12345;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int step = 0; step < 1500; step++) {
        const bool growing = (step / 300) % 2 == 0;
        CControlUI* p = pool[next(kControls)].get();
        const int n = static_cast<int>(model.size());
        const unsigned op = growing ? next(6) : next(4) == 0 ? next(4) : 4 + next(6);
        switch (op) {
        case 0:
        case 1: // append, refused for a child
            EXPECT_EQ(!inModel(p), c.Add(p)) << "step " << step;
            if (!inModel(p)) model.push_back(p);
            break;
        case 2:
        case 3: { // insert anywhere, refused for a child
            const int at = static_cast<int>(next(static_cast<unsigned>(n + 1)));
            EXPECT_EQ(!inModel(p), c.AddAt(p, at)) << "step " << step;
            if (!inModel(p)) model.insert(model.begin() + at, p);
            break;
        }
        case 4: { // move
            if (n == 0) break;
            const int at = static_cast<int>(next(static_cast<unsigned>(n)));
            CControlUI* q = model[next(static_cast<unsigned>(n))];
            EXPECT_TRUE(c.SetItemIndex(q, at));
            model.erase(std::find(model.begin(), model.end(), q));
            model.insert(model.begin() + at, q);
            break;
        }
        case 5: // remove a stranger or a child by pointer
            EXPECT_EQ(inModel(p), c.Remove(p)) << "step " << step;
            if (inModel(p)) model.erase(std::find(model.begin(), model.end(), p));
            break;
        case 6: // the first, the last, or one in the middle by index
        case 7:
        case 8: {
            if (n == 0) {
                EXPECT_FALSE(c.RemoveAt(0));
                break;
            }
            const int at = step % 3 == 0 ? 0 : step % 3 == 1 ? n - 1 : static_cast<int>(next(static_cast<unsigned>(n)));
            EXPECT_TRUE(c.RemoveAt(at));
            model.erase(model.begin() + at);
            break;
        }
        case 9: { // a run of children, possibly none, possibly reaching past the end
            const int at = static_cast<int>(next(static_cast<unsigned>(n + 1)));
            const int count = static_cast<int>(next(8));
            const bool fits = at + count <= n;
            EXPECT_EQ(fits, c.RemoveRange(at, count)) << "step " << step;
            if (fits) model.erase(model.begin() + at, model.begin() + at + count);
            break;
        }
        }
        check(step);
        if (step == 700) {
            c.RemoveAll();
            model.clear();
            check(step);
        }
        if (HasFatalFailure()) return;
    }
    EXPECT_FALSE(c.RemoveRange(-1, 1));
    EXPECT_FALSE(c.RemoveRange(0, -1));
    c.RemoveAll();
    EXPECT_EQ(0, ProbeUI::s_destroyed) << "without auto destroy the container owns nothing";
}

TEST_F(ContainerTest, DelayedDestroyWaitsForTheCleanupMessage)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    ProbeUI* a = new ProbeUI(L"a");
    root->Add(a);
    // The destroy handler must no longer find the child in its container.
    a->m_context = root;
    static int s_listedAtDestroy;
    s_listedAtDestroy = -2;
    void (*const onDestroy)(ProbeUI*) = [](ProbeUI* self) {
        s_listedAtDestroy = static_cast<CContainerUI*>(self->m_context)->GetItemIndex(self);
    };
    a->m_onDestroy = onDestroy;
    EXPECT_TRUE(root->Remove(a));
    EXPECT_EQ(0, root->GetCount());
    EXPECT_EQ(0, ProbeUI::s_destroyed) << "deleted before the cleanup message";
    EXPECT_TRUE(PumpUntil([] { return ProbeUI::s_destroyed == 1; }));
    EXPECT_EQ(-1, s_listedAtDestroy);

    // Without delayed destroy the child goes at once, unlinked first as well.
    ProbeUI* b = new ProbeUI(L"b");
    root->Add(b);
    b->m_context = root;
    b->m_onDestroy = onDestroy;
    s_listedAtDestroy = -2;
    root->SetDelayedDestroy(false);
    EXPECT_TRUE(root->RemoveAt(0));
    EXPECT_EQ(2, ProbeUI::s_destroyed);
    EXPECT_EQ(-1, s_listedAtDestroy);
    EXPECT_FALSE(root->RemoveAt(0));
}

TEST_F(ContainerTest, RemovalsBeforeAndAfterACleanupRoundAreAllReaped)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    for (int i = 0; i < 40; i++) root->Add(new ProbeUI);
    // A batch joins the cleanup already on its way; then a later batch needs one of its own.
    for (int i = 0; i < 20; i++) ASSERT_TRUE(root->RemoveAt(0));
    EXPECT_EQ(0, ProbeUI::s_destroyed);
    EXPECT_TRUE(PumpUntil([] { return ProbeUI::s_destroyed == 20; }));
    for (int i = 0; i < 10; i++) ASSERT_TRUE(root->RemoveAt(root->GetCount() - 1));
    EXPECT_EQ(20, ProbeUI::s_destroyed);
    EXPECT_TRUE(PumpUntil([] { return ProbeUI::s_destroyed == 30; }));
    root->RemoveAll();
    EXPECT_TRUE(PumpUntil([] { return ProbeUI::s_destroyed == 40; }));
}

// A thread's posted-message queue holds 10,000 messages on Windows: a cleanup that posted one
// wake per control would crowd out everything after it, the window's own WM_CLOSE included.
TEST_F(ContainerTest, RemovingMoreChildrenThanAQueueHoldsPostsOneWakeAndTheWindowStillCloses)
{
    const int kChildren = 12000;
    auto w = std::make_unique<ManagedWindow>();
    CContainerUI* root = new CContainerUI;
    w->Attach(root);
    for (int i = 0; i < kChildren; i++) ASSERT_TRUE(root->Add(new ProbeUI));
    root->RemoveAll();
    EXPECT_EQ(0, ProbeUI::s_destroyed);

    // Take the wakes off the queue without running them, then hand one back.
    int nWakes = 0;
    MSG msg;
    while (::PeekMessageW(&msg, w->hwnd(), WM_APP + 1, WM_APP + 1, PM_REMOVE)) nWakes++;
    EXPECT_EQ(1, nWakes);
    ASSERT_TRUE(::PostMessageW(w->hwnd(), WM_APP + 1, 0, 0));
    ASSERT_TRUE(::PostMessageW(w->hwnd(), WM_CLOSE, 0, 0));
    const HWND hwnd = w->hwnd();
    EXPECT_TRUE(PumpUntil([&] { return ProbeUI::s_destroyed == kChildren; }, 20000));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }, 5000)) << "the posted close never arrived";
}

TEST_F(ContainerTest, RemoveAllWithoutAutoDestroyLeavesChildrenAlive)
{
    ProbeUI a(L"a"), b(L"b");
    {
        CContainerUI c;
        c.SetAutoDestroy(false);
        c.Add(&a);
        c.Add(&b);
        c.RemoveAll();
        EXPECT_EQ(0, c.GetCount());
        EXPECT_EQ(0, ProbeUI::s_destroyed);
    }
    EXPECT_EQ(0, ProbeUI::s_destroyed) << "a container without auto destroy owns nothing";
}

TEST_F(ContainerTest, DestructorDeletesChildrenAtOnceEvenWithAManager)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    CContainerUI* inner = new CContainerUI;
    root->Add(inner);
    inner->Add(new ProbeUI(L"x"));
    inner->Add(new ProbeUI(L"y"));
    root->SetDelayedDestroy(false);
    root->Remove(inner);
    EXPECT_EQ(2, ProbeUI::s_destroyed);
}

// ---- propagation ----

TEST_F(ContainerTest, HidingAContainerHidesItsSubtreeAndDropsTheFocus)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    CContainerUI* panel = new CContainerUI;
    CContainerUI* inner = new CContainerUI;
    ProbeUI* leaf = new ProbeUI(L"leaf");
    root->Add(panel);
    panel->Add(inner);
    inner->Add(leaf);
    w.Attach(root);

    w.pm().SetFocus(leaf);
    ASSERT_EQ(leaf, w.pm().GetFocus());
    panel->SetVisible(false);
    EXPECT_FALSE(inner->IsVisible());
    EXPECT_FALSE(leaf->IsVisible());
    EXPECT_EQ(nullptr, w.pm().GetFocus());

    // A child moved from the hidden panel into a visible container shows again.
    inner->SetAutoDestroy(false);
    inner->Remove(leaf);
    root->Add(leaf);
    EXPECT_TRUE(leaf->IsVisible());

    panel->SetVisible(true);
    EXPECT_TRUE(inner->IsVisible());
}

TEST_F(ContainerTest, EnabledStateCascadesOverTheChildrensOwnFlags)
{
    CContainerUI c;
    ProbeUI* a = new ProbeUI;
    ProbeUI* b = new ProbeUI;
    c.Add(a);
    c.Add(b);
    b->SetEnabled(false);
    c.SetEnabled(false);
    EXPECT_FALSE(a->IsEnabled());
    c.SetEnabled(true);
    EXPECT_TRUE(a->IsEnabled());
    EXPECT_TRUE(b->IsEnabled()) << "the cascade overwrites the child's own flag";
}

TEST_F(ContainerTest, ChildrenAreInitialisedBeforeTheirContainer)
{
    std::vector<std::wstring> log;
    struct LoggingContainer : CContainerUI {
        std::vector<std::wstring>* log;
        void DoInit() override { log->push_back(L"container"); }
    };
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    w.Attach(root);
    LoggingContainer* box = new LoggingContainer;
    box->log = &log;
    box->Add(new ProbeUI(L"first", &log));
    box->Add(new ProbeUI(L"second", &log));
    root->Add(box);
    EXPECT_EQ((std::vector<std::wstring>{ L"first", L"second", L"container" }), log);
}

// ---- scrolling ----

// A container whose bars have a range, children stacked as in a list.
struct ScrollRig {
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    ProbeUI* child = new ProbeUI(L"child");
    ProbeUI* floating = new ProbeUI(L"float");
    ScrollRig(bool vertical, bool horizontal)
    {
        root->Add(child);
        floating->SetFloat(true);
        floating->SetFixedXY(SIZE{ 10, 10 });
        floating->SetFixedWidth(20);
        floating->SetFixedHeight(20);
        root->Add(floating);
        root->SetInset(Rc(5, 6, 7, 8));
        root->EnableScrollBar(vertical, horizontal);
        w.Attach(root);
        if (vertical) root->GetVerticalScrollBar()->SetScrollRange(1000);
        if (horizontal) root->GetHorizontalScrollBar()->SetScrollRange(1000);
    }
};

TEST_F(ContainerTest, LineAndPageStepSizes)
{
    ScrollRig rig(true, true);
    CContainerUI* c = rig.root;
    const int fontLine = rig.w.pm().GetDefaultFontInfo()->tm.tmHeight + 8;
    ASSERT_GT(fontLine, 8);
    c->LineDown();
    EXPECT_EQ(fontLine, c->GetScrollPos().cy);
    c->LineUp();
    EXPECT_EQ(0, c->GetScrollPos().cy);
    c->LineRight();
    EXPECT_EQ(8, c->GetScrollPos().cx);
    c->SetScrollStepSize(30);
    c->SetScrollStepSize(0); // ignored
    c->LineDown();
    c->LineRight();
    EXPECT_EQ(30, c->GetScrollPos().cy);
    EXPECT_EQ(38, c->GetScrollPos().cx);

    // A page is the item size minus the insets and the other bar.
    c->HomeUp();
    c->HomeLeft();
    c->PageDown();
    EXPECT_EQ(300 - 6 - 8 - 16, c->GetScrollPos().cy);
    c->PageRight();
    EXPECT_EQ(400 - 5 - 7 - 16, c->GetScrollPos().cx);
    c->PageUp();
    c->PageLeft();
    EXPECT_EQ(0, c->GetScrollPos().cy);
    EXPECT_EQ(0, c->GetScrollPos().cx);
    c->EndDown();
    c->EndRight();
    EXPECT_EQ(1000, c->GetScrollPos().cy);
    EXPECT_EQ(1000, c->GetScrollPos().cx);
    c->LineDown();
    EXPECT_EQ(1000, c->GetScrollPos().cy) << "the bar clamps to its range";
}

TEST_F(ContainerTest, ScrollingMovesOnlyVisibleNonFloatingChildren)
{
    ScrollRig rig(true, false);
    const RECT child0 = rig.child->GetPos();
    const RECT float0 = rig.floating->GetPos();
    rig.root->SetScrollPos(SIZE{ 0, 40 });
    EXPECT_EQ(child0.top - 40, rig.child->GetPos().top);
    EXPECT_EQ(Str(float0), Str(rig.floating->GetPos()));
    // With no bar for x, only y moves.
    rig.root->SetScrollPos(SIZE{ 50, 40 });
    EXPECT_EQ(child0.left, rig.child->GetPos().left);
}

TEST_F(ContainerTest, KeysAndWheelScrollTheBarThereIs)
{
    struct Case {
        bool vertical;
        int type;
        WPARAM key;
        int dx;
        int dy;
    } cases[] = {
        { true, UIEVENT_KEYDOWN, VK_DOWN, 0, 8 },
        { true, UIEVENT_KEYDOWN, VK_END, 0, 1000 },
        { true, UIEVENT_MOUSEWHEEL, 1, 0, 8 },
        { false, UIEVENT_KEYDOWN, VK_DOWN, 8, 0 }, // Up/Down go sideways with only a horizontal bar
        { false, UIEVENT_KEYDOWN, VK_NEXT, 400 - 5 - 7, 0 },
        { false, UIEVENT_MOUSEWHEEL, 1, 8, 0 },
    };
    for (const Case& k : cases) {
        ScrollRig rig(k.vertical, !k.vertical);
        rig.root->SetScrollStepSize(8);
        TEventUI ev = {};
        ev.type = k.type;
        if (k.type == UIEVENT_KEYDOWN)
            ev.key = static_cast<TCHAR>(k.key);
        else
            ev.wParam = k.key;
        rig.root->DoEvent(ev);
        EXPECT_EQ(k.dx, rig.root->GetScrollPos().cx) << k.vertical << " " << k.key;
        EXPECT_EQ(k.dy, rig.root->GetScrollPos().cy) << k.vertical << " " << k.key;
        // The wheel's low word 0 goes back.
        TEventUI up = {};
        up.type = UIEVENT_MOUSEWHEEL;
        up.wParam = 0;
        rig.root->DoEvent(up);
        if (k.type == UIEVENT_MOUSEWHEEL) {
            EXPECT_EQ(0, rig.root->GetScrollPos().cx);
            EXPECT_EQ(0, rig.root->GetScrollPos().cy);
        }
    }
}

// ---- hit testing ----

TEST_F(ContainerTest, PointSearchRespectsOrderScrollingAndMouseChild)
{
    ManagedWindow w;
    CContainerUI* root = new CContainerUI;
    ProbeUI* under = new ProbeUI(L"under");
    ProbeUI* over = new ProbeUI(L"over");
    root->Add(under);
    root->Add(over);
    w.Attach(root);
    const UINT hit = UIFIND_VISIBLE | UIFIND_HITTEST;
    POINT pt = { 50, 50 };
    EXPECT_EQ(over, root->FindControl(TakeFirst, &pt, hit | UIFIND_REVERSE));
    EXPECT_EQ(under, root->FindControl(TakeFirst, &pt, hit));

    // A child moved out of the inner area (insets 0 here, so below the item) is not hit...
    root->SetInset(Rc(0, 0, 0, 100));
    under->SetPos(Rc(0, 220, 400, 300));
    over->SetPos(Rc(0, 220, 400, 300));
    POINT below = { 50, 250 };
    EXPECT_EQ(root, root->FindControl(TakeFirst, &below, hit | UIFIND_REVERSE));
    // ...a floating one there is.
    over->SetFloat(true);
    over->SetPos(Rc(0, 220, 400, 300));
    EXPECT_EQ(over, root->FindControl(TakeFirst, &below, hit | UIFIND_REVERSE));

    // Without mouse children the container answers, but its bars are still found.
    root->SetInset(Rc(0, 0, 0, 0));
    root->SetPos(Rc(0, 0, 400, 300));
    root->EnableScrollBar(true, false);
    root->GetVerticalScrollBar()->SetPos(Rc(384, 0, 400, 300));
    root->SetMouseChildEnabled(false);
    EXPECT_EQ(root, root->FindControl(TakeFirst, &pt, hit | UIFIND_REVERSE));
    POINT onBar = { 390, 100 };
    EXPECT_EQ(root->GetVerticalScrollBar(), root->FindControl(TakeFirst, &onBar, hit | UIFIND_REVERSE));
}

TEST_F(ContainerTest, SelfFirstOffersTheContainerBeforeItsChildren)
{
    CContainerUI c;
    ProbeUI* a = new ProbeUI;
    c.Add(a);
    std::vector<CControlUI*> visits;
    c.FindControl(RecordVisit, &visits, UIFIND_ALL);
    EXPECT_EQ((std::vector<CControlUI*>{ a, &c }), visits);
    visits.clear();
    c.FindControl(RecordVisit, &visits, UIFIND_SELF_FIRST);
    EXPECT_EQ((std::vector<CControlUI*>{ &c, a }), visits);
}

TEST_F(ContainerTest, FindSelectableSkipsWhatIsNoListItem)
{
    struct ItemUI : ProbeUI {
        LPVOID GetInterface(LPCTSTR name) override
        {
            return wcscmp(name, L"ListItem") == 0 ? this : ProbeUI::GetInterface(name);
        }
    };
    CContainerUI c;
    EXPECT_EQ(-1, c.FindSelectable(0, true));
    c.Add(new ProbeUI); // 0: not an item
    c.Add(new ItemUI);  // 1
    ItemUI* hidden = new ItemUI;
    c.Add(hidden); // 2
    hidden->SetVisible(false);
    c.Add(new ProbeUI); // 3
    EXPECT_EQ(1, c.FindSelectable(0, true));
    EXPECT_EQ(-1, c.FindSelectable(2, true));
    EXPECT_EQ(1, c.FindSelectable(99, false));
    EXPECT_EQ(1, c.FindSelectable(0, false)) << "backwards with nothing behind falls forward";
}

// ---- floating placement ----

TEST_F(ContainerTest, FloatingChildrenKeepTheirAnchors)
{
    ManagedWindow w(300, 200); // the first placement records this size
    CContainerUI* root = new CContainerUI;
    ProbeUI* corner = new ProbeUI(L"corner");
    corner->SetAttribute(L"float", L"true");
    corner->SetAttribute(L"pos", L"-30,-20,-10,-5"); // right and bottom anchored, 20 x 15
    ProbeUI* half = new ProbeUI(L"half");
    half->SetAttribute(L"float", L"true");
    half->SetAttribute(L"pos", L"10,10,50,30");
    half->SetAttribute(L"relativepos", L"50,0,0,0");
    root->Add(corner);
    root->Add(half);
    w.Attach(root);
    root->SetPos(Rc(0, 0, 300, 200));
    EXPECT_EQ(Str(Rc(270, 180, 290, 195)), Str(corner->GetPos()));
    EXPECT_EQ(Str(Rc(10, 10, 50, 30)), Str(half->GetPos()));

    root->SetPos(Rc(0, 0, 400, 260));
    EXPECT_EQ(Str(Rc(370, 240, 390, 255)), Str(corner->GetPos()));
    EXPECT_EQ(Str(Rc(60, 10, 100, 30)), Str(half->GetPos())) << "half of 100 px growth";

    // Growth in one-pixel steps adds up to the same place.
    for (int width = 401; width <= 500; width++) root->SetPos(Rc(0, 0, width, 260));
    EXPECT_EQ(Str(Rc(110, 10, 150, 30)), Str(half->GetPos()));

    // Code that moves the child starts a new recording from there.
    half->SetFixedXY(SIZE{ 0, 0 });
    root->SetPos(Rc(0, 0, 500, 260));
    root->SetPos(Rc(0, 0, 520, 260));
    EXPECT_EQ(Str(Rc(10, 0, 50, 20)), Str(half->GetPos()));
}

// ---- painting ----

TEST_F(ContainerTest, FloatingChildPaintsOverTheInsetOthersAreClipped)
{
    ManagedWindow w(100, 100);
    CContainerUI* root = new CContainerUI;
    root->SetInset(Rc(10, 10, 10, 10));
    ProbeUI* plain = new ProbeUI;
    plain->SetBkColor(0xFFFF0000);
    ProbeUI* floating = new ProbeUI;
    floating->SetBkColor(0xFF00FF00);
    floating->SetFloat(true);
    root->Add(plain);
    root->Add(floating);
    w.Attach(root);
    root->SetPos(Rc(0, 0, 100, 100));
    plain->SetPos(Rc(0, 0, 50, 100));      // reaches into the left inset
    floating->SetPos(Rc(50, 0, 100, 100)); // reaches into the right inset

    painttest::Canvas canvas(100, 100, 0xFFFFFFFF);
    RECT all = Rc(0, 0, 100, 100);
    root->DoPaint(canvas.dc(), all);
    EXPECT_EQ(0xFFFFFFFFu, canvas.At(5, 50)) << "non-floating child clipped to the inner rect";
    EXPECT_EQ(0xFFFF0000u, canvas.At(20, 50));
    EXPECT_EQ(0xFF00FF00u, canvas.At(95, 50)) << "floating child over the inset";
    EXPECT_EQ(0xFF00FF00u, canvas.At(95, 2));
}

} // namespace
