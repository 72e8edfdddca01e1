#include <windows.h>
#include <vector>
#include "controls/ListBodyUI.h"
#include "controls/ListUI.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

namespace {

// Bottom-up merge sort. Every index stays inside its run whatever the comparison answers,
// so an inconsistent or even random comparator yields some order, never an overrun.
template <class Less>
void MergeSort(std::vector<CControlUI*>& items, Less less)
{
    const size_t n = items.size();
    std::vector<CControlUI*> buffer(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = lo + width < n ? lo + width : n;
            const size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) buffer[k++] = less(items[j], items[i]) ? items[j++] : items[i++];
            while (i < mid) buffer[k++] = items[i++];
            while (j < hi) buffer[k++] = items[j++];
        }
        items.swap(buffer);
    }
}

} // namespace

CListBodyUI::CListBodyUI(CListUI* pOwner) : m_pOwner(pOwner), m_pCompareFunc(NULL), m_compareData(0) {}

CListBodyUI::~CListBodyUI()
{
    // Rows the program keeps (no automatic destruction) outlive the list.
    for (int i = 0; i < m_items.GetSize(); i++) ForgetOwner(static_cast<CControlUI*>(m_items[i]));
    m_pOwner = NULL;
}

void CListBodyUI::ChildLeaves(CControlUI* pControl)
{
    ForgetOwner(pControl);
    CVerticalLayoutUI::ChildLeaves(pControl);
}

void CListBodyUI::ForgetOwner(CControlUI* pRow) const
{
    IListItemUI* pListItem = pRow != NULL ? static_cast<IListItemUI*>(pRow->GetInterface(L"ListItem")) : NULL;
    if (pListItem != NULL && m_pOwner != NULL && pListItem->GetOwner() == static_cast<IListOwnerUI*>(m_pOwner))
        pListItem->SetOwner(NULL);
}

int CListBodyUI::CompareItems(CControlUI* pFirst, CControlUI* pSecond) const
{
    if (pFirst == NULL || pSecond == NULL || m_pCompareFunc == NULL) return 0;
    return m_pCompareFunc(reinterpret_cast<UINT_PTR>(pFirst), reinterpret_cast<UINT_PTR>(pSecond), m_compareData);
}

BOOL CListBodyUI::SortItems(PListCompareFunc pfnCompare, UINT_PTR dwData)
{
    if (pfnCompare == NULL) return FALSE;
    m_pCompareFunc = pfnCompare;
    m_compareData = dwData;

    // 1. Sort a copy of the row pointers, then write it back.
    const int nCount = m_items.GetSize();
    std::vector<CControlUI*> rows(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; i++) rows[static_cast<size_t>(i)] = static_cast<CControlUI*>(m_items[i]);
    MergeSort(rows, [this](CControlUI* a, CControlUI* b) { return CompareItems(a, b) < 0; });
    for (int i = 0; i < nCount; i++) m_items.SetAt(i, rows[static_cast<size_t>(i)]);

    // 2. New numbers and no selection; the owner is told without a notification.
    for (int i = 0; i < nCount; i++) {
        IListItemUI* pItem = static_cast<IListItemUI*>(rows[static_cast<size_t>(i)]->GetInterface(L"ListItem"));
        if (pItem == NULL) continue;
        pItem->SetIndex(i);
        pItem->Select(false);
    }
    if (m_pOwner != NULL) m_pOwner->SelectItem(-1, false);

    // 3. Rows take their new places.
    if (m_pManager != NULL) {
        SetPos(GetPos());
        Invalidate();
    }
    return TRUE;
}

void CListBodyUI::MoveHeaderColumns(int dx)
{
    TListInfoUI* pInfo = m_pOwner->GetListInfo();
    CListHeaderUI* pHeader = m_pOwner->GetHeader();
    if (pHeader == NULL) {
        // Without a header the last known columns travel with the rows.
        for (int i = 0; i < pInfo->nColumns; i++) ::OffsetRect(&pInfo->rcColumn[i], -dx, 0);
        return;
    }
    const int nColumns = m_pOwner->HeaderColumnCount();
    pInfo->nColumns = nColumns;
    // A hidden header still positions its columns; its items are visible for the moment.
    const bool bHidden = !pHeader->IsVisible();
    if (bHidden)
        for (int i = 0; i < pHeader->GetCount(); i++) pHeader->GetItemAt(i)->SetInternVisible(true);
    for (int i = 0; i < nColumns; i++) {
        CControlUI* pColumn = pHeader->GetItemAt(i);
        if (!pColumn->IsVisible() || pColumn->IsFloat()) continue;
        RECT rcPos = pColumn->GetPos();
        ::OffsetRect(&rcPos, -dx, 0);
        pColumn->SetPos(rcPos);
        pInfo->rcColumn[i] = pColumn->GetPos();
    }
    if (bHidden)
        for (int i = 0; i < pHeader->GetCount(); i++) pHeader->GetItemAt(i)->SetInternVisible(false);
}

void CListBodyUI::SetScrollPos(SIZE szPos)
{
    // 1. The rows follow both bars as in any container.
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    const int iLastX = bHBar ? m_pHorizontalScrollBar->GetScrollPos() : 0;
    CVerticalLayoutUI::SetScrollPos(szPos);

    // 2. The header columns follow the horizontal step.
    if (!bHBar || m_pOwner == NULL) return;
    const int dx = m_pHorizontalScrollBar->GetScrollPos() - iLastX;
    if (dx != 0) MoveHeaderColumns(dx);
}

void CListBodyUI::SetPos(RECT rc)
{
    // 1. Own position; the rows share the inner area, which a visible horizontal bar
    //    widens by its range.
    CControlUI::SetPos(rc);
    rc = GetInnerRect();
    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    const SIZE szAvailable = { rc.right - rc.left, rc.bottom - rc.top };
    SIZE szOffer = szAvailable;
    if (bHBar) szOffer.cx += m_pHorizontalScrollBar->GetScrollRange();

    // 2. First pass: fixed heights, adjustable rows and the widest row.
    int nAdjustables = 0;
    int cyFixed = 0;
    int nEstimateNum = 0;
    int cxNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        const SIZE sz = pControl->EstimateSize(szOffer);
        int cy = sz.cy;
        if (cy == 0)
            nAdjustables++;
        else
            cy = ClampToLimits(cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        const RECT rcPadding = pControl->GetPadding();
        cyFixed += cy + rcPadding.top + rcPadding.bottom;
        int cx = sz.cx < 0 ? 0 : sz.cx;
        cx = ClampToLimits(cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        if (cx > cxNeeded) cxNeeded = cx;
        nEstimateNum++;
    }

    // 3. Child padding between the rows.
    cyFixed += (nEstimateNum - 1) * m_iChildPadding;

    // 4. With columns, the rows are as wide as the header; a scrolled header keeps its
    //    left edge with the rows.
    if (m_pOwner != NULL) {
        CListHeaderUI* pHeader = m_pOwner->GetHeader();
        if (pHeader != NULL && pHeader->GetCount() > 0) {
            cxNeeded = pHeader->EstimateSize(szAvailable).cx;
            if (cxNeeded < 0) cxNeeded = 0;
            if (bHBar) {
                RECT rcHeader = pHeader->GetPos();
                rcHeader.left = rc.left - m_pHorizontalScrollBar->GetScrollPos();
                pHeader->SetPos(rcHeader);
            }
        }
    }

    // 5. The share of each adjustable row.
    int cyExpand = 0;
    if (nAdjustables > 0) {
        cyExpand = (szAvailable.cy - cyFixed) / nAdjustables;
        if (cyExpand < 0) cyExpand = 0;
    }

    // 6. The start, shifted by both scroll positions.
    int iPosY = rc.top;
    if (bVBar) iPosY -= m_pVerticalScrollBar->GetScrollPos();
    int iPosX = rc.left;
    if (bHBar) iPosX -= m_pHorizontalScrollBar->GetScrollPos();

    // 7. Second pass: the rows from top to bottom.
    int iAdjustable = 0;
    int cyFixedRemaining = cyFixed;
    int cyRemaining = szAvailable.cy;
    int cyNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        cyRemaining -= rcPadding.top;
        const SIZE szRow = { szOffer.cx, cyRemaining };
        const SIZE sz = pControl->EstimateSize(szRow);
        int cy = sz.cy;
        if (cy == 0) {
            iAdjustable++;
            cy = cyExpand;
            // The last adjustable row takes what the others left over.
            if (iAdjustable == nAdjustables) {
                cy = cyRemaining - rcPadding.bottom - cyFixedRemaining;
                if (cy < 0) cy = 0;
            }
            cy = ClampToLimits(cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        } else {
            cy = ClampToLimits(cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
            cyFixedRemaining -= cy;
        }

        int cx = szOffer.cx - rcPadding.left - rcPadding.right;
        if (cx < cxNeeded) cx = cxNeeded;
        cx = ClampToLimits(cx, pControl->GetMinWidth(), pControl->GetMaxWidth());

        RECT rcCtrl = { iPosX + rcPadding.left, iPosY + rcPadding.top, iPosX + rcPadding.left + cx,
                        iPosY + rcPadding.top + cy + rcPadding.bottom };
        pControl->SetPos(rcCtrl);

        iPosY += cy + m_iChildPadding + rcPadding.top + rcPadding.bottom;
        cyNeeded += cy + rcPadding.top + rcPadding.bottom;
        cyRemaining -= cy + m_iChildPadding + rcPadding.bottom;
    }

    // 8. Child padding between the rows.
    cyNeeded += (nEstimateNum - 1) * m_iChildPadding;

    // 9. The horizontal bar follows the rows' width.
    if (m_pHorizontalScrollBar != NULL) {
        if (szAvailable.cx < cxNeeded) {
            if (!m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollPos(0);
                rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
            }
            m_pHorizontalScrollBar->SetScrollRange(cxNeeded - szAvailable.cx);
        } else if (m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
            rc.bottom += m_pHorizontalScrollBar->GetFixedHeight();
        }
    }

    // 10. The vertical bar follows the rows' height.
    ProcessScrollBar(rc, cxNeeded, cyNeeded);
}

void CListBodyUI::DoEvent(TEventUI& event)
{
    // Keys, wheel and clicks on the empty body are the list's.
    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

} // namespace SkinUI
