#include "ForeDialogBase.h"

BEGIN_MESSAGE_MAP(CForeDialogBase, CDialog)
ON_WM_CTLCOLOR()
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CForeDialogBase::CForeDialogBase(UINT templateId, CWnd* back)
    : CDialog(templateId, back), m_pBack(back), m_templateId(templateId)
{
}

CForeDialogBase::~CForeDialogBase() = default;

BOOL CForeDialogBase::CreateOverBack()
{
    if (!Create(m_templateId, m_pBack)) return FALSE;
    FollowBack();
    return TRUE;
}

void CForeDialogBase::FollowBack()
{
    if (!m_pBack || !m_pBack->m_hWnd || !m_hWnd) return;
    RECT rect{};
    m_pBack->GetWindowRect(&rect);
    SetWindowPos(static_cast<HWND>(nullptr), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW);
}

BOOL CForeDialogBase::OnInitDialog()
{
    CDialog::OnInitDialog();
    return TRUE;
}

HBRUSH CForeDialogBase::GetDialogBrush(CDC*, CWnd*, UINT kind)
{
    if (kind != CTLCOLOR_DLG) return nullptr;
    if (!m_keyBrush.GetSafeHandle()) m_keyBrush.CreateSolidBrush(m_keyColour);
    return m_keyBrush;
}

HBRUSH CForeDialogBase::OnCtlColor(CDC* dc, CWnd* window, UINT kind)
{
    if (HBRUSH brush = GetDialogBrush(dc, window, kind)) return brush;
    return CDialog::OnCtlColor(dc, window, kind);
}

void CForeDialogBase::OnOK()
{
    if (m_pBack && m_pBack->m_hWnd) m_pBack->SendMessage(WM_CLOSE);
    CDialog::OnOK();
}

void CForeDialogBase::OnCancel()
{
    if (m_pBack && m_pBack->m_hWnd) m_pBack->SendMessage(WM_CLOSE);
    CDialog::OnCancel();
}
