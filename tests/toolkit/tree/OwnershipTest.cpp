// Who keeps a pointer to whom once an owner goes or changes: a manager destroyed on another
// thread than its own, list rows that outlive their list, a tree node that another node
// already holds. What goes is wiped when freed and its pages are given back, so a late touch
// faults.
#include <windows.h>
#include <thread>
#include <gtest/gtest.h>
#include "controls/ListLabelElementUI.h"
#include "controls/ListUI.h"
#include "controls/TreeNodeUI.h"
#include "core/ControlUI.h"
#include "core/PaintManager.h"
#include "PoisonArena.h"

using namespace SkinUI;
using painttest::Poisoned;

namespace {

int g_callerFaults = 0;
void CountCallerFault(LPCTSTR)
{
    ++g_callerFaults;
}

} // namespace

// The manager's own thread cannot be told from the other one: the fault is reported, and
// the own thread no longer lists the manager, so a control deleted there reaches nothing of
// it.
TEST(ManagerThread, AManagerDestroyedOnAnotherThreadIsReportedAndDroppedByItsOwn)
{
    g_callerFaults = 0;
    CPaintManagerUI::CALLERFAULTPROC pfnOld = CPaintManagerUI::SetCallerFaultHandler(&CountCallerFault);
    CPaintManagerUI* pManager = new Poisoned<CPaintManagerUI>;
    ASSERT_TRUE(CPaintManagerUI::IsThreadManager(pManager));
    std::thread([pManager] { delete static_cast<Poisoned<CPaintManagerUI>*>(pManager); }).join();
    EXPECT_EQ(1, g_callerFaults);
    painttest::PoisonRelease();
    EXPECT_FALSE(CPaintManagerUI::IsThreadManager(pManager));
    // Reaping walks this thread's managers.
    delete new CControlUI;
    // A manager made and destroyed here afterwards is no fault.
    delete new CPaintManagerUI;
    EXPECT_EQ(1, g_callerFaults);
    CPaintManagerUI::SetCallerFaultHandler(pfnOld);
}

// Rows the program keeps (the list does not destroy them) outlive the list, whether they
// left it before or were still in it: they read nothing of it afterwards.
TEST(RowOwner, ARowThatOutlivesItsListForgetsIt)
{
    CListUI* pList = new Poisoned<CListUI>;
    pList->GetList()->SetAutoDestroy(false);
    CListLabelElementUI* rows[3];
    for (CListLabelElementUI*& pRow : rows) {
        pRow = new CListLabelElementUI;
        ASSERT_TRUE(pList->Add(pRow));
    }
    // Taken out in front: the rows behind are numbered only when one of them is read.
    ASSERT_TRUE(pList->RemoveAt(0));
    EXPECT_EQ(nullptr, rows[0]->GetOwner());
    EXPECT_EQ(static_cast<IListOwnerUI*>(pList), rows[1]->GetOwner());
    delete pList;
    painttest::PoisonRelease();
    for (CListLabelElementUI* pRow : rows) {
        EXPECT_EQ(nullptr, pRow->GetOwner());
        pRow->GetIndex();
        pRow->Select(true);
        delete pRow;
    }
}

// A node has one parent: a node that another one lists is refused, whichever way it is
// added, until it left that one.
TEST(TreeNodeParent, ANodeThatAnotherNodeListsIsRefusedUntilItLeaves)
{
    CTreeNodeUI* a = new CTreeNodeUI;
    CTreeNodeUI* b = new CTreeNodeUI;
    CTreeNodeUI* n = new CTreeNodeUI;
    ASSERT_TRUE(a->AddChildNode(n));
    EXPECT_FALSE(b->AddChildNode(n));
    EXPECT_FALSE(b->Add(n));
    EXPECT_FALSE(b->AddAt(n, 0));
    EXPECT_EQ(a, n->GetParentNode());
    EXPECT_EQ(0, b->GetCountChild());
    EXPECT_FALSE(a->AddChildNode(n)) << "listed twice";
    EXPECT_EQ(1, a->GetCountChild());
    ASSERT_TRUE(a->RemoveChildNode(n));
    EXPECT_TRUE(b->AddChildNode(n));
    EXPECT_EQ(b, n->GetParentNode());
    EXPECT_EQ(0, a->GetCountChild());
    // A node made under a parent that does not list it yet is taken by that parent.
    CTreeNodeUI* m = new CTreeNodeUI(a);
    EXPECT_TRUE(a->AddChildNode(m));
    EXPECT_EQ(1, a->GetCountChild());
    ASSERT_TRUE(a->RemoveChildNode(m));
    delete m;
    delete n;
    delete b;
    delete a;
}
