#include <windows.h>
#include <wchar.h>
#include "core/SliderUI.h"
#include "core/AttributeValue.h"

namespace SkinUI {

CSliderUI::CSliderUI() : m_uButtonState(0), m_nStep(1), m_bSendMove(false)
{
    m_uTextStyle = DT_SINGLELINE | DT_CENTER;
    m_szThumb.cx = m_szThumb.cy = 10;
}

LPCTSTR CSliderUI::GetClass() const
{
    return L"SliderUI";
}

LPVOID CSliderUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Slider") == 0) return static_cast<CSliderUI*>(this);
    return CProgressUI::GetInterface(pstrName);
}

UINT CSliderUI::GetControlFlags() const
{
    return IsEnabled() ? UIFLAG_SETCURSOR : 0;
}

void CSliderUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) m_uButtonState = 0;
}

UINT CSliderUI::GetButtonState() const
{
    return m_uButtonState;
}

void CSliderUI::SetValue(int nValue)
{
    if (m_uButtonState & UISTATE_CAPTURED) return;
    CProgressUI::SetValue(nValue);
}

void CSliderUI::SetChangeStep(int step)
{
    m_nStep = step;
}
int CSliderUI::GetChangeStep() const
{
    return m_nStep;
}
void CSliderUI::SetThumbSize(SIZE szXY)
{
    m_szThumb = szXY;
}
void CSliderUI::SetCanSendMove(bool bCanSend)
{
    m_bSendMove = bCanSend;
}
bool CSliderUI::GetCanSendMove() const
{
    return m_bSendMove;
}

LPCTSTR CSliderUI::GetThumbImage() const
{
    return m_diThumb.GetAttributeString();
}

void CSliderUI::SetThumbImage(LPCTSTR pStrImage)
{
    m_diThumb.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CSliderUI::GetThumbHotImage() const
{
    return m_diThumbHot.GetAttributeString();
}

void CSliderUI::SetThumbHotImage(LPCTSTR pStrImage)
{
    m_diThumbHot.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CSliderUI::GetThumbPushedImage() const
{
    return m_diThumbPushed.GetAttributeString();
}

void CSliderUI::SetThumbPushedImage(LPCTSTR pStrImage)
{
    m_diThumbPushed.SetAttributeString(pStrImage);
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const
{
    // The range may still be unrepaired (no paint yet): geometry divides by at least 1.
    const long long range = GeometryRange();
    const long long offset = GeometryOffset();
    RECT rc;
    if (m_bHorizontal) {
        const long long track = static_cast<long long>(m_rcItem.right - m_rcItem.left) - m_szThumb.cx;
        rc.left = m_rcItem.left + static_cast<LONG>(offset * track / range);
        rc.top = (m_rcItem.top + m_rcItem.bottom - m_szThumb.cy) / 2;
        rc.right = rc.left + m_szThumb.cx;
        rc.bottom = rc.top + m_szThumb.cy;
    } else {
        const long long track = static_cast<long long>(m_rcItem.bottom - m_rcItem.top) - m_szThumb.cy;
        rc.left = (m_rcItem.left + m_rcItem.right - m_szThumb.cx) / 2;
        rc.right = rc.left + m_szThumb.cx;
        rc.bottom = m_rcItem.bottom - static_cast<LONG>(track * offset / range);
        rc.top = rc.bottom - m_szThumb.cy;
    }
    return rc;
}

int CSliderUI::ValueFromPoint(POINT pt) const
{
    const long long range = GeometryRange();
    if (m_bHorizontal) {
        if (pt.x >= m_rcItem.right - m_szThumb.cx / 2) return m_nMax;
        if (pt.x <= m_rcItem.left + m_szThumb.cx / 2) return m_nMin;
        // Reached only when the bar is longer than the thumb, so the track is at least 1.
        long long track = static_cast<long long>(m_rcItem.right - m_rcItem.left) - m_szThumb.cx;
        if (track < 1) track = 1;
        return static_cast<int>(m_nMin + range * (pt.x - m_rcItem.left - m_szThumb.cx / 2) / track);
    }
    if (pt.y >= m_rcItem.bottom - m_szThumb.cy / 2) return m_nMin;
    if (pt.y <= m_rcItem.top + m_szThumb.cy / 2) return m_nMax;
    long long track = static_cast<long long>(m_rcItem.bottom - m_rcItem.top) - m_szThumb.cy;
    if (track < 1) track = 1;
    return static_cast<int>(m_nMin + (m_rcItem.bottom - m_szThumb.cy / 2 - pt.y) * range / track);
}

void CSliderUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != NULL)
            m_pParent->DoEvent(event);
        else
            CProgressUI::DoEvent(event);
        return;
    }
    switch (event.type) {
    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONDBLCLK:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_CAPTURED;
            const int nValue = ValueFromPoint(event.mousePos);
            if (nValue != m_nValue && nValue >= m_nMin && nValue <= m_nMax) {
                m_nValue = nValue;
                Invalidate();
            }
        }
        return;
    case UIEVENT_LBUTTONUP:
        // Only a press this slider took (an enabled one) ends in a value; the manager also
        // delivers releases to disabled controls.
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            const int nValue = ValueFromPoint(event.mousePos);
            if (nValue >= m_nMin && nValue <= m_nMax) m_nValue = nValue;
            if (m_pManager != NULL) {
                // The notifier may close and delete the window, and this slider with it.
                CControlLifeGuard guard(this);
                m_pManager->SendNotify(this, L"valuechanged");
                if (!guard.Alive()) return;
            }
            Invalidate();
            return;
        }
        break;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEWHEEL:
        if (IsEnabled()) {
            const long long next = static_cast<long long>(m_nValue) + (LOWORD(event.wParam) == 0 ? m_nStep : -m_nStep);
            if (LOWORD(event.wParam) <= 1) {
                // A step past the limits is ignored by SetValue; the notification still goes.
                if (next >= m_nMin && next <= m_nMax) SetValue(static_cast<int>(next));
                if (m_pManager != NULL) m_pManager->SendNotify(this, L"valuechanged");
            }
            return;
        }
        break;
    case UIEVENT_MOUSEMOVE: {
        if (m_uButtonState & UISTATE_CAPTURED) {
            const int nValue = ValueFromPoint(event.mousePos);
            const bool bChanged = nValue != m_nValue;
            m_nValue = nValue;
            if (m_bSendMove && m_pManager != NULL) {
                CControlLifeGuard guard(this);
                m_pManager->SendNotify(this, L"movevaluechanged");
                if (!guard.Alive()) return;
            }
            if (bChanged) Invalidate();
        }
        // Repaint only when the hot look changes: a hover would otherwise repaint per move.
        const RECT rcThumb = GetThumbRect();
        const bool bHot = IsEnabled() && ::PtInRect(&rcThumb, event.mousePos);
        if (bHot != ((m_uButtonState & UISTATE_HOT) != 0)) {
            if (bHot)
                m_uButtonState |= UISTATE_HOT;
            else
                m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    }
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(::LoadCursorW(NULL, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled() && (m_uButtonState & UISTATE_HOT)) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CSliderUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (wcscmp(pstrName, L"thumbimage") == 0)
        SetThumbImage(pstrValue);
    else if (wcscmp(pstrName, L"thumbhotimage") == 0)
        SetThumbHotImage(pstrValue);
    else if (wcscmp(pstrName, L"thumbpushedimage") == 0)
        SetThumbPushedImage(pstrValue);
    else if (wcscmp(pstrName, L"thumbsize") == 0)
        SetThumbSize(ParseAttributeSize(pstrValue));
    else if (wcscmp(pstrName, L"step") == 0) {
        LPTSTR pEnd = NULL;
        SetChangeStep(static_cast<int>(wcstol(pstrValue, &pEnd, 10)));
    } else if (wcscmp(pstrName, L"sendmove") == 0)
        SetCanSendMove(wcscmp(pstrValue, L"true") == 0);
    else
        CProgressUI::SetAttribute(pstrName, pstrValue);
}

void CSliderUI::PaintStatusImage(HDC hDC)
{
    CProgressUI::PaintStatusImage(hDC);

    CImageAttribute* pThumb = &m_diThumb;
    if ((m_uButtonState & UISTATE_CAPTURED) && m_diThumbPushed.IsLoadSuccess())
        pThumb = &m_diThumbPushed;
    else if (!(m_uButtonState & UISTATE_CAPTURED) && (m_uButtonState & UISTATE_HOT) && m_diThumbHot.IsLoadSuccess())
        pThumb = &m_diThumbHot;
    if (!pThumb->IsLoadSuccess()) return;
    RECT rcThumb = GetThumbRect();
    ::OffsetRect(&rcThumb, -m_rcItem.left, -m_rcItem.top);
    DrawImage(hDC, *pThumb, rcThumb);
}

} // namespace SkinUI
