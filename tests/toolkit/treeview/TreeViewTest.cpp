#include <windows.h>
#include <string.h>
#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>
#include "../basic/BasicTestUtil.h"
#include "../paint/PoisonArena.h"
#include "controls/TreeViewUI.h"
#include "core/DialogBuilder.h"

using namespace SkinUI;
using basictest::HostWindow;

namespace {

class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL)); }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

// Nodes that count their destruction and come from the shared wiped-memory arena: a freed
// node is poisoned and its memory never handed out again, so a later call through it faults
// and a later write into it shows as broken poison.
int g_deleted = 0;
std::set<const void*> g_gone;

class CountedNode : public painttest::Poisoned<CTreeNodeUI> {
public:
    explicit CountedNode(LPCWSTR text) { SetItemText(text); }
    ~CountedNode() override
    {
        g_deleted++;
        g_gone.insert(this);
    }
};

// a (expanded)
//   a1            (collapsed)
//     a1x
//   a2 (expanded)
//     a2x
// b
// a label that is no node
const wchar_t kSkin[] =
    L"<Window><Container>"
    L"<TreeView name=\"tree\" float=\"true\" pos=\"0,0,200,300\" visiblefolderbtn=\"true\" visiblecheckbtn=\"true\" "
    L"itemtextcolor=\"#FF00FF00\" selitemtextcolor=\"#FF0000FF\">"
    L"<TreeNode name=\"a\" text=\"A\" defaultexpand=\"true\">"
    L"<TreeNode name=\"a1\" text=\"A1\"><TreeNode name=\"a1x\" text=\"A1x\"/></TreeNode>"
    L"<TreeNode name=\"a2\" text=\"A2\" defaultexpand=\"true\"><TreeNode name=\"a2x\" text=\"A2x\"/>"
    L"<Label name=\"extra\" text=\"+\" width=\"10\"/></TreeNode>"
    L"</TreeNode>"
    L"<TreeNode name=\"b\" text=\"B\" itemattr=\"name=&quot;bItem&quot;\"/>"
    L"<Label name=\"plain\" text=\"no node\" height=\"18\"/>"
    L"</TreeView></Container></Window>";

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_deleted = 0;
        g_gone.clear();
        painttest::PoisonRelease();
    }
    void TearDown() override { EXPECT_TRUE(painttest::PoisonIntact()) << "a freed node was written to"; }

    void OpenSkin()
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(kSkin, NULL, NULL, &m_win.pm(), NULL);
        ASSERT_NE(root, nullptr);
        m_win.Open(root, 220, 320);
        m_tree = static_cast<CTreeViewUI*>(m_win.pm().FindControl(L"tree")->GetInterface(L"TreeView"));
        ASSERT_NE(m_tree, nullptr);
    }

    // An empty tree view filling a window; nodes are added by the test.
    void OpenEmpty()
    {
        m_tree = new CTreeViewUI;
        m_tree->ApplyAttributeList(L"float=\"true\" pos=\"0,0,200,300\" visiblecheckbtn=\"true\"");
        m_win.Open(basictest::Root({ m_tree }), 220, 320);
    }

    CTreeNodeUI* Node(LPCWSTR name) { return CTreeNodeUI::AsTreeNode(m_win.pm().FindControl(name)); }

    // Names (item texts for nodes) of the shown rows, in order.
    std::vector<std::wstring> Shown()
    {
        std::vector<std::wstring> out;
        for (int i = 0; i < m_tree->GetCount(); i++) {
            CControlUI* row = m_tree->GetItemAt(i);
            if (!row->IsVisible()) continue;
            CTreeNodeUI* node = CTreeNodeUI::AsTreeNode(row);
            out.push_back(node != NULL ? node->GetItemText().GetData() : row->GetName().GetData());
        }
        return out;
    }

    // Item texts of every row, shown or not.
    std::vector<std::wstring> Rows()
    {
        std::vector<std::wstring> out;
        for (int i = 0; i < m_tree->GetCount(); i++) {
            CTreeNodeUI* node = CTreeNodeUI::AsTreeNode(m_tree->GetItemAt(i));
            out.push_back(node != NULL ? node->GetItemText().GetData() : m_tree->GetItemAt(i)->GetName().GetData());
        }
        return out;
    }

    void ClickCenter(CControlUI* control)
    {
        m_win.Update();
        const RECT rc = control->GetPos();
        m_win.Click((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }

    std::vector<bool> Checks(std::initializer_list<LPCWSTR> names)
    {
        std::vector<bool> out;
        for (LPCWSTR name : names) out.push_back(Node(name)->IsCheckBoxSelected());
        return out;
    }

    typedef std::vector<std::wstring> Names;
    HostWindow m_win;
    CTreeViewUI* m_tree = nullptr;
};

TEST_F(TreeViewTest, ASkinBuildsTheTreeFlatInDisplayOrderWithLevelsAndLinks)
{
    OpenSkin();
    EXPECT_STREQ(m_tree->GetClass(), L"TreeViewUI");
    EXPECT_FALSE(m_tree->GetHeader()->IsVisible());
    EXPECT_EQ(Rows(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"B", L"plain" }));
    // "defaultexpand" shows the children as they arrive; a1 is collapsed.
    EXPECT_EQ(Shown(), (Names{ L"A", L"A1", L"A2", L"A2x", L"B", L"plain" }));

    CTreeNodeUI *a = Node(L"a"), *a1 = Node(L"a1"), *a1x = Node(L"a1x"), *a2 = Node(L"a2"), *a2x = Node(L"a2x");
    EXPECT_STREQ(a->GetClass(), L"TreeNodeUI");
    EXPECT_EQ(a->GetParentNode(), nullptr);
    EXPECT_EQ(a1x->GetParentNode(), a1);
    EXPECT_EQ(a->GetCountChild(), 2);
    EXPECT_EQ(a->GetChildNode(1), a2);
    EXPECT_EQ(a->GetChildNode(2), nullptr);
    EXPECT_EQ(a->GetLastNode(), a2x);
    EXPECT_EQ(Node(L"b")->GetLastNode(), Node(L"b"));
    EXPECT_EQ(a2x->GetTreeView(), m_tree);
    EXPECT_EQ(a2->GetTreeIndex(), 3);
    EXPECT_EQ(a2->GetNodeIndex(), 1);
    EXPECT_EQ(Node(L"b")->GetNodeIndex(), 5);
    // Attributes of the sub-controls; a control written inside a node joins its row.
    EXPECT_EQ(m_win.pm().FindControl(L"bItem"), Node(L"b")->GetItemButton());
    EXPECT_EQ(m_win.pm().FindControl(L"extra")->GetParent(), a2->GetTreeNodeHoriznotal());
    EXPECT_EQ(a2->GetTreeNodeHoriznotal()->GetCount(), 5);
}

TEST_F(TreeViewTest, ANodeOutsideATreeViewEndsItsLevelOfTheSkin)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window><VerticalLayout><Label name=\"before\"/><TreeNode text=\"x\"/>"
                                      L"<Label name=\"after\"/></VerticalLayout></Window>",
                                      NULL, NULL, &m_win.pm(), NULL);
    ASSERT_NE(root, nullptr);
    m_win.Open(root, 100, 100);
    EXPECT_NE(m_win.pm().FindControl(L"before"), nullptr);
    EXPECT_EQ(m_win.pm().FindControl(L"after"), nullptr);
    EXPECT_EQ(static_cast<IContainerUI*>(root->GetInterface(L"IContainer"))->GetCount(), 1);
}

TEST_F(TreeViewTest, EachLevelIsIndentedSixteenPixelsMore)
{
    OpenSkin();
    Node(L"a1")->GetFolderButton()->Selected(true);
    m_win.Update();
    struct Case {
        LPCWSTR node;
        bool dotShown;
        int dotWidth;
        bool folderShown;
    } cases[] = {
        // The view's "visiblefolderbtn" comes after its nodes and shows every folder button.
        { L"a", false, 2, true },
        { L"a1", true, 18, true },
        { L"a1x", true, 34, true },
        { L"b", false, 2, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.node);
        CTreeNodeUI* node = Node(c.node);
        EXPECT_EQ(node->GetDottedLine()->IsVisible(), c.dotShown);
        EXPECT_EQ(node->GetDottedLine()->GetFixedWidth(), c.dotWidth);
        EXPECT_EQ(node->GetVisibleFolderBtn(), c.folderShown);
        // Laid out: indentation, folder button, check box, then the text.
        const int left = node->GetPos().left;
        const int indent = c.dotShown ? c.dotWidth : 0;
        const int folder = c.folderShown ? 18 : 0;
        EXPECT_EQ(node->GetCheckBox()->GetPos().left - left, indent + folder);
        EXPECT_EQ(node->GetItemButton()->GetPos().left - left, indent + folder + 18);
        EXPECT_EQ(node->GetPos().bottom - node->GetPos().top, 18);
    }
    // Rows follow each other in display order.
    EXPECT_EQ(Node(L"a1x")->GetPos().top, 2 * 18);
    EXPECT_EQ(Node(L"b")->GetPos().top, 5 * 18);
}

TEST_F(TreeViewTest, TheFolderButtonAndDoubleClicksExpandAndCollapse)
{
    OpenSkin();
    CTreeNodeUI *a = Node(L"a"), *a1 = Node(L"a1");

    // a1 opens and closes through its folder button.
    ClickCenter(a1->GetFolderButton());
    EXPECT_TRUE(a1->GetFolderButton()->GetCheck());
    EXPECT_TRUE(a1->GetVisibleTag());
    EXPECT_EQ(Shown(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"B", L"plain" }));
    ClickCenter(a1->GetFolderButton());
    EXPECT_FALSE(a1->GetVisibleTag());
    EXPECT_EQ(Shown(), (Names{ L"A", L"A1", L"A2", L"A2x", L"B", L"plain" }));

    // Collapsing a hides every shown descendant; expanding shows the children and what lies
    // below the expanded ones only.
    ClickCenter(a->GetFolderButton());
    EXPECT_EQ(Shown(), (Names{ L"A", L"B", L"plain" }));
    ClickCenter(a->GetFolderButton());
    EXPECT_EQ(Shown(), (Names{ L"A", L"A1", L"A2", L"A2x", L"B", L"plain" }));

    // A double click on the text reports "itemdbclick" and toggles the node.
    m_win.Update();
    m_win.Clear();
    const RECT rc = a->GetItemButton()->GetPos();
    m_win.DblClk(rc.left + 20, (rc.top + rc.bottom) / 2);
    m_win.Up(rc.left + 20, (rc.top + rc.bottom) / 2);
    EXPECT_EQ(m_win.Count(L"itemdbclick", a), 1);
    EXPECT_FALSE(a->GetFolderButton()->GetCheck());
    EXPECT_EQ(Shown(), (Names{ L"A", L"B", L"plain" }));

    // A disabled node reports nothing and stays as it is.
    a->SetEnabled(false);
    m_win.Update();
    m_win.Clear();
    m_win.DblClk(rc.left + 20, (rc.top + rc.bottom) / 2);
    m_win.Up(rc.left + 20, (rc.top + rc.bottom) / 2);
    EXPECT_EQ(m_win.Count(L"itemdbclick"), 0);
    EXPECT_FALSE(a->GetFolderButton()->GetCheck());
}

TEST_F(TreeViewTest, ChecksGoDownToTheSubtreeAndUpToParentsWhoseChildrenAgree)
{
    OpenSkin();
    // Down: a click on a's box checks its whole subtree.
    ClickCenter(Node(L"a")->GetCheckBox());
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x", L"b" }),
              (std::vector<bool>{ true, true, true, true, true, false }));

    // A mixed state leaves the parent as it was: a1 loses its only checked child, a does not.
    Node(L"a1x")->CheckBoxSelected(false);
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x" }), (std::vector<bool>{ true, false, false, true, true }));

    // Unchecking everything below a by hand unchecks a with its last checked child.
    ClickCenter(Node(L"a2x")->GetCheckBox());
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x" }), (std::vector<bool>{ false, false, false, false, false }));

    // Up: the last unchecked child checks its parent, and so on to the top.
    Node(L"a1x")->CheckBoxSelected(true);
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x" }), (std::vector<bool>{ false, true, true, false, false }));
    ClickCenter(Node(L"a2x")->GetCheckBox());
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x" }), (std::vector<bool>{ true, true, true, true, true }));
    EXPECT_TRUE(Node(L"a")->IsAllChildChecked());

    // The view-wide operation reaches every node and passes the label by.
    m_tree->SetItemCheckBox(false);
    EXPECT_EQ(Checks({ L"a", L"a1", L"a1x", L"a2", L"a2x", L"b" }),
              (std::vector<bool>{ false, false, false, false, false, false }));
    EXPECT_FALSE(Node(L"a")->IsAllChildChecked());
}

TEST_F(TreeViewTest, RowsThatAreNoNodesArePassedByEveryWholeTreeOperation)
{
    OpenSkin();
    CControlUI* plain = m_win.pm().FindControl(L"plain");
    m_tree->SetVisibleCheckBtn(false);
    m_tree->SetVisibleFolderBtn(true);
    m_tree->SetItemMinWidth(150);
    m_tree->SetItemTextColor(0xFF112233);
    m_tree->SetItemHotTextColor(0xFF445566);
    m_tree->SetSelItemTextColor(0xFF778899);
    m_tree->SetSelItemHotTextColor(0xFFAABBCC);
    m_tree->SetItemCheckBox(true);
    EXPECT_FALSE(Node(L"b")->GetVisibleCheckBtn());
    EXPECT_EQ(Node(L"a1x")->GetMinWidth(), 150);
    EXPECT_EQ(Node(L"a2")->GetItemHotTextColor(), 0xFF445566u);
    EXPECT_EQ(plain->GetMinWidth(), 0);
    // Collapsing the whole tree hides every node, top level included, and no other row.
    m_tree->SetItemExpand(false);
    EXPECT_EQ(Shown(), (Names{ L"plain" }));
    m_tree->SetItemExpand(true);
    EXPECT_EQ(Shown(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"B", L"plain" }));
    m_win.Update();

    // Removing the label through the view's container operations works like a list's.
    IContainerUI* container = static_cast<IContainerUI*>(m_tree->GetInterface(L"IContainer"));
    EXPECT_TRUE(container->RemoveAt(6));
    EXPECT_EQ(Rows(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"B" }));
}

TEST_F(TreeViewTest, RemovingANodeTakesItsSubtreeAndNoWalkMeetsItAgain)
{
    OpenEmpty();
    // Delete at once, so that a dangling pointer would meet poisoned memory.
    m_tree->SetDelayedDestroy(false);
    CountedNode* r = new CountedNode(L"r");
    CountedNode* p = new CountedNode(L"p");
    CountedNode* q = new CountedNode(L"q");
    ASSERT_TRUE(m_tree->Add(r));
    ASSERT_TRUE(r->AddChildNode(p));
    ASSERT_TRUE(r->AddChildNode(q));
    CountedNode* p1 = new CountedNode(L"p1");
    CountedNode* p2 = new CountedNode(L"p2");
    CountedNode* p2a = new CountedNode(L"p2a");
    ASSERT_TRUE(p->AddChildNode(p1));
    ASSERT_TRUE(p->AddChildNode(p2));
    ASSERT_TRUE(p2->AddChildNode(p2a));
    ASSERT_EQ(Rows(), (Names{ L"r", L"p", L"p1", L"p2", L"p2a", L"q" }));

    IContainerUI* container = static_cast<IContainerUI*>(m_tree->GetInterface(L"IContainer"));
    struct Step {
        const char* how;
        std::function<bool()> remove;
        int deleted;
        Names rows;
    } steps[] = {
        { "the view's own Remove of a subtree", [&] { return m_tree->Remove(p2); }, 2, { L"r", L"p", L"p1", L"q" } },
        { "the view's container Remove", [&] { return container->Remove(p1); }, 1, { L"r", L"p", L"q" } },
        { "the view's RemoveAt of a childless node", [&] { return m_tree->RemoveAt(2); }, 1, { L"r", L"p" } },
        { "the parent's container Remove", [&] { return r->Remove(p); }, 1, { L"r" } },
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.how);
        const int before = g_deleted;
        EXPECT_TRUE(s.remove());
        m_win.Pump();
        EXPECT_EQ(g_deleted - before, s.deleted);
        EXPECT_TRUE(painttest::PoisonIntact()) << "a removed node was written after it was freed";
        EXPECT_EQ(Rows(), s.rows);
        // The former parents hold no removed child; walking them is safe.
        for (CTreeNodeUI* n : { static_cast<CTreeNodeUI*>(r), static_cast<CTreeNodeUI*>(p) }) {
            if (g_gone.count(n)) continue;
            CStdPtrArray children = n->GetTreeNodes();
            for (int i = 0; i < children.GetSize(); i++) EXPECT_EQ(g_gone.count(children[i]), 0u);
            n->IsAllChildChecked();
            n->GetLastNode();
            m_tree->SetItemExpand(false, n);
            m_tree->SetItemExpand(true, n);
            m_tree->SetItemCheckBox(true, n);
        }
        m_tree->SetItemExpand(true);
        m_tree->SetItemCheckBox(false);
    }
    EXPECT_EQ(r->GetLastNode(), r);
    EXPECT_FALSE(r->IsHasChild());
    // A bad index, or a node that is not there, is refused.
    EXPECT_FALSE(m_tree->RemoveAt(5));
    EXPECT_FALSE(m_tree->RemoveAt(-1));
    EXPECT_FALSE(r->RemoveChildNode(q));
    EXPECT_EQ(g_deleted, 6 - 1);
}

// Rows keep their positions as indexes after a subtree leaves, and the selection stays on its
// node or, when its node went, moves to the row the list picks for a removed selection.
TEST_F(TreeViewTest, AfterASubtreeLeavesEveryIndexAndTheSelectionAreRight)
{
    struct Case {
        const char* how;
        const wchar_t* selected;
        bool throughParent;
        bool split; // a row moved into the middle of the subtree's rows
    } cases[] = {
        { "the selection after the subtree, the view's Remove", L"q", false, false },
        { "the selection inside the subtree, the parent's Remove", L"p2a", true, false },
        { "the subtree's rows apart, the parent's Remove", L"q", true, true },
    };
    OpenEmpty();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.how);
        m_tree->RemoveAll();
        // r (expanded): p (expanded): p1, p2: p2a; q
        CountedNode* r = new CountedNode(L"r");
        ASSERT_TRUE(m_tree->Add(r));
        r->GetFolderButton()->Selected(true);
        CountedNode* p = new CountedNode(L"p");
        CountedNode* q = new CountedNode(L"q");
        ASSERT_TRUE(r->AddChildNode(p));
        p->GetFolderButton()->Selected(true);
        ASSERT_TRUE(p->AddChildNode(new CountedNode(L"p1")));
        CountedNode* p2 = new CountedNode(L"p2");
        ASSERT_TRUE(p->AddChildNode(p2));
        p2->GetFolderButton()->Selected(true);
        ASSERT_TRUE(p2->AddChildNode(new CountedNode(L"p2a")));
        ASSERT_TRUE(r->AddChildNode(q));
        ASSERT_EQ(Rows(), (Names{ L"r", L"p", L"p1", L"p2", L"p2a", L"q" }));
        if (k.split) {
            ASSERT_TRUE(m_tree->SetItemIndex(q, 3));
        }
        const std::vector<std::wstring> rows = Rows();
        const int iSelected = static_cast<int>(std::find(rows.begin(), rows.end(), k.selected) - rows.begin());
        ASSERT_TRUE(m_tree->SelectItem(iSelected));

        EXPECT_TRUE(k.throughParent ? r->Remove(p) : m_tree->Remove(p));
        EXPECT_EQ(Rows(), (Names{ L"r", L"q" }));
        for (int i = 0; i < m_tree->GetCount(); i++) {
            CTreeNodeUI* node = CTreeNodeUI::AsTreeNode(m_tree->GetItemAt(i));
            EXPECT_EQ(i, node->GetIndex()) << "row " << i;
            EXPECT_EQ(i, node->GetTreeIndex()) << "row " << i;
        }
        EXPECT_EQ(1, m_tree->GetCurSel());
        EXPECT_TRUE(q->IsSelected());
        EXPECT_FALSE(r->IsSelected());
    }
}

// Removing a subtree that holds the selection moves the selection, and the "itemselect" it
// sends closes the window: window, manager, view and nodes are deleted inside the removal,
// which must end there, however deep in the subtree it was.
TEST_F(TreeViewTest, ARemovalEndsWhenTheMovedSelectionsNotifierClosesTheWindow)
{
    // The window's own memory is wiped too when it goes.
    class PoisonedHost final : public painttest::Poisoned<basictest::HostWindow> {};
    struct Closer : INotifyUI {
        basictest::HostWindow* win = nullptr;
        void Notify(TNotifyUI& msg) override
        {
            if (win == nullptr || msg.type != L"itemselect") return;
            basictest::HostWindow* gone = win;
            win = nullptr;
            delete static_cast<PoisonedHost*>(gone);
        }
    };
    struct Case {
        const char* how;
        bool delayed;
        bool throughParent;
    } cases[] = {
        { "the view's Remove, deleted at once", false, false },
        { "the view's Remove, delayed cleanup", true, false },
        { "the parent's Remove, deleted at once", false, true },
        { "the parent's Remove, delayed cleanup", true, true },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.how);
        basictest::HostWindow* win = new PoisonedHost;
        CTreeViewUI* tree = new painttest::Poisoned<CTreeViewUI>;
        tree->ApplyAttributeList(L"float=\"true\" pos=\"0,0,200,300\"");
        win->Open(basictest::Root({ tree }), 220, 320);
        tree->SetDelayedDestroy(k.delayed);
        // r: p: p1, p2: p2a; q, all expanded; p2a selected. Its row goes last but one, and
        // the selection moves onto q from three removals deep.
        CountedNode* r = new CountedNode(L"r");
        CountedNode* p = new CountedNode(L"p");
        CountedNode* p2 = new CountedNode(L"p2");
        CountedNode* p2a = new CountedNode(L"p2a");
        ASSERT_TRUE(tree->Add(r));
        for (CTreeNodeUI* n : { static_cast<CTreeNodeUI*>(r), static_cast<CTreeNodeUI*>(p), static_cast<CTreeNodeUI*>(p2) })
            n->GetFolderButton()->Selected(true);
        ASSERT_TRUE(r->AddChildNode(p));
        ASSERT_TRUE(p->AddChildNode(new CountedNode(L"p1")));
        ASSERT_TRUE(p->AddChildNode(p2));
        ASSERT_TRUE(p2->AddChildNode(p2a));
        ASSERT_TRUE(r->AddChildNode(new CountedNode(L"q")));
        ASSERT_TRUE(tree->SelectItem(4));
        ASSERT_EQ(tree->GetItemAt(4), p2a);

        Closer closer;
        closer.win = win;
        win->pm().AddNotifier(&closer);
        if (k.throughParent)
            r->Remove(p);
        else
            tree->Remove(p);
        EXPECT_EQ(closer.win, nullptr) << "the window was not closed";
        EXPECT_EQ(g_deleted, 6);
        EXPECT_TRUE(painttest::PoisonIntact()) << "the removal went on in freed memory";
        painttest::PumpMessages();
        g_deleted = 0;
    }
}

TEST_F(TreeViewTest, RemovalWithDelayedCleanupDeletesTheSubtreeOnce)
{
    OpenSkin();
    CTreeNodeUI* a = Node(L"a");
    CountedNode* extra = new CountedNode(L"extra");
    CountedNode* deep = new CountedNode(L"deep");
    ASSERT_TRUE(Node(L"a2x")->AddChildNode(extra));
    ASSERT_TRUE(extra->AddChildNode(deep));
    EXPECT_EQ(Rows(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"extra", L"deep", L"B", L"plain" }));
    EXPECT_TRUE(m_tree->Remove(Node(L"a2")));
    EXPECT_EQ(Rows(), (Names{ L"A", L"A1", L"A1x", L"B", L"plain" }));
    EXPECT_EQ(a->GetCountChild(), 1);
    EXPECT_EQ(a->GetLastNode(), Node(L"a1x"));
    m_win.Pump();
    EXPECT_EQ(g_deleted, 2);
    m_tree->RemoveAll();
    m_win.Pump();
    EXPECT_EQ(m_tree->GetCount(), 0);
}

TEST_F(TreeViewTest, NodesAddedInCodeAreBoundPlacedAndShownLikeSkinNodes)
{
    OpenSkin();
    CTreeNodeUI* a = Node(L"a");
    CTreeNodeUI* a1 = Node(L"a1");

    // A node added through the view's container interface hears its buttons: its check box
    // checks the subtree it brought with it, whose indentation follows it down.
    CTreeNodeUI* c = new CTreeNodeUI;
    c->SetItemText(L"C");
    CTreeNodeUI* c1 = new CTreeNodeUI;
    c1->SetItemText(L"C1");
    CTreeNodeUI* c1x = new CTreeNodeUI;
    c1x->SetItemText(L"C1x");
    ASSERT_TRUE(c1->AddChildNode(c1x));
    ASSERT_TRUE(c->AddChildNode(c1));
    IContainerUI* container = static_cast<IContainerUI*>(m_tree->GetInterface(L"IContainer"));
    ASSERT_TRUE(container->Add(c));
    EXPECT_EQ(Rows(), (Names{ L"A", L"A1", L"A1x", L"A2", L"A2x", L"B", L"plain", L"C", L"C1", L"C1x" }));
    EXPECT_EQ(c1x->GetDottedLine()->GetFixedWidth(), 34);
    c->CheckBoxSelected(true);
    EXPECT_TRUE(c1x->IsCheckBoxSelected());

    // Inserting at a row records the view: later children reach the list after it.
    CTreeNodeUI* d = new CTreeNodeUI;
    d->SetItemText(L"D");
    EXPECT_EQ(m_tree->AddAt(d, 0), 1);
    EXPECT_EQ(d->GetTreeView(), m_tree);
    EXPECT_EQ(d->GetTreeIndex(), 0);
    // Inserted, even without children, it shows a folder button; added with Add it does not.
    EXPECT_TRUE(d->GetVisibleFolderBtn());
    CTreeNodeUI* e = new CTreeNodeUI;
    e->SetItemText(L"E");
    ASSERT_TRUE(m_tree->Add(e));
    EXPECT_TRUE(m_tree->GetVisibleFolderBtn());
    EXPECT_FALSE(e->GetVisibleFolderBtn());
    CTreeNodeUI* d1 = new CTreeNodeUI;
    d1->SetItemText(L"D1");
    ASSERT_TRUE(d->Add(d1));
    EXPECT_EQ(Rows()[1], L"D1");
    EXPECT_FALSE(d1->IsVisible()); // d is collapsed

    // A node's own AddAt: before a child, and after the last child's whole subtree.
    CTreeNodeUI* mid = new CTreeNodeUI;
    mid->SetItemText(L"mid");
    CTreeNodeUI* tail = new CTreeNodeUI;
    tail->SetItemText(L"tail");
    ASSERT_TRUE(a->AddAt(mid, 1));
    ASSERT_TRUE(a->AddAt(tail, 99));
    EXPECT_EQ(Rows(), (Names{ L"D", L"D1", L"A", L"A1", L"A1x", L"mid", L"A2", L"A2x", L"tail", L"B", L"plain", L"C",
                              L"C1", L"C1x", L"E" }));
    EXPECT_EQ(mid->GetNodeIndex(), 1);
    EXPECT_EQ(a->GetLastNode(), tail);
    EXPECT_TRUE(mid->IsVisible());

    // Under a hidden node that is expanded itself, a new child stays hidden until its
    // ancestors are opened.
    a1->GetFolderButton()->Selected(true);
    a->GetFolderButton()->Selected(false);
    CTreeNodeUI* late = new CTreeNodeUI;
    late->SetItemText(L"late");
    ASSERT_TRUE(a1->Add(late));
    EXPECT_FALSE(late->IsVisible());
    a->GetFolderButton()->Selected(true);
    EXPECT_TRUE(late->IsVisible());
    EXPECT_TRUE(Node(L"a1x")->IsVisible());

    // A node twice, or no node at all, is refused.
    EXPECT_FALSE(m_tree->Add(c));
    EXPECT_EQ(m_tree->AddAt(c, 0), -1);
    EXPECT_FALSE(a->AddChildNode(mid));
    EXPECT_FALSE(m_tree->AddAt(static_cast<CTreeNodeUI*>(NULL), static_cast<CTreeNodeUI*>(NULL)));
}

TEST_F(TreeViewTest, ANodeKeepsItsRowAndTakesOtherControlsAsOrdinaryChildren)
{
    OpenSkin();
    CTreeNodeUI* b = Node(L"b");
    CControlUI* row = b->GetTreeNodeHoriznotal();
    CLabelUI* label = new CLabelUI;
    ASSERT_TRUE(b->Add(label));
    EXPECT_EQ(b->GetCount(), 2);
    EXPECT_EQ(b->GetItemAt(1), label);
    EXPECT_EQ(b->GetCountChild(), 0);
    EXPECT_EQ(m_tree->GetItemIndex(label), -1);
    // Only nodes are inserted at a child index.
    CLabelUI* refused = new CLabelUI;
    EXPECT_FALSE(b->AddAt(refused, 0));
    delete refused;

    EXPECT_FALSE(b->Remove(row));
    EXPECT_FALSE(b->RemoveAt(0));
    b->RemoveAll();
    EXPECT_EQ(b->GetCount(), 1);
    EXPECT_EQ(b->GetItemAt(0), row);
    // The row's controls are alive and drawn.
    m_win.Update();
    painttest::Canvas canvas(220, 320);
    m_win.PaintTo(canvas);
    b->SetItemText(L"still here");
    EXPECT_STREQ(b->GetItemText().GetData(), L"still here");
}

TEST_F(TreeViewTest, SelectingANodeColoursItsText)
{
    OpenSkin();
    CTreeNodeUI* b = Node(L"b");
    ClickCenter(b->GetItemButton());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(m_tree->GetCurSel(), 5);
    EXPECT_EQ(b->GetItemButton()->GetTextColor(), 0xFF0000FFu);
    ClickCenter(Node(L"a")->GetItemButton());
    EXPECT_FALSE(b->IsSelected());
    EXPECT_EQ(b->GetItemButton()->GetTextColor(), 0xFF00FF00u);
}

} // namespace
