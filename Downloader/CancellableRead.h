#pragma once
#include <windows.h>
#include <wininet.h>

// Reads of one WinINet request on a thread of its own, so that the caller can stop waiting
// the moment it is told to. Closing the handles ends a blocked read on some systems only:
// this Wine keeps it waiting until bytes come, the server closes or the receive limit
// passes, and cancelling the thread's synchronous I/O does not reach it either. The read
// left behind ends on its own later and touches nothing of the caller's.
class CancellableRead {
public:
    static constexpr DWORD kMaxSize = 512;

    // stop: a manual-reset event (not owned) whose signal ends the wait.
    explicit CancellableRead(HANDLE stop);
    ~CancellableRead();
    CancellableRead(const CancellableRead&) = delete;
    CancellableRead& operator=(const CancellableRead&) = delete;

    // InternetReadFile of up to size (at most kMaxSize) bytes. False with error set when the
    // read fails, and with ERROR_INTERNET_OPERATION_CANCELLED once stop was signalled first
    // (every later call fails the same way at once).
    bool Read(HINTERNET request, char* buffer, DWORD size, DWORD& read, DWORD& error);

private:
    struct Shared;
    static DWORD WINAPI ReaderThread(LPVOID shared);
    static void Release(Shared* shared);

    HANDLE m_stop;
    Shared* m_shared = nullptr;
    HANDLE m_thread = nullptr;
    bool m_abandoned = false;
};
