#include "LoginBack.h"

#include <cstdio>

#include "LoginDlg.h"
#include "TextUtil.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(LoginBack, CDialog)
  ON_WM_CREATE()
  ON_WM_SYSCOMMAND()
  ON_WM_QUERYOPEN()
END_MESSAGE_MAP()

LoginBack::LoginBack(UINT foreTemplate) : CDialog(IDD_LOGIN_BACK, nullptr), m_foreTemplate(foreTemplate) {}

LoginBack::~LoginBack() {
  if (m_hWnd) DestroyWindow();
}

int LoginBack::OnCreate(LPCREATESTRUCT create) {
  if (CDialog::OnCreate(create) == -1) return -1;
  if (m_foreTemplate == IDD_LOGIN_DIALOG) {
    m_fore = std::make_unique<CLoginDlg>(this);
    m_fore->CreateOverBack();
  }
  return 0;
}

BOOL LoginBack::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(AnsiToWide(ReadLoginSetting("URL", "name")).c_str());
  ModifyStyle(0, WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  CenterWindow();
  if (m_fore) m_fore->FollowBack();
  return TRUE;
}

void LoginBack::OnSysCommand(UINT id, LPARAM param) {
  switch (id & 0xFFF0) {
    case SC_CLOSE:
      if (CLoginDlg* dialog = CLoginDlg::Current()) dialog->NotifyHostWindow();
      EndLauncher(0);
    case SC_RESTORE:
      ShowWindow(SW_RESTORE);
      return;
    default:
      CDialog::OnSysCommand(id, param);
  }
}

BOOL LoginBack::PreTranslateMessage(MSG* msg) {
  // Enter and Escape would end the modal back window.
  if (msg->wParam == 13 || msg->wParam == 27) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}
