// Runs the updater's flow (version check or download and extraction, game start, watchdog,
// report) on a plain window instead of the skinned one, and prints every view change the
// window applies, so that tests can read what the player would see:
//   road_probe [--thread-starts N] FOLDER LOGIN-URL REPORT-URL [STOP-ON-TEXT [DELAY-MS]]
// FOLDER plays the updater's folder (7z.dll, the package and the game go there). With
// --thread-starts, only the first N thread starts of the flow succeed (the worker's is the
// first, the watchdog's the second), as when the system has no more threads to give. With
// STOP-ON-TEXT, the flow is closed as the window closes it DELAY-MS (default 0) after a
// percentage or message text that begins with it is applied. Output lines (UTF-8):
//   apply FIELD=VALUE ...    one view change, the fields it sets
//   wakes N                  wake-up messages posted by the workers so far: as the window
//                            hides, and again once the worker has ended (a game that ends
//                            first may end the process before that)
//   worker-ended             the worker ended without the watchdog ending the process
//   worker-ended / worker-running   after a stop: whether the close saw the worker end
//   stopped                  after a stop
// The process ends with 0 through the watchdog when the game ends; 3 when the worker ended
// without starting the game; 4 after a stop; 3 also when the
// watchdog has not ended the process a minute after the last message.
#include <windows.h>

#include <cstdio>
#include <string>

#include "UpdateFlow.h"
#include "UpdateRequest.h"
#include "common/ProcessExit.h"
#include "common/TextConvert.h"

namespace {

void Line(const std::string& text)
{
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Flag(bool on)
{
    return on ? "1" : "0";
}

CUpdateFlow* g_flow = nullptr;

class ProbeView final : public IUpdateView {
public:
    ProbeView(const std::wstring& stopOn, DWORD delay) : m_stopOn(stopOn), m_delay(delay) {}
    void ApplyViewChange(const ViewChange& c) override
    {
        std::string line = "apply";
        if (c.Has(ViewChange::kProgressVisible)) line += " progress_visible=" + Flag(c.progressVisible);
        if (c.Has(ViewChange::kProgressValue)) line += " progress=" + std::to_string(c.progressValue);
        if (c.Has(ViewChange::kPercentVisible)) line += " percent_visible=" + Flag(c.percentVisible);
        if (c.Has(ViewChange::kPercentText)) line += " percent=" + WideToUtf8(c.percentText);
        if (c.Has(ViewChange::kSpeedVisible)) line += " speed_visible=" + Flag(c.speedVisible);
        if (c.Has(ViewChange::kSpeedText)) line += " speed=" + WideToUtf8(c.speedText);
        if (c.Has(ViewChange::kMessageVisible)) line += " message_visible=" + Flag(c.messageVisible);
        if (c.Has(ViewChange::kMessageText)) line += " message=" + WideToUtf8(c.messageText);
        if (c.Has(ViewChange::kWindowVisible)) line += " window_visible=" + Flag(c.windowVisible);
        Line(line);
        if (c.Has(ViewChange::kWindowVisible) && !c.windowVisible && g_flow)
            Line("wakes " + std::to_string(g_flow->WakeCount()));
        if (m_stopAt == 0 && !m_stopOn.empty() &&
            ((c.Has(ViewChange::kPercentText) && Begins(c.percentText)) ||
             (c.Has(ViewChange::kMessageText) && Begins(c.messageText))))
            m_stopAt = GetTickCount64() + m_delay;
    }
    bool StopNow() const { return m_stopAt != 0 && GetTickCount64() >= m_stopAt; }

private:
    bool Begins(const std::wstring& text) const { return text.compare(0, m_stopOn.size(), m_stopOn) == 0; }

    std::wstring m_stopOn;
    DWORD m_delay;
    ULONGLONG m_stopAt = 0;
};

int g_threadStartsLeft = -1; // -1: no limit

CWinThread* LimitedStart(AFX_THREADPROC proc, LPVOID param, int priority, UINT stack, DWORD flags,
                         LPSECURITY_ATTRIBUTES security)
{
    if (g_threadStartsLeft == 0) return nullptr;
    if (g_threadStartsLeft > 0) --g_threadStartsLeft;
    return AfxBeginThread(proc, param, priority, stack, flags, security);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (g_flow && g_flow->OnWindowMessage(message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 2 && std::wstring(argv[1]) == L"--thread-starts") {
        g_threadStartsLeft = _wtoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc < 4) {
        std::fputs("usage: road_probe FOLDER LOGIN-URL REPORT-URL [STOP-ON-TEXT]\n", stderr);
        return 2;
    }
    std::wstring folder = argv[1];
    if (folder.back() != L'\\') folder += L'\\';
    SetCurrentDirectoryW(folder.c_str());
    UpdateInfo info;
    RequestUpdateInfo(info, WideToAnsi(argv[2]));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RoadProbeWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(wc.lpszClassName, L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ProbeView view(argc > 4 ? argv[4] : L"", argc > 5 ? static_cast<DWORD>(_wtoi(argv[5])) : 0);
    CUpdateFlow flow(view, info, folder, WideToAnsi(argv[3]));
    flow.SetThreadStarter(LimitedStart);
    g_flow = &flow;
    Line(std::string("update_running ") + (flow.Start(window) && flow.UpdateRunning() ? "1" : "0"));

    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (view.StopNow()) {
            flow.Close();
            Line(flow.WaitForWorker(0) ? "worker-ended" : "worker-running");
            Line("wakes " + std::to_string(flow.WakeCount()));
            Line("stopped");
            EndProcessNow(4);
        }
        if (flow.WaitForWorker(0)) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Line("wakes " + std::to_string(flow.WakeCount()));
    Line("worker-ended");
    if (!flow.GameStarted()) EndProcessNow(3);
    // A started game keeps us alive until the watchdog ends the process.
    for (;;) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT) == WAIT_TIMEOUT) break;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    EndProcessNow(3);
}
