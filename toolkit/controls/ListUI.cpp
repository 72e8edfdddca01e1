#include <windows.h>
#include <wchar.h>
#include "controls/ListUI.h"
#include "core/AttributeValue.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

namespace {

bool IsHeaderElement(CControlUI* pControl)
{
    return pControl->GetInterface(L"ListHeader") != NULL;
}

// Subclasses with the text in their class name are header items too.
bool IsHeaderItemElement(CControlUI* pControl)
{
    return wcsstr(pControl->GetClass(), L"ListHeaderItemUI") != NULL;
}

IListItemUI* AsListItem(CControlUI* pControl)
{
    return pControl == NULL ? NULL : static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem"));
}

// What the rows' layout reads besides the body's own rectangle: the column rectangles (text
// rows), the header items (container rows line up with them) and the body's scroll bars.
struct RowLayoutInputs {
    int nColumns;
    RECT rcColumn[TListInfoUI::kMaxColumns];
    int nHeaderItems;
    RECT rcHeaderItem[TListInfoUI::kMaxColumns];
    bool bVBar, bHBar;
    int iVPos, iHPos, iHRange;
};

void ReadScrollBar(CScrollBarUI* pBar, bool* pbVisible, int* piPos, int* piRange)
{
    *pbVisible = pBar != NULL && pBar->IsVisible();
    *piPos = pBar != NULL ? pBar->GetScrollPos() : 0;
    *piRange = pBar != NULL ? pBar->GetScrollRange() : 0;
}

void ReadRowLayoutInputs(const TListInfoUI& info, CListHeaderUI* pHeader, CListBodyUI* pBody, RowLayoutInputs* p)
{
    ZeroMemory(p, sizeof(*p));
    p->nColumns = info.nColumns;
    for (int i = 0; i < TListInfoUI::kMaxColumns; i++) p->rcColumn[i] = info.rcColumn[i];
    p->nHeaderItems = pHeader != NULL ? pHeader->GetCount() : 0;
    for (int i = 0; i < p->nHeaderItems && i < TListInfoUI::kMaxColumns; i++)
        p->rcHeaderItem[i] = pHeader->GetItemAt(i)->GetPos();
    int iVRange = 0;
    ReadScrollBar(pBody->GetVerticalScrollBar(), &p->bVBar, &p->iVPos, &iVRange);
    ReadScrollBar(pBody->GetHorizontalScrollBar(), &p->bHBar, &p->iHPos, &p->iHRange);
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameRowLayoutInputs(const RowLayoutInputs& a, const RowLayoutInputs& b)
{
    // Header items past the column limit are not kept: such a header always counts as changed.
    if (a.nHeaderItems > TListInfoUI::kMaxColumns || a.nHeaderItems != b.nHeaderItems) return false;
    if (a.nColumns != b.nColumns || a.bVBar != b.bVBar || a.bHBar != b.bHBar || a.iVPos != b.iVPos ||
        a.iHPos != b.iHPos || a.iHRange != b.iHRange)
        return false;
    for (int i = 0; i < TListInfoUI::kMaxColumns; i++)
        if (!SameRect(a.rcColumn[i], b.rcColumn[i]) || !SameRect(a.rcHeaderItem[i], b.rcHeaderItem[i])) return false;
    return true;
}

} // namespace

CListUI::CListUI()
    : m_bScrollSelect(false), m_iCurSel(-1), m_iCurSelActivate(-1), m_iExpandedItem(-1), m_pCallback(NULL),
      m_pList(NULL), m_pHeader(NULL), m_iUnsettledFrom(-1), m_bEagerNumbering(false)
{
    m_ListInfo.nColumns = 0;
    for (int i = 0; i < TListInfoUI::kMaxColumns; i++) ::SetRectEmpty(&m_ListInfo.rcColumn[i]);
    m_ListInfo.nFont = -1;
    m_ListInfo.uTextStyle = DT_VCENTER;
    ::SetRectEmpty(&m_ListInfo.rcTextPadding);
    m_ListInfo.dwTextColor = 0xFF000000;
    m_ListInfo.dwBkColor = 0;
    m_ListInfo.bAlternateBk = false;
    m_ListInfo.dwSelectedTextColor = 0xFF000000;
    m_ListInfo.dwSelectedBkColor = 0xFFC1E3FF;
    m_ListInfo.dwHotTextColor = 0xFF000000;
    m_ListInfo.dwHotBkColor = 0xFFE9F5FF;
    m_ListInfo.dwDisabledTextColor = 0xFFCCCCCC;
    m_ListInfo.dwDisabledBkColor = 0xFFFFFFFF;
    m_ListInfo.dwLineColor = 0;
    m_ListInfo.bShowHtml = false;
    m_ListInfo.bMultiExpandable = false;

    // The header lands at child 0 through the list's own Add, the body after it.
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI;
    Add(m_pHeader);
    CVerticalLayoutUI::Add(m_pList);
}

LPCTSTR CListUI::GetClass() const
{
    return L"ListUI";
}

UINT CListUI::GetControlFlags() const
{
    return UIFLAG_TABSTOP;
}

LPVOID CListUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL) {
        if (wcscmp(pstrName, L"List") == 0) return static_cast<CListUI*>(this);
        if (wcscmp(pstrName, L"IList") == 0) return static_cast<IListUI*>(this);
        if (wcscmp(pstrName, L"IListOwner") == 0) return static_cast<IListOwnerUI*>(this);
    }
    return CVerticalLayoutUI::GetInterface(pstrName);
}

// ---- children ----

int CListUI::HeaderColumnCount() const
{
    if (m_pHeader == NULL) return 0;
    const int nCount = m_pHeader->GetCount();
    return nCount < TListInfoUI::kMaxColumns ? nCount : static_cast<int>(TListInfoUI::kMaxColumns);
}

CControlUI* CListUI::GetItemAt(int iIndex) const
{
    return m_pList->GetItemAt(iIndex);
}

int CListUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl == NULL) return -1;
    if (IsHeaderElement(pControl)) return CVerticalLayoutUI::GetItemIndex(pControl);
    if (IsHeaderItemElement(pControl)) return m_pHeader != NULL ? m_pHeader->GetItemIndex(pControl) : -1;
    return m_pList->GetItemIndex(pControl);
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL) return false;
    if (IsHeaderElement(pControl)) return CVerticalLayoutUI::SetItemIndex(pControl, iIndex);
    if (IsHeaderItemElement(pControl)) return m_pHeader != NULL && m_pHeader->SetItemIndex(pControl, iIndex);

    const int iOld = m_pList->GetItemIndex(pControl);
    if (iOld == -1) return false;
    if (iOld == iIndex) return true;
    SettleRowIndexes();
    // The selection follows its row, wherever the move puts it.
    IListItemUI* pSelected = m_iCurSel >= 0 ? AsListItem(m_pList->GetItemAt(m_iCurSel)) : NULL;
    if (!m_pList->SetItemIndex(pControl, iIndex)) return false;
    RenumberRows(iOld < iIndex ? iOld : iIndex, iOld > iIndex ? iOld : iIndex);
    if (m_iCurSel >= 0 && pSelected != NULL) m_iCurSel = pSelected->GetIndex();
    return true;
}

int CListUI::GetCount() const
{
    return m_pList->GetCount();
}

bool CListUI::Add(CControlUI* pControl)
{
    if (pControl == NULL) return false;
    if (IsHeaderElement(pControl)) {
        // A skin header replaces the empty one the list was born with.
        if (m_pHeader != pControl && (m_pHeader == NULL || m_pHeader->GetCount() == 0)) {
            if (m_pHeader != NULL) CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl->GetInterface(L"ListHeader"));
        }
        m_ListInfo.nColumns = HeaderColumnCount();
        return CVerticalLayoutUI::AddAt(pControl, 0);
    }
    if (IsHeaderItemElement(pControl)) {
        if (m_pHeader == NULL) return false;
        const bool bAdded = m_pHeader->Add(pControl);
        m_ListInfo.nColumns = HeaderColumnCount();
        return bAdded;
    }
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem != NULL) {
        NoteRowKind(pControl);
        pListItem->SetOwner(this);
        pListItem->SetIndex(GetCount());
    }
    return m_pList->Add(pControl);
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == NULL) return false;
    if (IsHeaderElement(pControl)) return Add(pControl);
    if (IsHeaderItemElement(pControl)) {
        if (m_pHeader == NULL) return false;
        const bool bAdded = m_pHeader->AddAt(pControl, iIndex);
        m_ListInfo.nColumns = HeaderColumnCount();
        return bAdded;
    }
    if (!m_pList->AddAt(pControl, iIndex)) return false;
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem != NULL) {
        NoteRowKind(pControl);
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    RowsMoved(iIndex + 1);
    if (m_iCurSel >= iIndex) m_iCurSel += 1;
    return true;
}

bool CListUI::Remove(CControlUI* pControl)
{
    if (pControl == NULL) return false;
    if (IsHeaderElement(pControl)) {
        // The list must not keep pointing at a header that is gone.
        const bool bCurrent = pControl == static_cast<CControlUI*>(m_pHeader);
        if (!CVerticalLayoutUI::Remove(pControl)) return false;
        if (bCurrent) m_pHeader = NULL;
        return true;
    }
    if (IsHeaderItemElement(pControl)) {
        if (m_pHeader == NULL) return false;
        const bool bRemoved = m_pHeader->Remove(pControl);
        m_ListInfo.nColumns = HeaderColumnCount();
        return bRemoved;
    }
    const int iIndex = m_pList->GetItemIndex(pControl);
    if (iIndex == -1) return false;
    return RemoveAt(iIndex);
}

bool CListUI::RemoveAt(int iIndex)
{
    if (!m_pList->RemoveAt(iIndex)) return false;
    RowsMoved(iIndex);
    // The last step: the selection's move may end the list (see CRemovalRun).
    FixSelectionAfterRemoval(iIndex);
    return true;
}

bool CListUI::RemoveRowBlock(int iFirst, int nCount)
{
    if (m_iCurSel >= iFirst && m_iCurSel < iFirst + nCount) return false;
    if (!m_pList->RemoveRange(iFirst, nCount)) return false;
    RowsMoved(iFirst);
    if (m_iCurSel >= iFirst + nCount) m_iCurSel -= nCount;
    return true;
}

void CListUI::RemoveAll()
{
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_iUnsettledFrom = -1;
    m_pList->RemoveAll();
}

CListUI::CRemovalRun::CRemovalRun(CListUI* pList, CControlUI* pRow)
    : m_bList(pList != NULL), m_bRow(pRow != NULL), m_list(pList), m_row(pRow)
{
}

bool CListUI::CRemovalRun::Ended() const
{
    return (m_bList && !m_list.Alive()) || (m_bRow && !m_row.Alive());
}

void CListUI::RowsMoved(int iFrom)
{
    if (m_bEagerNumbering) {
        RenumberRows(iFrom);
        return;
    }
    if (m_iUnsettledFrom < 0 || iFrom < m_iUnsettledFrom) m_iUnsettledFrom = iFrom;
}

void CListUI::NoteRowKind(CControlUI* pControl)
{
    if (m_bEagerNumbering) return;
    if (pControl->GetInterface(L"ListElement") != NULL || pControl->GetInterface(L"ListContainerElement") != NULL)
        return;
    // Such a row reads whatever was stored last: from now on every change is numbered at once.
    SettleRowIndexes();
    m_bEagerNumbering = true;
}

void CListUI::SettleRowIndexes()
{
    if (m_iUnsettledFrom < 0) return;
    const int iFrom = m_iUnsettledFrom;
    m_iUnsettledFrom = -1;
    RenumberRows(iFrom);
}

void CListUI::SettleRowIndex(const CControlUI* pRow, IListOwnerUI* pOwner, int iStored)
{
    CListUI* pList = dynamic_cast<CListUI*>(pOwner);
    if (pList == NULL || pList->m_iUnsettledFrom < 0) return;
    if (pList->m_pList->GetItemAt(iStored) != pRow) pList->SettleRowIndexes();
}

int CListUI::FindSelectable(int iIndex, bool bForward) const
{
    return m_pList->FindSelectable(iIndex, bForward);
}

void CListUI::RenumberRows(int iFrom, int iTo)
{
    const int iLast = iTo < 0 || iTo >= m_pList->GetCount() ? m_pList->GetCount() - 1 : iTo;
    for (int i = iFrom < 0 ? 0 : iFrom; i <= iLast; i++) {
        IListItemUI* pListItem = AsListItem(m_pList->GetItemAt(i));
        if (pListItem != NULL) pListItem->SetIndex(i);
    }
}

void CListUI::FixSelectionAfterRemoval(int iIndex)
{
    if (iIndex == m_iCurSel && m_iCurSel >= 0) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        SelectItem(FindSelectable(iSel, false), false);
    } else if (iIndex < m_iCurSel) {
        m_iCurSel -= 1;
    }
}

// ---- selection and expansion ----

bool CListUI::GetScrollSelect() const
{
    return m_bScrollSelect;
}

void CListUI::SetScrollSelect(bool bScrollSelect)
{
    m_bScrollSelect = bScrollSelect;
}

int CListUI::GetCurSel() const
{
    return m_iCurSel;
}

int CListUI::GetCurSelActivate() const
{
    return m_iCurSelActivate;
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel) return true;
    const int iOldSel = m_iCurSel;

    // 1. A negative index only clears the selection.
    if (iIndex < 0) {
        if (m_iCurSel >= 0) {
            IListItemUI* pOld = AsListItem(GetItemAt(m_iCurSel));
            m_iCurSel = -1;
            if (pOld != NULL) pOld->Select(false);
        }
        return false;
    }

    // 2. The target is checked before the old row lets go: a refused index keeps the
    //    selection as it was.
    CControlUI* pControl = GetItemAt(iIndex);
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == NULL || !pControl->IsEnabled()) return false;

    // 3. Move the selection; a row that still refuses gives it back to the old one.
    IListItemUI* pOld = iOldSel >= 0 ? AsListItem(GetItemAt(iOldSel)) : NULL;
    m_iCurSel = -1;
    if (pOld != NULL) pOld->Select(false);
    m_iCurSel = iIndex;
    if (!pListItem->Select(true)) {
        m_iCurSel = iOldSel;
        if (pOld != NULL) pOld->Select(true);
        if (pOld == NULL) m_iCurSel = -1;
        return false;
    }

    // 4. Show it, focus it, tell the window.
    EnsureVisible(iIndex);
    if (bTakeFocus) {
        // The focus move tells the window, which may close and delete the list.
        CControlLifeGuard alive(this);
        pControl->SetFocus();
        if (!alive.Alive()) return true;
    }
    if (m_pManager != NULL) m_pManager->SendNotify(this, L"itemselect", iIndex, iOldSel);
    return true;
}

bool CListUI::SelectItemActivate(int iIndex)
{
    if (!SelectItem(iIndex, true)) return false;
    m_iCurSelActivate = iIndex;
    return true;
}

void CListUI::SetMultiExpanding(bool bMultiExpandable)
{
    m_ListInfo.bMultiExpandable = bMultiExpandable;
}

int CListUI::GetExpandedItem() const
{
    return m_iExpandedItem;
}

bool CListUI::ExpandItem(int iIndex, bool bExpand)
{
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        IListItemUI* pExpanded = AsListItem(GetItemAt(m_iExpandedItem));
        if (pExpanded != NULL) pExpanded->Expand(false);
        m_iExpandedItem = -1;
    }
    if (bExpand) {
        CControlUI* pControl = GetItemAt(iIndex);
        if (pControl == NULL || !pControl->IsVisible()) return false;
        IListItemUI* pListItem = AsListItem(pControl);
        if (pListItem == NULL) return false;
        m_iExpandedItem = iIndex;
        if (!pListItem->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    NeedUpdate();
    return true;
}

// ---- parts ----

int CListUI::GetChildPadding() const
{
    return m_pList->GetChildPadding();
}

void CListUI::SetChildPadding(int iPadding)
{
    m_pList->SetChildPadding(iPadding);
}

CListHeaderUI* CListUI::GetHeader() const
{
    return m_pHeader;
}

CContainerUI* CListUI::GetList() const
{
    return m_pList;
}

TListInfoUI* CListUI::GetListInfo()
{
    return &m_ListInfo;
}

IListCallbackUI* CListUI::GetTextCallback() const
{
    return m_pCallback;
}

void CListUI::SetTextCallback(IListCallbackUI* pCallback)
{
    m_pCallback = pCallback;
}

// ---- layout and scrolling ----

void CListUI::StoreColumnRects(int iScrollX)
{
    for (int i = 0; i < m_ListInfo.nColumns; i++) {
        CControlUI* pColumn = m_pHeader->GetItemAt(i);
        if (!pColumn->IsVisible() || pColumn->IsFloat()) continue;
        if (iScrollX > 0) {
            RECT rcPos = pColumn->GetPos();
            ::OffsetRect(&rcPos, -iScrollX, 0);
            pColumn->SetPos(rcPos);
        }
        m_ListInfo.rcColumn[i] = pColumn->GetPos();
    }
}

void CListUI::SetPos(RECT rc)
{
    // 1. Header on top with its estimated height, body below; a visible header is moved
    //    with the body's horizontal scroll position by the body's layout.
    RowLayoutInputs before;
    ReadRowLayoutInputs(m_ListInfo, m_pHeader, m_pList, &before);
    CVerticalLayoutUI::SetPos(rc);
    if (m_pHeader == NULL) return;

    // 2. The columns are the header's first items.
    m_ListInfo.nColumns = HeaderColumnCount();

    // 3. A hidden header still places its items, in a strip of no height.
    const bool bHidden = !m_pHeader->IsVisible();
    if (bHidden) {
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetInternVisible(true);
        RECT rcHeader = { rc.left, 0, rc.right, 0 };
        m_pHeader->SetPos(rcHeader);
    }

    // 4. The column rectangles, scrolled with the body (the hidden header was laid out
    //    unscrolled just now).
    StoreColumnRects(bHidden ? m_pList->GetScrollPos().cx : 0);

    // 5. The hidden header's items go back to hidden.
    if (bHidden)
        for (int i = 0; i < m_pHeader->GetCount(); i++) m_pHeader->GetItemAt(i)->SetInternVisible(false);

    // 6. Rows once more against the new columns, only when the first pass ran against other
    //    columns or header items or changed the body's scroll bars: run every time, each
    //    list nested in a row would double the work of all the lists inside it.
    RowLayoutInputs after;
    ReadRowLayoutInputs(m_ListInfo, m_pHeader, m_pList, &after);
    if (!SameRowLayoutInputs(before, after)) m_pList->SetPos(m_pList->GetPos());
}

void CListUI::EnsureVisible(int iIndex)
{
    if (m_iCurSel < 0) return;
    CControlUI* pControl = m_pList->GetItemAt(iIndex);
    if (pControl == NULL) return;
    const RECT rcItem = pControl->GetPos();
    RECT rcList = m_pList->GetPos();
    const RECT rcInset = m_pList->GetInset();
    rcList.top += rcInset.top;
    rcList.bottom -= rcInset.bottom;
    CScrollBarUI* pHorizontalScrollBar = m_pList->GetHorizontalScrollBar();
    if (pHorizontalScrollBar != NULL && pHorizontalScrollBar->IsVisible())
        rcList.bottom -= pHorizontalScrollBar->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom < rcList.bottom) return;
    int dy = 0;
    if (rcItem.top < rcList.top) dy = rcItem.top - rcList.top;
    if (rcItem.bottom > rcList.bottom) dy = rcItem.bottom - rcList.bottom;
    Scroll(0, dy);
}

void CListUI::Scroll(int dx, int dy)
{
    if (dx == 0 && dy == 0) return;
    SIZE sz = m_pList->GetScrollPos();
    sz.cx += dx;
    sz.cy += dy;
    m_pList->SetScrollPos(sz);
}

SIZE CListUI::GetScrollPos() const
{
    return m_pList->GetScrollPos();
}

SIZE CListUI::GetScrollRange() const
{
    return m_pList->GetScrollRange();
}

void CListUI::SetScrollPos(SIZE szPos)
{
    m_pList->SetScrollPos(szPos);
}

void CListUI::LineUp()
{
    m_pList->LineUp();
}

void CListUI::LineDown()
{
    m_pList->LineDown();
}

void CListUI::PageUp()
{
    m_pList->PageUp();
}

void CListUI::PageDown()
{
    m_pList->PageDown();
}

void CListUI::HomeUp()
{
    m_pList->HomeUp();
}

void CListUI::EndDown()
{
    m_pList->EndDown();
}

void CListUI::LineLeft()
{
    m_pList->LineLeft();
}

void CListUI::LineRight()
{
    m_pList->LineRight();
}

void CListUI::PageLeft()
{
    m_pList->PageLeft();
}

void CListUI::PageRight()
{
    m_pList->PageRight();
}

void CListUI::HomeLeft()
{
    m_pList->HomeLeft();
}

void CListUI::EndRight()
{
    m_pList->EndRight();
}

void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

CScrollBarUI* CListUI::GetVerticalScrollBar() const
{
    return m_pList->GetVerticalScrollBar();
}

CScrollBarUI* CListUI::GetHorizontalScrollBar() const
{
    return m_pList->GetHorizontalScrollBar();
}

bool CListUI::IsDelayedDestroy() const
{
    return m_pList->IsDelayedDestroy();
}

void CListUI::SetDelayedDestroy(bool bDelayed)
{
    m_pList->SetDelayedDestroy(bDelayed);
}

BOOL CListUI::SortItems(PListCompareFunc pfnCompare, UINT_PTR dwData)
{
    if (m_pList == NULL) return FALSE;
    return m_pList->SortItems(pfnCompare, dwData);
}

// ---- input ----

void CListUI::DoEvent(TEventUI& event)
{
    // 1. Without the mouse, mouse events belong to the parent.
    if (!IsMouseEnabled() && event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CVerticalLayoutUI::DoEvent(event);
        return;
    }

    // A search that finds nothing selectable leaves the selection where it is.
    int iTarget = -1;
    switch (event.type) {
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        return;
    case UIEVENT_KEYDOWN:
        switch (event.key) {
        case VK_RETURN:
            if (m_iCurSel != -1) {
                CControlUI* pSelected = GetItemAt(m_iCurSel);
                if (pSelected != NULL) pSelected->Activate();
            }
            return;
        case VK_PRIOR:
            PageUp();
            return;
        case VK_NEXT:
            PageDown();
            return;
        case VK_END:
            iTarget = FindSelectable(GetCount() - 1, true);
            break;
        case VK_HOME:
            iTarget = FindSelectable(0, false);
            break;
        case VK_UP:
            iTarget = FindSelectable(m_iCurSel - 1, false);
            break;
        case VK_DOWN:
            iTarget = FindSelectable(m_iCurSel + 1, true);
            break;
        default:
            CVerticalLayoutUI::DoEvent(event);
            return;
        }
        if (iTarget != -1) SelectItem(iTarget, true);
        return;
    case UIEVENT_MOUSEWHEEL:
        if (event.wParam == 0) {
            if (!m_bScrollSelect)
                LineUp();
            else if ((iTarget = FindSelectable(m_iCurSel - 1, false)) != -1)
                SelectItem(iTarget, true);
            return;
        }
        if (event.wParam == 1) {
            if (!m_bScrollSelect)
                LineDown();
            else if ((iTarget = FindSelectable(m_iCurSel + 1, true)) != -1)
                SelectItem(iTarget, true);
            return;
        }
        break;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

// ---- styling ----

void CListUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
    NeedUpdate();
}

void CListUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
    NeedUpdate();
}

void CListUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    NeedUpdate();
}

RECT CListUI::GetItemTextPadding() const
{
    return m_ListInfo.rcTextPadding;
}

void CListUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CListUI::GetItemTextColor() const
{
    return m_ListInfo.dwTextColor;
}

void CListUI::SetItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwBkColor = dwBkColor;
    Invalidate();
}

DWORD CListUI::GetItemBkColor() const
{
    return m_ListInfo.dwBkColor;
}

void CListUI::SetItemBkImage(LPCTSTR pStrImage)
{
    m_ListInfo.diBk.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CListUI::GetItemBkImage() const
{
    return m_ListInfo.diBk.GetAttributeString();
}

void CListUI::SetAlternateBk(bool bAlternateBk)
{
    m_ListInfo.bAlternateBk = bAlternateBk;
    Invalidate();
}

bool CListUI::IsAlternateBk() const
{
    return m_ListInfo.bAlternateBk;
}

void CListUI::SetSelectedItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwSelectedTextColor = dwTextColor;
    Invalidate();
}

DWORD CListUI::GetSelectedItemTextColor() const
{
    return m_ListInfo.dwSelectedTextColor;
}

void CListUI::SetSelectedItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwSelectedBkColor = dwBkColor;
    Invalidate();
}

DWORD CListUI::GetSelectedItemBkColor() const
{
    return m_ListInfo.dwSelectedBkColor;
}

void CListUI::SetSelectedItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diSelected.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CListUI::GetSelectedItemImage() const
{
    return m_ListInfo.diSelected.GetAttributeString();
}

void CListUI::SetHotItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwHotTextColor = dwTextColor;
    Invalidate();
}

DWORD CListUI::GetHotItemTextColor() const
{
    return m_ListInfo.dwHotTextColor;
}

void CListUI::SetHotItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwHotBkColor = dwBkColor;
    Invalidate();
}

DWORD CListUI::GetHotItemBkColor() const
{
    return m_ListInfo.dwHotBkColor;
}

void CListUI::SetHotItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diHot.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CListUI::GetHotItemImage() const
{
    return m_ListInfo.diHot.GetAttributeString();
}

void CListUI::SetDisabledItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CListUI::GetDisabledItemTextColor() const
{
    return m_ListInfo.dwDisabledTextColor;
}

void CListUI::SetDisabledItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwDisabledBkColor = dwBkColor;
    Invalidate();
}

DWORD CListUI::GetDisabledItemBkColor() const
{
    return m_ListInfo.dwDisabledBkColor;
}

void CListUI::SetDisabledItemImage(LPCTSTR pStrImage)
{
    m_ListInfo.diDisabled.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CListUI::GetDisabledItemImage() const
{
    return m_ListInfo.diDisabled.GetAttributeString();
}

void CListUI::SetItemLineColor(DWORD dwLineColor)
{
    m_ListInfo.dwLineColor = dwLineColor;
    Invalidate();
}

DWORD CListUI::GetItemLineColor() const
{
    return m_ListInfo.dwLineColor;
}

void CListUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml) return;
    m_ListInfo.bShowHtml = bShowHtml;
    NeedUpdate();
}

bool CListUI::IsItemShowHtml() const
{
    return m_ListInfo.bShowHtml;
}

void CListUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"header") == 0) {
        if (m_pHeader != NULL) m_pHeader->SetVisible(wcscmp(pstrValue, L"hidden") != 0);
    } else if (wcscmp(pstrName, L"headerbkimage") == 0) {
        if (m_pHeader != NULL) m_pHeader->SetBkImage(pstrValue);
    } else if (wcscmp(pstrName, L"scrollselect") == 0) {
        SetScrollSelect(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"multiexpanding") == 0) {
        SetMultiExpanding(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"itemfont") == 0) {
        m_ListInfo.nFont = _wtoi(pstrValue);
    } else if (wcscmp(pstrName, L"itemalign") == 0) {
        m_ListInfo.uTextStyle = ApplyAlignWords(m_ListInfo.uTextStyle, pstrValue);
    } else if (wcscmp(pstrName, L"itemendellipsis") == 0) {
        if (wcscmp(pstrValue, L"true") == 0)
            m_ListInfo.uTextStyle |= DT_END_ELLIPSIS;
        else
            m_ListInfo.uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, L"itemtextpadding") == 0) {
        SetItemTextPadding(ParseAttributeRect(pstrValue));
    } else if (wcscmp(pstrName, L"itemtextcolor") == 0) {
        SetItemTextColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itembkcolor") == 0) {
        SetItemBkColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itembkimage") == 0) {
        SetItemBkImage(pstrValue);
    } else if (wcscmp(pstrName, L"itemaltbk") == 0) {
        SetAlternateBk(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"itemselectedtextcolor") == 0) {
        SetSelectedItemTextColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemselectedbkcolor") == 0) {
        SetSelectedItemBkColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemselectedimage") == 0) {
        SetSelectedItemImage(pstrValue);
    } else if (wcscmp(pstrName, L"itemhottextcolor") == 0) {
        SetHotItemTextColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemhotbkcolor") == 0) {
        SetHotItemBkColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemhotimage") == 0) {
        SetHotItemImage(pstrValue);
    } else if (wcscmp(pstrName, L"itemdisabledtextcolor") == 0) {
        SetDisabledItemTextColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemdisabledbkcolor") == 0) {
        SetDisabledItemBkColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemdisabledimage") == 0) {
        SetDisabledItemImage(pstrValue);
    } else if (wcscmp(pstrName, L"itemlinecolor") == 0) {
        SetItemLineColor(ParseAttributeColor(pstrValue));
    } else if (wcscmp(pstrName, L"itemshowhtml") == 0) {
        SetItemShowHtml(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"vscrollbar") == 0 || wcscmp(pstrName, L"vscrollbarstyle") == 0 ||
               wcscmp(pstrName, L"hscrollbar") == 0 || wcscmp(pstrName, L"hscrollbarstyle") == 0 ||
               wcscmp(pstrName, L"scrollstepsize") == 0) {
        // The bars and their step are the body's: the container base would read the list's
        // own (absent) bars.
        m_pList->SetAttribute(pstrName, pstrValue);
    } else {
        CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
    }
}

} // namespace SkinUI
