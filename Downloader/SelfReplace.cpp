#include "SelfReplace.h"

#include <windows.h>
#include <shellapi.h>

#include "Downloads.h"
#include "ProgramImage.h"
#include "SingleInstance.h"
#include "common/ModuleFolder.h"

namespace {

// How long a new copy may take to reach its single-instance mutex before it counts as
// started anyway; it sleeps 500 ms before taking it.
const DWORD kStartWatchMs = 10000;
const DWORD kPollMs = 100;

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~OwnedHandle()
    {
        if (m_h) CloseHandle(m_h);
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// Restores the process's error mode on every path.
class QuietErrorMode {
public:
    QuietErrorMode() : m_previous(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX)) {}
    ~QuietErrorMode() { SetErrorMode(m_previous); }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    UINT m_previous;
};

enum class StartOutcome { Running, Died, NotStarted };

bool NameIsHeld(const std::wstring& instanceName)
{
    OwnedHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, instanceName.c_str()));
    return mutex.Get() != nullptr || GetLastError() == ERROR_ACCESS_DENIED;
}

// Starts the new copy and watches it until it holds the single-instance name, ends, or the
// watch runs out. Only an end with a failure status counts as died.
StartOutcome StartAndWatch(const std::wstring& exe, const wchar_t* parameters, const std::wstring& folder,
                           const std::wstring& instanceName)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = exe.c_str();
    info.lpParameters = parameters;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    {
        // A loader failure in the new copy must end it, not wait for someone to close a box.
        QuietErrorMode quiet;
        if (!ShellExecuteExW(&info)) return StartOutcome::NotStarted;
    }
    if (!info.hProcess) return StartOutcome::Running;
    OwnedHandle process(info.hProcess);
    for (DWORD waited = 0; waited < kStartWatchMs; waited += kPollMs) {
        if (WaitForSingleObject(process.Get(), kPollMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process.Get(), &code) && IsFailureExitStatus(code)) return StartOutcome::Died;
            return StartOutcome::Running;
        }
        if (NameIsHeld(instanceName)) return StartOutcome::Running;
    }
    return StartOutcome::Running;
}

// Puts the original updater (now old) back under exe's name, over whatever is there. The
// dead copy's image may be let go a moment after its process ended, so the move is tried
// for a while; a copy of the original serves when it cannot be moved. True only when exe
// then holds the original's bytes.
bool RestoreOriginal(const std::wstring& old, const std::wstring& exe)
{
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (MoveFileExW(old.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        Sleep(kPollMs);
    }
    return CopyFileW(old.c_str(), exe.c_str(), FALSE) && SameFileContents(old, exe);
}

} // namespace

bool IsFailureExitStatus(unsigned long code)
{
    return (code & 0xE0000000ul) == 0xC0000000ul;
}

SelfReplaceResult ReplaceSelf(const std::string& upUrl, const wchar_t* parameters, SingleInstance& guard,
                              const std::wstring& instanceName)
{
    const std::wstring exe = GetCurrentModulePath();
    const std::wstring folder = FolderOfPath(exe);
    if (exe.empty() || folder.empty()) return SelfReplaceResult::Failed;
    const std::wstring fresh = exe + L".new";
    const std::wstring old = folder + L"old.exe";

    // 1. The new file, whole and startable, beside the running one.
    if (DownloadFile(upUrl, fresh) != 0) return SelfReplaceResult::Failed;
    if (!IsStartableProgramImage(fresh)) {
        DeleteFileW(fresh.c_str());
        return SelfReplaceResult::Failed;
    }
    // 2. The same updater again: starting it would only repeat this road.
    if (SameFileContents(fresh, exe)) {
        DeleteFileW(fresh.c_str());
        return SelfReplaceResult::Unchanged;
    }

    // 3. A running image can be renamed but not overwritten: move it aside, then put the new
    // file in its name; if that fails, the old one goes back.
    if (!MoveFileExW(exe.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(fresh.c_str());
        return SelfReplaceResult::Failed;
    }
    if (!MoveFileExW(fresh.c_str(), exe.c_str(), 0)) {
        RestoreOriginal(old, exe);
        DeleteFileW(fresh.c_str());
        return SelfReplaceResult::Failed;
    }

    // 4. Start it. The new copy would find our mutex still held and end at once.
    guard.Release();
    if (StartAndWatch(exe, parameters, folder, instanceName) == StartOutcome::Running)
        return SelfReplaceResult::Started;

    // 5. A file that does not start would fail every later start too: the running one goes
    // back into its name. If even that fails the folder holds no working updater under its
    // name; the player is told, as for a failed download.
    const bool restored = RestoreOriginal(old, exe);
    guard.Acquire(instanceName);
    return restored ? SelfReplaceResult::StartFailed : SelfReplaceResult::Failed;
}

void RemoveOldCopy()
{
    const std::wstring folder = GetCurrentModuleDirectory();
    if (folder.empty()) return;
    const std::wstring old = folder + L"old.exe";
    if (GetFileAttributesW(old.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (DeleteFileW(old.c_str())) return;
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return;
        Sleep(kPollMs);
    }
}
