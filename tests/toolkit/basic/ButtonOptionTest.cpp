#include <windows.h>
#include <gtest/gtest.h>
#include "core/ButtonUI.h"
#include "core/OptionUI.h"
#include "core/CheckBoxUI.h"
#include "core/TabLayoutUI.h"
#include "BasicTestUtil.h"
#include "../paint/PoisonArena.h"

using namespace SkinUI;
using namespace basictest;
using painttest::Canvas;
using painttest::Ch;

namespace {

typedef std::vector<std::wstring> Types;

// A button at 10,10-110,50 in a 200 x 100 window.
class ButtonTest : public OneControlTest<CButtonUI> {
protected:
    ButtonTest() : OneControlTest(L"float=\"true\" pos=\"10,10,110,50\" text=\"OK\"", 200, 100) {}
    CButtonUI*& m_button = m_control;
};

TEST_F(ButtonTest, PressAndReleaseInsideClicksOnce)
{
    Open();
    m_win.Click(50, 30);
    EXPECT_EQ(Types{ L"click" }, m_win.Types());
    EXPECT_EQ(m_button, m_win.notes[0].sender);
    EXPECT_EQ(0u, m_button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
}

TEST_F(ButtonTest, MovingOutAndBackFollowsThePushedLook)
{
    Open();
    m_win.Move(50, 30);
    m_win.Down(50, 30);
    EXPECT_EQ(UISTATE_PUSHED | UISTATE_CAPTURED, m_button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
    m_win.Move(150, 80);
    EXPECT_EQ(UISTATE_CAPTURED, m_button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
    m_win.Move(60, 20);
    EXPECT_EQ(UISTATE_PUSHED | UISTATE_CAPTURED, m_button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
    m_win.Up(60, 20);
    EXPECT_EQ(Types{ L"click" }, m_win.Types());

    // Released outside: no click, and the pushed look is gone.
    m_win.Clear();
    m_win.Move(50, 30);
    m_win.Down(50, 30);
    m_win.Move(150, 80);
    m_win.Move(60, 20);
    m_win.Move(150, 80);
    m_win.Up(150, 80);
    EXPECT_TRUE(m_win.notes.empty());
    EXPECT_EQ(0u, m_button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED));
}

TEST_F(ButtonTest, SpaceAndReturnClickTheFocusedButton)
{
    Open();
    m_win.pm().SetFocus(m_button);
    ASSERT_TRUE(m_button->IsFocused());
    m_win.Key(VK_SPACE);
    m_win.Key(VK_RETURN);
    m_win.Key('A');
    EXPECT_EQ((Types{ L"click", L"click" }), m_win.Types());
    m_button->SetKeyboardEnabled(false);
    m_win.Key(VK_SPACE);
    EXPECT_EQ(2u, m_win.notes.size());
}

TEST_F(ButtonTest, DisabledButtonDoesNothing)
{
    Open(L"enabled=\"false\"");
    m_win.Click(50, 30);
    m_win.pm().SetFocus(m_button);
    m_win.Key(VK_SPACE);
    EXPECT_TRUE(m_win.notes.empty());
    EXPECT_FALSE(m_button->Activate());
    EXPECT_EQ(UIFLAG_TABSTOP, m_button->GetControlFlags());
    m_button->SetEnabled(true);
    EXPECT_EQ(UIFLAG_TABSTOP | UIFLAG_SETCURSOR, m_button->GetControlFlags());
    m_button->SetKeyboardEnabled(false);
    EXPECT_EQ(UIFLAG_SETCURSOR, m_button->GetControlFlags());
    EXPECT_EQ(::LoadCursorW(NULL, IDC_HAND), m_win.CursorAt(50, 30));
}

TEST_F(ButtonTest, DoubleClickGivesTwoClicks)
{
    Open();
    m_win.Move(50, 30);
    m_win.Down(50, 30);
    m_win.Up(50, 30);
    m_win.DblClk(50, 30);
    m_win.Up(50, 30);
    EXPECT_EQ((Types{ L"click", L"click" }), m_win.Types());
}

// A window that removes the clicked button from its container while being told.
class Remover : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"click") {
            CContainerUI* parent = static_cast<CContainerUI*>(msg.sender->GetParent()->GetInterface(L"Container"));
            removed = parent->Remove(msg.sender);
        }
    }
    bool removed = false;
};

TEST_F(ButtonTest, ClickHandlerMayRemoveTheButton)
{
    Open(L"bindtablayoutname=\"nothere\" bindtabindex=\"1\"");
    Remover remover;
    m_win.pm().AddNotifier(&remover);
    m_win.Click(50, 30);
    EXPECT_TRUE(remover.removed);
    EXPECT_EQ(Types{ L"click" }, m_win.Types());
    m_win.Click(50, 30);
    m_win.Pump();
    EXPECT_EQ(1u, m_win.notes.size());
    m_win.pm().RemoveNotifier(&remover);
}

// ---- option groups ----

class OptionTest : public ::testing::Test {
protected:
    void Open(LPCWSTR group)
    {
        for (int i = 0; i < 3; i++) {
            m_opt[i] = new COptionUI;
            wchar_t pos[80];
            swprintf(pos, 80, L"float=\"true\" pos=\"%d,0,%d,40\"", i * 50, i * 50 + 40);
            m_opt[i]->ApplyAttributeList(pos);
            if (group != nullptr) m_opt[i]->SetGroup(group);
        }
        m_win.Open(Root({ m_opt[0], m_opt[1], m_opt[2] }), 200, 100);
    }
    void ClickOption(int i) { m_win.Click(i * 50 + 20, 20); }
    HostWindow m_win;
    COptionUI* m_opt[3] = {};
};

TEST_F(OptionTest, OneSelectedPerGroupAndOnlyItReports)
{
    Open(L"g");
    ClickOption(1);
    EXPECT_EQ((Types{ L"click", L"selectchanged" }), m_win.Types());
    EXPECT_EQ(m_opt[1], m_win.notes[1].sender);
    EXPECT_TRUE(m_opt[1]->IsSelected());
    m_win.Clear();
    ClickOption(2);
    EXPECT_EQ((Types{ L"click", L"selectchanged" }), m_win.Types());
    EXPECT_EQ(m_opt[2], m_win.notes[1].sender);
    EXPECT_FALSE(m_opt[0]->IsSelected());
    EXPECT_FALSE(m_opt[1]->IsSelected());
    EXPECT_TRUE(m_opt[2]->IsSelected());
    EXPECT_EQ(0u, m_opt[1]->GetButtonState() & UISTATE_SELECTED);
    // Again: reported again, still selected.
    m_win.Clear();
    ClickOption(2);
    EXPECT_EQ((Types{ L"click", L"selectchanged" }), m_win.Types());
    EXPECT_TRUE(m_opt[2]->IsSelected());
}

TEST_F(OptionTest, WithoutAGroupAnOptionToggles)
{
    Open(nullptr);
    ClickOption(0);
    EXPECT_TRUE(m_opt[0]->IsSelected());
    ClickOption(1);
    EXPECT_TRUE(m_opt[0]->IsSelected()) << "no group: the others stay";
    ClickOption(0);
    EXPECT_FALSE(m_opt[0]->IsSelected());
    EXPECT_EQ(3, m_win.Count(L"selectchanged"));
}

TEST_F(OptionTest, LeavingTheGroup)
{
    Open(L"g");
    m_opt[0]->Selected(true);
    m_opt[1]->SetGroup(NULL);
    EXPECT_STREQ(L"", m_opt[1]->GetGroup());
    ASSERT_NE(nullptr, m_win.pm().GetOptionGroup(L"g"));
    EXPECT_EQ(2, m_win.pm().GetOptionGroup(L"g")->GetSize());
    m_opt[1]->Selected(true);
    EXPECT_TRUE(m_opt[0]->IsSelected()) << "a free option deselects nobody";
    m_opt[2]->SetGroup(L"h");
    m_opt[2]->Selected(true);
    EXPECT_TRUE(m_opt[0]->IsSelected());
    EXPECT_EQ(1, m_win.pm().GetOptionGroup(L"h")->GetSize());
}

TEST_F(OptionTest, DeletedMembersLeaveTheirGroup)
{
    Open(L"g");
    // An option configured with the manager (as the skin builder does) but never attached.
    COptionUI* loose = new COptionUI;
    loose->SetManager(&m_win.pm(), NULL, false);
    loose->SetGroup(L"g");
    loose->SetManager(NULL, NULL, false);
    EXPECT_EQ(4, m_win.pm().GetOptionGroup(L"g")->GetSize());
    delete loose;
    CContainerUI* root = static_cast<CContainerUI*>(m_win.pm().GetRoot()->GetInterface(L"Container"));
    root->Remove(m_opt[0]);
    m_win.Pump();
    EXPECT_EQ(2, m_win.pm().GetOptionGroup(L"g")->GetSize());
    ClickOption(1);
    EXPECT_TRUE(m_opt[1]->IsSelected());
    m_opt[2]->Selected(true);
    EXPECT_FALSE(m_opt[1]->IsSelected());
}

TEST(OptionManager, AGroupOfAManagerThatIsGoneIsLeftAlone)
{
    // The option joined a group of a window that closed before it (as a drop-down's rows
    // do); leaving the group later must not reach the freed manager.
    COptionUI o;
    o.SetGroup(L"g");
    painttest::Poisoned<CPaintManagerUI>* pm = new painttest::Poisoned<CPaintManagerUI>;
    o.SetManager(pm, NULL, true);
    ASSERT_EQ(1, pm->GetOptionGroup(L"g")->GetSize());
    o.SetManager(NULL, NULL, false);
    delete pm;
    o.SetGroup(L"h");
    EXPECT_STREQ(L"h", o.GetGroup());
}

TEST(OptionNoManager, GettersAndSelectionWithoutAWindow)
{
    COptionUI o;
    EXPECT_EQ(0u, o.GetSelectedTextColor());
    o.SetSelectedTextColor(0xFF112233);
    EXPECT_EQ(0xFF112233u, o.GetSelectedTextColor());
    o.SetGroup(L"g");
    o.Selected(true);
    EXPECT_TRUE(o.IsSelected());
    CCheckBoxUI box;
    EXPECT_STREQ(L"CheckBoxUI", box.GetClass());
    EXPECT_EQ(static_cast<COptionUI*>(&box), box.GetInterface(L"Option"));
    EXPECT_EQ(nullptr, box.GetInterface(L"CheckBox"));
    EXPECT_NE(nullptr, box.GetInterface(L"Button"));
    box.SetCheck(true);
    EXPECT_TRUE(box.GetCheck());
    box.SetCheck(false);
    EXPECT_FALSE(box.GetCheck());
}

TEST(OptionManager, SelectedWithAGroupTheManagerDoesNotKnow)
{
    COptionUI* o = Make<COptionUI>(L"float=\"true\" pos=\"0,0,40,40\"");
    HostWindow win;
    win.Open(Root({ o }), 100, 100);
    // Registered nowhere: a group name set behind the manager's back would be this case.
    o->SetGroup(L"g");
    win.pm().RemoveOptionGroup(L"g", o);
    ASSERT_EQ(nullptr, win.pm().GetOptionGroup(L"g"));
    win.Clear();
    o->Selected(true);
    EXPECT_TRUE(o->IsSelected());
    EXPECT_EQ(Types{ L"selectchanged" }, win.Types());
}

TEST(CheckBox, ClickTogglesAndReports)
{
    CCheckBoxUI* box = Make<CCheckBoxUI>(L"float=\"true\" pos=\"0,0,40,40\"");
    HostWindow win;
    win.Open(Root({ box }), 100, 100);
    win.Click(20, 20);
    EXPECT_TRUE(box->GetCheck());
    win.Click(20, 20);
    EXPECT_FALSE(box->GetCheck());
    EXPECT_EQ((Types{ L"click", L"selectchanged", L"click", L"selectchanged" }), win.Types());
}

// ---- tab binding ----

TEST(TabBinding, ClickSelectsTheBoundPageAfterTheClick)
{
    CTabLayoutUI* tabs = new CTabLayoutUI;
    tabs->ApplyAttributeList(L"name=\"pages\" float=\"true\" pos=\"0,50,200,100\"");
    for (int i = 0; i < 3; i++) tabs->Add(new CControlUI);
    CButtonUI* b = Make<CButtonUI>(L"float=\"true\" pos=\"0,0,40,40\" bindtablayoutname=\"pages\" bindtabindex=\"2\"");
    CLabelUI* notTabs = Make<CLabelUI>(L"name=\"label\" float=\"true\" pos=\"50,0,90,40\"");
    CButtonUI* wrong = Make<CButtonUI>(L"float=\"true\" pos=\"100,0,140,40\" bindtablayoutname=\"label\" "
                                       L"bindtabindex=\"1\"");
    HostWindow win;
    win.Open(Root({ tabs, b, notTabs, wrong }), 200, 100);
    EXPECT_EQ(2, b->GetBindTabLayoutIndex());
    EXPECT_STREQ(L"pages", b->GetBindTabLayoutName().GetData());
    win.Clear();
    win.Click(20, 20);
    ASSERT_EQ((Types{ L"click", L"tabselect" }), win.Types());
    EXPECT_EQ(2u, win.notes[1].wParam);
    EXPECT_EQ(2, tabs->GetCurSel());
    // Binding to something that is no tab layout does nothing.
    win.Clear();
    win.Click(120, 20);
    EXPECT_EQ(Types{ L"click" }, win.Types());
    b->RemoveBindTabIndex();
    EXPECT_EQ(-1, b->GetBindTabLayoutIndex());
    win.Clear();
    win.Click(20, 20);
    EXPECT_EQ(Types{ L"click" }, win.Types());
}

// ---- state images (solid colours from the image cache; centre pixel) ----

const uint32_t kNormal = 0x101010, kHot = 0x202020, kPushed = 0x303030, kFocused = 0x404040, kDisabled = 0x505050,
               kSelected = 0x606060, kSelHot = 0x707070, kSelPushed = 0x808080;

class StateImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        struct {
            LPCWSTR name;
            uint32_t colour;
        } images[] = { { L"n", kNormal },   { L"h", kHot },      { L"p", kPushed },  { L"f", kFocused },
                       { L"d", kDisabled }, { L"s", kSelected }, { L"sh", kSelHot }, { L"sp", kSelPushed } };
        for (const auto& i : images) AddSolidImage(m_win.pm(), i.name, 0xFF000000 | i.colour);
        // Fore images cover the right half only, so both layers can be read.
        std::vector<uint32_t> px(16 * 8, 0);
        for (int y = 0; y < 8; y++)
            for (int x = 8; x < 16; x++) px[y * 16 + x] = 0xFF00FF00;
        m_win.pm().AddImage(L"fore", painttest::MakeSourceBitmap(16, 8, px), 16, 8, true);
        for (int y = 0; y < 8; y++)
            for (int x = 8; x < 16; x++) px[y * 16 + x] = 0xFF0000FF;
        m_win.pm().AddImage(L"hotfore", painttest::MakeSourceBitmap(16, 8, px), 16, 8, true);
        // A translucent fore image: drawn twice it would come out darker.
        for (int y = 0; y < 8; y++)
            for (int x = 8; x < 16; x++) px[y * 16 + x] = 0x80000000;
        m_win.pm().AddImage(L"shade", painttest::MakeSourceBitmap(16, 8, px), 16, 8, true);
    }
    // The colour bytes at the left quarter and the right quarter of the control's middle row.
    uint32_t Left(CControlUI* c)
    {
        Canvas canvas(200, 100, 0xFFFFFFFF);
        m_win.PaintTo(canvas);
        const RECT& rc = c->GetPos();
        return Rgb(canvas.At(rc.left + (rc.right - rc.left) / 4, (rc.top + rc.bottom) / 2));
    }
    uint32_t Right(CControlUI* c)
    {
        Canvas canvas(200, 100, 0xFFFFFFFF);
        m_win.PaintTo(canvas);
        const RECT& rc = c->GetPos();
        return Rgb(canvas.At(rc.right - (rc.right - rc.left) / 4, (rc.top + rc.bottom) / 2));
    }
    HostWindow m_win;
};

TEST_F(StateImageTest, ButtonShowsTheImageOfItsState)
{
    CButtonUI* b = Make<CButtonUI>(L"float=\"true\" pos=\"10,10,90,50\" normalimage=\"n\" hotimage=\"h\" "
                                   L"pushedimage=\"p\" focusedimage=\"f\" disabledimage=\"d\" foreimage=\"fore\" "
                                   L"hotforeimage=\"hotfore\"");
    CButtonUI* other = Make<CButtonUI>(L"float=\"true\" pos=\"100,10,190,50\"");
    m_win.Open(Root({ b, other }), 200, 100);
    EXPECT_EQ(kNormal, Left(b));
    EXPECT_EQ(0x00FF00u, Right(b)) << "fore image over the normal one";
    m_win.Move(30, 30);
    EXPECT_EQ(kHot, Left(b));
    EXPECT_EQ(0x0000FFu, Right(b)) << "hot fore image";
    m_win.Down(30, 30);
    EXPECT_EQ(kPushed, Left(b));
    EXPECT_EQ(0x00FF00u, Right(b)) << "no pushed fore image: the fore image";
    m_win.Up(30, 30);
    m_win.Move(150, 30);
    ASSERT_TRUE(b->IsFocused()) << "the press gave it the focus";
    EXPECT_EQ(kFocused, Left(b));
    EXPECT_EQ(kFocused, Right(b)) << "the focused look has no fore image";
    b->SetEnabled(false);
    EXPECT_EQ(kDisabled, Left(b));
    EXPECT_EQ(0x00FF00u, Right(b));
}

TEST_F(StateImageTest, HotColourWithoutHotImageAndTextColours)
{
    CButtonUI* b = Make<CButtonUI>(L"float=\"true\" pos=\"10,10,90,50\" normalimage=\"n\" foreimage=\"fore\" "
                                   L"hotbkcolor=\"#FFC08040\"");
    m_win.Open(Root({ b }), 200, 100);
    m_win.Move(30, 30);
    EXPECT_EQ(0xC08040u, Left(b));
    EXPECT_EQ(0xC08040u, Right(b)) << "only the colour while hot";
    m_win.Move(150, 30);
    EXPECT_EQ(kNormal, Left(b));
}

TEST_F(StateImageTest, OptionSelectedLooks)
{
    COptionUI* o = Make<COptionUI>(L"float=\"true\" pos=\"10,10,90,50\" normalimage=\"n\" selectedimage=\"s\" "
                                   L"selectedhotimage=\"sh\" selectedpushedimage=\"sp\" foreimage=\"shade\"");
    COptionUI* c = Make<COptionUI>(L"float=\"true\" pos=\"100,10,190,50\" normalimage=\"n\" "
                                   L"selectedbkcolor=\"#FF00A0A0\" foreimage=\"fore\" selected=\"true\"");
    m_win.Open(Root({ o, c }), 200, 100);
    EXPECT_EQ(kNormal, Left(o));
    const uint32_t shadedOnce = Right(o);
    EXPECT_TRUE(painttest::Near(shadedOnce, 0x080808, 2)) << std::hex << shadedOnce;
    o->Selected(true);
    EXPECT_EQ(kSelected, Left(o));
    const uint32_t selectedShaded = Right(o);
    EXPECT_TRUE(painttest::Near(selectedShaded, 0x303030, 2)) << std::hex << selectedShaded;
    m_win.Move(30, 30);
    EXPECT_EQ(kSelHot, Left(o));
    m_win.Down(30, 30);
    EXPECT_EQ(kSelPushed, Left(o));
    m_win.Up(30, 30);
    // A selected option with a selected colour and no selected image shows only the colour.
    EXPECT_EQ(0x00A0A0u, Left(c));
    EXPECT_EQ(0x00A0A0u, Right(c));
}

bool IsColour(uint32_t v, uint32_t rgb)
{
    return painttest::Near(v | 0xFF000000, rgb | 0xFF000000, 40);
}

int CountColour(Canvas& c, const RECT& rc, uint32_t rgb)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++)
            if (IsColour(c.At(x, y), rgb)) n++;
    return n;
}

TEST_F(StateImageTest, TextColourPerState)
{
    CButtonUI* b = Make<CButtonUI>(L"float=\"true\" pos=\"10,10,190,90\" text=\"HHHH\" textcolor=\"#FF000000\" "
                                   L"hottextcolor=\"#FFFF0000\" pushedtextcolor=\"#FF0000FF\" "
                                   L"focusedtextcolor=\"#FF00FF00\"");
    m_win.pm().SetDefaultFont(L"Tahoma", 30, true, false, false);
    m_win.Open(Root({ b }), 200, 100);
    const RECT rc = { 10, 10, 190, 90 };
    auto colourNow = [&](uint32_t rgb) {
        Canvas canvas(200, 100, 0xFFFFFFFF);
        m_win.PaintTo(canvas);
        return CountColour(canvas, rc, rgb);
    };
    ASSERT_EQ(0u, b->GetButtonState() & (UISTATE_HOT | UISTATE_PUSHED | UISTATE_FOCUSED)) << b->GetButtonState();
    ASSERT_EQ(180, b->GetWidth());
    EXPECT_GT(colourNow(0x000000), 30);
    m_win.Move(50, 50);
    EXPECT_GT(colourNow(0xFF0000), 30) << "hot";
    m_win.Down(50, 50);
    EXPECT_GT(colourNow(0x0000FF), 30) << "pushed wins over hot";
    EXPECT_EQ(0, colourNow(0xFF0000));
    m_win.Up(50, 50);
    EXPECT_GT(colourNow(0xFF0000), 30) << "hot wins over focused";
    m_win.Move(5, 5);
    EXPECT_GT(colourNow(0x00FF00), 30) << "focused";
}

} // namespace
