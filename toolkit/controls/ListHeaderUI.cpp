#include <windows.h>
#include <wchar.h>
#include "controls/ListHeaderUI.h"
#include "controls/ListHeaderItemUI.h"
#include "core/ScrollBarUI.h"

namespace SkinUI {

CListHeaderUI::CListHeaderUI() : m_bIsScaleHeader(false) {}

LPCTSTR CListHeaderUI::GetClass() const
{
    return L"ListHeaderUI";
}

LPVOID CListHeaderUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListHeader") == 0) return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

void CListHeaderUI::SetScaleHeader(bool bIsScale)
{
    m_bIsScaleHeader = bIsScale;
}

bool CListHeaderUI::IsScaleHeader() const
{
    return m_bIsScaleHeader;
}

SIZE CListHeaderUI::EstimateSize(SIZE szAvailable)
{
    SIZE cXY = { 0, m_cxyFixed.cy };
    if (cXY.cy == 0 && m_pManager != NULL) {
        for (int i = 0; i < m_items.GetSize(); i++) {
            const SIZE sz = static_cast<CControlUI*>(m_items[i])->EstimateSize(szAvailable);
            if (sz.cy > cXY.cy) cXY.cy = sz.cy;
        }
        const int cyMin = m_pManager->GetDefaultFontInfo()->tm.tmHeight + 6;
        if (cXY.cy < cyMin) cXY.cy = cyMin;
    }
    for (int i = 0; i < m_items.GetSize(); i++)
        cXY.cx += static_cast<CControlUI*>(m_items[i])->EstimateSize(szAvailable).cx;
    return cXY;
}

void CListHeaderUI::SetPos(RECT rc)
{
    // 1. Own position; the columns share the area inside the inset.
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) return;
    rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    const SIZE szAvailable = { rc.right - rc.left, rc.bottom - rc.top };

    // 2. First pass: the fixed widths and the columns that share what is left.
    int nAdjustables = 0;
    int cxFixed = 0;
    int nEstimateNum = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat()) continue;
        const SIZE sz = pControl->EstimateSize(szAvailable);
        int cx = sz.cx;
        if (cx == 0)
            nAdjustables++;
        else
            cx = ClampToLimits(cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        const RECT rcPadding = pControl->GetPadding();
        cxFixed += cx + rcPadding.left + rcPadding.right;
        nEstimateNum++;
    }

    // 3. The share of each adjustable column.
    cxFixed += (nEstimateNum - 1) * m_iChildPadding;
    int cxExpand = 0;
    if (nAdjustables > 0) {
        cxExpand = (szAvailable.cx - cxFixed) / nAdjustables;
        if (cxExpand < 0) cxExpand = 0;
    }

    // 4. The base of scaled widths: the header less the list's vertical bar, shown or not.
    int cxScaleBase = GetWidth();
    if (m_pParent != NULL) {
        CContainerUI* pOwner = static_cast<CContainerUI*>(m_pParent->GetInterface(L"Container"));
        if (pOwner != NULL && pOwner->GetVerticalScrollBar() != NULL)
            cxScaleBase -= pOwner->GetVerticalScrollBar()->GetWidth();
    }

    // 5. Second pass: the columns from left to right.
    int iPosX = rc.left;
    int cxRemaining = szAvailable.cx;
    int iAdjustable = 0;
    int cxFixedRemaining = cxFixed;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible()) continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        cxRemaining -= rcPadding.left;

        int cx = 0;
        if (m_bIsScaleHeader) {
            CListHeaderItemUI* pItem = static_cast<CListHeaderItemUI*>(pControl->GetInterface(L"ListHeaderItem"));
            const int nScale = pItem != NULL ? pItem->GetScale() : 0;
            cx = static_cast<int>(static_cast<float>(nScale) * static_cast<float>(cxScaleBase) / 100.0f);
        } else {
            const SIZE szOffer = { cxRemaining, szAvailable.cy };
            cx = pControl->EstimateSize(szOffer).cx;
        }
        if (cx == 0) {
            iAdjustable++;
            cx = cxExpand;
            // The last adjustable column takes what the others left over.
            if (iAdjustable == nAdjustables) {
                cx = cxRemaining - rcPadding.right - cxFixedRemaining;
                if (cx < 0) cx = 0;
            }
            cx = ClampToLimits(cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        } else {
            cx = ClampToLimits(cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
            cxFixedRemaining -= cx;
        }

        int cy = pControl->GetFixedHeight();
        if (cy == 0) cy = szAvailable.cy - rcPadding.top - rcPadding.bottom;
        if (cy < 0) cy = 0;
        cy = ClampToLimits(cy, pControl->GetMinHeight(), pControl->GetMaxHeight());

        RECT rcCtrl = { iPosX + rcPadding.left, rc.top + rcPadding.top, iPosX + rcPadding.left + cx + rcPadding.right,
                        rc.top + rcPadding.top + cy };
        pControl->SetPos(rcCtrl);
        iPosX += cx + m_iChildPadding + rcPadding.left + rcPadding.right;
        cxRemaining -= cx + m_iChildPadding + rcPadding.right;
    }
}

void CListHeaderUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"scaleheader") == 0)
        SetScaleHeader(wcscmp(pstrValue, L"true") == 0);
    else
        CHorizontalLayoutUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
