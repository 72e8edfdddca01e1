#pragma once
#include "framework/WinApp.h"

// The launcher's application object: one instance per settings name, the host's switches,
// GDI+, then the modal back window for the launcher's whole life.
class CLoginApp : public CWinApp {
public:
    CLoginApp();

    // Always FALSE: the back window's own loop was the launcher's life.
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    ULONG_PTR m_gdiplusToken = 0;
    bool m_gdiplusStarted = false;
    DECLARE_MESSAGE_MAP()
};
