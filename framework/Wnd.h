#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

#include "CmdTarget.h"
#include "Gdi.h"

// <windowsx.h> makes SubclassWindow a macro; the member of the same name wins here.
#ifdef SubclassWindow
#undef SubclassWindow
#endif

// The wrapper of one native window. A wrapper becomes permanent when it is attached to its
// handle (the process-wide handle map finds it again) and owns the window once it has
// subclassed it: every message then passes through WindowProc, the message maps and, for
// the messages a parent gets about its controls, the control's own wrapper.
class COleControlSite;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The wrapper attached to a handle, or null when none is.
    static CWnd* FromHandlePermanent(HWND window);
    BOOL Attach(HWND window);
    HWND Detach();
    // Attaches and routes the window's messages through this wrapper; PreSubclassWindow runs
    // first, so a wrapper can change the window's style before it sees any message.
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow() {}

    // Keyboard and mouse messages are offered here before they are dispatched; TRUE drops them.
    // The wrapper of an ActiveX control hands keyboard messages to the control first.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // ActiveX containment. CreateControl makes the control of `clsid` as child `id` of
    // `parent` through the installed site manager and attaches this wrapper to it. The
    // parent owns the sites of its controls and closes them when its window is destroyed.
    BOOL CreateControl(REFCLSID clsid, LPCWSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    COleControlSite* FindControlSite(UINT id) const;
    COleControlSite* AddControlSite(REFCLSID clsid, LPCWSTR name, DWORD style, const RECT& rect, UINT id,
                                    CWnd* wrapper);
    void DestroyControlSites();
    // An event of control `id`; the event-sink map of a derived class answers it.
    virtual BOOL OnEventSink(UINT id, DISPID dispid, DISPPARAMS* params);
    COleControlSite* m_pCtrlSite = nullptr; // set while this wraps an ActiveX control
    // Offers a message to the wrappers of its target and of every parent or owner above it,
    // up to and including `stop` (null: to the top).
    static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    // Thin wrappers of the platform's window functions.
    BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int id) const { return FromHandlePermanent(::GetDlgItem(m_hWnd, id)); }
    void GetDlgItem(int id, HWND* window) const { *window = ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    HICON SetIcon(HICON icon, BOOL big)
    {
        return reinterpret_cast<HICON>(
            SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    // Centres over the owner (or the alternate window) when that is visible, else over the
    // work area of the primary monitor.
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // The default handling of the message being processed.
    LRESULT Default();

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Control notifications go to the control's wrapper first, then through the maps.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A message about this control that its parent hands back to it; TRUE when handled.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    static BOOL ReflectLastMsg(HWND child, LRESULT* result);
    // Runs once the native window has gone; the wrapper is already detached.
    virtual void PostNcDestroy() {}

    // Default handlers for the map rows: each does what the window would do without a row.
    void OnPaint() { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
    void OnClose() { Default(); }
    void OnMove(int, int) { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
    void OnDestroy() { Default(); }
    BOOL OnQueryOpen() { return static_cast<BOOL>(Default()); }
    void OnTimer(UINT_PTR) { Default(); }
    // Offers the colour message to the control first; without its brush, the default one.
    HBRUSH OnCtlColor(CDC* dc, CWnd* window, UINT kind);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);

    WNDPROC m_pfnSuper = nullptr;                 // the window's own procedure, called by Default
    std::vector<COleControlSite*> m_controlSites; // the controls this window contains

    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtProc(int, WPARAM, LPARAM);

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

private:
    void DetachAfterDestroy();
};

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The next window this thread creates is subclassed by `wnd` before its first message, so
// WM_NCCREATE and WM_CREATE reach the wrapper even for dialogs. Unhook after the creation
// call; it answers whether the window was taken.
void AfxHookWindowCreate(CWnd* wnd);
bool AfxUnhookWindowCreate();

// Wrappers for handles that arrive with a message, valid while the handler runs.
class CTempDC {
public:
    explicit CTempDC(HDC dc) { m_dc.Attach(dc); }
    ~CTempDC() { m_dc.Detach(); }
    CDC* Get() { return &m_dc; }

private:
    CDC m_dc;
};

class CTempWnd {
public:
    explicit CTempWnd(HWND window);
    ~CTempWnd() { m_local.m_hWnd = nullptr; }
    CWnd* Get() { return m_wnd; }

private:
    CWnd m_local;
    CWnd* m_wnd;
};

#include "MessageMap.h"
