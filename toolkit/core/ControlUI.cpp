#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "core/ControlUI.h"
#include "core/RenderEngine.h"
#include "core/RenderClip.h"
#include "core/AttributeValue.h"

namespace SkinUI {

namespace {

int ParseInt(LPCTSTR pstrValue)
{
    LPTSTR pEnd = NULL;
    return static_cast<int>(wcstol(pstrValue, &pEnd, 10));
}

bool ParseBool(LPCTSTR pstrValue)
{
    return wcscmp(pstrValue, L"true") == 0;
}

// Repaints rc as far as pParent and its ancestors show it.
void InvalidateShown(CPaintManagerUI* pManager, CControlUI* pParent, RECT rc)
{
    for (; pParent != NULL; pParent = pParent->GetParent()) {
        const RECT rcTemp = rc;
        if (!::IntersectRect(&rc, &rcTemp, &pParent->GetPos())) return;
    }
    pManager->Invalidate(rc);
}

} // namespace

CControlUI::CControlUI()
    : m_pManager(NULL), m_pParent(NULL), m_bUpdateNeeded(true), m_bMenuUsed(false), m_bVisible(true),
      m_bInternVisible(true), m_bEnabled(true), m_bMouseEnabled(true), m_bKeyboardEnabled(true), m_bFocused(false),
      m_bFloat(false), m_bSetPos(false), m_chShortcut(L'\0'), m_pTag(0), m_dwBackColor(0), m_dwBackColor2(0),
      m_dwBackColor3(0), m_dwBorderColor(0), m_dwFocusBorderColor(0), m_bColorHSL(false), m_nBorderSize(0),
      m_nBorderStyle(0), m_nTooltipWidth(300)
{
    ::SetRectEmpty(&m_rcItem);
    ::SetRectEmpty(&m_rcPadding);
    m_cXY.cx = m_cXY.cy = 0;
    m_cxyFixed.cx = m_cxyFixed.cy = 0;
    m_cxyMin.cx = m_cxyMin.cy = 0;
    m_cxyMax.cx = m_cxyMax.cy = 9999;
    ::ZeroMemory(&m_tRelativePos, sizeof(m_tRelativePos));
    m_cxyBorderRound.cx = m_cxyBorderRound.cy = 0;
    ::SetRectEmpty(&m_rcPaint);
    ::SetRectEmpty(&m_rcBorderSize);
}

CControlUI::~CControlUI()
{
    if (destroyHandlers) destroyHandlers(this);
    // Every manager of this thread, not only the current one: a manager keeps what it was
    // given while the control had it (the builder clears the manager after configuring).
    CPaintManagerUI::ReapEverywhere(this, m_pManager);
    CControlLifeGuard::ControlGone(this);
}

// ---- life guards ----

namespace {

// The innermost guard of this thread; each guard links to the one made before it.
thread_local CControlLifeGuard* t_pInnermostGuard = NULL;

} // namespace

CControlLifeGuard::CControlLifeGuard(const CControlUI* pControl)
    : m_pControl(pControl), m_pOuter(t_pInnermostGuard)
{
    t_pInnermostGuard = this;
}

CControlLifeGuard::~CControlLifeGuard()
{
    t_pInnermostGuard = m_pOuter;
}

void CControlLifeGuard::ControlGone(const CControlUI* pControl)
{
    for (CControlLifeGuard* p = t_pInnermostGuard; p != NULL; p = p->m_pOuter) {
        if (p->m_pControl == pControl) p->m_pControl = NULL;
    }
}

// ---- identity ----

CSkinString CControlUI::GetName() const
{
    return m_sName;
}
void CControlUI::SetName(LPCTSTR pstrName)
{
    m_sName = pstrName;
}
LPCTSTR CControlUI::GetClass() const
{
    return L"ControlUI";
}

LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != NULL && wcscmp(pstrName, L"Control") == 0) return this;
    return NULL;
}

UINT CControlUI::GetControlFlags() const
{
    return 0;
}
bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}
CPaintManagerUI* CControlUI::GetManager() const
{
    return m_pManager;
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    // A virtual-window name given before the manager arrived is announced now.
    if (m_pManager != NULL && !m_sVirtualWnd.IsEmpty()) m_pManager->UsedVirtualWnd(true);
    if (bInit && m_pParent != NULL) Init();
}

CControlUI* CControlUI::GetParent() const
{
    return m_pParent;
}
CSkinString CControlUI::GetText() const
{
    return m_sText;
}

void CControlUI::SetText(LPCTSTR pstrText)
{
    LPCTSTR pstrNew = pstrText != NULL ? pstrText : L"";
    if (m_sText == pstrNew) return;
    m_sText = pstrNew;
    Invalidate();
}

// ---- geometry ----

const RECT& CControlUI::GetPos() const
{
    return m_rcItem;
}

void CControlUI::SetPos(RECT rc)
{
    // 1. Normalise an inverted rectangle.
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    // 2. The old place needs repainting too; a first placement has none.
    RECT rcInvalidate = m_rcItem;
    if (::IsRectEmpty(&rcInvalidate)) rcInvalidate = rc;
    // 3. Store.
    m_rcItem = rc;
    if (m_pManager == NULL) return;
    // 4. Tell the size handlers, once even when one of them moves the control again.
    if (!m_bSetPos && sizeHandlers) {
        // A handler may delete the control (or close the window with it).
        CControlLifeGuard self(this);
        m_bSetPos = true;
        sizeHandlers(this);
        if (!self.Alive()) return;
        m_bSetPos = false;
    }
    // 5. A floating control keeps its anchoring when moved by code. Direct stores: the
    //    setters would request another layout from inside this one.
    if (m_bFloat && m_pParent != NULL) {
        const RECT& rcParent = m_pParent->GetPos();
        m_cXY.cx = m_cXY.cx < 0 ? m_rcItem.right - rcParent.right : m_rcItem.left - rcParent.left;
        m_cXY.cy = m_cXY.cy < 0 ? m_rcItem.bottom - rcParent.bottom : m_rcItem.top - rcParent.top;
        m_cxyFixed.cx = m_rcItem.right - m_rcItem.left;
        m_cxyFixed.cy = m_rcItem.bottom - m_rcItem.top;
    }
    // 6. Placed; repaint the old and new places as far as the ancestors show them, each
    //    on its own: the span between them (all of a list when a row jumps far on a
    //    scroll) is no place of this control.
    m_bUpdateNeeded = false;
    InvalidateShown(m_pManager, GetParent(), rcInvalidate);
    if (!::EqualRect(&rcInvalidate, &m_rcItem)) InvalidateShown(m_pManager, GetParent(), m_rcItem);
}

int CControlUI::GetWidth() const
{
    return m_rcItem.right - m_rcItem.left;
}
int CControlUI::GetHeight() const
{
    return m_rcItem.bottom - m_rcItem.top;
}
int CControlUI::GetX() const
{
    return m_rcItem.left;
}
int CControlUI::GetY() const
{
    return m_rcItem.top;
}
RECT CControlUI::GetPadding() const
{
    return m_rcPadding;
}

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const
{
    return m_cXY;
}

void CControlUI::UpdateAfterGeometryChange()
{
    if (m_bFloat)
        NeedUpdate();
    else
        NeedParentUpdate();
}

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY = szXY;
    m_tRelativePos.parentSize.cx = m_tRelativePos.parentSize.cy = 0;
    UpdateAfterGeometryChange();
}

int CControlUI::GetFixedWidth() const
{
    return m_cxyFixed.cx;
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    m_tRelativePos.parentSize.cx = m_tRelativePos.parentSize.cy = 0;
    UpdateAfterGeometryChange();
}

int CControlUI::GetFixedHeight() const
{
    return m_cxyFixed.cy;
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    m_tRelativePos.parentSize.cx = m_tRelativePos.parentSize.cy = 0;
    UpdateAfterGeometryChange();
}

int CControlUI::GetMinWidth() const
{
    return m_cxyMin.cx;
}

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || m_cxyMin.cx == cx) return;
    m_cxyMin.cx = cx;
    UpdateAfterGeometryChange();
}

int CControlUI::GetMaxWidth() const
{
    return m_cxyMax.cx;
}

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || m_cxyMax.cx == cx) return;
    m_cxyMax.cx = cx;
    UpdateAfterGeometryChange();
}

int CControlUI::GetMinHeight() const
{
    return m_cxyMin.cy;
}

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || m_cxyMin.cy == cy) return;
    m_cxyMin.cy = cy;
    UpdateAfterGeometryChange();
}

int CControlUI::GetMaxHeight() const
{
    return m_cxyMax.cy;
}

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || m_cxyMax.cy == cy) return;
    m_cxyMax.cy = cy;
    UpdateAfterGeometryChange();
}

void CControlUI::SetRelativePos(SIZE szMove, SIZE szZoom)
{
    m_tRelativePos.relative = true;
    m_tRelativePos.moveXPercent = szMove.cx;
    m_tRelativePos.moveYPercent = szMove.cy;
    m_tRelativePos.zoomXPercent = szZoom.cx;
    m_tRelativePos.zoomYPercent = szZoom.cy;
    m_tRelativePos.parentSize.cx = m_tRelativePos.parentSize.cy = 0;
}

void CControlUI::SetRelativeParentSize(SIZE sz)
{
    m_tRelativePos.parentSize = sz;
}
TRelativePosUI CControlUI::GetRelativePos() const
{
    return m_tRelativePos;
}
bool CControlUI::IsRelativePos() const
{
    return m_tRelativePos.relative;
}

// ---- texts and plain values ----

CSkinString CControlUI::GetToolTip() const
{
    return m_sToolTip;
}

void CControlUI::SetToolTip(LPCTSTR pstrText)
{
    CSkinString sText(pstrText != NULL ? pstrText : L"");
    sText.Replace(L"<n>", L"\r\n");
    m_sToolTip = sText;
}

void CControlUI::SetToolTipWidth(int nWidth)
{
    m_nTooltipWidth = nWidth;
}
int CControlUI::GetToolTipWidth()
{
    return m_nTooltipWidth;
}
TCHAR CControlUI::GetShortcut() const
{
    return m_chShortcut;
}
void CControlUI::SetShortcut(TCHAR ch)
{
    m_chShortcut = ch;
}
bool CControlUI::IsContextMenuUsed() const
{
    return m_bMenuUsed;
}
void CControlUI::SetContextMenuUsed(bool bMenuUsed)
{
    m_bMenuUsed = bMenuUsed;
}
const CSkinString& CControlUI::GetUserData()
{
    return m_sUserData;
}
void CControlUI::SetUserData(LPCTSTR pstrText)
{
    m_sUserData = pstrText;
}
UINT_PTR CControlUI::GetTag() const
{
    return m_pTag;
}
void CControlUI::SetTag(UINT_PTR pTag)
{
    m_pTag = pTag;
}

// ---- visibility, enabled state, focus ----

bool CControlUI::IsVisible() const
{
    return m_bVisible && m_bInternVisible;
}

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    const bool bWasVisible = IsVisible();
    m_bVisible = bVisible;
    m_bFocused = false;
    if (!bVisible) DropFocusWhenHidden();
    if (IsVisible() != bWasVisible) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
    if (!bVisible) DropFocusWhenHidden();
}

void CControlUI::DropFocusWhenHidden()
{
    // Hiding runs inside loops over the tree (a container's children, a tree's collapse, a
    // list's header): it calls out of the toolkit nowhere, and the control hears of the loss
    // after the current message.
    if (m_pManager == NULL || m_pManager->GetFocus() != this) return;
    m_bFocused = false;
    m_pManager->DropFocusOnHide(this);
}

bool CControlUI::IsEnabled() const
{
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool bEnable)
{
    if (m_bEnabled == bEnable) return;
    m_bEnabled = bEnable;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const
{
    return m_bMouseEnabled;
}
void CControlUI::SetMouseEnabled(bool bEnable)
{
    m_bMouseEnabled = bEnable;
}
bool CControlUI::IsKeyboardEnabled() const
{
    return m_bKeyboardEnabled;
}
void CControlUI::SetKeyboardEnabled(bool bEnable)
{
    m_bKeyboardEnabled = bEnable;
}
bool CControlUI::IsFocused() const
{
    return m_bFocused;
}

void CControlUI::SetFocus()
{
    if (m_pManager != NULL) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const
{
    return m_bFloat;
}

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

// ---- search, life cycle, events ----

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return NULL;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return NULL;
    if ((uFlags & UIFIND_HITTEST) != 0) {
        if (!m_bMouseEnabled) return NULL;
        const POINT* pPoint = static_cast<const POINT*>(pData);
        if (!::PtInRect(&m_rcItem, *pPoint)) return NULL;
    }
    return Proc(this, pData);
}

void CControlUI::Init()
{
    DoInit();
    if (initHandlers) initHandlers(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TEventUI& event)
{
    // A handler may delete the control and still agree: the event then ends with it.
    CControlLifeGuard self(this);
    if (eventHandlers(&event) && self.Alive()) DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(NULL, IDC_ARROW));
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (m_pManager != NULL) m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed()) {
            if (m_pManager != NULL) m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_pParent != NULL) m_pParent->DoEvent(event);
}

// ---- attributes ----

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == NULL || pstrValue == NULL) return;
    if (wcscmp(pstrName, L"bkimage") == 0)
        SetBkImage(pstrValue);
    else if (wcscmp(pstrName, L"normalimage") == 0)
        SetNormalImage(pstrValue);
    else if (wcscmp(pstrName, L"hotimage") == 0)
        SetHotImage(pstrValue);
    else if (wcscmp(pstrName, L"pushedimage") == 0)
        SetPushedImage(pstrValue);
    else if (wcscmp(pstrName, L"focusedimage") == 0)
        SetFocusedImage(pstrValue);
    else if (wcscmp(pstrName, L"disabledimage") == 0)
        SetDisabledImage(pstrValue);
    else if (wcscmp(pstrName, L"foreimage") == 0)
        SetForeImage(pstrValue);
    else if (wcscmp(pstrName, L"pos") == 0) {
        const RECT rc = ParseAttributeRect(pstrValue);
        SIZE szXY = { rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom };
        SetFixedXY(szXY);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (wcscmp(pstrName, L"relativepos") == 0) {
        const RECT rc = ParseAttributeRect(pstrValue);
        SIZE szMove = { rc.left, rc.top };
        SIZE szZoom = { rc.right, rc.bottom };
        SetRelativePos(szMove, szZoom);
    } else if (wcscmp(pstrName, L"padding") == 0)
        SetPadding(ParseAttributeRect(pstrValue));
    else if (wcscmp(pstrName, L"bkcolor") == 0 || wcscmp(pstrName, L"bkcolor1") == 0)
        SetBkColor(ParseAttributeColor(pstrValue, true));
    else if (wcscmp(pstrName, L"bkcolor2") == 0)
        SetBkColor2(ParseAttributeColor(pstrValue, true));
    else if (wcscmp(pstrName, L"bkcolor3") == 0)
        SetBkColor3(ParseAttributeColor(pstrValue, true));
    else if (wcscmp(pstrName, L"bordercolor") == 0)
        SetBorderColor(ParseAttributeColor(pstrValue, false));
    else if (wcscmp(pstrName, L"focusbordercolor") == 0)
        SetFocusBorderColor(ParseAttributeColor(pstrValue, false));
    else if (wcscmp(pstrName, L"colorhsl") == 0)
        SetColorHSL(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"bordersize") == 0) {
        if (wcschr(pstrValue, L',') == NULL) {
            SetBorderSize(ParseInt(pstrValue));
            RECT rcNone = { 0, 0, 0, 0 };
            SetBorderSize(rcNone);
        } else {
            SetBorderSize(ParseAttributeRect(pstrValue));
        }
    } else if (wcscmp(pstrName, L"leftbordersize") == 0)
        SetLeftBorderSize(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"topbordersize") == 0)
        SetTopBorderSize(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"rightbordersize") == 0)
        SetRightBorderSize(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"bottombordersize") == 0)
        SetBottomBorderSize(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"borderstyle") == 0)
        SetBorderStyle(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"borderround") == 0) {
        SetBorderRound(ParseAttributeSize(pstrValue));
    } else if (wcscmp(pstrName, L"width") == 0)
        SetFixedWidth(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"height") == 0)
        SetFixedHeight(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"minwidth") == 0)
        SetMinWidth(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"minheight") == 0)
        SetMinHeight(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"maxwidth") == 0)
        SetMaxWidth(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"maxheight") == 0)
        SetMaxHeight(ParseInt(pstrValue));
    else if (wcscmp(pstrName, L"name") == 0)
        SetName(pstrValue);
    else if (wcscmp(pstrName, L"text") == 0)
        SetText(pstrValue);
    else if (wcscmp(pstrName, L"tooltip") == 0)
        SetToolTip(pstrValue);
    else if (wcscmp(pstrName, L"userdata") == 0)
        SetUserData(pstrValue);
    else if (wcscmp(pstrName, L"enabled") == 0)
        SetEnabled(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"mouse") == 0)
        SetMouseEnabled(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"keyboard") == 0)
        SetKeyboardEnabled(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"visible") == 0)
        SetVisible(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"float") == 0)
        SetFloat(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"shortcut") == 0)
        SetShortcut(pstrValue[0]);
    else if (wcscmp(pstrName, L"menu") == 0)
        SetContextMenuUsed(ParseBool(pstrValue));
    else if (wcscmp(pstrName, L"virtualwnd") == 0)
        SetVirtualWnd(pstrValue);
}

CControlUI* CControlUI::ApplyAttributeList(LPCTSTR pstrList)
{
    if (pstrList == NULL) return this;
    LPCTSTR p = pstrList;
    while (*p != L'\0') {
        LPCTSTR pNameStart = p;
        while (*p != L'\0' && *p != L'=') p++;
        if (*p != L'=') break;
        const CSkinString sName(pNameStart, static_cast<int>(p - pNameStart));
        p++;
        if (*p != L'"') break;
        p++;
        LPCTSTR pValueStart = p;
        while (*p != L'\0' && *p != L'"') p++;
        // A value without its closing quote is cut short: it is not applied.
        if (*p != L'"') break;
        const CSkinString sValue(pValueStart, static_cast<int>(p - pValueStart));
        SetAttribute(sName, sValue);
        p++;
        if (*p != L' ') break;
        p++;
    }
    return this;
}

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/)
{
    return m_cxyFixed;
}

// ---- painting ----

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CRenderClip roundClip;
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, roundClip);
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    } else {
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
    }
}

void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_dwBackColor == 0) return;
    if (m_dwBackColor2 == 0) {
        // An opaque colour covers the paint rectangle; a translucent one must be blended
        // over the whole item, or partial repaints would show the seams.
        if (m_dwBackColor >= 0xFF000000)
            CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwBackColor));
        else
            CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwBackColor));
        return;
    }
    if (m_dwBackColor3 != 0) {
        RECT rc = m_rcItem;
        rc.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2), true, 8);
        rc.top = rc.bottom;
        rc.bottom = m_rcItem.bottom;
        CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor2), GetAdjustColor(m_dwBackColor3), true, 8);
        return;
    }
    CRenderEngine::DrawGradient(hDC, m_rcItem, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2), true, 16);
}

void CControlUI::PaintBkImage(HDC hDC)
{
    DrawImage(hDC, m_diBk);
}
void CControlUI::PaintStatusImage(HDC /*hDC*/) {}
void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    if (m_nBorderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        const DWORD dwColor = IsFocused() && m_dwFocusBorderColor != 0 ? m_dwFocusBorderColor : m_dwBorderColor;
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, m_nBorderSize, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                     GetAdjustColor(dwColor));
        return;
    }
    if (IsFocused() && m_dwFocusBorderColor != 0 && m_nBorderSize > 0) {
        CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, GetAdjustColor(m_dwFocusBorderColor));
        return;
    }
    if (m_rcBorderSize.left <= 0 && m_rcBorderSize.top <= 0 && m_rcBorderSize.right <= 0 &&
        m_rcBorderSize.bottom <= 0) {
        if (m_nBorderSize > 0) CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, GetAdjustColor(m_dwBorderColor));
        return;
    }
    // Styles 0-4 are the solid, dash, dot, dash-dot and dash-dot-dot lines; a custom dash
    // would need a pattern nobody gives, so every other value draws solid.
    const int nStyle = m_nBorderStyle >= 0 && m_nBorderStyle <= 4 ? m_nBorderStyle : 0;
    const DWORD dwColor = GetAdjustColor(m_dwBorderColor);
    const RECT& rc = m_rcItem;
    if (m_rcBorderSize.left > 0) {
        RECT rcLine = { rc.left, rc.top, rc.left, rc.bottom };
        CRenderEngine::DrawLine(hDC, rcLine, m_rcBorderSize.left, dwColor, nStyle);
    }
    if (m_rcBorderSize.top > 0) {
        RECT rcLine = { rc.left, rc.top, rc.right, rc.top };
        CRenderEngine::DrawLine(hDC, rcLine, m_rcBorderSize.top, dwColor, nStyle);
    }
    if (m_rcBorderSize.right > 0) {
        RECT rcLine = { rc.right, rc.top, rc.right, rc.bottom };
        CRenderEngine::DrawLine(hDC, rcLine, m_rcBorderSize.right, dwColor, nStyle);
    }
    if (m_rcBorderSize.bottom > 0) {
        RECT rcLine = { rc.left, rc.bottom, rc.right, rc.bottom };
        CRenderEngine::DrawLine(hDC, rcLine, m_rcBorderSize.bottom, dwColor, nStyle);
    }
}

void CControlUI::DoPostPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

// ---- layout and repaint requests ----

bool CControlUI::IsUpdateNeeded() const
{
    return m_bUpdateNeeded;
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    if (m_pManager == NULL) return;
    Invalidate();
    m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (GetParent() != NULL) {
        GetParent()->NeedUpdate();
        GetParent()->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager != NULL) m_pManager->NeedUpdate();
}

void CControlUI::Invalidate()
{
    if (!IsVisible() || m_pManager == NULL) return;
    // Only the part that every ancestor shows needs painting again.
    RECT rcInvalidate = m_rcItem;
    for (CControlUI* pParent = GetParent(); pParent != NULL; pParent = pParent->GetParent()) {
        RECT rcTemp = rcInvalidate;
        const RECT& rcParent = pParent->GetPos();
        if (!::IntersectRect(&rcInvalidate, &rcTemp, &rcParent)) return;
    }
    m_pManager->Invalidate(rcInvalidate);
}

void CControlUI::SetVirtualWnd(LPCTSTR pstrValue)
{
    m_sVirtualWnd = pstrValue;
    if (m_pManager != NULL) m_pManager->UsedVirtualWnd(true);
}

CSkinString CControlUI::GetVirtualWnd() const
{
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    CControlUI* pParent = GetParent();
    if (pParent != NULL) return pParent->GetVirtualWnd();
    return CSkinString();
}

// ---- colours ----

DWORD CControlUI::GetAdjustColor(DWORD dwColor)
{
    if (!m_bColorHSL) return dwColor;
    short H = 0, S = 0, L = 0;
    CPaintManagerUI::GetHSL(&H, &S, &L);
    return CRenderEngine::AdjustColor(dwColor, H, S, L);
}

bool CControlUI::IsColorHSL() const
{
    return m_bColorHSL;
}

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (m_bColorHSL == bColorHSL) return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

DWORD CControlUI::GetBkColor() const
{
    return m_dwBackColor;
}

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    if (m_dwBackColor == dwBackColor) return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor2() const
{
    return m_dwBackColor2;
}

void CControlUI::SetBkColor2(DWORD dwBackColor)
{
    if (m_dwBackColor2 == dwBackColor) return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBkColor3() const
{
    return m_dwBackColor3;
}

void CControlUI::SetBkColor3(DWORD dwBackColor)
{
    if (m_dwBackColor3 == dwBackColor) return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

DWORD CControlUI::GetBorderColor() const
{
    return m_dwBorderColor;
}

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (m_dwBorderColor == dwBorderColor) return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBorderColor() const
{
    return m_dwFocusBorderColor;
}

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (m_dwFocusBorderColor == dwBorderColor) return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

// ---- borders ----

int CControlUI::GetBorderSize() const
{
    return m_nBorderSize;
}

void CControlUI::SetBorderSize(int nSize)
{
    if (m_nBorderSize == nSize) return;
    m_nBorderSize = nSize;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT rc)
{
    m_rcBorderSize = rc;
    Invalidate();
}

int CControlUI::GetLeftBorderSize() const
{
    return m_rcBorderSize.left;
}

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBorderSize.left = nSize;
    Invalidate();
}

int CControlUI::GetTopBorderSize() const
{
    return m_rcBorderSize.top;
}

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBorderSize.top = nSize;
    Invalidate();
}

int CControlUI::GetRightBorderSize() const
{
    return m_rcBorderSize.right;
}

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBorderSize.right = nSize;
    Invalidate();
}

int CControlUI::GetBottomBorderSize() const
{
    return m_rcBorderSize.bottom;
}

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

int CControlUI::GetBorderStyle() const
{
    return m_nBorderStyle;
}

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const
{
    return m_cxyBorderRound;
}

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

// ---- images ----

LPCTSTR CControlUI::GetBkImage()
{
    return m_diBk.GetAttributeString();
}

void CControlUI::SetBkImage(LPCTSTR pStrImage)
{
    m_diBk.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetForeImage()
{
    return m_diFore.GetAttributeString();
}

void CControlUI::SetForeImage(LPCTSTR pStrImage)
{
    m_diFore.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetNormalImage()
{
    return m_diNormal.GetAttributeString();
}

void CControlUI::SetNormalImage(LPCTSTR pStrImage)
{
    m_diNormal.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetHotImage()
{
    return m_diHot.GetAttributeString();
}

void CControlUI::SetHotImage(LPCTSTR pStrImage)
{
    m_diHot.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetPushedImage()
{
    return m_diPushed.GetAttributeString();
}

void CControlUI::SetPushedImage(LPCTSTR pStrImage)
{
    m_diPushed.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetFocusedImage()
{
    return m_diFocused.GetAttributeString();
}

void CControlUI::SetFocusedImage(LPCTSTR pStrImage)
{
    m_diFocused.SetAttributeString(pStrImage);
    Invalidate();
}

LPCTSTR CControlUI::GetDisabledImage()
{
    return m_diDisabled.GetAttributeString();
}

void CControlUI::SetDisabledImage(LPCTSTR pStrImage)
{
    m_diDisabled.SetAttributeString(pStrImage);
    Invalidate();
}

bool CControlUI::DrawImage(HDC hDC, CImageAttribute& image)
{
    if (!image.LoadImageW(m_pManager)) return false;
    return CRenderEngine::DrawImage(hDC, m_pManager, m_rcItem, m_rcPaint, image);
}

bool CControlUI::DrawImage(HDC hDC, CImageAttribute& image, const RECT& rc)
{
    if (::IsRectEmpty(&rc)) return DrawImage(hDC, image);
    if (!image.LoadImageW(m_pManager)) return false;
    // The copy shares the loaded image; the stored description keeps its own destination.
    CImageAttribute placed(image);
    placed.SetDest(rc);
    return CRenderEngine::DrawImage(hDC, m_pManager, m_rcItem, m_rcPaint, placed);
}

bool CControlUI::DrawImage(HDC hDC, CImageAttribute& image, LPCTSTR pStrModify)
{
    if (pStrModify == NULL) return DrawImage(hDC, image);
    if (!image.LoadImageW(m_pManager)) return false;
    CImageAttribute modified(image);
    modified.ModifyAttribute(pStrModify);
    return CRenderEngine::DrawImage(hDC, m_pManager, m_rcItem, m_rcPaint, modified);
}

} // namespace SkinUI
