// The pieces of the updater's road that need no server: the game's command line and version
// file, the statistics report's body, the extraction progress handler and the hand-over of
// view changes from workers to the window thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "GameStart.h"
#include "StatsReport.h"
#include "UpdateFlow.h"
#include "ViewChange.h"
#include "common/TextConvert.h"

namespace {

UpdateInfo Record(const std::string& open)
{
    UpdateInfo info;
    info.open = open;
    info.token = "tok";
    info.uid = "10001";
    info.sid = "s1";
    info.extraInfo = "x1";
    return info;
}

TEST(GameStart, CommandLines)
{
    struct Case {
        const char* name;
        std::wstring folder;
        UpdateInfo info;
        std::wstring expected;
    };
    UpdateInfo blankToken = Record("game\\Game.exe");
    blankToken.token = "a b";
    UpdateInfo longExtra = Record("game\\Game.exe");
    longExtra.extraInfo = std::string(5000, 'e');
    const Case cases[] = {
        { "plain", L"C:\\app\\", Record("game\\Game.exe"),
          L"C:\\app\\game\\Game.exe auth_key:tok uid:10001 sid:s1 extraInfo:x1" },
        { "blank_in_folder", L"C:\\My Games\\", Record("game\\Game.exe"),
          L"\"C:\\My Games\\game\\Game.exe\" auth_key:tok uid:10001 sid:s1 extraInfo:x1" },
        { "blank_in_open", L"C:\\app\\", Record("my game\\Game.exe"),
          L"\"C:\\app\\my game\\Game.exe\" auth_key:tok uid:10001 sid:s1 extraInfo:x1" },
        { "raw_arguments", L"C:\\app\\", blankToken,
          L"C:\\app\\game\\Game.exe auth_key:a b uid:10001 sid:s1 extraInfo:x1" },
        { "no_length_cut", L"C:\\app\\", longExtra,
          L"C:\\app\\game\\Game.exe auth_key:tok uid:10001 sid:s1 extraInfo:" + std::wstring(5000, L'e') },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GameCommandLine(GameExecutablePath(c.folder, c.info), c.info), c.expected);
    }
}

TEST(GameStart, VersionFileLiesBesideTheGame)
{
    const struct {
        const char* open;
        const wchar_t* expected;
    } cases[] = {
        { "game\\Game.exe", L"C:\\app\\game\\ZelUpGame.ini" },
        { "game/Game.exe", L"C:\\app\\game/ZelUpGame.ini" },
        { "a/b\\Game.exe", L"C:\\app\\a/b\\ZelUpGame.ini" },
        { "Game.exe", L"C:\\app\\ZelUpGame.ini" },
        { "", L"C:\\app\\ZelUpGame.ini" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.open);
        EXPECT_EQ(VersionFilePath(L"C:\\app\\", Record(c.open)), c.expected);
    }
}

TEST(GameStart, InstalledVersion)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"road_version_test.ini";
    DeleteFileW(file.c_str());
    EXPECT_EQ(ReadInstalledVersion(file), "");
    WritePrivateProfileStringW(L"VERSION", L"game_version", L"2.0", file.c_str());
    EXPECT_EQ(ReadInstalledVersion(file), "2.0");
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    DeleteFileW(file.c_str());
}

TEST(GameStart, MissingExecutableFails)
{
    GameProcess game;
    const std::wstring exe = L"C:\\no such folder\\Game.exe";
    EXPECT_FALSE(game.Start(exe, GameCommandLine(exe, Record("x")), L""));
    EXPECT_FALSE(game.Started());
    EXPECT_NE(game.Error(), 0u);
}

TEST(StatsReport, Bodies)
{
    EXPECT_EQ(BuildReportBody(true, 0, "10001"), "{\"is_start\":1,\"time\":0,\"uid\":\"10001\"}\n");
    EXPECT_EQ(BuildReportBody(false, 37, "u"), "{\"is_start\":0,\"time\":37,\"uid\":\"u\"}\n");
    EXPECT_EQ(BuildReportBody(true, -5, "u"), "{\"is_start\":1,\"time\":0,\"uid\":\"u\"}\n");
    EXPECT_EQ(BuildReportBody(true, 1, "a\"b\\"), "{\"is_start\":1,\"time\":1,\"uid\":\"a\\\"b\\\\\"}\n");
    // A uid in the system code page (936 here) reaches the server as the same characters.
    const std::string ansi = WideToAnsi(L"张三");
    ASSERT_FALSE(ansi.empty());
    EXPECT_EQ(BuildReportBody(true, 2, ansi), "{\"is_start\":1,\"time\":2,\"uid\":\"\\u5f20\\u4e09\"}\n");
}

TEST(StatsReport, Url)
{
    EXPECT_EQ(StatsReportUrl().rfind("https://", 0), 0u);
}

TEST(ExtractProgress, Handler)
{
    const struct {
        const char* completed;
        const char* total;
        int percent;
    } cases[] = {
        { "0", "100", 0 },
        { "50", "100", 50 },
        { "999", "1000", 99 },
        { "100", "100", 100 },
        { "5", "0", 0 },
        { "0", "0", 0 },
        { "200", "100", 100 },
        { nullptr, nullptr, 0 },
        { "-5", "100", 0 },
        { "9000000000", "9000000000", 100 },
        { "4500000000", "9000000000", 50 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.completed ? c.completed : "null") + "/" + (c.total ? c.total : "null"));
        const ViewChange change = ExtractProgressChange(c.completed, c.total);
        EXPECT_EQ(change.fields,
                  unsigned(ViewChange::kProgressValue | ViewChange::kPercentText | ViewChange::kSpeedVisible));
        EXPECT_EQ(change.progressValue, c.percent);
        EXPECT_EQ(change.percentText, L"正在解压...(" + std::to_wstring(c.percent) + L"%)");
        EXPECT_FALSE(change.speedVisible);
    }
}

TEST(ViewChangeTest, NewerFieldsReplaceOlderOnes)
{
    ViewChange older;
    older.SetProgress(10).SetPercentText(L"a").ShowSpeed(true);
    ViewChange newer;
    newer.SetProgress(20).ShowMessage(true);
    older.Merge(newer);
    EXPECT_EQ(older.fields, unsigned(ViewChange::kProgressValue | ViewChange::kPercentText | ViewChange::kSpeedVisible |
                                     ViewChange::kMessageVisible));
    EXPECT_EQ(older.progressValue, 20);
    EXPECT_EQ(older.percentText, L"a");
    EXPECT_TRUE(older.speedVisible);
    EXPECT_TRUE(older.messageVisible);
    EXPECT_EQ(ViewChange().SetProgress(150).progressValue, 100);
    EXPECT_EQ(ViewChange().SetProgress(-1).progressValue, 0);
}

// A message-only window on this thread whose messages go to OnMessage first.
class TestWindow {
public:
    TestWindow()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FlowTestWindow";
        RegisterClassW(&wc);
        m_window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    virtual ~TestWindow()
    {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND Handle() const { return m_window; }
    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    // Pumps, as a window's message loop would (timers included), until done() holds or the
    // time is up.
    template <class Done> bool PumpUntil(Done done, DWORD milliseconds)
    {
        const ULONGLONG end = GetTickCount64() + milliseconds;
        while (!done()) {
            if (GetTickCount64() >= end) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        return true;
    }
    void PumpFor(DWORD milliseconds)
    {
        PumpUntil([] { return false; }, milliseconds);
    }

protected:
    // True when the message was taken.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->OnMessage(message, wParam, lParam)) return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND m_window = nullptr;
};

// A window on this thread applies what a worker posts as fast as it can.
class MailboxWindow final : public TestWindow {
public:
    MailboxWindow() { mailbox.SetWindow(Handle()); }

    CViewMailbox mailbox;
    ViewChange shown;
    int applied = 0;

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        ViewChange change;
        if (!mailbox.HandleMessage(message, wParam, change)) return false;
        if (!change.Empty()) {
            shown.Merge(change);
            ++applied;
        }
        return true;
    }
};

TEST(ViewMailbox, ManyUpdatesFewWakeUps)
{
    MailboxWindow host;
    const int kUpdates = 20000;
    std::atomic<bool> done{ false };
    std::thread worker([&] {
        for (int i = 1; i <= kUpdates; ++i) {
            ViewChange change;
            change.SetProgress(i * 100 / kUpdates).SetPercentText(L"n=" + std::to_wstring(i));
            host.mailbox.Post(change);
        }
        done = true;
    });
    // The window thread is slow: it looks only now and then.
    while (!done) {
        Sleep(5);
        host.Pump();
    }
    worker.join();
    // The last changes arrive without another post, on the collection timer.
    host.PumpFor(300);
    EXPECT_EQ(host.shown.percentText, L"n=" + std::to_wstring(kUpdates));
    EXPECT_EQ(host.shown.progressValue, 100);
    // At most one wake-up is on its way at any time: far fewer than the updates.
    EXPECT_LT(host.mailbox.WakeCount(), static_cast<unsigned long>(kUpdates / 10));
    // Quiet again: the next change wakes the window once more.
    const unsigned long wakes = host.mailbox.WakeCount();
    ViewChange last;
    last.SetMessageText(L"again");
    host.mailbox.Post(last);
    host.PumpFor(100);
    EXPECT_EQ(host.mailbox.WakeCount(), wakes + 1);
    EXPECT_EQ(host.shown.messageText, L"again");
}

TEST(ViewMailbox, PostAndWaitIsAppliedOnReturn)
{
    MailboxWindow host;
    std::atomic<bool> returned{ false };
    bool hiddenWhenReturned = false;
    std::thread worker([&] {
        ViewChange change;
        change.ShowWindow(false);
        EXPECT_TRUE(host.mailbox.PostAndWait(change));
        hiddenWhenReturned = host.shown.Has(ViewChange::kWindowVisible) && !host.shown.windowVisible;
        returned = true;
    });
    while (!returned) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        host.Pump();
    }
    worker.join();
    EXPECT_TRUE(hiddenWhenReturned);
}

// A window that runs a flow's messages and keeps what the flow had it show.
class FlowWindow final : public TestWindow, public IUpdateView {
public:
    void ApplyViewChange(const ViewChange& change) override { shown.Merge(change); }

    CUpdateFlow* flow = nullptr;
    ViewChange shown;

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return flow && flow->OnWindowMessage(message, wParam, lParam);
    }
};

// Thread starts that fail from a given call on, as they do when the system is out of threads.
int g_startsLeft = 0;
CWinThread* CountedStart(AFX_THREADPROC proc, LPVOID param, int priority, UINT stack, DWORD flags,
                         LPSECURITY_ATTRIBUTES security)
{
    if (g_startsLeft-- <= 0) return nullptr;
    return AfxBeginThread(proc, param, priority, stack, flags, security);
}

TEST(UpdateFlowThreads, AWorkerThatDoesNotStartShowsTheFailure)
{
    FlowWindow window;
    CUpdateFlow flow(window, UpdateInfo(), L"C:\\nowhere\\", "http://127.0.0.1:1/Lgtim");
    window.flow = &flow;
    g_startsLeft = 0;
    flow.SetThreadStarter(CountedStart);
    EXPECT_FALSE(flow.Start(window.Handle()));
    EXPECT_TRUE(window.PumpUntil([&] { return window.shown.Has(ViewChange::kMessageText); }, 10000));
    EXPECT_EQ(window.shown.messageText, kUpdateFailedText);
    EXPECT_TRUE(window.shown.messageVisible);
}

TEST(UpdateFlowThreads, AWatchdogThatDoesNotStartKeepsTheWindowInSight)
{
    // Equal versions (no version file, none published) and a game that exists everywhere.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(length, 0u);
    UpdateInfo info;
    info.open = "hostname.exe";
    FlowWindow window;
    CUpdateFlow flow(window, info, std::wstring(system) + L"\\", "http://127.0.0.1:1/Lgtim");
    window.flow = &flow;
    g_startsLeft = 1; // the worker starts, the watchdog does not
    flow.SetThreadStarter(CountedStart);
    ASSERT_TRUE(flow.Start(window.Handle()));
    EXPECT_TRUE(window.PumpUntil([&] { return flow.WaitForWorker(0); }, 60000));
    window.PumpFor(100);
    EXPECT_TRUE(flow.GameStarted());
    EXPECT_EQ(window.shown.messageText, kGameStartFailedText);
    EXPECT_FALSE(window.shown.Has(ViewChange::kWindowVisible) && !window.shown.windowVisible);
}

} // namespace
