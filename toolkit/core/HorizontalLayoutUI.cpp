#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/HorizontalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const DWORD kGhostColor = 0xAA000000;

} // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI()
    : m_iSepWidth(0),
      m_drag()
{
}

LPCTSTR CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"HorizontalLayout") == 0)
        return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CHorizontalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;

    // 1. Inside the inset; without children the bars are settled on that rectangle.
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }

    // 2. Beside the visible bars; a visible horizontal bar widens the content by its range.
    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    if (bVBar)
        rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (bHBar)
        rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    const int cxWidth0 = rc.right - rc.left;
    SIZE szAvailable = {cxWidth0, rc.bottom - rc.top};
    if (bHBar)
        szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // 3. First pass: the fixed widths and the number of children that share the rest.
    int nAdjustables = 0;
    int cxFixed = 0;
    int nEstimateNum = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        SIZE sz = pControl->EstimateSize(szAvailable);
        if (sz.cx == 0)
            nAdjustables++;
        else
            sz.cx = ClampToLimits(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());
        const RECT rcPadding = pControl->GetPadding();
        cxFixed += sz.cx + rcPadding.left + rcPadding.right;
        nEstimateNum++;
    }

    // 4. The share of each automatic child; the remainder of the division stays empty.
    int cxExpand = 0;
    if (nAdjustables > 0) {
        cxExpand = (szAvailable.cx - cxFixed - m_iChildPadding * (nEstimateNum - 1)) / nAdjustables;
        if (cxExpand < 0)
            cxExpand = 0;
    }

    // 5. Second pass: place the children in a row, shifted by the horizontal position only.
    int iPosX = rc.left;
    if (bHBar)
        iPosX -= m_pHorizontalScrollBar->GetScrollPos();
    int cxRemaining = szAvailable.cx;
    int cxNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); i++) {
        CControlUI* pControl = static_cast<CControlUI*>(m_items[i]);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT rcPadding = pControl->GetPadding();
        cxRemaining -= rcPadding.left;
        SIZE szOffer = {cxRemaining, szAvailable.cy};
        SIZE sz = pControl->EstimateSize(szOffer);
        if (sz.cx == 0)
            sz.cx = cxExpand;
        sz.cx = ClampToLimits(sz.cx, pControl->GetMinWidth(), pControl->GetMaxWidth());

        int cy = pControl->GetFixedHeight();
        if (cy == 0)
            cy = rc.bottom - rc.top - rcPadding.top - rcPadding.bottom;
        if (cy < 0)
            cy = 0;
        cy = ClampToLimits(cy, pControl->GetMinHeight(), pControl->GetMaxHeight());

        RECT rcCtrl = {iPosX + rcPadding.left, rc.top + rcPadding.top, iPosX + rcPadding.left + sz.cx,
                       rc.top + rcPadding.top + cy};
        pControl->SetPos(rcCtrl);

        iPosX += rcPadding.left + sz.cx + rcPadding.right + m_iChildPadding;
        cxNeeded += rcPadding.left + sz.cx + rcPadding.right;
        cxRemaining -= sz.cx + rcPadding.right + m_iChildPadding;
    }
    cxNeeded += m_iChildPadding * (nEstimateNum - 1);

    // 6. The horizontal bar follows the content width; the children keep their places
    //    for this pass (a bar shown now overlaps them until the next layout).
    if (m_pHorizontalScrollBar != NULL) {
        if (cxNeeded > cxWidth0) {
            if (m_pHorizontalScrollBar->IsVisible()) {
                m_pHorizontalScrollBar->SetScrollRange(cxNeeded - cxWidth0);
            } else {
                m_pHorizontalScrollBar->SetVisible(true);
                m_pHorizontalScrollBar->SetScrollRange(cxNeeded - cxWidth0);
                m_pHorizontalScrollBar->SetScrollPos(0);
                rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
            }
        } else if (m_pHorizontalScrollBar->IsVisible()) {
            m_pHorizontalScrollBar->SetVisible(false);
            m_pHorizontalScrollBar->SetScrollRange(0);
            m_pHorizontalScrollBar->SetScrollPos(0);
            rc.bottom += m_pHorizontalScrollBar->GetFixedHeight();
        }
    }

    // 7. The vertical bar: no height is required, so a shown one goes away.
    ProcessScrollBar(rc, cxNeeded, 0);
}

// ---- separator ----

void CHorizontalLayoutUI::SetSepWidth(int iWidth)
{
    m_iSepWidth = iWidth;
}

int CHorizontalLayoutUI::GetSepWidth() const
{
    return m_iSepWidth;
}

void CHorizontalLayoutUI::SetSepImmMode(bool bImmediately)
{
    if (m_drag.bImmMode == bImmediately)
        return;
    if ((m_drag.uButtonState & UISTATE_CAPTURED) != 0 && !m_drag.bImmMode && m_pManager != NULL)
        m_pManager->RemovePostPaint(this);
    m_drag.bImmMode = bImmediately;
}

bool CHorizontalLayoutUI::IsSepImmMode() const
{
    return m_drag.bImmMode;
}

RECT CHorizontalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const bool bDragging = (m_drag.uButtonState & UISTATE_CAPTURED) != 0;
    return CVerticalLayoutUI::SeparatorStrip(bUseNew && bDragging ? m_drag.rcNewPos : m_rcItem, m_iSepWidth, false);
}

void CHorizontalLayoutUI::DoEvent(TEventUI& event)
{
    if (m_iSepWidth != 0 &&
        CVerticalLayoutUI::SeparatorEvent(this, event, m_iSepWidth, false, m_rcItem, m_cxyFixed.cx, m_drag))
        return;
    CContainerUI::DoEvent(event);
}

void CHorizontalLayoutUI::DoPostPaint(HDC hDC, const RECT& rcPaint)
{
    (void)rcPaint;
    if ((m_drag.uButtonState & UISTATE_CAPTURED) != 0 && !m_drag.bImmMode)
        CRenderEngine::DrawColor(hDC, GetThumbRect(true), kGhostColor);
}

void CHorizontalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"sepwidth") == 0)
        SetSepWidth(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"sepimm") == 0)
        SetSepImmMode(wcscmp(pstrValue, L"true") == 0);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
