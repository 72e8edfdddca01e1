#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "GameWatch.h"
#include "UpdateInfo.h"
#include "ViewChange.h"
#include "WinInetTransfer.h"

// What the update flow needs from its window: somewhere to apply view changes, on the
// window's own thread. The main window implements it; tests use a plain window.
class IUpdateView {
public:
    virtual void ApplyViewChange(const ViewChange& change) = 0;

protected:
    ~IUpdateView() = default;
};

// Fixed texts of the flow.
extern const wchar_t kVersionCheckText[]; // "版本比对中..."
extern const wchar_t kGameStartingText[]; // "版本比对成功，正在启动游戏。。。"
extern const wchar_t kGameStartFailedText[];
extern const wchar_t kUpdateFailedText[];

// The exit code of a process whose update flow went with a worker that would not stop.
const unsigned kWorkerHungExitCode = 70;

// The extraction progress handler's change for message 1026 (completed and total bytes as
// decimal texts; null reads as 0): the bar at the percentage, which stays within 0..100 and
// is 0 for a total of 0, the text "正在解压...(N%)", the speed text hidden.
ViewChange ExtractProgressChange(const char* completed, const char* total);

// The updater's road after the window exists: the version comparison, then in one worker
// either the package download and extraction or the short version check, then the game
// start, the watchdog and the statistics report. Workers never touch the window: they hand
// their view changes over (ViewChange.h) and the window thread applies them.
class CUpdateFlow {
public:
    // folder: where the game lives and the package goes (our own folder, with a trailing
    // separator); reportUrl: where the statistics report goes.
    CUpdateFlow(IUpdateView& view, const UpdateInfo& info, const std::wstring& folder, const std::string& reportUrl);
    // Stops the worker and waits for it a few seconds; a worker that has not ended by then
    // ends the process with kWorkerHungExitCode.
    ~CUpdateFlow();
    CUpdateFlow(const CUpdateFlow&) = delete;
    CUpdateFlow& operator=(const CUpdateFlow&) = delete;

    const UpdateInfo& Info() const { return m_info; }
    const std::wstring& VersionFile() const { return m_versionFile; }
    // True when the versions differed and the download path was taken.
    bool UpdateRunning() const { return m_updateRunning; }

    // Before Start: how threads are started (the worker's and the watchdog's).
    void SetThreadStarter(ThreadStarter start) { m_startThread = start; }

    // Window thread, once: compares the installed version with the published one and starts
    // the matching worker at idle priority. False when the worker could not be started; the
    // window then shows the failure.
    bool Start(HWND window);

    // Window thread: the flow's own messages (the wake-up of the view mailbox and the
    // extraction progress, 1026). True when the message was the flow's wake-up and is done;
    // 1026 is handled and still reported false, so that the window passes it on as well.
    bool OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Window thread, for every way the window closes: no game starts after this (one that has
    // started keeps its version file). Stops the worker (a download at once, also inside a
    // read that waits for the server), waits for it a few seconds at most while the
    // window keeps painting (input is dropped), removes a package left half written and, when
    // the download path ran and no game started, the version file, so that the next start
    // downloads again. The caller ends the process afterwards.
    void Close();

    // Waits for the worker without pumping messages (tests, whose window runs elsewhere).
    bool WaitForWorker(DWORD milliseconds) const;

    // True once the game process was created.
    bool GameStarted() const { return m_gameStarted; }

    // How many wake-ups the workers posted to the window.
    unsigned long WakeCount() const { return m_mailbox.WakeCount(); }

private:
    static UINT __cdecl DownloadAndExtractThread(LPVOID flow);
    static UINT __cdecl VersionCheckThread(LPVOID flow);
    void DownloadAndExtract();
    void VersionCheck();
    void StartGame();
    void ShowFailure();
    void ShowGameStartFailed();
    bool Cancelled() const;
    // Sleeps, but returns early (false) when the flow is stopped.
    bool Pause(DWORD milliseconds) const;
    bool StartWorker(UINT(__cdecl* proc)(LPVOID));

    class DownloadView;
    class ExtractView;

    IUpdateView& m_view;
    const UpdateInfo m_info;
    const std::wstring m_folder;
    const std::string m_reportUrl;
    std::wstring m_versionFile;
    HWND m_window = nullptr;
    CViewMailbox m_mailbox;
    bool m_updateRunning = false;
    bool m_closing = false;
    ThreadStarter m_startThread = AfxBeginThread;
    TransferCancel m_transferCancel;
    std::wstring m_archivePath; // where the package goes; empty for a URL that names no file
    // Who came first, the game start or a close: kGateOpen until one of them takes it.
    enum { kGateOpen, kGateClosed, kGateStarting };
    std::atomic<int> m_gate{ kGateOpen };
    std::atomic<bool> m_packageOpened{ false };
    std::atomic<bool> m_packageDone{ false };
    std::atomic<bool> m_cancelled{ false }; // set with m_cancel, for the checks in loops
    HANDLE m_cancel;                        // manual-reset event: set by Close, for the pauses
    HANDLE m_reportDone; // manual-reset event: set once the report has been sent
    HANDLE m_worker = nullptr;
    double m_downloadStart = 0.0;
    std::atomic<bool> m_downloadStarted{ false };
    std::atomic<bool> m_gameStarted{ false };
};
