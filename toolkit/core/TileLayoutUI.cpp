#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/TileLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "core/AttributeValue.h"

namespace SkinUI {

CTileLayoutUI::CTileLayoutUI() : m_nColumns(1)
{
    m_szItem.cx = m_szItem.cy = 0;
}

LPCTSTR CTileLayoutUI::GetClass() const
{
    return L"TileLayoutUI";
}

LPVOID CTileLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"TileLayout") == 0) return static_cast<CTileLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

SIZE CTileLayoutUI::GetItemSize() const
{
    return m_szItem;
}

void CTileLayoutUI::SetItemSize(SIZE szItem)
{
    if (m_szItem.cx == szItem.cx && m_szItem.cy == szItem.cy) return;
    m_szItem = szItem;
    NeedUpdate();
}

int CTileLayoutUI::GetColumns() const
{
    return m_nColumns;
}

void CTileLayoutUI::SetColumns(int nCols)
{
    if (nCols <= 0) return;
    m_nColumns = nCols;
    NeedUpdate();
}

void CTileLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"itemsize") == 0)
        SetItemSize(ParseAttributeSize(pstrValue));
    else if (wcscmp(pstrName, L"columns") == 0)
        SetColumns(_wtoi(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CTileLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);

    // 1. Inside the inset; without children only the bars are settled.
    if (m_items.IsEmpty()) {
        ProcessScrollBar(GetInsetRect(), 0, 0);
        return;
    }

    // 2. Beside the visible bars.
    rc = GetInnerRect();
    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();

    // 3. The column count follows the item width when one is given; never below 1 (a
    //    layout narrower than its insets and bars would give a negative count).
    const int cxWidth = rc.right - rc.left;
    if (m_szItem.cx > 0) m_nColumns = cxWidth / m_szItem.cx;
    if (m_nColumns < 1) m_nColumns = 1;

    // 4. Equal cells; a visible horizontal bar widens the content by its range.
    int cxCell = cxWidth / m_nColumns;
    if (bHBar) cxCell = (cxWidth + m_pHorizontalScrollBar->GetScrollRange()) / m_nColumns;

    // 5. Rows from the top, shifted by the scroll positions.
    const int iRowLeft = rc.left - (bHBar ? m_pHorizontalScrollBar->GetScrollPos() : 0);
    POINT ptTile = { iRowLeft, rc.top - (bVBar ? m_pVerticalScrollBar->GetScrollPos() : 0) };
    int cyRow = 0;
    int iCount = 0;
    int cyNeeded = 0;
    const int iHalfPadding = m_iChildPadding / 2;

    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }

        RECT rcTile = { ptTile.x, ptTile.y, ptTile.x + cxCell, ptTile.y };

        // 5a. A new row: its height is the tallest item of the row, with its padding.
        if (iCount % m_nColumns == 0) {
            int k = iCount;
            for (int j = i; j < m_items.GetSize(); j++) {
                CControlUI* pRowItem = static_cast<CControlUI*>(m_items[j]);
                if (!pRowItem->IsVisible() || pRowItem->IsFloat()) continue;
                const RECT rcPadding = pRowItem->GetPadding();
                const bool bOuter = k == iCount || (k + 1) % m_nColumns == 0;
                const int iGap = bOuter ? iHalfPadding : m_iChildPadding;
                int cx = rcTile.right - rcTile.left - rcPadding.left - rcPadding.right - iGap;
                cx = ClampToLimits(cx, pRowItem->GetMinWidth(), pRowItem->GetMaxWidth());
                SIZE szOffer = { cx, 9999 };
                SIZE sz = pRowItem->EstimateSize(szOffer);
                sz.cy = ClampToLimits(sz.cy, pRowItem->GetMinHeight(), pRowItem->GetMaxHeight());
                const int cyItem = sz.cy + rcPadding.top + rcPadding.bottom;
                if (cyItem > cyRow) cyRow = cyItem;
                k++;
                if (k % m_nColumns == 0) break;
            }
        }

        // 5b. The tile: half the child padding on the inner side of the first and last
        //     columns, the whole padding between inner columns.
        const RECT rcPadding = pControl->GetPadding();
        rcTile.right -= rcPadding.right + iHalfPadding;
        rcTile.left = ptTile.x + rcPadding.left + (iCount % m_nColumns == 0 ? 0 : iHalfPadding);
        iCount++;
        if (iCount % m_nColumns == 0) rcTile.right += iHalfPadding;
        rcTile.top = ptTile.y + rcPadding.top;
        rcTile.bottom = ptTile.y + cyRow;

        // 5c. The item's size within the tile and its limits, centred in the tile.
        SIZE szAvailable = { rcTile.right - rcTile.left, rcTile.bottom - rcTile.top };
        SIZE sz = pControl->EstimateSize(szAvailable);
        if (sz.cx == 0) sz.cx = szAvailable.cx;
        if (sz.cy == 0) sz.cy = szAvailable.cy;
        sz.cx = ClampToLimits(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        sz.cy = ClampToLimits(sz.cy, pControl->GetMinHeight(), pControl->GetMaxHeight());
        RECT rcPos;
        rcPos.left = (rcTile.left + rcTile.right - sz.cx) / 2;
        rcPos.top = (rcTile.top + rcTile.bottom - sz.cy) / 2;
        rcPos.right = rcPos.left + sz.cx;
        rcPos.bottom = rcPos.top + sz.cy;
        pControl->SetPos(rcPos);

        // 5d. Next cell, or the next row after the last column.
        ptTile.x += cxCell;
        if (iCount % m_nColumns == 0) {
            ptTile.y += cyRow + m_iChildPadding;
            cyRow = 0;
            ptTile.x = iRowLeft;
        }
        cyNeeded = rcTile.bottom - rc.top;
        if (bVBar) cyNeeded += m_pVerticalScrollBar->GetScrollPos();
    }

    // 6. Show, hide and range the vertical bar for the content height.
    ProcessScrollBar(rc, 0, cyNeeded);
}

} // namespace SkinUI
