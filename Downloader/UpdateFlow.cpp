#include "UpdateFlow.h"

#include <cstdio>
#include <cstdlib>

#include "Downloads.h"
#include "ExtractDriver.h"
#include "ExtractProgress.h"
#include "GameStart.h"
#include "GameWatch.h"
#include "StatsReport.h"
#include "common/DateValue.h"
#include "common/ProcessExit.h"
#include "framework/Thread.h"

const wchar_t kVersionCheckText[] = L"版本比对中...";
const wchar_t kGameStartingText[] = L"版本比对成功，正在启动游戏。。。";
const wchar_t kGameStartFailedText[] = L"启动游戏失败";
const wchar_t kUpdateFailedText[] = L"更新失败，请重新启动";

namespace {

// Before the game starts and after the version check's steps.
const DWORD kGameStartPauseMs = 500;
const int kVersionCheckSteps = 3;
const DWORD kVersionCheckStepMs = 300;
// Before the version file is removed on "close".
const DWORD kRemovePauseMs = 500;
// The longest a close waits for the worker: one still inside a network call that the platform
// cannot interrupt (the request before the reply's headers; a read is left at once) is left
// to the end of the process.
const DWORD kCloseWaitMs = 3000;
// The report's own limit is 10 s; the watchdog allows a little more before it ends us.
const DWORD kReportWaitMs = 12000;

bool IsInputMessage(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}

// Waits up to milliseconds for handle (null: just the time) while the window thread goes on
// painting and answering what others send; the player's input is dropped, the window is
// closing. True when handle was signalled.
bool WaitKeepingWindowAlive(HANDLE handle, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    const DWORD count = handle ? 1 : 0;
    for (;;) {
        // What waits already is run first: a wait wakes only for what arrives after the
        // queue was last read, and the paint asked for before the close would wait for ever.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT || IsInputMessage(msg.message)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        const DWORD waited = MsgWaitForMultipleObjectsEx(count, &handle, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                                         MWMO_INPUTAVAILABLE);
        if (handle && waited == WAIT_OBJECT_0) return true;
    }
}

} // namespace

ViewChange ExtractProgressChange(const char* completed, const char* total)
{
    const long long done = completed ? _atoi64(completed) : 0;
    const long long all = total ? _atoi64(total) : 0;
    // No total (or a nonsensical one) gives no fraction: 0 %.
    double percent = all > 0 ? static_cast<double>(done) / static_cast<double>(all) * 100.0 : 0.0;
    if (percent < 0.0) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    const int value = static_cast<int>(percent);
    wchar_t text[100];
    _snwprintf(text, sizeof text / sizeof text[0], L"正在解压...(%d%%)", value);
    text[sizeof text / sizeof text[0] - 1] = L'\0';
    ViewChange change;
    change.SetProgress(value).SetPercentText(text).ShowSpeed(false);
    return change;
}

// The package download's progress, as view changes; a stopped flow stops the download.
class CUpdateFlow::DownloadView final : public IDownloadProgress {
public:
    explicit DownloadView(CUpdateFlow& flow) : m_flow(flow) {}
    void Begin() override
    {
        m_flow.m_packageOpened = true;
        ViewChange change;
        change.ShowPercent(true).ShowSpeed(true).ShowProgress(true).SetProgress(0);
        m_flow.m_mailbox.Post(change);
    }
    void Update(const DownloadFigures& figures) override
    {
        ViewChange change;
        change.SetProgress(figures.percent)
            .SetPercentText(figures.percentText)
            .ShowSpeed(true)
            .SetSpeedText(figures.speedText);
        m_flow.m_mailbox.Post(change);
    }
    void End() override
    {
        ViewChange change;
        change.SetProgress(0);
        m_flow.m_mailbox.Post(change);
    }
    bool ShouldStop() override { return m_flow.Cancelled(); }

private:
    CUpdateFlow& m_flow;
};

// The extraction's progress goes to the window thread as message 1026, synchronously.
class CUpdateFlow::ExtractView final : public IExtractProgress {
public:
    ExtractView(CUpdateFlow& flow, HWND window) : m_flow(flow), m_window(window) {}
    void OnExtractProgress(UINT64 completed, UINT64 total) override { m_window.OnExtractProgress(completed, total); }
    bool ShouldStop() override { return m_flow.Cancelled(); }

private:
    CUpdateFlow& m_flow;
    CWindowExtractProgress m_window;
};

CUpdateFlow::CUpdateFlow(IUpdateView& view, const UpdateInfo& info, const std::wstring& folder,
                         const std::string& reportUrl)
    : m_view(view), m_info(info), m_folder(folder), m_reportUrl(reportUrl),
      m_versionFile(VersionFilePath(folder, info)), m_cancel(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_reportDone(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    const std::wstring archive = ArchiveNameFromUrl(info.game_url);
    if (!archive.empty()) m_archivePath = folder + archive;
}

CUpdateFlow::~CUpdateFlow()
{
    if (m_worker) {
        m_cancelled = true;
        SetEvent(m_cancel);
        m_transferCancel.Cancel();
        // A worker still running uses this object: rather than pull it away, the process
        // ends here, and not as a success. The updater itself never gets here (its window's
        // close ends the process); whoever does has a worker that ignored the stop.
        if (WaitForSingleObject(m_worker, kCloseWaitMs) != WAIT_OBJECT_0) {
            std::fputs("update flow: the worker did not stop\n", stderr);
            EndProcessNow(kWorkerHungExitCode);
        }
        CloseHandle(m_worker);
    }
    if (m_cancel) CloseHandle(m_cancel);
    if (m_reportDone) CloseHandle(m_reportDone);
}

bool CUpdateFlow::Start(HWND window)
{
    m_window = window;
    m_mailbox.SetWindow(window);
    m_updateRunning = ReadInstalledVersion(m_versionFile) != m_info.game_version;
    if (StartWorker(m_updateRunning ? DownloadAndExtractThread : VersionCheckThread)) return true;
    // Nothing would ever move on from the start-up text: the player is told and can close.
    ShowFailure();
    return false;
}

bool CUpdateFlow::StartWorker(UINT(__cdecl* proc)(LPVOID))
{
    // Made suspended, so that our copy of its handle exists before it can end.
    CWinThread* thread = m_startThread(proc, this, THREAD_PRIORITY_IDLE, 0, CREATE_SUSPENDED, nullptr);
    if (!thread) return false;
    if (!DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &m_worker, SYNCHRONIZE, FALSE, 0))
        m_worker = nullptr;
    thread->ResumeThread();
    return true;
}

bool CUpdateFlow::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    ViewChange change;
    if (m_mailbox.HandleMessage(message, wParam, change)) {
        if (!change.Empty()) m_view.ApplyViewChange(change);
        return true;
    }
    if (message == WM_EXTRACT_PROGRESS) {
        // Anything the download left pending is older than this: merged under it.
        change = m_mailbox.TakeWith(
            ExtractProgressChange(reinterpret_cast<const char*>(wParam), reinterpret_cast<const char*>(lParam)));
        m_view.ApplyViewChange(change);
    }
    return false;
}

void CUpdateFlow::Close()
{
    if (m_closing) return;
    m_closing = true;
    // 1. Taken before the game start, the close keeps it from happening at all.
    int gate = kGateOpen;
    const bool closedFirst = m_gate.compare_exchange_strong(gate, kGateClosed);
    // 2. The worker stops: between steps, in the extraction, and in the network at once.
    m_cancelled = true;
    SetEvent(m_cancel);
    m_transferCancel.Cancel();
    const bool ended = !m_worker || WaitKeepingWindowAlive(m_worker, kCloseWaitMs);
    // 3. A package still being written is no package (the file is shared for deletion; it
    // goes when its last handle does).
    if (!ended && m_packageOpened && !m_packageDone && !m_archivePath.empty()) DeleteFileW(m_archivePath.c_str());
    // 4. An interrupted update downloads again next time; a game that started, or may still
    // be starting, keeps its version.
    const bool noGame = closedFirst || (ended && !m_gameStarted);
    if (m_updateRunning && noGame && GetFileAttributesW(m_versionFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
        WaitKeepingWindowAlive(nullptr, kRemovePauseMs);
        DeleteFileW(m_versionFile.c_str());
    }
}

bool CUpdateFlow::WaitForWorker(DWORD milliseconds) const
{
    return !m_worker || WaitForSingleObject(m_worker, milliseconds) == WAIT_OBJECT_0;
}

bool CUpdateFlow::Cancelled() const
{
    // Asked for every chunk and every extracted block: a flag, where the event would cost a
    // round trip to the system for each.
    return m_cancelled.load(std::memory_order_relaxed);
}

bool CUpdateFlow::Pause(DWORD milliseconds) const
{
    return WaitForSingleObject(m_cancel, milliseconds) == WAIT_TIMEOUT;
}

UINT __cdecl CUpdateFlow::DownloadAndExtractThread(LPVOID flow)
{
    static_cast<CUpdateFlow*>(flow)->DownloadAndExtract();
    return 0;
}

UINT __cdecl CUpdateFlow::VersionCheckThread(LPVOID flow)
{
    static_cast<CUpdateFlow*>(flow)->VersionCheck();
    AfxEndThread(0);
}

void CUpdateFlow::DownloadAndExtract()
{
    // 1. The package, with progress and speed.
    DownloadView download(*this);
    std::wstring archive;
    double start = 0.0;
    const int downloaded = DownloadPackage(m_info.game_url, m_folder, download, start, archive, &m_transferCancel);
    if (start != 0.0) {
        m_downloadStart = start;
        m_downloadStarted = true;
    }
    if (downloaded != 0) {
        if (!Cancelled()) ShowFailure();
        return;
    }
    m_packageDone = true;
    // 2. Unpacked beside us; the new version file is put in place only when all went well.
    ExtractView extract(*this, m_window);
    const ExtractResult result = ExtractArchive(m_folder + L"7z.dll", archive, m_folder, &extract);
    if (!result.Succeeded()) {
        if (!Cancelled()) ShowFailure();
        return;
    }
    // 3. Only a complete installation starts the game.
    if (!Cancelled()) StartGame();
}

void CUpdateFlow::VersionCheck()
{
    for (int i = 0; i < kVersionCheckSteps; ++i) {
        ViewChange change;
        change.ShowProgress(false).ShowMessage(true).SetMessageText(kVersionCheckText);
        m_mailbox.Post(change);
        if (!Pause(kVersionCheckStepMs)) return;
    }
    StartGame();
}

void CUpdateFlow::ShowFailure()
{
    ViewChange change;
    change.ShowProgress(false).ShowPercent(false).ShowSpeed(false).ShowMessage(true).SetMessageText(kUpdateFailedText);
    m_mailbox.Post(change);
}

void CUpdateFlow::ShowGameStartFailed()
{
    ViewChange change;
    change.SetMessageText(kGameStartFailedText);
    m_mailbox.Post(change);
}

void CUpdateFlow::StartGame()
{
    // 1. Tell the player.
    {
        ViewChange change;
        change.ShowProgress(false)
            .ShowMessage(true)
            .SetMessageText(kGameStartingText)
            .ShowPercent(false)
            .ShowSpeed(false);
        m_mailbox.Post(change);
    }
    if (!Pause(kGameStartPauseMs)) return;
    // A close that came first wins; once this is taken, a close waits for the start instead.
    int gate = kGateOpen;
    if (!m_gate.compare_exchange_strong(gate, kGateStarting)) return;

    // 2. The game, with the account's credentials, in our folder.
    const std::wstring executable = GameExecutablePath(m_folder, m_info);
    GameProcess game;
    bool started = game.Start(executable, GameCommandLine(executable, m_info), m_folder);
    // Without a watchdog thread this worker watches the game once the report is out, so that
    // the hidden updater still ends with the game.
    bool watchHere = false;
    if (started) {
        m_gameStarted = true;
        watchHere = !StartGameWatch(game.Handle(), game.Id(), m_reportDone, kReportWaitMs, m_startThread);
        ViewChange change;
        change.ShowWindow(false);
        m_mailbox.PostAndWait(change);
    } else {
        ShowGameStartFailed();
    }

    // 3. The report: seconds since the download began (0 without one).
    long long seconds = 0;
    if (m_downloadStarted) {
        seconds = ElapsedWholeSeconds(m_downloadStart, CurrentLocalDate());
        if (seconds < 0) seconds = 0;
    }
    PostJson(BuildReportBody(started, seconds, m_info.uid), m_reportUrl);
    SetEvent(m_reportDone);
    if (watchHere) WatchGameHere(game.Handle(), game.Id());
}
