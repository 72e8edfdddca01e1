#pragma once
#include "core/HorizontalLayoutUI.h"
#include "controls/ListTypes.h"

namespace SkinUI {

// A row made of any child controls laid out from left to right; under a list with a visible
// header the children follow the header's columns. Tree nodes and menu items build on it.
class SKINUI_API CListContainerElementUI : public CHorizontalLayoutUI, public IListItemUI {
public:
    CListContainerElementUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // IListItemUI
    int GetIndex() const override;
    void SetIndex(int iIndex) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override;
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override;
    bool Expand(bool bExpand = true) override;
    // The children paint their own content.
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

    // Owner-styled background under the row's own painting.
    virtual void DrawItemBk(HDC hDC, const RECT& rcItem);

    // Repaints only what the row's ancestors show (see CListRowPaint::InvalidateRow).
    void Invalidate();

    UINT GetButtonState() const;

protected:
    // Hands an event the row does not handle to its owner, else to the named base.
    void PassToOwner(TEventUI& event, bool bToContainer);
    // Moves the children onto the header's columns when the owner is a list showing its header.
    void FollowHeaderColumns();

    int m_iIndex; // may lag behind a lazily numbering list: read it through GetIndex()
    bool m_bSelected;
    UINT m_uButtonState;
    IListOwnerUI* m_pOwner;
    CControlUI* m_pOwnerControl; // the owner as the control it is
};

} // namespace SkinUI
