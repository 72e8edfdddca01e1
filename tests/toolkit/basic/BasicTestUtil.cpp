#include "BasicTestUtil.h"

using namespace SkinUI;

namespace basictest {

HostWindow::HostWindow() {}

HostWindow::~HostWindow()
{
    if (m_hWnd != NULL) ::DestroyWindow(m_hWnd);
    Pump();
}

void HostWindow::Open(CControlUI* pRoot, int w, int h, bool bShow)
{
    RECT rc = { 0, 0, w, h };
    ::AdjustWindowRectEx(&rc, WS_POPUP, FALSE, 0);
    Create(NULL, L"basic", WS_POPUP, 0, 20, 20, rc.right - rc.left, rc.bottom - rc.top);
    m_pm.Init(m_hWnd);
    m_pm.AddNotifier(this);
    m_pm.AttachDialog(pRoot);
    if (bShow) ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    Update();
    // The first paint gives the first tab stop the focus; the tests start from no focus.
    m_pm.SetFocus(NULL);
    Pump();
}

LRESULT HostWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The pointer is played by posted moves. The system's leave notice follows the real
    // pointer, which tests running side by side share, so it would end a hover at random.
    if (uMsg == WM_MOUSELEAVE) return 0;
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void HostWindow::Notify(TNotifyUI& msg)
{
    const std::wstring type(msg.type.GetData());
    if (type == L"windowinit" || type == L"setfocus" || type == L"killfocus") {
        ignored.push_back(type);
        return;
    }
    notes.push_back(Note{ type, msg.sender, msg.wParam, msg.lParam });
}

void HostWindow::Pump()
{
    painttest::PumpMessages();
}

void HostWindow::Update()
{
    // A hidden window gets no WM_PAINT from the system: the paint is asked for directly.
    ::InvalidateRect(m_hWnd, NULL, FALSE);
    ::UpdateWindow(m_hWnd);
    if (!::IsWindowVisible(m_hWnd)) ::SendMessageW(m_hWnd, WM_PAINT, 0, 0);
    Pump();
}

void HostWindow::Post(UINT msg, WPARAM wParam, int x, int y)
{
    ::PostMessageW(m_hWnd, msg, wParam, MAKELPARAM(x, y));
    Pump();
}

void HostWindow::Move(int x, int y)
{
    Post(WM_MOUSEMOVE, 0, x, y);
}
void HostWindow::MoveWithoutPaint(int x, int y)
{
    ::PostMessageW(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    MSG msg;
    while (::PeekMessageW(&msg, m_hWnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) ::DispatchMessageW(&msg);
}

void HostWindow::Down(int x, int y)
{
    Post(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
}
void HostWindow::Up(int x, int y)
{
    Post(WM_LBUTTONUP, 0, x, y);
}
void HostWindow::DblClk(int x, int y)
{
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
}

void HostWindow::Click(int x, int y)
{
    Move(x, y);
    Down(x, y);
    Up(x, y);
}

void HostWindow::Key(UINT vk)
{
    ::PostMessageW(m_hWnd, WM_KEYDOWN, vk, 1);
    ::PostMessageW(m_hWnd, WM_KEYUP, vk, 0xC0000001);
    Pump();
}

void HostWindow::Wheel(int x, int y, int delta)
{
    POINT pt = { x, y };
    ::ClientToScreen(m_hWnd, &pt);
    ::PostMessageW(m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                   MAKELPARAM(pt.x, pt.y));
    Pump();
}

HCURSOR HostWindow::CursorAt(int x, int y)
{
    // The manager reads the shared pointer position, which tests running side by side move;
    // the event it would make is given to the control under (x, y) directly.
    POINT pt = { x, y };
    ::SetCursor(NULL);
    CControlUI* pControl = m_pm.FindControl(pt);
    if (pControl == NULL || !(pControl->GetControlFlags() & UIFLAG_SETCURSOR)) return NULL;
    TEventUI event = {};
    event.type = UIEVENT_SETCURSOR;
    event.sender = pControl;
    event.mousePos = pt;
    event.timestamp = ::GetTickCount();
    pControl->Event(event);
    return ::GetCursor();
}

void HostWindow::PaintTo(painttest::Canvas& canvas)
{
    RECT rc = { 0, 0, canvas.width(), canvas.height() };
    m_pm.GetRoot()->DoPaint(canvas.dc(), rc);
    ::GdiFlush();
}

std::vector<std::wstring> HostWindow::Types(CControlUI* pSender) const
{
    std::vector<std::wstring> out;
    for (const Note& n : notes)
        if (pSender == NULL || n.sender == pSender) out.push_back(n.type);
    return out;
}

int HostWindow::Count(LPCWSTR type, CControlUI* pSender) const
{
    int n = 0;
    for (const Note& note : notes)
        if (note.type == type && (pSender == NULL || note.sender == pSender)) n++;
    return n;
}

void AddSolidImage(CPaintManagerUI& pm, LPCWSTR name, uint32_t color, int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h, color);
    pm.AddImage(name, painttest::MakeSourceBitmap(w, h, px), w, h, false);
}

void AddGradedImage(CPaintManagerUI& pm, LPCWSTR name, int w, int h)
{
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            px[static_cast<size_t>(y) * w + x] =
                0xFF000000u | (static_cast<uint32_t>(x & 0xFF) << 16) | (static_cast<uint32_t>(y & 0xFF) << 8);
    pm.AddImage(name, painttest::MakeSourceBitmap(w, h, px), w, h, false);
}

void SendEvent(CControlUI& control, int type, int x, int y)
{
    TEventUI event = {};
    event.type = type;
    event.sender = &control;
    event.mousePos.x = x;
    event.mousePos.y = y;
    event.timestamp = ::GetTickCount();
    control.DoEvent(event);
}

CContainerUI* Root(std::initializer_list<CControlUI*> children)
{
    CContainerUI* pRoot = new CContainerUI;
    for (CControlUI* p : children) pRoot->Add(p);
    return pRoot;
}

} // namespace basictest
