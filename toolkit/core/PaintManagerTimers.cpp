#include <windows.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

namespace {

// Control timers take Windows ids 0..239.
const UINT kTimerIdCycle = 240;
const UINT kNoTimerId = 0xFFFFFFFF;

} // namespace

// ---- control timers ----

UINT CPaintManagerUI::NextTimerId() const
{
    // The cycle goes on from the last id given, passing over ids an entry of this window
    // still holds (a killed entry keeps its id for re-arming).
    for (UINT nStep = 1; nStep <= kTimerIdCycle; nStep++) {
        const UINT nCandidate = (m_uTimerID + nStep) % kTimerIdCycle;
        bool bHeld = false;
        for (int i = 0; i < m_aTimers.GetSize() && !bHeld; i++) {
            const TTimerEntry* pTimer = static_cast<const TTimerEntry*>(m_aTimers[i]);
            bHeld = pTimer->hWnd == m_hWndPaint && pTimer->winTimerId == nCandidate;
        }
        if (!bHeld) return nCandidate;
    }
    return kNoTimerId;
}

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        TTimerEntry* pTimer = static_cast<TTimerEntry*>(m_aTimers[i]);
        if (pTimer->sender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->localId == nTimerID) {
            if (!pTimer->killed) return false;
            if (::SetTimer(m_hWndPaint, pTimer->winTimerId, uElapse, NULL) == 0) return false;
            pTimer->killed = false;
            return true;
        }
    }
    const UINT nWinId = NextTimerId();
    if (nWinId == kNoTimerId) return false;
    m_uTimerID = nWinId;
    if (::SetTimer(m_hWndPaint, nWinId, uElapse, NULL) == 0) return false;
    TTimerEntry* pTimer = new TTimerEntry;
    pTimer->sender = pControl;
    pTimer->localId = nTimerID;
    pTimer->hWnd = m_hWndPaint;
    pTimer->winTimerId = nWinId;
    pTimer->killed = false;
    if (!m_aTimers.Add(pTimer)) {
        ::KillTimer(m_hWndPaint, pTimer->winTimerId);
        delete pTimer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        TTimerEntry* pTimer = static_cast<TTimerEntry*>(m_aTimers[i]);
        if (pTimer->sender == pControl && pTimer->hWnd == m_hWndPaint && pTimer->localId == nTimerID &&
            !pTimer->killed) {
            if (::IsWindow(m_hWndPaint)) ::KillTimer(pTimer->hWnd, pTimer->winTimerId);
            pTimer->killed = true;
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl)
{
    for (int i = m_aTimers.GetSize() - 1; i >= 0; i--) {
        TTimerEntry* pTimer = static_cast<TTimerEntry*>(m_aTimers[i]);
        if (pTimer->sender == pControl && pTimer->hWnd == m_hWndPaint) {
            if (!pTimer->killed && ::IsWindow(pTimer->hWnd)) ::KillTimer(pTimer->hWnd, pTimer->winTimerId);
            m_aTimers.Remove(i);
            delete pTimer;
        }
    }
}

void CPaintManagerUI::RemoveAllTimers()
{
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        TTimerEntry* pTimer = static_cast<TTimerEntry*>(m_aTimers[i]);
        if (pTimer->hWnd == m_hWndPaint && !pTimer->killed && ::IsWindow(m_hWndPaint)) {
            ::KillTimer(pTimer->hWnd, pTimer->winTimerId);
        }
        delete pTimer;
    }
    m_aTimers.Empty();
}

void CPaintManagerUI::OnTimer(WPARAM wParam)
{
    if (wParam == CARET_TIMER_ID) {
        RECT rcCaret = m_rtCaret;
        Invalidate(rcCaret);
        m_bCaretActive = !m_bCaretActive;
        return;
    }
    for (int i = 0; i < m_aTimers.GetSize(); i++) {
        const TTimerEntry* pTimer = static_cast<const TTimerEntry*>(m_aTimers[i]);
        if (pTimer->hWnd == m_hWndPaint && pTimer->winTimerId == wParam && !pTimer->killed) {
            SendEvent(pTimer->sender, UIEVENT_TIMER, pTimer->localId);
            return;
        }
    }
}

// ---- the caret of the windowless rich edit ----

CPaintManagerUI::CARETCOLORPROC CPaintManagerUI::s_pfnCaretColor = NULL;

void CPaintManagerUI::SetCaretColorQuery(CARETCOLORPROC pfn)
{
    s_pfnCaretColor = pfn;
}

bool CPaintManagerUI::CreateCaret(HBITMAP hBmp, int nWidth, int nHeight)
{
    // Moving the caret needs the native one: a failure here is the caller's to know.
    if (!::CreateCaret(m_hWndPaint, hBmp, nWidth, nHeight)) return false;
    m_rtCaret.right = m_rtCaret.left + nWidth;
    m_rtCaret.bottom = m_rtCaret.top + nHeight;
    return true;
}

bool CPaintManagerUI::ShowCaret(bool bShow)
{
    if (m_bCaretShowing == bShow) return true;
    m_bCaretShowing = bShow;
    RECT rcCaret = m_rtCaret;
    if (bShow) {
        ::SetTimer(m_hWndPaint, CARET_TIMER_ID, ::GetCaretBlinkTime(), NULL);
        if (!m_bCaretActive) {
            Invalidate(rcCaret);
            m_bCaretActive = true;
        }
    } else {
        ::KillTimer(m_hWndPaint, CARET_TIMER_ID);
        if (m_bCaretActive) {
            Invalidate(rcCaret);
            m_bCaretActive = false;
        }
    }
    return true;
}

bool CPaintManagerUI::SetCaretPosOf(CRichEditUI* obj, CControlUI* pOwnerControl, int x, int y)
{
    if (!::SetCaretPos(x, y)) return false;
    m_currentCaretObject = obj;
    m_pCaretControl = pOwnerControl;
    RECT rcOld = m_rtCaret;
    const int w = m_rtCaret.right - m_rtCaret.left;
    const int h = m_rtCaret.bottom - m_rtCaret.top;
    m_rtCaret.left = x;
    m_rtCaret.top = y;
    m_rtCaret.right = x + w;
    m_rtCaret.bottom = y + h;
    RECT rcNew = m_rtCaret;
    Invalidate(rcOld);
    Invalidate(rcNew);
    return true;
}

CRichEditUI* CPaintManagerUI::GetCurrentCaretRichEdit()
{
    return m_currentCaretObject;
}

} // namespace SkinUI
