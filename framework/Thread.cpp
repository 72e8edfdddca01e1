#include "Thread.h"

#include <process.h>

namespace {

thread_local CWinThread* t_thread = nullptr;

void FinishThread(CWinThread* thread, BOOL deleteObject)
{
    t_thread = nullptr;
    if (thread && deleteObject && thread->m_bAutoDelete) delete thread;
}

unsigned __stdcall ThreadEntry(void* raw)
{
    auto* thread = static_cast<CWinThread*>(raw);
    t_thread = thread;
    const UINT code = thread->m_pfnThreadProc(thread->m_pThreadParams);
    FinishThread(thread, TRUE);
    return code;
}

} // namespace

CWinThread::~CWinThread()
{
    if (m_hThread) ::CloseHandle(m_hThread);
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security)
{
    auto* thread = new CWinThread(proc, param);
    // Made suspended so that the priority holds from the thread's first instruction.
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(security, stackSize, &ThreadEntry, thread, CREATE_SUSPENDED, &id);
    if (!handle) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}

void AfxEndThread(UINT exitCode, BOOL deleteObject)
{
    FinishThread(t_thread, deleteObject);
    _endthreadex(exitCode);
    for (;;) {
    } // _endthreadex does not return
}

CWinThread* AfxGetThread()
{
    return t_thread;
}
