#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "core/TileLayoutUI.h"
#include "core/DialogBuilder.h"
#include "core/TabLayoutUI.h"
#include "core/VerticalLayoutUI.h"
#include "TreeTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// ---- tile ----

TEST(TileLayout, ColumnsFollowTheItemWidth)
{
    struct Case {
        int width;
        const wchar_t* itemsize;
        const wchar_t* columns;
        int cols;
        int cell;
    } cases[] = {
        { 300, L"100,80", nullptr, 3, 100 }, { 250, L"100,80", nullptr, 2, 125 }, { 80, L"100,80", nullptr, 1, 80 },
        { 300, nullptr, L"4", 4, 75 },       { 300, nullptr, L"0", 1, 300 }, // refused: the default single column stays
    };
    for (const Case& c : cases) {
        ManagedWindow w;
        CTileLayoutUI* tile = new CTileLayoutUI;
        if (c.itemsize) tile->SetAttribute(L"itemsize", c.itemsize);
        if (c.columns) tile->SetAttribute(L"columns", c.columns);
        ProbeUI* first = new ProbeUI;
        tile->Add(first);
        w.Attach(tile);
        tile->SetPos(Rc(0, 0, c.width, 200));
        EXPECT_EQ(c.cols, tile->GetColumns()) << c.width;
        EXPECT_EQ(c.cell, first->GetWidth()) << c.width;
    }
}

TEST(TileLayout, NegativeRoomStillGivesOneColumn)
{
    ManagedWindow w;
    CTileLayoutUI* tile = new CTileLayoutUI;
    tile->SetAttribute(L"itemsize", L"50,50");
    tile->SetInset(Rc(60, 0, 60, 0)); // -60 px of room
    tile->Add(new ProbeUI);
    w.Attach(tile);
    tile->SetPos(Rc(0, 0, 60, 100));
    EXPECT_EQ(1, tile->GetColumns());
}

TEST(TileLayout, RowsTakeTheTallestItemAndItemsAreCentred)
{
    ManagedWindow w;
    CTileLayoutUI* tile = new CTileLayoutUI;
    tile->SetColumns(3);
    tile->SetChildPadding(10);
    ProbeUI* k[5] = { Fixed(40, 20), Fixed(0, 50), Fixed(60, 0), Fixed(20, 10), Fixed(0, 0) };
    k[1]->SetPadding(Rc(0, 5, 0, 5)); // the tallest of row 1: 50 + 10
    for (ProbeUI* p : k) tile->Add(p);
    w.Attach(tile);
    tile->SetPos(Rc(0, 0, 300, 500));

    // Cells of 100: tiles 0..95, 105..195, 205..300 (half the padding at the outer
    // columns' inner side, the whole padding between), rows 60 high plus padding 10.
    EXPECT_EQ(Str(Rc(27, 20, 67, 40)), Str(k[0]->GetPos()));
    EXPECT_EQ(Str(Rc(105, 7, 195, 57)), Str(k[1]->GetPos())) << "centred between its top padding and the row's end";
    EXPECT_EQ(Str(Rc(222, 0, 282, 60)), Str(k[2]->GetPos()));
    EXPECT_EQ(Str(Rc(37, 70, 57, 80)), Str(k[3]->GetPos())) << "row 2 starts after row 1 and the padding";
    EXPECT_EQ(Str(Rc(105, 70, 195, 80)), Str(k[4]->GetPos())) << "row 2 is as high as its tallest item";
}

// ---- tab ----

// Counts "tabselect" with its parameters.
struct TabWatcher : INotifyUI {
    std::vector<std::pair<int, int>> selects;
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"tabselect") selects.emplace_back(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
    }
};

struct TabRig {
    ManagedWindow w;
    TabWatcher watch;
    CTabLayoutUI* tab = new CTabLayoutUI;
    ProbeUI* page[3];
    TabRig()
    {
        for (int i = 0; i < 3; i++) {
            page[i] = new ProbeUI(i == 0 ? L"p0" : i == 1 ? L"p1" : L"p2");
            tab->Add(page[i]);
        }
        w.pm().AddNotifier(&watch);
        w.Attach(tab);
        tab->SetPos(Rc(0, 0, 400, 300));
    }
    ~TabRig() { w.pm().RemoveNotifier(&watch); }
    std::string Shown() const
    {
        std::string s;
        for (int i = 0; i < tab->GetCount(); i++) s += tab->GetItemAt(i)->IsVisible() ? '1' : '0';
        return s;
    }
};

TEST(TabLayout, FirstPageIsSelectedAndOthersHidden)
{
    TabRig rig;
    EXPECT_EQ(0, rig.tab->GetCurSel());
    EXPECT_EQ("100", rig.Shown());
    EXPECT_EQ(Str(Rc(0, 0, 400, 300)), Str(rig.page[0]->GetPos()));
    EXPECT_TRUE(::IsRectEmpty(&rig.page[1]->GetPos())) << "hidden pages are not placed";
}

TEST(TabLayout, SelectItemSwitchesAndReports)
{
    TabRig rig;
    EXPECT_TRUE(rig.tab->SelectItem(0));
    EXPECT_TRUE(rig.watch.selects.empty()) << "the current page sends nothing";
    EXPECT_FALSE(rig.tab->SelectItem(3));
    EXPECT_FALSE(rig.tab->SelectItem(-1));
    ProbeUI stranger;
    EXPECT_FALSE(rig.tab->SelectItem(&stranger));

    rig.tab->SetInset(Rc(5, 5, 5, 5));
    rig.page[2]->SetPadding(Rc(1, 2, 3, 4));
    EXPECT_TRUE(rig.tab->SelectItem(rig.page[2]));
    EXPECT_EQ(2, rig.tab->GetCurSel());
    EXPECT_EQ("001", rig.Shown());
    EXPECT_EQ(Str(Rc(6, 7, 392, 291)), Str(rig.page[2]->GetPos()));
    ASSERT_EQ(1u, rig.watch.selects.size());
    EXPECT_EQ(2, rig.watch.selects[0].first);
    EXPECT_EQ(0, rig.watch.selects[0].second);
}

TEST(TabLayout, SelectionMovesTheFocusIntoThePage)
{
    ManagedWindow w(400, 300, true);
    CTabLayoutUI* tab = new CTabLayoutUI;
    CVerticalLayoutUI* pages[2];
    ProbeUI* stops[2];
    for (int i = 0; i < 2; i++) {
        pages[i] = new CVerticalLayoutUI;
        stops[i] = Fixed(0, 30, i == 0 ? L"stop0" : L"stop1");
        stops[i]->m_uFlags = UIFLAG_TABSTOP;
        pages[i]->Add(stops[i]);
        tab->Add(pages[i]);
    }
    w.Attach(tab);
    tab->SetPos(Rc(0, 0, 400, 300));
    w.pm().SetFocus(stops[0]);
    ASSERT_TRUE(tab->SelectItem(1));
    // The move waits for a layout when one is pending; a paint pass runs it.
    ::RedrawWindow(w.hwnd(), NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpUntil([&] { return w.pm().GetFocus() == stops[1]; }, 1000);
    EXPECT_EQ(stops[1], w.pm().GetFocus());
}

// Pages that join a hidden tab layout (hidden itself or by its parent), by code or by a skin
// built into it, are sorted as in a shown one: the first is selected and shows with the layout.
TEST(TabLayout, PagesAddedWhileHiddenShowWithTheLayout)
{
    enum Route { kAdd, kAddAt, kSkin };
    const char* const names[] = { "Add", "AddAt", "skin" };
    for (Route route : { kAdd, kAddAt, kSkin }) {
        for (bool byParent : { false, true }) {
            const std::string what = std::string(names[route]) + (byParent ? ", parent hidden" : ", tab hidden");
            ManagedWindow w;
            CVerticalLayoutUI* parent = new CVerticalLayoutUI;
            CTabLayoutUI* tab = new CTabLayoutUI;
            parent->Add(tab);
            w.Attach(parent);
            CControlUI* hidden = byParent ? static_cast<CControlUI*>(parent) : tab;
            hidden->SetVisible(false);

            if (route == kSkin) {
                CDialogBuilder builder;
                ASSERT_NE(nullptr,
                          builder.Create(L"<Window><Control/><Control/><Control/></Window>", NULL, NULL, &w.pm(), tab))
                    << what;
            } else {
                for (int i = 0; i < 3; i++) {
                    if (route == kAdd)
                        tab->Add(new ProbeUI);
                    else
                        tab->AddAt(new ProbeUI, i);
                }
            }
            ASSERT_EQ(3, tab->GetCount()) << what;
            EXPECT_EQ(0, tab->GetCurSel()) << what;

            hidden->SetVisible(true);
            parent->SetPos(Rc(0, 0, 400, 300));
            std::string shown;
            for (int i = 0; i < tab->GetCount(); i++) shown += tab->GetItemAt(i)->IsVisible() ? '1' : '0';
            EXPECT_EQ("100", shown) << what;
            EXPECT_EQ(Str(Rc(0, 0, 400, 300)), Str(tab->GetItemAt(0)->GetPos())) << what;
        }
    }
}

TEST(TabLayout, ListChangesKeepTheSelection)
{
    {
        TabRig rig;
        rig.tab->SelectItem(2);
        rig.tab->Remove(rig.page[2]);
        EXPECT_EQ(0, rig.tab->GetCurSel()) << "removing the selected page selects page 0";
        EXPECT_EQ("10", rig.Shown());
    }
    {
        TabRig rig;
        rig.tab->SelectItem(2);
        rig.tab->Remove(rig.page[0]);
        EXPECT_EQ(1, rig.tab->GetCurSel());
        EXPECT_EQ(rig.page[2], rig.tab->GetItemAt(rig.tab->GetCurSel()));
    }
    {
        TabRig rig;
        rig.tab->SelectItem(1);
        ProbeUI* inserted = new ProbeUI(L"new");
        EXPECT_TRUE(rig.tab->AddAt(inserted, 1));
        EXPECT_EQ(2, rig.tab->GetCurSel());
        EXPECT_EQ(rig.page[1], rig.tab->GetItemAt(2));
        EXPECT_EQ("0010", rig.Shown()) << "a page inserted before the selection is hidden";
        ProbeUI refused;
        EXPECT_FALSE(rig.tab->AddAt(&refused, 9));
        EXPECT_EQ(2, rig.tab->GetCurSel());
    }
    {
        // Without delayed destroy the removed page is gone at once; the selection is
        // worked out from its index alone.
        CTabLayoutUI tab;
        tab.SetDelayedDestroy(false);
        for (int i = 0; i < 3; i++) tab.Add(new ProbeUI);
        tab.SelectItem(1);
        const int before = ProbeUI::s_destroyed;
        EXPECT_TRUE(tab.Remove(tab.GetItemAt(1)));
        EXPECT_EQ(before + 1, ProbeUI::s_destroyed);
        EXPECT_EQ(0, tab.GetCurSel());
        EXPECT_TRUE(tab.GetItemAt(0)->IsVisible());
        EXPECT_TRUE(tab.Remove(tab.GetItemAt(0)));
        EXPECT_EQ(0, tab.GetCurSel());
        EXPECT_FALSE(tab.Remove(NULL));
    }
    {
        TabRig rig;
        rig.tab->RemoveAll();
        EXPECT_EQ(-1, rig.tab->GetCurSel());
        ProbeUI* again = new ProbeUI;
        rig.tab->Add(again);
        EXPECT_EQ(0, rig.tab->GetCurSel());
        EXPECT_TRUE(again->IsVisible());
    }
}

TEST(TabLayout, SelectedIdFromAttributes)
{
    struct Case {
        const wchar_t* value;
        int sel;
    } cases[] = { { L"2", 2 }, { L"7", 0 }, { L"-1", 0 } };
    for (const Case& c : cases) {
        TabRig rig;
        rig.tab->SetAttribute(L"selectedid", c.value);
        EXPECT_EQ(c.sel, rig.tab->GetCurSel()) << c.value;
    }
    // Without a manager (as while a skin is built) the selection still works.
    CTabLayoutUI loose;
    loose.Add(new ProbeUI);
    loose.Add(new ProbeUI);
    loose.SetAttribute(L"selectedid", L"1");
    EXPECT_EQ(1, loose.GetCurSel());
}

} // namespace
