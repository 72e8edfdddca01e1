#include "TreeTestUtil.h"
#include <cstdio>

using namespace SkinUI;

namespace treetest {

int ProbeUI::s_destroyed = 0;

ManagedWindow::ManagedWindow(int w, int h, bool bShow) : m_hwnd(NULL)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleW(NULL);
        wc.lpszClassName = L"TreeTestHost";
        wc.hCursor = ::LoadCursorW(NULL, MAKEINTRESOURCEW(32512));
        ::RegisterClassW(&wc);
        registered = true;
    }
    // A popup has no frame, so the client area is the whole window.
    m_hwnd = ::CreateWindowExW(0, L"TreeTestHost", L"tree", WS_POPUP, 0, 0, w, h, NULL, NULL, ::GetModuleHandleW(NULL),
                               NULL);
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_pm));
    m_pm.Init(m_hwnd);
    if (bShow) {
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        ::UpdateWindow(m_hwnd);
    }
}

ManagedWindow::~ManagedWindow()
{
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
}

void ManagedWindow::Attach(CControlUI* pRoot)
{
    m_pm.AttachDialog(pRoot);
    RECT rc;
    ::GetClientRect(m_hwnd, &rc);
    pRoot->SetPos(rc);
}

LRESULT ManagedWindow::Mouse(UINT uMsg, int x, int y, WPARAM wParam)
{
    return ::SendMessageW(m_hwnd, uMsg, wParam, MAKELPARAM(x, y));
}

LRESULT CALLBACK ManagedWindow::WndProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CPaintManagerUI* pm = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT lRes = 0;
    if (pm != NULL && pm->MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
}

ProbeUI::ProbeUI(const wchar_t* name, std::vector<std::wstring>* log) : m_log(log)
{
    SetName(name);
}

ProbeUI::~ProbeUI()
{
    if (m_onDestroy != nullptr) m_onDestroy(this);
    ++s_destroyed;
}

void ProbeUI::DoInit()
{
    if (m_log != nullptr) m_log->push_back(GetName().GetData());
}

ProbeUI* Fixed(int cx, int cy, const wchar_t* name)
{
    ProbeUI* p = new ProbeUI(name);
    p->SetFixedWidth(cx);
    p->SetFixedHeight(cy);
    return p;
}

CControlUI* CALLBACK RecordVisit(CControlUI* pThis, LPVOID pData)
{
    static_cast<std::vector<CControlUI*>*>(pData)->push_back(pThis);
    return NULL;
}

CControlUI* CALLBACK TakeFirst(CControlUI* pThis, LPVOID)
{
    return pThis;
}

std::string Str(const RECT& rc)
{
    char buf[64];
    std::snprintf(buf, sizeof(buf), "{%ld,%ld,%ld,%ld}", rc.left, rc.top, rc.right, rc.bottom);
    return buf;
}

} // namespace treetest
