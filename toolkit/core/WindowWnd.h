#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Wraps one native window: registers its class (or a superclass of an existing class),
// creates or subclasses the window, routes every message to HandleMessage, runs a modal
// loop, and tells the object through OnFinalMessage when the native window is gone.
//
// There is no virtual destructor: a window object is deleted through its most-derived type,
// usually from its own OnFinalMessage.
class SKINUI_API CWindowWnd {
public:
    CWindowWnd();

    HWND GetHWND() const;
    operator HWND() const;

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc, HMENU hMenu = NULL);
    HWND Create(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = NULL);
    HWND CreateSkinWindow(HWND hwndParent, LPCTSTR pstrName, DWORD dwStyle = 0, DWORD dwExStyle = 0);
    HWND Subclass(HWND hWnd);
    void Unsubclass();
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Runs a message loop until the window is gone; returns the code passed with the
    // window's own posted WM_CLOSE (see Close), 0 otherwise. A WM_QUIT ends the loop and is
    // posted again for the outer loop.
    UINT ShowModal();
    virtual void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);

    LRESULT SendMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0L);
    LRESULT PostMessageW(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0L);
    // -1 keeps that dimension of the client area.
    void ResizeClient(int cx = -1, int cy = -1);

protected:
    virtual LPCTSTR GetWindowClassName() const = 0;
    virtual LPCTSTR GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The native window is gone (handle already null); the object may delete itself here.
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK __WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK __ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd;
    WNDPROC m_OldWndProc;
    bool m_bSubclassed;
};

} // namespace SkinUI
