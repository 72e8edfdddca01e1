// The watcher of the login start: it waits for the updater, tells the host and ends the
// launcher.
#include "LoaderWatch.h"

#include <tlhelp32.h>

#include "HostNotification.h"
#include "common/ProcessExit.h"
#include "common/ProcessIds.h"
#include "framework/Thread.h"

namespace {

UINT __cdecl WatchLoaderThread(LPVOID raw)
{
    std::unique_ptr<LoaderWatch> watch(static_cast<LoaderWatch*>(raw));
    WaitForLoader(*watch);
    SendHostNotification(watch->host, watch->dialog);
    EndProcessNow(0);
}

} // namespace

DWORD ChildProcessId(HANDLE process)
{
    const ProcessIds ids = QueryProcessIds(process);
    if (ids.result == ProcessIds::Result::NoLibrary) return 0xFFFFFFFF;
    return ids.id;
}

bool IsProcessListed(DWORD id)
{
    if (id == 0 || id == 0xFFFFFFFF) return false;
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == id) return true;
    }
    return false;
}

bool IsLoaderRunning(const LoaderWatch& watch)
{
    // The handle also holds the id, so a reused id can never keep the launcher waiting.
    if (watch.process) return ::WaitForSingleObject(watch.process.get(), 0) == WAIT_TIMEOUT;
    return IsProcessListed(watch.processId);
}

void WaitForLoader(const LoaderWatch& watch)
{
    while (IsLoaderRunning(watch)) {
        if (watch.process)
            ::WaitForSingleObject(watch.process.get(), 1000);
        else
            ::Sleep(1000);
    }
}

void StartLoaderWatcher(std::unique_ptr<LoaderWatch> watch)
{
    LoaderWatch* handed = watch.release();
    if (!AfxBeginThread(&WatchLoaderThread, handed, THREAD_PRIORITY_IDLE)) WatchLoaderThread(handed);
}
