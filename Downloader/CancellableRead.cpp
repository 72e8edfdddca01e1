#include "CancellableRead.h"

#include <atomic>
#include <cstring>

// What the caller and the reader thread share; the last of the two to let go frees it. All
// but `references` under `lock`; `stopped` is also read without it.
struct CancellableRead::Shared {
    struct Chunk {
        char data[kMaxSize];
        DWORD read = 0;
        BOOL ok = FALSE;
        DWORD error = 0;
    };

    Shared(HINTERNET r, ReadFunction f) : request(r), read(f) {}

    LONG references = 2;
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE filled = CONDITION_VARIABLE_INIT; // a batch came, the last chunk, or the stop
    CONDITION_VARIABLE taken = CONDITION_VARIABLE_INIT;  // room in the ring, the stop or the quit
    std::atomic<bool> stopped{ false };
    bool quit = false;    // the caller has gone
    bool reading = false; // the thread is inside a read
    // Set by a side before it waits, cleared by the one that wakes it: one wake per wait.
    bool callerWaits = false;
    bool readerWaits = false;
    const HINTERNET request;
    const ReadFunction read;
    TakenHandles left; // handed over by Stop during a read, closed by the thread after it
    DWORD first = 0; // the oldest chunk not given back
    DWORD count = 0; // chunks read and not given back, the caller's claimed ones among them
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

CancellableRead::CancellableRead(HINTERNET request, ReadFunction read)
    : m_shared(new Shared(request, read))
{
}

CancellableRead::~CancellableRead()
{
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
        if (!inRead) WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    Release(m_shared);
}

void CancellableRead::Release(Shared* shared)
{
    if (InterlockedDecrement(&shared->references) == 0) delete shared;
}

void CancellableRead::Stop(TakenHandles& handles)
{
    {
        // Under the lock: the thread looks at the flag under it before every read.
        Locked lock(m_shared->lock);
        m_shared->stopped = true;
        // Only what is held moves: a second stop (the transfer's end after a cancel) brings
        // nothing, and must not close what the first handed over.
        if (m_shared->reading) handles.MoveHeldTo(m_shared->left);
    }
    WakeAllConditionVariable(&m_shared->filled);
    WakeAllConditionVariable(&m_shared->taken);
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
        chunk.ok = shared->read(shared->request, chunk.data, kMaxSize, &chunk.read);
        chunk.error = chunk.ok ? 0 : GetLastError();
        if (!chunk.ok) chunk.read = 0;
        // The body's end and a failure are the last chunk read.
        const bool last = !chunk.ok || chunk.read == 0;
        AcquireSRWLockExclusive(&shared->lock);
        shared->reading = false;
        ++shared->count;
        if (shared->callerWaits && (last || shared->count >= kBatch)) {
            shared->callerWaits = false;
            WakeConditionVariable(&shared->filled);
        }
        if (last) break;
    }
    TakenHandles left;
    shared->left.MoveTo(left);
    ReleaseSRWLockExclusive(&shared->lock);
    left.Close();
    Release(shared);
    return 0;
}

void CancellableRead::Start()
{
    m_started = true;
    m_thread = CreateThread(nullptr, 0, ReaderThread, m_shared, 0, nullptr);
    if (!m_thread) {
        // A read on this thread could not be stopped: better none.
        m_startError = GetLastError();
        if (!m_startError) m_startError = ERROR_NOT_ENOUGH_MEMORY;
        Release(m_shared); // the thread's share
    }
}

bool CancellableRead::Read(char* buffer, DWORD size, DWORD& read, DWORD& error)
{
    read = 0;
    if (size > kMaxSize) size = kMaxSize;
    Shared& shared = *m_shared;
    // Before everything, so that nothing is handed out after Stop, not even a chunk in hand.
    if (shared.stopped) {
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    if (!m_started) Start();
    if (!m_thread) {
        error = m_startError;
        return false;
    }
    if (m_next == m_claimed) {
        Locked lock(shared.lock);
        if (m_claimed) {
            shared.first = (shared.first + m_claimed) % kAhead;
            shared.count -= m_claimed;
            m_claimed = m_next = 0;
            if (shared.readerWaits) {
                shared.readerWaits = false;
                WakeConditionVariable(&shared.taken);
            }
        }
        // Woken for a whole batch; chunks fewer than that are taken once the wait is over,
        // for the reader may be waiting for the server meanwhile.
        while (!shared.stopped && shared.count == 0) {
            shared.callerWaits = true;
            SleepConditionVariableSRW(&shared.filled, &shared.lock, kBatchWaitMs, 0);
            shared.callerWaits = false;
        }
        if (shared.stopped) {
            error = ERROR_INTERNET_OPERATION_CANCELLED;
            return false;
        }
        m_claimed = shared.count;
    }
    // The claimed chunks are the caller's until given back: the reader writes none of them.
    const Shared::Chunk& next = shared.ring[(shared.first + m_next) % kAhead];
    if (!next.ok) {
        // The failure stays in hand: every later call fails the same way.
        error = next.error;
        return false;
    }
    // The body's end stays in hand too; a chunk larger than the caller's buffer is handed
    // out in parts.
    read = next.read - m_offset < size ? next.read - m_offset : size;
    std::memcpy(buffer, next.data + m_offset, read);
    m_offset += read;
    if (next.read != 0 && m_offset == next.read) {
        m_offset = 0;
        ++m_next;
    }
    return true;
}
