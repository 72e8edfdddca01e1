// The package's reads on their own thread: what the caller gets, how soon, and that a stop or
// a cancel leaves no read behind that starts on a handle already closed.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CancellableRead.h"
#include "WinInetTransfer.h"
#include "../../common/support/Loopback.h"

namespace {

// -- a read that the test drives ----------------------------------------------------------
// Stands in for InternetReadFile: hands out the pieces of g_script.body in the sizes of
// g_script.sizes, then 0 (or a failure), and keeps count of what it was asked.
struct Script {
    std::string body;
    std::vector<DWORD> sizes;
    size_t next = 0;
    size_t at = 0;
    DWORD failure = 0;        // the error of the read after the last piece; 0: the body ends
    bool endless = false;     // after the last piece the first comes again
    size_t blockAt = SIZE_MAX; // the read of this piece waits for `release` first
    HANDLE blocked = nullptr;  // set when that read waits
    HANDLE release = nullptr;
    std::atomic<int> reads{ 0 };
    std::atomic<int> active{ 0 }; // reads under way
    std::atomic<bool> stopReturned{ false };
    std::atomic<int> readsAfterStop{ 0 };
};
Script* g_script = nullptr;

BOOL WINAPI ScriptedRead(HINTERNET, LPVOID buffer, DWORD size, LPDWORD read)
{
    Script& s = *g_script;
    ++s.active;
    struct Leave {
        Script& s;
        ~Leave() { --s.active; }
    } leave{ s };
    ++s.reads;
    if (s.stopReturned) ++s.readsAfterStop;
    *read = 0;
    if (s.next == s.blockAt) {
        SetEvent(s.blocked);
        WaitForSingleObject(s.release, INFINITE);
    }
    if (s.next == s.sizes.size() && s.endless) s.next = s.at = 0;
    if (s.next == s.sizes.size()) {
        if (!s.failure) return TRUE;
        SetLastError(s.failure);
        return FALSE;
    }
    const DWORD n = std::min(size, s.sizes[s.next++]);
    std::memcpy(buffer, s.body.data() + s.at, n);
    s.at += n;
    *read = n;
    return TRUE;
}

class ScriptedReadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        script.blocked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        script.release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        g_script = &script;
    }
    void TearDown() override
    {
        SetEvent(script.release);
        reader.reset(); // waits for a thread that is not inside a read
        EXPECT_TRUE(ReadsEnd());
        g_script = nullptr;
        CloseHandle(script.blocked);
        CloseHandle(script.release);
    }
    void MakeBody(size_t pieces, std::mt19937& random, DWORD largest)
    {
        for (size_t i = 0; i < pieces; ++i) {
            const DWORD n = 1 + random() % largest;
            script.sizes.push_back(n);
            for (DWORD j = 0; j < n; ++j) script.body.push_back(static_cast<char>(random()));
        }
    }

    // True once no read is under way, and none began within a while after: a thread stopped
    // or gone reads nothing more.
    bool ReadsEnd()
    {
        const ULONGLONG end = GetTickCount64() + 30000;
        while (script.active > 0 && GetTickCount64() < end) Sleep(1);
        const int reads = script.reads;
        Sleep(30);
        return script.active == 0 && script.reads == reads;
    }
    void Stop()
    {
        TakenHandles none;
        reader->Stop(none);
    }

    Script script;
    std::unique_ptr<CancellableRead> reader;
};

TEST_F(ScriptedReadTest, HandsOutEveryByteInOrderAndKeepsTheEnd)
{
    const struct {
        const char* name;
        size_t pieces;
        DWORD largest; // of a piece
        DWORD asked;   // by the caller
        DWORD failure;
    } cases[] = {
        { "whole chunks, more than the ring", 5 * CancellableRead::kAhead, 512, 512, 0 },
        { "short pieces", 300, 200, 512, 0 },
        { "a buffer smaller than the chunks", 100, 512, 100, 0 },
        { "one byte at a time", 20, 512, 1, 0 },
        { "asked for more than a chunk", 40, 512, 4096, 0 },
        { "a failure after the body", 70, 512, 512, ERROR_INTERNET_TIMEOUT },
        { "an empty body", 0, 1, 512, 0 },
    };
    std::mt19937 random(7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script.body.clear();
        script.sizes.clear();
        script.next = script.at = 0;
        script.failure = c.failure;
        MakeBody(c.pieces, random, c.largest);
        reader.reset(new CancellableRead(nullptr, ScriptedRead));
        std::string got;
        std::vector<char> buffer(c.asked);
        DWORD read = 0, error = 0;
        bool ok = true;
        for (;;) {
            ok = reader->Read(buffer.data(), c.asked, read, error);
            if (!ok || read == 0) break;
            ASSERT_LE(read, std::min<DWORD>(c.asked, CancellableRead::kMaxSize));
            got.append(buffer.data(), read);
        }
        EXPECT_EQ(got, script.body);
        EXPECT_EQ(ok, c.failure == 0);
        if (!ok) {
            EXPECT_EQ(error, c.failure);
        }
        // The end or the failure stays: asked again, the same answer, and nothing more is read.
        const int reads = script.reads;
        for (int i = 0; i < 3; ++i) {
            error = 0;
            EXPECT_EQ(reader->Read(buffer.data(), c.asked, read, error), c.failure == 0);
            EXPECT_EQ(read, 0u);
            EXPECT_EQ(error, c.failure);
        }
        EXPECT_EQ(script.reads, reads);
        reader.reset();
    }
}

// Fewer chunks than a batch are in and the next read waits for the server: the caller gets
// them without waiting for that read, and a stop ends its wait at once.
TEST_F(ScriptedReadTest, ChunksBeforeAWaitingReadAreHandedOut)
{
    std::mt19937 random(3);
    MakeBody(40, random, 512);
    script.blockAt = 3;
    reader.reset(new CancellableRead(nullptr, ScriptedRead));
    std::atomic<int> chunks{ 0 };
    std::atomic<DWORD> lastError{ 0 };
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread caller([&] {
        char buffer[512];
        DWORD read = 0, error = 0;
        while (reader->Read(buffer, sizeof buffer, read, error) && read > 0) ++chunks;
        lastError = error;
        SetEvent(done);
    });
    ASSERT_EQ(WaitForSingleObject(script.blocked, 30000), WAIT_OBJECT_0);
    const ULONGLONG end = GetTickCount64() + 30000;
    while (chunks < 3 && GetTickCount64() < end) Sleep(5);
    EXPECT_EQ(chunks, 3) << "the chunks read before the waiting read were held back";
    Stop();
    const bool ended = WaitForSingleObject(done, 30000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended) << "the caller went on waiting after the stop";
    if (!ended) SetEvent(script.release);
    caller.join();
    EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
    CloseHandle(done);
}

// A stop from another thread while chunks keep coming: the read under way, if any, is the
// last, and the caller, then and later, gets the cancel and no chunk.
TEST_F(ScriptedReadTest, NothingIsReadOrHandedOutAfterAStop)
{
    std::mt19937 random(11);
    MakeBody(1000, random, 512);
    // However late the stop comes, the chunks keep coming.
    script.endless = true;
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        script.next = script.at = 0;
        script.stopReturned = false;
        script.readsAfterStop = 0;
        reader.reset(new CancellableRead(nullptr, ScriptedRead));
        std::atomic<bool> stopped{ false };
        std::atomic<int> handedOutAfterStop{ 0 };
        std::atomic<int> chunks{ 0 };
        DWORD lastError = 0;
        std::thread caller([&] {
            char buffer[512];
            DWORD read = 0, error = 0;
            for (;;) {
                const bool after = stopped;
                const bool ok = reader->Read(buffer, sizeof buffer, read, error);
                if (!ok || read == 0) break;
                ++chunks;
                if (after) ++handedOutAfterStop;
            }
            lastError = error;
        });
        const ULONGLONG end = GetTickCount64() + 30000;
        const int before = 1 + round * 7 % 200;
        while (chunks < before && GetTickCount64() < end) Sleep(0);
        Stop();
        script.stopReturned = true;
        stopped = true;
        caller.join();
        EXPECT_TRUE(ReadsEnd()) << "the reader read on after the stop";
        // One read may have let go of the lock before the stop and begin only now; no other.
        EXPECT_LE(script.readsAfterStop, 1);
        EXPECT_EQ(handedOutAfterStop, 0);
        EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
        reader.reset();
        if (HasFailure()) break;
    }
}

// -- the real transfer against a server on 127.0.0.1 ---------------------------------------

// Answers every connection with a body announced as kLength that comes in small pieces, with
// short pauses, until the client goes.
class StreamingServer {
public:
    static const int kLength = 256 * 1024 * 1024;

    StreamingServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listener = ListenOnLoopback(8, m_port);
        m_accepter = std::thread([this] { Accept(); });
    }
    ~StreamingServer()
    {
        m_closing = true;
        closesocket(m_listener);
        m_accepter.join();
        for (SOCKET s : m_clients) shutdown(s, SD_BOTH);
        for (std::thread& t : m_senders) t.join();
        for (SOCKET s : m_clients) closesocket(s);
        WSACleanup();
    }
    std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(m_port) + L"/pkg/game_v2.7z"; }

private:
    void Accept()
    {
        for (;;) {
            SOCKET client = accept(m_listener, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            m_clients.push_back(client);
            m_senders.emplace_back([this, client] { Send(client); });
        }
    }
    void Send(SOCKET client)
    {
        char request[4096];
        recv(client, request, sizeof request, 0);
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kLength) + "\r\n\r\n";
        send(client, head.data(), static_cast<int>(head.size()), 0);
        const std::string piece(1500, 'x');
        for (int i = 0; !m_closing; ++i) {
            if (send(client, piece.data(), static_cast<int>(piece.size()), 0) <= 0) return;
            if (i % 8 == 0) Sleep(1);
        }
    }

    SOCKET m_listener = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_closing{ false };
    std::vector<SOCKET> m_clients;    // the accepter's until it has ended
    std::vector<std::thread> m_senders;
    std::thread m_accepter;
};

// Counts the reads that start on a handle already closed (WinINet no longer knows it), or
// after g_cancelReturned; the rest go to InternetReadFile.
std::atomic<bool> g_cancelReturned{ false };
std::atomic<int> g_readsOnClosed{ 0 };
std::atomic<int> g_readsAfterCancel{ 0 };
std::atomic<DWORD> g_closedError{ 0 }; // what the look at a closed handle answered

BOOL WINAPI WatchedRead(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read)
{
    if (g_cancelReturned) ++g_readsAfterCancel;
    DWORD type = 0;
    DWORD length = sizeof type;
    if (!InternetQueryOptionW(request, INTERNET_OPTION_HANDLE_TYPE, &type, &length)) {
        g_closedError = GetLastError();
        ++g_readsOnClosed;
    }
    return InternetReadFile(request, buffer, size, read);
}

TEST(TransferCancelTest, NothingIsReadOrHandedOutAfterACancelWhileChunksArrive)
{
    StreamingServer server;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        g_cancelReturned = false;
        g_readsOnClosed = 0;
        g_readsAfterCancel = 0;
        TransferCancel cancel;
        std::atomic<int> chunks{ 0 };
        std::atomic<int> handedOutAfterCancel{ 0 };
        bool opened = false;
        DWORD lastError = 0;
        std::thread worker([&] {
            WinInetTransfer transfer(&cancel, WatchedRead);
            opened = transfer.Open(server.Url()) == WinInetTransfer::OpenResult::Ok;
            char buffer[WinInetTransfer::kChunkSize];
            DWORD read = 0;
            if (opened) {
                for (;;) {
                    const bool after = g_cancelReturned;
                    if (!transfer.ReadChunk(buffer, read) || read == 0) break;
                    ++chunks;
                    if (after) ++handedOutAfterCancel;
                }
            }
            lastError = transfer.LastError();
        });
        const ULONGLONG end = GetTickCount64() + 30000;
        const int before = 1 + round * 37 % 300;
        while (chunks < before && GetTickCount64() < end) Sleep(round % 3);
        cancel.Cancel();
        g_cancelReturned = true;
        // Left alone the reads would go on for minutes: the cancel ends them.
        worker.join();
        ASSERT_TRUE(opened);
        EXPECT_GE(chunks, before);
        EXPECT_EQ(handedOutAfterCancel, 0);
        EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
        Sleep(20); // the reader thread, were it to read on, has done so by now
        // One read may have let go of the reader's lock before the cancel and begin only now.
        EXPECT_LE(g_readsAfterCancel, 1);
        EXPECT_EQ(g_readsOnClosed, 0) << "error " << g_closedError;
        if (HasFailure()) break;
    }
}

// A transfer that goes while its reader reads ahead (its caller stopped after a failed write)
// closes its handles only once the reader reads no more.
TEST(TransferCancelTest, AnEndedTransferReadsNothingOnItsClosedHandles)
{
    StreamingServer server;
    TransferCancel cancel;
    g_cancelReturned = false;
    g_readsOnClosed = 0;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        {
            WinInetTransfer transfer(&cancel, WatchedRead);
            ASSERT_EQ(transfer.Open(server.Url()), WinInetTransfer::OpenResult::Ok);
            char buffer[WinInetTransfer::kChunkSize];
            DWORD read = 0;
            for (int i = 0; i < 1 + round * 13 % 40; ++i) ASSERT_TRUE(transfer.ReadChunk(buffer, read) && read > 0);
        }
        Sleep(20);
        EXPECT_EQ(g_readsOnClosed, 0);
        if (HasFailure()) break;
    }
}

} // namespace
