#include "core/WindowWnd.h"
#include "core/PaintManager.h"

namespace SkinUI {

namespace {

// Windows of superclassed classes keep their object here; the user data belongs to the
// class whose procedure they inherit.
const wchar_t kObjectProperty[] = L"WndX";

inline LONG_PTR WindowStyle(HWND hWnd)
{
    return ::GetWindowLongPtrW(hWnd, GWL_STYLE);
}
inline LONG_PTR WindowExStyle(HWND hWnd)
{
    return ::GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
}

// The innermost message frame or hold of this thread; each links to the one made before it.
thread_local CWindowWnd::CFinalMessageHold* t_pInnermostHold = NULL;

} // namespace

CWindowWnd::CWindowWnd() : m_hWnd(NULL), m_OldWndProc(::DefWindowProcW), m_bSubclassed(false) {}

CWindowWnd::~CWindowWnd()
{
    for (CFinalMessageHold* p = t_pInnermostHold; p != NULL; p = p->m_pOuter) {
        if (p->m_pWindow == this) p->m_pWindow = NULL;
    }
}

CWindowWnd::CFinalMessageHold::CFinalMessageHold(HWND hWnd)
    : m_hWnd(hWnd), m_pWindow(NULL), m_hWndFinal(NULL), m_pOuter(t_pInnermostHold), m_bLinked(true)
{
    t_pInnermostHold = this;
}

CWindowWnd::CFinalMessageHold::~CFinalMessageHold()
{
    Release();
}

void CWindowWnd::CFinalMessageHold::Release()
{
    if (!m_bLinked) return;
    m_bLinked = false;
    t_pInnermostHold = m_pOuter;
    CWindowWnd* pWindow = m_pWindow;
    m_pWindow = NULL;
    if (pWindow != NULL) pWindow->OnFinalMessage(m_hWndFinal);
}

HWND CWindowWnd::GetHWND() const
{
    return m_hWnd;
}

CWindowWnd::operator HWND() const
{
    return m_hWnd;
}

LPCTSTR CWindowWnd::GetSuperClassName() const
{
    return NULL;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursorW(NULL, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    ATOM ret = ::RegisterClassW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(WNDCLASSEXW);
    if (!::GetClassInfoExW(NULL, GetSuperClassName(), &wc)) {
        if (!::GetClassInfoExW(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc)) return false;
    }
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    ATOM ret = ::RegisterClassExW(&wc);
    return ret != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                  hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx, int cy,
                        HMENU hMenu)
{
    if (GetSuperClassName() != NULL ? !RegisterSuperclass() : !RegisterWindowClass()) return NULL;
    HWND hWnd = ::CreateWindowExW(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                                  CPaintManagerUI::GetInstance(), this);
    // A window that failed during creation may already have deleted this object in its
    // final message: touch members only when the window exists.
    if (hWnd == NULL) return NULL;
    m_hWnd = hWnd;
    return hWnd;
}

HWND CWindowWnd::CreateSkinWindow(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, 0, 0, 0, 0, NULL);
}

HWND CWindowWnd::Subclass(HWND hWnd)
{
    // The object is reachable before the new procedure can see a message.
    LONG_PTR oldData = ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    WNDPROC oldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CWindowWnd::__WndProc)));
    if (oldProc == NULL) {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, oldData);
        return NULL;
    }
    m_OldWndProc = oldProc;
    m_bSubclassed = true;
    m_hWnd = hWnd;
    return m_hWnd;
}

void CWindowWnd::Unsubclass()
{
    if (!::IsWindow(m_hWnd) || !m_bSubclassed) return;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProcW;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (!::IsWindow(m_hWnd)) return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal()
{
    // The object may be deleted by its final message inside the loop: from here on only
    // locals are used.
    HWND hWnd = m_hWnd;
    if (!::IsWindow(hWnd)) return 0;
    UINT nRet = 0;
    HWND hWndOwner = ::GetWindow(hWnd, GW_OWNER);
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    if (hWndOwner != NULL) ::EnableWindow(hWndOwner, FALSE);

    MSG msg = {};
    bool bQuit = false;
    while (::IsWindow(hWnd)) {
        BOOL got = ::GetMessageW(&msg, NULL, 0, 0);
        if (got <= 0) {
            bQuit = got == 0;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            // The owner must be enabled before this window goes, or the system gives the
            // activation to some other application.
            if (hWndOwner != NULL) {
                ::EnableWindow(hWndOwner, TRUE);
                ::SetFocus(hWndOwner);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (hWndOwner != NULL) {
        ::EnableWindow(hWndOwner, TRUE);
        ::SetFocus(hWndOwner);
    }
    if (bQuit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return nRet;
}

void CWindowWnd::Close(UINT nRet)
{
    if (!::IsWindow(m_hWnd)) return;
    ::PostMessageW(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0L);
}

void CWindowWnd::CenterWindow()
{
    if (!::IsWindow(m_hWnd)) return;
    RECT rcDlg = {};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    HWND hWndRef = hWndOwner != NULL ? hWndOwner : m_hWnd;

    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoW(::MonitorFromWindow(hWndRef, MONITOR_DEFAULTTONEAREST), &mi);
    RECT rcArea = mi.rcWork;
    RECT rcCenter = rcArea;
    if (hWndOwner != NULL) ::GetWindowRect(hWndOwner, &rcCenter);

    int width = rcDlg.right - rcDlg.left;
    int height = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - width / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - height / 2;
    if (x < rcArea.left)
        x = rcArea.left;
    else if (x + width > rcArea.right)
        x = rcArea.right - width;
    if (y < rcArea.top)
        y = rcArea.top;
    else if (y + height > rcArea.bottom)
        y = rcArea.bottom - height;
    ::SetWindowPos(m_hWnd, NULL, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes)
{
    // Shared icons belong to the system: the window may keep them for ever without a leak.
    int cx = (::GetSystemMetrics(SM_CXICON) + 15) & ~15;
    int cy = (::GetSystemMetrics(SM_CYICON) + 15) & ~15;
    HANDLE hIcon = ::LoadImageW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON, cx, cy,
                                LR_DEFAULTCOLOR | LR_SHARED);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIcon));
    hIcon = ::LoadImageW(CPaintManagerUI::GetInstance(), MAKEINTRESOURCEW(nRes), IMAGE_ICON, cx, cy,
                         LR_DEFAULTCOLOR | LR_SHARED);
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
}

LRESULT CWindowWnd::SendMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    RECT rc = {};
    if (!::GetClientRect(m_hWnd, &rc)) return;
    if (cx != -1) rc.right = cx;
    if (cy != -1) rc.bottom = cy;
    DWORD dwStyle = static_cast<DWORD>(WindowStyle(m_hWnd));
    BOOL bMenu = !(dwStyle & WS_CHILD) && ::GetMenu(m_hWnd) != NULL;
    if (!::AdjustWindowRectEx(&rc, dwStyle, bMenu, static_cast<DWORD>(WindowExStyle(m_hWnd)))) return;
    ::SetWindowPos(m_hWnd, NULL, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*hWnd*/) {}

LRESULT CWindowWnd::HandleInFrame(CWindowWnd* pThis, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CFinalMessageHold frame(hWnd);
    const LRESULT lRes = pThis->HandleMessage(uMsg, wParam, lParam);
    // The object may be gone from here on.
    frame.Release();
    return lRes;
}

void CWindowWnd::WindowDestroyed(HWND hWnd)
{
    m_hWnd = NULL;
    CFinalMessageHold* pOutermost = NULL;
    for (CFinalMessageHold* p = t_pInnermostHold; p != NULL; p = p->m_pOuter) {
        if (p->m_hWnd == hWnd) pOutermost = p;
    }
    if (pOutermost == NULL) {
        OnFinalMessage(hWnd);
        return;
    }
    pOutermost->m_pWindow = this;
    pOutermost->m_hWndFinal = hWnd;
}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = NULL;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != NULL) {
            pThis->m_hWnd = hWnd;
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
        }
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != NULL) {
            LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
            if (pThis->m_bSubclassed) pThis->Unsubclass();
            pThis->WindowDestroyed(hWnd);
            return lRes;
        }
    }
    if (pThis != NULL) return HandleInFrame(pThis, hWnd, uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = NULL;
    if (uMsg == WM_NCCREATE) {
        LPCREATESTRUCTW lpcs = reinterpret_cast<LPCREATESTRUCTW>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        if (pThis != NULL) {
            ::SetPropW(hWnd, kObjectProperty, static_cast<HANDLE>(pThis));
            pThis->m_hWnd = hWnd;
        }
    } else {
        pThis = static_cast<CWindowWnd*>(::GetPropW(hWnd, kObjectProperty));
        if (uMsg == WM_NCDESTROY && pThis != NULL) {
            LRESULT lRes = ::CallWindowProcW(pThis->m_OldWndProc, hWnd, uMsg, wParam, lParam);
            if (pThis->m_bSubclassed) pThis->Unsubclass();
            ::RemovePropW(hWnd, kObjectProperty);
            pThis->WindowDestroyed(hWnd);
            return lRes;
        }
    }
    if (pThis != NULL) return HandleInFrame(pThis, hWnd, uMsg, wParam, lParam);
    return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

} // namespace SkinUI
