#pragma once
#include <windows.h>
#include <wininet.h>

// Reads of one WinINet request on a thread of its own, so that the caller can stop waiting
// the moment it is told to. Closing the handles ends a blocked read on some systems only:
// this Wine keeps it waiting until bytes come, the server closes or the receive limit
// passes, and cancelling the thread's synchronous I/O does not reach it either. The read
// left behind ends on its own later and touches nothing of the caller's.
//
// The thread reads ahead, chunk after chunk, into a ring of its own, and the caller takes the
// chunks in the order and sizes they were read. The two meet through a slim lock and
// condition variables, which wait in-process: a handshake of events for every chunk cost
// more than the read itself under Wine.
class CancellableRead {
public:
    static constexpr DWORD kMaxSize = 512;
    // Chunks read ahead at most.
    static constexpr DWORD kAhead = 64;

    // stop: a manual-reset event (not owned) whose signal ends the wait.
    explicit CancellableRead(HANDLE stop);
    ~CancellableRead();
    CancellableRead(const CancellableRead&) = delete;
    CancellableRead& operator=(const CancellableRead&) = delete;

    // The next bytes of request's body, up to size (at most kMaxSize): a chunk as one
    // InternetReadFile of kMaxSize gave it, or its rest. One object reads one request. At the
    // body's end read is 0. False with error set when the read failed (every later call fails
    // the same way), and with ERROR_INTERNET_OPERATION_CANCELLED once stop was signalled
    // (every later call too, at once).
    bool Read(HINTERNET request, char* buffer, DWORD size, DWORD& read, DWORD& error);

private:
    struct Shared;
    static DWORD WINAPI ReaderThread(LPVOID shared);
    static void CALLBACK Stopped(PVOID shared, BOOLEAN timedOut);
    static void Release(Shared* shared);
    bool Start(HINTERNET request);

    HANDLE m_stop;
    Shared* m_shared = nullptr; // made by the first read
    HANDLE m_thread = nullptr;
    HANDLE m_stopWait = nullptr;
    bool m_abandoned = false;
};
