#include <windows.h>
#include <string>
#include <utility>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "../paint/PoisonArena.h"
#include "controls/ComboUI.h"
#include "controls/ListLabelElementUI.h"
#include "controls/ListTextElementUI.h"
#include "core/DialogBuilder.h"
#include "core/ScrollBarUI.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Rgb;
using basictest::Root;

namespace {

// The combo and its rows come from the shared poisoned arena: a later call through a freed
// one crashes (its table pointer is poison) and a later write into one shows in its bytes.
// Each case checks and then releases what was freed while it ran, including what its window
// freed as it went (this member is destroyed after the window).
class QuarantineScope {
public:
    QuarantineScope() { painttest::PoisonRelease(); }
    ~QuarantineScope()
    {
        EXPECT_TRUE(painttest::PoisonIntact()) << "a freed combo or row was written to";
        painttest::PoisonRelease();
    }
};

// The combo and rows destroyed since the case's scope began.
int Destroyed()
{
    return static_cast<int>(painttest::PoisonFreedCount());
}

typedef painttest::Poisoned<CComboUI> PoisonedCombo;
typedef painttest::Poisoned<CListLabelElementUI> PoisonedRow;

CListLabelElementUI* Row(int i, int height = 20)
{
    CListLabelElementUI* p = new PoisonedRow;
    p->SetText((L"row" + std::to_wstring(i)).c_str());
    p->SetFixedHeight(height);
    return p;
}

void PopupKeyTo(HWND hPopup, UINT vk, HostWindow& win)
{
    ::PostMessageW(hPopup, WM_KEYDOWN, vk, 1);
    win.Pump();
}

HWND Popup(CComboUI* pCombo)
{
    return pCombo->GetDropWindow() != NULL ? pCombo->GetDropWindow()->GetHWND() : NULL;
}

RECT ScreenRect(HWND hWnd)
{
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

// A combo of 150 x 24 at (10, 10) with label rows of 20 pixels in a shown window.
class ComboTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(painttest::PoisonIntact()); }

    void Open(int nRows = 5, LPCWSTR attributes = L"")
    {
        m_combo = new PoisonedCombo;
        m_combo->ApplyAttributeList(L"float=\"true\" pos=\"10,10,160,34\"");
        m_combo->ApplyAttributeList(attributes);
        for (int i = 0; i < nRows; i++) m_combo->Add(Row(i));
        m_root = Root({ m_combo });
        m_win.Open(m_root, 300, 200);
        m_win.Clear();
    }
    // The combo's rows are lent to the popup: manager and parent tell where they are.
    void ExpectRowsIn(CPaintManagerUI* pManager, CControlUI* pParent)
    {
        for (int i = 0; i < m_combo->GetCount(); i++) {
            EXPECT_EQ(m_combo->GetItemAt(i)->GetManager(), pManager) << i;
            EXPECT_EQ(m_combo->GetItemAt(i)->GetParent(), pParent) << i;
        }
    }
    void PopupKey(UINT vk)
    {
        ::PostMessageW(Popup(m_combo), WM_KEYDOWN, vk, 1);
        m_win.Pump();
    }
    void PopupMouse(UINT msg, int x, int y)
    {
        ::PostMessageW(Popup(m_combo), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
        m_win.Pump();
    }
    std::vector<std::pair<WPARAM, LPARAM>> Selections() const
    {
        std::vector<std::pair<WPARAM, LPARAM>> v;
        for (const auto& note : m_win.notes) {
            if (note.type == L"itemselect") v.push_back(std::make_pair(note.wParam, note.lParam));
        }
        return v;
    }

    QuarantineScope m_quarantine;
    HostWindow m_win;
    CContainerUI* m_root = nullptr;
    CComboUI* m_combo = nullptr;
};

TEST_F(ComboTest, ClickOpensComboWndWithTheRowsAndReturnGivesThemBack)
{
    Open();
    m_win.Click(50, 20);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    wchar_t cls[32] = {};
    ::GetClassNameW(hPopup, cls, 32);
    EXPECT_STREQ(cls, L"ComboWnd");
    EXPECT_TRUE(::IsWindowVisible(hPopup));
    EXPECT_TRUE(::GetClassLongW(hPopup, GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_TRUE(m_combo->GetButtonState() & UISTATE_PUSHED);
    ExpectRowsIn(m_combo->GetDropWindow()->GetPaintManager(), m_combo->GetDropWindow()->GetLayout());
    EXPECT_EQ(m_combo->GetDropWindow()->GetLayout()->GetCount(), 5);
    // A second activation keeps the open popup and says nothing.
    EXPECT_TRUE(m_combo->Activate());
    EXPECT_EQ(Popup(m_combo), hPopup);
    EXPECT_EQ(m_win.Count(L"dropdown", m_combo), 1);

    // Keys in the popup move the combo's selection.
    PopupKey(VK_DOWN);
    PopupKey(VK_DOWN);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{ { 0, -1 }, { 1, 0 } }));

    PopupKey(VK_RETURN);
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetDropWindow(), nullptr);
    EXPECT_FALSE(m_combo->GetButtonState() & UISTATE_PUSHED);
    ExpectRowsIn(&m_win.pm(), m_combo);
    for (int i = 0; i < m_combo->GetCount(); i++) EXPECT_TRUE(::IsRectEmpty(&m_combo->GetItemAt(i)->GetPos()));
    EXPECT_STREQ(m_combo->GetText().GetData(), L"row1");
    EXPECT_EQ(Destroyed(), 0);
}

TEST_F(ComboTest, F4OpensAndEscapeRestoresTheSelectionHeldOnOpening)
{
    Open();
    m_combo->SelectItem(1);
    m_win.pm().SetFocus(m_combo);
    m_win.Clear();
    m_win.Key(VK_F4);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    PopupKey(VK_DOWN);
    PopupKey(VK_END);
    EXPECT_EQ(m_combo->GetCurSel(), 4);
    PopupKey(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    EXPECT_EQ(m_win.Types(), (std::vector<std::wstring>{ L"dropdown", L"itemselect", L"itemselect", L"itemselect" }));
    EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{ { 2, 1 }, { 4, 2 }, { 1, 4 } }));
}

TEST_F(ComboTest, AClickOnARowSelectsAndClosesButTheScrollBarKeepsItOpen)
{
    Open(50);
    m_win.Click(50, 20);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    CScrollBarUI* pBar = m_combo->GetDropWindow()->GetLayout()->GetVerticalScrollBar();
    ASSERT_NE(pBar, nullptr);
    ASSERT_TRUE(pBar->IsVisible());
    const RECT rcBar = pBar->GetPos();
    const int xBar = (rcBar.left + rcBar.right) / 2, yBar = (rcBar.top + rcBar.bottom) / 2;
    PopupMouse(WM_LBUTTONDOWN, xBar, yBar);
    PopupMouse(WM_LBUTTONUP, xBar, yBar);
    EXPECT_TRUE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetCurSel(), -1);

    // The press on the bar scrolled by a page: the second row in view is clicked.
    int iRow = 0;
    while (iRow < 50 && m_combo->GetItemAt(iRow)->GetPos().top < 1) iRow++;
    iRow++;
    ASSERT_LT(iRow, 50);
    ASSERT_GT(iRow, 1);
    const int y = m_combo->GetItemAt(iRow)->GetPos().top + 10;
    m_win.Clear();
    PopupMouse(WM_MOUSEMOVE, 20, y);
    PopupMouse(WM_LBUTTONDOWN, 20, y);
    EXPECT_EQ(m_combo->GetCurSel(), iRow);
    PopupMouse(WM_LBUTTONUP, 20, y);
    EXPECT_FALSE(::IsWindow(hPopup));
    // The rows' item clicks stay with the popup, whose manager only the popup hears.
    EXPECT_EQ(m_win.Types(), (std::vector<std::wstring>{ L"itemselect" }));
    EXPECT_STREQ(m_combo->GetText().GetData(), (L"row" + std::to_wstring(iRow)).c_str());
}

TEST_F(ComboTest, OpeningShowsTheSelectedRowAndLosingTheFocusCloses)
{
    Open(50);
    m_combo->SelectItem(40);
    m_win.Clear();
    ASSERT_TRUE(m_combo->Activate());
    m_win.Pump();
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    // The first layout scrolled row 40 into the popup's view.
    CVerticalLayoutUI* pLayout = m_combo->GetDropWindow()->GetLayout();
    const RECT rcView = pLayout->GetPos();
    const RECT rcRow = m_combo->GetItemAt(40)->GetPos();
    EXPECT_GE(rcRow.top, rcView.top);
    EXPECT_LE(rcRow.bottom, rcView.bottom);
    EXPECT_GT(pLayout->GetScrollPos().cy, 0);
    // The wheel in the popup moves the selection and keeps it in view.
    ::PostMessageW(hPopup, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    m_win.Pump();
    EXPECT_EQ(m_combo->GetCurSel(), 41);
    // Another window takes the focus: the popup closes and gives the rows back.
    ::SetFocus(m_win.GetHWND());
    m_win.Pump();
    EXPECT_FALSE(::IsWindow(hPopup));
    ExpectRowsIn(&m_win.pm(), m_combo);
    EXPECT_EQ(m_win.Count(L"dropdown"), 1);
    EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{ { 41, 40 } }));
}

TEST_F(ComboTest, ThePopupIsSizedByItsRowsAndOpensUpwardsAtTheBottomOfTheWorkArea)
{
    struct Case {
        const wchar_t* name;
        int nRows;
        const wchar_t* attributes;
        int width;
        int height;
        bool bar;
    } cases[] = {
        { L"five rows", 5, L"", 150, 104, false },
        { L"fifty rows", 50, L"", 150, 150, true },
        { L"drop-box size", 5, L"dropboxsize=\"300,200\"", 300, 104, false },
        { L"drop-box size, fifty rows", 50, L"dropboxsize=\"300,200\"", 300, 200, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostWindow win;
        CComboUI* pCombo = new CComboUI;
        pCombo->ApplyAttributeList(L"float=\"true\" pos=\"10,10,160,34\"");
        pCombo->ApplyAttributeList(c.attributes);
        for (int i = 0; i < c.nRows; i++) pCombo->Add(Row(i));
        win.Open(Root({ pCombo }), 300, 200);
        ASSERT_TRUE(pCombo->Activate());
        win.Pump();
        HWND hPopup = Popup(pCombo);
        ASSERT_NE(hPopup, (HWND)NULL);
        const RECT rc = ScreenRect(hPopup);
        POINT ptCombo = { 10, 34 };
        ::ClientToScreen(win.GetHWND(), &ptCombo);
        EXPECT_EQ(rc.left, ptCombo.x);
        EXPECT_EQ(rc.top, ptCombo.y);
        EXPECT_EQ(rc.right - rc.left, c.width);
        EXPECT_EQ(rc.bottom - rc.top, c.height);
        EXPECT_EQ(pCombo->GetDropWindow()->GetLayout()->GetVerticalScrollBar()->IsVisible(), c.bar);
        pCombo->CloseDropDown();
        EXPECT_FALSE(::IsWindow(hPopup));
    }

    // A combo near the bottom of its monitor's work area opens above itself.
    Open();
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_win.GetHWND(), MONITOR_DEFAULTTOPRIMARY), &info);
    ::SetWindowPos(m_win.GetHWND(), NULL, info.rcWork.left + 20, info.rcWork.bottom - 60, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_win.Pump();
    ASSERT_TRUE(m_combo->Activate());
    m_win.Pump();
    const RECT rc = ScreenRect(Popup(m_combo));
    POINT ptTop = { 10, 10 };
    ::ClientToScreen(m_win.GetHWND(), &ptTop);
    EXPECT_EQ(rc.bottom, ptTop.y);
    EXPECT_EQ(rc.bottom - rc.top, 104);
    EXPECT_GE(rc.top, info.rcWork.top);
    EXPECT_LE(rc.bottom, info.rcWork.bottom);
}

TEST_F(ComboTest, DestroyingTheComboWhileOpenClosesThePopupFirst)
{
    Open();
    m_win.Click(50, 20);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    PopupKey(VK_DOWN);
    m_root->SetDelayedDestroy(false);
    ASSERT_TRUE(m_root->Remove(m_combo));
    m_combo = nullptr;
    // Gone at once, with the combo and its five rows, and nothing touched them afterwards.
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(Destroyed(), 6);
    m_win.Pump();
    m_win.Click(50, 20);
    m_win.Update();
    EXPECT_EQ(Destroyed(), 6);
    EXPECT_TRUE(painttest::PoisonIntact());
}

TEST_F(ComboTest, TheOwnerWindowGoingWhileOpenGivesTheRowsBack)
{
    Open();
    m_win.Click(50, 20);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    // An owned popup is destroyed with its owner window, without a WM_CLOSE of its own.
    ::DestroyWindow(m_win.GetHWND());
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetDropWindow(), nullptr);
    ExpectRowsIn(&m_win.pm(), m_combo);
}

TEST_F(ComboTest, RemovingRowsWhileOpenClosesThePopupFirst)
{
    Open();
    m_combo->SelectItem(3);
    m_win.Click(50, 20);
    HWND hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    m_win.Clear();
    // The selected row goes: the popup closes at once, and the nearest selectable row at or
    // before its place (the one that moved up into it) is selected.
    m_combo->GetItemAt(4)->SetEnabled(false);
    ASSERT_TRUE(m_combo->RemoveAt(3));
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetDropWindow(), nullptr);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{ { 2, -1 } }));
    ExpectRowsIn(&m_win.pm(), m_combo);
    for (int i = 0; i < m_combo->GetCount(); i++)
        EXPECT_EQ(static_cast<IListItemUI*>(m_combo->GetItemAt(i)->GetInterface(L"ListItem"))->GetIndex(), i);
    m_win.Pump();
    EXPECT_EQ(Destroyed(), 1);

    // All rows go while the popup is open again.
    m_win.Click(50, 20);
    hPopup = Popup(m_combo);
    ASSERT_NE(hPopup, (HWND)NULL);
    m_combo->RemoveAll();
    EXPECT_FALSE(::IsWindow(hPopup));
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_EQ(m_combo->GetCount(), 0);
    m_win.Pump();
    m_win.Update();
    EXPECT_EQ(Destroyed(), 5);
    EXPECT_STREQ(m_combo->GetText().GetData(), L"");
    EXPECT_TRUE(painttest::PoisonIntact());
}

// Empties the combo when it reports a selection, as an application refilling it would.
class RemoveAllOnSelect : public INotifyUI {
public:
    explicit RemoveAllOnSelect(CComboUI* pCombo) : m_pCombo(pCombo) {}
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"itemselect" && msg.sender == m_pCombo) m_pCombo->RemoveAll();
    }

private:
    CComboUI* m_pCombo;
};

TEST_F(ComboTest, ANotifierEmptyingTheComboFromThePopupsKeysAndWheel)
{
    const UINT inputs[] = { VK_DOWN, VK_ESCAPE, 0 };
    for (UINT vk : inputs) {
        SCOPED_TRACE(vk);
        // Each round checks what its own window freed, the window going last.
        QuarantineScope round;
        HostWindow win;
        CComboUI* pCombo = new CComboUI;
        pCombo->ApplyAttributeList(L"float=\"true\" pos=\"10,10,160,34\"");
        for (int i = 0; i < 5; i++) pCombo->Add(Row(i));
        if (vk == VK_ESCAPE) pCombo->SelectItem(2);
        win.Open(Root({ pCombo }), 300, 200);
        ASSERT_TRUE(pCombo->Activate());
        win.Pump();
        HWND hPopup = Popup(pCombo);
        ASSERT_NE(hPopup, (HWND)NULL);
        if (vk == VK_ESCAPE) PopupKeyTo(hPopup, VK_DOWN, win);
        RemoveAllOnSelect emptier(pCombo);
        win.pm().AddNotifier(&emptier);
        if (vk != 0)
            ::SendMessageW(hPopup, WM_KEYDOWN, vk, 1);
        else
            ::SendMessageW(hPopup, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
        EXPECT_FALSE(::IsWindow(hPopup));
        EXPECT_EQ(pCombo->GetCount(), 0);
        EXPECT_EQ(pCombo->GetDropWindow(), nullptr);
        win.Pump();
        win.pm().RemoveNotifier(&emptier);
        EXPECT_EQ(Destroyed(), 5);
        EXPECT_TRUE(painttest::PoisonIntact());
    }
}

TEST_F(ComboTest, SelectionRequestsAndNavigationThatFindsNothing)
{
    Open();
    // Past the end selects the last row.
    EXPECT_TRUE(m_combo->SelectItem(9));
    EXPECT_EQ(m_combo->GetCurSel(), 4);
    // A disabled or hidden target fails and leaves no selection.
    m_combo->GetItemAt(2)->SetEnabled(false);
    m_combo->GetItemAt(3)->SetVisible(false);
    EXPECT_FALSE(m_combo->SelectItem(2));
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_TRUE(m_combo->SelectItem(1));
    EXPECT_FALSE(m_combo->SelectItem(3));
    EXPECT_EQ(m_combo->GetCurSel(), -1);
    EXPECT_TRUE(m_combo->SelectItem(0));
    EXPECT_FALSE(m_combo->SelectItem(-1));
    EXPECT_EQ(m_combo->GetCurSel(), -1);

    // Keys and the wheel over the closed combo move the selection; where nothing selectable
    // lies ahead they leave it.
    m_combo->GetItemAt(4)->SetEnabled(false);
    m_combo->SelectItem(1);
    m_win.pm().SetFocus(m_combo);
    m_win.Clear();
    m_win.Key(VK_DOWN);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    m_win.Key(VK_END);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    m_win.Wheel(50, 20, -120);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    m_win.Wheel(50, 20, 120);
    EXPECT_EQ(m_combo->GetCurSel(), 0);
    m_win.Key(VK_UP);
    EXPECT_EQ(m_combo->GetCurSel(), 0);
    m_win.Wheel(50, 20, -120);
    EXPECT_EQ(m_combo->GetCurSel(), 1);
    EXPECT_EQ(m_combo->GetDropWindow(), nullptr);
    EXPECT_EQ(Selections(), (std::vector<std::pair<WPARAM, LPARAM>>{ { 0, 1 }, { 1, 0 } }));
    EXPECT_STREQ(m_combo->GetText().GetData(), L"row1");
}

TEST_F(ComboTest, TheSelectedLabelRowIsShownAndTextRowsStayEmpty)
{
    Open(2, L"bkcolor=\"#FFFFFFFF\" itemselectedtextcolor=\"#FFFF0000\"");
    CListTextElementUI* pText = new CListTextElementUI;
    pText->SetText(0, L"never");
    m_combo->Add(pText);
    EXPECT_EQ(pText->GetText(0), nullptr);
    const RECT rcCombo = { 10, 10, 160, 34 };
    auto redPixels = [&]() {
        painttest::Canvas canvas(300, 200);
        m_win.PaintTo(canvas);
        int n = 0;
        for (int y = rcCombo.top; y < rcCombo.bottom; y++) {
            for (int x = rcCombo.left; x < rcCombo.right; x++) n += Rgb(canvas.At(x, y)) == 0xFF0000u;
        }
        return n;
    };
    EXPECT_EQ(redPixels(), 0);
    m_combo->SelectItem(1);
    EXPECT_GT(redPixels(), 0);
    m_combo->SelectItem(2);
    EXPECT_EQ(m_combo->GetCurSel(), 2);
    EXPECT_EQ(redPixels(), 0);
}

TEST_F(ComboTest, ImagesFirstDrawnInThePopupOutliveIt)
{
    painttest::TempDir dir;
    std::vector<uint8_t> rgba(8 * 8 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = 0x20;
        rgba[i + 1] = 0x40;
        rgba[i + 2] = 0x80;
        rgba[i + 3] = 0xFF;
    }
    const std::wstring file = dir / L"rowbk.png";
    ASSERT_TRUE(painttest::WriteFileBytes(file, painttest::EncodePng(8, 8, rgba)));
    Open();
    m_combo->SetItemBkImage(file.c_str());
    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(m_combo->Activate());
        m_win.Pump();
        CComboWnd* pWnd = m_combo->GetDropWindow();
        ASSERT_NE(pWnd, nullptr);
        RECT rc = { 0, 0, 150, 104 };
        painttest::Canvas canvas(150, 104);
        pWnd->GetLayout()->DoPaint(canvas.dc(), rc);
        ::GdiFlush();
        // (Away from the left edge, where the stretched image is blended with the frame.)
        EXPECT_EQ(Rgb(canvas.At(60, 10)), 0x204080u);
        m_combo->CloseDropDown();
        // The image lives in the owner window's cache, not in the popup's.
        EXPECT_NE(m_win.pm().GetImage(file.c_str()), nullptr);
    }
}

TEST(ComboWithoutWindow, ActivateAnswersFalseAndOpensNothing)
{
    CComboUI combo;
    combo.Add(new CListLabelElementUI);
    EXPECT_FALSE(combo.Activate());
    EXPECT_EQ(combo.GetDropWindow(), nullptr);
    EXPECT_STREQ(combo.GetClass(), L"ComboUI");
    EXPECT_EQ(combo.GetInterface(L"IListOwner"), static_cast<IListOwnerUI*>(&combo));
    EXPECT_EQ(combo.GetInterface(L"IList"), nullptr);
    EXPECT_EQ(combo.GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP));
    EXPECT_EQ(combo.GetDropBoxSize().cy, 150);
}

TEST(ComboSkin, AttributesFromTheSkin)
{
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(
        L"<Window><Combo dropboxsize=\"300,200\" dropbox=\"bkcolor=&quot;#FF112233&quot;\" itemalign=\"right\" "
        L"itemtextpadding=\"1,2,3,4\" itemselectedbkcolor=\"#FF010203\" itemaltbk=\"true\" itemshowhtml=\"true\">"
        L"<ListLabelElement text=\"a\"/><ListLabelElement text=\"b\" selected=\"false\"/></Combo></Window>",
        NULL, NULL, &pm);
    ASSERT_NE(pRoot, nullptr);
    CComboUI* pCombo = static_cast<CComboUI*>(pRoot->GetInterface(L"Combo"));
    ASSERT_NE(pCombo, nullptr);
    EXPECT_EQ(pCombo->GetDropBoxSize().cx, 300);
    EXPECT_EQ(pCombo->GetDropBoxSize().cy, 200);
    EXPECT_STREQ(pCombo->GetDropBoxAttributeList().GetData(), L"bkcolor=\"#FF112233\"");
    EXPECT_EQ(pCombo->GetListInfo()->uTextStyle & (DT_RIGHT | DT_CENTER), static_cast<UINT>(DT_RIGHT));
    EXPECT_EQ(pCombo->GetItemTextPadding().bottom, 4);
    EXPECT_EQ(pCombo->GetSelectedItemBkColor(), 0xFF010203u);
    EXPECT_TRUE(pCombo->IsAlternateBk());
    EXPECT_TRUE(pCombo->IsItemShowHtml());
    ASSERT_EQ(pCombo->GetCount(), 2);
    // The second row selected itself through its owner while the skin was built.
    EXPECT_EQ(pCombo->GetCurSel(), 1);
    EXPECT_STREQ(pCombo->GetText().GetData(), L"b");
    delete pRoot;
}

} // namespace
