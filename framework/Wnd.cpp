#include "Wnd.h"

#include <cstdio>

#include "OleControl.h"
#include "WinApp.h"

#include <mutex>
#include <unordered_map>

namespace {

// Handles are process-wide, so the map is too; worker threads may look a window up.
std::mutex g_mapLock;
std::unordered_map<HWND, CWnd*>& HandleMap()
{
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The message each thread is processing, for Default(); saved and restored around nested
// messages.
struct CurrentMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current{};

thread_local HHOOK t_cbtHook = nullptr;
thread_local CWnd* t_pendingCreate = nullptr;

const wchar_t kPlainWindowClass[] = L"FrameworkWnd";

} // namespace

CWnd::~CWnd()
{
    if (m_pCtrlSite) m_pCtrlSite->ForgetWrapper();
    m_pCtrlSite = nullptr;
    DestroyControlSites();
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        if (m_pfnSuper)
            DestroyWindow();
        else
            Detach();
    }
}

const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, 0, MsgKind::Message, nullptr } };
    static const AFX_MSGMAP map = { &CCmdTarget::GetThisMessageMap, entries };
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const
{
    return GetThisMessageMap();
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window) return nullptr;
    std::lock_guard<std::mutex> lock(g_mapLock);
    auto found = HandleMap().find(window);
    return found == HandleMap().end() ? nullptr : found->second;
}

BOOL CWnd::Attach(HWND window)
{
    if (!window || m_hWnd) return FALSE;
    std::lock_guard<std::mutex> lock(g_mapLock);
    if (!HandleMap().emplace(window, this).second) return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (window) {
        std::lock_guard<std::mutex> lock(g_mapLock);
        auto found = HandleMap().find(window);
        if (found != HandleMap().end() && found->second == this) HandleMap().erase(found);
    }
    m_hWnd = nullptr;
    return window;
}

BOOL CWnd::SubclassWindow(HWND window)
{
    if (!Attach(window)) return FALSE;
    PreSubclassWindow();
    WNDPROC old =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (!old) {
        Detach();
        return FALSE;
    }
    if (old != &AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND control = ::GetDlgItem(parent->GetSafeHwnd(), static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::PreTranslateMessage(MSG* msg)
{
    return m_pCtrlSite ? m_pCtrlSite->ForwardKeyboard(msg) : FALSE;
}

COleControlSite* CWnd::AddControlSite(REFCLSID clsid, LPCWSTR name, DWORD style, const RECT& rect, UINT id,
                                      CWnd* wrapper)
{
    COccManager* manager = AfxGetOccManager();
    if (!manager) manager = AfxGetDefaultOccManager();
    COleControlSite* site = manager->CreateSite(this);
    if (!site) return nullptr;
    const HRESULT hr = site->CreateControl(wrapper, clsid, name, style, rect, id);
    if (FAILED(hr)) {
        wchar_t text[96];
        _snwprintf(text, 96, L"control %u cannot be created: 0x%08lX\n", id, static_cast<unsigned long>(hr));
        text[95] = L'\0';
        ::OutputDebugStringW(text);
        site->DestroyControl();
        return nullptr;
    }
    m_controlSites.push_back(site);
    return site;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    if (!parent || !parent->m_hWnd || m_hWnd) return FALSE;
    return parent->AddControlSite(clsid, name, style, rect, id, this) != nullptr;
}

COleControlSite* CWnd::FindControlSite(UINT id) const
{
    for (COleControlSite* site : m_controlSites)
        if (site->GetCtrlID() == id) return site;
    return nullptr;
}

void CWnd::DestroyControlSites()
{
    std::vector<COleControlSite*> sites;
    sites.swap(m_controlSites);
    for (COleControlSite* site : sites) site->DestroyControl();
}

BOOL CWnd::OnEventSink(UINT, DISPID, DISPPARAMS*)
{
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg)
{
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        CWnd* wnd = FromHandlePermanent(window);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (window == stop) break;
    }
    return FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!className) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        if (!::GetClassInfoExW(instance, kPlainWindowClass, &wc)) {
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = ::DefWindowProcW;
            wc.hInstance = instance;
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = kPlainWindowClass;
            if (!::RegisterClassExW(&wc)) return FALSE;
        }
        className = kPlainWindowClass;
    }
    HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    AfxHookWindowCreate(this);
    HWND window =
        ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent ? parent->GetSafeHwnd() : nullptr, menuOrId, instance, param);
    AfxUnhookWindowCreate();
    return window != nullptr && m_hWnd == window;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    HWND window = m_hWnd;
    const BOOL done = ::DestroyWindow(window);
    // A window that was attached but never subclassed sees no WM_NCDESTROY here.
    if (m_hWnd == window) Detach();
    return done;
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rect));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rect) + 1);
}

static BOOL ChangeStyle(HWND window, int index, DWORD remove, DWORD add, UINT flags)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window, index));
    const DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongPtrW(window, index, static_cast<LONG_PTR>(changed));
    if (flags)
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags)
{
    return ChangeStyle(m_hWnd, GWL_STYLE, remove, add, flags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags)
{
    return ChangeStyle(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    const bool child = (GetStyle() & WS_CHILD) != 0;
    HWND centre =
        alternateOwner ? alternateOwner->m_hWnd : (child ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    RECT area{};
    if (child && centre) {
        ::GetClientRect(centre, &area);
    } else if (centre && ::IsWindowVisible(centre) && !::IsIconic(centre)) {
        ::GetWindowRect(centre, &area);
    } else {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own{};
    ::GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    // The controls go while their container's window still exists.
    if (message == WM_DESTROY) DestroyControlSites();
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *result = 0;
        return TRUE;
    }
    if (DispatchMapped(MsgKind::Message, message, wParam, lParam, result)) return TRUE;
    // Without a row of its own the parent offers these to the control they are about.
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        CTempDC dc(reinterpret_cast<HDC>(wParam));
        CTempWnd control(reinterpret_cast<HWND>(lParam));
        *result = reinterpret_cast<LRESULT>(OnCtlColor(dc.Get(), control.Get(), message - WM_CTLCOLORMSGBOX));
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
        if (item && item->CtlType != ODT_MENU && ReflectLastMsg(item->hwndItem, result)) return TRUE;
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND control = reinterpret_cast<HWND>(lParam);
    LRESULT ignored = 0;
    if (control && ReflectLastMsg(control, &ignored)) return TRUE;
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), lParam);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    return DispatchMapped(MsgKind::Reflected, message, wParam, lParam, result);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result)
{
    CWnd* control = FromHandlePermanent(child);
    if (!control) return FALSE;
    return control->OnChildNotify(t_current.message, t_current.wParam, t_current.lParam, result);
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* window, UINT)
{
    LRESULT result = 0;
    if (window && ReflectLastMsg(window->m_hWnd, &result)) return reinterpret_cast<HBRUSH>(result);
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT item)
{
    LRESULT result = 0;
    if (item && item->CtlType != ODT_MENU && ReflectLastMsg(item->hwndItem, &result)) return;
    Default();
}

void CWnd::DetachAfterDestroy()
{
    m_pfnSuper = nullptr;
    Detach();
    PostNcDestroy();
}

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd) return ::DefWindowProcW(window, message, wParam, lParam);
    const CurrentMessage saved = t_current;
    t_current = { window, message, wParam, lParam };
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    t_current = saved;
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(window) == wnd) wnd->DetachAfterDestroy();
    return result;
}

LRESULT CALLBACK AfxCbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pendingCreate) {
        CWnd* wnd = t_pendingCreate;
        t_pendingCreate = nullptr;
        wnd->SubclassWindow(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(t_cbtHook, code, wParam, lParam);
}

void AfxHookWindowCreate(CWnd* wnd)
{
    if (!t_cbtHook) t_cbtHook = ::SetWindowsHookExW(WH_CBT, &AfxCbtProc, nullptr, ::GetCurrentThreadId());
    t_pendingCreate = wnd;
}

bool AfxUnhookWindowCreate()
{
    if (t_cbtHook) {
        ::UnhookWindowsHookEx(t_cbtHook);
        t_cbtHook = nullptr;
    }
    const bool taken = t_pendingCreate == nullptr;
    t_pendingCreate = nullptr;
    return taken;
}

CTempWnd::CTempWnd(HWND window) : m_wnd(CWnd::FromHandlePermanent(window))
{
    if (!m_wnd && window) {
        m_local.m_hWnd = window;
        m_wnd = &m_local;
    }
}
