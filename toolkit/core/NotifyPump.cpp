#include "core/NotifyPump.h"
#include "core/ControlUI.h"

#include <stdio.h>
#include <wchar.h>

namespace SkinUI {

SKIN_BASE_BEGIN_MESSAGE_MAP(CNotifyPump)
SKIN_END_MESSAGE_MAP()

CNotifyPump::CNotifyPump() {}

bool CNotifyPump::AddVirtualWnd(CSkinString strName, CNotifyPump* pObject)
{
    if (m_VirtualWndMap.Find(strName) != NULL) return false;
    return m_VirtualWndMap.Insert(strName, pObject);
}

bool CNotifyPump::RemoveVirtualWnd(CSkinString strName)
{
    if (m_VirtualWndMap.Find(strName) == NULL) return false;
    return m_VirtualWndMap.Remove(strName);
}

const SKIN_MSGMAP_ENTRY* CNotifyPump::FindMessageEntry(const SKIN_MSGMAP* pMap, LPCTSTR pstrType, LPCTSTR pstrSender)
{
    if (pstrType == NULL) return NULL;
    for (; pMap != NULL; pMap = pMap->pfnGetBaseMap != NULL ? pMap->pfnGetBaseMap() : NULL) {
        const SKIN_MSGMAP_ENTRY* pGeneric = NULL;
        for (const SKIN_MSGMAP_ENTRY* e = pMap->lpEntries; e != NULL && e->nSig != SKINSIG_END; ++e) {
            if (e->sMsgType != pstrType) continue;
            if (e->sCtrlName.IsEmpty())
                pGeneric = e;
            else if (pstrSender != NULL && e->sCtrlName == pstrSender)
                return e;
        }
        if (pGeneric != NULL) return pGeneric;
    }
    return NULL;
}

bool CNotifyPump::LoopDispatch(tagTNotifyUI& msg)
{
    // A notification whose sender is already gone matches only entries for any control.
    CSkinString sSender;
    if (msg.sender != NULL) sSender = msg.sender->GetName();
    const SKIN_MSGMAP_ENTRY* e =
        FindMessageEntry(GetMessageMap(), msg.type, msg.sender != NULL ? sSender.GetData() : NULL);
    if (e == NULL) return false;
    switch (e->nSig) {
    case SKINSIG_PARAMS:
        (this->*(e->pfnParams))(msg.wParam, msg.lParam);
        return true;
    case SKINSIG_NOTIFY:
        (this->*(e->pfnNotify))(msg);
        return true;
    default:
        return false;
    }
}

void CNotifyPump::NotifyPump(tagTNotifyUI& msg)
{
    if (!msg.virtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            LPCTSTR key = m_VirtualWndMap.GetAt(i);
            if (key == NULL || _wcsicmp(key, msg.virtualWnd) != 0) continue;
            CNotifyPump* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject != NULL && pObject->LoopDispatch(msg)) return;
        }
    }
    LoopDispatch(msg);
}

// ---------------------------------------------------------------------------------------

LPCTSTR SKIN__TraceMsg(UINT uMsg)
{
#define SKIN_MSG_NAME(x)                                                                                               \
    {                                                                                                                  \
        x, L"" #x                                                                                                      \
    }
    static const struct {
        UINT msg;
        LPCTSTR name;
    } kNames[] = {
        SKIN_MSG_NAME(WM_SETCURSOR),
        SKIN_MSG_NAME(WM_NCHITTEST),
        SKIN_MSG_NAME(WM_NCPAINT),
        SKIN_MSG_NAME(WM_PAINT),
        SKIN_MSG_NAME(WM_ERASEBKGND),
        SKIN_MSG_NAME(WM_NCMOUSEMOVE),
        SKIN_MSG_NAME(WM_MOUSEMOVE),
        SKIN_MSG_NAME(WM_MOUSELEAVE),
        SKIN_MSG_NAME(WM_MOUSEHOVER),
        SKIN_MSG_NAME(WM_NOTIFY),
        SKIN_MSG_NAME(WM_COMMAND),
        SKIN_MSG_NAME(WM_MEASUREITEM),
        SKIN_MSG_NAME(WM_DRAWITEM),
        SKIN_MSG_NAME(WM_LBUTTONDOWN),
        SKIN_MSG_NAME(WM_LBUTTONUP),
        SKIN_MSG_NAME(WM_LBUTTONDBLCLK),
        SKIN_MSG_NAME(WM_RBUTTONDOWN),
        SKIN_MSG_NAME(WM_RBUTTONUP),
        SKIN_MSG_NAME(WM_RBUTTONDBLCLK),
        SKIN_MSG_NAME(WM_SETFOCUS),
        SKIN_MSG_NAME(WM_KILLFOCUS),
        SKIN_MSG_NAME(WM_MOVE),
        SKIN_MSG_NAME(WM_SIZE),
        SKIN_MSG_NAME(WM_SIZING),
        SKIN_MSG_NAME(WM_MOVING),
        SKIN_MSG_NAME(WM_GETMINMAXINFO),
        SKIN_MSG_NAME(WM_CAPTURECHANGED),
        SKIN_MSG_NAME(WM_WINDOWPOSCHANGED),
        SKIN_MSG_NAME(WM_WINDOWPOSCHANGING),
        SKIN_MSG_NAME(WM_NCCALCSIZE),
        SKIN_MSG_NAME(WM_NCCREATE),
        SKIN_MSG_NAME(WM_NCDESTROY),
        SKIN_MSG_NAME(WM_TIMER),
        SKIN_MSG_NAME(WM_KEYDOWN),
        SKIN_MSG_NAME(WM_KEYUP),
        SKIN_MSG_NAME(WM_CHAR),
        SKIN_MSG_NAME(WM_SYSKEYDOWN),
        SKIN_MSG_NAME(WM_SYSKEYUP),
        SKIN_MSG_NAME(WM_SYSCOMMAND),
        SKIN_MSG_NAME(WM_SYSCHAR),
        SKIN_MSG_NAME(WM_VSCROLL),
        SKIN_MSG_NAME(WM_HSCROLL),
        SKIN_MSG_NAME(WM_SHOWWINDOW),
        SKIN_MSG_NAME(WM_PARENTNOTIFY),
        SKIN_MSG_NAME(WM_CREATE),
        SKIN_MSG_NAME(WM_NCACTIVATE),
        SKIN_MSG_NAME(WM_ACTIVATE),
        SKIN_MSG_NAME(WM_ACTIVATEAPP),
        SKIN_MSG_NAME(WM_CLOSE),
        SKIN_MSG_NAME(WM_DESTROY),
        SKIN_MSG_NAME(WM_GETICON),
        SKIN_MSG_NAME(WM_GETTEXT),
        SKIN_MSG_NAME(WM_GETTEXTLENGTH),
    };
#undef SKIN_MSG_NAME
    for (const auto& n : kNames) {
        if (n.msg == uMsg) return n.name;
    }
    static TCHAR szMsg[16];
    _snwprintf(szMsg, sizeof(szMsg) / sizeof(szMsg[0]) - 1, L"0x%04X", uMsg);
    szMsg[sizeof(szMsg) / sizeof(szMsg[0]) - 1] = 0;
    return szMsg;
}

void SKIN__Trace(LPCTSTR /*pstrFormat*/, ...) {}

} // namespace SkinUI
