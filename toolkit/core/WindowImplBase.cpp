#include "core/WindowImplBase.h"

#include <windowsx.h>
#include <wchar.h>

#include "core/ControlUI.h"

namespace SkinUI {

namespace {

// The native caption goes: the skin draws its own.
const LONG kStyleWithoutCaption = static_cast<LONG>(0xFF3FFFFF);

// Classes that keep the mouse inside the skin's caption area; every other control there
// drags the window.
bool TakesCaptionClicks(LPCTSTR pstrClass)
{
    static const wchar_t* const kClasses[] = { L"ButtonUI", L"OptionUI", L"TextUI", L"SliderUI" };
    for (const wchar_t* pstr : kClasses) {
        if (_wcsicmp(pstrClass, pstr) == 0) return true;
    }
    return false;
}

// The default of most handlers: the message goes on along the chain.
LRESULT PassOn(BOOL& bHandled)
{
    bHandled = FALSE;
    return 0;
}

} // namespace

SKIN_BEGIN_MESSAGE_MAP(WindowImplBase, CNotifyPump)
SKIN_ON_MSGTYPE(L"click", WindowImplBase::OnClick)
SKIN_END_MESSAGE_MAP()

WindowImplBase::WindowImplBase() {}

WindowImplBase::~WindowImplBase() {}

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnClick(TNotifyUI& msg)
{
    if (msg.sender == NULL) return;
    CSkinString sName = msg.sender->GetName();
    if (sName == L"closebtn")
        Close(1);
    else if (sName == L"minbtn")
        SendMessageW(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (sName == L"maxbtn")
        SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (sName == L"restorebtn")
        SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return wParam == VK_ESCAPE ? TRUE : FALSE;
}

CSkinString WindowImplBase::GetSkinFolder()
{
    return CSkinString();
}

LPCTSTR WindowImplBase::GetSkinType()
{
    return NULL;
}

CControlUI* WindowImplBase::CreateControl(LPCTSTR /*pstrClass*/)
{
    return NULL;
}

void WindowImplBase::Notify(TNotifyUI& msg)
{
    NotifyPump(msg);
}

CPaintManagerUI* WindowImplBase::GetPaintManager()
{
    return &m_PaintManager;
}

UINT WindowImplBase::GetClassStyle() const
{
    return CS_DBLCLKS;
}

LONG WindowImplBase::GetStyle()
{
    return ::GetWindowLongW(m_hWnd, GWL_STYLE) & kStyleWithoutCaption;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM /*lParam*/, bool& /*bHandled*/)
{
    if (uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return ResponseDefaultKeyEvent(wParam);
    return 0;
}

void WindowImplBase::OnFinalMessage(HWND /*hWnd*/)
{
    m_PaintManager.RemovePreMessageFilter(this);
    m_PaintManager.RemoveNotifier(this);
    m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    if (::IsIconic(m_hWnd)) bHandled = FALSE;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&)
{
    return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    // A maximised window on a secondary monitor fills that monitor's work area.
    LPWINDOWPOS pPos = reinterpret_cast<LPWINDOWPOS>(lParam);
    if (pPos == NULL || !::IsZoomed(m_hWnd) || (pPos->flags & SWP_FRAMECHANGED) == 0) return 0;
    HMONITOR hMonitor = ::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
    POINT ptOrigin = { 0, 0 };
    if (hMonitor == NULL || hMonitor == ::MonitorFromPoint(ptOrigin, MONITOR_DEFAULTTOPRIMARY)) return 0;
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (!::GetMonitorInfoW(hMonitor, &mi)) return 0;
    pPos->x = mi.rcWork.left;
    pPos->y = mi.rcWork.top;
    pPos->cx = mi.rcWork.right - mi.rcWork.left;
    pPos->cy = mi.rcWork.bottom - mi.rcWork.top;
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&)
{
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ::ScreenToClient(m_hWnd, &pt);
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);

    // 1. The sizing borders, while the window can be sized.
    if (!::IsZoomed(m_hWnd)) {
        const RECT& rcSizeBox = m_PaintManager.GetSizeBox();
        bool bLeft = pt.x < rcClient.left + rcSizeBox.left;
        bool bRight = pt.x >= rcClient.right - rcSizeBox.right;
        if (pt.y < rcClient.top + rcSizeBox.top) {
            if (bLeft) return HTTOPLEFT;
            if (bRight) return HTTOPRIGHT;
            return HTTOP;
        }
        if (pt.y >= rcClient.bottom - rcSizeBox.bottom) {
            if (bLeft) return HTBOTTOMLEFT;
            if (bRight) return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
        if (bLeft) return HTLEFT;
        if (bRight) return HTRIGHT;
    }

    // 2. The caption drags the window, except over the controls that take clicks there.
    const RECT& rcCaption = m_PaintManager.GetCaptionRect();
    if (pt.x >= rcClient.left + rcCaption.left && pt.x < rcClient.right - rcCaption.right && pt.y >= rcCaption.top &&
        pt.y < rcCaption.bottom) {
        CControlUI* pControl = m_PaintManager.FindControl(pt);
        if (pControl != NULL && !TakesCaptionClicks(pControl->GetClass())) return HTCAPTION;
    }

    // 3. Everything else belongs to the controls.
    return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    LPMINMAXINFO lpMMI = reinterpret_cast<LPMINMAXINFO>(lParam);
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (lpMMI == NULL || !::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &mi)) return 0;
    lpMMI->ptMaxPosition.x = mi.rcWork.left - mi.rcMonitor.left;
    lpMMI->ptMaxPosition.y = mi.rcWork.top - mi.rcMonitor.top;
    lpMMI->ptMaxTrackSize.x = mi.rcWork.right - mi.rcWork.left;
    lpMMI->ptMaxTrackSize.y = mi.rcWork.bottom - mi.rcWork.top;
    SIZE szMin = m_PaintManager.GetMinInfo();
    lpMMI->ptMinTrackSize.x = szMin.cx;
    lpMMI->ptMinTrackSize.y = szMin.cy;
    return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = FALSE;
    if (::IsIconic(m_hWnd)) return 0;
    // The skin's rounded corners; 0,0 gives a plain rectangle.
    RECT rcWnd = {};
    ::GetWindowRect(m_hWnd, &rcWnd);
    SIZE szRound = m_PaintManager.GetRoundCorner();
    HRGN hRgn =
        ::CreateRoundRectRgn(0, 0, rcWnd.right - rcWnd.left + 1, rcWnd.bottom - rcWnd.top + 1, szRound.cx, szRound.cy);
    // The window owns the region once it is set.
    if (hRgn != NULL && !::SetWindowRgn(m_hWnd, hRgn, TRUE)) ::DeleteObject(hRgn);
    return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    if (wParam == SC_CLOSE) {
        SendMessageW(WM_CLOSE);
        bHandled = TRUE;
        return 0;
    }
    BOOL bZoomed = ::IsZoomed(m_hWnd);
    LRESULT lRes = CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    if (::IsZoomed(m_hWnd) != bZoomed) {
        CControlUI* pMax = m_PaintManager.FindControl(L"maxbtn");
        CControlUI* pRestore = m_PaintManager.FindControl(L"restorebtn");
        if (pMax != NULL && pRestore != NULL) {
            pMax->SetVisible(bZoomed != FALSE);
            pRestore->SetVisible(bZoomed == FALSE);
        }
    }
    // The restore goes on to the manager, which keeps it from the default procedure a
    // second time.
    if ((wParam & 0xFFF0) == SC_RESTORE) bHandled = FALSE;
    return lRes;
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&)
{
    // 1. No native caption; the window moves to its client rectangle.
    LONG styleValue = ::GetWindowLongW(m_hWnd, GWL_STYLE) & kStyleWithoutCaption;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, styleValue | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    RECT rcClient = {};
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, NULL, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);

    // 2. The manager takes the window and offers its key presses here first.
    m_PaintManager.Init(m_hWnd);
    m_PaintManager.AddPreMessageFilter(this);

    // 3. The skin.
    CDialogBuilder builder;
    LPCTSTR pstrType = GetSkinType();
    CControlUI* pRoot = NULL;
    if (pstrType != NULL) {
        pRoot = builder.Create(static_cast<UINT>(_wtoi(GetSkinFile().GetData())), pstrType, this, &m_PaintManager);
    } else {
        CSkinString sSkin = GetSkinFolder() + GetSkinFile();
        pRoot = builder.Create(sSkin.GetData(), NULL, this, &m_PaintManager);
    }

    // 4. A window without its skin cannot work.
    if (pRoot == NULL) {
        ::MessageBoxW(NULL, L"加载资源文件失败", L"SkinUI", MB_ICONERROR);
        ::ExitProcess(1);
    }

    // 5. Attach the tree and start taking notifications.
    m_PaintManager.AttachDialog(pRoot);
    m_PaintManager.AddNotifier(this);
    InitWindow();
    return 0;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    return PassOn(bHandled);
}

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // 1. The window's own handlers.
    LRESULT lRes = 0;
    BOOL bHandled = TRUE;
    switch (uMsg) {
    case WM_CREATE:
        lRes = OnCreate(uMsg, wParam, lParam, bHandled);
        break;
    case WM_DESTROY:
        lRes = OnDestroy(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SIZE:
        lRes = OnSize(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SETFOCUS:
        lRes = OnSetFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KILLFOCUS:
        lRes = OnKillFocus(uMsg, wParam, lParam, bHandled);
        break;
    case WM_CLOSE:
        lRes = OnClose(uMsg, wParam, lParam, bHandled);
        break;
    case WM_GETMINMAXINFO:
        lRes = OnGetMinMaxInfo(uMsg, wParam, lParam, bHandled);
        break;
    case WM_WINDOWPOSCHANGING:
        lRes = OnWindowPosChanging(uMsg, wParam, lParam, bHandled);
        break;
    case WM_NCCALCSIZE:
        lRes = OnNcCalcSize(uMsg, wParam, lParam, bHandled);
        break;
    case WM_NCHITTEST:
        lRes = OnNcHitTest(uMsg, wParam, lParam, bHandled);
        break;
    case WM_NCPAINT:
        lRes = OnNcPaint(uMsg, wParam, lParam, bHandled);
        break;
    case WM_NCACTIVATE:
        lRes = OnNcActivate(uMsg, wParam, lParam, bHandled);
        break;
    case WM_KEYDOWN:
        lRes = OnKeyDown(uMsg, wParam, lParam, bHandled);
        break;
    case WM_CHAR:
        lRes = OnChar(uMsg, wParam, lParam, bHandled);
        break;
    case WM_SYSCOMMAND:
        lRes = OnSysCommand(uMsg, wParam, lParam, bHandled);
        break;
    case WM_MOUSEMOVE:
        lRes = OnMouseMove(uMsg, wParam, lParam, bHandled);
        break;
    case WM_LBUTTONDOWN:
        lRes = OnLButtonDown(uMsg, wParam, lParam, bHandled);
        break;
    case WM_LBUTTONUP:
        lRes = OnLButtonUp(uMsg, wParam, lParam, bHandled);
        break;
    case WM_MOUSEWHEEL:
        lRes = OnMouseWheel(uMsg, wParam, lParam, bHandled);
        break;
    case WM_MOUSEHOVER:
        lRes = OnMouseHover(uMsg, wParam, lParam, bHandled);
        break;
    default:
        bHandled = FALSE;
        break;
    }
    if (bHandled) return lRes;

    // 2. The derived window's other messages.
    lRes = HandleCustomMessage(uMsg, wParam, lParam, bHandled);
    if (bHandled) return lRes;

    // 3. The controls.
    if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;

    // 4. The class's own procedure.
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

} // namespace SkinUI
