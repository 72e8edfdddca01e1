#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

namespace {

// Child windows' notifications come back to them as their message plus this offset.
const UINT kReflectOffset = 0x2000;

POINT PointFromLParam(LPARAM lParam)
{
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    return pt;
}

} // namespace

void CPaintManagerUI::SendEvent(CControlUI* pTarget, int type, WPARAM wParam, LPARAM lParam, WORD wKeyState,
                                TCHAR chKey, const POINT* pMousePos)
{
    if (pTarget == NULL) return;
    TEventUI event = {};
    event.type = type;
    event.sender = pTarget;
    event.timestamp = ::GetTickCount();
    event.mousePos = pMousePos != NULL ? *pMousePos : m_ptLastMousePos;
    event.key = chKey;
    event.keyState = wKeyState;
    event.wParam = wParam;
    event.lParam = lParam;
    pTarget->Event(event);
}

void CPaintManagerUI::DeactivateToolTip()
{
    if (m_hwndTooltip != NULL && ::IsWindow(m_hwndTooltip)) {
        ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (m_hWndPaint == NULL || !m_pLifeToken->alive) return false;
    // A receiver may destroy the window, and with it this manager: after every delivery the
    // guard tells whether anything of this object may still be touched.
    CLifeGuardScope guard(this);
    if (!DeliverWaiting()) return true;

    for (int i = 0; i < m_aMessageFilters.GetSize(); i++) {
        bool bHandled = false;
        LRESULT lResult =
            static_cast<IMessageFilterUI*>(m_aMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (!guard.Alive()) return true;
        if (bHandled) {
            lRes = lResult;
            return true;
        }
    }

    switch (uMsg) {
    case WM_APP + 1:
        // Destroy handlers may close the window.
        RunDelayedCleanup();
        if (!guard.Alive()) return true;
        ReleaseReaped();
        if (!guard.Alive()) return true;
        break;
    case WM_CLOSE: {
        CControlUI* pHover = m_pEventHover;
        CControlUI* pClick = m_pEventClick;
        m_pEventHover = NULL;
        m_pEventClick = NULL;
        DeactivateToolTip();
        if (m_bMouseCapture) ReleaseCapture();
        SendEvent(pHover, UIEVENT_MOUSELEAVE);
        if (!guard.Alive()) return true;
        SendEvent(pClick, UIEVENT_LBUTTONUP);
        if (!guard.Alive()) return true;
        SetFocus(NULL);
        if (!guard.Alive()) return true;
        HWND hwndOwner = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (hwndOwner != NULL) ::SetFocus(hwndOwner);
        break;
    }
    case WM_ERASEBKGND:
        // The whole client area is painted from the back buffer.
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_SIZE:
        if (m_pFocus != NULL) SendEvent(m_pFocus, UIEVENT_SIZE);
        if (!guard.Alive()) return true;
        if (m_pRoot != NULL) m_pRoot->NeedUpdate();
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_RESTORE) m_bOffscreenPaint = true;
        return true;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* lpMMI = reinterpret_cast<MINMAXINFO*>(lParam);
        if (lpMMI == NULL) break;
        if (m_szMinWindow.cx > 0) lpMMI->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0) lpMMI->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) lpMMI->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0) lpMMI->ptMaxTrackSize.y = m_szMaxWindow.cy;
        break;
    }
    case WM_NOTIFY: {
        const NMHDR* lpNMHDR = reinterpret_cast<const NMHDR*>(lParam);
        if (lpNMHDR != NULL) lRes = ::SendMessageW(lpNMHDR->hwndFrom, uMsg + kReflectOffset, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0) break;
        lRes = ::SendMessageW(reinterpret_cast<HWND>(lParam), uMsg + kReflectOffset, wParam, lParam);
        return true;
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) break;
        if (m_bMouseCapture) return true;
        POINT pt = {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* pControl = FindControl(pt);
        if (pControl == NULL || pControl->GetManager() != this) break;
        if ((pControl->GetControlFlags() & UIFLAG_SETCURSOR) == 0) break;
        SendEvent(pControl, UIEVENT_SETCURSOR, wParam, lParam, KeyState(), 0, &pt);
        return true;
    }
    case WM_CAPTURECHANGED:
        // Someone else took the mouse in the middle of a press: the press ends here, as a
        // button-up on the control that had it, or a scroll bar would go on repeating.
        if (m_bMouseCapture && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
            m_bMouseCapture = false;
            CControlUI* pClick = m_pEventClick;
            m_pEventClick = NULL;
            SendEvent(pClick, UIEVENT_LBUTTONUP);
            if (!guard.Alive()) return true;
        }
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        if (!guard.Alive()) return true;
        break;
    case WM_MOUSEHOVER: {
        const bool bFound = OnMouseHover(lParam);
        if (!guard.Alive()) return true;
        if (bFound) return true;
        break;
    }
    case WM_MOUSELEAVE:
        DeactivateToolTip();
        if (m_bMouseTracking) ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
        if (!guard.Alive()) return true;
        m_bMouseTracking = false;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(m_hWndPaint);
        if (!guard.Alive()) return true;
        m_ptLastMousePos = PointFromLParam(lParam);
        CControlUI* pControl = FindControl(m_ptLastMousePos);
        if (pControl == NULL || pControl->GetManager() != this) break;
        // Focus handlers may delete controls: the event goes to the capture control, which
        // reaping clears, never to a pointer found before them.
        m_pEventClick = pControl;
        if (uMsg != WM_LBUTTONDBLCLK) {
            pControl->SetFocus();
            if (!guard.Alive()) return true;
        }
        if (m_pEventClick == NULL) break;
        SetCapture();
        const int type = uMsg == WM_LBUTTONDOWN   ? UIEVENT_LBUTTONDOWN
                         : uMsg == WM_RBUTTONDOWN ? UIEVENT_RBUTTONDOWN
                                                  : UIEVENT_LBUTTONDBLCLK;
        // Mouse-button events carry the raw MK_* word: 0x10 there is the middle button, so
        // Alt must be read with GetKeyState.
        if (type == UIEVENT_LBUTTONDBLCLK)
            SendEvent(m_pEventClick, type, 0, 0, LOWORD(wParam));
        else
            SendEvent(m_pEventClick, type, wParam, lParam, LOWORD(wParam));
        if (!guard.Alive()) return true;
        break;
    }
    case WM_LBUTTONUP: {
        m_ptLastMousePos = PointFromLParam(lParam);
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = NULL;
        // Also when the pressed control was reaped meanwhile: the window must not keep the mouse.
        if (m_bMouseCapture) ReleaseCapture();
        SendEvent(pClick, UIEVENT_LBUTTONUP, wParam, lParam, LOWORD(wParam));
        if (!guard.Alive()) return true;
        break;
    }
    case WM_CONTEXTMENU: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pClick = m_pEventClick;
        m_pEventClick = NULL;
        if (m_bMouseCapture) ReleaseCapture();
        SendEvent(pClick, UIEVENT_CONTEXTMENU, 0, reinterpret_cast<LPARAM>(pClick), LOWORD(wParam));
        if (!guard.Alive()) return true;
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointFromLParam(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* pControl = FindControl(pt);
        if (pControl == NULL || pControl->GetManager() != this) break;
        const int zDelta = static_cast<short>(HIWORD(wParam));
        SendEvent(pControl, UIEVENT_MOUSEWHEEL, zDelta < 0 ? 1 : 0, lParam, KeyState());
        if (!guard.Alive()) return true;
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        if (!guard.Alive()) return true;
        break;
    }
    case WM_KEYDOWN:
        if (m_pFocus == NULL) break;
        m_pEventKey = m_pFocus;
        SendEvent(m_pFocus, UIEVENT_KEYDOWN, 0, 0, KeyState(), static_cast<TCHAR>(wParam));
        if (!guard.Alive()) return true;
        break;
    case WM_KEYUP: {
        CControlUI* pKey = m_pEventKey;
        m_pEventKey = NULL;
        SendEvent(pKey, UIEVENT_KEYUP, 0, 0, KeyState(), static_cast<TCHAR>(wParam));
        if (!guard.Alive()) return true;
        break;
    }
    case WM_CHAR:
        SendEvent(m_pFocus, UIEVENT_CHAR, 0, 0, KeyState(), static_cast<TCHAR>(wParam));
        if (!guard.Alive()) return true;
        break;
    default:
        break;
    }
    // A receiver that destroyed the window leaves nothing for the host to pass on.
    if (!DeliverWaiting()) return true;
    return false;
}

void CPaintManagerUI::OnMouseMove(LPARAM lParam)
{
    // 1. Arm hover and leave tracking once per stay of the mouse.
    if (!m_bMouseTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        tme.dwHoverTime = m_hwndTooltip == NULL
                              ? 400UL
                              : static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0));
        ::TrackMouseEvent(&tme);
        m_bMouseTracking = true;
    }
    // 2. The control under the mouse, if it is ours.
    m_ptLastMousePos = PointFromLParam(lParam);
    CControlUI* pNewHover = FindControl(m_ptLastMousePos);
    if (pNewHover != NULL && pNewHover->GetManager() != this) return;
    CLifeGuardScope guard(this);
    // 3. Leave the previous one.
    if (pNewHover != m_pEventHover && m_pEventHover != NULL) {
        CControlUI* pOld = m_pEventHover;
        m_pEventHover = NULL;
        DeactivateToolTip();
        SendEvent(pOld, UIEVENT_MOUSELEAVE);
        if (!guard.Alive()) return;
        // The leave handler may have deleted the control found before it.
        pNewHover = FindControl(m_ptLastMousePos);
        if (pNewHover != NULL && pNewHover->GetManager() != this) return;
    }
    // 4. Enter the new one.
    if (pNewHover != m_pEventHover && pNewHover != NULL) {
        m_pEventHover = pNewHover;
        SendEvent(pNewHover, UIEVENT_MOUSEENTER);
        if (!guard.Alive()) return;
    }
    // 5. The move itself: the pressed control keeps getting it while the button is down.
    if (m_pEventClick != NULL)
        SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE);
    else if (m_pEventHover != NULL)
        SendEvent(m_pEventHover, UIEVENT_MOUSEMOVE);
}

bool CPaintManagerUI::OnMouseHover(LPARAM lParam)
{
    m_bMouseTracking = false;
    const POINT pt = PointFromLParam(lParam);
    // A control of a nested manager is that manager's to hover, as on every mouse route.
    CControlUI* pHover = FindControl(pt);
    if (pHover == NULL || pHover->GetManager() != this) return false;
    CLifeGuardScope guard(this);
    if (m_pEventHover != NULL) {
        SendEvent(m_pEventHover, UIEVENT_MOUSEHOVER, 0, 0, 0, 0, &pt);
        if (!guard.Alive()) return true;
        // The hover handler may have deleted the control found before it.
        pHover = FindControl(pt);
        if (pHover == NULL || pHover->GetManager() != this) return true;
    }
    // The tool info points at the manager's copy of the tip: the control answers copies.
    m_sToolTip = pHover->GetToolTip();
    if (m_sToolTip.IsEmpty()) return true;
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    m_ToolTip.cbSize = sizeof(TOOLINFOW);
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_sToolTip.GetData());
    m_ToolTip.rect = pHover->GetPos();
    if (m_hwndTooltip == NULL) {
        m_hwndTooltip =
            ::CreateWindowExW(0, TOOLTIPS_CLASSW, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint, NULL, m_hInstance, NULL);
        if (m_hwndTooltip == NULL) return true;
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pHover->GetToolTipWidth());
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
    return true;
}

} // namespace SkinUI
