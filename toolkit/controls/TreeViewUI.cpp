#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include <vector>
#include "controls/TreeViewUI.h"
#include "core/AttributeValue.h"

namespace SkinUI {

namespace {

// The node and every node below it, in display order; false when there are more than
// nLimit (then they cannot all be rows of the view, and links that loop are not followed
// for ever).
bool CollectSubtree(CTreeNodeUI* pTop, std::vector<CTreeNodeUI*>& out, int nLimit)
{
    std::vector<CTreeNodeUI*> pending(1, pTop);
    while (!pending.empty()) {
        if (static_cast<int>(out.size()) >= nLimit) return false;
        CTreeNodeUI* pNode = pending.back();
        pending.pop_back();
        out.push_back(pNode);
        for (int i = pNode->GetCountChild() - 1; i >= 0; i--) {
            CTreeNodeUI* pChild = pNode->GetChildNode(i);
            if (pChild != NULL) pending.push_back(pChild);
        }
    }
    return true;
}

// Runs f on every row of the view that is a tree node; other rows are passed by.
template <class F>
void ForEachNode(CTreeViewUI* pView, F f)
{
    for (int i = 0; i < pView->GetCount(); i++) {
        CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pView->GetItemAt(i));
        if (pNode != NULL) f(pNode);
    }
}

} // namespace

CTreeViewUI::CTreeViewUI() : m_uItemMinWidth(0), m_bVisibleFolderBtn(true), m_bVisibleCheckBtn(false)
{
    if (GetHeader() != NULL) GetHeader()->SetVisible(false);
}

CTreeViewUI::~CTreeViewUI() {}

LPCTSTR CTreeViewUI::GetClass() const
{
    return L"TreeViewUI";
}

LPVOID CTreeViewUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"TreeView") == 0) return static_cast<CTreeViewUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CTreeViewUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"visiblefolderbtn") == 0)
        SetVisibleFolderBtn(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"visiblecheckbtn") == 0)
        SetVisibleCheckBtn(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"itemminwidth") == 0)
        SetItemMinWidth(static_cast<UINT>(_wtoi(pstrValue)));
    else if (wcscmp(pstrName, L"itemtextcolor") == 0)
        SetItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemhottextcolor") == 0)
        SetItemHotTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"selitemtextcolor") == 0)
        SetSelItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"selitemhottextcolor") == 0)
        SetSelItemHotTextColor(ParseAttributeColor(pstrValue));
    else
        CListUI::SetAttribute(pstrName, pstrValue);
}

void CTreeViewUI::Notify(TNotifyUI&) {}

// ---- container operations: nodes take the node operations ----

bool CTreeViewUI::Add(CControlUI* pControl)
{
    CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pControl);
    if (pNode != NULL) return Add(pNode);
    return CListUI::Add(pControl);
}

bool CTreeViewUI::AddAt(CControlUI* pControl, int iIndex)
{
    CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pControl);
    if (pNode != NULL) return AddAt(pNode, iIndex) >= 0;
    return CListUI::AddAt(pControl, iIndex);
}

bool CTreeViewUI::Remove(CControlUI* pControl)
{
    CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pControl);
    if (pNode != NULL) return Remove(pNode);
    return CListUI::Remove(pControl);
}

bool CTreeViewUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL) return false;
    CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pControl);
    if (pNode != NULL) return Remove(pNode);
    return CListUI::RemoveAt(iIndex);
}

void CTreeViewUI::RemoveAll()
{
    CListUI::RemoveAll();
}

// ---- node operations ----

void CTreeViewUI::BindNode(CTreeNodeUI* pNode)
{
    // The event sources keep one copy of each delegate however often a node is bound.
    pNode->notifyHandlers += CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnDBClickItem);
    pNode->GetFolderButton()->notifyHandlers +=
        CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnFolderChanged);
    pNode->GetCheckBox()->notifyHandlers += CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnCheckBoxChanged);
}

void CTreeViewUI::UnbindNode(CTreeNodeUI* pNode)
{
    pNode->notifyHandlers -= CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnDBClickItem);
    pNode->GetFolderButton()->notifyHandlers -=
        CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnFolderChanged);
    pNode->GetCheckBox()->notifyHandlers -= CDelegate<CTreeViewUI, CTreeViewUI>(this, &CTreeViewUI::OnCheckBoxChanged);
}

bool CTreeViewUI::Add(CTreeNodeUI* pControl)
{
    // 1. Tree nodes only, each once.
    if (CTreeNodeUI::AsTreeNode(pControl) == NULL || GetItemIndex(pControl) >= 0) return false;

    // 2. The view hears the node's double click and its two buttons.
    BindNode(pControl);

    // 3. The buttons as the view shows them; a node without children has no folder to open.
    pControl->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
    pControl->GetFolderButton()->SetVisible(false);
    if (m_uItemMinWidth > 0) pControl->SetMinWidth(static_cast<int>(m_uItemMinWidth));

    // 4. The node's row, then its subtree's rows after it.
    if (!CListUI::Add(pControl)) {
        UnbindNode(pControl);
        return false;
    }
    if (pControl->IsHasChild()) {
        pControl->GetFolderButton()->SetVisible(m_bVisibleFolderBtn);
        for (int i = 0; i < pControl->GetCountChild(); i++) {
            CTreeNodeUI* pChild = pControl->GetChildNode(i);
            if (pChild != NULL) Add(pChild);
        }
    }

    // 5. The node knows its view.
    pControl->SetTreeView(this);
    return true;
}

int CTreeViewUI::AddAt(CTreeNodeUI* pControl, int iIndex)
{
    // 1. Tree nodes only, at a row that exists or right after the last.
    if (CTreeNodeUI::AsTreeNode(pControl) == NULL || GetItemIndex(pControl) >= 0) return -1;
    if (iIndex < 0) iIndex = 0;
    if (iIndex > GetCount()) iIndex = GetCount();

    // 2. Bound and shown as the view shows its nodes.
    BindNode(pControl);
    pControl->GetCheckBox()->SetVisible(m_bVisibleCheckBtn);
    pControl->GetFolderButton()->SetVisible(m_bVisibleFolderBtn);
    if (m_uItemMinWidth > 0) pControl->SetMinWidth(static_cast<int>(m_uItemMinWidth));

    // 3. The node's row, then each child with its subtree right after the rows so far.
    if (!CListUI::AddAt(pControl, iIndex)) {
        UnbindNode(pControl);
        return -1;
    }
    // Recorded here too: a top-level node inserted directly must know its view before its
    // children are added.
    pControl->SetTreeView(this);
    int iNext = iIndex + 1;
    for (int i = 0; i < pControl->GetCountChild(); i++) {
        CTreeNodeUI* pChild = pControl->GetChildNode(i);
        if (pChild == NULL) continue;
        iNext = AddAt(pChild, iNext);
        if (iNext < 0) return -1;
    }
    return iNext;
}

bool CTreeViewUI::AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode)
{
    if (pControl == NULL && pIndexNode == NULL) return false;
    if (GetCount() == 0 || pIndexNode == NULL) return false;
    const int iIndex = GetItemIndex(pIndexNode);
    if (iIndex < 0) return false;
    return AddAt(pControl, iIndex) >= 0;
}

bool CTreeViewUI::Remove(CTreeNodeUI* pControl)
{
    const int iFirst = pControl != NULL ? GetItemIndex(pControl) : -1;
    if (iFirst < 0) return false;
    // A removed selection moves and says so; whoever hears it may close the window.
    CRemovalRun run(this, pControl);

    // 1. Out of its parent first, so that no walk over the parent's children meets it again.
    CTreeNodeUI* pParent = pControl->GetParentNode();
    if (pParent != NULL) {
        const int iChild = pParent->m_aTreeNodes.Find(pControl);
        if (iChild >= 0) pParent->m_aTreeNodes.Remove(iChild);
        pControl->SetParentNode(NULL);
    }

    // 2. A subtree whose rows follow the node in display order leaves the list as one
    //    block, unless the selection is among them and has to move the way it does when
    //    its row goes. Each node ends as the node by node removal leaves it.
    std::vector<CTreeNodeUI*> subtree;
    bool bBlock = CollectSubtree(pControl, subtree, GetCount() - iFirst);
    const int nRows = static_cast<int>(subtree.size());
    bBlock = bBlock && (m_iCurSel < iFirst || m_iCurSel >= iFirst + nRows);
    for (int i = 0; bBlock && i < nRows; i++) bBlock = GetItemAt(iFirst + i) == subtree[static_cast<size_t>(i)];
    if (bBlock) {
        for (CTreeNodeUI* pNode : subtree) {
            pNode->m_aTreeNodes.Empty();
            pNode->SetParentNode(NULL);
            UnbindNode(pNode);
            pNode->SetTreeView(NULL);
        }
        return RemoveRowBlock(iFirst, nRows);
    }

    // 3. Otherwise node by node, deepest first (each child leaves the view through here).
    //    Once the view or the node is gone, so is everything this loop would touch.
    while (pControl->GetCountChild() > 0) {
        CTreeNodeUI* pChild = pControl->GetChildNode(0);
        if (pChild == NULL || !pControl->RemoveChildNode(pChild)) pControl->m_aTreeNodes.Remove(0);
        if (run.Ended()) return true;
    }

    // 4. The node itself: no longer heard, no longer in the view, then gone from the list,
    //    the last step (by index: the list's Remove goes through RemoveAt, which would come
    //    back here).
    UnbindNode(pControl);
    pControl->SetTreeView(NULL);
    return CListUI::RemoveAt(GetItemIndex(pControl));
}

// ---- delegate targets ----

CTreeNodeUI* CTreeViewUI::NodeOfRowControl(CControlUI* pControl)
{
    // Check box or folder button, in the row, in the node.
    if (pControl == NULL || pControl->GetParent() == NULL) return NULL;
    return CTreeNodeUI::AsTreeNode(pControl->GetParent()->GetParent());
}

bool CTreeViewUI::OnCheckBoxChanged(void* param)
{
    TNotifyUI* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg == NULL || pMsg->type != L"selectchanged") return true;
    CCheckBoxUI* pCheckBox = static_cast<CCheckBoxUI*>(pMsg->sender);
    CTreeNodeUI* pNode = NodeOfRowControl(pMsg->sender);
    if (pNode == NULL) return true;
    SetItemCheckBox(pCheckBox->GetCheck(), pNode);
    m_pCheckCarried = pNode;
    CTreeNodeUI* pParent = pNode->GetParentNode();
    if (pParent != NULL) pParent->IsAllChildChecked();
    return true;
}

bool CTreeViewUI::OnFolderChanged(void* param)
{
    TNotifyUI* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg == NULL || pMsg->type != L"selectchanged") return true;
    CCheckBoxUI* pFolder = static_cast<CCheckBoxUI*>(pMsg->sender);
    CTreeNodeUI* pNode = NodeOfRowControl(pMsg->sender);
    if (pNode == NULL) return true;
    pNode->SetVisibleTag(pFolder->GetCheck());
    SetItemExpand(pFolder->GetCheck(), pNode);
    return true;
}

bool CTreeViewUI::OnDBClickItem(void* param)
{
    TNotifyUI* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg == NULL || pMsg->type != L"itemdbclick") return false;
    CTreeNodeUI* pNode = CTreeNodeUI::AsTreeNode(pMsg->sender);
    if (pNode == NULL) return false;
    // The folder button reports the change, and OnFolderChanged expands or collapses.
    CCheckBoxUI* pFolder = pNode->GetFolderButton();
    pFolder->Selected(!pFolder->IsSelected());
    return true;
}

// ---- whole-tree operations ----

bool CTreeViewUI::SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode)
{
    const int nCount = pTreeNode != NULL ? pTreeNode->GetCountChild() : GetCount();
    for (int i = 0; i < nCount; i++) {
        CTreeNodeUI* pNode = pTreeNode != NULL ? pTreeNode->GetChildNode(i) : CTreeNodeUI::AsTreeNode(GetItemAt(i));
        if (pNode == NULL) continue;
        // A box already in the state is left alone: each change is reported once. When the
        // report has carried the check down the node's subtree, walking it again would only
        // find every box there in the state already, for every ancestor in turn.
        if (pNode->IsCheckBoxSelected() != bSelected) {
            m_pCheckCarried = NULL;
            pNode->CheckBoxSelected(bSelected);
            if (m_pCheckCarried == pNode) continue;
        }
        if (pNode->IsHasChild()) SetItemCheckBox(bSelected, pNode);
    }
    return true;
}

void CTreeViewUI::SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode)
{
    const int nCount = pTreeNode != NULL ? pTreeNode->GetCountChild() : GetCount();
    for (int i = 0; i < nCount; i++) {
        CTreeNodeUI* pNode = pTreeNode != NULL ? pTreeNode->GetChildNode(i) : CTreeNodeUI::AsTreeNode(GetItemAt(i));
        if (pNode == NULL) continue;
        pNode->SetVisible(bExpanded);
        // Collapsed children keep their own children hidden.
        if (pNode->IsHasChild() && pNode->GetFolderButton()->GetCheck()) SetItemExpand(bExpanded, pNode);
    }
}

void CTreeViewUI::SetVisibleFolderBtn(bool bIsVisible)
{
    m_bVisibleFolderBtn = bIsVisible;
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetVisibleFolderBtn(bIsVisible); });
}

bool CTreeViewUI::GetVisibleFolderBtn() const
{
    return m_bVisibleFolderBtn;
}

void CTreeViewUI::SetVisibleCheckBtn(bool bIsVisible)
{
    m_bVisibleCheckBtn = bIsVisible;
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetVisibleCheckBtn(bIsVisible); });
}

bool CTreeViewUI::GetVisibleCheckBtn() const
{
    return m_bVisibleCheckBtn;
}

void CTreeViewUI::SetItemMinWidth(UINT uItemMinWidth)
{
    m_uItemMinWidth = uItemMinWidth;
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetMinWidth(static_cast<int>(uItemMinWidth)); });
    Invalidate();
}

UINT CTreeViewUI::GetItemMinWidth() const
{
    return m_uItemMinWidth;
}

void CTreeViewUI::SetItemTextColor(DWORD dwItemTextColor)
{
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetItemTextColor(dwItemTextColor); });
}

void CTreeViewUI::SetItemHotTextColor(DWORD dwItemHotTextColor)
{
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetItemHotTextColor(dwItemHotTextColor); });
}

void CTreeViewUI::SetSelItemTextColor(DWORD dwSelItemTextColor)
{
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetSelItemTextColor(dwSelItemTextColor); });
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD dwSelHotItemTextColor)
{
    ForEachNode(this, [&](CTreeNodeUI* pNode) { pNode->SetSelItemHotTextColor(dwSelHotItemTextColor); });
}

// ---- the skin builder's links ----

CControlUI* CTreeViewUI::BuilderCreateNode()
{
    return new CTreeNodeUI;
}

bool CTreeViewUI::BuilderAddToNode(LPVOID pNode, CControlUI* pControl)
{
    // A nested node becomes a child node; any other control joins the node's row after the
    // item button.
    CTreeNodeUI* pParent = static_cast<CTreeNodeUI*>(pNode);
    if (pParent == NULL || pControl == NULL) return false;
    if (CTreeNodeUI::AsTreeNode(pControl) != NULL) return pParent->Add(pControl);
    return pParent->GetTreeNodeHoriznotal()->Add(pControl);
}

bool CTreeViewUI::BuilderAddToView(LPVOID pView, CControlUI* pNode)
{
    CTreeViewUI* pTreeView = static_cast<CTreeViewUI*>(pView);
    if (pTreeView == NULL) return false;
    return pTreeView->Add(pNode);
}

} // namespace SkinUI
