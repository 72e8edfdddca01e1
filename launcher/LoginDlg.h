#pragma once
#include <string>

#include "ForeDialogBase.h"
#include "Switches.h"
#include "TButton.h"
#include "UpdaterStartGuard.h"
#include "WebBrowser2.h"
#include "framework/EventSink.h"

// The launcher's fore dialog: it lies over the back window, holds the login page and the
// two skinned buttons, starts the updater for the page and tells the host window when the
// updater has gone.
class CLoginDlg : public CForeDialogBase {
public:
    explicit CLoginDlg(CWnd* back);
    ~CLoginDlg() override;

    // The dialog that last completed OnInitDialog; the scripting object and the back window
    // reach the login dialog through it.
    static CLoginDlg* Current();

    // Starts the updater with the login URL, watches it on a worker thread and hides both
    // windows. On failure it tells the player and ends the launcher. Reached only through
    // the guard below (the scripting object's "AppLogin"): one updater, one watcher and one
    // notification per launcher.
    void LaunchLoader(const std::string& url);
    // The guard every start of the updater from the page goes through.
    UpdaterStartGuard& Starts() { return m_starts; }
    // True while the process with the updater's id is listed.
    bool IsLoaderRunning() const;
    // WM_COPYDATA to the host window when the player closes the launcher; nothing when the
    // host handle is 0.
    void NotifyHostWindow();

    const std::string& PageAddress() const { return m_pageAddress; }
    HWND HostWindow() const { return m_hostWindow; }
    CWebBrowser2& Browser() { return m_browser; }
    TButton& MinimizeButton() { return m_minimize; }
    TButton& CloseButton() { return m_close; }

    // Enter goes to the page without the dialog's default button; Escape is dropped.
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnSysCommand(UINT id, LPARAM param);
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
    void OnMinimizeClicked();
    void OnCloseClicked();
    void OnTimer(UINT_PTR id);
    DECLARE_MESSAGE_MAP()

    void OnBeforeNavigate2(IDispatch* dispatch, VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                           VARIANT* headers, VARIANT_BOOL* cancel);
    void OnNewWindow3(IDispatch** dispatch, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext, BSTR url);
    void OnDocumentComplete(IDispatch* dispatch, VARIANT* url);
    DECLARE_EVENTSINK_MAP()

private:
    void CreateSkinButtons();
    void PlaceButton(TButton& button, int x, int y, int w, int h, const std::wstring& path);
    void NavigateToPage();
    // The page again after a pause, so that a server that is down is not asked in a loop.
    void ReloadLater();
    void StartLoaderFromPage(const std::wstring& parameters);

    HICON m_hIcon;
    CWebBrowser2 m_browser;
    TButton m_minimize;
    TButton m_close;
    std::string m_pageAddress;
    HWND m_hostWindow = nullptr;
    DWORD m_childProcessId = 0;
    UpdaterStartGuard m_starts;
};

// "<game_url>?token=..&source=..&serverid=..&fcext=..&fileparam=.." with the values raw.
std::string BuildPageAddress(const std::string& gameUrl, const LauncherSwitches& switches);
// The host window named by the winid switch, 0 when it is absent or no number.
HWND ParseHostWindow(const std::string& winid);
// How long the dialog waits before it loads the page again after an error page.
const UINT kReloadDelayMs = 2000;
