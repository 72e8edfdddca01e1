#include <windows.h>
#include <wchar.h>
#include <ctype.h>
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

CPaintManagerUI::WANTTABPROC CPaintManagerUI::s_pfnWantTab = NULL;

namespace {

const UINT kCaretTimerId = 241;

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

void FireEvent(CControlUI* pTarget, int type, CControlUI* pSender)
{
    TEventUI event = {};
    event.type = type;
    event.sender = pSender;
    event.timestamp = ::GetTickCount();
    pTarget->Event(event);
}

} // namespace

// ---- the tree ----

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    SetFocus(NULL);
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
    if (pControl == m_pEventKey) m_pEventKey = NULL;
    if (pControl == m_pEventHover) m_pEventHover = NULL;
    if (pControl == m_pEventClick) m_pEventClick = NULL;
    if (pControl == m_pFocus) m_pFocus = NULL;
    // The caret owner is a rich edit, whose control part starts the object.
    if (m_currentCaretObject != NULL &&
        reinterpret_cast<void*>(m_currentCaretObject) == static_cast<void*>(pControl)) {
        if (m_hWndPaint != NULL) ::KillTimer(m_hWndPaint, kCaretTimerId);
        if (m_bCaretActive) Invalidate(m_rtCaret);
        m_bCaretActive = false;
        m_bCaretShowing = false;
        m_currentCaretObject = NULL;
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

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (pControl == NULL) return;
    pControl->SetManager(this, NULL, false);
    m_aDelayedCleanup.Add(pControl);
    if (m_hWndPaint != NULL) ::PostMessageW(m_hWndPaint, WM_APP + 1, 0, 0);
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

CStdPtrArray* CPaintManagerUI::GetSubControlsByClass() { return &m_aFoundControls; }

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

// ---- focus and capture ----

CControlUI* CPaintManagerUI::GetFocus() const { return m_pFocus; }

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    HWND hFocusWnd = ::GetFocus();
    if (hFocusWnd != m_hWndPaint && pControl != m_pFocus && m_hWndPaint != NULL) ::SetFocus(m_hWndPaint);
    if (pControl == m_pFocus) return;
    if (m_pFocus != NULL) {
        CControlUI* pOld = m_pFocus;
        FireEvent(pOld, UIEVENT_KILLFOCUS, pControl);
        SendNotify(pOld, L"killfocus");
        m_pFocus = NULL;
    }
    if (pControl == NULL) return;
    if (pControl->GetManager() == this && pControl->IsVisible() && pControl->IsEnabled()) {
        m_pFocus = pControl;
        FireEvent(pControl, UIEVENT_SETFOCUS, pControl);
        SendNotify(pControl, L"setfocus");
    }
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl)
{
    if (m_hWndPaint != NULL) ::SetFocus(m_hWndPaint);
    if (pControl == NULL) return;
    if (m_pFocus != NULL) {
        CControlUI* pOld = m_pFocus;
        FireEvent(pOld, UIEVENT_KILLFOCUS, pControl);
        SendNotify(pOld, L"killfocus");
        m_pFocus = NULL;
    }
    FINDTABINFO info = { pControl, NULL, false, false };
    m_pFocus = m_pRoot != NULL
                   ? m_pRoot->FindControl(__FindControlFromTab, &info, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_SELF_FIRST)
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
    if (pControl != NULL) SetFocus(pControl);
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
    ::ReleaseCapture();
    m_bMouseCapture = false;
}

bool CPaintManagerUI::IsCaptured() { return m_bMouseCapture; }

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

void CPaintManagerUI::DeliverNotify(tagTNotifyUI& Msg)
{
    if (Msg.sender != NULL && Msg.sender->notifyHandlers) Msg.sender->notifyHandlers(&Msg);
    // A notifier may remove itself while it is being told.
    for (int i = 0; i < m_aNotifiers.GetSize(); i++) {
        static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(Msg);
    }
}

void CPaintManagerUI::DeliverAsyncNotifications()
{
    while (m_aAsyncNotify.GetSize() > 0) {
        tagTNotifyUI* pMsg = static_cast<tagTNotifyUI*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        DeliverNotify(*pMsg);
        delete pMsg;
    }
}

// ---- caret ----

bool CPaintManagerUI::CreateCaret(HBITMAP hBmp, int nWidth, int nHeight)
{
    ::CreateCaret(m_hWndPaint, hBmp, nWidth, nHeight);
    m_rtCaret.right = m_rtCaret.left + nWidth;
    m_rtCaret.bottom = m_rtCaret.top + nHeight;
    return true;
}

bool CPaintManagerUI::ShowCaret(bool bShow)
{
    if (m_bCaretShowing == bShow) return true;
    m_bCaretShowing = bShow;
    if (bShow) {
        ::SetTimer(m_hWndPaint, kCaretTimerId, ::GetCaretBlinkTime(), NULL);
        if (!m_bCaretActive) {
            Invalidate(m_rtCaret);
            m_bCaretActive = true;
        }
    } else {
        ::KillTimer(m_hWndPaint, kCaretTimerId);
        if (m_bCaretActive) {
            Invalidate(m_rtCaret);
            m_bCaretActive = false;
        }
    }
    return true;
}

bool CPaintManagerUI::SetCaretPos(CRichEditUI* obj, int x, int y)
{
    if (!::SetCaretPos(x, y)) return false;
    m_currentCaretObject = obj;
    RECT tempRt = m_rtCaret;
    int w = m_rtCaret.right - m_rtCaret.left;
    int h = m_rtCaret.bottom - m_rtCaret.top;
    m_rtCaret.left = x;
    m_rtCaret.top = y;
    m_rtCaret.right = x + w;
    m_rtCaret.bottom = y + h;
    Invalidate(tempRt);
    Invalidate(m_rtCaret);
    return true;
}

CRichEditUI* CPaintManagerUI::GetCurrentCaretRichEdit() { return m_currentCaretObject; }

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
        CControlUI* pControl = m_pRoot->FindControl(__FindControlFromShortcut, &fs,
                                                    UIFIND_ENABLED | UIFIND_SELF_FIRST | UIFIND_REVERSE);
        if (pControl != NULL) {
            pControl->SetFocus();
            pControl->Activate();
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

void CPaintManagerUI::SetWantTabQuery(WANTTABPROC pfn) { s_pfnWantTab = pfn; }

bool CPaintManagerUI::TranslateMessage(const LPMSG pMsg)
{
    LRESULT lRes = 0;
    LONG_PTR uStyle = ::GetWindowLongPtrW(pMsg->hwnd, GWL_STYLE);
    if (uStyle & WS_CHILD) {
        // A message for a child window goes to every manager whose window is the child or
        // one of its ancestors, each asked once; it is still translated and dispatched.
        for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
            CPaintManagerUI* pT = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
            HWND hPaint = pT->GetPaintWindow();
            if (hPaint == NULL) continue;
            bool bMatch = false;
            for (HWND hAncestor = ::GetParent(pMsg->hwnd); hAncestor != NULL; hAncestor = ::GetParent(hAncestor)) {
                if (hPaint == pMsg->hwnd || hPaint == hAncestor) {
                    bMatch = true;
                    break;
                }
            }
            if (!bMatch) continue;
            if (pT->TranslateAccelerator(pMsg)) return true;
            pT->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
        }
        return false;
    }
    for (int i = 0; i < m_aPreMessages.GetSize(); i++) {
        CPaintManagerUI* pT = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
        if (pMsg->hwnd == pT->GetPaintWindow()) {
            if (pT->TranslateAccelerator(pMsg)) return true;
            return pT->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
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
