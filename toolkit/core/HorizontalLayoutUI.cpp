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

    // 1. Inside the inset; without children the bars are settled on that rectangle.
    if (m_items.IsEmpty()) {
        ProcessScrollBar(GetInsetRect(), 0, 0);
        return;
    }

    // 2. Beside the visible bars; a visible horizontal bar widens the content by its range.
    rc = GetInnerRect();
    const bool bHBar = m_pHorizontalScrollBar != NULL && m_pHorizontalScrollBar->IsVisible();
    const int cxWidth0 = rc.right - rc.left;
    SIZE szAvailable = { cxWidth0, rc.bottom - rc.top };
    if (bHBar) szAvailable.cx += m_pHorizontalScrollBar->GetScrollRange();

    // 3. Place the children in a row, shifted by the horizontal position only.
    POINT ptStart = { rc.left, rc.top };
    if (bHBar) ptStart.x -= m_pHorizontalScrollBar->GetScrollPos();
    const int cxNeeded = PlaceLine(szAvailable, ptStart, false);

    // 4. The horizontal bar follows the content width; the children keep their places
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

    // 5. The vertical bar: no height is required, so a shown one goes away.
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
