#include "Mywnd.h"

#include <windowsx.h>

#include "StatsReport.h"
#include "common/ModuleFolder.h"
#include "common/ProcessExit.h"

using namespace SkinUI;

namespace {

const UINT kIconId = 107;

// Controls that take clicks in the caption area, so it does not drag the window there.
bool TakesCaptionClicks(LPCTSTR className)
{
    static const wchar_t* const kClasses[] = { L"ButtonUI", L"OptionUI", L"SliderUI", L"EditUI", L"RichEditUI" };
    for (const wchar_t* name : kClasses) {
        if (_wcsicmp(className, name) == 0) return true;
    }
    return false;
}

} // namespace

CMywnd::CMywnd() : m_skinFile(L"MainWnd.xml") {}

CMywnd::~CMywnd() = default;

LPCTSTR CMywnd::GetWindowClassName() const
{
    return L"DesktopMainWnd";
}

CSkinString CMywnd::GetSkinFile()
{
    return m_skinFile;
}

CControlUI* CMywnd::CreateControl(LPCTSTR)
{
    return nullptr;
}

void CMywnd::InitWindow()
{
    SetIcon(kIconId);
    CenterWindow();
    m_progress = static_cast<CProgressUI*>(m_PaintManager.FindControl(L"myprogress"));
    m_percentText = m_PaintManager.FindControl(L"Optionsum");
    m_speedText = m_PaintManager.FindControl(L"Optionbt");
    m_messageText = m_PaintManager.FindControl(L"Optionts");
    m_secondText = m_PaintManager.FindControl(L"Optiontexe");
    m_retryButton = m_PaintManager.FindControl(L"again");
    // "myprogress" must be a progress bar for the casts below.
    if (m_progress && !m_progress->GetInterface(L"Progress")) m_progress = nullptr;
    if (m_retryButton) m_retryButton->SetVisible(false);
    if (m_speedText) m_speedText->SetVisible(false);
    m_retryMode = 0;
    // No taskbar button: the window is a small tool window while the game gets ready.
    const LONG_PTR exStyle = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, exStyle ^ WS_EX_TOOLWINDOW);
}

void CMywnd::StartUpdate(HWND window)
{
    m_flow.reset(new CUpdateFlow(*this, m_updateInfo, GetCurrentModuleDirectory(), StatsReportUrl()));
    m_flow->Start(window);
}

void CMywnd::CloseAndEnd()
{
    if (m_closing) return;
    m_closing = true;
    // The worker stops first, so nothing it writes can follow the removal of the version file.
    if (m_flow) m_flow->Close();
    EndProcessNow(0);
}

void CMywnd::RequestClose()
{
    if (m_closeRequested) return;
    // A close run inside the click would keep the window's messages going (the close waits
    // for the worker while the window paints) with the button's handler still under way.
    m_closeRequested = ::PostMessageW(m_hWnd, kCloseRequest, 0, 0) != FALSE;
    if (!m_closeRequested) CloseAndEnd();
}

LRESULT CMywnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_flow && m_flow->OnWindowMessage(uMsg, wParam, lParam)) return 0;
    switch (uMsg) {
    case kCloseRequest:
        CloseAndEnd();
        return 0;
    case WM_CLOSE: // the system menu's close and Alt+F4 arrive here too
        CloseAndEnd();
        return 0;
    case WM_ENDSESSION:
        if (wParam) CloseAndEnd();
        return 0;
    default:
        break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMywnd::ApplyViewChange(const ViewChange& c)
{
    if (m_progress) {
        if (c.Has(ViewChange::kProgressVisible)) m_progress->SetVisible(c.progressVisible);
        if (c.Has(ViewChange::kProgressValue)) {
            m_progress->SetMinValue(0);
            m_progress->SetMaxValue(100);
            m_progress->SetValue(c.progressValue);
        }
    }
    if (m_percentText) {
        if (c.Has(ViewChange::kPercentVisible)) m_percentText->SetVisible(c.percentVisible);
        if (c.Has(ViewChange::kPercentText)) m_percentText->SetText(c.percentText.c_str());
    }
    if (m_speedText) {
        if (c.Has(ViewChange::kSpeedVisible)) m_speedText->SetVisible(c.speedVisible);
        if (c.Has(ViewChange::kSpeedText)) m_speedText->SetText(c.speedText.c_str());
    }
    if (m_messageText) {
        if (c.Has(ViewChange::kMessageVisible)) m_messageText->SetVisible(c.messageVisible);
        if (c.Has(ViewChange::kMessageText)) m_messageText->SetText(c.messageText.c_str());
    }
    if (c.Has(ViewChange::kWindowVisible)) ShowWindow(c.windowVisible, false);
}

void CMywnd::Notify(TNotifyUI& msg)
{
    if (msg.type == L"click" && msg.sender) {
        const CSkinString name = msg.sender->GetName();
        if (name == L"close") RequestClose();
        // "again" has nothing to retry: the flow never shows it.
    }
    WindowImplBase::Notify(msg);
}

LRESULT CMywnd::OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    // 1. The sizing borders, as the base finds them.
    const LRESULT base = WindowImplBase::OnNcHitTest(uMsg, wParam, lParam, bHandled);
    if (base != HTCAPTION && base != HTCLIENT) return base;
    // 2. The caption drags the window, except over controls that take clicks (our own list).
    POINT pt = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    ::ScreenToClient(m_hWnd, &pt);
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    const RECT& caption = m_PaintManager.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
        pt.y < caption.bottom) {
        CControlUI* control = m_PaintManager.FindControl(pt);
        if (control && !TakesCaptionClicks(control->GetClass())) return HTCAPTION;
    }
    // 3. The rest belongs to the controls.
    return HTCLIENT;
}

int RunMainWindow(HINSTANCE instance, const UpdateInfo& info)
{
    // 8. COM and the toolkit's settings.
    const HRESULT com = CoInitialize(nullptr);
    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetCurrentPath(CPaintManagerUI::GetInstancePath());
    CPaintManagerUI::SetResourcePath(L"Skin");

    // 9.-10. The window, built from the skin, with the record.
    std::unique_ptr<CMywnd> window(new CMywnd);
    window->m_updateInfo = info;
    const HWND handle = window->Create(nullptr, L"update", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    if (!handle) {
        if (SUCCEEDED(com)) CoUninitialize();
        return 0;
    }

    // 11.-12. The flow, then the window until it closes; a modal loop that ends by other means
    // takes the same way out.
    window->StartUpdate(handle);
    window->ShowModal();
    window->CloseAndEnd();
    EndProcessNow(0);
}
