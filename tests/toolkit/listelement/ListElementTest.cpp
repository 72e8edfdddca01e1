#include <windows.h>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "controls/ListContainerElementUI.h"
#include "controls/ListLabelElementUI.h"
#include "controls/ListTextElementUI.h"
#include "controls/ListUI.h"
#include "core/ButtonUI.h"
#include "core/DialogBuilder.h"
#include "core/VerticalLayoutUI.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Rgb;
using basictest::Root;

namespace {

// A small list of our own: it numbers and styles its rows, keeps one selection, records
// every event the rows hand to it and, optionally, gives a text callback and columns.
class RowOwner : public CVerticalLayoutUI, public IListUI {
public:
    RowOwner() : m_info()
    {
        m_info.nFont = -1;
        m_info.uTextStyle = DT_VCENTER;
        m_info.dwTextColor = 0xFF000000;
        m_info.dwSelectedTextColor = 0xFF000000;
        m_info.dwSelectedBkColor = 0xFFC1E3FF;
        m_info.dwHotTextColor = 0xFF000000;
        m_info.dwHotBkColor = 0xFFE9F5FF;
        m_info.dwDisabledTextColor = 0xFFCCCCCC;
        m_info.dwDisabledBkColor = 0xFFFFFFFF;
    }
    LPCTSTR GetClass() const override { return L"RowOwnerUI"; }
    LPVOID GetInterface(LPCTSTR pstrName) override
    {
        if (wcscmp(pstrName, L"IList") == 0 || wcscmp(pstrName, L"IListOwner") == 0)
            return static_cast<IListUI*>(this);
        return CVerticalLayoutUI::GetInterface(pstrName);
    }
    bool Add(CControlUI* pControl) override
    {
        IListItemUI* pItem = static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem"));
        if (pItem != NULL) {
            pItem->SetOwner(this);
            pItem->SetIndex(GetCount());
        }
        return CVerticalLayoutUI::Add(pControl);
    }

    TListInfoUI* GetListInfo() override { return &m_info; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int iIndex, bool /*bTakeFocus*/) override
    {
        if (iIndex == m_iCurSel) return true;
        const int iOld = m_iCurSel;
        if (m_iCurSel >= 0) static_cast<IListItemUI*>(GetItemAt(m_iCurSel)->GetInterface(L"ListItem"))->Select(false);
        m_iCurSel = -1;
        CControlUI* pControl = GetItemAt(iIndex);
        if (pControl == NULL) return false;
        IListItemUI* pItem = static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem"));
        m_iCurSel = iIndex;
        if (!pItem->Select(true)) {
            m_iCurSel = -1;
            return false;
        }
        if (m_pManager != NULL) m_pManager->SendNotify(this, L"itemselect", iIndex, iOld);
        return true;
    }
    void DoEvent(TEventUI& event) override
    {
        events.push_back(event.type);
        if (event.type == UIEVENT_KEYDOWN) keys.push_back(event.key);
        CVerticalLayoutUI::DoEvent(event);
    }
    CListHeaderUI* GetHeader() const override { return NULL; }
    CContainerUI* GetList() const override { return const_cast<RowOwner*>(this); }
    IListCallbackUI* GetTextCallback() const override { return m_pCallback; }
    void SetTextCallback(IListCallbackUI* pCallback) override { m_pCallback = pCallback; }
    bool ExpandItem(int, bool) override { return false; }
    int GetExpandedItem() const override { return -1; }

    // Columns of the given widths from x = 0, as a list's layout would leave them.
    void SetColumns(std::initializer_list<int> widths)
    {
        int x = 0;
        m_info.nColumns = 0;
        for (int w : widths) {
            RECT rc = { x, 0, x + w, 20 };
            m_info.rcColumn[m_info.nColumns++] = rc;
            x += w;
        }
    }

    TListInfoUI m_info;
    int m_iCurSel = -1;
    IListCallbackUI* m_pCallback = nullptr;
    std::vector<int> events;
    std::vector<TCHAR> keys;
};

CListLabelElementUI* Label(LPCWSTR text, int height = 20)
{
    CListLabelElementUI* p = new CListLabelElementUI;
    p->SetText(text);
    p->SetFixedHeight(height);
    return p;
}

// Five label rows of 20 pixels in an owner of 200 x 100 at the window's origin.
class RowTest : public ::testing::Test {
protected:
    void Open(LPCWSTR ownerAttributes = L"")
    {
        m_owner = Make<RowOwner>(L"float=\"true\" pos=\"0,0,200,100\" bkcolor=\"#FF102030\"");
        m_owner->ApplyAttributeList(ownerAttributes);
        for (int i = 0; i < 5; i++) {
            m_rows[i] = Label((L"row" + std::to_wstring(i)).c_str());
            m_owner->Add(m_rows[i]);
        }
        m_win.Open(Root({ m_owner }), 220, 120);
    }
    uint32_t Pixel(int x, int y)
    {
        painttest::Canvas canvas(220, 120);
        m_win.PaintTo(canvas);
        return Rgb(canvas.At(x, y));
    }
    HostWindow m_win;
    RowOwner* m_owner = nullptr;
    CListLabelElementUI* m_rows[5] = {};
};

TEST_F(RowTest, BackgroundFollowsOwnerStylingByState)
{
    Open();
    TListInfoUI& info = m_owner->m_info;
    info.dwBkColor = 0xFF00FF00;
    info.bAlternateBk = true;
    info.dwHotBkColor = 0xFF0000FF;
    info.dwSelectedBkColor = 0xFFFF0000;
    info.dwDisabledBkColor = 0xFF808080;
    info.dwLineColor = 0xFFFFFF00;
    m_rows[2]->Select();
    m_rows[3]->SetEnabled(false);
    m_win.Move(100, 90); // row 4 becomes hot
    ASSERT_TRUE(m_rows[4]->GetButtonState() & UISTATE_HOT);

    painttest::Canvas canvas(220, 120);
    m_win.PaintTo(canvas);
    // Even rows get the item colour, odd rows none (the owner's own background shows).
    EXPECT_EQ(Rgb(canvas.At(50, 5)), 0x00FF00u);
    EXPECT_EQ(Rgb(canvas.At(50, 25)), 0x102030u);
    EXPECT_EQ(Rgb(canvas.At(50, 45)), 0xFF0000u); // selected
    EXPECT_EQ(Rgb(canvas.At(50, 65)), 0x808080u); // disabled (odd row, still coloured)
    EXPECT_EQ(Rgb(canvas.At(50, 85)), 0x0000FFu); // hot
    // The line lies on the last pixel row of every row.
    for (int i = 0; i < 5; i++) EXPECT_EQ(Rgb(canvas.At(50, i * 20 + 19)), 0xFFFF00u) << i;
    EXPECT_EQ(Rgb(canvas.At(50, 18)), 0x00FF00u);

    // Without alternation the odd row takes the colour too; leaving clears the hot state.
    info.bAlternateBk = false;
    m_win.Move(210, 110);
    EXPECT_FALSE(m_rows[4]->GetButtonState() & UISTATE_HOT);
    EXPECT_EQ(Pixel(50, 25), 0x00FF00u);
    EXPECT_EQ(Pixel(50, 85), 0x00FF00u);
}

TEST_F(RowTest, RowTextTakesTheStateColourAndPadding)
{
    Open();
    TListInfoUI& info = m_owner->m_info;
    info.dwTextColor = 0xFF0000FF;
    info.dwSelectedTextColor = 0xFFFF0000;
    info.dwSelectedBkColor = 0xFFFFFFFF;
    info.dwBkColor = 0xFFFFFFFF;
    info.rcTextPadding = RECT{ 100, 0, 0, 0 };
    m_rows[1]->Select();
    painttest::Canvas canvas(220, 120);
    m_win.PaintTo(canvas);
    const RECT rcLeft0 = { 0, 0, 100, 20 }, rcText0 = { 100, 0, 200, 20 };
    EXPECT_EQ(canvas.CountNot(rcLeft0, canvas.At(0, 0)), 0); // the padding stays empty
    int blue = 0, red = 0;
    for (int y = 0; y < 40; y++) {
        for (int x = 100; x < 200; x++) {
            const uint32_t c = Rgb(canvas.At(x, y));
            if (c == 0x0000FFu) blue += y < 20;
            if (c == 0xFF0000u) red += y >= 20;
        }
    }
    EXPECT_GT(canvas.CountNot(rcText0, 0xFFFFFFFFu), 0);
    EXPECT_GT(blue, 0);
    EXPECT_GT(red, 0);
    // A row without an owner paints nothing at all.
    CListLabelElementUI orphan;
    orphan.SetText(L"x");
    painttest::Canvas empty(40, 20, 0x11223344);
    RECT rc = { 0, 0, 40, 20 };
    orphan.SetPos(rc);
    orphan.DoPaint(empty.dc(), rc);
    EXPECT_EQ(empty.CountNot(rc, 0x11223344), 0);
}

TEST_F(RowTest, ClickSelectsOnDownAndReportsOnUpDoubleClickAndReturnActivate)
{
    Open();
    m_win.Move(50, 30);
    m_win.Down(50, 30);
    EXPECT_TRUE(m_rows[1]->IsSelected());
    EXPECT_EQ(m_owner->GetCurSel(), 1);
    EXPECT_EQ(m_win.Types(), (std::vector<std::wstring>{ L"itemselect" }));
    m_win.Up(50, 30);
    EXPECT_EQ(m_win.Types(), (std::vector<std::wstring>{ L"itemselect", L"itemclick" }));
    EXPECT_EQ(m_win.notes.back().sender, m_rows[1]);

    m_win.Clear();
    m_win.DblClk(50, 30);
    EXPECT_EQ(m_win.Count(L"itemactivate", m_rows[1]), 1);

    m_win.Clear();
    m_win.pm().SetFocus(m_rows[1]);
    m_win.Key(VK_RETURN);
    EXPECT_EQ(m_win.Count(L"itemactivate", m_rows[1]), 1);

    // Keys a row does not handle reach its owner.
    m_owner->keys.clear();
    m_win.Key(VK_DOWN);
    m_win.Key(VK_HOME);
    EXPECT_EQ(m_owner->keys, (std::vector<TCHAR>{ VK_DOWN, VK_HOME }));

    // A disabled row is neither selected nor reported.
    m_rows[3]->SetEnabled(false);
    m_win.Clear();
    m_win.Click(50, 70);
    m_win.DblClk(50, 70);
    EXPECT_FALSE(m_rows[3]->IsSelected());
    EXPECT_FALSE(m_rows[3]->Select(true));
    EXPECT_EQ(m_owner->GetCurSel(), 1);
    EXPECT_TRUE(m_win.Types().empty());
}

TEST_F(RowTest, ActivateNeedsAVisibleEnabledRowAndAManager)
{
    Open();
    m_win.Clear();
    EXPECT_TRUE(m_rows[0]->Activate());
    m_rows[0]->SetVisible(false);
    EXPECT_FALSE(m_rows[0]->Activate());
    CListLabelElementUI orphan;
    EXPECT_TRUE(orphan.Activate()); // succeeds, but nobody to tell
    EXPECT_EQ(m_win.Count(L"itemactivate"), 1);
    EXPECT_FALSE(orphan.Expand(true));
    EXPECT_FALSE(orphan.IsExpanded());
}

TEST_F(RowTest, HidingTheSelectedRowLeavesNoSelectionAndSaysNothing)
{
    Open();
    m_rows[2]->Select();
    m_win.Clear();
    m_rows[2]->SetVisible(false);
    EXPECT_FALSE(m_rows[2]->IsSelected());
    EXPECT_EQ(m_owner->GetCurSel(), -1);
    EXPECT_TRUE(m_win.Types().empty());

    // An unowned row only forgets its selection.
    CListLabelElementUI orphan;
    EXPECT_TRUE(orphan.Select(true));
    orphan.SetVisible(false);
    EXPECT_FALSE(orphan.IsSelected());
    CListContainerElementUI orphanContainer;
    EXPECT_TRUE(orphanContainer.Select(true));
    orphanContainer.SetVisible(false);
    EXPECT_FALSE(orphanContainer.IsSelected());
}

TEST(ListRowIdentity, ClassesInterfacesFlagsAndTheSelectedAttribute)
{
    CListLabelElementUI label;
    CListTextElementUI text;
    CListContainerElementUI container;
    EXPECT_STREQ(label.GetClass(), L"ListLabelElementUI");
    EXPECT_STREQ(text.GetClass(), L"ListTextElementUI");
    EXPECT_STREQ(container.GetClass(), L"ListContainerElementUI");
    EXPECT_EQ(label.GetInterface(L"ListItem"), static_cast<IListItemUI*>(&label));
    EXPECT_EQ(label.GetInterface(L"ListElement"), static_cast<CListElementUI*>(&label));
    EXPECT_EQ(text.GetInterface(L"ListLabelElement"), static_cast<CListLabelElementUI*>(&text));
    EXPECT_EQ(container.GetInterface(L"ListItem"), static_cast<IListItemUI*>(&container));
    EXPECT_NE(container.GetInterface(L"IContainer"), nullptr);
    EXPECT_EQ(label.GetControlFlags(), 4u);
    EXPECT_EQ(text.GetControlFlags(), 4u);
    EXPECT_EQ(container.GetControlFlags(), 4u);
    EXPECT_EQ(label.GetIndex(), -1);
    EXPECT_EQ(label.GetOwner(), nullptr);

    // Skins written with selected="false" still select.
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><VerticalLayout><ListLabelElement name=\"a\" selected=\"false\"/>"
        L"<ListTextElement name=\"b\"/><ListContainerElement name=\"c\" selected=\"false\"/></VerticalLayout></Window>",
        NULL, NULL, &pm);
    ASSERT_NE(pRoot, nullptr);
    CContainerUI* pLayout = static_cast<CContainerUI*>(pRoot->GetInterface(L"Container"));
    ASSERT_EQ(pLayout->GetCount(), 3);
    EXPECT_STREQ(pLayout->GetItemAt(0)->GetClass(), L"ListLabelElementUI");
    EXPECT_STREQ(pLayout->GetItemAt(1)->GetClass(), L"ListTextElementUI");
    EXPECT_STREQ(pLayout->GetItemAt(2)->GetClass(), L"ListContainerElementUI");
    EXPECT_TRUE(static_cast<IListItemUI*>(pLayout->GetItemAt(0)->GetInterface(L"ListItem"))->IsSelected());
    EXPECT_FALSE(static_cast<IListItemUI*>(pLayout->GetItemAt(1)->GetInterface(L"ListItem"))->IsSelected());
    EXPECT_TRUE(static_cast<IListItemUI*>(pLayout->GetItemAt(2)->GetInterface(L"ListItem"))->IsSelected());
    delete pRoot;
}

// ---- text rows ----

class CallbackTexts : public IListCallbackUI {
public:
    LPCTSTR GetColumnText(CControlUI*, int iItem, int iSubItem) override
    {
        asked.push_back(iItem * 10 + iSubItem);
        return iSubItem == 1 ? L"{a one}x{/a}" : L"";
    }
    std::vector<int> asked;
};

class TextRowTest : public ::testing::Test {
protected:
    void Open(bool bHtml)
    {
        m_owner = Make<RowOwner>(L"float=\"true\" pos=\"0,0,300,40\"");
        m_owner->SetColumns({ 100, 100, 100 });
        m_owner->m_info.bShowHtml = bHtml;
        m_row = new CListTextElementUI;
        m_row->SetFixedHeight(20);
        m_owner->Add(m_row);
        m_win.Open(Root({ m_owner }), 320, 60);
    }
    void Paint()
    {
        painttest::Canvas canvas(320, 60);
        m_win.PaintTo(canvas);
    }
    HostWindow m_win;
    RowOwner* m_owner = nullptr;
    CListTextElementUI* m_row = nullptr;
};

TEST_F(TextRowTest, ColumnTextsStayWithinTheOwnersColumns)
{
    Open(false);
    m_row->SetText(0, L"first");
    m_row->SetText(5, L"beyond");
    m_row->SetText(-1, L"before");
    EXPECT_STREQ(m_row->GetText(0), L"first");
    EXPECT_EQ(m_row->GetText(1), nullptr);
    EXPECT_EQ(m_row->GetText(5), nullptr);
    m_row->SetText(1, NULL); // nothing stored: null stores nothing
    EXPECT_EQ(m_row->GetText(1), nullptr);
    m_row->SetText(0, L"second");
    EXPECT_STREQ(m_row->GetText(0), L"second");
    // The control's own text is a different thing.
    m_row->SetText(L"own");
    EXPECT_STREQ(m_row->GetText().GetData(), L"own");
    // Without a list owner nothing is stored.
    CListTextElementUI orphan;
    orphan.SetText(0, L"x");
    EXPECT_EQ(orphan.GetText(0), nullptr);
    SIZE sz = orphan.EstimateSize(SIZE{ 100, 100 });
    EXPECT_EQ(sz.cx, 0);
    EXPECT_EQ(sz.cy, 0);
}

TEST_F(TextRowTest, LinksOfAllColumnsShareEightSlots)
{
    Open(true);
    m_row->SetText(0, L"{a a0}0{/a} {a a1}1{/a} {a a2}2{/a} {a a3}3{/a} {a a4}4{/a}");
    m_row->SetText(1, L"{a b0}0{/a} {a b1}1{/a} {a b2}2{/a} {a b3}3{/a}");
    m_row->SetText(2, L"{a c0}0{/a} {a c1}1{/a}");
    Paint();
    ASSERT_EQ(m_row->GetLinkCount(), 8);
    EXPECT_STREQ(m_row->GetLinkContent(0)->GetData(), L"a0");
    EXPECT_STREQ(m_row->GetLinkContent(4)->GetData(), L"a4");
    EXPECT_STREQ(m_row->GetLinkContent(5)->GetData(), L"b0");
    EXPECT_STREQ(m_row->GetLinkContent(7)->GetData(), L"b2");
    EXPECT_EQ(m_row->GetLinkContent(8), nullptr);
    EXPECT_EQ(m_row->GetControlFlags(), 4u | UIFLAG_SETCURSOR);

    // A click on the second column's first link reports its slot.
    m_row->SetText(0, L"plain");
    m_row->SetText(2, L"");
    Paint();
    ASSERT_EQ(m_row->GetLinkCount(), 4);
    EXPECT_STREQ(m_row->GetLinkContent(0)->GetData(), L"b0");
    m_win.Clear();
    m_win.Move(103, 10);
    EXPECT_EQ(m_win.CursorAt(103, 10), ::LoadCursorW(NULL, IDC_HAND));
    m_win.Down(103, 10);
    m_win.Up(103, 10);
    ASSERT_EQ(m_win.Count(L"link", m_row), 1);
    for (const auto& note : m_win.notes) {
        if (note.type == L"link") {
            EXPECT_EQ(note.wParam, 0u);
        }
    }
    EXPECT_EQ(m_win.Count(L"itemclick"), 0);
    // Off the links a release is an item click.
    m_win.Clear();
    m_win.Move(250, 10);
    m_win.Down(250, 10);
    m_win.Up(250, 10);
    EXPECT_EQ(m_win.Count(L"itemclick", m_row), 1);
    EXPECT_EQ(m_win.Count(L"link"), 0);
}

TEST_F(TextRowTest, PlainTextGivesNoLinksNoHandAndNoLinkClicks)
{
    Open(false);
    m_row->SetText(0, L"{a a0}link{/a}");
    Paint();
    EXPECT_EQ(m_row->GetLinkCount(), 0);
    EXPECT_EQ(m_row->GetControlFlags(), 4u);
    m_win.Clear();
    m_win.Move(5, 10);
    EXPECT_NE(m_win.CursorAt(5, 10), ::LoadCursorW(NULL, IDC_HAND));
    m_win.Down(5, 10);
    m_win.Up(5, 10);
    EXPECT_EQ(m_win.Count(L"link"), 0);
    EXPECT_EQ(m_win.Count(L"itemclick", m_row), 1);
}

TEST_F(TextRowTest, TheCallbackSuppliesEveryColumn)
{
    Open(true);
    CallbackTexts callback;
    m_owner->SetTextCallback(&callback);
    m_row->SetText(1, L"stored");
    Paint();
    EXPECT_EQ(callback.asked, (std::vector<int>{ 0, 1, 2 }));
    ASSERT_EQ(m_row->GetLinkCount(), 1);
    EXPECT_STREQ(m_row->GetLinkContent(0)->GetData(), L"one");
    // The link lies in the second column's cell.
    m_win.Clear();
    m_win.Move(102, 10);
    m_win.Down(102, 10);
    m_win.Up(102, 10);
    EXPECT_EQ(m_win.Count(L"link", m_row), 1);
    m_owner->SetTextCallback(NULL);
}

TEST(TextRowInList, CellsFollowTheListsHeaderColumnsAndItsCallback)
{
    CListUI* pList = Make<CListUI>(L"float=\"true\" pos=\"0,0,300,100\" itemshowhtml=\"true\"");
    pList->Add(Make<CListHeaderItemUI>(L"width=\"60\""));
    pList->Add(Make<CListHeaderItemUI>(L"width=\"80\""));
    pList->Add(Make<CListHeaderItemUI>(L"width=\"100\""));
    CListTextElementUI* pRow = Make<CListTextElementUI>(L"height=\"20\"");
    pList->Add(pRow);
    HostWindow win;
    win.Open(Root({ pList }), 320, 120);
    ASSERT_EQ(pList->GetListInfo()->nColumns, 3);
    pRow->SetText(0, L"{a zero}0{/a}");
    pRow->SetText(1, L"{a one}1{/a}");
    pRow->SetText(2, L"{a two}2{/a}");
    pRow->SetText(3, L"{a three}3{/a}");
    EXPECT_EQ(pRow->GetText(3), nullptr);
    painttest::Canvas canvas(320, 120);
    win.PaintTo(canvas);
    ASSERT_EQ(pRow->GetLinkCount(), 3);
    const int lefts[] = { 0, 60, 140 }, rights[] = { 60, 140, 240 };
    for (int i = 0; i < 3; i++) {
        // Each link starts in its own column's cell (a link's rectangle is recorded by the
        // paint, so it is found again by a click there).
        win.Clear();
        const RECT rcRow = pRow->GetPos();
        const int x = lefts[i] + 2;
        win.Move(x, rcRow.top + 10);
        win.Down(x, rcRow.top + 10);
        win.Up(x, rcRow.top + 10);
        EXPECT_EQ(win.Count(L"link", pRow), 1) << i;
        EXPECT_LT(x, rights[i]);
    }
    EXPECT_STREQ(pRow->GetLinkContent(1)->GetData(), L"one");

    // The list's callback replaces the stored texts.
    CallbackTexts callback;
    pList->SetTextCallback(&callback);
    win.PaintTo(canvas);
    EXPECT_EQ(callback.asked, (std::vector<int>{ 0, 1, 2 }));
    ASSERT_EQ(pRow->GetLinkCount(), 1);
    EXPECT_STREQ(pRow->GetLinkContent(0)->GetData(), L"one");
    pList->SetTextCallback(NULL);
}

// ---- container rows ----

TEST(ContainerRowLayout, ChildrenFollowTheHeaderOnlyUnderAListShowingIt)
{
    struct Case {
        const wchar_t* name;
        bool bList;
        bool bHeaderShown;
        bool bFollows;
    } cases[] = {
        { L"list with header", true, true, true },
        { L"list with hidden header", true, false, false },
        { L"other owner", false, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CContainerUI* pOwner = nullptr;
        if (c.bList) {
            CListUI* pList = Make<CListUI>(L"float=\"true\" pos=\"0,0,300,100\"");
            if (!c.bHeaderShown) pList->SetAttribute(L"header", L"hidden");
            pList->Add(Make<CListHeaderItemUI>(L"width=\"120\""));
            pList->Add(Make<CListHeaderItemUI>(L"width=\"80\""));
            pOwner = pList;
        } else {
            pOwner = Make<RowOwner>(L"float=\"true\" pos=\"0,0,300,100\"");
        }
        CListContainerElementUI* pRow = Make<CListContainerElementUI>(L"height=\"24\"");
        CControlUI* pA = Make<CButtonUI>(L"width=\"30\"");
        CControlUI* pB = Make<CButtonUI>(L"width=\"30\"");
        CControlUI* pC = Make<CButtonUI>(L"width=\"30\"");
        pRow->Add(pA);
        pRow->Add(pB);
        pRow->Add(pC);
        static_cast<IContainerUI*>(pOwner->GetInterface(L"IContainer"))->Add(pRow);
        HostWindow win;
        win.Open(Root({ pOwner }), 320, 120);
        ASSERT_EQ(pRow->GetOwner(), pOwner->GetInterface(L"IListOwner"));
        const RECT rcRow = pRow->GetPos();
        if (c.bFollows) {
            EXPECT_EQ(pA->GetPos().left, 0);
            EXPECT_EQ(pA->GetPos().right, 120);
            EXPECT_EQ(pB->GetPos().left, 120);
            EXPECT_EQ(pB->GetPos().right, 200);
        } else {
            EXPECT_EQ(pA->GetPos().left, rcRow.left);
            EXPECT_EQ(pA->GetPos().right, rcRow.left + 30);
            EXPECT_EQ(pB->GetPos().left, rcRow.left + 30);
            EXPECT_EQ(pB->GetPos().right, rcRow.left + 60);
        }
        // Children beyond the header's items keep the layout's places.
        EXPECT_EQ(pC->GetPos().left, rcRow.left + 60);
        EXPECT_EQ(pC->GetPos().right, rcRow.left + 90);
        EXPECT_EQ(pA->GetPos().top, rcRow.top);
        EXPECT_EQ(pA->GetPos().bottom, rcRow.bottom);
    }
}

TEST(ContainerRowInput, ClicksTimersAndMenusBecomeRowNotifications)
{
    RowOwner* pOwner = Make<RowOwner>(L"float=\"true\" pos=\"0,0,200,100\"");
    CListContainerElementUI* pRow = Make<CListContainerElementUI>(L"height=\"30\" menu=\"true\"");
    CListContainerElementUI* pOther = Make<CListContainerElementUI>(L"height=\"30\"");
    pOwner->Add(pRow);
    pOwner->Add(pOther);
    pOwner->m_info.dwBkColor = 0xFF00FF00;
    pOwner->m_info.dwSelectedBkColor = 0xFFFF0000;
    HostWindow win;
    win.Open(Root({ pOwner }), 220, 120);
    win.Clear();
    win.Move(50, 10);
    win.Down(50, 10);
    win.Up(50, 10);
    EXPECT_EQ(win.Types(), (std::vector<std::wstring>{ L"itemselect", L"itemclick" }));
    EXPECT_TRUE(pRow->IsSelected());
    win.Clear();
    win.DblClk(50, 10);
    EXPECT_EQ(win.Count(L"itemactivate", pRow), 1);

    TEventUI event = {};
    event.type = UIEVENT_TIMER;
    event.wParam = 7;
    pRow->DoEvent(event);
    event.type = UIEVENT_CONTEXTMENU;
    event.wParam = 0;
    pRow->DoEvent(event);
    pOther->DoEvent(event); // no menu wanted: handed on, no notification
    EXPECT_EQ(win.Count(L"timer", pRow), 1);
    EXPECT_EQ(win.Count(L"menu", pRow), 1);
    EXPECT_EQ(win.Count(L"menu", pOther), 0);

    // Selected and plain container rows paint the owner's colours under their children.
    painttest::Canvas canvas(220, 120);
    win.PaintTo(canvas);
    EXPECT_EQ(Rgb(canvas.At(100, 15)), 0xFF0000u);
    EXPECT_EQ(Rgb(canvas.At(100, 45)), 0x00FF00u);
}

TEST(RowInvalidation, RepaintsOnlyWhatTheContainerShows)
{
    // Rows 0..9 of 30 pixels in an owner of 100 pixels with a 10-pixel inset; row 5 starts
    // below the owner and asks for nothing to be painted.
    RowOwner* pOwner = Make<RowOwner>(L"float=\"true\" pos=\"0,0,200,100\" inset=\"10,10,10,10\"");
    CListLabelElementUI* rows[10];
    for (int i = 0; i < 10; i++) {
        rows[i] = Label(L"r", 30);
        pOwner->Add(rows[i]);
    }
    HostWindow win;
    win.Open(Root({ pOwner }), 220, 220);
    ::ValidateRect(win.GetHWND(), NULL);
    rows[4]->Invalidate();
    RECT rcUpdate = {};
    EXPECT_FALSE(::GetUpdateRect(win.GetHWND(), &rcUpdate, FALSE));
    rows[2]->Invalidate();
    ASSERT_TRUE(::GetUpdateRect(win.GetHWND(), &rcUpdate, FALSE));
    EXPECT_EQ(rcUpdate.top, 70);
    EXPECT_EQ(rcUpdate.bottom, 90);
    EXPECT_EQ(rcUpdate.left, 10);
    EXPECT_EQ(rcUpdate.right, 190);
}

} // namespace
