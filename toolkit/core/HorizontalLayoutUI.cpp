#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/HorizontalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const DWORD kGhostColor = 0xAA000000;

// A bar with nothing to scroll: hidden, at the start, with no range.
void PutAway(CScrollBarUI* pBar)
{
    pBar->SetVisible(false);
    pBar->SetScrollRange(0);
    pBar->SetScrollPos(0);
}

} // namespace

CHorizontalLayoutUI::CHorizontalLayoutUI() : m_iSepWidth(0), m_drag() {}

LPCTSTR CHorizontalLayoutUI::GetClass() const
{
    return L"HorizontalLayoutUI";
}

LPVOID CHorizontalLayoutUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"HorizontalLayout") == 0) return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

UINT CHorizontalLayoutUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CHorizontalLayoutUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);

    // 1. Inside the inset; without children the bars are settled on that rectangle, and
    //    an empty row has nothing to scroll sideways.
    if (m_items.IsEmpty()) {
        if (m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible()) PutAway(m_pHorizontalScrollBar);
        ProcessScrollBar(GetInsetRect(), 0, 0);
        return;
    }

    // 2. Beside the visible bars. The children share the visible width only: with the
    //    bar's range added, an automatic child would grow by the range, the range would be
    //    measured from that child and the row would never settle.
    rc = GetInnerRect();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    const int cxWidth0 = rc.right - rc.left;
    const SIZE szAvailable = { cxWidth0, rc.bottom - rc.top };

    // 3. Place the children in a row, shifted by the horizontal position only.
    const int iPlacedScroll = bHBar ? m_pHorizontalScrollBar->GetScrollPos() : 0;
    const POINT ptStart = { rc.left - iPlacedScroll, rc.top };
    const int cxNeeded = PlaceLine(szAvailable, ptStart, false);

    // 4. The horizontal bar follows the content width; the children keep their places
    //    for this pass (a bar shown now overlaps them until the next layout).
    SIZE szPlaced = szAvailable;
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
            PutAway(m_pHorizontalScrollBar);
            rc.bottom += m_pHorizontalScrollBar->GetFixedHeight();
        }

        // 5. The row is placed again when this pass changed what it was placed by: a shorter
        //    range may have pulled the position back (its end would be out of reach), and a
        //    bar that went away gives its height back (no window lays out a second time).
        const bool bHBarNow = m_pHorizontalScrollBar->IsVisible();
        const int iScroll = bHBarNow ? m_pHorizontalScrollBar->GetScrollPos() : 0;
        if (bHBar && !bHBarNow) szPlaced.cy = rc.bottom - rc.top;
        if (iScroll != iPlacedScroll || szPlaced.cy != szAvailable.cy) {
            const POINT ptScrolled = { ptStart.x + iPlacedScroll - iScroll, ptStart.y };
            PlaceLine(szPlaced, ptScrolled, false);
        }
    }

    // 6. The vertical bar: no height is required, so a shown one goes away.
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
    if (m_drag.bImmMode == bImmediately) return;
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
