// The list: child routing, selection by mouse, keys and wheel (with rows that cannot be
// selected), the selection fix-ups, scrolling into view, expansion and sorting, and the
// layout of lists nested in lists.
#include "ListTestUtil.h"
#include <algorithm>
#include <cstdlib>
#include <set>
#include "core/ScrollBarUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

// Six rows: 1 and 5 disabled, 3 hidden.
const std::wstring kMixedRows = Rows(1) + Rows(1, L"enabled=\"false\"") + Rows(1) + Rows(1, L"visible=\"false\"") +
                                Rows(1) + Rows(1, L"enabled=\"false\"");

std::wstring ListOf(const std::wstring& rows, const std::wstring& attributes = L"")
{
    return L"<List name=\"list\" vscrollbar=\"true\" " + attributes +
           L"><ListHeader height=\"24\">"
           L"<ListHeaderItem width=\"100\"/><ListHeaderItem/></ListHeader>" +
           rows + L"</List>";
}

// A row that counts how often it is laid out.
class CountingRow : public CControlUI {
public:
    void SetPos(RECT rc) override
    {
        layouts++;
        CControlUI::SetPos(rc);
    }
    int layouts = 0;
};

struct NestedLayouts {
    int first;    // while the window opens
    int again;    // one more layout of the outer list at the same place
    int narrower; // a layout of the outer list 40 pixels narrower: every stretching column changes
    RECT placed;  // where the innermost row ends up
    RECT column;  // the innermost list's stretching column
};

// Lists nested "depth" deep, each the only row of the one around it, the innermost holding
// a counting row 20 pixels high. Each list has a header 20 pixels high of a fixed column 50
// pixels wide and a column that takes the rest of the width.
NestedLayouts LayOutNested(int depth)
{
    basictest::HostWindow win;
    auto withHeader = [](CListUI* pList) {
        CListHeaderUI* pHeader = basictest::Make<CListHeaderUI>(L"height=\"20\"");
        pList->Add(pHeader);
        pList->Add(basictest::Make<CListHeaderItemUI>(L"width=\"50\""));
        pList->Add(new CListHeaderItemUI);
        return pList;
    };
    CListUI* pOuter = withHeader(basictest::Make<CListUI>(L"float=\"true\" pos=\"0,0,200,150\""));
    CListUI* pList = pOuter;
    for (int i = 1; i < depth; i++) {
        CListUI* pInner = withHeader(new CListUI);
        pList->Add(pInner);
        pList = pInner;
    }
    CountingRow* pRow = new CountingRow;
    pRow->SetFixedHeight(20);
    pList->Add(pRow);
    // Hidden, the window lays nothing out by itself (nor can the display's placement of it
    // add a layout): the first layout is the one made here.
    win.Open(basictest::Root({ pOuter }), 220, 170, false);
    NestedLayouts out;
    EXPECT_EQ(0, pRow->layouts);
    const RECT rcOuter = { 0, 0, 200, 150 };
    pOuter->SetPos(rcOuter);
    out.first = pRow->layouts;
    pRow->layouts = 0;
    pOuter->SetPos(pOuter->GetPos());
    out.again = pRow->layouts;
    pRow->layouts = 0;
    RECT rc = pOuter->GetPos();
    rc.right -= 40;
    pOuter->SetPos(rc);
    out.narrower = pRow->layouts;
    out.placed = pRow->GetPos();
    out.column = pList->GetListInfo()->rcColumn[1];
    return out;
}

} // namespace

// Each list laid its body out twice, so every level of nesting doubled the layouts of the
// rows inside it. The second pass runs only when the first changed what the rows depend on
// (the column rectangles, the header items, the body's scroll bars): laid out again at the
// same place, the innermost row of a deep nest is laid out as often as that of a single list;
// narrower, where every level's stretching column changes and each level's second pass runs,
// once more per level, not twice as often per level.
TEST(ListNesting, DepthAddsNoLayoutsOfTheInnermostRow)
{
    const NestedLayouts one = LayOutNested(1);
    const NestedLayouts deep = LayOutNested(16);
    // The first layout changes every level's columns too: each level's second pass runs
    // once.
    EXPECT_EQ(one.first, 2);
    EXPECT_EQ(deep.first, one.first + 15);
    EXPECT_EQ(one.again, 1);
    EXPECT_EQ(deep.again, one.again);
    EXPECT_GE(one.narrower, 2) << "the second pass did not run";
    EXPECT_LE(deep.narrower, one.narrower + 15);
    // Every level's header takes its 20 pixels above the list inside it, and the innermost
    // stretching column and row follow the narrower width.
    EXPECT_EQ(Str(one.placed), "(0,20,160,40)");
    EXPECT_EQ(Str(deep.placed), "(0,320,160,340)");
    EXPECT_EQ(Str(one.column), "(50,0,160,20)");
    EXPECT_EQ(Str(deep.column), "(50,300,160,320)");
}

typedef ListWindowTest ListSelection;

TEST_F(ListSelection, RowsAreNumberedOwnedAndRoutedToTheBody)
{
    Open(ListOf(Rows(3)));
    ASSERT_EQ(3, List()->GetCount());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, Row(i)->GetIndex());
        EXPECT_EQ(static_cast<IListOwnerUI*>(List()), Row(i)->GetOwner());
        EXPECT_EQ(List()->GetList(), Row(i)->GetParent());
        EXPECT_EQ(i, List()->GetItemIndex(Row(i)));
    }
    EXPECT_EQ(static_cast<IListUI*>(List()), List()->GetInterface(L"IList"));
    EXPECT_EQ(static_cast<IListOwnerUI*>(List()), List()->GetInterface(L"IListOwner"));
    EXPECT_EQ(static_cast<void*>(List()), List()->GetInterface(L"List"));
    EXPECT_EQ(static_cast<UINT>(UIFLAG_TABSTOP), List()->GetControlFlags());
    EXPECT_EQ(-1, List()->GetCurSel());
    // Searches address the body's rows.
    EXPECT_EQ(2, List()->FindSelectable(2, true));
}

TEST_F(ListSelection, ClickSelectsAndKeysFollowFromTheFocusedRow)
{
    Open(ListOf(kMixedRows));
    const RECT rc2 = Row(2)->GetPos();
    m_win.Click((rc2.left + rc2.right) / 2, (rc2.top + rc2.bottom) / 2);
    EXPECT_EQ(2, List()->GetCurSel());
    EXPECT_TRUE(Row(2)->IsSelected());
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 2, -1 } }), Selects());
    EXPECT_EQ(1, m_win.Count(L"itemclick", Row(2)));

    // The clicked row has the focus and hands the arrow key to the list.
    m_win.Clear();
    m_win.Key(VK_DOWN);
    EXPECT_EQ(4, List()->GetCurSel());
    EXPECT_FALSE(Row(2)->IsSelected());
    EXPECT_TRUE(Row(4)->IsSelected());
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 4, 2 } }), Selects());

    // Return activates the selected row.
    m_win.Clear();
    List()->SetFocus();
    m_win.Key(VK_RETURN);
    EXPECT_EQ(1, m_win.Count(L"itemactivate", Row(4)));
}

TEST_F(ListSelection, KeysSkipRowsThatCannotBeSelectedAndKeepTheSelectionAtTheEdges)
{
    struct Case {
        int start;
        UINT key;
        int expected;
        bool notified;
    } cases[] = {
        { 2, VK_DOWN, 4, true }, { 4, VK_DOWN, 4, false }, // only a disabled row lies ahead
        { 4, VK_UP, 2, true },   { 2, VK_UP, 0, true },
        { 0, VK_UP, 0, false },  { 4, VK_END, 4, false }, // nothing selectable from the end on
        { 4, VK_HOME, 0, true }, { 0, VK_HOME, 0, false },
    };
    Open(ListOf(kMixedRows));
    for (const Case& c : cases) {
        ASSERT_TRUE(List()->SelectItem(c.start));
        List()->SetFocus();
        m_win.Clear();
        m_win.Key(c.key);
        EXPECT_EQ(c.expected, List()->GetCurSel()) << "from " << c.start << " key " << c.key;
        EXPECT_TRUE(Row(c.expected)->IsSelected()) << "from " << c.start << " key " << c.key;
        EXPECT_EQ(c.notified ? 1u : 0u, Selects().size()) << "from " << c.start << " key " << c.key;
    }
}

TEST_F(ListSelection, EndSelectsTheLastRowWhenItCanBeSelected)
{
    Open(ListOf(Rows(4)));
    List()->SetFocus();
    m_win.Key(VK_END);
    EXPECT_EQ(3, List()->GetCurSel());
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 3, -1 } }), Selects());
}

TEST_F(ListSelection, PageKeysScrollWithoutMovingTheSelection)
{
    Open(ListOf(Rows(30)));
    ASSERT_TRUE(List()->SelectItem(0));
    List()->SetFocus();
    m_win.Clear();
    const RECT rcBody = List()->GetList()->GetPos(); // 24..200: a page of 176 pixels
    m_win.Key(VK_NEXT);
    EXPECT_EQ(rcBody.bottom - rcBody.top, List()->GetScrollPos().cy);
    m_win.Key(VK_PRIOR);
    EXPECT_EQ(0, List()->GetScrollPos().cy);
    EXPECT_EQ(0, List()->GetCurSel());
    EXPECT_TRUE(Selects().empty());
}

TEST_F(ListSelection, WheelScrollsLinesOrMovesTheSelection)
{
    Open(ListOf(Rows(30)));
    ASSERT_TRUE(List()->SelectItem(1));
    m_win.Clear();
    const RECT rc = Row(2)->GetPos();
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    m_win.Wheel(x, y, -120);
    const int iLine = m_win.pm().GetDefaultFontInfo()->tm.tmHeight + 8;
    EXPECT_EQ(iLine, List()->GetScrollPos().cy);
    EXPECT_EQ(1, List()->GetCurSel());
    m_win.Wheel(x, y, 120);
    EXPECT_EQ(0, List()->GetScrollPos().cy);
    EXPECT_TRUE(Selects().empty());
}

TEST_F(ListSelection, WheelWithScrollSelectMovesTheSelectionOneSelectableRow)
{
    Open(ListOf(kMixedRows, L"scrollselect=\"true\""));
    ASSERT_TRUE(List()->SelectItem(2));
    m_win.Clear();
    const RECT rc0 = Row(0)->GetPos();
    m_win.Wheel(rc0.left + 5, rc0.top + 5, -120);
    EXPECT_EQ(4, List()->GetCurSel());
    m_win.Wheel(rc0.left + 5, rc0.top + 5, -120); // nothing selectable below: kept
    EXPECT_EQ(4, List()->GetCurSel());
    EXPECT_TRUE(Row(4)->IsSelected());
    m_win.Wheel(rc0.left + 5, rc0.top + 5, 120);
    EXPECT_EQ(2, List()->GetCurSel());
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 4, 2 }, { 2, 4 } }), Selects());
}

TEST_F(ListSelection, RefusedTargetsLeaveTheSelectionAsItWas)
{
    Open(ListOf(kMixedRows + L"<TestRow refuse=\"true\"/>"));
    ASSERT_TRUE(List()->SelectItem(2));
    m_win.Clear();
    EXPECT_FALSE(List()->SelectItem(1));  // disabled
    EXPECT_FALSE(List()->SelectItem(99)); // no such row
    EXPECT_EQ(2, List()->GetCurSel());
    EXPECT_TRUE(Row(2)->IsSelected());
    EXPECT_TRUE(List()->SelectItem(2)); // already selected
    EXPECT_TRUE(Selects().empty());

    // -1 clears, quietly.
    EXPECT_FALSE(List()->SelectItem(-1));
    EXPECT_EQ(-1, List()->GetCurSel());
    EXPECT_FALSE(Row(2)->IsSelected());
    EXPECT_TRUE(Selects().empty());

    // A row that refuses although it is enabled gives the selection back.
    ASSERT_TRUE(List()->SelectItem(2));
    m_win.Clear();
    EXPECT_FALSE(List()->SelectItem(6));
    EXPECT_EQ(2, List()->GetCurSel());
    EXPECT_TRUE(Row(2)->IsSelected());
    EXPECT_FALSE(OwnRow(6)->IsSelected());
    EXPECT_TRUE(Selects().empty());

    EXPECT_TRUE(List()->SelectItemActivate(4));
    EXPECT_EQ(4, List()->GetCurSelActivate());
    EXPECT_EQ(Row(4), m_win.pm().GetFocus());

    // Hiding the selected row leaves no selection, quietly.
    m_win.Clear();
    Row(4)->SetVisible(false);
    EXPECT_EQ(-1, List()->GetCurSel());
    EXPECT_FALSE(Row(4)->IsSelected());
    EXPECT_TRUE(Selects().empty());
}

TEST_F(ListSelection, RemovalsInsertionsAndMovesKeepTheSelectionOnItsRow)
{
    Open(ListOf(Rows(6)));
    CListLabelElementUI* sel = Row(3);
    ASSERT_TRUE(List()->SelectItem(3));
    m_win.Clear();

    // A row before the selection: the number shrinks, nothing is sent.
    EXPECT_TRUE(List()->RemoveAt(0));
    EXPECT_EQ(2, List()->GetCurSel());
    EXPECT_EQ(sel, List()->GetItemAt(2));
    // A row inserted before it: the number grows; the rows are renumbered.
    CListLabelElementUI* added = new CListLabelElementUI;
    EXPECT_TRUE(List()->AddAt(added, 1));
    EXPECT_EQ(3, List()->GetCurSel());
    for (int i = 0; i < List()->GetCount(); ++i) EXPECT_EQ(i, Row(i)->GetIndex());
    EXPECT_EQ(static_cast<IListOwnerUI*>(List()), added->GetOwner());
    // A move: the selection follows its row.
    EXPECT_TRUE(List()->SetItemIndex(sel, 0));
    EXPECT_EQ(0, List()->GetCurSel());
    EXPECT_EQ(0, sel->GetIndex());
    for (int i = 0; i < List()->GetCount(); ++i) EXPECT_EQ(i, Row(i)->GetIndex());
    EXPECT_TRUE(Selects().empty());
    CListLabelElementUI stranger;
    EXPECT_FALSE(List()->Remove(&stranger));
    EXPECT_FALSE(List()->SetItemIndex(&stranger, 0));

    // The selected row itself: the nearest selectable row at its position (the one that
    // moved up) or before it, with a notice.
    ASSERT_TRUE(List()->SelectItem(3));
    m_win.Clear();
    CListLabelElementUI* next = Row(4);
    EXPECT_TRUE(List()->Remove(Row(3)));
    EXPECT_EQ(3, List()->GetCurSel());
    EXPECT_TRUE(next->IsSelected());
    Row(2)->SetEnabled(false);
    EXPECT_TRUE(List()->RemoveAt(3));
    EXPECT_EQ(3, List()->GetCurSel()); // the last row, after the disabled one
    CListLabelElementUI* last = Row(3);
    EXPECT_TRUE(last->IsSelected());
    EXPECT_TRUE(List()->RemoveAt(3));
    EXPECT_EQ(1, List()->GetCurSel()); // backwards past the disabled row
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 3, -1 }, { 3, -1 }, { 1, -1 } }), Selects());

    List()->RemoveAll();
    EXPECT_EQ(-1, List()->GetCurSel());
    EXPECT_EQ(0, List()->GetCount());
}

// Rows inserted at the top leave the later rows' numbers to be settled when they are read:
// a later row acting on its own number (a click selects it, a paint picks its alternate
// background) finds its position, before anything else asked for an index.
TEST_F(ListSelection, RowsInsertedAtTheTopActOnTheirNewPositions)
{
    Open(ListOf(Rows(6), L"itemaltbk=\"true\" itembkcolor=\"#FFFF0000\" bkcolor=\"#FFFFFFFF\""), 300, 300);
    CListLabelElementUI* clicked = Row(1);
    const RECT rc = clicked->GetPos();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(List()->AddAt(new CListLabelElementUI, 0));
    ASSERT_EQ(clicked, Row(4));
    m_win.Clear();
    // A press and release with no move: handled before the paint that the inserts asked
    // for, so the row is still where it was and nothing has read an index yet.
    m_win.Down((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    m_win.Up((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    EXPECT_TRUE(clicked->IsSelected());
    EXPECT_EQ(4, List()->GetCurSel());
    EXPECT_EQ((std::vector<std::pair<int, int>>{ { 4, -1 } }), Selects());

    List()->SelectItem(-1);
    ASSERT_TRUE(List()->AddAt(new CListLabelElementUI, 0));
    m_win.Update();
    painttest::Canvas canvas(300, 300, 0xFF00FF00);
    m_win.PaintTo(canvas);
    for (int i = 0; i < List()->GetCount(); ++i) {
        const RECT row = Row(i)->GetPos();
        ASSERT_LT(row.bottom, 300);
        EXPECT_EQ(i % 2 == 0 ? 0xFF0000u : 0xFFFFFFu, basictest::Rgb(canvas.At(row.right - 30, row.top + 10)))
            << "row " << i;
    }
}

TEST_F(ListSelection, SelectingScrollsTheRowIntoViewByTheExactStep)
{
    Open(ListOf(Rows(20))); // rows of 20 in a body from 24 to 200
    const RECT rcBody = List()->GetList()->GetPos();
    ASSERT_EQ(24, rcBody.top);
    ASSERT_EQ(200, rcBody.bottom);

    // Without a selection nothing scrolls, even for a row out of view.
    List()->EnsureVisible(15);
    EXPECT_EQ(0, List()->GetScrollPos().cy);

    ASSERT_TRUE(List()->SelectItem(15));
    EXPECT_EQ(24 + 16 * 20 - 200, List()->GetScrollPos().cy);
    EXPECT_EQ(200, Row(15)->GetPos().bottom);
    ASSERT_TRUE(List()->SelectItem(0));
    EXPECT_EQ(0, List()->GetScrollPos().cy);
    EXPECT_EQ(24, Row(0)->GetPos().top);
    // A row already in view does not scroll.
    ASSERT_TRUE(List()->SelectItem(3));
    EXPECT_EQ(0, List()->GetScrollPos().cy);
}

TEST_F(ListSelection, OnlyRowsThatAcceptItExpand)
{
    Open(ListOf(Rows(1) + L"<TestRow expandable=\"true\"/><TestRow expandable=\"true\"/>"
                          L"<TestRow expandable=\"true\" visible=\"false\"/>"));
    EXPECT_FALSE(List()->ExpandItem(0)); // the standard rows refuse
    EXPECT_EQ(-1, List()->GetExpandedItem());
    EXPECT_FALSE(List()->ExpandItem(3)); // hidden
    EXPECT_FALSE(List()->ExpandItem(9)); // missing

    EXPECT_TRUE(List()->ExpandItem(1));
    EXPECT_EQ(1, List()->GetExpandedItem());
    EXPECT_TRUE(OwnRow(1)->IsExpanded());
    // One expanded row at a time, unless several are allowed.
    EXPECT_TRUE(List()->ExpandItem(2));
    EXPECT_FALSE(OwnRow(1)->IsExpanded());
    EXPECT_TRUE(OwnRow(2)->IsExpanded());
    List()->SetMultiExpanding(true);
    EXPECT_TRUE(List()->ExpandItem(1));
    EXPECT_TRUE(OwnRow(1)->IsExpanded());
    EXPECT_TRUE(OwnRow(2)->IsExpanded());
    EXPECT_TRUE(List()->ExpandItem(1, false));
}

// ---- sorting ----

namespace {

int g_calls = 0;

// The sorting key of a row: its text as a number.
int Key(CControlUI* row)
{
    return _wtoi(row->GetText().GetData());
}
int Key(UINT_PTR row)
{
    return Key(reinterpret_cast<CControlUI*>(row));
}

int CALLBACK ByKey(UINT_PTR a, UINT_PTR b, UINT_PTR descending)
{
    ++g_calls;
    const int d = Key(a) - Key(b);
    return descending != 0 ? -d : d;
}

// Claims every pair is in the wrong order.
int CALLBACK AlwaysLess(UINT_PTR, UINT_PTR, UINT_PTR)
{
    ++g_calls;
    return -1;
}

// A cycle: 0 < 1 < 2 < 0 by key modulo 3.
int CALLBACK Cyclic(UINT_PTR a, UINT_PTR b, UINT_PTR)
{
    ++g_calls;
    const int ka = Key(a) % 3, kb = Key(b) % 3;
    if (ka == kb) return 0;
    return (ka + 1) % 3 == kb ? -1 : 1;
}

// A different answer on every call.
int CALLBACK Random(UINT_PTR, UINT_PTR, UINT_PTR)
{
    ++g_calls;
    return std::rand() % 3 - 1;
}

std::wstring KeyedRows(int n)
{
    std::wstring out;
    for (int i = 0; i < n; ++i) out += Rows(1, L"text=\"" + std::to_wstring((i * 7919) % n) + L"\"");
    return out;
}

} // namespace

TEST_F(ListSelection, SortingOrdersRenumbersAndLeavesNoSelection)
{
    Open(ListOf(KeyedRows(50)));
    ASSERT_TRUE(List()->SelectItem(7));
    CListLabelElementUI* first = Row(0);
    m_win.Clear();

    EXPECT_FALSE(List()->SortItems(NULL, 0));
    EXPECT_EQ(first, Row(0));
    EXPECT_EQ(7, List()->GetCurSel());

    EXPECT_TRUE(List()->SortItems(&ByKey, 1));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(49 - i, Key(Row(i)));
        EXPECT_EQ(i, Row(i)->GetIndex());
        EXPECT_FALSE(Row(i)->IsSelected());
    }
    EXPECT_EQ(-1, List()->GetCurSel());
    EXPECT_TRUE(Selects().empty());
    // The rows were laid out in their new order.
    EXPECT_EQ(24, Row(0)->GetPos().top);
    EXPECT_EQ(44, Row(1)->GetPos().top);
}

TEST_F(ListSelection, InconsistentComparatorsEndInSomeOrderWithinBoundedWork)
{
    struct Case {
        const char* name;
        PListCompareFunc compare;
    } cases[] = { { "always less", &AlwaysLess }, { "cyclic", &Cyclic }, { "random", &Random } };
    const int n = 300;
    Open(ListOf(KeyedRows(n)));
    std::set<CControlUI*> before;
    for (int i = 0; i < n; ++i) before.insert(List()->GetItemAt(i));
    std::srand(12345);
    for (const Case& c : cases) {
        g_calls = 0;
        EXPECT_TRUE(List()->SortItems(c.compare, 0)) << c.name;
        std::set<CControlUI*> after;
        for (int i = 0; i < n; ++i) {
            after.insert(List()->GetItemAt(i));
            EXPECT_EQ(i, Row(i)->GetIndex()) << c.name;
        }
        EXPECT_EQ(before, after) << c.name << ": every row once, no other pointer";
        // A merge sort compares at most n per halving level.
        EXPECT_LE(g_calls, n * 9) << c.name;
    }
}
