// The skin builder: element names, resource declarations, window attributes, "Include",
// the document sources (text, file, resource, zip), plug-ins and hostile skins. Controls
// made through the recording callback count themselves, so a leak shows as a count left.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PaintTestUtil.h"
#include "SkinTestEnv.h"
#include "core/ContainerUI.h"
#include "core/ControlUI.h"
#include "core/DialogBuilder.h"
#include "core/PaintManager.h"
#include "core/VerticalLayoutUI.h"

using namespace SkinUI;

namespace {

testing::Environment* const g_instance = testing::AddGlobalTestEnvironment(new ToolkitInstance);

int g_live = 0;

class CountedUI : public CContainerUI {
public:
    CountedUI() { ++g_live; }
    ~CountedUI() override { --g_live; }
    LPCTSTR GetClass() const override { return L"CountedUI"; }
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override
    {
        if (childrenAtFirstAttribute < 0) childrenAtFirstAttribute = GetCount();
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
    int childrenAtFirstAttribute = -1;
};

class CountedLeafUI : public CControlUI {
public:
    CountedLeafUI() { ++g_live; }
    ~CountedLeafUI() override { --g_live; }
    LPCTSTR GetClass() const override { return L"CountedLeafUI"; }
};

// A container that takes no children.
class RefusingUI : public CountedUI {
public:
    LPCTSTR GetClass() const override { return L"RefusingUI"; }
    bool Add(CControlUI*) override { return false; }
};

class Recorder : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        asked.push_back(pstrClass);
        std::wstring name = pstrClass;
        if (name == L"Counted" || name == L"Shared") return new CountedUI;
        if (name == L"Leaf") return new CountedLeafUI;
        if (name == L"Refusing") return new RefusingUI;
        return NULL;
    }
    std::vector<std::wstring> asked;
};

typedef std::unique_ptr<CControlUI> Owned;

IContainerUI* Children(CControlUI* p)
{
    return p == NULL ? NULL : static_cast<IContainerUI*>(p->GetInterface(L"IContainer"));
}

// class[name|text]{children} of a whole tree.
std::wstring Dump(CControlUI* p)
{
    if (p == NULL) return L"null";
    std::wstring s = p->GetClass();
    s += L"[" + std::wstring(p->GetName().GetData()) + L"|" + p->GetText().GetData() + L"]";
    if (IContainerUI* c = Children(p)) {
        s += L"{";
        for (int i = 0; i < c->GetCount(); ++i) s += (i ? L"," : L"") + Dump(c->GetItemAt(i));
        s += L"}";
    }
    return s;
}

std::vector<std::wstring> ChildNames(CControlUI* p)
{
    std::vector<std::wstring> names;
    if (IContainerUI* c = Children(p))
        for (int i = 0; i < c->GetCount(); ++i) names.push_back(c->GetItemAt(i)->GetName().GetData());
    return names;
}

CControlUI* CALLBACK MatchPointer(CControlUI* p, LPVOID data)
{
    return p == data ? p : NULL;
}

// The manager's focus is nothing or a control of the tree: never one the builder deleted.
::testing::AssertionResult FocusIsLive(CPaintManagerUI& pm, CControlUI* root)
{
    CControlUI* focus = pm.GetFocus();
    if (focus == NULL || (root != NULL && root->FindControl(MatchPointer, focus, UIFIND_ALL) == focus))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the focus is a control outside the tree";
}

// Records the notifications of a window.
struct Notes : INotifyUI {
    void Notify(TNotifyUI& msg) override
    {
        seen.push_back(std::wstring(msg.type.GetData()) + L":" + (msg.sender ? msg.sender->GetName().GetData() : L""));
    }
    std::vector<std::wstring> seen;
};

// Skin files are written to a fresh resource folder per test.
class SkinFiles : public testing::Test {
protected:
    void SetUp() override
    {
        g_live = 0;
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(m_dir.path().c_str());
    }
    void TearDown() override
    {
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(L"");
        EXPECT_EQ(0, g_live) << "counted controls left alive";
    }
    void Write(const std::wstring& name, const std::string& text)
    {
        ASSERT_TRUE(painttest::WriteFileBytes(m_dir / name, text));
    }

    Owned Build(STRINGorID xml, CPaintManagerUI* pm = NULL, CControlUI* parent = NULL, LPCTSTR type = NULL)
    {
        CDialogBuilder builder;
        return Owned(builder.Create(xml, type, &m_recorder, pm, parent));
    }

    painttest::TempDir m_dir;
    Recorder m_recorder;
};

typedef SkinFiles SkinBuilder;

TEST_F(SkinBuilder, EveryTableNameMakesItsClass)
{
    struct Row {
        const wchar_t* element;
        const wchar_t* cls;
        const wchar_t* iface; // when it is not the element name
    } rows[] = {
        { L"Control", L"ControlUI", NULL },
        { L"Container", L"ContainerUI", NULL },
        { L"VerticalLayout", L"VerticalLayoutUI", NULL },
        { L"HorizontalLayout", L"HorizontalLayoutUI", NULL },
        { L"TileLayout", L"TileLayoutUI", NULL },
        { L"TabLayout", L"TabLayoutUI", NULL },
        { L"ChildLayout", L"ChildLayoutUI", NULL },
        { L"Label", L"LabelUI", NULL },
        { L"Text", L"TextUI", NULL },
        { L"Button", L"ButtonUI", NULL },
        { L"Option", L"OptionUI", NULL },
        { L"CheckBox", L"CheckBoxUI", L"Option" },
        { L"Progress", L"ProgressUI", NULL },
        { L"Slider", L"SliderUI", NULL },
        { L"ScrollBar", L"ScrollBarUI", NULL },
    };
    std::wstring xml = L"<Window><Container>";
    for (const Row& r : rows) xml += std::wstring(L"<") + r.element + L" name=\"" + r.element + L"\"/>";
    xml += L"</Container></Window>";
    Owned root = Build(xml.c_str());
    ASSERT_TRUE(root);
    IContainerUI* c = Children(root.get());
    ASSERT_EQ(static_cast<int>(sizeof(rows) / sizeof(rows[0])), c->GetCount());
    for (int i = 0; i < c->GetCount(); ++i) {
        CControlUI* p = c->GetItemAt(i);
        EXPECT_STREQ(rows[i].cls, p->GetClass());
        EXPECT_STREQ(rows[i].element, p->GetName().GetData());
        EXPECT_TRUE(p->GetInterface(rows[i].iface ? rows[i].iface : rows[i].element) != NULL) << rows[i].element;
    }
    EXPECT_TRUE(m_recorder.asked.empty());
}

TEST_F(SkinBuilder, NamesNothingMakesAreSkippedWithTheirSubtree)
{
    // Lower case is another name.
    Owned root = Build(L"<Window><Counted name=\"top\">"
                       L"<button><Counted/></button><Widget><Leaf/></Widget><Gadget/>"
                       L"<Leaf name=\"kept\"/>"
                       L"</Counted></Window>");
    ASSERT_TRUE(root);
    EXPECT_EQ((std::vector<std::wstring>{ L"kept" }), ChildNames(root.get()));
    // The callback is asked for the skipped elements only, never for what lies inside them.
    EXPECT_EQ((std::vector<std::wstring>{ L"Counted", L"button", L"Widget", L"Gadget", L"Leaf" }), m_recorder.asked);
    EXPECT_EQ(2, g_live);
}

TEST_F(SkinBuilder, ChildrenAreCompleteBeforeTheParentIsConfigured)
{
    // The default list comes first, then the element's own attributes in document order.
    CPaintManagerUI pm;
    Owned root = Build(L"<Window><Default name=\"Label\" value=\"text=&quot;from default&quot; "
                       L"tooltip=&quot;tip&quot;\"/>"
                       L"<Counted name=\"outer\"><Label name=\"own\" text=\"own text\"/><Label name=\"def\"/>"
                       L"<Counted name=\"inner\"><Leaf name=\"leaf\"/></Counted></Counted></Window>",
                       &pm);
    ASSERT_TRUE(root);
    EXPECT_EQ(L"CountedUI[outer|]{LabelUI[own|own text],LabelUI[def|from default],CountedUI[inner|]{"
              L"CountedLeafUI[leaf|]}}",
              Dump(root.get()));
    EXPECT_EQ(3, static_cast<CountedUI*>(root.get())->childrenAtFirstAttribute);
    CControlUI* own = Children(root.get())->GetItemAt(0);
    EXPECT_STREQ(L"tip", own->GetToolTip().GetData());
    // The manager is only lent while the attributes are applied.
    EXPECT_TRUE(root->GetManager() == NULL);
    EXPECT_TRUE(own->GetManager() == NULL);
}

TEST_F(SkinBuilder, ResourcesAreRegisteredFromTheRootOnly)
{
    std::vector<uint8_t> rgba(4 * 4, 0xFF);
    std::string png = painttest::EncodePng(2, 2, rgba);
    Write(L"pic.png", png);
    Write(L"pic2.png", png);
    Write(L"pic3.png", png);
    CPaintManagerUI pm;
    Owned root = Build(L"<Window>"
                       L"<Font name=\"Arial\" size=\"13\"/>"
                       L"<Font name=\"Courier New\" size=\"15\" bold=\"true\" default=\"true\"/>"
                       L"<Font name=\"Tahoma\" italic=\"True\"/>"
                       L"<Font size=\"30\"/>"
                       L"<Image name=\"pic.png\" mask=\"#FF00FF\"/>"
                       L"<Image name=\"pic2.png\" mask=\"FF00FF\"/>"
                       L"<Default name=\"Counted\" value=\"name=&quot;d&quot;\"/>"
                       L"<Counted><Font name=\"Times New Roman\" size=\"20\"/><Image name=\"pic3.png\"/>"
                       L"<Default name=\"Leaf\" value=\"name=&quot;x&quot;\"/><Leaf/></Counted>"
                       L"</Window>",
                       &pm);
    ASSERT_TRUE(root);
    // Ids are positions in document order; a font without a name is no font.
    ASSERT_EQ(3u, pm.GetCustomFontCount());
    EXPECT_STREQ(L"Arial", pm.GetFontInfo(0)->faceName.GetData());
    EXPECT_EQ(13, pm.GetFontInfo(0)->size);
    EXPECT_STREQ(L"Courier New", pm.GetFontInfo(1)->faceName.GetData());
    EXPECT_TRUE(pm.GetFontInfo(1)->bold);
    EXPECT_EQ(12, pm.GetFontInfo(2)->size);
    EXPECT_FALSE(pm.GetFontInfo(2)->italic);
    EXPECT_STREQ(L"Courier New", pm.GetDefaultFontInfo()->faceName.GetData());
    EXPECT_EQ(15, pm.GetDefaultFontInfo()->size);
    EXPECT_TRUE(pm.GetDefaultFontInfo()->bold);
    // Images are loaded now; the mask reads the same with and without "#".
    ASSERT_TRUE(pm.GetImage(L"pic.png") != NULL);
    ASSERT_TRUE(pm.GetImage(L"pic2.png") != NULL);
    EXPECT_EQ(0xFF00FFu, pm.GetImage(L"pic.png")->mask);
    EXPECT_EQ(0xFF00FFu, pm.GetImage(L"pic2.png")->mask);
    // Declarations inside a control are ignored.
    EXPECT_TRUE(pm.GetImage(L"pic3.png") == NULL);
    EXPECT_TRUE(pm.GetDefaultAttributeList(L"Leaf") == NULL);
    EXPECT_STREQ(L"d", root->GetName().GetData());
    EXPECT_EQ(L"", std::wstring(Children(root.get())->GetItemAt(0)->GetName().GetData()));
}

class HostWindow {
public:
    HostWindow() : m_hWnd(painttest::MakeHostWindow(WS_OVERLAPPEDWINDOW, 0, 0, 300, 200)) {}
    ~HostWindow() { ::DestroyWindow(m_hWnd); }
    HWND get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

TEST_F(SkinBuilder, WindowAttributesNeedTheNativeWindow)
{
    typedef bool (*Check)(CPaintManagerUI&);
    struct Row {
        const wchar_t* attributes;
        Check check;
    } rows[] = {
        { L"size=\"800,600\"",
          [](CPaintManagerUI& m) { return m.GetInitSize().cx == 800 && m.GetInitSize().cy == 600; } },
        { L"size=\"800 600\"",
          [](CPaintManagerUI& m) { return m.GetInitSize().cx == 800 && m.GetInitSize().cy == 600; } },
        { L"size=\"800\"", [](CPaintManagerUI& m) { return m.GetInitSize().cx == 800 && m.GetInitSize().cy == 0; } },
        { L"size=\"10,10\" size=\"20,30\"",
          [](CPaintManagerUI& m) { return m.GetInitSize().cx == 20 && m.GetInitSize().cy == 30; } },
        { L"sizebox=\"1,2,3,4\"",
          [](CPaintManagerUI& m) {
              RECT r = m.GetSizeBox();
              return r.left == 1 && r.top == 2 && r.right == 3 && r.bottom == 4;
          } },
        { L"caption=\"0,0,0,32\"", [](CPaintManagerUI& m) { return m.GetCaptionRect().bottom == 32; } },
        { L"roundcorner=\"6,7\"",
          [](CPaintManagerUI& m) { return m.GetRoundCorner().cx == 6 && m.GetRoundCorner().cy == 7; } },
        { L"mininfo=\"300,200\"",
          [](CPaintManagerUI& m) { return m.GetMinInfo().cx == 300 && m.GetMinInfo().cy == 200; } },
        { L"maxinfo=\"1000,900\"",
          [](CPaintManagerUI& m) { return m.GetMaxInfo().cx == 1000 && m.GetMaxInfo().cy == 900; } },
        { L"alpha=\"128\"", [](CPaintManagerUI& m) { return m.GetTransparent() == 128; } },
        { L"bktrans=\"true\"", [](CPaintManagerUI& m) { return m.IsLayeredWindow(); } },
        { L"bktrans=\"True\"", [](CPaintManagerUI& m) { return !m.IsLayeredWindow(); } },
        { L"gdiplustext=\"true\"", [](CPaintManagerUI& m) { return m.IsUseGdiplusText(); } },
        { L"richeditcorner=\"5,6,7,8\"", [](CPaintManagerUI& m) { return m.GetRichEditCorner().bottom == 8; } },
        { L"defaultfontcolor=\"#FF112233\"", [](CPaintManagerUI& m) { return m.GetDefaultFontColor() == 0xFF112233; } },
        { L"defaultfontcolor=\"FF112233\"", [](CPaintManagerUI& m) { return m.GetDefaultFontColor() == 0xFF112233; } },
        { L"disabledfontcolor=\"#FF010203\"",
          [](CPaintManagerUI& m) { return m.GetDefaultDisabledColor() == 0xFF010203; } },
        { L"linkfontcolor=\"#FF040506\"",
          [](CPaintManagerUI& m) { return m.GetDefaultLinkFontColor() == 0xFF040506; } },
        { L"linkhoverfontcolor=\"#FF070809\"",
          [](CPaintManagerUI& m) { return m.GetDefaultLinkHoverFontColor() == 0xFF070809; } },
        { L"selectedcolor=\"#FF0A0B0C\"",
          [](CPaintManagerUI& m) { return m.GetDefaultSelectedBkColor() == 0xFF0A0B0C; } },
        { L"showshadow=\"true\" shadowsize=\"4\" shadowsharpness=\"3\" shadowdarkness=\"100\" shadowposition=\"1,1\" "
          L"shadowcolor=\"#FF000000\" shadowcorner=\"2,2,2,2\" frobnicate=\"1\"",
          [](CPaintManagerUI& m) { return m.GetShadow()->IsShowShadow(); } },
    };
    for (const Row& r : rows) {
        HostWindow host;
        CPaintManagerUI pm;
        pm.Init(host.get());
        std::wstring xml = std::wstring(L"<Window ") + r.attributes + L"><Counted/></Window>";
        Owned root = Build(xml.c_str(), &pm);
        EXPECT_TRUE(root != NULL) << r.attributes;
        EXPECT_TRUE(r.check(pm)) << r.attributes;
    }

    // Without a native window, or on a root of another name, nothing is applied.
    {
        CPaintManagerUI pm;
        Owned root = Build(L"<Window size=\"800,600\" caption=\"0,0,0,32\"><Counted/></Window>", &pm);
        EXPECT_EQ(0, pm.GetInitSize().cx);
        EXPECT_EQ(0, pm.GetCaptionRect().bottom);
    }
    {
        HostWindow host;
        CPaintManagerUI pm;
        pm.Init(host.get());
        Owned root = Build(L"<Skin size=\"800,600\"><Counted/></Skin>", &pm);
        EXPECT_TRUE(root != NULL);
        EXPECT_EQ(0, pm.GetInitSize().cx);
    }
}

TEST_F(SkinBuilder, IncludeRepeatsInOrderAndRefusesCycles)
{
    Write(L"part.xml", "<Window><Leaf name=\"a\"/><Leaf name=\"b\"/></Window>");
    Write(L"self.xml", "<Window><Counted name=\"self\"><Leaf name=\"s\"/><Include source=\"SELF.xml\"/>"
                       "<Include source=\"self.xml\"/></Counted></Window>");
    Write(L"ping.xml", "<Window><Counted><Leaf name=\"ping\"/><Include source=\"pong.xml\"/></Counted></Window>");
    Write(L"pong.xml", "<Window><Leaf name=\"pong\"/><Include source=\"ping.xml\"/></Window>");
    for (int i = 0; i < 40; ++i)
        Write(L"chain" + std::to_wstring(i) + L".xml", "<Window><Leaf name=\"c" + std::to_string(i) +
                                                           "\"/><Include source=\"chain" + std::to_string(i + 1) +
                                                           ".xml\"/></Window>");

    {
        Owned root = Build(L"<Window><Counted><Leaf name=\"first\"/><Include source=\"part.xml\" count=\"3\"/>"
                           L"<Include/><Include count=\"0\" source=\"part.xml\"/>"
                           L"<Include count=\"-3\" source=\"part.xml\"/><Leaf name=\"last\"/></Counted></Window>");
        ASSERT_TRUE(root);
        EXPECT_EQ((std::vector<std::wstring>{ L"first", L"a", L"b", L"a", L"b", L"a", L"b", L"last" }),
                  ChildNames(root.get()));
    }
    {
        CDialogBuilder builder;
        Owned root(builder.Create(L"self.xml", NULL, &m_recorder));
        ASSERT_TRUE(root);
        EXPECT_EQ((std::vector<std::wstring>{ L"s" }), ChildNames(root.get()));
    }
    {
        CDialogBuilder builder;
        Owned root(builder.Create(L"ping.xml", NULL, &m_recorder));
        ASSERT_TRUE(root);
        EXPECT_EQ((std::vector<std::wstring>{ L"ping", L"pong" }), ChildNames(root.get()));
    }
    {
        // A chain of distinct files stops at the nesting limit.
        Owned root = Build(L"<Window><Counted><Include source=\"chain0.xml\"/></Counted></Window>");
        ASSERT_TRUE(root);
        std::vector<std::wstring> names = ChildNames(root.get());
        ASSERT_EQ(static_cast<size_t>(CDialogBuilder::MAX_INCLUDE_DEPTH), names.size());
        EXPECT_EQ(L"c31", names.back());
    }
}

TEST_F(SkinBuilder, AHugeIncludeCountStopsAtTheBuildLimit)
{
    Write(L"one.xml", "<Window><Leaf/></Window>");
    Owned root = Build(L"<Window><Counted><Include source=\"one.xml\" count=\"2000000000\"/>"
                       L"<Include source=\"one.xml\" count=\"5\"/></Counted></Window>");
    ASSERT_TRUE(root);
    EXPECT_EQ(CDialogBuilder::MAX_INCLUDE_BUILDS, Children(root.get())->GetCount());
}

TEST_F(SkinBuilder, TextFileZipAndResourceGiveTheSameTree)
{
    const std::string skin =
        "\xEF\xBB\xBF<Window><Counted name=\"root\"><Label name=\"l\" text=\"\xE4\xB8\xAD\xE6\x96\x87\"/>"
        "<Counted name=\"in\"><Leaf name=\"x\"/></Counted></Counted></Window>";
    Write(L"same.xml", skin);
    const std::wstring expected = L"CountedUI[root|]{LabelUI[l|\u4E2D\u6587],CountedUI[in|]{CountedLeafUI[x|]}}";

    Owned fromText = Build(L"<Window><Counted name=\"root\"><Label name=\"l\" text=\"\u4E2D\u6587\"/>"
                           L"<Counted name=\"in\"><Leaf name=\"x\"/></Counted></Counted></Window>");
    EXPECT_EQ(expected, Dump(fromText.get()));
    Owned fromFile = Build(L"same.xml");
    EXPECT_EQ(expected, Dump(fromFile.get()));

    // The resource module: the document and the part it includes by id.
    Owned fromResource = Build(101u, NULL, NULL, L"SKINXML");
    EXPECT_EQ(L"CountedUI[res|]{CountedLeafUI[first|],CountedLeafUI[part|],CountedLeafUI[part|]}",
              Dump(fromResource.get()));
    EXPECT_TRUE(Build(999u, NULL, NULL, L"SKINXML") == NULL);

    // The resource zip: names are looked up ignoring case, the files beside it are not read.
    ASSERT_TRUE(painttest::WriteFileBytes(m_dir / L"skin.zip", painttest::MakeZip({ { "Zipped/Main.xml", skin } })));
    CPaintManagerUI::SetResourceZip(L"skin.zip");
    Owned fromZip = Build(L"zipped\\main.xml");
    EXPECT_EQ(expected, Dump(fromZip.get()));
    EXPECT_TRUE(Build(L"same.xml") == NULL);
    CPaintManagerUI::SetResourceZip(L"skin.zip", true);
    Owned fromCachedZip = Build(L"ZIPPED/MAIN.XML");
    EXPECT_EQ(expected, Dump(fromCachedZip.get()));
}

TEST_F(SkinBuilder, UnreadableDocumentsGiveNullWithTheReason)
{
    Write(L"cut.xml", "<Window><Counted><Counted");
    Write(L"empty.xml", "");
    CDialogBuilder missing;
    EXPECT_TRUE(missing.Create(L"nothing-here.xml", NULL, &m_recorder) == NULL);
    CDialogBuilder empty;
    EXPECT_TRUE(empty.Create(L"empty.xml", NULL, &m_recorder) == NULL);
    for (const wchar_t* source : { L"cut.xml", L"<Window><Counted></Window>" }) {
        CDialogBuilder builder;
        EXPECT_TRUE(builder.Create(source, NULL, &m_recorder) == NULL) << source;
        wchar_t message[100] = {};
        builder.GetLastErrorMessage(message, 100);
        EXPECT_NE(L'\0', message[0]) << source;
    }
    EXPECT_TRUE(m_recorder.asked.empty());
    // Nothing loaded: nothing built.
    CDialogBuilder idle;
    EXPECT_TRUE(idle.Create(&m_recorder) == NULL);
}

TEST_F(SkinBuilder, ControlsWithoutAnOwnerAreDeleted)
{
    // A parent that is no container: the level ends with null and nothing is kept.
    {
        CControlUI plain;
        CDialogBuilder builder;
        EXPECT_TRUE(builder.Create(L"<Window><Counted><Leaf/></Counted><Leaf/></Window>", NULL, &m_recorder, NULL,
                                   &plain) == NULL);
        EXPECT_EQ(0, g_live);
    }
    // A refused child goes with its subtree; the next sibling is still offered.
    {
        m_recorder.asked.clear();
        Owned root = Build(L"<Window><Refusing><Counted><Leaf/></Counted><Leaf/></Refusing></Window>");
        ASSERT_TRUE(root);
        EXPECT_EQ(1, g_live);
        EXPECT_EQ((std::vector<std::wstring>{ L"Refusing", L"Counted", L"Leaf", L"Leaf" }), m_recorder.asked);
    }
    // Only the first top-level control is returned; the others, and what a top-level
    // "Include" makes, have no owner.
    {
        Write(L"leaf.xml", "<Window><Leaf/><Leaf/></Window>");
        Owned root = Build(L"<Window><Include source=\"leaf.xml\"/><Counted name=\"first\"/><Leaf/><Counted/>"
                           L"<Include source=\"leaf.xml\"/></Window>");
        ASSERT_TRUE(root);
        EXPECT_STREQ(L"first", root->GetName().GetData());
        EXPECT_EQ(1, g_live);
    }
    // Into a given parent, the first control made at the top is the result.
    {
        Owned parent(new CountedUI);
        CDialogBuilder builder;
        CControlUI* first = builder.Create(L"<Window><Leaf name=\"p\"/><Leaf name=\"q\"/></Window>", NULL, &m_recorder,
                                           NULL, parent.get());
        ASSERT_TRUE(first != NULL);
        EXPECT_STREQ(L"p", first->GetName().GetData());
        EXPECT_EQ((std::vector<std::wstring>{ L"p", L"q" }), ChildNames(parent.get()));
    }
}

// A tab layout that focuses its second page while it is configured: a subtree holding it
// leaves the manager's focus on a page.
const wchar_t kFocusingTabs[] = L"<HorizontalLayout><TabLayout selectedid=\"1\"><Button name=\"p0\"/>"
                                L"<Button name=\"p1\"/></TabLayout></HorizontalLayout>";

TEST_F(SkinBuilder, DeletedSubtreesLeaveNothingInTheManager)
{
    const std::wstring tabs = kFocusingTabs;
    std::string tabsUtf8(tabs.begin(), tabs.end());
    Write(L"tabs.xml", "<Window>" + tabsUtf8 + "</Window>");
    Write(L"two.xml", "<Window><VerticalLayout/>" + tabsUtf8 + "</Window>");
    const std::wstring cases[] = {
        // a second top-level control
        L"<Window><VerticalLayout/>" + tabs + L"</Window>",
        // a refused child
        L"<Window><VerticalLayout><Refusing>" + tabs + L"</Refusing></VerticalLayout></Window>",
        // a parent that is no container
        L"<Window><VerticalLayout><Label>" + tabs + L"</Label></VerticalLayout></Window>",
        // what a top-level "Include" makes
        L"<Window><VerticalLayout/><Include source=\"tabs.xml\"/></Window>",
        // a child-layout file with two roots, built when the tree is attached
        L"<Window><VerticalLayout><ChildLayout xmlfile=\"two.xml\"/></VerticalLayout></Window>",
    };
    for (const std::wstring& xml : cases) {
        SCOPED_TRACE(std::string(xml.begin(), xml.end()));
        HostWindow host;
        CPaintManagerUI pm;
        pm.Init(host.get());
        CControlUI* root = Build(xml.c_str(), &pm).release();
        ASSERT_TRUE(root != NULL);
        EXPECT_TRUE(FocusIsLive(pm, root));
        pm.AttachDialog(root);
        EXPECT_TRUE(FocusIsLive(pm, root));
        LRESULT lRes = 0;
        pm.MessageHandler(WM_KEYDOWN, VK_SPACE, 0, lRes);
        pm.MessageHandler(WM_KEYUP, VK_SPACE, 0, lRes);
        pm.MessageHandler(WM_CLOSE, 0, 0, lRes);
        EXPECT_TRUE(FocusIsLive(pm, root));
    }
}

TEST_F(SkinBuilder, HostileSkinsBuildWithoutCrashOrLeak)
{
    // Each skin is built, attached to a window and sent input, with real controls that take
    // the focus in the subtrees the builder throws away; the counted controls tell a leak.
    const std::wstring tabs = kFocusingTabs;
    const std::string tabsUtf8(tabs.begin(), tabs.end());
    Write(L"loop.xml", "<Window><Leaf/>" + tabsUtf8 + "<Include source=\"loop.xml\" count=\"1000\"/>"
                       "<Include source=\"loop.xml\" count=\"1000\"/></Window>");
    std::wstring deep;
    for (int i = 0; i < 300; ++i) deep += i % 2 ? L"<Counted>" : L"<VerticalLayout>";
    deep += L"<Option group=\"g\" selected=\"true\"/>" + tabs;
    for (int i = 299; i >= 0; --i) deep += i % 2 ? L"</Counted>" : L"</VerticalLayout>";
    std::wstring tooDeep;
    for (int i = 0; i < 1200; ++i) tooDeep += L"<Counted>";
    for (int i = 0; i < 1200; ++i) tooDeep += L"</Counted>";
    std::wstring manyAttributes = L"<Window><Counted";
    for (int i = 0; i < 100; ++i) manyAttributes += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
    manyAttributes += L"/></Window>";
    std::wstring longInclude = L"<Window><Counted><Include source=\"" + std::wstring(700, L'x') + L"\" count=\"" +
                               std::wstring(700, L'9') + L"\"/></Counted></Window>";

    const std::wstring cases[] = {
        L"<Window><Counted><Counted><Leaf",
        L"<Window><Counted><Bogus><Counted/></Bogus><Edit><Leaf/></Edit><button/><Leaf/></Counted></Window>",
        L"<Window size=\"abc\" sizebox=\"x,y\" alpha=\"zz\" caption=\",\" roundcorner=\"\" mininfo=\"1\">"
        L"<Counted width=\"wide\" height=\"-5\" bkcolor=\"#nothex\" padding=\"1,2\" inset=\"\" visible=\"yes\"/>"
        L"</Window>",
        L"<Window size=\"99999999999999999,99999999999999\" mininfo=\"-2147483648,-1\" alpha=\"-7\""
        L" shadowsize=\"99999999999\" shadowposition=\"-99999999,99999999\">"
        L"<Counted width=\"99999999999\" height=\"-99999999999\" childpadding=\"2147483647\"><Leaf/></Counted>"
        L"</Window>",
        L"<Window><Include source=\"loop.xml\"/><Counted><Include source=\"loop.xml\" count=\"3\"/></Counted></Window>",
        L"<Window><TreeNode><Counted/></TreeNode><Counted><TreeNode><Leaf/></TreeNode></Counted></Window>",
        L"<Window><Counted/>" + deep + L"</Window>",
        L"<Window><Counted>" + deep + L"</Counted>" + deep + L"</Window>",
        L"<Window>" + tooDeep + L"</Window>",
        manyAttributes,
        longInclude,
        L"<Window><Image/><Font/><Default/><Image name=\"missing.png\"/><Font name=\"\" size=\"-4\"/>"
        L"<Default name=\"Leaf\"/><Counted><Leaf/></Counted></Window>",
        L"<Window><Counted><Refusing><Option group=\"g\" selected=\"true\"/>" + tabs +
            L"</Refusing><Option group=\"g\"/></Counted>" + tabs + L"</Window>",
    };
    for (const std::wstring& xml : cases) {
        SCOPED_TRACE(std::string(xml.begin(), xml.begin() + (std::min)(xml.size(), static_cast<size_t>(120))));
        {
            HostWindow host;
            CPaintManagerUI pm;
            pm.Init(host.get());
            CControlUI* root = Build(xml.c_str(), &pm).release();
            EXPECT_TRUE(FocusIsLive(pm, root));
            if (root != NULL) {
                pm.AttachDialog(root);
                RECT rc = { 0, 0, 300, 200 };
                root->SetPos(rc);
                LRESULT lRes = 0;
                pm.MessageHandler(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5), lRes);
                pm.MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), lRes);
                pm.MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(5, 5), lRes);
                pm.MessageHandler(WM_KEYDOWN, VK_SPACE, 0, lRes);
                // Selecting a member of a group deselects the others, deleted ones included.
                CStdPtrArray* group = pm.GetOptionGroup(L"g");
                for (int i = 0; group != NULL && i < group->GetSize(); ++i)
                    static_cast<CControlUI*>(group->GetAt(i))->Activate();
                pm.MessageHandler(WM_CLOSE, 0, 0, lRes);
                EXPECT_TRUE(FocusIsLive(pm, root));
            }
        }
        EXPECT_EQ(0, g_live);
        g_live = 0;
    }
}

TEST_F(SkinBuilder, ControlsBuiltIntoALiveParentWork)
{
    // A parent already in a window: what is built into it is found, linked and clickable, as
    // if the skin had put it there.
    Write(L"part.xml", "<Window><Button name=\"included\" height=\"20\"/></Window>");
    HostWindow host;
    CPaintManagerUI pm;
    pm.Init(host.get());
    CVerticalLayoutUI* body = new CVerticalLayoutUI;
    pm.AttachDialog(body);
    Notes notes;
    pm.AddNotifier(&notes);

    CDialogBuilder builder;
    CControlUI* first = builder.Create(L"<Window><Button name=\"go\" height=\"30\"/>"
                                       L"<HorizontalLayout name=\"row\" height=\"30\"><Button name=\"inner\"/>"
                                       L"</HorizontalLayout><Include source=\"part.xml\"/></Window>",
                                       NULL, NULL, &pm, body);
    ASSERT_TRUE(first != NULL);
    EXPECT_EQ(first, pm.FindControl(L"go"));
    CControlUI* row = pm.FindControl(L"row");
    CControlUI* inner = pm.FindControl(L"inner");
    CControlUI* included = pm.FindControl(L"included");
    ASSERT_TRUE(row != NULL && inner != NULL && included != NULL);
    EXPECT_EQ(3, body->GetCount());
    for (CControlUI* c : { first, row, included }) {
        EXPECT_EQ(&pm, c->GetManager());
        EXPECT_EQ(body, c->GetParent());
    }
    EXPECT_EQ(&pm, inner->GetManager());
    EXPECT_EQ(row, inner->GetParent());

    RECT rc = { 0, 0, 300, 200 };
    body->SetPos(rc);
    LRESULT lRes = 0;
    for (int y : { 10, 40, 70 }) {
        pm.MessageHandler(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, y), lRes);
        pm.MessageHandler(WM_LBUTTONUP, 0, MAKELPARAM(10, y), lRes);
    }
    EXPECT_EQ((std::vector<std::wstring>{ L"setfocus:go", L"click:go", L"killfocus:go", L"setfocus:inner",
                                          L"click:inner", L"killfocus:inner", L"setfocus:included",
                                          L"click:included" }),
              notes.seen);
    pm.RemoveNotifier(&notes);
}

TEST_F(SkinBuilder, PluginsAreAskedBeforeTheCallback)
{
    ASSERT_TRUE(CPaintManagerUI::LoadPlugin(L"SkinPlugin.dll"));
    // Loading again collects nothing new.
    int plugins = CPaintManagerUI::GetPlugins()->GetSize();
    ASSERT_TRUE(CPaintManagerUI::LoadPlugin(L"SkinPlugin.dll"));
    EXPECT_EQ(plugins, CPaintManagerUI::GetPlugins()->GetSize());
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"kernel32.dll"));

    typedef int(__cdecl * AskCount)(LPCTSTR);
    AskCount asked = reinterpret_cast<AskCount>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"SkinPlugin.dll"), "PluginAskCount")));
    ASSERT_TRUE(asked != NULL);

    Owned root =
        Build(L"<Window><Counted><PluginBox name=\"p\"/><Shared name=\"s\"/><button/><Label/></Counted></Window>");
    ASSERT_TRUE(root);
    IContainerUI* c = Children(root.get());
    ASSERT_EQ(3, c->GetCount());
    EXPECT_STREQ(L"PluginBoxUI", c->GetItemAt(0)->GetClass());
    EXPECT_STREQ(L"p", c->GetItemAt(0)->GetName().GetData());
    EXPECT_STREQ(L"PluginSharedUI", c->GetItemAt(1)->GetClass());
    EXPECT_STREQ(L"LabelUI", c->GetItemAt(2)->GetClass());
    // "button" went to the plug-in, then to the callback; table names go nowhere else.
    EXPECT_EQ(1, asked(L"button"));
    EXPECT_EQ(0, asked(L"Label"));
    EXPECT_EQ((std::vector<std::wstring>{ L"Counted", L"button" }), m_recorder.asked);
}

} // namespace
