#pragma once
#include "BackDialogBase.h"
#include "LoginDlg.h"

// The launcher's modal back window: it carries the skin image and the system menu, and
// creates the login dialog over itself.
class LoginBack : public CBackDialogBase {
public:
    explicit LoginBack(UINT foreTemplate = 102);
    ~LoginBack() override;

    // Enter and Escape addressed to the back window itself do nothing.
    BOOL PreTranslateMessage(MSG* msg) override;
    CLoginDlg* LoginDialog() const;

protected:
    BOOL OnInitDialog() override;
    CForeDialogBase* CreateForeDialog() override;
    void OnSysCommand(UINT id, LPARAM param);
    DECLARE_MESSAGE_MAP()

private:
    UINT m_foreTemplate;
};
