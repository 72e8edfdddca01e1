#include "LoginDlg.h"

#include <cstdio>
#include <cstdlib>

#include <shellapi.h>

#include <memory>

#include "HostNotification.h"
#include "LoaderWatch.h"
#include "TextUtil.h"
#include "resource.h"

namespace {
CLoginDlg* g_currentLoginDlg = nullptr;
}

BEGIN_MESSAGE_MAP(CLoginDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_MINIMIZE, &CLoginDlg::OnMinimizeClicked)
  ON_BN_CLICKED(IDC_CLOSE, &CLoginDlg::OnCloseClicked)
  ON_WM_LBUTTONDOWN()
  ON_WM_ERASEBKGND()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

CLoginDlg::CLoginDlg(CWnd* back)
    : CDialog(IDD_LOGIN_DIALOG, back),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_back(back) {}

CLoginDlg::~CLoginDlg() {
  if (g_currentLoginDlg == this) g_currentLoginDlg = nullptr;
}

CLoginDlg* CLoginDlg::Current() { return g_currentLoginDlg; }

BOOL CLoginDlg::CreateOverBack() {
  if (!Create(IDD_LOGIN_DIALOG, m_back)) return FALSE;
  FollowBack();
  return TRUE;
}

void CLoginDlg::FollowBack() {
  if (!m_back || !m_back->m_hWnd || !m_hWnd) return;
  RECT rect{};
  m_back->GetWindowRect(&rect);
  SetWindowPos(static_cast<HWND>(nullptr), rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_SHOWWINDOW);
}

BOOL CLoginDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  if (m_back) {
    m_back->SetIcon(m_hIcon, TRUE);
    m_back->SetIcon(m_hIcon, FALSE);
    m_back->SetWindowText(AnsiToWide(ReadLoginSetting("URL", "name")).c_str());
  }
  const std::string gameUrl = ReadLoginSetting("URL", "game_url");
  m_hostWindow = ParseHostWindow(Switches().winid);
  // The file parameter given once is kept for later starts without it.
  LauncherSwitches& switches = Switches();
  if (!switches.fileparam.empty())
    ::WritePrivateProfileStringA("URL", "fileparam", switches.fileparam.c_str(), GetSettingsPath().c_str());
  else
    switches.fileparam = ReadLoginSetting("URL", "fileparam");
  m_pageAddress = BuildPageAddress(gameUrl, switches);
  g_currentLoginDlg = this;
  return TRUE;
}

void CLoginDlg::OnOK() {
  if (m_back && m_back->m_hWnd) m_back->SendMessage(WM_CLOSE);
  CDialog::OnOK();
}

void CLoginDlg::OnCancel() {
  if (m_back && m_back->m_hWnd) m_back->SendMessage(WM_CLOSE);
  CDialog::OnCancel();
}

void CLoginDlg::OnSysCommand(UINT id, LPARAM param) {
  if ((id & 0xFFF0) == SC_CLOSE) EndLauncher(0);
  CDialog::OnSysCommand(id, param);
}

void CLoginDlg::LaunchLoader(const std::string& url) {
  // Set before the start: the shell may run messages (and so the page) while it starts.
  if (m_launched) return;
  m_launched = true;

  const std::wstring folder = GetOwnFolderW();
  const std::wstring file = folder + L"ZelLoader.exe";
  const std::wstring parameters = AnsiToWide(url);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExW(&info)) {
    ::MessageBoxW(nullptr, L"启动游戏失败！请重新启动", L"提示", MB_OK);
    EndLauncher(0);
  }

  auto watch = std::make_unique<LoaderWatch>();
  watch->process.reset(info.hProcess);
  m_childProcessId = info.hProcess ? ChildProcessId(info.hProcess) : 0;
  watch->processId = m_childProcessId;
  watch->host = m_hostWindow;
  watch->dialog = m_hWnd;
  if (m_back && m_back->m_hWnd) m_back->ShowWindow(SW_HIDE);
  ShowWindow(SW_HIDE);
  StartLoaderWatcher(std::move(watch));
}

bool CLoginDlg::IsLoaderRunning() const { return IsProcessListed(m_childProcessId); }

void CLoginDlg::NotifyHostWindow() { SendHostNotification(m_hostWindow, m_hWnd); }

void CLoginDlg::OnMinimizeClicked() {
  if (m_back) m_back->ShowWindow(SW_MINIMIZE);
}

void CLoginDlg::OnCloseClicked() {
  NotifyHostWindow();
  OnOK();
}

std::string BuildPageAddress(const std::string& gameUrl, const LauncherSwitches& switches) {
  return gameUrl + "?token=" + switches.token + "&source=" + switches.source +
         "&serverid=" + switches.serverid + "&fcext=" + switches.fcext +
         "&fileparam=" + switches.fileparam;
}

HWND ParseHostWindow(const std::string& winid) {
  const unsigned long value = std::strtoul(winid.c_str(), nullptr, 10);
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}
