#pragma once
#include <string>

#include "framework/Dialog.h"
#include "Switches.h"

// The launcher's fore dialog: it lies over the back window, holds the login page, starts
// the updater for the page and tells the host window when the updater has gone.
class CLoginDlg : public CDialog {
 public:
  explicit CLoginDlg(CWnd* back);
  ~CLoginDlg() override;

  // The dialog that last completed OnInitDialog; the scripting object and the back window
  // reach the login dialog through it.
  static CLoginDlg* Current();

  // Creates the dialog from its template over the back window and puts it on the back
  // window's rectangle; FollowBack does the latter again.
  BOOL CreateOverBack();
  void FollowBack();

  // Starts the updater with the login URL, watches it on a worker thread and hides both
  // windows. On failure it tells the player and ends the launcher. Only the first call
  // starts anything: one updater, one watcher and one notification per launcher.
  void LaunchLoader(const std::string& url);
  bool HasLaunched() const { return m_launched; }
  // True while the process with the updater's id is listed.
  bool IsLoaderRunning() const;
  // WM_COPYDATA to the host window; nothing when the host handle is 0.
  void NotifyHostWindow();

  const std::string& PageAddress() const { return m_pageAddress; }
  HWND HostWindow() const { return m_hostWindow; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnSysCommand(UINT id, LPARAM param);
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
  void OnMinimizeClicked();
  void OnCloseClicked();
  DECLARE_MESSAGE_MAP()

 private:
  HICON m_hIcon;
  CWnd* m_back;
  std::string m_pageAddress;
  HWND m_hostWindow = nullptr;
  DWORD m_childProcessId = 0;
  bool m_launched = false;
};

// "<game_url>?token=..&source=..&serverid=..&fcext=..&fileparam=.." with the values raw.
std::string BuildPageAddress(const std::string& gameUrl, const LauncherSwitches& switches);
// The host window named by the winid switch, 0 when it is absent or no number.
HWND ParseHostWindow(const std::string& winid);
