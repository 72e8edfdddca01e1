#pragma once
#include <windows.h>
#include <wininet.h>

#include "InternetHandle.h"

// Reads of one WinINet request on a thread of its own, so that the caller can stop waiting
// the moment it is told to. A read under way is not waited for: this Wine keeps a blocked
// read waiting until bytes come, the server closes or the receive limit passes, whatever is
// closed or cancelled meanwhile. The read left behind ends on its own later, touches nothing
// of the caller's, and the handles are closed after it.
//
// The thread reads ahead, chunk after chunk, into a ring of its own, and the caller takes the
// chunks in the order and sizes they were read. The two meet through a slim lock and
// condition variables, and they meet seldom: a waiting caller is woken once a batch of chunks
// is in (or the body's end, or a failure) and then takes every chunk there is at once, and a
// reader waiting for room is woken once the caller gives back what it took. So writing and
// showing one batch overlap the reads of the next. Under Wine a wake for every chunk made the
// download 0.7 times as fast as the same reads on one thread.
class CancellableRead {
public:
    // InternetReadFile's shape; tests put a function of their own in its place.
    using ReadFunction = BOOL(WINAPI*)(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read);

    static constexpr DWORD kMaxSize = 512;
    // Chunks read ahead at most.
    static constexpr DWORD kAhead = 256;
    // Chunks handed over with one wake.
    static constexpr DWORD kBatch = 16;
    // The longest a caller waits for a batch to fill while chunks are in: a read that waits
    // for the server holds back the chunks before it no longer than this.
    static constexpr DWORD kBatchWaitMs = 10;

    // Reads request, which is not owned: it must stay open until it is handed to Stop.
    explicit CancellableRead(HINTERNET request, ReadFunction read = InternetReadFile);
    // Stops, and lets go of the reader thread: a thread inside a read is left to end on its own.
    ~CancellableRead();
    CancellableRead(const CancellableRead&) = delete;
    CancellableRead& operator=(const CancellableRead&) = delete;

    // Any thread. Once this returns no read of request starts any more, and every Read,
    // waiting or later, fails with ERROR_INTERNET_OPERATION_CANCELLED. handles are the request's
    // and its parents': while a read is under way the thread takes them and closes them once
    // that read has ended (a read may have let go of the lock and not yet reached WinINet, and
    // a handle closed before it does is a value WinINet hands out again to the next handle
    // opened); otherwise they stay with the caller, to be closed when it holds no lock.
    void Stop(TakenHandles& handles);

    // The next bytes of the body, up to size (at most kMaxSize): a chunk as one read of
    // kMaxSize gave it, or its rest. At the body's end read is 0. False with error set when
    // the read failed (every later call fails the same way), when no reader thread could be
    // started, and with ERROR_INTERNET_OPERATION_CANCELLED after Stop.
    bool Read(char* buffer, DWORD size, DWORD& read, DWORD& error);

private:
    struct Shared;
    static DWORD WINAPI ReaderThread(LPVOID shared);
    static void Release(Shared* shared);
    void Start();

    Shared* m_shared;
    HANDLE m_thread = nullptr;
    DWORD m_startError = 0; // why no thread reads, when none does
    bool m_started = false;
    // Chunks at the ring's head that this side has taken out of the lock and hands out one by
    // one; given back, and their room freed, at the next visit under the lock.
    DWORD m_claimed = 0;
    DWORD m_next = 0;   // the claimed chunk being handed out
    DWORD m_offset = 0; // of it, the bytes already handed out
};
