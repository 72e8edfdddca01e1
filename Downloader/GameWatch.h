#pragma once
#include <windows.h>

#include "framework/Thread.h"

// How the updater starts its threads (AfxBeginThread's shape), so that a failed start can be
// shown as it would happen.
using ThreadStarter = CWinThread* (*)(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                                      DWORD createFlags, LPSECURITY_ATTRIBUTES security);

// True while a process with this id exists (a walk of the system's process list).
bool IsGameRunning(DWORD processId);

// Returns once the game has ended: waits on its handle, checking about once a second, and
// falls back to the process list only when the handle (may be null) cannot be waited on.
void WaitForGameEnd(HANDLE process, DWORD processId);

// The watchdog's work on the calling thread, for when its own thread cannot be had: ends the
// updater with exit code 0 once the game has ended.
[[noreturn]] void WatchGameHere(HANDLE process, DWORD processId);

// Watches the started game on a thread of its own and ends the updater with exit code 0 once
// it has ended (WaitForGameEnd, on a copy of the handle). Before the end it gives the
// statistics report up to reportWait ms to finish (reportDone is signalled by its worker;
// null: no wait). The watchdog runs at idle priority. False when it could not be started.
bool StartGameWatch(HANDLE process, DWORD processId, HANDLE reportDone, DWORD reportWait,
                    ThreadStarter start = AfxBeginThread);
