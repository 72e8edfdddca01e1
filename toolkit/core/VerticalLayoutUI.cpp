#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/VerticalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const DWORD kGhostColor = 0xAA000000;

} // namespace

CVerticalLayoutUI::CVerticalLayoutUI() : m_iSepHeight(0), m_drag() {}

LPCTSTR CVerticalLayoutUI::GetClass() const
{
    return L"VerticalLayoutUI";
}

LPVOID CVerticalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"VerticalLayout") == 0) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CVerticalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepHeight != 0) ? UIFLAG_SETCURSOR : 0;
}

void CVerticalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);

    // 1. The children's area: inside the inset and beside the visible bars.
    rc = GetInnerRect();
    if (m_items.IsEmpty()) {
        ProcessScrollBar(rc, 0, 0);
        return;
    }

    // 2. Room along both axes; a visible horizontal bar widens the content by its range.
    const bool bVBar = m_pVerticalScrollBar != NULL && m_pVerticalScrollBar->IsVisible();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    SIZE szAvailable = { rc.right - rc.left, rc.bottom - rc.top };
    if (bHBar) szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // 3. Stack the children from the top, shifted by both scroll positions.
    POINT ptStart = { rc.left, rc.top };
    if (bHBar) ptStart.x -= m_pHorizontalScrollBar->GetScrollPos();
    if (bVBar) ptStart.y -= m_pVerticalScrollBar->GetScrollPos();
    const int cyNeeded = PlaceLine(szAvailable, ptStart, true);

    // 4. Show, hide and range the vertical bar for the content height.
    ProcessScrollBar(rc, 0, cyNeeded);
}

// ---- separator ----

void CVerticalLayoutUI::SetSepHeight(int iHeight)
{
    m_iSepHeight = iHeight;
}

int CVerticalLayoutUI::GetSepHeight() const
{
    return m_iSepHeight;
}

void CVerticalLayoutUI::SetSepImmMode(bool bImmediately)
{
    if (m_drag.bImmMode == bImmediately) return;
    if ((m_drag.uButtonState & UISTATE_CAPTURED) != 0 && !m_drag.bImmMode && m_pManager != NULL)
        m_pManager->RemovePostPaint(this);
    m_drag.bImmMode = bImmediately;
}

bool CVerticalLayoutUI::IsSepImmMode() const
{
    return m_drag.bImmMode;
}

RECT CVerticalLayoutUI::GetThumbRect(bool bUseNew) const
{
    const bool bDragging = (m_drag.uButtonState & UISTATE_CAPTURED) != 0;
    return SeparatorStrip(bUseNew && bDragging ? m_drag.rcNewPos : m_rcItem, m_iSepHeight, true);
}

RECT CVerticalLayoutUI::SeparatorStrip(const RECT& rc, int iSepSize, bool bVertical)
{
    RECT rcStrip = rc;
    if (iSepSize == 0) {
        ::SetRectEmpty(&rcStrip);
    } else if (!bVertical) {
        if (iSepSize > 0)
            rcStrip.left = rc.right - iSepSize;
        else
            rcStrip.right = rc.left - iSepSize;
    } else if (iSepSize > 0) {
        rcStrip.top = rc.bottom - iSepSize;
        if (rcStrip.top < rc.top) rcStrip.top = rc.top;
    } else {
        rcStrip.bottom = rc.top - iSepSize;
        if (rcStrip.bottom > rc.bottom) rcStrip.bottom = rc.bottom;
    }
    return rcStrip;
}

namespace {

// x and y exchanged: a horizontal drag runs through the vertical rules.
RECT Transposed(const RECT& rc)
{
    RECT r = { rc.top, rc.left, rc.bottom, rc.right };
    return r;
}

POINT Transposed(const POINT& pt)
{
    POINT p = { pt.y, pt.x };
    return p;
}

// One mouse move in vertical terms: rcNew is the dragged rectangle so far; false when the
// move is ignored, else the next rectangle in rcResult.
bool DragAlongY(int iSepSize, const RECT& rcNew, POINT ptLast, POINT pt, int iMin, int iMax, RECT& rcResult)
{
    // A drag to 0 would store fixed size 0, which means "automatic": never below 1.
    if (iMin < 1) iMin = 1;
    const int d = pt.y - ptLast.y;
    const int cyOld = rcNew.bottom - rcNew.top;
    RECT r = rcNew;
    // The strip follows the mouse only while the pointer is on the side it moves to; the
    // thresholds are the same for both layouts (the strip never lags behind the pointer).
    if (iSepSize < 0) {
        if ((d > 0 && pt.y < rcNew.top) || (d < 0 && pt.y > rcNew.top - iSepSize)) return false;
        r.top += d;
        if (r.bottom - r.top <= iMin) {
            if (cyOld <= iMin) return false;
            r.top = r.bottom - iMin;
        }
        if (r.bottom - r.top >= iMax) {
            if (cyOld >= iMax) return false;
            r.top = r.bottom - iMax;
        }
    } else {
        if ((d > 0 && pt.y < rcNew.bottom - iSepSize) || (d < 0 && pt.y > rcNew.bottom)) return false;
        r.bottom += d;
        if (r.bottom - r.top <= iMin) {
            if (cyOld <= iMin) return false;
            r.bottom = r.top + iMin;
        }
        if (r.bottom - r.top >= iMax) {
            if (cyOld >= iMax) return false;
            r.bottom = r.top + iMax;
        }
    }
    rcResult = r;
    return true;
}

} // namespace

bool CVerticalLayoutUI::SeparatorEvent(CControlUI* pLayout, TEventUI& event, int iSepSize, bool bVertical, RECT& rcItem,
                                       LONG& cxyFixed, TSeparatorDrag& drag)
{
    CPaintManagerUI* pManager = pLayout->GetManager();
    const bool bCaptured = (drag.uButtonState & UISTATE_CAPTURED) != 0;
    const RECT rcStrip = SeparatorStrip(rcItem, iSepSize, bVertical);

    // 1. A press on the strip starts the drag; a ghost drag paints after the tree.
    if (event.type == UIEVENT_LBUTTONDOWN && pLayout->IsEnabled() && ::PtInRect(&rcStrip, event.mousePos)) {
        drag.uButtonState |= UISTATE_CAPTURED;
        drag.ptLastMouse = event.mousePos;
        drag.rcNewPos = rcItem;
        // At most once on the list, also after a capture lost without a release.
        if (!drag.bImmMode && pManager != NULL) {
            pManager->RemovePostPaint(pLayout);
            pManager->AddPostPaint(pLayout);
        }
        return true;
    }

    // 2. The release takes the dragged rectangle and lets the parent lay out again.
    if (event.type == UIEVENT_LBUTTONUP && bCaptured) {
        drag.uButtonState &= ~UISTATE_CAPTURED;
        rcItem = drag.rcNewPos;
        if (!drag.bImmMode && pManager != NULL) pManager->RemovePostPaint(pLayout);
        pLayout->NeedParentUpdate();
        return true;
    }

    // 3. A move drags the edge within the layout's limits.
    if (event.type == UIEVENT_MOUSEMOVE && bCaptured) {
        const POINT ptLast = drag.ptLastMouse;
        drag.ptLastMouse = event.mousePos;
        RECT rcMoved = { 0, 0, 0, 0 };
        const bool bMoved =
            bVertical ? DragAlongY(iSepSize, drag.rcNewPos, ptLast, event.mousePos, pLayout->GetMinHeight(),
                                   pLayout->GetMaxHeight(), rcMoved)
                      : DragAlongY(iSepSize, Transposed(drag.rcNewPos), Transposed(ptLast), Transposed(event.mousePos),
                                   pLayout->GetMinWidth(), pLayout->GetMaxWidth(), rcMoved);
        if (!bMoved) return true;
        if (!bVertical) rcMoved = Transposed(rcMoved);
        CSkinRect rcInvalidate = SeparatorStrip(drag.rcNewPos, iSepSize, bVertical);
        drag.rcNewPos = rcMoved;
        cxyFixed = bVertical ? rcMoved.bottom - rcMoved.top : rcMoved.right - rcMoved.left;
        if (drag.bImmMode) {
            rcItem = drag.rcNewPos;
            pLayout->NeedParentUpdate();
        } else {
            rcInvalidate.Join(SeparatorStrip(drag.rcNewPos, iSepSize, bVertical));
            rcInvalidate.Join(rcStrip);
            if (pManager != NULL) pManager->Invalidate(rcInvalidate);
        }
        return true;
    }

    // 4. The sizing cursor over the strip.
    if (event.type == UIEVENT_SETCURSOR && pLayout->IsEnabled() && ::PtInRect(&rcStrip, event.mousePos)) {
        ::SetCursor(::LoadCursorW(NULL, bVertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
    }
    return false;
}

void CVerticalLayoutUI::DoEvent(TEventUI& event)
{
    if (m_iSepHeight != 0 && SeparatorEvent(this, event, m_iSepHeight, true, m_rcItem, m_cxyFixed.cy, m_drag)) return;
    CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::DoPostPaint(HDC hDC, const RECT& rcPaint)
{
    (void)rcPaint;
    if ((m_drag.uButtonState & UISTATE_CAPTURED) != 0 && !m_drag.bImmMode)
        CRenderEngine::DrawColor(hDC, GetThumbRect(true), kGhostColor);
}

void CVerticalLayoutUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"sepheight") == 0)
        SetSepHeight(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"sepimm") == 0)
        SetSepImmMode(wcscmp(pstrValue, L"true") == 0);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

} // namespace SkinUI
