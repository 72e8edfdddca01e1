#include <windows.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

// ---- notifications ----

void CPaintManagerUI::SendNotify(CControlUI* pControl, LPCTSTR pstrMessage, WPARAM wParam, LPARAM lParam, bool bAsync)
{
    tagTNotifyUI Msg{};
    Msg.sender = pControl;
    Msg.type = pstrMessage;
    Msg.wParam = wParam;
    Msg.lParam = lParam;
    SendNotify(Msg, bAsync);
}

void CPaintManagerUI::SendNotify(tagTNotifyUI& Msg, bool bAsync)
{
    Msg.mousePos = m_ptLastMousePos;
    Msg.timestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.sender != NULL) Msg.virtualWnd = Msg.sender->GetVirtualWnd();
    if (bAsync) {
        tagTNotifyUI* pMsg = new tagTNotifyUI(Msg);
        if (!m_aAsyncNotify.Add(pMsg)) delete pMsg;
        return;
    }
    DeliverNotify(Msg);
}

bool CPaintManagerUI::DeliverNotify(tagTNotifyUI& Msg)
{
    CLifeGuardScope guard(this);
    if (Msg.sender != NULL && Msg.sender->notifyHandlers) Msg.sender->notifyHandlers(&Msg);
    if (!guard.Alive()) return false;
    // Notifiers may add or remove notifiers while they are told: the size is read again at
    // every step.
    for (int i = 0; i < m_aNotifiers.GetSize(); i++) {
        static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(Msg);
        if (!guard.Alive()) return false;
    }
    return true;
}

bool CPaintManagerUI::DeliverAsyncNotifications()
{
    // Each record leaves the queue before it is delivered, so records queued meanwhile are
    // delivered in this same run, in order.
    while (m_aAsyncNotify.GetSize() > 0) {
        tagTNotifyUI* pMsg = static_cast<tagTNotifyUI*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        const bool bAlive = DeliverNotify(*pMsg);
        delete pMsg;
        if (!bAlive) return false;
    }
    return true;
}

// ---- delayed cleanup ----

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == NULL) return;
    pControl->SetManager(this, NULL, false);
    m_aDelayedCleanup.Add(pControl);
    if (m_hWndPaint != NULL && m_hWndCleanupPosted != m_hWndPaint &&
        ::PostMessageW(m_hWndPaint, WM_APP + 1, 0, 0))
        m_hWndCleanupPosted = m_hWndPaint;
}

void CPaintManagerUI::RunDelayedCleanup()
{
    // Destructors may queue more controls: the list is taken out first, and whatever they
    // queue waits for its own message (or the next round here).
    m_hWndCleanupPosted = NULL;
    while (m_aDelayedCleanup.GetSize() > 0) {
        CStdPtrArray aControls(m_aDelayedCleanup);
        m_aDelayedCleanup.Empty();
        for (int i = 0; i < aControls.GetSize(); i++) delete static_cast<CControlUI*>(aControls[i]);
    }
}

} // namespace SkinUI
