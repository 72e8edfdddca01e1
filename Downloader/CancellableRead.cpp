#include "CancellableRead.h"

#include <cstring>

// What the caller and the reader thread share; the last of the two to let go frees it.
struct CancellableRead::Shared {
    LONG references = 2;
    HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    volatile LONG quit = 0;
    HINTERNET request = nullptr;
    DWORD size = 0;
    char buffer[kMaxSize];
    DWORD read = 0;
    BOOL ok = FALSE;
    DWORD error = 0;
};

CancellableRead::CancellableRead(HANDLE stop) : m_stop(stop) {}

CancellableRead::~CancellableRead()
{
    if (!m_shared) return;
    InterlockedExchange(&m_shared->quit, 1);
    SetEvent(m_shared->go);
    // An idle reader ends at once; one still inside an abandoned read ends after it.
    if (m_thread) {
        if (!m_abandoned) WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    Release(m_shared);
}

void CancellableRead::Release(Shared* shared)
{
    if (InterlockedDecrement(&shared->references) != 0) return;
    if (shared->go) CloseHandle(shared->go);
    if (shared->done) CloseHandle(shared->done);
    delete shared;
}

DWORD WINAPI CancellableRead::ReaderThread(LPVOID raw)
{
    Shared* shared = static_cast<Shared*>(raw);
    for (;;) {
        WaitForSingleObject(shared->go, INFINITE);
        if (InterlockedCompareExchange(&shared->quit, 0, 0)) break;
        shared->read = 0;
        shared->ok = InternetReadFile(shared->request, shared->buffer, shared->size, &shared->read);
        shared->error = shared->ok ? 0 : GetLastError();
        SetEvent(shared->done);
    }
    Release(shared);
    return 0;
}

bool CancellableRead::Read(HINTERNET request, char* buffer, DWORD size, DWORD& read, DWORD& error)
{
    read = 0;
    if (size > kMaxSize) size = kMaxSize;
    if (m_abandoned || WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) {
        m_abandoned = true;
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    if (!m_shared) {
        m_shared = new Shared;
        if (m_shared->go && m_shared->done)
            m_thread = CreateThread(nullptr, 0, ReaderThread, m_shared, 0, nullptr);
        if (!m_thread) --m_shared->references; // no thread took its share
    }
    if (!m_thread) {
        // No thread to be had: the read on this one, as without a stop.
        if (InternetReadFile(request, buffer, size, &read)) return true;
        error = GetLastError();
        read = 0;
        return false;
    }
    m_shared->request = request;
    m_shared->size = size;
    SetEvent(m_shared->go);
    HANDLE waits[2] = { m_shared->done, m_stop };
    // A read that ended together with the stop still counts: the first handle wins.
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        m_abandoned = true;
        error = ERROR_INTERNET_OPERATION_CANCELLED;
        return false;
    }
    if (!m_shared->ok) {
        error = m_shared->error;
        return false;
    }
    read = m_shared->read;
    std::memcpy(buffer, m_shared->buffer, read);
    return true;
}
