#pragma once
#include <vector>

#include "DialogTemplate.h"
#include "Wnd.h"

// Carries the direction of a data exchange between a dialog and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds a member wrapper to the dialog's control `id`: an ActiveX control's wrapper is
// attached to its site, any other control is subclassed (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// A dialog from a template in the program's resources, run modally (DoModal, with the
// framework's own message loop) or created modeless over a parent (Create).
class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    virtual INT_PTR DoModal();
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Ends the modal loop with `result`; a modeless dialog is only hidden.
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Keyboard and mouse input for this dialog and its controls goes through IsDialogMessage.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}

    LPCWSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    HWND CreateFromTemplate(LPCWSTR templateName, HWND parent);
    // Creates the template's ActiveX controls, before OnInitDialog binds them.
    void CreateActiveXItems();
    void RunModalLoop();

    INT_PTR m_nModalResult = -1;
    bool m_bContinueModal = false;
    std::vector<DialogActiveXItem> m_activeXItems;
};
