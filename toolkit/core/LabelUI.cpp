#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "core/LabelUI.h"
#include "core/RenderEngine.h"
#include "core/AttributeValue.h"

namespace SkinUI {

CLabelUI::CLabelUI()
    : m_dwTextColor(0), m_dwDisabledTextColor(0), m_iFont(-1), m_uTextStyle(DT_VCENTER), m_bShowHtml(false),
      m_bAutoCalcWidth(false)
{
    ::SetRectEmpty(&m_rcTextPadding);
}

LPCTSTR CLabelUI::GetClass() const
{
    return L"LabelUI";
}

LPVOID CLabelUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Label") == 0) return static_cast<CLabelUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetText(LPCTSTR pstrText)
{
    if (m_sText == (pstrText != NULL ? pstrText : L"")) return;
    CControlUI::SetText(pstrText);
    // A width measured from the old text would clip the new one until some unrelated layout.
    if (m_bAutoCalcWidth) NeedParentUpdate();
}

void CLabelUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

UINT CLabelUI::GetTextStyle() const
{
    return m_uTextStyle;
}

void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetTextColor() const
{
    return m_dwTextColor;
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

DWORD CLabelUI::GetDisabledTextColor() const
{
    return m_dwDisabledTextColor;
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

int CLabelUI::GetFont() const
{
    return m_iFont;
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

RECT CLabelUI::GetTextPadding() const
{
    return m_rcTextPadding;
}

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml) return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

bool CLabelUI::IsShowHtml() const
{
    return m_bShowHtml;
}

bool CLabelUI::GetAutoCalcWidth() const
{
    return m_bAutoCalcWidth;
}

void CLabelUI::SetAutoCalcWidth(bool bAutoCalcWidth)
{
    m_bAutoCalcWidth = bAutoCalcWidth;
}

DWORD CLabelUI::ParseColorValue(LPCTSTR pstrValue)
{
    return ParseAttributeColor(pstrValue);
}

bool CLabelUI::IsMouseEvent(const TEventUI& event)
{
    return event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND;
}

void CLabelUI::ApplyDefaultColors()
{
    if (m_pManager == NULL) return;
    if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

RECT CLabelUI::GetTextRect() const
{
    RECT rc = m_rcItem;
    rc.left += m_rcTextPadding.left;
    rc.right -= m_rcTextPadding.right;
    rc.top += m_rcTextPadding.top;
    rc.bottom -= m_rcTextPadding.bottom;
    return rc;
}

SIZE CLabelUI::EstimateSize(SIZE szAvailable)
{
    if (m_bAutoCalcWidth && m_pManager != NULL) {
        // Measured the way PaintText draws it, on one line: markup through the markup
        // drawing (its tags take no room), plain text with the label's font.
        const UINT uStyle = m_uTextStyle | DT_SINGLELINE | DT_CALCRECT;
        RECT rcText = { 0, 0, 0, 0 };
        if (m_bShowHtml) {
            // The markup drawing lays out within the rectangle: it gets all the room there is.
            ::SetRect(&rcText, 0, 0, 9999, 9999);
            int nLinks = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, m_dwTextColor, NULL,
                                        NULL, nLinks, uStyle);
        } else {
            CRenderEngine::DrawText(m_pManager->GetPaintDC(), m_pManager, rcText, m_sText, m_dwTextColor, m_iFont,
                                    uStyle);
        }
        // Stored directly: the setter would ask for another layout pass on every estimate.
        m_cxyFixed.cx = rcText.right - rcText.left + m_rcTextPadding.left + m_rcTextPadding.right;
    }
    if (m_cxyFixed.cy != 0 || m_pManager == NULL) return CControlUI::EstimateSize(szAvailable);
    SIZE sz = { m_cxyFixed.cx, m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + 4 };
    return sz;
}

void CLabelUI::DoEvent(TEventUI& event)
{
    if (event.type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"align") == 0) {
        // Each word found applies, in this order: skins rely on the combinations.
        if (wcsstr(pstrValue, L"left") != NULL) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (wcsstr(pstrValue, L"center") != NULL) {
            m_uTextStyle &= ~DT_RIGHT;
            m_uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, L"right") != NULL) {
            m_uTextStyle &= ~(DT_CENTER | DT_SINGLELINE);
            m_uTextStyle |= DT_RIGHT;
        }
    } else if (wcscmp(pstrName, L"valign") == 0) {
        if (wcsstr(pstrValue, L"top") != NULL) {
            m_uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
            m_uTextStyle |= DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, L"center") != NULL) {
            m_uTextStyle &= ~DT_BOTTOM;
            m_uTextStyle |= DT_VCENTER | DT_SINGLELINE;
        }
        if (wcsstr(pstrValue, L"bottom") != NULL) {
            m_uTextStyle &= ~DT_VCENTER;
            m_uTextStyle |= DT_BOTTOM | DT_SINGLELINE;
        }
    } else if (wcscmp(pstrName, L"endellipsis") == 0) {
        if (wcscmp(pstrValue, L"true") == 0)
            m_uTextStyle |= DT_END_ELLIPSIS;
        else
            m_uTextStyle &= ~DT_END_ELLIPSIS;
    } else if (wcscmp(pstrName, L"font") == 0) {
        LPTSTR pEnd = NULL;
        SetFont(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    } else if (wcscmp(pstrName, L"textcolor") == 0) {
        SetTextColor(ParseColorValue(pstrValue));
    } else if (wcscmp(pstrName, L"disabledtextcolor") == 0) {
        SetDisabledTextColor(ParseColorValue(pstrValue));
    } else if (wcscmp(pstrName, L"textpadding") == 0) {
        SetTextPadding(ParseAttributeRect(pstrValue));
    } else if (wcscmp(pstrName, L"showhtml") == 0) {
        SetShowHtml(wcscmp(pstrValue, L"true") == 0);
    } else if (wcscmp(pstrName, L"autocalcwidth") == 0) {
        SetAutoCalcWidth(wcscmp(pstrValue, L"true") == 0);
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CLabelUI::PaintText(HDC hDC)
{
    ApplyDefaultColors();
    if (m_sText.IsEmpty() || m_pManager == NULL) return;
    RECT rc = GetTextRect();
    const DWORD dwColor = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        int nLinks = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, m_sText, dwColor, NULL, NULL, nLinks,
                                    m_uTextStyle | DT_SINGLELINE);
    } else {
        CRenderEngine::DrawText(hDC, m_pManager, rc, m_sText, dwColor, m_iFont, m_uTextStyle | DT_SINGLELINE);
    }
}

} // namespace SkinUI
