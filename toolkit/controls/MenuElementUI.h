#pragma once
#include "controls/ListContainerElementUI.h"
#include "core/ImageAttribute.h"

namespace SkinUI {

class CMenuWnd;

// An item of a menu: a text with an optional icon (the check mark of a check item), a
// separator line, or an item whose own "MenuElement" children form its sub-menu, which opens
// beside the menu on hover, Right or a click. Choosing a leaf toggles its check state in the
// caller's map, posts WM_MENUCLICK to the main window and closes every menu.
class SKINUI_API CMenuElementUI : public CListContainerElementUI {
    friend class CMenuWnd;

public:
    CMenuElementUI();
    ~CMenuElementUI() override;

    // The item a control is, or null.
    static CMenuElementUI* AsMenuElement(CControlUI* pControl);

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    // Sub-items stay hidden while no sub-menu shows them.
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    // Hit tests in this window never reach the sub-items: they live in the sub-menu's.
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    // Nor are they laid out in this window.
    void SetPos(RECT rc) override;

    // IListItemUI
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

    // The open sub-menu, null while none is open.
    CMenuWnd* GetMenuWnd() const;
    // Opens the sub-menu unless it is open; closes the other sub-menus of this menu window.
    void CreateMenuWnd();
    // The number of sub-items.
    int GetSubItemCount() const;
    // Sub-items show only in the sub-menu.
    void HideSubItems();

    void SetIcon(LPCTSTR pstrIcon);
    void SetIconSize(LONG cx, LONG cy);
    SIZE GetIconSize() const;
    void SetCheckItem(bool bCheckItem = false);
    bool GetCheckItem() const;
    // The state stored under the item's name in the caller's map; false without one.
    void SetChecked(bool bCheck = true);
    bool GetChecked() const;
    // A separator: 6 pixels high unless a height was set, disabled and deaf to the mouse.
    void SetLineType();
    bool IsLineType() const;
    void SetLineColor(DWORD color);
    DWORD GetLineColor() const;
    void SetLinePadding(RECT rcInset);
    RECT GetLinePadding() const;
    void SetShowExplandIcon(bool bShow);

    void DrawItemIcon(HDC hDC, const RECT& rcItem);
    void DrawItemExpland(HDC hDC, const RECT& rcItem);

protected:
    // Takes the sub-items out of the child list until it is set back to aAll: they live in
    // the sub-menu's window.
    void SetSubItemsAside(CStdPtrArray& aAll);
    // Shows the sub-items; answers whether there is any.
    bool ShowSubItems();
    void SelectInOwner();
    // The pointer or Right reached the item: it is selected and its sub-menu opens, or, for
    // a leaf, the other sub-menus of this menu window close.
    void Enter();
    void BroadcastCloseSubMenus();
    void ChooseLeaf();
    // The final message of the sub-menu: the sub-items are hidden and given to pListOwner.
    void SubMenuClosed(CControlUI* pListOwner);

    CMenuWnd* m_pWindow;
    bool m_bDrawLine;
    DWORD m_dwLineColor;
    RECT m_rcLinePadding;
    SIZE m_szIconSize;
    bool m_bCheckItem;
    CImageAttribute m_diIcon;
    bool m_bShowExplandIcon;
    CImageAttribute m_diExpland;
};

} // namespace SkinUI
