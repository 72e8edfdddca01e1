#pragma once
#include <windows.h>

#include <memory>

#include "UniqueHandle.h"

// Everything the watcher works with, copied when it starts: it reads nothing of the dialog
// afterwards, so the main thread may go on changing the dialog freely.
struct LoaderWatch {
    UniqueHandle process;  // the updater's process, when the shell handed it out
    DWORD processId = 0;   // 0 or 0xFFFFFFFF when it could not be read
    HWND host = nullptr;   // the window to notify, none when null
    HWND dialog = nullptr; // sent as the notification's wParam
};

// The updater's process id from its handle: 0 when the query fails, 0xFFFFFFFF when the
// system library cannot be loaded.
DWORD ChildProcessId(HANDLE process);
// True while a process with `id` is listed by the system (0 and 0xFFFFFFFF never are).
bool IsProcessListed(DWORD id);

// True while the updater runs: asked of its handle when there is one, else of the list.
bool IsLoaderRunning(const LoaderWatch& watch);
// Returns once the updater has gone, looking at least once a second.
void WaitForLoader(const LoaderWatch& watch);

// Starts the watcher on a worker thread at idle priority; it owns `watch`, waits for the
// updater, notifies the host and ends the process. Without a thread the caller's thread
// does the watching and never returns.
void StartLoaderWatcher(std::unique_ptr<LoaderWatch> watch);
