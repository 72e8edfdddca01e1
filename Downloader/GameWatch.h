#pragma once
#include <windows.h>

#include "framework/Thread.h"

// How the updater starts its threads (AfxBeginThread's shape), so that a failed start can be
// shown as it would happen.
using ThreadStarter = CWinThread* (*)(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                                      DWORD createFlags, LPSECURITY_ATTRIBUTES security);

// True while a process with this id exists (a walk of the system's process list).
bool IsGameRunning(DWORD processId);

// Watches the started game and ends the updater with exit code 0 once it has ended: waits on
// the process handle (a copy is taken), checking about once a second, and falls back to the
// process list only when the handle cannot be waited on. Before the end it gives the
// statistics report up to reportWait ms to finish (reportDone is signalled by its worker;
// null: no wait). The watchdog runs at idle priority. False when it could not be started.
bool StartGameWatch(HANDLE process, DWORD processId, HANDLE reportDone, DWORD reportWait,
                    ThreadStarter start = AfxBeginThread);
