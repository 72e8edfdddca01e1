#include "SelfReplace.h"

#include <windows.h>
#include <shellapi.h>

#include "Downloads.h"
#include "common/ModuleFolder.h"
#include "SingleInstance.h"
#include "WinInetTransfer.h"

bool HasExecutableHeader(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  char header[2] = {};
  DWORD read = 0;
  return ReadFile(file.Get(), header, sizeof header, &read, nullptr) && read == 2 && header[0] == 'M' &&
         header[1] == 'Z';
}

SelfReplaceResult ReplaceSelf(const std::string& upUrl, const wchar_t* parameters, SingleInstance& guard,
                              const std::wstring& instanceName) {
  const std::wstring exe = GetCurrentModulePath();
  const std::wstring folder = FolderOfPath(exe);
  if (exe.empty() || folder.empty()) return SelfReplaceResult::Failed;
  const std::wstring fresh = exe + L".new";
  const std::wstring old = folder + L"old.exe";

  if (DownloadFile(upUrl, fresh) != 0) return SelfReplaceResult::Failed;
  if (!HasExecutableHeader(fresh)) {
    DeleteFileW(fresh.c_str());
    return SelfReplaceResult::Failed;
  }
  // A running image can be renamed but not overwritten: move it aside, then put the new
  // file in its name; if that fails, the old one goes back.
  if (!MoveFileExW(exe.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(fresh.c_str());
    return SelfReplaceResult::Failed;
  }
  if (!MoveFileExW(fresh.c_str(), exe.c_str(), 0)) {
    MoveFileExW(old.c_str(), exe.c_str(), 0);
    DeleteFileW(fresh.c_str());
    return SelfReplaceResult::Failed;
  }

  // The new copy would find our mutex still held and end at once.
  guard.Release();
  HINSTANCE started = ShellExecuteW(nullptr, L"open", exe.c_str(), parameters, folder.c_str(), SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) > 32) return SelfReplaceResult::Started;
  // A file that does not start would fail every later start too: the running one goes
  // back into its name.
  if (DeleteFileW(exe.c_str())) MoveFileExW(old.c_str(), exe.c_str(), 0);
  guard.Acquire(instanceName);
  return SelfReplaceResult::StartFailed;
}

void RemoveOldCopy() {
  const std::wstring folder = GetCurrentModuleDirectory();
  if (folder.empty()) return;
  DeleteFileW((folder + L"old.exe").c_str());
}
