// The pieces of the updater's road that need no server: the game's command line and version
// file, the statistics report's body, the extraction progress handler and the hand-over of
// view changes from workers to the window thread.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "GameStart.h"
#include "Mywnd.h"
#include "StatsReport.h"
#include "UpdateFlow.h"
#include "ViewChange.h"
#include "WinInetTransfer.h"
#include "../../common/support/Loopback.h"
#include "common/TextConvert.h"
#include "core/ControlUI.h"

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

// One HTTP reply on 127.0.0.1: the headers announce more than is sent, kSent bytes come at
// once, then nothing until Release, which sends one chunk more; after that the connection
// stays open and silent until the client lets go.
class StallingServer {
public:
    // Whole chunks: a read returns once its buffer is full or the body has ended.
    static const int kSent = 2 * WinInetTransfer::kChunkSize;

    StallingServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ListenOnLoopback(1, m_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~StallingServer()
    {
        closesocket(m_listener);
        if (m_client != INVALID_SOCKET) shutdown(m_client, SD_BOTH);
        m_thread.join();
        if (m_client != INVALID_SOCKET) closesocket(m_client);
        CloseHandle(m_clientGone);
        CloseHandle(m_release);
        WSACleanup();
    }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/pkg/game_v2.7z"; }
    // Signalled when the client closed its end of the connection.
    HANDLE ClientGone() const { return m_clientGone; }
    void Release() { SetEvent(m_release); }

private:
    void Serve()
    {
        m_client = accept(m_listener, nullptr, nullptr);
        if (m_client == INVALID_SOCKET) return;
        char request[4096];
        recv(m_client, request, sizeof request, 0);
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n";
        send(m_client, head.data(), static_cast<int>(head.size()), 0);
        const std::string body(kSent, 'x');
        send(m_client, body.data(), kSent, 0);
        WaitForSingleObject(m_release, 60000);
        send(m_client, body.data(), WinInetTransfer::kChunkSize, 0);
        // Nothing more is sent; the client's close (or the end of the test) ends the wait.
        while (recv(m_client, request, sizeof request, 0) > 0) {
        }
        SetEvent(m_clientGone);
    }

    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    int m_port = 0;
    HANDLE m_clientGone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread m_thread;
};

TEST(TransferCancelTest, CancelFromAnotherThreadEndsABlockedRead)
{
    StallingServer server;
    TransferCancel cancel;
    HANDLE blocked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool failed = false;
    DWORD error = 0;
    auto read = [&] {
        WinInetTransfer transfer(&cancel);
        if (transfer.Open(server.Url()) != WinInetTransfer::OpenResult::Ok) return;
        char buffer[WinInetTransfer::kChunkSize];
        DWORD received = 0;
        DWORD read = 0;
        bool ok = true;
        while (ok && received < StallingServer::kSent) {
            ok = transfer.ReadChunk(buffer, read) && read > 0;
            received += read;
        }
        if (!ok) return;
        // Everything the server sent is in: the next read waits for bytes that do not come.
        SetEvent(blocked);
        // A read that answers true with nothing is the body's end, not the failure looked for.
        while ((ok = transfer.ReadChunk(buffer, read)) && read > 0) {
        }
        failed = !ok;
        error = transfer.LastError();
    };
    std::thread worker([&] {
        read();
        SetEvent(done);
    });
    // The worker still uses this frame: a test that cannot go on ends its process.
    auto abandon = [&](const char* why) {
        ADD_FAILURE() << why;
        worker.detach();
        std::fflush(nullptr);
        TerminateProcess(GetCurrentProcess(), 3);
    };
    const HANDLE firstBytesOrEnd[] = { blocked, done };
    const DWORD first = WaitForMultipleObjects(2, firstBytesOrEnd, FALSE, 30000);
    if (first == WAIT_OBJECT_0 + 1) {
        worker.join();
        server.Release();
        CloseHandle(blocked);
        CloseHandle(done);
        FAIL() << "the transfer failed or ended before the first bytes were in";
    }
    if (first != WAIT_OBJECT_0) abandon("the transfer did not get the first bytes");
    Sleep(300); // inside the read by now
    cancel.Cancel();
    EXPECT_TRUE(cancel.Cancelled());
    // Left alone the read would wait for the stall limit (a minute); the cancel ends it.
    if (WaitForSingleObject(done, WinInetTransfer::kStallLimitMs / 2) != WAIT_OBJECT_0)
        abandon("the read went on after the cancel");
    worker.join();
    EXPECT_TRUE(failed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
    // The platform's own read, left behind, lets go of the connection once bytes come.
    server.Release();
    EXPECT_EQ(WaitForSingleObject(server.ClientGone(), 30000), WAIT_OBJECT_0);
    CloseHandle(blocked);
    CloseHandle(done);
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

    // Pumps until the collection timer has found nothing and stopped since the last wake-up
    // was posted: all that was posted before has been applied by then. The limit only ends
    // the wait for a mailbox that never goes quiet.
    bool PumpUntilQuiet()
    {
        return PumpUntil([this] { return m_quietAtWakes == mailbox.WakeCount(); }, 60000);
    }

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        ViewChange change;
        if (!mailbox.HandleMessage(message, wParam, change)) return false;
        if (!change.Empty()) {
            shown.Merge(change);
            ++applied;
        } else if (message == WM_TIMER) {
            m_quietAtWakes = mailbox.WakeCount();
        }
        return true;
    }

    unsigned long m_quietAtWakes = ~0ul;
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
    ASSERT_TRUE(host.PumpUntilQuiet());
    EXPECT_EQ(host.shown.percentText, L"n=" + std::to_wstring(kUpdates));
    EXPECT_EQ(host.shown.progressValue, 100);
    // At most one wake-up is on its way at any time: far fewer than the updates.
    EXPECT_LT(host.mailbox.WakeCount(), static_cast<unsigned long>(kUpdates / 10));
    // Quiet again: the next change wakes the window once more.
    const unsigned long wakes = host.mailbox.WakeCount();
    ViewChange last;
    last.SetMessageText(L"again");
    host.mailbox.Post(last);
    ASSERT_TRUE(host.PumpUntilQuiet());
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

// A worker that ignores every stop, as one stuck where nothing reaches it would.
UINT __cdecl DeafWorker(LPVOID)
{
    Sleep(INFINITE);
    return 0;
}
CWinThread* DeafStart(AFX_THREADPROC, LPVOID param, int priority, UINT stack, DWORD flags,
                      LPSECURITY_ATTRIBUTES security)
{
    return AfxBeginThread(DeafWorker, param, priority, stack, flags, security);
}

TEST(UpdateFlowThreads, AFlowWhoseWorkerDoesNotStopEndsItsProcessAsAFailure)
{
    // Tests and probes own the flow: a worker that hangs there must fail them, not pass them.
    EXPECT_EXIT(
        {
            FlowWindow window;
            {
                CUpdateFlow flow(window, UpdateInfo(), L"C:\\nowhere\\", "http://127.0.0.1:1/Lgtim");
                flow.SetThreadStarter(DeafStart);
                flow.Start(window.Handle());
            }
            std::fputs("the flow went\n", stderr);
            std::fflush(nullptr);
            ExitProcess(0);
        },
        ::testing::ExitedWithCode(kWorkerHungExitCode), "the worker did not stop");
}

// The ready folder of this build, where the updater's skin lies.
std::wstring ReadyFolder()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return folder + L"..\\..\\..\\ready\\";
}

TEST(MainWindowClose, TheSkinsCloseRunsFromTheWindowsOwnLoop)
{
    // The click's handler only asks (once, however often it is clicked); the close itself
    // and the end of the updater come when the window's loop takes the request.
    EXPECT_EXIT(
        {
            SkinUI::CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
            SkinUI::CPaintManagerUI::SetResourcePath((ReadyFolder() + L"Skin").c_str());
            CMywnd window;
            const HWND handle =
                window.Create(nullptr, L"update", WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE, 0, 0, 520, 320);
            if (!handle) {
                std::fputs("no window\n", stderr);
                std::fflush(nullptr);
                ExitProcess(2);
            }
            SkinUI::CControlUI close;
            close.SetName(L"close");
            SkinUI::TNotifyUI click = {};
            click.type = L"click";
            click.sender = &close;
            window.Notify(click);
            window.Notify(click);
            int requests = 0;
            MSG msg;
            while (PeekMessageW(&msg, handle, CMywnd::kCloseRequest, CMywnd::kCloseRequest, PM_REMOVE)) ++requests;
            std::fprintf(stderr, "close requests waiting: %d\n", requests);
            std::fflush(nullptr);
            PostMessageW(handle, CMywnd::kCloseRequest, 0, 0);
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            std::fputs("the loop ended\n", stderr);
            std::fflush(nullptr);
            ExitProcess(5);
        },
        ::testing::ExitedWithCode(0), "close requests waiting: 1\n$");
}

} // namespace
