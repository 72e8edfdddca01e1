#pragma once
#include "core/ControlUI.h"
#include "controls/ListTypes.h"

namespace SkinUI {

// Helpers shared by every row class (plain rows, container rows and the rows derived from
// them), so that all rows paint and repaint alike.
class SKINUI_API CListRowPaint {
public:
    // Repaints the part of pRow its ancestors show: the row clipped to its container's inner
    // area (inset and visible scroll bars taken off) and then to every further ancestor.
    // A row outside any container falls back to the control's own invalidation.
    static void InvalidateRow(CControlUI* pRow);
    // The background colour of a row in its state; 0 paints nothing.
    static DWORD BkColor(const TListInfoUI& info, int iIndex, UINT uButtonState, bool bSelected, bool bEnabled);
    // The text colour of a row in its state.
    static DWORD TextColor(const TListInfoUI& info, UINT uButtonState, bool bSelected, bool bEnabled);
    // The row's text on one line inside the text padding of rcItem, in the colour of its state
    // and the list's font (as HTML text when the list shows HTML).
    static void DrawRowText(CControlUI* pRow, HDC hDC, const TListInfoUI& info, const RECT& rcItem, UINT uButtonState,
                            bool bSelected);
    // Draws the first state image (disabled, selected, hot) that is loaded and drawn.
    static bool DrawStateImage(CControlUI* pRow, HDC hDC, TListInfoUI& info, UINT uButtonState, bool bSelected,
                               bool bEnabled);
    // The one-pixel line under the row in the line colour, when one is set.
    static void DrawLine(CControlUI* pRow, HDC hDC, const TListInfoUI& info, const RECT& rcItem);
};

// Selection, activation and input alike in the plain and the container rows.
class SKINUI_API CListRowInput {
public:
    // A disabled row refuses; a row selected anew asks its owner to select it (which comes
    // back here with the flag already set).
    static bool Select(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner, int iIndex, bool bSelect);
    // After the base's SetVisible: a row hidden while selected forgets it, and its owner (when
    // it has one) ends with no selection and says nothing.
    static void AfterSetVisible(CControlUI* pRow, bool& bSelected, IListOwnerUI* pOwner);
    // After the base's Activate allowed it.
    static void NotifyActivate(CControlUI* pRow);
    // A double click or Return activates an enabled row; true when the event was one of them
    // and is done with.
    static bool ActivationEvent(CControlUI* pRow, TEventUI& event);
    // A press selects, a release is an item click, entering and leaving set and clear the hot
    // state; true when the event was one of them and is done with.
    static bool PointerEvent(CControlUI* pRow, IListItemUI* pItem, UINT& uButtonState, TEventUI& event);
    static bool IsMouseEvent(const TEventUI& event);
};

// A row made of one control: numbered, selected and styled by its owner (a list, a combo
// box...). Mouse and key input it does not turn into selection or activation goes to the
// owner, so that the owner's keyboard navigation works while a row has the focus.
class SKINUI_API CListElementUI : public CControlUI, public IListItemUI {
public:
    CListElementUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    // IListItemUI (DrawItemText is left to the concrete rows)
    int GetIndex() const override;
    void SetIndex(int iIndex) override;
    IListOwnerUI* GetOwner() override;
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override;
    bool Select(bool bSelect = true) override;
    bool IsExpanded() const override;
    bool Expand(bool bExpand = true) override;

    // Repaints only what the row's ancestors show (see CListRowPaint::InvalidateRow).
    void Invalidate();
    // Owner-styled background: state colour, state image, item image, line.
    void DrawItemBk(HDC hDC, const RECT& rcItem);

    UINT GetButtonState() const;

protected:
    // Hands an event the row does not handle to its owner, else to the control base.
    void PassToOwner(TEventUI& event);

    int m_iIndex; // may lag behind a lazily numbering list: read it through GetIndex()
    bool m_bSelected;
    UINT m_uButtonState;
    IListOwnerUI* m_pOwner;
};

} // namespace SkinUI
