#pragma once
#include "controls/ListUI.h"
#include "controls/TreeNodeUI.h"

namespace SkinUI {

// A tree of CTreeNodeUI nodes shown as a list without a header: every node at any depth is
// one row, in display order. The view binds itself to each node it receives (the node's
// "itemdbclick", the folder button's and the check box's "selectchanged"), so that a double
// click or the folder button expands and collapses, and a check box checks its subtree while
// the parents follow their children.
//
// Rows that are not tree nodes may share the list; every operation over all rows passes
// them by. Tree nodes arriving through the container operations take the node operations.
class SKINUI_API CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();
    ~CTreeViewUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    // Does nothing: the view hears its nodes through their delegates.
    void Notify(TNotifyUI& msg) override;

    // IContainerUI
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    // A node at the index leaves with its subtree; a bad index answers false.
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // Appends a node and then its subtree.
    virtual bool Add(CTreeNodeUI* pControl);
    // Inserts the node before pIndexNode (a row of this view).
    virtual bool AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode);
    // Inserts the node and its subtree at row iIndex; answers the row after the last one
    // inserted, or -1.
    virtual int AddAt(CTreeNodeUI* pControl, int iIndex);
    // The node leaves its parent, its subtree and then the node itself leave the view.
    virtual bool Remove(CTreeNodeUI* pControl);
    // Delegate targets; param is the tagTNotifyUI.
    virtual bool OnCheckBoxChanged(void* param);
    virtual bool OnFolderChanged(void* param);
    virtual bool OnDBClickItem(void* param);
    // Checks or unchecks every node below pTreeNode (every node of the view for null).
    virtual bool SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode = NULL);
    // Shows or hides the children of pTreeNode and the children of those that are expanded.
    // For null it does this for every node, top level included: SetItemExpand(false, NULL)
    // hides every row of the tree.
    virtual void SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode = NULL);
    virtual void SetVisibleFolderBtn(bool bIsVisible);
    virtual bool GetVisibleFolderBtn() const;
    virtual void SetVisibleCheckBtn(bool bIsVisible);
    virtual bool GetVisibleCheckBtn() const;
    virtual void SetItemMinWidth(UINT uItemMinWidth);
    virtual UINT GetItemMinWidth() const;
    virtual void SetItemTextColor(DWORD dwItemTextColor);
    virtual void SetItemHotTextColor(DWORD dwItemHotTextColor);
    virtual void SetSelItemTextColor(DWORD dwSelItemTextColor);
    virtual void SetSelItemHotTextColor(DWORD dwSelHotItemTextColor);

    // The skin builder's links for "TreeNode" elements.
    static CControlUI* BuilderCreateNode();
    static bool BuilderAddToNode(LPVOID pNode, CControlUI* pControl);
    static bool BuilderAddToView(LPVOID pView, CControlUI* pNode);

protected:
    void BindNode(CTreeNodeUI* pNode);
    void UnbindNode(CTreeNodeUI* pNode);
    // The node whose row holds pControl (check box or folder button), or null.
    static CTreeNodeUI* NodeOfRowControl(CControlUI* pControl);

    UINT m_uItemMinWidth;
    bool m_bVisibleFolderBtn;
    bool m_bVisibleCheckBtn;
    // The node whose check box report has just carried its check down its subtree.
    CTreeNodeUI* m_pCheckCarried = NULL;
};

} // namespace SkinUI
