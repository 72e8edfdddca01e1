#include <windows.h>
#include <wchar.h>
#include "controls/ListHeaderItemUI.h"
#include "core/AttributeValue.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

// How far the grip reaches into the item beyond the separator strip.
const int kGripReach = 4;

} // namespace

CListHeaderItemUI::CListHeaderItemUI()
    : m_bDragable(true), m_uButtonState(0), m_iSepWidth(4), m_dwTextColor(0), m_iFont(-1),
      m_uTextStyle(DT_CENTER | DT_VCENTER | DT_SINGLELINE), m_bShowHtml(false), m_nScale(0)
{
    m_ptLastMouse.x = m_ptLastMouse.y = 0;
    ::SetRect(&m_rcTextPadding, 2, 0, 2, 0);
    SetMinWidth(16);
}

LPCTSTR CListHeaderItemUI::GetClass() const
{
    return L"ListHeaderItemUI";
}

LPVOID CListHeaderItemUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"ListHeaderItem") == 0) return this;
    return CContainerUI::GetInterface(pstrName);
}

UINT CListHeaderItemUI::GetControlFlags() const
{
    return (IsEnabled() && m_iSepWidth != 0) ? UIFLAG_SETCURSOR : 0;
}

void CListHeaderItemUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

bool CListHeaderItemUI::IsDragable() const
{
    return m_bDragable;
}

void CListHeaderItemUI::SetDragable(bool bDragable)
{
    m_bDragable = bDragable;
    if (!m_bDragable) m_uButtonState &= ~UISTATE_CAPTURED;
}

int CListHeaderItemUI::GetSepWidth() const
{
    return m_iSepWidth;
}

void CListHeaderItemUI::SetSepWidth(int iWidth)
{
    m_iSepWidth = iWidth;
}

UINT CListHeaderItemUI::GetTextStyle() const
{
    return m_uTextStyle;
}

void CListHeaderItemUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

DWORD CListHeaderItemUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CListHeaderItemUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
}

RECT CListHeaderItemUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

void CListHeaderItemUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CListHeaderItemUI::SetFont(int index)
{
    m_iFont = index;
}

bool CListHeaderItemUI::IsShowHtml() const
{
    return m_bShowHtml;
}

void CListHeaderItemUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml) return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

LPCTSTR CListHeaderItemUI::GetSepImage() const
{
    return m_diSep.GetAttributeString();
}

void CListHeaderItemUI::SetSepImage(LPCTSTR pStrImage)
{
    m_diSep.SetAttributeString(pStrImage);
    Invalidate();
}

void CListHeaderItemUI::SetScale(int nScale)
{
    m_nScale = nScale;
}

int CListHeaderItemUI::GetScale() const
{
    return m_nScale;
}

RECT CListHeaderItemUI::GetThumbRect() const
{
    RECT rc = m_rcItem;
    if (m_iSepWidth >= 0)
        rc.left = m_rcItem.right - m_iSepWidth;
    else
        rc.right = m_rcItem.left - m_iSepWidth;
    return rc;
}

RECT CListHeaderItemUI::GetGripRect() const
{
    RECT rc = GetThumbRect();
    if (m_iSepWidth >= 0)
        rc.left -= kGripReach;
    else
        rc.right += kGripReach;
    return rc;
}

void CListHeaderItemUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONDBLCLK: {
        if (!IsEnabled()) return;
        const RECT rcGrip = GetGripRect();
        if (::PtInRect(&rcGrip, event.mousePos)) {
            // A press on the grip starts a drag, or does nothing on a fixed column.
            if (m_bDragable) {
                m_uButtonState |= UISTATE_CAPTURED;
                m_ptLastMouse = event.mousePos;
            }
        } else {
            m_uButtonState |= UISTATE_PUSHED;
            if (m_pManager != NULL) m_pManager->SendNotify(this, L"headerclick");
            Invalidate();
        }
        return;
    }
    case UIEVENT_LBUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            if (m_pParent != NULL) m_pParent->NeedParentUpdate();
        } else if (m_uButtonState & UISTATE_PUSHED) {
            m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            // A grip on the left edge widens the column when it moves left. The width set
            // by an earlier move counts even when no layout has applied it yet: moves may
            // arrive faster than the paints that lay the header out.
            const int dx = event.mousePos.x - m_ptLastMouse.x;
            const int cxBase = m_cxyFixed.cx > 0 ? m_cxyFixed.cx : GetWidth();
            const int cxNew = cxBase + (m_iSepWidth >= 0 ? dx : -dx);
            if (cxNew <= GetMinWidth()) return;
            m_cxyFixed.cx = cxNew;
            m_ptLastMouse = event.mousePos;
            if (m_pParent != NULL) m_pParent->NeedParentUpdate();
            return;
        }
        break;
    case UIEVENT_SETCURSOR:
        if (IsEnabled() && m_bDragable) {
            const RECT rcGrip = GetGripRect();
            if (::PtInRect(&rcGrip, event.mousePos)) {
                ::SetCursor(::LoadCursorW(NULL, IDC_SIZEWE));
                return;
            }
        }
        break;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

SIZE CListHeaderItemUI::EstimateSize(SIZE szAvailable)
{
    (void)szAvailable;
    if (m_cxyFixed.cy != 0) return m_cxyFixed;
    SIZE sz = { m_cxyFixed.cx, 14 };
    if (m_pManager != NULL) sz.cy += m_pManager->GetDefaultFontInfo()->tm.tmHeight;
    return sz;
}

void CListHeaderItemUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"dragable") == 0)
        SetDragable(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"sepwidth") == 0)
        SetSepWidth(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"align") == 0)
        m_uTextStyle = ApplyAlignWords(m_uTextStyle, pstrValue);
    else if (wcscmp(pstrName, L"endellipsis") == 0) {
        if (wcscmp(pstrValue, L"true") == 0)
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, L"font") == 0)
        SetFont(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"textcolor") == 0)
        SetTextColor(ParseAttributeColor(pstrValue));
    else if (wcscmp(pstrName, L"textpadding") == 0)
        SetTextPadding(ParseAttributeRect(pstrValue));
    else if (wcscmp(pstrName, L"showhtml") == 0)
        SetShowHtml(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"sepimage") == 0)
        SetSepImage(pstrValue);
    else if (wcscmp(pstrName, L"scale") == 0)
        SetScale(_wtoi(pstrValue));
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

void CListHeaderItemUI::PaintStatusImage(HDC hDC)
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;

    // The first state that has a drawable image wins; otherwise the normal image.
    bool bDrawn = false;
    if (m_uButtonState & UISTATE_PUSHED)
        bDrawn = m_diPushed.IsLoadSuccess() && DrawImage(hDC, m_diPushed);
    else if (m_uButtonState & UISTATE_HOT)
        bDrawn = m_diHot.IsLoadSuccess() && DrawImage(hDC, m_diHot);
    else if (m_uButtonState & UISTATE_FOCUSED)
        bDrawn = m_diFocused.IsLoadSuccess() && DrawImage(hDC, m_diFocused);
    if (!bDrawn && m_diNormal.IsLoadSuccess()) DrawImage(hDC, m_diNormal);

    if (m_diSep.IsLoadSuccess()) {
        RECT rcThumb = GetThumbRect();
        ::OffsetRect(&rcThumb, -m_rcItem.left, -m_rcItem.top);
        DrawImage(hDC, m_diSep, rcThumb);
    }
}

void CListHeaderItemUI::PaintText(HDC hDC)
{
    if (m_pManager == NULL) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_sText.IsEmpty()) return;

    RECT rcText = m_rcItem;
    rcText.left += m_rcTextPadding.left;
    rcText.top += m_rcTextPadding.top;
    rcText.right -= m_rcTextPadding.right;
    rcText.bottom -= m_rcTextPadding.bottom;
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, NULL, NULL, nLinks,
                                    m_uTextStyle | DT_SINGLELINE);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rcText, m_sText, m_dwTextColor, m_iFont, m_uTextStyle | DT_SINGLELINE);
    }
}

} // namespace SkinUI
