#include <windows.h>
#include <stdio.h>
#include <vector>
#include "../BenchClock.h"
#include "controls/TreeViewUI.h"
#include "TreeTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

const char* kArea = "toolkit-treeview";

struct Figures {
    int nodes;
    double build, check, uncheck, collapse, expand, remove;
};

// Adds `fanout` children to the parent and to each new child, `depth` levels down, in the view.
void Grow(CTreeNodeUI* parent, int fanout, int depth, int* pCount)
{
    if (depth == 0) return;
    for (int i = 0; i < fanout; i++) {
        CTreeNodeUI* child = new CTreeNodeUI;
        child->SetItemText(L"node");
        parent->AddChildNode(child);
        ++*pCount;
        Grow(child, fanout, depth - 1, pCount);
    }
}

// Nodes added under nodes already in the view, each placed after its parent's subtree: one
// root with `fanout` children per node down `depth` levels below it.
CTreeNodeUI* Build(CTreeViewUI* tree, int fanout, int depth, int* pCount)
{
    CTreeNodeUI* root = new CTreeNodeUI;
    root->SetItemText(L"root");
    root->GetFolderButton()->Selected(true);
    tree->Add(root);
    *pCount = 1;
    Grow(root, fanout, depth, pCount);
    return root;
}

CTreeViewUI* NewTree(ManagedWindow& w)
{
    CTreeViewUI* tree = new CTreeViewUI;
    tree->SetVisibleCheckBtn(true);
    w.Attach(tree);
    return tree;
}

// The build alone, on a fresh window and view each time.
double BuildMs(int fanout, int depth)
{
    ManagedWindow w(300, 400);
    CTreeViewUI* tree = NewTree(w);
    int nodes = 0;
    const double t0 = BenchNowMs();
    Build(tree, fanout, depth, &nodes);
    return BenchNowMs() - t0;
}

Figures Run(int fanout, int depth)
{
    Figures f = {};
    ManagedWindow w(300, 400);
    CTreeViewUI* tree = NewTree(w);

    double t0 = BenchNowMs();
    CTreeNodeUI* root = Build(tree, fanout, depth, &f.nodes);
    f.build = BenchNowMs() - t0;

    // The root's box checks every node below it; then the same back.
    t0 = BenchNowMs();
    root->CheckBoxSelected(true);
    f.check = BenchNowMs() - t0;
    t0 = BenchNowMs();
    root->CheckBoxSelected(false);
    f.uncheck = BenchNowMs() - t0;
    if (tree->GetCount() != f.nodes) printf("rows %d, nodes %d\n", tree->GetCount(), f.nodes);

    t0 = BenchNowMs();
    tree->SetItemExpand(false, root);
    f.collapse = BenchNowMs() - t0;
    t0 = BenchNowMs();
    tree->SetItemExpand(true, root);
    f.expand = BenchNowMs() - t0;

    // The first child's subtree leaves the view.
    t0 = BenchNowMs();
    tree->Remove(root->GetChildNode(0));
    f.remove = BenchNowMs() - t0;
    return f;
}

struct Fill {
    double insert; // the AddChildNode calls
    double make;   // making the children
};

// k children filling an expanded folder at the top of an n-row view: each one is inserted
// after the folder's last child, with every other row after it. Each child is made right
// before its insert, as a program would, and the two are timed apart: a new node and its
// four parts take tens of kilobytes of fresh heap, whose first touch costs more per page the
// more memory the process already holds (page faults, on a virtual machine the host's too),
// and that would swamp what the insert does with the rows behind the folder.
Fill FillTopFolder(int rows, int children)
{
    ManagedWindow w(300, 400);
    CTreeViewUI* tree = NewTree(w);
    CTreeNodeUI* folder = new CTreeNodeUI;
    folder->SetItemText(L"folder");
    folder->GetFolderButton()->Selected(true);
    tree->Add(folder);
    for (int i = 1; i < rows; i++) {
        CTreeNodeUI* node = new CTreeNodeUI;
        node->SetItemText(L"row");
        tree->Add(node);
    }
    Fill f = {};
    for (int i = 0; i < children; i++) {
        const double t0 = BenchNowMs();
        CTreeNodeUI* child = new CTreeNodeUI;
        child->SetItemText(L"child");
        const double t1 = BenchNowMs();
        folder->AddChildNode(child);
        const double t2 = BenchNowMs();
        f.make += t1 - t0;
        f.insert += t2 - t1;
    }
    if (tree->GetCount() != rows + children) printf("rows %d, expected %d\n", tree->GetCount(), rows + children);
    return f;
}

void Rows(const char* shape, const Figures& f)
{
    char what[128];
    snprintf(what, sizeof(what), "build, %s (%d nodes)", shape, f.nodes);
    BenchRow(kArea, what, f.build, "ms", "AddChildNode under nodes in the view");
    snprintf(what, sizeof(what), "check from the root, %s", shape);
    BenchRow(kArea, what, f.check, "ms", "every box below checked, parents re-evaluated");
    snprintf(what, sizeof(what), "uncheck from the root, %s", shape);
    BenchRow(kArea, what, f.uncheck, "ms", "");
    snprintf(what, sizeof(what), "collapse the root, %s", shape);
    BenchRow(kArea, what, f.collapse, "ms", "SetItemExpand(false, root)");
    snprintf(what, sizeof(what), "expand the root, %s", shape);
    BenchRow(kArea, what, f.expand, "ms", "SetItemExpand(true, root)");
    snprintf(what, sizeof(what), "remove the first subtree, %s", shape);
    BenchRow(kArea, what, f.remove, "ms", "out of the parent, the view and the list");
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    const Figures small = Run(10, 3);
    Rows("10 x 10 x 10", small);
    const Figures large = Run(10, 4);
    Rows("10 x 10 x 10 x 10", large);
    Rows("a chain 40 deep", Run(1, 40));
    BenchRow(kArea, "check growth 11,111 / 1,111 nodes", large.check / small.check, "ratio", "linear: 10");
    // The growth of the build from medians of fresh builds: one build of either size now and
    // then waits for the processor several times as long as it works.
    const double smallBuild = BenchMedian(5, [] { return BuildMs(10, 3); });
    const double largeBuild = BenchMedian(5, [] { return BuildMs(10, 4); });
    BenchRow(kArea, "build growth 11,111 / 1,111 nodes", largeBuild / smallBuild, "ratio",
             "median of 5 fresh builds each; per-add cost dominates the row scan: 10");
    BenchRow(kArea, "remove growth 11,111 / 1,111 nodes", large.remove / small.remove, "ratio",
             "a tenth of the rows out of all of them: 10");
    // The two sizes in turns, so that a while of a loaded machine falls on both alike.
    std::vector<double> smallFills, largeFills, smallMakes, largeMakes;
    for (int i = 0; i < 7; i++) {
        const Fill s = FillTopFolder(2000, 200);
        const Fill l = FillTopFolder(20000, 2000);
        smallFills.push_back(s.insert);
        largeFills.push_back(l.insert);
        smallMakes.push_back(s.make);
        largeMakes.push_back(l.make);
    }
    const double smallFill = BenchMedianOf(smallFills);
    const double largeFill = BenchMedianOf(largeFills);
    BenchRow(kArea, "fill a folder at the top, 200 children, 2,000 rows", smallFill, "ms",
             "the AddChildNode calls, each after the folder's last child; median of 7, the sizes in turns");
    BenchRow(kArea, "fill a folder at the top, 2,000 children, 20,000 rows", largeFill, "ms", "median of 7");
    BenchRow(kArea, "fill growth, 10x children into 10x rows", largeFill / smallFill, "ratio",
             "no work per later row: 10");
    const double smallMake = BenchMedianOf(smallMakes);
    const double largeMake = BenchMedianOf(largeMakes);
    BenchRow(kArea, "make the folder's children, 200 / 2,000 nodes", largeMake / smallMake, "ratio",
             "new nodes beside 2,000 / 20,000 rows, timed apart from the fill; fresh heap: 10 and up");
    CPaintManagerUI::Term();
    return 0;
}
