#include <windows.h>
#include <wchar.h>
#include "controls/TreeNodeUI.h"
#include "controls/TreeViewUI.h"
#include "core/AttributeValue.h"

namespace SkinUI {

namespace {

// Rows are 18 pixels high; the folder button and the check box are square.
const int kNodeHeight = 18;
// Each level is indented by this much more than its parent.
const int kIndentStep = 16;
// The top level's (hidden) indentation label.
const int kTopIndent = 2;

bool IsMouseEvent(int type)
{
    return type >= UIEVENT__MOUSEBEGIN && type <= UIEVENT__MOUSEEND;
}

} // namespace

CTreeNodeUI::CTreeNodeUI(CTreeNodeUI* pParentNode)
    : m_bIsVisable(false), m_dwItemTextColor(0), m_dwItemHotTextColor(0), m_dwSelItemTextColor(0),
      m_dwSelItemHotTextColor(0), m_pTreeView(NULL), m_pHoriz(new CHorizontalLayoutUI),
      m_pFolderButton(new CCheckBoxUI), m_pDottedLine(new CLabelUI), m_pCheckBox(new CCheckBoxUI),
      m_pItemButton(new COptionUI), m_pParentTreeNode(NULL)
{
    // 1. Sizes and what is shown of a fresh node.
    SetFixedHeight(kNodeHeight);
    m_pFolderButton->SetFixedWidth(GetFixedHeight());
    m_pDottedLine->SetFixedWidth(kTopIndent);
    m_pCheckBox->SetFixedWidth(GetFixedHeight());
    m_pItemButton->SetAttribute(L"align", L"left");
    m_pDottedLine->SetVisible(false);
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetMouseEnabled(false);

    // 2. Below a parent: one level deeper.
    if (pParentNode != NULL) {
        m_pDottedLine->SetVisible(pParentNode->IsVisible());
        m_pDottedLine->SetFixedWidth(pParentNode->GetDottedLine()->GetFixedWidth() + kIndentStep);
        SetParentNode(pParentNode);
    }

    // 3. The row, in drawing order.
    m_pHoriz->Add(m_pDottedLine);
    m_pHoriz->Add(m_pFolderButton);
    m_pHoriz->Add(m_pCheckBox);
    m_pHoriz->Add(m_pItemButton);
    CContainerUI::Add(m_pHoriz);
}

LPCTSTR CTreeNodeUI::GetClass() const
{
    return L"TreeNodeUI";
}

LPVOID CTreeNodeUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"TreeNode") == 0) return static_cast<CTreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

CTreeNodeUI* CTreeNodeUI::AsTreeNode(CControlUI* pControl)
{
    if (pControl == NULL || _wcsicmp(pControl->GetClass(), L"TreeNodeUI") != 0) return NULL;
    return static_cast<CTreeNodeUI*>(pControl->GetInterface(L"TreeNode"));
}

void CTreeNodeUI::DoEvent(TEventUI& event)
{
    // 1. Without the mouse, mouse events belong to the owner.
    if (!IsMouseEnabled() && IsMouseEvent(event.type)) {
        if (m_pOwner != NULL)
            m_pOwner->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }

    // 2. The row's own handling: selection, clicks, activation.
    CListContainerElementUI::DoEvent(event);

    // 3. A double click reports itself; the view expands or collapses on it.
    if (event.type == UIEVENT_LBUTTONDBLCLK) {
        if (IsEnabled()) {
            if (m_pManager != NULL) m_pManager->SendNotify(this, L"itemdbclick");
            Invalidate();
        }
        return;
    }

    // 4. The item text follows the mouse.
    if (event.type == UIEVENT_MOUSEENTER) {
        if (!IsEnabled())
            m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        else if (IsSelected() && m_dwSelItemHotTextColor != 0)
            m_pItemButton->SetTextColor(m_dwSelItemHotTextColor);
        else
            m_pItemButton->SetTextColor(m_dwItemHotTextColor);
        return;
    }
    if (event.type == UIEVENT_MOUSELEAVE) {
        if (!IsEnabled())
            m_pItemButton->SetTextColor(m_pItemButton->GetDisabledTextColor());
        else if (!IsSelected())
            m_pItemButton->SetTextColor(m_dwItemTextColor);
        else if (m_dwSelItemTextColor != 0)
            m_pItemButton->SetTextColor(m_dwSelItemTextColor);
    }
}

void CTreeNodeUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"text") == 0)
        m_pItemButton->SetText(pstrValue);
    else if (wcscmp(pstrName, L"horizattr") == 0)
        m_pHoriz->ApplyAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"dotlineattr") == 0)
        m_pDottedLine->ApplyAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"folderattr") == 0)
        m_pFolderButton->ApplyAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"checkboxattr") == 0)
        m_pCheckBox->ApplyAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"itemattr") == 0)
        m_pItemButton->ApplyAttributeList(pstrValue);
    else if (wcscmp(pstrName, L"itemtextcolor") == 0)
        SetItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"itemhottextcolor") == 0)
        SetItemHotTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"selitemtextcolor") == 0)
        SetSelItemTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"selitemhottextcolor") == 0)
        SetSelItemHotTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"defaultexpand") == 0)
        m_pFolderButton->Selected(wcscmp(pstrValue, L"true") == 0);
    else
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

// ---- container operations ----

bool CTreeNodeUI::Add(CControlUI* pControl)
{
    if (pControl == NULL) return false;
    CTreeNodeUI* pNode = AsTreeNode(pControl);
    if (pNode != NULL) return AddChildNode(pNode);
    return CContainerUI::Add(pControl);
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex)
{
    CTreeNodeUI* pNode = AsTreeNode(pControl);
    if (!CanTakeChild(pNode)) return false;

    // 1. The child now at the index, if any, is the one the new node goes before.
    const int nCount = m_aTreeNodes.GetSize();
    if (iIndex < 0) iIndex = 0;
    if (iIndex > nCount) iIndex = nCount;
    CTreeNodeUI* pBefore = iIndex < nCount ? static_cast<CTreeNodeUI*>(m_aTreeNodes[iIndex]) : NULL;
    CalLocation(pNode);

    // 2. In a view the node's row goes before that child's, or after this node's whole
    //    subtree when appending.
    if (m_pTreeView != NULL) {
        int iRow = -1;
        if (pBefore != NULL) {
            iRow = pBefore->GetTreeIndex();
        } else {
            CTreeNodeUI* pLast = GetLastNode();
            iRow = pLast != NULL && pLast->GetTreeIndex() >= 0 ? pLast->GetTreeIndex() + 1 : -1;
        }
        if (iRow < 0 || m_pTreeView->AddAt(pNode, iRow) < 0) return false;
    }

    // 3. The child array, and whether the node shows.
    if (!m_aTreeNodes.InsertAt(iIndex, pNode)) return false;
    pNode->SetVisible(ShowsNewChildren());
    return true;
}

bool CTreeNodeUI::Remove(CControlUI* pControl)
{
    if (pControl == NULL || pControl == m_pHoriz) return false;
    CTreeNodeUI* pNode = AsTreeNode(pControl);
    if (pNode != NULL) return RemoveChildNode(pNode);
    return CContainerUI::Remove(pControl);
}

bool CTreeNodeUI::RemoveAt(int iIndex)
{
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == NULL || pControl == m_pHoriz) return false;
    return CContainerUI::RemoveAt(iIndex);
}

void CTreeNodeUI::RemoveAll()
{
    while (m_aTreeNodes.GetSize() > 0) {
        CTreeNodeUI* pChild = static_cast<CTreeNodeUI*>(m_aTreeNodes[0]);
        if (pChild == NULL || !RemoveChildNode(pChild)) m_aTreeNodes.Remove(0);
    }
    for (int i = GetCount() - 1; i >= 0; i--) {
        if (GetItemAt(i) != m_pHoriz) CContainerUI::RemoveAt(i);
    }
}

bool CTreeNodeUI::Select(bool bSelect)
{
    if (!CListContainerElementUI::Select(bSelect)) return false;
    m_pItemButton->SetTextColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return true;
}

// ---- child nodes ----

void CTreeNodeUI::CalLocation(CTreeNodeUI* pTreeNodeUI)
{
    pTreeNodeUI->GetDottedLine()->SetVisible(true);
    pTreeNodeUI->GetDottedLine()->SetFixedWidth(m_pDottedLine->GetFixedWidth() + kIndentStep);
    pTreeNodeUI->SetParentNode(this);
    pTreeNodeUI->GetItemButton()->SetGroup(m_pItemButton->GetGroup());
    pTreeNodeUI->SetTreeView(m_pTreeView);
    // A subtree built before it was placed here moves down with its root.
    pTreeNodeUI->IndentChildren();
}

void CTreeNodeUI::IndentChildren()
{
    for (int i = 0; i < m_aTreeNodes.GetSize(); i++) {
        CTreeNodeUI* pChild = static_cast<CTreeNodeUI*>(m_aTreeNodes[i]);
        if (pChild == NULL) continue;
        pChild->GetDottedLine()->SetFixedWidth(m_pDottedLine->GetFixedWidth() + kIndentStep);
        pChild->IndentChildren();
    }
}

bool CTreeNodeUI::ShowsNewChildren() const
{
    // A child of a hidden node stays hidden even when that node is expanded: expanding the
    // hidden node's own parent shows both.
    return m_pFolderButton->GetCheck() && m_bVisible;
}

bool CTreeNodeUI::HasChildNode(CTreeNodeUI* pTreeNodeUI) const
{
    // Only a node that names this one as its parent can be among its children: filling a
    // folder does not walk its children for each new one.
    return pTreeNodeUI->m_pParentTreeNode == this && m_aTreeNodes.Find(pTreeNodeUI) >= 0;
}

bool CTreeNodeUI::CanTakeChild(CTreeNodeUI* pTreeNodeUI) const
{
    if (AsTreeNode(pTreeNodeUI) == NULL || pTreeNodeUI == this || HasChildNode(pTreeNodeUI)) return false;
    // Only a node that names another parent is looked for there: filling a folder stays
    // free of scans.
    const CTreeNodeUI* pOther = pTreeNodeUI->m_pParentTreeNode;
    return pOther == NULL || pOther == this || pOther->m_aTreeNodes.Find(pTreeNodeUI) < 0;
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pTreeNodeUI)
{
    if (!CanTakeChild(pTreeNodeUI)) return false;
    CalLocation(pTreeNodeUI);

    // In a view the new row follows the last row of this node's subtree. It is shown or
    // hidden before it joins: as a row, each change would make the view repaint.
    if (m_pTreeView != NULL) {
        CTreeNodeUI* pLast = GetLastNode();
        const int iRow = pLast != NULL ? pLast->GetTreeIndex() : -1;
        if (iRow < 0) return false;
        const bool bWasVisible = pTreeNodeUI->m_bVisible;
        pTreeNodeUI->SetVisible(ShowsNewChildren());
        if (m_pTreeView->AddAt(pTreeNodeUI, iRow + 1) < 0) {
            pTreeNodeUI->SetVisible(bWasVisible);
            return false;
        }
    }

    pTreeNodeUI->SetVisible(ShowsNewChildren());
    return m_aTreeNodes.Add(pTreeNodeUI);
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* pTreeNodeUI)
{
    const int iIndex = pTreeNodeUI != NULL ? m_aTreeNodes.Find(pTreeNodeUI) : -1;
    if (iIndex < 0) return false;
    // A listed child leaves this node first and then, with its whole subtree, the view: the
    // view may delete it at once, and the selection's move may close the window, so handing
    // it over is the last thing done with it or with this node.
    if (m_pTreeView != NULL && m_pTreeView->GetItemIndex(pTreeNodeUI) >= 0) {
        m_aTreeNodes.Remove(iIndex);
        if (pTreeNodeUI->GetParentNode() == this) pTreeNodeUI->SetParentNode(NULL);
        m_pTreeView->Remove(pTreeNodeUI);
        return true;
    }
    // Unlisted: its own children first, deepest first (listed ones among them leave the
    // view), then it leaves this node; the caller keeps it.
    CListUI::CRemovalRun run(m_pTreeView, pTreeNodeUI);
    CControlLifeGuard self(this);
    while (pTreeNodeUI->GetCountChild() > 0) {
        CTreeNodeUI* pGrandChild = pTreeNodeUI->GetChildNode(0);
        if (pGrandChild == NULL || !pTreeNodeUI->RemoveChildNode(pGrandChild)) pTreeNodeUI->m_aTreeNodes.Remove(0);
        if (run.Ended() || !self.Alive()) return true;
    }
    const int iLeft = m_aTreeNodes.Find(pTreeNodeUI);
    if (iLeft >= 0) m_aTreeNodes.Remove(iLeft);
    if (pTreeNodeUI->GetParentNode() == this) pTreeNodeUI->SetParentNode(NULL);
    return true;
}

void CTreeNodeUI::SetVisibleTag(bool bIsVisible)
{
    m_bIsVisable = bIsVisible;
}

bool CTreeNodeUI::GetVisibleTag() const
{
    return m_bIsVisable;
}

void CTreeNodeUI::SetItemText(LPCTSTR pstrValue)
{
    m_pItemButton->SetText(pstrValue);
}

CSkinString CTreeNodeUI::GetItemText() const
{
    return m_pItemButton->GetText();
}

void CTreeNodeUI::CheckBoxSelected(bool bSelected)
{
    m_pCheckBox->Selected(bSelected);
}

bool CTreeNodeUI::IsCheckBoxSelected() const
{
    return m_pCheckBox->IsSelected();
}

bool CTreeNodeUI::IsHasChild() const
{
    return m_aTreeNodes.GetSize() > 0;
}

void CTreeNodeUI::SetParentNode(CTreeNodeUI* pParentTreeNode)
{
    m_pParentTreeNode = pParentTreeNode;
}

CTreeNodeUI* CTreeNodeUI::GetParentNode() const
{
    return m_pParentTreeNode;
}

int CTreeNodeUI::GetCountChild() const
{
    return m_aTreeNodes.GetSize();
}

void CTreeNodeUI::SetTreeView(CTreeViewUI* pTreeView)
{
    m_pTreeView = pTreeView;
}

CTreeViewUI* CTreeNodeUI::GetTreeView() const
{
    return m_pTreeView;
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_aTreeNodes.GetSize()) return NULL;
    return static_cast<CTreeNodeUI*>(m_aTreeNodes[nIndex]);
}

void CTreeNodeUI::SetVisibleFolderBtn(bool bIsVisible)
{
    m_pFolderButton->SetVisible(bIsVisible);
}

bool CTreeNodeUI::GetVisibleFolderBtn() const
{
    return m_pFolderButton->IsVisible();
}

void CTreeNodeUI::SetVisibleCheckBtn(bool bIsVisible)
{
    m_pCheckBox->SetVisible(bIsVisible);
}

bool CTreeNodeUI::GetVisibleCheckBtn() const
{
    return m_pCheckBox->IsVisible();
}

void CTreeNodeUI::SetItemTextColor(DWORD dwItemTextColor)
{
    m_dwItemTextColor = dwItemTextColor;
    m_pItemButton->SetTextColor(m_dwItemTextColor);
}

DWORD CTreeNodeUI::GetItemTextColor() const
{
    return m_dwItemTextColor;
}

void CTreeNodeUI::SetItemHotTextColor(DWORD dwItemHotTextColor)
{
    m_dwItemHotTextColor = dwItemHotTextColor;
    Invalidate();
}

DWORD CTreeNodeUI::GetItemHotTextColor() const
{
    return m_dwItemHotTextColor;
}

void CTreeNodeUI::SetSelItemTextColor(DWORD dwSelItemTextColor)
{
    m_dwSelItemTextColor = dwSelItemTextColor;
    Invalidate();
}

DWORD CTreeNodeUI::GetSelItemTextColor() const
{
    return m_dwSelItemTextColor;
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD dwSelHotItemTextColor)
{
    m_dwSelItemHotTextColor = dwSelHotItemTextColor;
    Invalidate();
}

DWORD CTreeNodeUI::GetSelItemHotTextColor() const
{
    return m_dwSelItemHotTextColor;
}

int CTreeNodeUI::GetTreeIndex() const
{
    if (m_pTreeView == NULL) return -1;
    // The list keeps its rows' indexes; the row there is checked, as the node may be listed
    // elsewhere or not at all.
    CTreeNodeUI* pThis = const_cast<CTreeNodeUI*>(this);
    const int iRow = GetIndex();
    if (m_pTreeView->GetItemAt(iRow) == pThis) return iRow;
    return m_pTreeView->GetItemIndex(pThis);
}

int CTreeNodeUI::GetNodeIndex() const
{
    if (m_pParentTreeNode == NULL && m_pTreeView == NULL) return -1;
    if (m_pParentTreeNode == NULL) return GetTreeIndex();
    return m_pParentTreeNode->m_aTreeNodes.Find(const_cast<CTreeNodeUI*>(this));
}

CTreeNodeUI* CTreeNodeUI::GetLastNode()
{
    for (int i = m_aTreeNodes.GetSize() - 1; i >= 0; i--) {
        CTreeNodeUI* pChild = static_cast<CTreeNodeUI*>(m_aTreeNodes[i]);
        if (pChild != NULL) return pChild->GetLastNode();
    }
    return this;
}

bool CTreeNodeUI::IsAllChildChecked()
{
    int nChildren = 0, nChecked = 0;
    for (int i = 0; i < m_aTreeNodes.GetSize(); i++) {
        CTreeNodeUI* pChild = static_cast<CTreeNodeUI*>(m_aTreeNodes[i]);
        if (pChild == NULL) continue;
        nChildren++;
        if (pChild->IsCheckBoxSelected()) nChecked++;
    }
    if (nChildren == 0) return false;
    if (nChecked == nChildren && !IsCheckBoxSelected())
        CheckBoxSelected(true);
    else if (nChecked == 0 && IsCheckBoxSelected())
        CheckBoxSelected(false);
    return nChecked == nChildren;
}

CStdPtrArray CTreeNodeUI::GetTreeNodes() const
{
    return m_aTreeNodes;
}

CHorizontalLayoutUI* CTreeNodeUI::GetTreeNodeHoriznotal() const
{
    return m_pHoriz;
}

CCheckBoxUI* CTreeNodeUI::GetFolderButton() const
{
    return m_pFolderButton;
}

CLabelUI* CTreeNodeUI::GetDottedLine() const
{
    return m_pDottedLine;
}

CCheckBoxUI* CTreeNodeUI::GetCheckBox() const
{
    return m_pCheckBox;
}

COptionUI* CTreeNodeUI::GetItemButton() const
{
    return m_pItemButton;
}

} // namespace SkinUI
