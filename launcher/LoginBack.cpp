#include "LoginBack.h"

#include "NavigationRules.h"
#include "LoginSettings.h"
#include "common/TextConvert.h"
#include "common/ProcessExit.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(LoginBack, CBackDialogBase)
ON_WM_SYSCOMMAND()
ON_WM_QUERYOPEN()
END_MESSAGE_MAP()

LoginBack::LoginBack(UINT foreTemplate) : m_foreTemplate(foreTemplate) {}

LoginBack::~LoginBack() = default;

CForeDialogBase* LoginBack::CreateForeDialog()
{
    return m_foreTemplate == IDD_LOGIN_DIALOG ? new CLoginDlg(this) : nullptr;
}

CLoginDlg* LoginBack::LoginDialog() const
{
    return static_cast<CLoginDlg*>(ForeDialog());
}

BOOL LoginBack::OnInitDialog()
{
    CDialog::OnInitDialog();
    MakeLayered();
    SetWindowText(AnsiToWide(ReadLoginSetting("URL", "name")).c_str());
    ModifyStyle(0, WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    CenterWindow();
    if (ForeDialog()) ForeDialog()->FollowBack();
    return TRUE;
}

void LoginBack::OnSysCommand(UINT id, LPARAM param)
{
    switch (id & 0xFFF0) {
    case SC_CLOSE:
        if (CLoginDlg* dialog = CLoginDlg::Current()) dialog->NotifyHostWindow();
        EndProcessNow(0);
    case SC_RESTORE:
        ShowWindow(SW_RESTORE);
        return;
    default:
        CBackDialogBase::OnSysCommand(id, param);
    }
}

BOOL LoginBack::PreTranslateMessage(MSG* msg)
{
    // Only keys sent to this window: the page's own Enter passes through here on its way up.
    if (msg->hwnd == m_hWnd && IsKeyboardMessage(msg->message) &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        return TRUE;
    return CBackDialogBase::PreTranslateMessage(msg);
}
