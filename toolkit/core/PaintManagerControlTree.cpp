#include <windows.h>
#include <wchar.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

// ---- the tree ----

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    {
        // A "killfocus" notifier may close the window; nothing is attached to it then.
        CLifeGuardScope guard(this);
        SetFocus(NULL);
        if (!guard.Alive()) return false;
    }
    m_pEventKey = NULL;
    m_pEventHover = NULL;
    m_pEventClick = NULL;
    if (m_pRoot != NULL) {
        m_aPostPaintControls.Empty();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    m_shadow.Create(this);
    // The name map has a fixed number of buckets: sized for the new tree, registering its
    // names stays linear. The old tree's names go with it.
    if (pControl != NULL) {
        int nCount = 0;
        pControl->FindControl(__FindControlFromCount, &nCount, UIFIND_ALL);
        m_mNameHash.Resize(nCount + nCount / 2 + 83);
    }
    return InitControls(pControl);
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (pControl == NULL) return false;
    pControl->SetManager(this, pParent != NULL ? pParent : pControl->GetParent(), true);
    pControl->FindControl(__FindControlFromNameHash, this, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl)
{
    if (pControl == NULL) return;
    // Only pointers are cleared here: releasing the capture or the tip sends messages, which
    // would run the program's code inside a destructor while the managers are walked. The
    // window releases them when it gets the cleanup message.
    if (pControl == m_pEventKey) m_pEventKey = NULL;
    if (pControl == m_pEventHover) {
        m_pEventHover = NULL;
        m_bReapedHover = true;
        PostCleanupMessage();
    }
    if (pControl == m_pEventClick) {
        m_pEventClick = NULL;
        // The press that captured the mouse can no longer end on its control: the manager
        // holds no capture from now on, the window lets the mouse go at its next turn.
        if (m_bMouseCapture) {
            m_bMouseCapture = false;
            m_bReapedCapture = true;
            PostCleanupMessage();
        }
    }
    if (pControl == m_pFocus) m_pFocus = NULL;
    const int iLoss = m_aFocusLosses.Find(pControl);
    if (iLoss >= 0) m_aFocusLosses.Remove(iLoss);
    if (m_pCaretControl != NULL && m_pCaretControl == pControl) {
        if (m_hWndPaint != NULL) ::KillTimer(m_hWndPaint, CARET_TIMER_ID);
        RECT rcCaret = m_rtCaret;
        if (m_bCaretActive) Invalidate(rcCaret);
        m_bCaretActive = false;
        m_bCaretShowing = false;
        m_currentCaretObject = NULL;
        m_pCaretControl = NULL;
    }
    KillTimer(pControl);
    const CSkinString sName = pControl->GetName();
    if (!sName.IsEmpty() && m_mNameHash.Find(sName) == pControl) m_mNameHash.Remove(sName);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++) {
        tagTNotifyUI* pMsg = static_cast<tagTNotifyUI*>(m_aAsyncNotify[i]);
        if (pMsg->sender == pControl) pMsg->sender = NULL;
    }
    for (int i = m_aPostPaintControls.GetSize() - 1; i >= 0; i--) {
        if (m_aPostPaintControls[i] == pControl) m_aPostPaintControls.Remove(i);
    }
}

// ---- look-ups ----

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    if (m_pRoot == NULL) return NULL;
    return m_pRoot->FindControl(__FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_REVERSE);
}

CControlUI* CPaintManagerUI::FindControl(LPCTSTR pstrName) const
{
    if (pstrName == NULL) return NULL;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const
{
    if (pParent == NULL) pParent = GetRoot();
    if (pParent == NULL) return NULL;
    return pParent->FindControl(__FindControlFromPoint, &pt, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_REVERSE);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, LPCTSTR pstrName) const
{
    if (pParent == NULL) pParent = GetRoot();
    if (pParent == NULL || pstrName == NULL) return NULL;
    return pParent->FindControl(__FindControlFromName, const_cast<LPTSTR>(pstrName), UIFIND_ALL);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent, LPCTSTR pstrClass, int iIndex)
{
    // A negative index would size the result buffer to nothing and let the callback read
    // before its start.
    if (iIndex < 0 || pstrClass == NULL) return NULL;
    if (pParent == NULL) pParent = GetRoot();
    if (pParent == NULL) return NULL;
    m_aFoundControls.Resize(iIndex + 1);
    return pParent->FindControl(__FindControlFromClass, const_cast<LPTSTR>(pstrClass), UIFIND_ALL);
}

CStdPtrArray* CPaintManagerUI::FindSubControlsByClass(CControlUI* pParent, LPCTSTR pstrClass)
{
    m_aFoundControls.Empty();
    if (pParent == NULL) pParent = GetRoot();
    if (pParent == NULL || pstrClass == NULL) return &m_aFoundControls;
    pParent->FindControl(__FindControlsFromClass, const_cast<LPTSTR>(pstrClass), UIFIND_ALL);
    return &m_aFoundControls;
}

CStdPtrArray* CPaintManagerUI::GetSubControlsByClass()
{
    return &m_aFoundControls;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromNameHash(CControlUI* pThis, LPVOID pData)
{
    CPaintManagerUI* pManager = static_cast<CPaintManagerUI*>(pData);
    const CSkinString sName = pThis->GetName();
    if (!sName.IsEmpty()) pManager->m_mNameHash.Set(sName, pThis);
    return NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromCount(CControlUI* /*pThis*/, LPVOID pData)
{
    int* pnCount = static_cast<int*>(pData);
    (*pnCount)++;
    return NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromPoint(CControlUI* pThis, LPVOID pData)
{
    const POINT* pPoint = static_cast<const POINT*>(pData);
    return ::PtInRect(&pThis->GetPos(), *pPoint) ? pThis : NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromUpdate(CControlUI* pThis, LPVOID /*pData*/)
{
    return pThis->IsUpdateNeeded() ? pThis : NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromName(CControlUI* pThis, LPVOID pData)
{
    LPCTSTR pstrName = static_cast<LPCTSTR>(pData);
    const CSkinString sName = pThis->GetName();
    if (sName.IsEmpty()) return NULL;
    return _wcsicmp(sName, pstrName) == 0 ? pThis : NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlFromClass(CControlUI* pThis, LPVOID pData)
{
    LPCTSTR pstrType = static_cast<LPCTSTR>(pData);
    CPaintManagerUI* pManager = pThis->GetManager();
    if (pManager == NULL) return NULL;
    CStdPtrArray* pFoundControls = pManager->GetSubControlsByClass();
    const int nSize = pFoundControls->GetSize();
    if (nSize <= 0) return NULL;
    LPCTSTR pType = pThis->GetClass();
    if (wcscmp(pstrType, L"*") == 0 || (pType != NULL && wcscmp(pstrType, pType) == 0)) {
        int iIndex = 0;
        while (iIndex < nSize && pFoundControls->GetAt(iIndex) != NULL) iIndex++;
        if (iIndex < nSize) pFoundControls->SetAt(iIndex, pThis);
    }
    return pFoundControls->GetAt(nSize - 1) != NULL ? pThis : NULL;
}

CControlUI* CALLBACK CPaintManagerUI::__FindControlsFromClass(CControlUI* pThis, LPVOID pData)
{
    LPCTSTR pstrType = static_cast<LPCTSTR>(pData);
    CPaintManagerUI* pManager = pThis->GetManager();
    if (pManager == NULL) return NULL;
    LPCTSTR pType = pThis->GetClass();
    if (wcscmp(pstrType, L"*") == 0 || (pType != NULL && wcscmp(pstrType, pType) == 0)) {
        pManager->GetSubControlsByClass()->Add(pThis);
    }
    return NULL;
}

} // namespace SkinUI
