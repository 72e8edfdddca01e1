#pragma once
#include <memory>

#include "framework/Dialog.h"
#include "LoginDlg.h"

// The launcher's modal back window; it creates the fore dialog over itself when it is
// created and carries the system menu.
class LoginBack : public CDialog {
 public:
  explicit LoginBack(UINT foreTemplate = 102);
  ~LoginBack() override;

  BOOL PreTranslateMessage(MSG* msg) override;
  CLoginDlg* ForeDialog() const { return m_fore.get(); }

 protected:
  BOOL OnInitDialog() override;
  int OnCreate(LPCREATESTRUCT create);
  void OnSysCommand(UINT id, LPARAM param);
  DECLARE_MESSAGE_MAP()

 private:
  UINT m_foreTemplate;
  std::unique_ptr<CLoginDlg> m_fore;
};
