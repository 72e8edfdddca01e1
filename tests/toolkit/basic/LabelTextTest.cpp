#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "core/LabelUI.h"
#include "core/TextUI.h"
#include "core/ButtonUI.h"
#include "core/RenderEngine.h"
#include "core/HorizontalLayoutUI.h"
#include "core/GdiScope.h"
#include "BasicTestUtil.h"

using namespace SkinUI;
using namespace basictest;
using painttest::Canvas;
using painttest::Ch;

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
    void TearDown() override { CPaintManagerUI::Term(); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

// Reads the link areas the markup drawing laid out.
class ProbeText : public CTextUI {
public:
    RECT Link(int i) const { return m_rcLinks[i]; }
    int Links() const { return m_nLinks; }
};

POINT Centre(const RECT& rc)
{
    POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    return pt;
}

int CountIf(const Canvas& c, const RECT& rc, bool (*pred)(uint32_t))
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++)
            if (pred(c.At(x, y))) n++;
    return n;
}

// ---- text style flags from the attributes (no window) ----

TEST(LabelFlags, AttributesSetTheStyleInOrder)
{
    struct Case {
        const char* what;
        int kind; // 0 label, 1 text, 2 button
        LPCWSTR attributes;
        UINT style;
    } cases[] = {
        { "label default", 0, L"", DT_VCENTER },
        { "text default", 1, L"", DT_WORDBREAK },
        { "button default", 2, L"", 0x25 },
        { "right clears single line", 2, L"align=\"right\"", DT_VCENTER | DT_RIGHT },
        { "left clears centre and single line", 2, L"align=\"left\"", DT_VCENTER },
        { "centre", 0, L"align=\"center\"", DT_VCENTER | DT_CENTER },
        { "left then right: both apply", 0, L"align=\"right left\"", DT_VCENTER | DT_RIGHT },
        { "valign top", 0, L"valign=\"top\"", DT_SINGLELINE },
        { "valign bottom", 0, L"valign=\"bottom\"", DT_BOTTOM | DT_SINGLELINE },
        { "text given valign no longer wraps alone", 1, L"valign=\"center\"",
          DT_WORDBREAK | DT_VCENTER | DT_SINGLELINE },
        { "a later align clears it again", 1, L"valign=\"center\" align=\"left\"", DT_WORDBREAK | DT_VCENTER },
        { "end ellipsis on", 0, L"endellipsis=\"true\"", DT_VCENTER | DT_END_ELLIPSIS },
        { "end ellipsis off", 0, L"endellipsis=\"true\" endellipsis=\"false\"", DT_VCENTER },
        { "multiline", 2, L"multiline=\"true\"", DT_CENTER | DT_VCENTER | DT_WORDBREAK },
        { "multiline off", 2, L"multiline=\"true\" multiline=\"false\"", 0x25 },
    };
    for (const Case& c : cases) {
        CLabelUI* p = c.kind == 0 ? new CLabelUI : c.kind == 1 ? static_cast<CLabelUI*>(new CTextUI) : new CButtonUI;
        p->ApplyAttributeList(c.attributes);
        EXPECT_EQ(c.style, p->GetTextStyle()) << c.what;
        delete p;
    }
}

TEST(LabelFlags, OtherAttributes)
{
    CTextUI t;
    t.ApplyAttributeList(L"font=\"2\" textcolor=\"#FF102030\" disabledtextcolor=\"FF405060\" "
                         L"textpadding=\"1,2,3,4\" showhtml=\"true\" autocalcwidth=\"true\" shadowcolor=\"#80112233\"");
    EXPECT_EQ(2, t.GetFont());
    EXPECT_EQ(0xFF102030u, t.GetTextColor());
    EXPECT_EQ(0xFF405060u, t.GetDisabledTextColor());
    RECT pad = t.GetTextPadding();
    EXPECT_EQ(1, pad.left);
    EXPECT_EQ(2, pad.top);
    EXPECT_EQ(3, pad.right);
    EXPECT_EQ(4, pad.bottom);
    EXPECT_TRUE(t.IsShowHtml());
    EXPECT_TRUE(t.GetAutoCalcWidth());
    EXPECT_EQ(0x80112233u, t.GetShadowColor());
    EXPECT_STREQ(L"TextUI", t.GetClass());
    EXPECT_EQ(&t, t.GetInterface(L"Text"));
    EXPECT_EQ(static_cast<CLabelUI*>(&t), t.GetInterface(L"Label"));
    EXPECT_EQ(nullptr, t.GetInterface(L"Button"));
    CTextUI fresh;
    RECT freshPad = fresh.GetTextPadding();
    EXPECT_EQ(2, freshPad.left);
    EXPECT_EQ(2, freshPad.right);
}

// ---- natural size and measured width, on both text roads ----

class LabelSizeTest : public ::testing::TestWithParam<bool> {};

TEST_P(LabelSizeTest, HeightFromFontAndWidthFromText)
{
    const bool bGdiPlus = GetParam();
    CLabelUI* plain = Make<CLabelUI>(L"text=\"plain\"");
    CLabelUI* autow = Make<CLabelUI>(L"text=\"Some text\" autocalcwidth=\"true\" textpadding=\"3,0,5,0\"");
    CButtonUI* button = Make<CButtonUI>(L"text=\"Some button text\" autocalcwidth=\"true\"");
    HostWindow win;
    win.pm().SetUseGdiplusText(bGdiPlus);
    // A line layout asks its children for their sizes (the container base does not).
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    root->Add(plain);
    root->Add(autow);
    root->Add(button);
    win.Open(root, 400, 200);

    const int tmHeight = win.pm().GetFontInfo(-1)->tm.tmHeight;
    ASSERT_GT(tmHeight, 0);
    SIZE avail = { 400, 200 };
    EXPECT_EQ(tmHeight + 4, plain->EstimateSize(avail).cy);
    EXPECT_EQ(0, plain->EstimateSize(avail).cx);
    EXPECT_EQ(tmHeight + 8, button->EstimateSize(avail).cy);
    EXPECT_EQ(0, button->EstimateSize(avail).cx) << "buttons never measure their text";

    // The same call the label uses, on the same DC: the label adds only its paddings.
    RECT rc = { 0, 0, 0, 0 };
    CRenderEngine::DrawText(win.pm().GetPaintDC(), &win.pm(), rc, L"Some text", 0, -1, DT_VCENTER | DT_CALCRECT);
    const int measured = rc.right - rc.left;
    EXPECT_EQ(measured + 8, autow->EstimateSize(avail).cx);
    EXPECT_EQ(measured + 8, autow->GetFixedWidth());
    // A zero-size layout rectangle must not wrap the text: the width is that of the whole line.
    SIZE ext = CRenderEngine::GetTextSize(win.pm().GetPaintDC(), &win.pm(), L"Some text", -1, 0);
    EXPECT_GT(measured, ext.cx * 3 / 4);
    EXPECT_LT(measured, ext.cx * 5 / 4 + 2);
    if (!bGdiPlus) {
        EXPECT_EQ(ext.cx, measured);
    }

    // The width settles: a layout leaves nothing to lay out again.
    win.Update();
    EXPECT_FALSE(autow->IsUpdateNeeded());
    EXPECT_FALSE(root->IsUpdateNeeded());
    EXPECT_FALSE(::GetUpdateRect(win.GetHWND(), NULL, FALSE));

    // A longer text asks for a layout at once and the width follows it.
    autow->SetText(L"Some much longer text");
    EXPECT_TRUE(root->IsUpdateNeeded());
    win.Update();
    rc = { 0, 0, 0, 0 };
    CRenderEngine::DrawText(win.pm().GetPaintDC(), &win.pm(), rc, L"Some much longer text", 0, -1,
                            DT_VCENTER | DT_CALCRECT);
    EXPECT_EQ(rc.right - rc.left + 8, autow->GetFixedWidth());
    EXPECT_GT(autow->GetFixedWidth(), measured + 8);
    // The same text again asks for nothing.
    autow->SetText(L"Some much longer text");
    EXPECT_FALSE(root->IsUpdateNeeded());
}

INSTANTIATE_TEST_SUITE_P(TextRoads, LabelSizeTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "GdiPlus" : "Gdi"; });

// The width of a text in a font, as the platform measures it on the label's DC.
int ExtentIn(HDC hDC, HFONT hFont, LPCWSTR text)
{
    CScopedSelect select(hDC, hFont);
    SIZE sz = {};
    ::GetTextExtentPoint32W(hDC, text, static_cast<int>(wcslen(text)), &sz);
    return sz.cx;
}

// A label showing markup measures what it draws on its one line: the tags take no room, a
// bold run is as wide as in the bold font, a line break is not drawn.
TEST(LabelMarkupWidth, MeasuredAsDrawn)
{
    struct Case {
        LPCWSTR text;
        LPCWSTR visible;
        bool bold;
    } cases[] = {
        { L"abc", L"abc", false },
        { L"a{b}{/b}b{b}{/b}c{b}{/b}{b}{/b}", L"abc", false },
        { L"<c #FFFF0000>ab</c>c", L"abc", false },
        { L"ab{n}cd", L"abcd", false },
        { L"{b}abc{/b}", L"abc", true },
    };
    CHorizontalLayoutUI* root = new CHorizontalLayoutUI;
    std::vector<CLabelUI*> labels;
    for (const Case& c : cases) {
        CLabelUI* label = Make<CLabelUI>(L"showhtml=\"true\" autocalcwidth=\"true\" textpadding=\"3,0,5,0\"");
        label->SetText(c.text);
        root->Add(label);
        labels.push_back(label);
    }
    HostWindow win;
    win.Open(root, 600, 100);

    HDC hDC = win.pm().GetPaintDC();
    const TFontInfo* pDefault = win.pm().GetDefaultFontInfo();
    LOGFONTW lf = {};
    ASSERT_NE(0, ::GetObjectW(pDefault->hFont, sizeof(lf), &lf));
    lf.lfWeight = FW_BOLD;
    CScopedGdiObject<HFONT> bold(::CreateFontIndirectW(&lf));
    ASSERT_NE(nullptr, bold.Get());
    const SIZE avail = { 600, 100 };
    for (size_t i = 0; i < labels.size(); i++) {
        const Case& c = cases[i];
        const int expected = ExtentIn(hDC, c.bold ? bold.Get() : pDefault->hFont, c.visible) + 8;
        EXPECT_EQ(expected, labels[i]->EstimateSize(avail).cx) << c.text;
        EXPECT_EQ(expected, labels[i]->GetFixedWidth()) << c.text;
    }
}

// ---- links ----

class LinkTest : public ::testing::Test {
protected:
    void Open(LPCWSTR text)
    {
        m_text = new ProbeText;
        m_text->ApplyAttributeList(L"float=\"true\" pos=\"10,10,390,110\" showhtml=\"true\"");
        m_text->SetText(text);
        m_win.Open(Root({ m_text }), 400, 200);
    }
    HostWindow m_win;
    ProbeText* m_text = nullptr;
};

TEST_F(LinkTest, ReleaseOverALinkReportsItsIndexAndTarget)
{
    Open(L"Go {a first}one{/a} or {a http://second/}two{/a} now");
    ASSERT_EQ(2, m_text->Links());
    ASSERT_NE(nullptr, m_text->GetLinkContent(0));
    EXPECT_STREQ(L"first", m_text->GetLinkContent(0)->GetData());
    EXPECT_STREQ(L"http://second/", m_text->GetLinkContent(1)->GetData());
    EXPECT_EQ(nullptr, m_text->GetLinkContent(2));
    EXPECT_EQ(nullptr, m_text->GetLinkContent(-1));
    EXPECT_TRUE(m_text->GetControlFlags() & UIFLAG_SETCURSOR);

    const POINT p1 = Centre(m_text->Link(1));
    m_win.Click(p1.x, p1.y);
    ASSERT_EQ(std::vector<std::wstring>{ L"link" }, m_win.Types());
    EXPECT_EQ(1u, m_win.notes[0].wParam);
    EXPECT_EQ(m_text, m_win.notes[0].sender);

    // Between the links nothing is sent.
    m_win.Clear();
    m_win.Click(m_text->Link(0).right + 2, p1.y);
    EXPECT_TRUE(m_win.notes.empty());

    HCURSOR hand = ::LoadCursorW(NULL, IDC_HAND);
    EXPECT_EQ(hand, m_win.CursorAt(p1.x, p1.y));
    EXPECT_NE(hand, m_win.CursorAt(m_text->Link(1).right + 30, p1.y));
}

TEST_F(LinkTest, AtMostEightLinksAreKept)
{
    std::wstring text;
    for (int i = 0; i < 10; i++) text += L"{a t" + std::to_wstring(i) + L"}L" + std::to_wstring(i) + L"{/a} ";
    Open(text.c_str());
    EXPECT_EQ(8, m_text->Links());
    ASSERT_NE(nullptr, m_text->GetLinkContent(7));
    EXPECT_STREQ(L"t7", m_text->GetLinkContent(7)->GetData());
    EXPECT_EQ(nullptr, m_text->GetLinkContent(8));
}

TEST_F(LinkTest, PlainTextLeavesNoLinkBehind)
{
    Open(L"{a target}a long link text{/a}");
    ASSERT_EQ(1, m_text->Links());
    const POINT pt = Centre(m_text->Link(0));
    m_text->SetShowHtml(false);
    m_text->SetText(L"plain words only");
    EXPECT_EQ(nullptr, m_text->GetLinkContent(0)) << "the old target is gone at once";
    m_win.Update();
    EXPECT_EQ(0, m_text->Links());
    EXPECT_EQ(0u, m_text->GetControlFlags());
    m_win.Click(pt.x, pt.y);
    EXPECT_TRUE(m_win.notes.empty());
    EXPECT_NE(::LoadCursorW(NULL, IDC_HAND), m_win.CursorAt(pt.x, pt.y));
}

// ---- pixels ----

bool IsBluish(uint32_t v)
{
    return Ch(v, 0) > 128 && Ch(v, 2) < 100;
}
bool IsReddish(uint32_t v)
{
    return Ch(v, 2) > 128 && Ch(v, 0) < 100;
}
bool IsGreenish(uint32_t v)
{
    return Ch(v, 1) > 100 && Ch(v, 2) < 100 && Ch(v, 0) < 100;
}
bool HasAlpha(uint32_t v)
{
    return Ch(v, 3) != 0;
}
bool HasColour(uint32_t v)
{
    return (v & 0x00FFFFFF) != 0;
}

TEST(LabelPixels, ShadowLiesOnePixelRightAndDown)
{
    CTextUI* t = Make<CTextUI>(L"float=\"true\" pos=\"10,10,300,90\" text=\"HIH\" textcolor=\"#FF0000FF\" "
                               L"shadowcolor=\"#FFFF0000\"");
    HostWindow win;
    win.pm().SetDefaultFont(L"Tahoma", 48, true, false, false);
    win.Open(Root({ t }), 320, 100);
    Canvas c(320, 100, 0xFFFFFFFF);
    win.PaintTo(c);
    RECT all = { 0, 0, 320, 100 };
    int red = 0, redWithTextUpLeft = 0;
    for (int y = 1; y < 100; y++) {
        for (int x = 1; x < 320; x++) {
            if (!IsReddish(c.At(x, y))) continue;
            red++;
            if (IsBluish(c.At(x - 1, y - 1))) redWithTextUpLeft++;
        }
    }
    EXPECT_GT(CountIf(c, all, IsBluish), 100);
    EXPECT_GT(red, 20);
    EXPECT_GT(redWithTextUpLeft * 10, red * 9) << red << " shadow pixels";
}

TEST(LabelPixels, DisabledColourAndDefaultColours)
{
    CLabelUI* off = Make<CLabelUI>(L"float=\"true\" pos=\"0,0,200,50\" text=\"HHHH\" textcolor=\"#FFFF0000\" "
                                   L"disabledtextcolor=\"#FF00C000\" enabled=\"false\"");
    CLabelUI* plain = Make<CLabelUI>(L"float=\"true\" pos=\"0,50,200,100\" text=\"HHHH\"");
    HostWindow win;
    win.pm().SetDefaultFont(L"Tahoma", 30, true, false, false);
    win.pm().SetDefaultFontColor(0xFF0000FF);
    win.pm().SetDefaultDisabledColor(0xFF808080);
    EXPECT_EQ(0u, plain->GetTextColor());
    win.Open(Root({ off, plain }), 200, 100);
    Canvas c(200, 100, 0xFFFFFFFF);
    win.PaintTo(c);
    RECT top = { 0, 0, 200, 50 }, bottom = { 0, 50, 200, 100 };
    EXPECT_GT(CountIf(c, top, IsGreenish), 30);
    EXPECT_EQ(0, CountIf(c, top, IsReddish));
    EXPECT_GT(CountIf(c, bottom, IsBluish), 30);
    EXPECT_EQ(0xFF0000FFu, plain->GetTextColor()) << "a colour of 0 takes the default at the first paint";
    EXPECT_EQ(0xFF808080u, plain->GetDisabledTextColor());
    EXPECT_EQ(0xFFFF0000u, off->GetTextColor());
}

// Text stays inside its rectangle on every road; GDI+ draws with alpha, GDI leaves it 0.
TEST(LabelPixels, TextLandsInsideItsRectangleOnEveryRoad)
{
    struct Case {
        const char* what;
        bool gdiplus;
        bool layered;
    } cases[] = { { "gdi", false, false }, { "gdiplustext", true, false }, { "layered", false, true } };
    for (const Case& k : cases) {
        CLabelUI* l = Make<CLabelUI>(L"float=\"true\" pos=\"40,30,240,70\" text=\"Label HH\" textcolor=\"#FFFFFFFF\" "
                                     L"align=\"center\"");
        HostWindow win;
        win.pm().SetDefaultFont(L"Tahoma", 20, false, false, false);
        win.pm().SetUseGdiplusText(k.gdiplus);
        win.pm().SetUseLayeredWindow(k.layered);
        win.Open(Root({ l }), 300, 100);
        Canvas c(300, 100, 0);
        win.PaintTo(c);
        RECT inside = { 40, 30, 240, 70 }, all = { 0, 0, 300, 100 };
        const bool alphaRoad = k.gdiplus || k.layered;
        const int in = CountIf(c, inside, alphaRoad ? HasAlpha : HasColour);
        EXPECT_GT(in, 40) << k.what;
        EXPECT_EQ(in, CountIf(c, all, alphaRoad ? HasAlpha : HasColour)) << k.what << ": nothing outside";
        EXPECT_EQ(CountIf(c, inside, HasColour), CountIf(c, all, HasColour)) << k.what;
    }
}

// ---- a changed text lays the parent out again ----

TEST(TextSetText, ChangedTextAsksTheParentForALayout)
{
    CTextUI* t = Make<CTextUI>(L"text=\"one\"");
    CLabelUI* l = Make<CLabelUI>(L"text=\"one\"");
    CContainerUI* inner = Root({ t, l });
    HostWindow win;
    win.Open(Root({ inner }), 200, 100);
    EXPECT_FALSE(inner->IsUpdateNeeded());
    t->SetText(L"one");
    EXPECT_FALSE(inner->IsUpdateNeeded()) << "same text";
    t->SetText(L"two");
    EXPECT_TRUE(inner->IsUpdateNeeded());
    EXPECT_STREQ(L"two", t->GetText().GetData());
    win.Update();
    // A label without a measured width only repaints.
    l->SetText(L"three");
    EXPECT_FALSE(inner->IsUpdateNeeded());
    EXPECT_STREQ(L"three", l->GetText().GetData());
}

} // namespace
