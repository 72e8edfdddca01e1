#pragma once
#include "core/CheckBoxUI.h"
#include "core/HorizontalLayoutUI.h"
#include "core/LabelUI.h"
#include "core/OptionUI.h"
#include "controls/ListContainerElementUI.h"

namespace SkinUI {

class CTreeViewUI;

// One node of a tree view. The tree is stored flat: every node, at any depth, is a row of the
// view's list in display order; the hierarchy lives in the parent pointer, the array of child
// nodes and the indentation. A node draws itself through its own row of four controls: an
// indentation label, a folder button (checked = expanded), a check box and an item button
// carrying the text.
//
// Child nodes are not container children of their node: they are rows of the view, and the
// node only points to them. The node's container operations take tree nodes as child nodes
// and any other control as an ordinary child beside the row; the row itself cannot be removed.
class SKINUI_API CTreeNodeUI : public CListContainerElementUI {
    friend class CTreeViewUI;

public:
    // With a parent the node is indented one level below it (it is not added to it).
    explicit CTreeNodeUI(CTreeNodeUI* pParentNode = NULL);

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    // IContainerUI
    bool Add(CControlUI* pControl) override;
    // Tree nodes only: the node becomes child node iIndex.
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    // Removes container child iIndex (never the row).
    bool RemoveAt(int iIndex) override;
    // Every child node and every ordinary child; the row stays.
    void RemoveAll() override;

    // IListItemUI: the item text follows the selection's colour.
    bool Select(bool bSelect = true) override;

    // The last expand state the folder button reported.
    void SetVisibleTag(bool bIsVisible);
    bool GetVisibleTag() const;
    void SetItemText(LPCTSTR pstrValue);
    CSkinString GetItemText() const;
    void CheckBoxSelected(bool bSelected);
    bool IsCheckBoxSelected() const;
    bool IsHasChild() const;
    // Appends a child node (shown when this node is expanded and shown itself).
    bool AddChildNode(CTreeNodeUI* pTreeNodeUI);
    // Takes a child node with its subtree out of this node and, when the node belongs to a
    // view, out of the view (which deletes them). Without a view the caller keeps them.
    // When it answers, the child, and when its removal closed the window this node too, may
    // be gone.
    bool RemoveChildNode(CTreeNodeUI* pTreeNodeUI);
    void SetParentNode(CTreeNodeUI* pParentTreeNode);
    CTreeNodeUI* GetParentNode() const;
    int GetCountChild() const;
    void SetTreeView(CTreeViewUI* pTreeView);
    CTreeViewUI* GetTreeView() const;
    CTreeNodeUI* GetChildNode(int nIndex) const;
    void SetVisibleFolderBtn(bool bIsVisible);
    bool GetVisibleFolderBtn() const;
    void SetVisibleCheckBtn(bool bIsVisible);
    bool GetVisibleCheckBtn() const;
    void SetItemTextColor(DWORD dwItemTextColor);
    DWORD GetItemTextColor() const;
    void SetItemHotTextColor(DWORD dwItemHotTextColor);
    DWORD GetItemHotTextColor() const;
    void SetSelItemTextColor(DWORD dwSelItemTextColor);
    DWORD GetSelItemTextColor() const;
    void SetSelItemHotTextColor(DWORD dwSelHotItemTextColor);
    DWORD GetSelItemHotTextColor() const;

    // The node's row among the view's rows; -1 outside a view.
    int GetTreeIndex() const;
    // Among the parent's child nodes; a top-level node answers its tree index.
    int GetNodeIndex() const;
    // The last node of this node's subtree in display order.
    CTreeNodeUI* GetLastNode();
    // Checks this node when all its children are checked and unchecks it when none is; a
    // mixed state leaves it alone. Answers whether all children are checked.
    bool IsAllChildChecked();
    // A copy of the child node array.
    CStdPtrArray GetTreeNodes() const;

    CHorizontalLayoutUI* GetTreeNodeHoriznotal() const;
    CCheckBoxUI* GetFolderButton() const;
    CLabelUI* GetDottedLine() const;
    CCheckBoxUI* GetCheckBox() const;
    COptionUI* GetItemButton() const;

    // The node a control is, when it is one (its class is "TreeNodeUI"), else null.
    static CTreeNodeUI* AsTreeNode(CControlUI* pControl);

protected:
    // Indents a new child below this node and gives it this node's view and option group.
    void CalLocation(CTreeNodeUI* pTreeNodeUI);
    // Each child node one level below this node, down the whole subtree.
    void IndentChildren();
    bool HasChildNode(CTreeNodeUI* pTreeNodeUI) const;
    // Whether the node may become a child here: a node, not this one, not a child yet, and
    // listed by no other node (a node has one parent; it leaves the other one first).
    bool CanTakeChild(CTreeNodeUI* pTreeNodeUI) const;
    // Whether a child added now is shown: this node is expanded and shown itself.
    bool ShowsNewChildren() const;

    bool m_bIsVisable;
    DWORD m_dwItemTextColor;
    DWORD m_dwItemHotTextColor;
    DWORD m_dwSelItemTextColor;
    DWORD m_dwSelItemHotTextColor;
    CTreeViewUI* m_pTreeView;
    CHorizontalLayoutUI* m_pHoriz;
    CCheckBoxUI* m_pFolderButton;
    CLabelUI* m_pDottedLine;
    CCheckBoxUI* m_pCheckBox;
    COptionUI* m_pItemButton;
    CTreeNodeUI* m_pParentTreeNode;
    CStdPtrArray m_aTreeNodes;
};

} // namespace SkinUI
