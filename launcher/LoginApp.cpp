#include "LoginApp.h"

#include <commctrl.h>
#include <gdiplus.h>

#include "LoginBack.h"
#include "Switches.h"
#include "LoginSettings.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CLoginApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CLoginApp::CLoginApp() = default;

BOOL CLoginApp::InitInstance()
{
    // 1. One launcher per settings name: a second one ends without a word.
    const std::string name = ReadLoginSetting("URL", "name");
    HANDLE guard = ::CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        if (guard) ::CloseHandle(guard);
        return FALSE;
    }
    // The guard's handle stays open for the process's life.

    // 2. The platform's common controls, then the framework's own set-up.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = 8;
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    CWinApp::InitInstance();

    // 3. The host's switches, the control container and GDI+.
    ParseLauncherCommandLine(::GetCommandLineW(), Switches());
    AfxEnableControlContainer();
    Gdiplus::GdiplusStartupInput input;
    m_gdiplusStarted = Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr) == Gdiplus::Ok;

    // 4. The back window runs until the launcher ends.
    {
        LoginBack back(IDD_LOGIN_DIALOG);
        back.DoModal();
    }
    return FALSE;
}

int CLoginApp::ExitInstance()
{
    // A second instance never started GDI+.
    if (m_gdiplusStarted) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusStarted = false;
    return CWinApp::ExitInstance();
}
