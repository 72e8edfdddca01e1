#pragma once
#include <windows.h>

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

// A worker thread started by AfxBeginThread. With m_bAutoDelete (the default) the object
// and its handle go away when the thread ends, so callers must not keep the pointer.
class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }

    HANDLE m_hThread = nullptr;
    UINT m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts proc(param) on a new thread at `priority`; unless CREATE_SUSPENDED is asked for,
// the thread runs at once. Null when the thread cannot be made.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

// Ends the calling worker thread with `exitCode` (the object is deleted when it auto-deletes).
[[noreturn]] void AfxEndThread(UINT exitCode, BOOL deleteObject = TRUE);

// The worker object of the calling thread, or null on a thread not started by AfxBeginThread.
CWinThread* AfxGetThread();
