#pragma once
#include <windows.h>
#include <functional>
#include "core/ControlUI.h"
#include "core/PaintManager.h"
#include "core/WindowWnd.h"
#include "PaintTestUtil.h"
#include "PoisonArena.h"

// A shown toolkit window from the wiped-memory arena that deletes itself, manager and tree
// with it, in its final message (as program windows do), and hands every notification to
// the test (act). *gone tells that it went.
namespace painttest {

class ArenaWindow final : public SkinUI::CWindowWnd, public SkinUI::INotifyUI {
public:
    static void* operator new(size_t n) { return PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { PoisonArenaFree(p, n); }
    explicit ArenaWindow(bool* gone) : m_gone(gone) { *m_gone = false; }
    // Shown without activation and painted once, so the tree is laid out.
    void Open(SkinUI::CControlUI* pRoot, int w, int h)
    {
        Create(NULL, L"arena", WS_POPUP, 0, 20, 20, w, h);
        m_pm.Init(m_hWnd);
        m_pm.AddNotifier(this);
        m_pm.AttachDialog(pRoot);
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_hWnd);
        PumpMessages();
    }
    SkinUI::CPaintManagerUI& pm() { return m_pm; }
    void Notify(SkinUI::TNotifyUI& msg) override
    {
        if (act) act(msg);
    }
    // Posted to the window as the system would, then run.
    void Post(UINT uMsg, WPARAM wParam, int x, int y)
    {
        ::PostMessageW(m_hWnd, uMsg, wParam, MAKELPARAM(x, y));
        PumpMessages();
    }
    void Click(int x, int y)
    {
        Post(WM_MOUSEMOVE, 0, x, y);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        Post(WM_LBUTTONUP, 0, x, y);
    }
    std::function<void(SkinUI::TNotifyUI&)> act;

protected:
    LPCTSTR GetWindowClassName() const override { return L"PaintTestArenaWindow"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT lRes = 0;
        if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        return SkinUI::CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override
    {
        *m_gone = true;
        delete this;
    }

private:
    bool* m_gone;
    SkinUI::CPaintManagerUI m_pm;
};

} // namespace painttest
