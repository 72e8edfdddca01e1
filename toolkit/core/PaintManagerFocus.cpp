#include <windows.h>
#include <wchar.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

CPaintManagerUI::WANTTABPROC CPaintManagerUI::s_pfnWantTab = NULL;

namespace {

// Filled by the Tab functions, read by the Tab callback.
struct FINDTABINFO {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct FINDSHORTCUT {
    TCHAR ch;
    bool bPickNext;
};

// The focus events carry in their sender the control that gains the focus.
void SendFocusEvent(CControlUI* pTarget, int type, CControlUI* pSender)
{
    TEventUI event = {};
    event.type = type;
    event.sender = pSender;
    event.timestamp = ::GetTickCount();
    pTarget->Event(event);
}

} // namespace

// ---- focus and capture ----

CPaintManagerUI::CNativeFocusHold::CNativeFocusHold(CPaintManagerUI* pManager)
    : m_pManager(pManager), m_pToken(NULL)
{
    // A control that outlived its window may still name the manager that went with it.
    if (!IsThreadManager(pManager) || pManager->m_pLifeToken == NULL) return;
    m_pToken = pManager->m_pLifeToken;
    m_pToken->refs++;
    m_pManager->m_nNativeFocusHolds++;
}

CPaintManagerUI::CNativeFocusHold::~CNativeFocusHold()
{
    if (m_pToken == NULL) return;
    if (m_pToken->alive && --m_pManager->m_nNativeFocusHolds == 0 && m_pManager->m_hWndPaint != NULL &&
        (!m_pManager->m_aFocusLosses.IsEmpty() || !m_pManager->m_aAsyncNotify.IsEmpty()))
        ::PostMessageW(m_pManager->m_hWndPaint, WM_NULL, 0, 0);
    if (--m_pToken->refs == 0) delete m_pToken;
}

bool CPaintManagerUI::DeliverWaiting()
{
    if (m_nNativeFocusHolds > 0) return true;
    return DeliverFocusLosses() && DeliverAsyncNotifications();
}

CControlUI* CPaintManagerUI::GetFocus() const
{
    return m_pFocus;
}

bool CPaintManagerUI::TellFocusLoss(CControlUI* pOld, CControlUI* pNext)
{
    // The event and the notification may delete the old focus, the next one, or the window
    // with this manager.
    CLifeGuardScope guard(this);
    CControlLifeGuard oldAlive(pOld);
    SendFocusEvent(pOld, UIEVENT_KILLFOCUS, pNext);
    if (!guard.Alive()) return false;
    if (oldAlive.Alive()) {
        SendNotify(pOld, L"killfocus");
        if (!guard.Alive()) return false;
    }
    return true;
}

bool CPaintManagerUI::DropFocus(CControlUI* pNext)
{
    if (m_pFocus == NULL) return true;
    // Cleared before the old focus is told: a move its handlers make starts from no focus
    // and does not tell it a second time.
    CControlUI* pOld = m_pFocus;
    m_pFocus = NULL;
    return TellFocusLoss(pOld, pNext);
}

void CPaintManagerUI::DropFocusOnHide(CControlUI* pControl)
{
    if (pControl == NULL || pControl != m_pFocus) return;
    m_pFocus = NULL;
    m_uFocusMoves++;
    if (m_aFocusLosses.Find(pControl) >= 0) return;
    // Hiding may come from code outside any message: one message on its way makes sure the
    // loss is told.
    if (m_aFocusLosses.IsEmpty() && m_hWndPaint != NULL) ::PostMessageW(m_hWndPaint, WM_NULL, 0, 0);
    m_aFocusLosses.Add(pControl);
}

bool CPaintManagerUI::DeliverFocusLosses()
{
    // Each control leaves the list before it is told; reaping takes a deleted one out.
    while (m_aFocusLosses.GetSize() > 0) {
        CControlUI* pOld = static_cast<CControlUI*>(m_aFocusLosses[0]);
        m_aFocusLosses.Remove(0);
        // Given the focus back meanwhile without events (SetFocusNeeded): nothing was lost.
        if (pOld == m_pFocus) continue;
        if (!TellFocusLoss(pOld, NULL)) return false;
    }
    return true;
}

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    // Every step below may run user code, the native focus call included: it sends
    // WM_KILLFOCUS and WM_SETFOCUS at once, and their handlers (a native edit's, the host's,
    // the queued notifications delivered with them) may delete the control or the window,
    // or move the focus themselves. The guards come first.
    CLifeGuardScope guard(this);
    CControlLifeGuard nextAlive(pControl);
    if (pControl == m_pFocus && m_aFocusLosses.IsEmpty()) return;
    // A later number taken by a move made meanwhile means that move wins.
    const UINT uMove = ++m_uFocusMoves;
    // Losses from hiding are told first: their "killfocus" comes before anything of this move.
    if (!DeliverFocusLosses() || uMove != m_uFocusMoves) return;
    if (!nextAlive.Alive()) pControl = NULL;
    if (m_hWndPaint != NULL && pControl != m_pFocus && ::GetFocus() != m_hWndPaint) {
        ::SetFocus(m_hWndPaint);
        if (!guard.Alive() || uMove != m_uFocusMoves) return;
        // A target deleted meanwhile makes this a move to no control.
        if (!nextAlive.Alive()) pControl = NULL;
    }
    if (pControl == m_pFocus) return;
    if (!DropFocus(pControl) || uMove != m_uFocusMoves) return;
    if (pControl == NULL || !nextAlive.Alive()) return;
    if (pControl->GetManager() != this || !pControl->IsVisible() || !pControl->IsEnabled()) return;
    m_pFocus = pControl;
    SendFocusEvent(pControl, UIEVENT_SETFOCUS, pControl);
    if (!guard.Alive() || !nextAlive.Alive() || uMove != m_uFocusMoves) return;
    SendNotify(pControl, L"setfocus");
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl)
{
    CLifeGuardScope guard(this);
    CControlLifeGuard alive(pControl);
    const UINT uMove = ++m_uFocusMoves;
    if (m_hWndPaint != NULL) {
        ::SetFocus(m_hWndPaint);
        if (!guard.Alive() || uMove != m_uFocusMoves) return;
    }
    if (pControl == NULL || !alive.Alive()) return;
    if (!DeliverFocusLosses() || uMove != m_uFocusMoves) return;
    if (!DropFocus(pControl) || uMove != m_uFocusMoves || !alive.Alive()) return;
    FINDTABINFO info = { pControl, NULL, false, false };
    m_pFocus = m_pRoot != NULL ? m_pRoot->FindControl(__FindControlFromTab, &info,
                                                      UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_SELF_FIRST)
                               : NULL;
    m_bFocusNeeded = true;
    if (m_pRoot != NULL) m_pRoot->NeedUpdate();
}

bool CPaintManagerUI::SetNextTabControl(bool bForward)
{
    // Until the tree is laid out, the move waits for the next paint.
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint != NULL) ::InvalidateRect(m_hWndPaint, NULL, FALSE);
        return true;
    }
    if (m_pRoot == NULL) {
        m_bFocusNeeded = false;
        return true;
    }
    const UINT uFlags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_SELF_FIRST;
    FINDTABINFO info1 = { m_pFocus, NULL, bForward, false };
    CControlUI* pControl = m_pRoot->FindControl(__FindControlFromTab, &info1, uFlags);
    if (pControl == NULL) {
        if (bForward) {
            FINDTABINFO info2 = { NULL, NULL, bForward, false };
            pControl = m_pRoot->FindControl(__FindControlFromTab, &info2, uFlags);
        } else {
            pControl = info1.pLast;
        }
    }
    if (pControl != NULL) {
        CLifeGuardScope guard(this);
        SetFocus(pControl);
        if (!guard.Alive()) return true;
    }
    m_bFocusNeeded = false;
    return true;
}

void CPaintManagerUI::SetCapture()
{
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture()
{
    // Cleared first: the WM_CAPTURECHANGED that ::ReleaseCapture sends is then known as ours.
    m_bMouseCapture = false;
    ::ReleaseCapture();
}

bool CPaintManagerUI::IsCaptured()
{
    return m_bMouseCapture;
}

// ---- Tab order and shortcuts ----

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromTab(CControlUI* pThis, LPVOID pData)
{
    FINDTABINFO* pInfo = static_cast<FINDTABINFO*>(pData);
    if (pInfo->pFocus == pThis) {
        if (pInfo->bForward) pInfo->bNextIsIt = true;
        return pInfo->bForward ? NULL : pInfo->pLast;
    }
    if ((pThis->GetControlFlags() & UIFLAG_TABSTOP) == 0) return NULL;
    pInfo->pLast = pThis;
    if (pInfo->bNextIsIt) return pThis;
    if (pInfo->pFocus == NULL) return pThis;
    return NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromShortcut(CControlUI* pThis, LPVOID pData)
{
    if (!pThis->IsVisible()) return NULL;
    FINDSHORTCUT* pFS = static_cast<FINDSHORTCUT*>(pData);
    if (pFS->ch == static_cast<TCHAR>(towupper(pThis->GetShortcut()))) pFS->bPickNext = true;
    LPCTSTR pstrClass = pThis->GetClass();
    if (pstrClass != NULL && wcsstr(pstrClass, L"LabelUI") != NULL) return NULL;
    return pFS->bPickNext ? pThis : NULL;
}

// ---- pre-translation ----

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& /*lRes*/)
{
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); i++) {
        bool bHandled = false;
        static_cast<IMessageFilterUI*>(m_aPreMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, bHandled);
        if (bHandled) return true;
    }
    switch (uMsg) {
    case WM_KEYDOWN:
        if (wParam == VK_TAB) {
            // A rich edit that wants the Tab key keeps it.
            if (m_pFocus != NULL && m_pFocus->IsVisible() && m_pFocus->IsEnabled()) {
                LPCTSTR pstrClass = m_pFocus->GetClass();
                if (pstrClass != NULL && wcsstr(pstrClass, L"RichEditUI") != NULL && s_pfnWantTab != NULL &&
                    s_pfnWantTab(m_pFocus)) {
                    return false;
                }
            }
            SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        break;
    case WM_SYSCHAR: {
        if (m_pRoot == NULL) break;
        FINDSHORTCUT fs = { static_cast<TCHAR>(towupper(static_cast<wint_t>(wParam))), false };
        CControlUI* pControl =
            m_pRoot->FindControl(__FindControlFromShortcut, &fs, UIFIND_ENABLED | UIFIND_SELF_FIRST | UIFIND_REVERSE);
        if (pControl != NULL) {
            // The focus notifications may delete the control or the whole window.
            CLifeGuardScope guard(this);
            CControlLifeGuard alive(pControl);
            pControl->SetFocus();
            if (guard.Alive() && alive.Alive()) pControl->Activate();
            return true;
        }
        break;
    }
    case WM_SYSKEYDOWN:
        if (m_pFocus != NULL) {
            TEventUI event = {};
            event.type = UIEVENT_SYSKEYDOWN;
            event.sender = m_pFocus;
            event.key = static_cast<TCHAR>(wParam);
            event.mousePos = m_ptLastMousePos;
            event.keyState = KeyState();
            event.timestamp = ::GetTickCount();
            m_pFocus->Event(event);
        }
        break;
    default:
        break;
    }
    return false;
}

WORD CPaintManagerUI::KeyState()
{
    WORD wKeyState = 0;
    if (::GetKeyState(VK_CONTROL) < 0) wKeyState |= MK_CONTROL;
    if (::GetKeyState(VK_RBUTTON) < 0) wKeyState |= MK_RBUTTON;
    if (::GetKeyState(VK_LBUTTON) < 0) wKeyState |= MK_LBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0) wKeyState |= MK_SHIFT;
    if (::GetKeyState(VK_MENU) < 0) wKeyState |= MK_ALT;
    return wKeyState;
}

void CPaintManagerUI::SetWantTabQuery(WANTTABPROC pfn)
{
    s_pfnWantTab = pfn;
}

bool CPaintManagerUI::TranslateMessage(const MSG* pMsg)
{
    LRESULT lRes = 0;
    // The accelerators take a writable message; this copy is what they may change.
    MSG msg = *pMsg;
    LONG_PTR uStyle = ::GetWindowLongPtrW(msg.hwnd, GWL_STYLE);
    if (uStyle & WS_CHILD) {
        // A message for a child window goes to every manager whose window is the child or
        // one of its ancestors, each asked once; it is still translated and dispatched.
        for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
            CPaintManagerUI* pT = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
            HWND hPaint = pT->GetPaintWindow();
            if (hPaint == NULL) continue;
            bool bMatch = hPaint == msg.hwnd;
            for (HWND hAncestor = ::GetParent(msg.hwnd); hAncestor != NULL && !bMatch;
                 hAncestor = ::GetParent(hAncestor)) {
                bMatch = hPaint == hAncestor;
            }
            if (!bMatch) continue;
            if (pT->TranslateAccelerator(&msg)) return true;
            pT->PreMessageHandler(msg.message, msg.wParam, msg.lParam, lRes);
        }
        return false;
    }
    for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
        CPaintManagerUI* pT = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
        if (msg.hwnd == pT->GetPaintWindow()) {
            if (pT->TranslateAccelerator(&msg)) return true;
            return pT->PreMessageHandler(msg.message, msg.wParam, msg.lParam, lRes);
        }
    }
    return false;
}

void CPaintManagerUI::MessageLoop()
{
    MSG msg = {};
    while (::GetMessageW(&msg, NULL, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

} // namespace SkinUI
