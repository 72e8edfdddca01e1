#pragma once
#include "framework/Dialog.h"

// The dialog that lies exactly over a back window and holds the controls. Its background
// is the key colour, which the colour-keyed layering makes see-through.
class CForeDialogBase : public CDialog {
public:
    CForeDialogBase(UINT templateId, CWnd* back);
    ~CForeDialogBase() override;

    // Creates the dialog from its template owned by the back window and puts it on the back
    // window's rectangle; FollowBack does the latter again (and brings it to the top).
    BOOL CreateOverBack();
    void FollowBack();
    CWnd* Back() const { return m_pBack; }

    // The dialog's own brush for a colour message, or null for the default.
    virtual HBRUSH GetDialogBrush(CDC* dc, CWnd* window, UINT kind);

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* window, UINT kind);
    // Both end the back window too.
    void OnOK() override;
    void OnCancel() override;
    DECLARE_MESSAGE_MAP()

    COLORREF m_keyColour = RGB(0, 0, 0);
    CBrush m_keyBrush;
    CWnd* m_pBack;
    UINT m_templateId;
};
