#pragma once
#include "core/VerticalLayoutUI.h"
#include "controls/ListTypes.h"
#include "controls/ListBodyUI.h"
#include "controls/ListHeaderUI.h"
#include "controls/ListHeaderItemUI.h"

namespace SkinUI {

// A list: a header of columns on top (child 0) and a scrolling body of rows (child 1).
// Its child operations route header elements to the header slot, header items to the
// header and everything else to the body; rows are numbered, selected and styled here.
class SKINUI_API CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    LPCTSTR GetClass() const override;
    UINT GetControlFlags() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool GetScrollSelect() const;
    void SetScrollSelect(bool bScrollSelect);
    int GetCurSel() const override;
    int GetCurSelActivate() const;
    // Validates the target before it deselects: a refused index leaves the selection.
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectItemActivate(int iIndex);

    // IContainerUI: rows of the body, header items of the header.
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;
    // Searches the body's rows, as every other row operation of the list does.
    int FindSelectable(int iIndex, bool bForward = true) const override;

    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);

    int GetChildPadding() const override;
    void SetChildPadding(int iPadding) override;

    CListHeaderUI* GetHeader() const override;
    CContainerUI* GetList() const override;
    TListInfoUI* GetListInfo() override;

    // Row styling (the list info record).
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    void SetItemTextPadding(RECT rc);
    RECT GetItemTextPadding() const;
    void SetItemTextColor(DWORD dwTextColor);
    DWORD GetItemTextColor() const;
    void SetItemBkColor(DWORD dwBkColor);
    DWORD GetItemBkColor() const;
    void SetItemBkImage(LPCTSTR pStrImage);
    LPCTSTR GetItemBkImage() const;
    void SetAlternateBk(bool bAlternateBk);
    bool IsAlternateBk() const;
    void SetSelectedItemTextColor(DWORD dwTextColor);
    DWORD GetSelectedItemTextColor() const;
    void SetSelectedItemBkColor(DWORD dwBkColor);
    DWORD GetSelectedItemBkColor() const;
    void SetSelectedItemImage(LPCTSTR pStrImage);
    LPCTSTR GetSelectedItemImage() const;
    void SetHotItemTextColor(DWORD dwTextColor);
    DWORD GetHotItemTextColor() const;
    void SetHotItemBkColor(DWORD dwBkColor);
    DWORD GetHotItemBkColor() const;
    void SetHotItemImage(LPCTSTR pStrImage);
    LPCTSTR GetHotItemImage() const;
    void SetDisabledItemTextColor(DWORD dwTextColor);
    DWORD GetDisabledItemTextColor() const;
    void SetDisabledItemBkColor(DWORD dwBkColor);
    DWORD GetDisabledItemBkColor() const;
    void SetDisabledItemImage(LPCTSTR pStrImage);
    LPCTSTR GetDisabledItemImage() const;
    void SetItemLineColor(DWORD dwLineColor);
    DWORD GetItemLineColor() const;
    void SetItemShowHtml(bool bShowHtml = true);
    bool IsItemShowHtml() const;
    void SetMultiExpanding(bool bMultiExpandable);

    int GetExpandedItem() const override;
    bool ExpandItem(int iIndex, bool bExpand = true) override;

    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;

    IListCallbackUI* GetTextCallback() const override;
    void SetTextCallback(IListCallbackUI* pCallback) override;

    // Scrolling is the body's.
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;
    bool IsDelayedDestroy() const override;
    void SetDelayedDestroy(bool bDelayed) override;

    BOOL SortItems(PListCompareFunc pfnCompare, UINT_PTR dwData);

    // A removal that may call out: moving a removed selection selects another row, and the
    // "itemselect" it sends may close the window, which deletes the list and every row. Made
    // on the stack before the first step, it tells whether the list, and the row in hand when
    // one is named, outlived the last step; once Ended() the remover touches neither, nor
    // anything it read from them, and returns at once.
    class SKINUI_API CRemovalRun {
    public:
        explicit CRemovalRun(CListUI* pList, CControlUI* pRow = NULL);
        CRemovalRun(const CRemovalRun&) = delete;
        CRemovalRun& operator=(const CRemovalRun&) = delete;
        bool Ended() const;

    private:
        const bool m_bList;
        const bool m_bRow;
        CControlLifeGuard m_list;
        CControlLifeGuard m_row;
    };

    // Rows are numbered lazily: an insert or a removal only notes the first row whose index
    // may be stale, so that filling or emptying a list near its top costs no renumbering of
    // every later row each time. The toolkit's rows read their index through here: a stored
    // index is right when the owner's row there is the row itself, else the owner settles
    // its numbering first. Lists that ever held a row of another kind number eagerly.
    static void SettleRowIndex(const CControlUI* pRow, IListOwnerUI* pOwner, int iStored);
    // Renumbers what inserts and removals left unnumbered.
    void SettleRowIndexes();

protected:
    // Gives the rows from iFrom on their positions as indexes.
    void RenumberRows(int iFrom, int iTo = -1);
    // The selection after row iIndex has gone.
    void FixSelectionAfterRemoval(int iIndex);
    // Rows from iFrom on may carry stale indexes now.
    void RowsMoved(int iFrom);
    // Notes whether the list can leave a new row's numbering to the row's own reads.
    void NoteRowKind(CControlUI* pControl);
    // Takes out nCount rows from iFirst on with one move of the later rows. The selection
    // must not be among them: moving it is a matter of the single row removal.
    bool RemoveRowBlock(int iFirst, int nCount);
    // Stores the header items' positions as column rectangles, moved left by iScrollX.
    void StoreColumnRects(int iScrollX);
    int HeaderColumnCount() const;

    bool m_bScrollSelect;
    int m_iCurSel;
    int m_iCurSelActivate;
    int m_iExpandedItem;
    IListCallbackUI* m_pCallback;
    CListBodyUI* m_pList;
    CListHeaderUI* m_pHeader;
    TListInfoUI m_ListInfo;
    int m_iUnsettledFrom; // first row whose index may be stale; -1: none
    bool m_bEagerNumbering; // a row that reads its stored index as it stands has joined

    friend class CListBodyUI;
};

} // namespace SkinUI
