#pragma once
#include "core/ContainerUI.h"
#include "core/VerticalLayoutUI.h"
#include "core/WindowWnd.h"
#include "controls/ListTypes.h"

namespace SkinUI {

class CComboUI;

// The drop-down of an open combo box: a popup window with a paint manager of its own that
// shares the owner window's resources. While it is open the combo's rows live in its
// vertical layout (which does not own them); they go back to the combo when it closes.
// The object deletes itself in its final message.
class SKINUI_API CComboWnd final : public CWindowWnd, public INotifyUI {
public:
    CComboWnd();

    // Places, creates and shows the popup under (or above) pOwner.
    void Init(CComboUI* pOwner);
    // Scrolls row iIndex of the drop-down into view.
    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);
    // The rows leave the popup and become the combo's again; nothing of the popup points
    // at them afterwards.
    void GiveRowsBack();
    // The owner is going away: no further write may reach it.
    void Detach();

    CVerticalLayoutUI* GetLayout() const;
    // True while the rows are lent to the popup's layout.
    bool HoldsRows() const;
    CPaintManagerUI* GetPaintManager();

    LPCTSTR GetWindowClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI& msg) override;

protected:
    void OnCreate();
    // The combo's own DoEvent handles keys and the wheel of the open popup; false when the
    // popup was closed meanwhile (this object is gone then).
    bool ForwardToOwner(int type, WPARAM wParam, LPARAM lParam, TCHAR chKey);

    CPaintManagerUI m_pm;
    CComboUI* m_pOwner;
    CVerticalLayoutUI* m_pLayout;
    int m_iOldSel;
};

// A drop-down list box: painted like a button with the selected row's text; its rows
// (list elements) are shown in a CComboWnd opened by a click or F4.
class SKINUI_API CComboUI : public CContainerUI, public IListOwnerUI {
    friend class CComboWnd;

public:
    CComboUI();
    ~CComboUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    void DoInit() override;
    bool Activate() override;
    CSkinString GetText() const override;
    void SetPos(RECT rc) override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // IContainerUI: rows are numbered and owned as rows; removals close an open drop-down first.
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // IListOwnerUI
    TListInfoUI* GetListInfo() override;
    int GetCurSel() const override;
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;

    // Closes an open drop-down at once: the rows come back before its window is destroyed.
    void CloseDropDown();
    // The open drop-down, null while none is open.
    CComboWnd* GetDropWindow() const;
    UINT GetButtonState() const;

    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const;
    CSkinString GetDropBoxAttributeList();
    void SetDropBoxAttributeList(LPCTSTR pstrList);
    SIZE GetDropBoxSize() const;
    void SetDropBoxSize(SIZE szDropBox);

    // Row styling.
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    RECT GetItemTextPadding() const;
    void SetItemTextPadding(RECT rc);
    DWORD GetItemTextColor() const;
    void SetItemTextColor(DWORD dwTextColor);
    DWORD GetItemBkColor() const;
    void SetItemBkColor(DWORD dwBkColor);
    LPCTSTR GetItemBkImage() const;
    void SetItemBkImage(LPCTSTR pStrImage);
    bool IsAlternateBk() const;
    void SetAlternateBk(bool bAlternateBk);
    DWORD GetSelectedItemTextColor() const;
    void SetSelectedItemTextColor(DWORD dwTextColor);
    DWORD GetSelectedItemBkColor() const;
    void SetSelectedItemBkColor(DWORD dwBkColor);
    LPCTSTR GetSelectedItemImage() const;
    void SetSelectedItemImage(LPCTSTR pStrImage);
    DWORD GetHotItemTextColor() const;
    void SetHotItemTextColor(DWORD dwTextColor);
    DWORD GetHotItemBkColor() const;
    void SetHotItemBkColor(DWORD dwBkColor);
    LPCTSTR GetHotItemImage() const;
    void SetHotItemImage(LPCTSTR pStrImage);
    DWORD GetDisabledItemTextColor() const;
    void SetDisabledItemTextColor(DWORD dwTextColor);
    DWORD GetDisabledItemBkColor() const;
    void SetDisabledItemBkColor(DWORD dwBkColor);
    LPCTSTR GetDisabledItemImage() const;
    void SetDisabledItemImage(LPCTSTR pStrImage);
    DWORD GetItemLineColor() const;
    void SetItemLineColor(DWORD dwLineColor);
    bool IsItemShowHtml() const;
    void SetItemShowHtml(bool bShowHtml = true);

protected:
    // Selects a row found by a key or the wheel; nothing found leaves the selection.
    void SelectFound(int iIndex);
    // Rows from iFrom on take their positions as their numbers.
    void RenumberFrom(int iFrom);
    // The selection after removing row iIndex.
    void FixSelectionAfterRemoval(int iIndex);

    CComboWnd* m_pWindow;
    int m_iCurSel;
    RECT m_rcTextPadding;
    CSkinString m_sDropBoxAttributes;
    SIZE m_szDropBox;
    UINT m_uButtonState;
    TListInfoUI m_ListInfo;
};

} // namespace SkinUI
