#include <windows.h>
#include <wchar.h>
#include "core/ButtonUI.h"
#include "core/TabLayoutUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CButtonUI::CButtonUI()
    : m_uButtonState(0), m_dwHotBkColor(0), m_dwHotTextColor(0), m_dwPushedTextColor(0), m_dwFocusedTextColor(0),
      m_iBindTabIndex(-1)
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
}

LPCTSTR CButtonUI::GetClass() const
{
    return L"ButtonUI";
}

LPVOID CButtonUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Button") == 0) return static_cast<CButtonUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0) | (IsEnabled() ? UIFLAG_SETCURSOR : 0);
}

bool CButtonUI::Activate()
{
    if (!CControlUI::Activate()) return false;
    if (m_pManager != NULL) {
        // A notifier may close and delete the window, and this button with it.
        CControlLifeGuard guard(this);
        m_pManager->SendNotify(this, L"click");
        if (!guard.Alive()) return true;
        BindTriggerTabSel();
    }
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

UINT CButtonUI::GetButtonState() const
{
    return m_uButtonState;
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.key == VK_SPACE || event.key == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONDBLCLK:
        if (::PtInRect(&m_rcItem, event.mousePos) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (::PtInRect(&m_rcItem, event.mousePos))
                m_uButtonState |= UISTATE_PUSHED;
            else
                m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_LBUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (::PtInRect(&m_rcItem, event.mousePos)) {
                CControlLifeGuard guard(this);
                Activate();
                if (!guard.Alive()) return;
            }
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager != NULL)
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

SIZE CButtonUI::EstimateSize(SIZE szAvailable)
{
    // Unlike a label, a button never measures its text: "autocalcwidth" has no effect here.
    if (m_cxyFixed.cy != 0 || m_pManager == NULL) return CControlUI::EstimateSize(szAvailable);
    SIZE sz = { m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 8 };
    return sz;
}

void CButtonUI::SetHotBkColor(DWORD dwColor)
{
    m_dwHotBkColor = dwColor;
}
DWORD CButtonUI::GetHotBkColor() const
{
    return m_dwHotBkColor;
}
void CButtonUI::SetHotTextColor(DWORD dwColor)
{
    m_dwHotTextColor = dwColor;
}
DWORD CButtonUI::GetHotTextColor() const
{
    return m_dwHotTextColor;
}
void CButtonUI::SetPushedTextColor(DWORD dwColor)
{
    m_dwPushedTextColor = dwColor;
}
DWORD CButtonUI::GetPushedTextColor() const
{
    return m_dwPushedTextColor;
}
void CButtonUI::SetFocusedTextColor(DWORD dwColor)
{
    m_dwFocusedTextColor = dwColor;
}
DWORD CButtonUI::GetFocusedTextColor() const
{
    return m_dwFocusedTextColor;
}

LPCTSTR CButtonUI::GetHotForeImage()
{
    return m_diHotFore.GetAttributeString();
}

void CButtonUI::SetHotForeImage(LPCTSTR pStrImage)
{
    m_diHotFore.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CButtonUI::GetPushedForeImage()
{
    return m_diPushedFore.GetAttributeString();
}

void CButtonUI::SetPushedForeImage(LPCTSTR pStrImage)
{
    m_diPushedFore.SetAttributeString(pStrImage);
    Invalidate();
}

void CButtonUI::BindTabIndex(int nTabIndex)
{
    if (nTabIndex >= 0) m_iBindTabIndex = nTabIndex;
}

void CButtonUI::BindTabLayoutName(LPCTSTR pStrTabLayoutName)
{
    if (pStrTabLayoutName != NULL) m_sBindTabLayoutName = pStrTabLayoutName;
}

void CButtonUI::BindTriggerTabSel(int nIndex)
{
    if (m_sBindTabLayoutName.IsEmpty() || (m_iBindTabIndex < 0 && nIndex < 0) || m_pManager == NULL) return;
    CControlUI* pFound = m_pManager->FindControl(m_sBindTabLayoutName);
    if (pFound == NULL) return;
    // Only a real tab layout is driven; a control of another class with that name is left alone.
    CTabLayoutUI* pTabLayout = static_cast<CTabLayoutUI*>(pFound->GetInterface(L"TabLayout"));
    if (pTabLayout == NULL) return;
    pTabLayout->SelectItem(nIndex >= 0 ? nIndex : m_iBindTabIndex);
}

void CButtonUI::RemoveBindTabIndex()
{
    m_iBindTabIndex = -1;
    m_sBindTabLayoutName.Empty();
}

int CButtonUI::GetBindTabLayoutIndex() const
{
    return m_iBindTabIndex;
}
CSkinString CButtonUI::GetBindTabLayoutName() const
{
    return m_sBindTabLayoutName;
}

void CButtonUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"hotforeimage") == 0)
        SetHotForeImage(pstrValue);
    else if (wcscmp(pstrName, L"pushedforeimage") == 0)
        SetPushedForeImage(pstrValue);
    else if (wcscmp(pstrName, L"bindtabindex") == 0) {
        LPTSTR pEnd = NULL;
        BindTabIndex(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    } else if (wcscmp(pstrName, L"bindtablayoutname") == 0)
        BindTabLayoutName(pstrValue);
    else if (wcscmp(pstrName, L"hotbkcolor") == 0)
        SetHotBkColor(ParseColorValue(pstrValue));
    else if (wcscmp(pstrName, L"hottextcolor") == 0)
        SetHotTextColor(ParseColorValue(pstrValue));
    else if (wcscmp(pstrName, L"pushedtextcolor") == 0)
        SetPushedTextColor(ParseColorValue(pstrValue));
    else if (wcscmp(pstrName, L"focusedtextcolor") == 0)
        SetFocusedTextColor(ParseColorValue(pstrValue));
    else if (wcscmp(pstrName, L"multiline") == 0) {
        if (wcscmp(pstrValue, L"true") == 0) {
            m_uTextStyle &= ~DT_SINGLELINE;
            m_uTextStyle |= DT_WORDBREAK;
        } else {
            m_uTextStyle &= ~DT_WORDBREAK;
            m_uTextStyle |= DT_SINGLELINE;
        }
    } else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CButtonUI::RefreshPaintState()
{
    if (IsFocused())
        m_uButtonState |= UISTATE_FOCUSED;
    else
        m_uButtonState &= ~UISTATE_FOCUSED;
    if (!IsEnabled())
        m_uButtonState |= UISTATE_DISABLED;
    else
        m_uButtonState &= ~UISTATE_DISABLED;
}

void CButtonUI::PaintForeImage(HDC hDC, CImageAttribute* pStateFore)
{
    if (pStateFore != NULL && pStateFore->IsLoadSuccess() && DrawImage(hDC, *pStateFore)) return;
    if (m_diFore.IsLoadSuccess()) DrawImage(hDC, m_diFore);
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    RefreshPaintState();
    // One branch per state, in this order; a branch whose image cannot be drawn falls back to
    // the normal look.
    if (m_uButtonState & UISTATE_DISABLED) {
        if (m_diDisabled.IsLoadSuccess() && DrawImage(hDC, m_diDisabled)) {
            PaintForeImage(hDC, NULL);
            return;
        }
    } else if (m_uButtonState & UISTATE_PUSHED) {
        if (m_diPushed.IsLoadSuccess() && DrawImage(hDC, m_diPushed)) {
            PaintForeImage(hDC, &m_diPushedFore);
            return;
        }
    } else if (m_uButtonState & UISTATE_HOT) {
        if (m_diHot.IsLoadSuccess() && DrawImage(hDC, m_diHot)) {
            PaintForeImage(hDC, &m_diHotFore);
            return;
        }
        if (m_dwHotBkColor != 0) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwHotBkColor));
            return;
        }
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        if (m_diFocused.IsLoadSuccess() && DrawImage(hDC, m_diFocused)) return;
    }
    if (m_diNormal.IsLoadSuccess()) DrawImage(hDC, m_diNormal);
    PaintForeImage(hDC, NULL);
}

void CButtonUI::DrawLabelText(HDC hDC, DWORD dwColor)
{
    if (m_sText.IsEmpty() || m_pManager == NULL) return;
    RECT rc = GetTextRect();
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, dwColor, NULL, NULL, nLinks, m_uTextStyle);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle);
    }
}

void CButtonUI::PaintText(HDC hDC)
{
    RefreshPaintState();
    ApplyDefaultColors();
    DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0)
        dwColor = m_dwPushedTextColor;
    else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0)
        dwColor = m_dwHotTextColor;
    else if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0)
        dwColor = m_dwFocusedTextColor;
    DrawLabelText(hDC, dwColor);
}

} // namespace SkinUI
