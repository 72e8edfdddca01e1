#include "WinApp.h"

#include <ole2.h>

extern CWinApp* g_frameworkApp;

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCWSTR appName) : m_pszAppName(appName)
{
    g_frameworkApp = this;
}

CWinApp::~CWinApp()
{
    if (g_frameworkApp == this) g_frameworkApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return m_exitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG* msg)
{
    return CWnd::WalkPreTranslateTree(nullptr, msg);
}

int AfxWinMain(HINSTANCE instance, LPWSTR, int)
{
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    // The browser control and every other OLE object need OLE on the thread that hosts them.
    const HRESULT ole = ::OleInitialize(nullptr);
    const int code = app->InitInstance() ? app->Run() : app->ExitInstance();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return code;
}

// The defined GUI entry; it lives beside the application object's constructor so that a
// program with a CWinApp global links it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    return AfxWinMain(instance, ::GetCommandLineW(), show);
}
