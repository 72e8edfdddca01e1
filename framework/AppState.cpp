#include "WinApp.h"

// Kept apart from the entry point so that programs with their own main (the tests) can use
// dialogs without taking the framework's WinMain.
CWinApp* g_frameworkApp = nullptr;
static COccManager* g_occManager = nullptr;
static bool g_containment = false;

CWinApp* AfxGetApp()
{
    return g_frameworkApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_frameworkApp && g_frameworkApp->m_hInstance ? g_frameworkApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

BOOL AfxPreTranslateMessage(MSG* msg)
{
    CWinApp* app = AfxGetApp();
    return app ? app->PreTranslateMessage(msg) : CWnd::WalkPreTranslateTree(nullptr, msg);
}

void AfxEnableControlContainer(COccManager* manager)
{
    g_containment = true;
    g_occManager = manager;
}

COccManager* AfxGetOccManager()
{
    return g_containment ? g_occManager : nullptr;
}
