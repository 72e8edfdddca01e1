#include <windows.h>
#include <wchar.h>
#include "core/TextUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

CTextUI::CTextUI() : m_nLinks(0), m_nHoverLink(-1), m_dwShadowColor(0)
{
    m_uTextStyle = DT_WORDBREAK;
    m_rcTextPadding.left = 2;
    m_rcTextPadding.right = 2;
    for (int i = 0; i < MAX_LINK; i++) ::SetRectEmpty(&m_rcLinks[i]);
}

LPCTSTR CTextUI::GetClass() const
{
    return L"TextUI";
}

LPVOID CTextUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Text") == 0) return static_cast<CTextUI*>(this);
    return CLabelUI::GetInterface(pstrName);
}

UINT CTextUI::GetControlFlags() const
{
    return (IsEnabled() && m_nLinks > 0) ? UIFLAG_SETCURSOR : 0;
}

void CTextUI::ForgetLinks()
{
    m_nLinks = 0;
    m_nHoverLink = -1;
    for (int i = 0; i < MAX_LINK; i++) {
        ::SetRectEmpty(&m_rcLinks[i]);
        m_sLinks[i].Empty();
    }
}

void CTextUI::SetText(LPCTSTR pstrText)
{
    if (m_sText == (pstrText != NULL ? pstrText : L"")) return;
    CControlUI::SetText(pstrText);
    // The old links' areas and targets would keep answering clicks until the next paint.
    ForgetLinks();
    if (m_pParent != NULL) m_pParent->NeedUpdate();
}

void CTextUI::SetShadowColor(DWORD dwColor)
{
    m_dwShadowColor = dwColor;
}

DWORD CTextUI::GetShadowColor() const
{
    return m_dwShadowColor;
}

CSkinString* CTextUI::GetLinkContent(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_nLinks) return NULL;
    return &m_sLinks[nIndex];
}

int CTextUI::LinkAt(POINT pt) const
{
    for (int i = 0; i < m_nLinks; i++) {
        if (::PtInRect(&m_rcLinks[i], pt)) return i;
    }
    return -1;
}

void CTextUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_SETCURSOR:
        if (LinkAt(event.mousePos) >= 0) {
            ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONDBLCLK:
        if (IsEnabled() && LinkAt(event.mousePos) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_LBUTTONUP:
        if (IsEnabled()) {
            const int i = LinkAt(event.mousePos);
            if (i >= 0) {
                if (m_pManager != NULL) m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(i), 0);
                return;
            }
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEMOVE:
        if (IsEnabled() && m_nLinks > 0) {
            const int i = LinkAt(event.mousePos);
            if (i != m_nHoverLink) {
                m_nHoverLink = i;
                Invalidate();
            }
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled() && m_nLinks > 0 && m_nHoverLink != -1) {
            m_nHoverLink = -1;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CTextUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"shadowcolor") == 0)
        SetShadowColor(ParseColorValue(pstrValue));
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

SIZE CTextUI::EstimateSize(SIZE szAvailable)
{
    // The measured height is never used, so only a width to be calculated is worth measuring.
    if (m_bAutoCalcWidth && m_pManager != NULL) {
        RECT rcText = { m_rcTextPadding.left, 0, 9999 - m_rcTextPadding.right, 9999 };
        if (m_bShowHtml) {
            int nLinks = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, m_dwTextColor, NULL,
                                        NULL, nLinks, m_uTextStyle | DT_CALCRECT);
        } else {
            CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, m_dwTextColor, m_iFont,
                                    m_uTextStyle | DT_CALCRECT);
        }
        m_cxyFixed.cx = rcText.right - rcText.left + m_rcTextPadding.left + m_rcTextPadding.right;
    }
    return CControlUI::EstimateSize(szAvailable);
}

void CTextUI::PaintText(HDC hDC)
{
    if (m_sText.IsEmpty()) {
        m_nLinks = 0;
        return;
    }
    ApplyDefaultColors();
    if (m_pManager == NULL) return;
    RECT rc = GetTextRect();
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        m_nLinks = MAX_LINK;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, dwColor, m_rcLinks, m_sLinks, m_nLinks, m_uTextStyle);
        return;
    }
    // Plain text has no links: none may answer clicks or change the cursor.
    m_nLinks = 0;
    if (m_dwShadowColor != 0) {
        RECT rcShadow = rc;
        ::OffsetRect(&rcShadow, 1, 1);
        CRenderEngine::DrawText(hDC, m_pManager, rcShadow, m_sText, m_dwShadowColor, m_iFont, m_uTextStyle);
    }
    CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle);
}

} // namespace SkinUI
