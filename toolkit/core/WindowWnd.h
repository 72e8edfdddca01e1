#pragma once
#include "core/SkinDefs.h"

namespace SkinUI {

// Wraps one native window: registers its class (or a superclass of an existing class),
// creates or subclasses the window, routes every message to HandleMessage, runs a modal
// loop, and tells the object through OnFinalMessage when the native window is gone.
//
// There is no virtual destructor: a window object is deleted through its most-derived type,
// usually from its own OnFinalMessage.
//
// The final message waits for the window's outermost message: while any message of the
// window is being handled (a notifier, an event handler, a timer, a modal loop run from one
// of them), WM_NCDESTROY only marks the object, and OnFinalMessage runs when that outermost
// frame returns; with no message of the window on the stack it runs at WM_NCDESTROY. So the
// code under every frame of a window that was destroyed meanwhile still finds its object,
// manager and controls; it must only do nothing that needs the window any more.
class SKINUI_API CWindowWnd {
public:
    CWindowWnd();
    // Not virtual (see above); it only tells the frames still on the stack that the object
    // went, when its owner deletes it while one of its messages is being handled.
    ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // Held on the stack by code that, from a message of its own window, runs the controls of
    // another window (a drop-down working on its owner's combo box): that window's final
    // message waits for the hold as for one of its own messages.
    class SKINUI_API CFinalMessageHold {
    public:
        explicit CFinalMessageHold(HWND hWnd);
        ~CFinalMessageHold();
        CFinalMessageHold(const CFinalMessageHold&) = delete;
        CFinalMessageHold& operator=(const CFinalMessageHold&) = delete;

    private:
        friend class CWindowWnd;
        HWND m_hWnd;
        CWindowWnd* m_pWindow;    // set when the window's final message waits for this hold
        HWND m_hWndFinal;         // the handle to pass to it
        CFinalMessageHold* m_pOuter;
        bool m_bLinked;
        // Ends the hold, and runs the final message that waited for it.
        void Release();
    };

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

private:
    // The message in a frame of its window; the final message may run as the frame ends.
    static LRESULT HandleInFrame(CWindowWnd* pThis, HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // WM_NCDESTROY, once the object is unhooked from the window: final now or at the end of
    // the outermost frame of the window.
    void WindowDestroyed(HWND hWnd);

protected:

    HWND m_hWnd;
    WNDPROC m_OldWndProc;
    bool m_bSubclassed;
};

} // namespace SkinUI
