#include "CancellableRead.h"

#include <cstring>

// What the caller and the reader thread share; the last of the two to let go frees it. All
// but `references` under `lock`.
struct CancellableRead::Shared {
    struct Chunk {
        char data[kMaxSize];
        DWORD read = 0;
        BOOL ok = FALSE;
        DWORD error = 0;
    };

    LONG references = 2;
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE filled = CONDITION_VARIABLE_INIT; // a chunk came, or the stop
    CONDITION_VARIABLE taken = CONDITION_VARIABLE_INIT;  // room in the ring, or the quit
    bool stopped = false; // the caller's stop was signalled
    bool quit = false;    // the caller has gone
    bool reading = false; // the thread is inside InternetReadFile
    bool callerWaits = false;
    bool readerWaits = false;
    HINTERNET request = nullptr;
    DWORD first = 0;  // the oldest chunk not taken
    DWORD offset = 0; // of it, the bytes already handed out
    DWORD count = 0;  // chunks read and not taken
    Chunk ring[kAhead];
};

namespace {

class Locked {
public:
    explicit Locked(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
    ~Locked() { ReleaseSRWLockExclusive(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    SRWLOCK& m_lock;
};

} // namespace

CancellableRead::CancellableRead(HANDLE stop) : m_stop(stop) {}

CancellableRead::~CancellableRead()
{
    // The stop's callback is over, or will never run, once this returns.
    if (m_stopWait) UnregisterWaitEx(m_stopWait, INVALID_HANDLE_VALUE);
    if (!m_shared) return;
    bool inRead = false;
    {
        Locked lock(m_shared->lock);
        m_shared->quit = true;
        inRead = m_shared->reading;
    }
    WakeConditionVariable(&m_shared->taken);
    if (m_thread) {
        // A thread inside a read may wait for the stall limit: it is left to end on its own
        // and reads nothing more after it.
        if (!inRead && !m_abandoned) WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    Release(m_shared);
}

void CancellableRead::Release(Shared* shared)
{
    if (InterlockedDecrement(&shared->references) == 0) delete shared;
}

void CALLBACK CancellableRead::Stopped(PVOID raw, BOOLEAN)
{
    Shared* shared = static_cast<Shared*>(raw);
    {
        Locked lock(shared->lock);
        shared->stopped = true;
    }
    WakeAllConditionVariable(&shared->filled);
    WakeAllConditionVariable(&shared->taken);
}

DWORD WINAPI CancellableRead::ReaderThread(LPVOID raw)
{
    Shared* shared = static_cast<Shared*>(raw);
    AcquireSRWLockExclusive(&shared->lock);
    for (;;) {
        while (!shared->quit && !shared->stopped && shared->count == kAhead) {
            shared->readerWaits = true;
            SleepConditionVariableSRW(&shared->taken, &shared->lock, INFINITE, 0);
            shared->readerWaits = false;
        }
        // A stopped transfer's handles may be closed and their values handed out again.
        if (shared->quit || shared->stopped) break;
        Shared::Chunk& chunk = shared->ring[(shared->first + shared->count) % kAhead];
        shared->reading = true;
        ReleaseSRWLockExclusive(&shared->lock);
        chunk.read = 0;
        chunk.ok = InternetReadFile(shared->request, chunk.data, kMaxSize, &chunk.read);
        chunk.error = chunk.ok ? 0 : GetLastError();
        if (!chunk.ok) chunk.read = 0;
        const bool last = !chunk.ok || chunk.read == 0;
        AcquireSRWLockExclusive(&shared->lock);
        shared->reading = false;
        ++shared->count;
        if (shared->callerWaits) WakeConditionVariable(&shared->filled);
        // The body's end and a failure are the last chunk read.
        if (last) break;
    }
    ReleaseSRWLockExclusive(&shared->lock);
    Release(shared);
    return 0;
}

bool CancellableRead::Start(HINTERNET request)
{
    m_shared = new Shared;
    m_shared->request = request;
    if (RegisterWaitForSingleObject(&m_stopWait, m_stop, Stopped, m_shared, INFINITE,
                                    WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD))
        m_thread = CreateThread(nullptr, 0, ReaderThread, m_shared, 0, nullptr);
    else
        m_stopWait = nullptr;
    if (!m_thread) --m_shared->references; // no thread took its share
    return m_thread != nullptr;
}

bool CancellableRead::Read(HINTERNET request, char* buffer, DWORD size, DWORD& read, DWORD& error)
{
    read = 0;
    if (size > kMaxSize) size = kMaxSize;
    // The stop is looked at here once; later its callback tells of it.
    if (!m_shared && !m_abandoned && WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) m_abandoned = true;
    if (m_abandoned) {
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    if (!m_shared) Start(request);
    if (!m_thread) {
        // No thread or stop callback to be had: the read on this one, as without a stop.
        if (WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) {
            m_abandoned = true;
            error = ERROR_INTERNET_OPERATION_CANCELLED;
            return false;
        }
        if (InternetReadFile(request, buffer, size, &read)) return true;
        error = GetLastError();
        read = 0;
        return false;
    }
    Shared& shared = *m_shared;
    Locked lock(shared.lock);
    while (!shared.stopped && shared.count == 0) {
        shared.callerWaits = true;
        SleepConditionVariableSRW(&shared.filled, &shared.lock, INFINITE, 0);
        shared.callerWaits = false;
    }
    if (shared.stopped) {
        m_abandoned = true;
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    Shared::Chunk& next = shared.ring[shared.first];
    if (!next.ok) {
        // The failure stays at the head: every later call fails the same way.
        error = next.error;
        return false;
    }
    // The body's end stays at the head too; a chunk larger than the caller's buffer is
    // handed out in parts.
    read = next.read - shared.offset < size ? next.read - shared.offset : size;
    std::memcpy(buffer, next.data + shared.offset, read);
    shared.offset += read;
    if (next.read != 0 && shared.offset == next.read) {
        shared.offset = 0;
        shared.first = (shared.first + 1) % kAhead;
        --shared.count;
        if (shared.readerWaits) WakeConditionVariable(&shared.taken);
    }
    return true;
}
