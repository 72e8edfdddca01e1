#include <windows.h>
#include <wchar.h>
#include <stdlib.h>
#include "core/ScrollBarUI.h"
#include "core/ContainerUI.h"
#include "core/RenderEngine.h"

namespace SkinUI {

namespace {

const DWORD kOutlineColor = 0xFF85E4FF;

bool IsEmptyRect(const RECT& rc)
{
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

// Each part's state follows the bar's enabled flag before it is painted.
void SetDisabledBit(UINT& uState, bool bEnabled)
{
    if (bEnabled)
        uState &= ~UISTATE_DISABLED;
    else
        uState |= UISTATE_DISABLED;
}

RECT RelativeTo(const RECT& rc, const RECT& rcOrigin)
{
    RECT rcRel = rc;
    ::OffsetRect(&rcRel, -rcOrigin.left, -rcOrigin.top);
    return rcRel;
}

} // namespace

CScrollBarUI::CScrollBarUI()
    : m_bHorizontal(false), m_nRange(100), m_nScrollPos(0), m_nLineSize(8), m_pOwner(NULL), m_nLastScrollPos(0),
      m_nLastScrollOffset(0), m_nScrollRepeatDelay(0), m_bShowButton1(true), m_uButton1State(0), m_bShowButton2(true),
      m_uButton2State(0), m_uThumbState(0)
{
    m_ptLastMouse.x = m_ptLastMouse.y = 0;
    ::SetRectEmpty(&m_rcButton1);
    ::SetRectEmpty(&m_rcButton2);
    ::SetRectEmpty(&m_rcThumb);
    m_cxyFixed.cx = 16;
}

LPCTSTR CScrollBarUI::GetClass() const
{
    return L"ScrollBarUI";
}

LPVOID CScrollBarUI::GetInterface(LPCTSTR pstrName)
{
    if (wcscmp(pstrName, L"ScrollBar") == 0) return static_cast<CScrollBarUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

CContainerUI* CScrollBarUI::GetOwner() const
{
    return m_pOwner;
}

void CScrollBarUI::SetOwner(CContainerUI* pOwner)
{
    m_pOwner = pOwner;
}

void CScrollBarUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled()) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus()
{
    if (m_pOwner != NULL)
        m_pOwner->SetFocus();
    else
        CControlUI::SetFocus();
}

void CScrollBarUI::SetVisible(bool bVisible)
{
    // Owners place their bars themselves: no layout request here.
    if (m_bVisible == bVisible) return;
    m_bVisible = bVisible;
    m_bFocused = false;
}

bool CScrollBarUI::IsHorizontal()
{
    return m_bHorizontal;
}

void CScrollBarUI::SetHorizontal(bool bHorizontal)
{
    if (m_bHorizontal == bHorizontal) return;
    m_bHorizontal = bHorizontal;
    if (m_bHorizontal) {
        if (m_cxyFixed.cy == 0) {
            m_cxyFixed.cx = 0;
            m_cxyFixed.cy = 16;
        }
    } else {
        if (m_cxyFixed.cx == 0) {
            m_cxyFixed.cx = 16;
            m_cxyFixed.cy = 0;
        }
    }
    if (m_pOwner != NULL)
        m_pOwner->NeedUpdate();
    else
        NeedParentUpdate();
}

int CScrollBarUI::GetScrollRange() const
{
    return m_nRange;
}

void CScrollBarUI::SetScrollRange(int nRange)
{
    if (m_nRange == nRange) return;
    m_nRange = nRange < 0 ? 0 : nRange;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    SetPos(m_rcItem);
}

int CScrollBarUI::GetScrollPos() const
{
    return m_nScrollPos;
}

void CScrollBarUI::SetScrollPos(int nPos)
{
    if (m_nScrollPos == nPos) return;
    if (nPos < 0) nPos = 0;
    if (nPos > m_nRange) nPos = m_nRange;
    m_nScrollPos = nPos;
    SetPos(m_rcItem);
}

int CScrollBarUI::GetLineSize() const
{
    return m_nLineSize;
}

void CScrollBarUI::SetLineSize(int nSize)
{
    m_nLineSize = nSize;
}

bool CScrollBarUI::GetShowButton1()
{
    return m_bShowButton1;
}

void CScrollBarUI::SetShowButton1(bool bShow)
{
    m_bShowButton1 = bShow;
    SetPos(m_rcItem);
}

bool CScrollBarUI::GetShowButton2()
{
    return m_bShowButton2;
}

void CScrollBarUI::SetShowButton2(bool bShow)
{
    m_bShowButton2 = bShow;
    SetPos(m_rcItem);
}

const RECT& CScrollBarUI::GetButton1Rect() const
{
    return m_rcButton1;
}

const RECT& CScrollBarUI::GetButton2Rect() const
{
    return m_rcButton2;
}

const RECT& CScrollBarUI::GetThumbRect() const
{
    return m_rcThumb;
}

// ---- images ----

#define SKIN_SCROLLBAR_IMAGE(Name, member)                                                                             \
    LPCTSTR CScrollBarUI::Get##Name()                                                                                  \
    {                                                                                                                  \
        return member.GetAttributeString();                                                                            \
    }                                                                                                                  \
    void CScrollBarUI::Set##Name(LPCTSTR pStrImage)                                                                    \
    {                                                                                                                  \
        member.SetAttributeString(pStrImage);                                                                          \
        Invalidate();                                                                                                  \
    }

SKIN_SCROLLBAR_IMAGE(Button1NormalImage, m_diButton1Normal)
SKIN_SCROLLBAR_IMAGE(Button1HotImage, m_diButton1Hot)
SKIN_SCROLLBAR_IMAGE(Button1PushedImage, m_diButton1Pushed)
SKIN_SCROLLBAR_IMAGE(Button1DisabledImage, m_diButton1Disabled)
SKIN_SCROLLBAR_IMAGE(Button2NormalImage, m_diButton2Normal)
SKIN_SCROLLBAR_IMAGE(Button2HotImage, m_diButton2Hot)
SKIN_SCROLLBAR_IMAGE(Button2PushedImage, m_diButton2Pushed)
SKIN_SCROLLBAR_IMAGE(Button2DisabledImage, m_diButton2Disabled)
SKIN_SCROLLBAR_IMAGE(ThumbNormalImage, m_diThumbNormal)
SKIN_SCROLLBAR_IMAGE(ThumbHotImage, m_diThumbHot)
SKIN_SCROLLBAR_IMAGE(ThumbPushedImage, m_diThumbPushed)
SKIN_SCROLLBAR_IMAGE(ThumbDisabledImage, m_diThumbDisabled)
SKIN_SCROLLBAR_IMAGE(RailNormalImage, m_diRailNormal)
SKIN_SCROLLBAR_IMAGE(RailHotImage, m_diRailHot)
SKIN_SCROLLBAR_IMAGE(RailPushedImage, m_diRailPushed)
SKIN_SCROLLBAR_IMAGE(RailDisabledImage, m_diRailDisabled)
SKIN_SCROLLBAR_IMAGE(BkNormalImage, m_diNormal)
SKIN_SCROLLBAR_IMAGE(BkHotImage, m_diHot)
SKIN_SCROLLBAR_IMAGE(BkPushedImage, m_diPushed)
SKIN_SCROLLBAR_IMAGE(BkDisabledImage, m_diDisabled)

#undef SKIN_SCROLLBAR_IMAGE

// ---- layout ----

void CScrollBarUI::SetPos(RECT rc)
{
    CControlUI::SetPos(rc);
    rc = m_rcItem;

    // The bar is described along its own axis: "start"/"end" are top/bottom for a vertical
    // bar and left/right for a horizontal one; the button size is the fixed thickness.
    const bool bHor = m_bHorizontal;
    const int iStart = bHor ? rc.left : rc.top;
    const int iEnd = bHor ? rc.right : rc.bottom;
    const int iCrossStart = bHor ? rc.top : rc.left;
    const int iLength = iEnd - iStart;
    int cxyButton = bHor ? m_cxyFixed.cy : m_cxyFixed.cx;

    // 1. The track is what the shown buttons leave.
    int iTrack = iLength;
    if (m_bShowButton1) iTrack -= cxyButton;
    if (m_bShowButton2) iTrack -= cxyButton;

    auto makeRect = [bHor, iCrossStart](int a0, int a1, int cross) {
        RECT r;
        if (bHor) {
            r.left = a0;
            r.right = a1;
            r.top = iCrossStart;
            r.bottom = iCrossStart + cross;
        } else {
            r.top = a0;
            r.bottom = a1;
            r.left = iCrossStart;
            r.right = iCrossStart + cross;
        }
        return r;
    };

    // 2. Too short for a thumb: the buttons share the length and there is no thumb.
    const int cxyThickness = cxyButton;
    const bool bRoom = cxyButton < iTrack;
    if (!bRoom) cxyButton = (iLength / 2 < cxyButton) ? iLength / 2 : cxyButton;

    // 3. The buttons at the two ends (empty rectangles in the corners when hidden).
    m_rcButton1 = m_bShowButton1 ? makeRect(iStart, iStart + cxyButton, cxyThickness) : makeRect(iStart, iStart, 0);
    m_rcButton2 = m_bShowButton2 ? makeRect(iEnd - cxyButton, iEnd, cxyThickness) : makeRect(iEnd, iEnd, 0);
    if (!bRoom) {
        ::SetRectEmpty(&m_rcThumb);
        return;
    }

    // 4. The thumb in proportion to the visible share, positioned with 64-bit products so
    //    large ranges do not overflow.
    const int iTrackStart = bHor ? m_rcButton1.right : m_rcButton1.bottom;
    const int iTrackEnd = bHor ? m_rcButton2.left : m_rcButton2.top;
    if (m_nRange <= 0) {
        m_rcThumb = makeRect(iTrackStart, iTrackEnd, cxyThickness);
        return;
    }
    LONGLONG llThumb = static_cast<LONGLONG>(iLength) * iTrack / (static_cast<LONGLONG>(iLength) + m_nRange);
    const int iThumb = static_cast<int>(llThumb > cxyButton ? llThumb : cxyButton);
    int iThumbStart = static_cast<int>(static_cast<LONGLONG>(iTrack - iThumb) * m_nScrollPos / m_nRange) + iTrackStart;
    if (iThumbStart + iThumb > iTrackEnd) iThumbStart = iTrackEnd - iThumb;
    m_rcThumb = makeRect(iThumbStart, iThumbStart + iThumb, cxyThickness);
}

int CScrollBarUI::GetTrackLength() const
{
    return m_bHorizontal ? m_rcButton2.left - m_rcButton1.right : m_rcButton2.top - m_rcButton1.bottom;
}

// ---- steps ----

void CScrollBarUI::StepLineBack()
{
    if (m_pOwner == NULL)
        SetScrollPos(m_nScrollPos - m_nLineSize);
    else if (m_bHorizontal)
        m_pOwner->LineLeft();
    else
        m_pOwner->LineUp();
}

void CScrollBarUI::StepLineForward()
{
    if (m_pOwner == NULL)
        SetScrollPos(m_nScrollPos + m_nLineSize);
    else if (m_bHorizontal)
        m_pOwner->LineRight();
    else
        m_pOwner->LineDown();
}

void CScrollBarUI::StepPageBack()
{
    if (m_pOwner == NULL)
        SetScrollPos(m_nScrollPos - (m_bHorizontal ? GetWidth() : GetHeight()));
    else if (m_bHorizontal)
        m_pOwner->PageLeft();
    else
        m_pOwner->PageUp();
}

void CScrollBarUI::StepPageForward()
{
    if (m_pOwner == NULL)
        SetScrollPos(m_nScrollPos + (m_bHorizontal ? GetWidth() : GetHeight()));
    else if (m_bHorizontal)
        m_pOwner->PageRight();
    else
        m_pOwner->PageDown();
}

void CScrollBarUI::NotifyScroll()
{
    // Sent on every step, also when the position could not move.
    if (m_pManager != NULL && m_pOwner == NULL) m_pManager->SendNotify(this, L"scroll");
}

// ---- input ----

void CScrollBarUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.type >= UIEVENT__MOUSEBEGIN && event.type <= UIEVENT__MOUSEEND) {
        if (m_pOwner != NULL)
            m_pOwner->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }

    switch (event.type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
    case UIEVENT_CONTEXTMENU:
        return;

    case UIEVENT_LBUTTONDOWN:
    case UIEVENT_LBUTTONDBLCLK: {
        if (!IsEnabled()) return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager != NULL) m_pManager->SetTimer(this, kTimerId, kTimerPeriod);
        const POINT pt = event.mousePos;
        if (::PtInRect(&m_rcButton1, pt)) {
            m_uButton1State |= UISTATE_PUSHED;
            StepLineBack();
        } else if (::PtInRect(&m_rcButton2, pt)) {
            m_uButton2State |= UISTATE_PUSHED;
            StepLineForward();
        } else if (::PtInRect(&m_rcThumb, pt)) {
            m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
            m_ptLastMouse = pt;
            m_nLastScrollPos = m_nScrollPos;
        } else if (m_bHorizontal ? pt.x < m_rcThumb.left : pt.y < m_rcThumb.top) {
            StepPageBack();
        } else {
            StepPageForward();
        }
        NotifyScroll();
        return;
    }

    case UIEVENT_LBUTTONUP:
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        if (m_pManager != NULL) m_pManager->KillTimer(this, kTimerId);
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
            Invalidate();
        } else if ((m_uButton1State & UISTATE_PUSHED) != 0) {
            m_uButton1State &= ~UISTATE_PUSHED;
            Invalidate();
        } else if ((m_uButton2State & UISTATE_PUSHED) != 0) {
            m_uButton2State &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;

    case UIEVENT_MOUSEMOVE:
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            // Scaled by the track the layout left beside the thumb (hidden buttons take
            // none); the position itself changes on the next tick.
            const int iFree = GetTrackLength() -
                              (m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top);
            if (iFree <= 0) return;
            const int iTravel = m_bHorizontal ? event.mousePos.x - m_ptLastMouse.x : event.mousePos.y - m_ptLastMouse.y;
            m_nLastScrollOffset = static_cast<int>(static_cast<LONGLONG>(iTravel) * m_nRange / iFree);
        } else {
            const bool bInThumb = ::PtInRect(&m_rcThumb, event.mousePos) != FALSE;
            if ((m_uThumbState & UISTATE_HOT) != 0) {
                if (!bInThumb) {
                    m_uThumbState &= ~UISTATE_HOT;
                    Invalidate();
                }
            } else if (IsEnabled() && bInThumb) {
                m_uThumbState |= UISTATE_HOT;
                Invalidate();
            }
        }
        return;

    case UIEVENT_TIMER:
        if (event.wParam != kTimerId) break;
        ++m_nScrollRepeatDelay;
        if ((m_uThumbState & UISTATE_CAPTURED) != 0) {
            const int iPos = m_nLastScrollPos + m_nLastScrollOffset;
            if (m_pOwner != NULL) {
                SIZE sz = m_pOwner->GetScrollPos();
                if (m_bHorizontal)
                    sz.cx = iPos;
                else
                    sz.cy = iPos;
                m_pOwner->SetScrollPos(sz);
            } else {
                SetScrollPos(iPos);
            }
            Invalidate();
        } else {
            // Auto-repeat starts on the sixth tick, about 300 ms after the press.
            if (m_nScrollRepeatDelay <= kRepeatDelayTicks) return;
            if ((m_uButton1State & UISTATE_PUSHED) != 0) {
                StepLineBack();
            } else if ((m_uButton2State & UISTATE_PUSHED) != 0) {
                StepLineForward();
            } else if (m_pManager != NULL) {
                POINT pt = { 0, 0 };
                ::GetCursorPos(&pt);
                ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
                if (m_bHorizontal ? pt.x < m_rcThumb.left : pt.y < m_rcThumb.top)
                    StepPageBack();
                else if (m_bHorizontal ? pt.x >= m_rcThumb.right : pt.y >= m_rcThumb.bottom)
                    StepPageForward();
            }
        }
        NotifyScroll();
        return;

    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButton1State |= UISTATE_HOT;
            m_uButton2State |= UISTATE_HOT;
            if (::PtInRect(&m_rcThumb, event.mousePos)) m_uThumbState |= UISTATE_HOT;
            Invalidate();
        }
        return;

    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButton1State &= ~UISTATE_HOT;
            m_uButton2State &= ~UISTATE_HOT;
            m_uThumbState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;

    default:
        break;
    }

    if (m_pOwner != NULL)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

// ---- attributes ----

void CScrollBarUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    struct ImageSetter {
        LPCTSTR name;
        void (CScrollBarUI::*set)(LPCTSTR);
    };
    static const ImageSetter kImages[] = {
        { L"button1normalimage", &CScrollBarUI::SetButton1NormalImage },
        { L"button1hotimage", &CScrollBarUI::SetButton1HotImage },
        { L"button1pushedimage", &CScrollBarUI::SetButton1PushedImage },
        { L"button1disabledimage", &CScrollBarUI::SetButton1DisabledImage },
        { L"button2normalimage", &CScrollBarUI::SetButton2NormalImage },
        { L"button2hotimage", &CScrollBarUI::SetButton2HotImage },
        { L"button2pushedimage", &CScrollBarUI::SetButton2PushedImage },
        { L"button2disabledimage", &CScrollBarUI::SetButton2DisabledImage },
        { L"thumbnormalimage", &CScrollBarUI::SetThumbNormalImage },
        { L"thumbhotimage", &CScrollBarUI::SetThumbHotImage },
        { L"thumbpushedimage", &CScrollBarUI::SetThumbPushedImage },
        { L"thumbdisabledimage", &CScrollBarUI::SetThumbDisabledImage },
        { L"railnormalimage", &CScrollBarUI::SetRailNormalImage },
        { L"railhotimage", &CScrollBarUI::SetRailHotImage },
        { L"railpushedimage", &CScrollBarUI::SetRailPushedImage },
        { L"raildisabledimage", &CScrollBarUI::SetRailDisabledImage },
        { L"bknormalimage", &CScrollBarUI::SetBkNormalImage },
        { L"bkhotimage", &CScrollBarUI::SetBkHotImage },
        { L"bkpushedimage", &CScrollBarUI::SetBkPushedImage },
        { L"bkdisabledimage", &CScrollBarUI::SetBkDisabledImage },
    };
    for (const ImageSetter& image : kImages) {
        if (wcscmp(pstrName, image.name) == 0) {
            (this->*image.set)(pstrValue);
            return;
        }
    }
    if (wcscmp(pstrName, L"hor") == 0)
        SetHorizontal(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"linesize") == 0)
        SetLineSize(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"range") == 0)
        SetScrollRange(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"value") == 0)
        SetScrollPos(_wtoi(pstrValue));
    else if (wcscmp(pstrName, L"showbutton1") == 0)
        SetShowButton1(wcscmp(pstrValue, L"true") == 0);
    else if (wcscmp(pstrName, L"showbutton2") == 0)
        SetShowButton2(wcscmp(pstrValue, L"true") == 0);
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

// ---- painting ----

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    PaintBk(hDC);
    PaintButton1(hDC);
    PaintButton2(hDC);
    PaintThumb(hDC);
    PaintRail(hDC);
}

bool CScrollBarUI::PaintPart(HDC hDC, const RECT& rcPart, UINT uState, CImageAttribute& normal, CImageAttribute& hot,
                             CImageAttribute& pushed, CImageAttribute& disabled)
{
    const RECT rcDest = RelativeTo(rcPart, m_rcItem);
    if ((uState & UISTATE_DISABLED) != 0) {
        if (DrawImage(hDC, disabled, rcDest)) return true;
    } else if ((uState & UISTATE_PUSHED) != 0) {
        if (DrawImage(hDC, pushed, rcDest)) return true;
    } else if ((uState & UISTATE_HOT) != 0) {
        if (DrawImage(hDC, hot, rcDest)) return true;
    }
    return DrawImage(hDC, normal, rcDest);
}

void CScrollBarUI::PaintBk(HDC hDC)
{
    SetDisabledBit(m_uThumbState, IsEnabled());
    if ((m_uThumbState & UISTATE_DISABLED) != 0) {
        if (DrawImage(hDC, m_diDisabled)) return;
    } else if ((m_uThumbState & UISTATE_PUSHED) != 0) {
        if (DrawImage(hDC, m_diPushed)) return;
    } else if ((m_uThumbState & UISTATE_HOT) != 0) {
        if (DrawImage(hDC, m_diHot)) return;
    }
    DrawImage(hDC, m_diNormal);
}

void CScrollBarUI::PaintButton1(HDC hDC)
{
    if (!m_bShowButton1) return;
    SetDisabledBit(m_uButton1State, IsEnabled());
    if (!PaintPart(hDC, m_rcButton1, m_uButton1State, m_diButton1Normal, m_diButton1Hot, m_diButton1Pushed,
                   m_diButton1Disabled))
        CRenderEngine::DrawRect(hDC, m_rcButton1, 2, kOutlineColor);
}

void CScrollBarUI::PaintButton2(HDC hDC)
{
    if (!m_bShowButton2) return;
    SetDisabledBit(m_uButton2State, IsEnabled());
    if (!PaintPart(hDC, m_rcButton2, m_uButton2State, m_diButton2Normal, m_diButton2Hot, m_diButton2Pushed,
                   m_diButton2Disabled))
        CRenderEngine::DrawRect(hDC, m_rcButton2, 2, kOutlineColor);
}

void CScrollBarUI::PaintThumb(HDC hDC)
{
    if (IsEmptyRect(m_rcThumb)) return;
    SetDisabledBit(m_uThumbState, IsEnabled());
    if (!PaintPart(hDC, m_rcThumb, m_uThumbState, m_diThumbNormal, m_diThumbHot, m_diThumbPushed, m_diThumbDisabled))
        CRenderEngine::DrawRect(hDC, m_rcThumb, 2, kOutlineColor);
}

void CScrollBarUI::PaintRail(HDC hDC)
{
    if (IsEmptyRect(m_rcThumb)) return;
    SetDisabledBit(m_uThumbState, IsEnabled());
    // A square of the button size in the middle of the thumb.
    RECT rcRail = m_rcThumb;
    if (m_bHorizontal) {
        const int cx = m_cxyFixed.cy;
        rcRail.left = (m_rcThumb.left + m_rcThumb.right) / 2 - cx / 2;
        rcRail.right = rcRail.left + cx;
    } else {
        const int cy = m_cxyFixed.cx;
        rcRail.top = (m_rcThumb.top + m_rcThumb.bottom) / 2 - cy / 2;
        rcRail.bottom = rcRail.top + cy;
    }
    PaintPart(hDC, rcRail, m_uThumbState, m_diRailNormal, m_diRailHot, m_diRailPushed, m_diRailDisabled);
}

} // namespace SkinUI
