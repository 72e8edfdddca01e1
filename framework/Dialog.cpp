#include "Dialog.h"
#include "WinApp.h"

#include <cstdio>

#include "OleControl.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd) return;
    if (COleControlSite* site = dx->m_pDlgWnd->FindControlSite(static_cast<UINT>(id))) {
        site->AttachWrapper(&control);
        return;
    }
    HWND item = ::GetDlgItem(dx->m_pDlgWnd->GetSafeHwnd(), id);
    if (!item || !control.SubclassWindow(item)) {
        wchar_t text[80];
        _snwprintf(text, 80, L"DDX_Control: control %d cannot be bound\n", id);
        text[79] = L'\0';
        ::OutputDebugStringW(text);
    }
}

INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM, LPARAM)
{
    // Every other message reaches the wrapper through its subclassed window procedure first.
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = static_cast<CDialog*>(CWnd::FromHandlePermanent(window));
    if (!dialog) return TRUE;
    dialog->CreateActiveXItems();
    return dialog->OnInitDialog();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_lpszTemplateName(MAKEINTRESOURCEW(templateId)), m_pParentWnd(parent)
{
}

HWND CDialog::CreateFromTemplate(LPCWSTR templateName, HWND parent)
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(instance, templateName, reinterpret_cast<LPCWSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* resource = loaded ? ::LockResource(loaded) : nullptr;
    if (!resource) return nullptr;
    const std::vector<BYTE> stripped = StripActiveXItems(resource, ::SizeofResource(instance, found), m_activeXItems);
    AfxHookWindowCreate(this);
    HWND window = ::CreateDialogIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(stripped.data()), parent,
                                               &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    AfxUnhookWindowCreate();
    if (window && m_hWnd != window) { // someone else's window took the hook: not ours
        ::DestroyWindow(window);
        return nullptr;
    }
    return window;
}

void CDialog::CreateActiveXItems()
{
    for (const DialogActiveXItem& item : m_activeXItems) {
        RECT rect = item.units;
        ::MapDialogRect(m_hWnd, &rect);
        AddControlSite(item.clsid, nullptr, item.style, rect, item.id, nullptr);
    }
    m_activeXItems.clear();
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_lpszTemplateName = MAKEINTRESOURCEW(templateId);
    m_pParentWnd = parent;
    return CreateFromTemplate(m_lpszTemplateName, parent ? parent->GetSafeHwnd() : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal()
{
    HWND parent = m_pParentWnd ? ::GetAncestor(m_pParentWnd->GetSafeHwnd(), GA_ROOT) : nullptr;
    // The owner stays disabled while the dialog runs, as with the platform's own modal boxes.
    const bool reenableParent = parent && ::IsWindowEnabled(parent);
    if (reenableParent) ::EnableWindow(parent, FALSE);

    m_nModalResult = -1;
    m_bContinueModal = true; // set before creation: OnInitDialog may already end the dialog
    if (CreateFromTemplate(m_lpszTemplateName, parent)) RunModalLoop();
    m_bContinueModal = false;

    if (reenableParent) ::EnableWindow(parent, TRUE);
    if (parent && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(parent);
    if (m_hWnd) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    bool shown = ::IsWindowVisible(m_hWnd) != FALSE;
    MSG msg{};
    while (m_bContinueModal && m_hWnd) {
        // A template without WS_VISIBLE is shown once the start-up messages are through.
        if (!shown && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
            ::UpdateWindow(m_hWnd);
            shown = true;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) { // a quit request ends the dialog and goes on to the outer loop
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    if (m_bContinueModal) {
        m_bContinueModal = false;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0); // wakes the loop if it waits for a message
    }
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                       (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    if (!input || !m_hWnd) return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}
