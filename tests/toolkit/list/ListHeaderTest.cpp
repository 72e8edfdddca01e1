// The header: the skin header replacing the built-in one, columns laid out (fixed, shared,
// scaled), their rectangles in the list info, dragging a separator with real mouse messages,
// "headerclick", the cursor, the header following horizontal scrolling (also hidden, and
// with the header removed) and the header's painting.
#include "ListTestUtil.h"
#include "core/ScrollBarUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

CListHeaderItemUI* Column(CListUI* list, int i)
{
    return static_cast<CListHeaderItemUI*>(list->GetHeader()->GetItemAt(i));
}

} // namespace

typedef ListWindowTest ListHeader;

TEST_F(ListHeader, TheSkinHeaderReplacesTheBuiltInOneAndItsItemsBecomeColumns)
{
    Open(L"<List name=\"list\"><ListHeader name=\"hdr\" height=\"24\"><ListHeaderItem width=\"100\"/>"
         L"<ListHeaderItem width=\"80\"/><ListHeaderItem/></ListHeader>" +
         Rows(2) + L"</List>");
    CListHeaderUI* header = List()->GetHeader();
    ASSERT_TRUE(header != NULL);
    EXPECT_EQ(L"hdr", std::wstring(header->GetName().GetData()));
    EXPECT_EQ(0, List()->GetItemIndex(header));
    EXPECT_EQ(List(), header->GetParent());
    EXPECT_EQ(3, List()->GetListInfo()->nColumns);
    EXPECT_EQ(1, List()->GetItemIndex(Column(List(), 1)));

    // Fixed widths, and the rest for the last column; rectangles are the items' own.
    const RECT expected[] = { { 0, 0, 100, 24 }, { 100, 0, 180, 24 }, { 180, 0, 300, 24 } };
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(SameRect(expected[i], Column(List(), i)->GetPos())) << Str(Column(List(), i)->GetPos());
        EXPECT_TRUE(SameRect(expected[i], List()->GetListInfo()->rcColumn[i]))
            << Str(List()->GetListInfo()->rcColumn[i]);
    }
    // Rows start under the header and span the columns.
    EXPECT_EQ(24, Row(0)->GetPos().top);
    EXPECT_EQ(300, Row(0)->GetPos().right);

    // A header item added later is a column too.
    EXPECT_TRUE(List()->Add(new CListHeaderItemUI));
    EXPECT_EQ(4, List()->GetListInfo()->nColumns);
    EXPECT_EQ(2, List()->GetCount());
}

TEST_F(ListHeader, ItemsGivenToTheListGoToTheBuiltInHeaderAndOnlyThirtyTwoAreColumns)
{
    std::wstring items;
    for (int i = 0; i < 40; ++i) items += L"<ListHeaderItem width=\"20\"/>";
    Open(L"<List name=\"list\" hscrollbar=\"true\">" + items + Rows(1) + L"</List>", 500, 200);
    EXPECT_EQ(40, List()->GetHeader()->GetCount());
    EXPECT_EQ(32, List()->GetListInfo()->nColumns);
    for (int i = 0; i < 32; ++i) {
        const RECT expected = { i * 20, 0, i * 20 + 20, Column(List(), 0)->GetPos().bottom };
        EXPECT_TRUE(SameRect(expected, List()->GetListInfo()->rcColumn[i]))
            << i << Str(List()->GetListInfo()->rcColumn[i]);
    }
    EXPECT_EQ(780, Column(List(), 39)->GetPos().left); // laid out, but no column
}

TEST_F(ListHeader, AHiddenHeaderTakesNoHeightButStillGivesColumns)
{
    Open(L"<List name=\"list\" header=\"hidden\"><ListHeader><ListHeaderItem width=\"100\"/><ListHeaderItem/>"
         L"</ListHeader>" +
         Rows(2) + L"</List>");
    EXPECT_FALSE(List()->GetHeader()->IsVisible());
    EXPECT_EQ(0, Row(0)->GetPos().top);
    const RECT r0 = { 0, 0, 100, 0 }, r1 = { 100, 0, 300, 0 };
    EXPECT_TRUE(SameRect(r0, List()->GetListInfo()->rcColumn[0])) << Str(List()->GetListInfo()->rcColumn[0]);
    EXPECT_TRUE(SameRect(r1, List()->GetListInfo()->rcColumn[1])) << Str(List()->GetListInfo()->rcColumn[1]);
    // Its items are hidden again after the layout.
    EXPECT_FALSE(Column(List(), 0)->IsVisible());
}

TEST_F(ListHeader, HeightIsTheTallestItemAndAtLeastTheFontPlusSix)
{
    Open(L"<List name=\"list\"><ListHeader><ListHeaderItem/><ListHeaderItem height=\"40\"/></ListHeader></List>"
         L"<List name=\"small\"><ListHeader><ListHeaderItem height=\"5\"/></ListHeader></List>",
         300, 300);
    const int font = m_win.pm().GetDefaultFontInfo()->tm.tmHeight;
    EXPECT_EQ(font + 14, Column(List(), 0)->EstimateSize(CSize()).cy);
    EXPECT_EQ(40, List()->GetHeader()->GetHeight());
    CListUI* small = static_cast<CListUI*>(m_win.pm().FindControl(L"small"));
    EXPECT_EQ(font + 6, small->GetHeader()->GetHeight());
}

TEST_F(ListHeader, ScaledColumnsTakePercentsOfTheWidthLessTheVerticalBar)
{
    Open(L"<List name=\"list\" vscrollbar=\"true\" vscrollbarstyle=\"width=&quot;17&quot;\">"
         L"<ListHeader height=\"24\" scaleheader=\"true\"><ListHeaderItem scale=\"30\"/>"
         L"<ListHeaderItem scale=\"30\"/><ListHeaderItem scale=\"0\"/></ListHeader>" +
         Rows(20) + L"</List>");
    // The bar is shown and placed by the first layout; the next one scales with its width.
    ASSERT_TRUE(List()->GetVerticalScrollBar()->IsVisible());
    Relayout();
    ASSERT_EQ(17, List()->GetVerticalScrollBar()->GetWidth());
    EXPECT_TRUE(List()->GetHeader()->IsScaleHeader());
    EXPECT_EQ(84, Column(List(), 0)->GetWidth());
    EXPECT_EQ(84, Column(List(), 1)->GetWidth());
    EXPECT_EQ(100, Column(List(), 2)->GetWidth());
    EXPECT_EQ(168, List()->GetListInfo()->rcColumn[2].left);

    // The percentages follow the list's width.
    ::SetWindowPos(m_win.GetHWND(), NULL, 0, 0, 417, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_win.Update();
    Relayout();
    EXPECT_EQ(120, Column(List(), 0)->GetWidth());
}

// ---- the mouse on the header ----

namespace {

// Presses at x0, moves to x1 and lets go, all on the header's middle line.
void Drag(basictest::HostWindow& win, int x0, int x1)
{
    win.Move(x0, 12);
    win.Down(x0, 12);
    win.Move(x1, 12);
    win.Up(x1, 12);
    win.Update();
}

std::wstring DragSkin(const std::wstring& secondItem)
{
    return L"<List name=\"list\"><ListHeader height=\"24\"><ListHeaderItem name=\"c0\" width=\"100\"/>" + secondItem +
           L"<ListHeaderItem/></ListHeader>" + Rows(3) + L"</List>";
}

} // namespace

TEST_F(ListHeader, DraggingTheSeparatorResizesTheColumnAndStopsAtTheMinimum)
{
    Open(DragSkin(L"<ListHeaderItem width=\"80\"/>"));
    CListHeaderItemUI* c0 = Column(List(), 0);
    // The grip: the 4-pixel separator at the right edge and 4 pixels more inside.
    m_win.Move(93, 12);
    m_win.Down(93, 12);
    m_win.Move(123, 12);
    m_win.Update();
    EXPECT_EQ(130, c0->GetFixedWidth());
    EXPECT_EQ(130, c0->GetWidth());
    EXPECT_EQ(130, List()->GetListInfo()->rcColumn[1].left);
    // Not above the minimum (16): ignored, and the drag goes on from the last accepted point.
    m_win.Move(123 - 114, 12);
    m_win.Update();
    EXPECT_EQ(130, c0->GetWidth());
    m_win.Move(123 - 80, 12);
    m_win.Update();
    EXPECT_EQ(50, c0->GetWidth());
    m_win.Up(123 - 80, 12);
    m_win.Update();
    EXPECT_EQ(50, c0->GetWidth());
    EXPECT_TRUE(SameRect(c0->GetPos(), List()->GetListInfo()->rcColumn[0]));
    EXPECT_EQ(0, m_win.Count(L"headerclick"));
    // The button is up: moves no longer resize.
    m_win.Move(100, 12);
    m_win.Update();
    EXPECT_EQ(50, c0->GetWidth());
}

TEST_F(ListHeader, MovesQueuedBeforeALayoutAllCount)
{
    Open(DragSkin(L"<ListHeaderItem width=\"80\"/>"));
    HWND hWnd = m_win.GetHWND();
    m_win.Move(95, 12);
    m_win.Down(95, 12);
    // Three moves handled before any paint lays the header out again.
    for (int x : { 105, 115, 125 }) ::SendMessageW(hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 12));
    m_win.Up(125, 12);
    m_win.Update();
    EXPECT_EQ(130, Column(List(), 0)->GetWidth());
}

TEST_F(ListHeader, AGripAtTheLeftEdgeWidensTheColumnWhenDraggedLeft)
{
    Open(DragSkin(L"<ListHeaderItem width=\"80\" sepwidth=\"-4\"/>"));
    CListHeaderItemUI* c1 = Column(List(), 1);
    ASSERT_EQ(100, c1->GetPos().left);
    const RECT thumb = c1->GetThumbRect();
    EXPECT_EQ(100, thumb.left);
    EXPECT_EQ(104, thumb.right);
    Drag(m_win, 106, 86);
    EXPECT_EQ(100, c1->GetWidth());
    EXPECT_EQ(100, Column(List(), 0)->GetWidth());
}

TEST_F(ListHeader, PressingOffTheGripClicksAndTheCursorShowsTheGrip)
{
    Open(DragSkin(L"<ListHeaderItem name=\"fixed\" width=\"80\" dragable=\"false\"/>"));
    CListHeaderItemUI* c0 = Column(List(), 0);
    CListHeaderItemUI* c1 = Column(List(), 1);
    const HCURSOR sizeWE = ::LoadCursorW(NULL, IDC_SIZEWE);
    EXPECT_EQ(sizeWE, m_win.CursorAt(97, 12));
    EXPECT_NE(sizeWE, m_win.CursorAt(50, 12));
    EXPECT_NE(sizeWE, m_win.CursorAt(177, 12)); // not dragable
    EXPECT_EQ(static_cast<UINT>(UIFLAG_SETCURSOR), c0->GetControlFlags());

    m_win.Click(50, 12);
    EXPECT_EQ(1, m_win.Count(L"headerclick", c0));
    m_win.Clear();
    m_win.Click(97, 12); // the grip of a dragable column
    EXPECT_EQ(0, m_win.Count(L"headerclick"));
    m_win.Click(177, 12); // the grip of a fixed column: nothing at all
    EXPECT_EQ(0, m_win.Count(L"headerclick"));
    Drag(m_win, 177, 197);
    EXPECT_EQ(80, c1->GetWidth());

    // A disabled column neither clicks nor asks for a cursor.
    c0->SetEnabled(false);
    EXPECT_EQ(0u, c0->GetControlFlags());
    m_win.Click(50, 12);
    EXPECT_EQ(0, m_win.Count(L"headerclick"));
}

// ---- horizontal scrolling ----

namespace {

std::wstring WideSkin(const std::wstring& listAttributes)
{
    return L"<List name=\"list\" hscrollbar=\"true\" " + listAttributes +
           L"><ListHeader height=\"24\"><ListHeaderItem width=\"200\"/><ListHeaderItem width=\"200\"/>"
           L"<ListHeaderItem width=\"200\"/></ListHeader>" +
           Rows(3) + L"</List>";
}

void ExpectColumnsAt(CListUI* list, int left, bool visibleHeader)
{
    for (int i = 0; i < 3; ++i) {
        const RECT& rc = list->GetListInfo()->rcColumn[i];
        EXPECT_EQ(left + 200 * i, rc.left) << "column " << i;
        EXPECT_EQ(left + 200 * i + 200, rc.right) << "column " << i;
        if (visibleHeader) {
            EXPECT_TRUE(SameRect(rc, Column(list, i)->GetPos())) << Str(Column(list, i)->GetPos());
        }
    }
}

} // namespace

TEST_F(ListHeader, HorizontalScrollingMovesTheHeaderColumnsAndRowsAlike)
{
    Open(WideSkin(L""));
    ASSERT_TRUE(List()->GetHorizontalScrollBar()->IsVisible());
    EXPECT_EQ(600, Row(0)->GetWidth());
    ExpectColumnsAt(List(), 0, true);

    List()->SetScrollPos(CSize(50, 0));
    EXPECT_EQ(50, List()->GetScrollPos().cx);
    ExpectColumnsAt(List(), -50, true);
    EXPECT_EQ(-50, Row(0)->GetPos().left);
    // A new layout keeps them together.
    Relayout();
    ExpectColumnsAt(List(), -50, true);
    EXPECT_EQ(-50, Row(0)->GetPos().left);
    List()->SetScrollPos(CSize(0, 0));
    ExpectColumnsAt(List(), 0, true);
    EXPECT_EQ(0, Row(0)->GetPos().left);
}

TEST_F(ListHeader, AHiddenHeaderStillScrollsItsColumns)
{
    Open(WideSkin(L"header=\"hidden\""));
    List()->SetScrollPos(CSize(70, 0));
    ExpectColumnsAt(List(), -70, false);
    EXPECT_EQ(-70, Row(1)->GetPos().left);
    Relayout();
    ExpectColumnsAt(List(), -70, false);
    EXPECT_EQ(-70, Row(1)->GetPos().left);
    EXPECT_FALSE(Column(List(), 0)->IsVisible());
}

TEST_F(ListHeader, WithoutItsHeaderTheListStillLaysOutAndScrollsItsRows)
{
    Open(L"<List name=\"list\" hscrollbar=\"true\"><ListHeader height=\"24\"><ListHeaderItem width=\"120\"/>"
         L"</ListHeader>" +
         Rows(3, L"width=\"600\"") + L"</List>");
    CListHeaderUI* header = List()->GetHeader();
    EXPECT_TRUE(List()->Remove(header));
    EXPECT_TRUE(List()->GetHeader() == NULL);
    CListHeaderItemUI lonely;
    EXPECT_EQ(-1, List()->GetItemIndex(&lonely));
    EXPECT_FALSE(List()->Add(&lonely)); // no header to take it
    Relayout();
    EXPECT_EQ(0, Row(0)->GetPos().top);
    ASSERT_TRUE(List()->GetHorizontalScrollBar()->IsVisible());

    List()->SetScrollPos(CSize(40, 0));
    EXPECT_EQ(40, List()->GetScrollPos().cx);
    EXPECT_EQ(-40, Row(0)->GetPos().left);
    // The last columns travel with the rows.
    EXPECT_EQ(-40, List()->GetListInfo()->rcColumn[0].left);
    Relayout();
    EXPECT_EQ(-40, Row(0)->GetPos().left);

    // A new header takes the place.
    CListHeaderUI* fresh = new CListHeaderUI;
    EXPECT_TRUE(List()->Add(fresh));
    EXPECT_EQ(fresh, List()->GetHeader());
    EXPECT_TRUE(List()->Add(new CListHeaderItemUI));
    EXPECT_EQ(1, List()->GetListInfo()->nColumns);
}

// ---- painting ----

TEST_F(ListHeader, ItemsPaintTheirStateImageAndTheSeparator)
{
    Open(L"<List name=\"list\"><ListHeader height=\"24\"><ListHeaderItem width=\"100\"/><ListHeaderItem/>"
         L"</ListHeader>" +
         Rows(2) + L"</List>");
    // The images exist before the item names them: a name that failed to load stays failed.
    basictest::AddSolidImage(m_win.pm(), L"n", 0xFF102030);
    basictest::AddSolidImage(m_win.pm(), L"h", 0xFF405060);
    basictest::AddSolidImage(m_win.pm(), L"p", 0xFF708090);
    basictest::AddSolidImage(m_win.pm(), L"s", 0xFFFF0000);
    Column(List(), 0)->ApplyAttributeList(L"normalimage=\"n\" hotimage=\"h\" pushedimage=\"p\" sepimage=\"s\"");
    auto paintAt = [this](int x, int y) {
        painttest::Canvas canvas(300, 200, 0xFFFFFFFF);
        m_win.PaintTo(canvas);
        return basictest::Rgb(canvas.At(x, y));
    };
    EXPECT_EQ(0x102030u, paintAt(50, 12));
    EXPECT_EQ(0xFF0000u, paintAt(97, 12)); // the separator strip, 96..100
    EXPECT_EQ(0x102030u, paintAt(95, 12));
    m_win.Move(50, 12);
    EXPECT_EQ(0x405060u, paintAt(50, 12));
    m_win.Down(50, 12);
    EXPECT_EQ(0x708090u, paintAt(50, 12));
    EXPECT_EQ(0xFF0000u, paintAt(97, 12));
    m_win.Up(50, 12);
    EXPECT_EQ(0x405060u, paintAt(50, 12));
}

TEST_F(ListHeader, ScrolledRowsPaintOnlyInsideTheBody)
{
    Open(L"<List name=\"list\" vscrollbar=\"true\" bkcolor=\"#FFFFFFFF\" itembkcolor=\"#FFFF0000\" "
         L"itemaltbk=\"true\" itemselectedbkcolor=\"#FF0000FF\"><ListHeader height=\"24\" bkcolor=\"#FF00FF00\">"
         L"<ListHeaderItem/></ListHeader>" +
         Rows(23) + L"</List>");
    List()->SetScrollPos(CSize(0, 10)); // row 0 at 14..34, partly behind the header
    ASSERT_EQ(14, Row(0)->GetPos().top);
    ASSERT_TRUE(List()->SelectItem(2));
    ASSERT_EQ(10, List()->GetScrollPos().cy);
    painttest::Canvas canvas(300, 200, 0xFF000000);
    m_win.PaintTo(canvas);
    EXPECT_EQ(0x00FF00u, basictest::Rgb(canvas.At(50, 20)));  // the header, not row 0
    EXPECT_EQ(0xFF0000u, basictest::Rgb(canvas.At(50, 26)));  // row 0
    EXPECT_EQ(0xFFFFFFu, basictest::Rgb(canvas.At(50, 40)));  // row 1: odd rows take no item colour
    EXPECT_EQ(0x0000FFu, basictest::Rgb(canvas.At(50, 60)));  // row 2, selected
    EXPECT_EQ(0xFF0000u, basictest::Rgb(canvas.At(50, 100))); // row 4
}
