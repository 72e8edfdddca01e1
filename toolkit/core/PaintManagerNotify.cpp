#include <windows.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

// ---- notifications ----

bool CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam, bool bAsync)
{
    tagTNotifyUI Msg{};
    Msg.sender = pControl;
    Msg.type = pstrMessage;
    Msg.wParam = wParam;
    Msg.lParam = lParam;
    return SendNotify(Msg, bAsync);
}

bool CPaintManagerUI::SendNotify(tagTNotifyUI& Msg, bool bAsync)
{
    Msg.mousePos = m_ptLastMousePos;
    Msg.timestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.sender != NULL) Msg.virtualWnd = Msg.sender->GetVirtualWnd();
    if (bAsync) {
        tagTNotifyUI* pMsg = new tagTNotifyUI(Msg);
        if (!m_aAsyncNotify.Add(pMsg)) delete pMsg;
        return true;
    }
    return DeliverNotify(Msg) == DELIVERED;
}

bool CPaintManagerUI::IsPaintWindowGone() const
{
    // A manager never bound to a window still tells its notifiers.
    return m_hWndPaint != NULL && !::IsWindow(m_hWndPaint);
}

CPaintManagerUI::TDelivery CPaintManagerUI::DeliverNotify(tagTNotifyUI& Msg)
{
    // Every receiver may delete the sender or close the window: nobody is told of a sender
    // that is gone, nothing of a manager that is gone is read, and nothing more is told from
    // a window that is gone.
    if (IsPaintWindowGone()) return MANAGER_GONE;
    CLifeGuardScope guard(this);
    CControlLifeGuard sender(Msg.sender);
    const bool bHasSender = Msg.sender != NULL;
    TDelivery result = DELIVERED;
    if (bHasSender && Msg.sender->notifyHandlers) Msg.sender->notifyHandlers(&Msg);
    // Notifiers may add or remove notifiers while they are told: the size is read again at
    // every step.
    for (int i = 0;; i++) {
        if (!guard.Alive() || IsPaintWindowGone()) {
            result = MANAGER_GONE;
            break;
        }
        if (bHasSender && !sender.Alive()) {
            result = SENDER_GONE;
            break;
        }
        if (i >= m_aNotifiers.GetSize()) break;
        static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(Msg);
    }
    if (bHasSender && !sender.Alive()) Msg.sender = NULL;
    return result;
}

bool CPaintManagerUI::DeliverAsyncNotifications()
{
    // Each record leaves the queue before it is delivered, so records queued meanwhile are
    // delivered in this same run, in order.
    while (m_aAsyncNotify.GetSize() > 0) {
        tagTNotifyUI* pMsg = static_cast<tagTNotifyUI*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        const TDelivery result = DeliverNotify(*pMsg);
        delete pMsg;
        if (result == MANAGER_GONE) return false;
    }
    return true;
}

// ---- delayed cleanup ----

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == NULL) return;
    pControl->SetManager(this, NULL, false);
    m_aDelayedCleanup.Add(pControl);
    PostCleanupMessage();
}

void CPaintManagerUI::PostCleanupMessage()
{
    // Not from a manager that is going: its window is past needing it.
    if (m_pLifeToken == NULL || !m_pLifeToken->alive) return;
    if (m_hWndPaint != NULL && m_hWndCleanupPosted != m_hWndPaint &&
        ::PostMessageW(m_hWndPaint, WM_APP + 1, 0, 0))
        m_hWndCleanupPosted = m_hWndPaint;
}

void CPaintManagerUI::ReleaseReaped()
{
    // Only what no new press or hover took over since.
    CLifeGuardScope guard(this);
    if (m_bReapedHover) {
        m_bReapedHover = false;
        if (m_pEventHover == NULL) DeactivateToolTip();
        if (!guard.Alive()) return;
    }
    if (m_bReapedCapture) {
        m_bReapedCapture = false;
        if (!m_bMouseCapture && ::GetCapture() == m_hWndPaint) ::ReleaseCapture();
    }
}

void CPaintManagerUI::RunDelayedCleanup()
{
    // Destructors may queue more controls: the list is taken out first, and what they queue
    // goes in the next round. A destroy handler may also destroy the window and this manager:
    // the round still deletes what it took out (only its own copy is read), and the list is
    // not read again. The destructor runs it too, the manager already marked as going.
    CLifeGuardScope guard(this);
    const bool bAlive = guard.Alive();
    m_hWndCleanupPosted = NULL;
    while (m_aDelayedCleanup.GetSize() > 0) {
        CStdPtrArray aControls(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aControls.GetSize(); i++) delete static_cast<CControlUI*>(aControls[i]);
        if (bAlive && !guard.Alive()) return;
    }
}

} // namespace SkinUI
