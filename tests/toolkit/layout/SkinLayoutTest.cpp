#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "core/DialogBuilder.h"
#include "core/ChildLayoutUI.h"
#include "core/TabLayoutUI.h"
#include "core/TileLayoutUI.h"
#include "core/VerticalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// Builds a skin text into a window and lays the root out over w x h.
CControlUI* BuildInto(ManagedWindow& w, const wchar_t* xml, int cx, int cy)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(xml, NULL, NULL, &w.pm(), NULL);
    if (root == NULL) return NULL;
    w.Attach(root);
    root->SetPos(Rc(0, 0, cx, cy));
    return root;
}

TEST(SkinLayout, TableOfSkins)
{
    struct Case {
        const char* what;
        const wchar_t* xml;
        int cx, cy;
        std::vector<std::pair<const wchar_t*, RECT>> expect;
    } cases[] = {
        { "vertical share",
          L"<Window><VerticalLayout childpadding=\"5\"><Control name=\"a\"/><Control name=\"b\" height=\"40\"/>"
          L"<Control name=\"c\"/></VerticalLayout></Window>",
          100,
          200,
          { { L"a", Rc(0, 0, 100, 75) }, { L"b", Rc(0, 80, 100, 120) }, { L"c", Rc(0, 125, 100, 200) } } },
        { "horizontal with inset and padding",
          L"<Window><HorizontalLayout inset=\"10,5,10,5\"><Control name=\"a\" width=\"30\" padding=\"2,0,3,0\"/>"
          L"<Control name=\"b\" maxwidth=\"50\"/><Control name=\"c\" height=\"20\"/></HorizontalLayout></Window>",
          300,
          100,
          { { L"a", Rc(12, 5, 42, 95) }, { L"b", Rc(45, 5, 95, 95) }, { L"c", Rc(95, 5, 217, 25) } } },
        { "nested with min and max",
          L"<Window><VerticalLayout><HorizontalLayout name=\"row\" height=\"50\"><Control name=\"l\" minwidth=\"120\"/>"
          L"<Control name=\"r\"/></HorizontalLayout><Control name=\"rest\" "
          L"maxheight=\"30\"/></VerticalLayout></Window>",
          200,
          200,
          { { L"row", Rc(0, 0, 200, 50) },
            { L"l", Rc(0, 0, 120, 50) },
            { L"r", Rc(120, 0, 220, 50) },
            { L"rest", Rc(0, 50, 200, 80) } } },
        { "tile columns and centring",
          L"<Window><TileLayout itemsize=\"100,0\" childpadding=\"10\"><Control name=\"a\" width=\"40\" height=\"20\"/>"
          L"<Control name=\"b\" height=\"30\"/><Control name=\"c\"/><Control name=\"d\" height=\"10\"/>"
          L"</TileLayout></Window>",
          250,
          300,
          { { L"a", Rc(40, 5, 80, 25) },
            { L"b", Rc(130, 0, 250, 30) },
            { L"c", Rc(0, 40, 120, 50) },
            { L"d", Rc(130, 40, 250, 50) } } },
        { "tab selectedid after its pages",
          L"<Window><TabLayout name=\"tab\" selectedid=\"2\" inset=\"4,4,4,4\"><Control name=\"p0\"/>"
          L"<Control name=\"p1\"/><Control name=\"p2\"/></TabLayout></Window>",
          100,
          100,
          { { L"p2", Rc(4, 4, 96, 96) }, { L"p0", Rc(0, 0, 0, 0) } } },
        { "scrolled vertical layout",
          L"<Window><VerticalLayout vscrollbar=\"true\"><Control name=\"a\" height=\"80\"/>"
          L"<Control name=\"b\" height=\"80\"/></VerticalLayout></Window>",
          100,
          100,
          { { L"a", Rc(0, 0, 84, 80) }, { L"b", Rc(0, 80, 84, 160) } } },
    };
    for (const Case& c : cases) {
        ManagedWindow w(400, 400);
        CControlUI* root = BuildInto(w, c.xml, c.cx, c.cy);
        ASSERT_NE(nullptr, root) << c.what;
        for (const auto& e : c.expect) {
            CControlUI* p = w.pm().FindControl(e.first);
            ASSERT_NE(nullptr, p) << c.what << " " << std::string(e.first, e.first + wcslen(e.first));
            EXPECT_EQ(Str(e.second), Str(p->GetPos()))
                << c.what << " " << std::string(e.first, e.first + wcslen(e.first));
        }
    }
}

TEST(SkinLayout, TabSelectionFromTheSkin)
{
    struct Case {
        const wchar_t* id;
        const char* shown;
    } cases[] = { { L"2", "001" }, { L"5", "100" }, { L"x", "100" } };
    for (const Case& c : cases) {
        std::wstring xml = L"<Window><TabLayout name=\"tab\" selectedid=\"";
        xml += c.id;
        xml += L"\"><Control/><Control/><Control/></TabLayout></Window>";
        ManagedWindow w;
        CControlUI* root = BuildInto(w, xml.c_str(), 100, 100);
        ASSERT_NE(nullptr, root);
        CTabLayoutUI* tab = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
        ASSERT_NE(nullptr, tab);
        std::string shown;
        for (int i = 0; i < tab->GetCount(); i++) shown += tab->GetItemAt(i)->IsVisible() ? '1' : '0';
        EXPECT_EQ(c.shown, shown);
    }
}

TEST(SkinLayout, ScrollBarStyleFromTheSkin)
{
    ManagedWindow w;
    CControlUI* root =
        BuildInto(w,
                  L"<Window><Default name=\"VScrollBar\" value=\"width=&quot;10&quot; linesize=&quot;3&quot;\"/>"
                  L"<VerticalLayout vscrollbar=\"true\"><Control height=\"300\"/></VerticalLayout></Window>",
                  100, 100);
    ASSERT_NE(nullptr, root);
    CContainerUI* layout = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_NE(nullptr, layout);
    CScrollBarUI* bar = layout->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(10, bar->GetFixedWidth());
    EXPECT_EQ(3, bar->GetLineSize());
    EXPECT_EQ(Str(Rc(90, 0, 100, 100)), Str(bar->GetPos()));
    EXPECT_EQ(200, bar->GetScrollRange());
}

// A row with a horizontal bar settles on its content: the bar's range never widens what the
// automatic children share, so a toolbar with a stretching spacer shows no bar (and has its
// full height after the window's one layout pass), and a row that shrinks keeps its end in
// reach.
TEST(SkinLayout, HorizontalBarFollowsTheRow)
{
    ManagedWindow w;
    CControlUI* root = BuildInto(w,
                                 L"<Window><HorizontalLayout hscrollbar=\"true\"><Control name=\"spacer\"/>"
                                 L"<Control name=\"button\" width=\"60\"/></HorizontalLayout></Window>",
                                 200, 100);
    ASSERT_NE(nullptr, root);
    CContainerUI* row = static_cast<CContainerUI*>(root->GetInterface(L"Container"));
    ASSERT_NE(nullptr, row);
    CScrollBarUI* bar = row->GetHorizontalScrollBar();
    ASSERT_NE(nullptr, bar);
    CControlUI* spacer = w.pm().FindControl(L"spacer");
    CControlUI* button = w.pm().FindControl(L"button");
    ASSERT_NE(nullptr, spacer);
    ASSERT_NE(nullptr, button);

    // Each step is one layout pass, as a window runs it; "settled": another pass changes nothing
    // (a bar that has just appeared overlaps the row until the next pass).
    struct Step {
        const char* what;
        int cx; // the row's width
        int buttonWidth;
        int scrollTo; // -1: the position is left alone
        bool shown;
        int range, pos;
        RECT spacer, button;
        bool settled;
    } steps[] = {
        { "toolbar fits", 200, 60, -1, false, 0, 0, Rc(0, 0, 140, 100), Rc(140, 0, 200, 100), true },
        { "too wide", 200, 300, -1, true, 100, 0, Rc(0, 0, 0, 100), Rc(0, 0, 300, 100), false },
        { "scrolled to the end", 200, 300, 100, true, 100, 100, Rc(-100, 0, -100, 84), Rc(-100, 0, 200, 84), true },
        { "wider row, end in reach", 250, 300, -1, true, 50, 50, Rc(-50, 0, -50, 84), Rc(-50, 0, 250, 84), true },
        { "fits again", 400, 300, -1, false, 0, 0, Rc(0, 0, 100, 100), Rc(100, 0, 400, 100), true },
    };
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); i++) {
        const Step& s = steps[i];
        // The skin's own build ran the first pass.
        if (i > 0) {
            button->SetFixedWidth(s.buttonWidth);
            if (s.scrollTo >= 0) row->SetScrollPos(SIZE{ s.scrollTo, 0 });
            root->SetPos(Rc(0, 0, s.cx, 100));
        }
        for (int pass = 0; pass < (s.settled ? 2 : 1); pass++) {
            if (pass > 0) root->SetPos(Rc(0, 0, s.cx, 100));
            EXPECT_EQ(s.shown, bar->IsVisible()) << s.what << " pass " << pass;
            EXPECT_EQ(s.range, bar->GetScrollRange()) << s.what << " pass " << pass;
            EXPECT_EQ(s.pos, bar->GetScrollPos()) << s.what << " pass " << pass;
            EXPECT_EQ(Str(s.spacer), Str(spacer->GetPos())) << s.what << " pass " << pass;
            EXPECT_EQ(Str(s.button), Str(button->GetPos())) << s.what << " pass " << pass;
        }
    }

    // An empty row has nothing to scroll.
    button->SetFixedWidth(300);
    root->SetPos(Rc(0, 0, 200, 100));
    ASSERT_TRUE(bar->IsVisible());
    row->RemoveAll();
    root->SetPos(Rc(0, 0, 200, 100));
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(0, bar->GetScrollRange());
}

// ---- child layouts ----

class ChildLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { CPaintManagerUI::SetResourcePath(m_dir.path().c_str()); }
    void TearDown() override { CPaintManagerUI::SetResourcePath(L""); }
    void Write(const std::wstring& name, const std::string& text)
    {
        ASSERT_TRUE(painttest::WriteFileBytes(m_dir / name, text));
    }
    painttest::TempDir m_dir;
};

TEST_F(ChildLayoutTest, BuildsItsFileAsTheOnlyChild)
{
    Write(L"part.xml", "<Window><HorizontalLayout name=\"partroot\"><Control name=\"inner\" width=\"30\"/>"
                       "</HorizontalLayout></Window>");
    ManagedWindow w;
    CControlUI* root =
        BuildInto(w,
                  L"<Window><VerticalLayout><ChildLayout name=\"child\" xmlfile=\"part.xml\" height=\"60\"/>"
                  L"<ChildLayout name=\"missing\" xmlfile=\"nothere.xml\"/></VerticalLayout></Window>",
                  200, 200);
    ASSERT_NE(nullptr, root);
    CChildLayoutUI* child = static_cast<CChildLayoutUI*>(w.pm().FindControl(L"child"));
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(nullptr, child->GetInterface(L"IContainer"));
    EXPECT_EQ(nullptr, child->GetInterface(L"Container"));
    EXPECT_EQ(child, child->GetInterface(L"ChildLayout"));
    ASSERT_EQ(1, child->GetCount());
    CControlUI* partRoot = w.pm().FindControl(L"partroot");
    EXPECT_EQ(partRoot, child->GetItemAt(0));
    EXPECT_EQ(Str(Rc(0, 0, 200, 60)), Str(partRoot->GetPos()));
    EXPECT_EQ(Str(Rc(0, 0, 30, 60)), Str(w.pm().FindControl(L"inner")->GetPos()));

    CChildLayoutUI* missing = static_cast<CChildLayoutUI*>(w.pm().FindControl(L"missing"));
    ASSERT_NE(nullptr, missing);
    EXPECT_EQ(0, missing->GetCount());

    // Initialised again (added to a live tree once more): built afresh, not twice.
    child->Init();
    EXPECT_EQ(1, child->GetCount());
}

TEST_F(ChildLayoutTest, SelfAndMutualInclusionEnd)
{
    Write(L"self.xml", "<Window><VerticalLayout name=\"selfroot\"><ChildLayout xmlfile=\"self.xml\"/>"
                       "</VerticalLayout></Window>");
    Write(L"a.xml", "<Window><VerticalLayout><ChildLayout name=\"toB\" xmlfile=\"b.xml\"/></VerticalLayout></Window>");
    Write(L"b.xml", "<Window><VerticalLayout><ChildLayout name=\"toA\" xmlfile=\"A.XML\"/></VerticalLayout></Window>");
    ManagedWindow w;
    CControlUI* root = BuildInto(w,
                                 L"<Window><VerticalLayout><ChildLayout name=\"s\" xmlfile=\"self.xml\"/>"
                                 L"<ChildLayout name=\"a\" xmlfile=\"a.xml\"/></VerticalLayout></Window>",
                                 200, 200);
    ASSERT_NE(nullptr, root);
    // self.xml is built once; its own child layout naming it again stays empty.
    CChildLayoutUI* s = static_cast<CChildLayoutUI*>(w.pm().FindControl(L"s"));
    ASSERT_EQ(1, s->GetCount());
    CContainerUI* selfRoot = static_cast<CContainerUI*>(s->GetItemAt(0)->GetInterface(L"Container"));
    ASSERT_NE(nullptr, selfRoot);
    CChildLayoutUI* again = static_cast<CChildLayoutUI*>(selfRoot->GetItemAt(0)->GetInterface(L"ChildLayout"));
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0, again->GetCount());
    // a -> b -> a stops at the second a.
    CChildLayoutUI* toA = static_cast<CChildLayoutUI*>(w.pm().FindControl(L"toA"));
    ASSERT_NE(nullptr, toA);
    EXPECT_EQ(0, toA->GetCount());
}

TEST_F(ChildLayoutTest, DeepNestingIsCapped)
{
    // f0 -> f1 -> ... -> f11, all different files.
    for (int i = 0; i < 12; i++) {
        std::string xml = "<Window><VerticalLayout name=\"level" + std::to_string(i) + "\"><ChildLayout xmlfile=\"f" +
                          std::to_string(i + 1) + ".xml\"/></VerticalLayout></Window>";
        Write(L"f" + std::to_wstring(i) + L".xml", xml);
    }
    ManagedWindow w;
    CControlUI* root =
        BuildInto(w, L"<Window><VerticalLayout><ChildLayout xmlfile=\"f0.xml\"/></VerticalLayout></Window>", 100, 100);
    ASSERT_NE(nullptr, root);
    EXPECT_NE(nullptr, w.pm().FindControl(L"level7"));
    EXPECT_EQ(nullptr, w.pm().FindControl(L"level8")) << "at most 8 child layouts build inside each other";
}

} // namespace
