#pragma once
#include "Wnd.h"

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// The program's one application object, a global constructed before the entry point. The
// entry point starts OLE, runs InitInstance, then the message loop when it answered TRUE,
// and always ExitInstance, whose result is the exit code.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance();
    // The first look at every message of the framework's loops: by default the wrappers of
    // the target and of its parents and owners get it.
    virtual BOOL PreTranslateMessage(MSG* msg);

    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    LPCWSTR m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;

protected:
    int m_exitCode = 0; // from WM_QUIT of the loop in Run
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
BOOL AfxPreTranslateMessage(MSG* msg);

// The control-site manager that ActiveX containment creates sites with (OleControl.h). Null
// selects the framework's own.
class COccManager;
void AfxEnableControlContainer(COccManager* manager = nullptr);
COccManager* AfxGetOccManager();

// The framework's entry point; WinMain calls it.
int AfxWinMain(HINSTANCE instance, LPWSTR commandLine, int show);
