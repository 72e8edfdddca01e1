// The login start of the updater, its watcher and the host notification.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>

#include "HostNotification.h"
#include "LoginDlg.h"
#include "TextUtil.h"
#include "framework/Thread.h"

namespace {

// The platform's basic process record: six pointer-sized fields, the id fifth.
struct ProcessBasicInfo {
  ULONG_PTR exitStatus;
  ULONG_PTR pebBaseAddress;
  ULONG_PTR affinityMask;
  ULONG_PTR basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR inheritedFromUniqueProcessId;
};
typedef LONG(WINAPI* QueryProcessFn)(HANDLE, int, PVOID, ULONG, PULONG);

DWORD ChildProcessId(HANDLE process) {
  HMODULE ntdll = ::LoadLibraryW(L"ntdll.dll");
  if (!ntdll) return 0xFFFFFFFF;
  DWORD id = 0;
  auto query = reinterpret_cast<QueryProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")));
  ProcessBasicInfo info{};
  if (query && query(process, 0, &info, sizeof(info), nullptr) >= 0)
    id = static_cast<DWORD>(info.uniqueProcessId);
  ::FreeLibrary(ntdll);
  return id;
}

bool ProcessListed(DWORD id) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
       more = ::Process32NextW(snapshot, &entry))
    found = entry.th32ProcessID == id;
  ::CloseHandle(snapshot);
  return found;
}

[[noreturn]] void EndLauncher() {
  fflush(nullptr);
  ::ExitProcess(0);
}

}  // namespace

void CLoginDlg::LaunchLoader(const std::string& url) {
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
    EndLauncher();
  }

  if (m_childProcess) ::CloseHandle(m_childProcess);
  m_childProcess = info.hProcess;
  m_childProcessId = info.hProcess ? ChildProcessId(info.hProcess) : 0;
  if (m_back && m_back->m_hWnd) m_back->ShowWindow(SW_HIDE);
  ShowWindow(SW_HIDE);
  // Without a worker the launcher would stay hidden for ever: watch here instead.
  if (!AfxBeginThread(&WatchLoaderThread, this, THREAD_PRIORITY_IDLE)) WatchLoaderThread(this);
}

bool CLoginDlg::IsLoaderRunning() const {
  if (m_childProcess) return ::WaitForSingleObject(m_childProcess, 0) == WAIT_TIMEOUT;
  // Without a handle only a real id can be looked for; 0 and 0xFFFFFFFF are none.
  if (m_childProcessId == 0 || m_childProcessId == 0xFFFFFFFF) return false;
  return ProcessListed(m_childProcessId);
}

void CLoginDlg::NotifyHostWindow() { SendHostNotification(m_hostWindow, m_hWnd); }

UINT __cdecl WatchLoaderThread(LPVOID raw) {
  auto* dialog = static_cast<CLoginDlg*>(raw);
  while (dialog->IsLoaderRunning()) {
    if (dialog->m_childProcess)
      ::WaitForSingleObject(dialog->m_childProcess, 1000);
    else
      ::Sleep(1000);
  }
  dialog->NotifyHostWindow();
  EndLauncher();
}
