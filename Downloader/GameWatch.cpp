#include "GameWatch.h"

#include <tlhelp32.h>

#include "common/ProcessExit.h"

namespace {

const DWORD kPollMs = 1000;

struct WatchOrder {
    HANDLE process = nullptr; // owned copy, may be null
    DWORD processId = 0;
    HANDLE reportDone = nullptr; // owned copy, may be null
    DWORD reportWait = 0;
};

UINT __cdecl GameWatchThread(LPVOID raw)
{
    WatchOrder* order = static_cast<WatchOrder*>(raw);
    WaitForGameEnd(order->process, order->processId);
    // Let the report reach the server, then end without tearing down shared state.
    if (order->reportDone) WaitForSingleObject(order->reportDone, order->reportWait);
    EndProcessNow(0);
}

HANDLE Duplicate(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (!handle ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

} // namespace

void WaitForGameEnd(HANDLE process, DWORD processId)
{
    // 1. The handle names this very process, so a reused id cannot keep us alive.
    bool byHandle = process != nullptr;
    while (byHandle) {
        const DWORD waited = WaitForSingleObject(process, kPollMs);
        if (waited == WAIT_OBJECT_0) return;
        if (waited != WAIT_TIMEOUT) byHandle = false;
    }
    // 2. Without a usable handle: the process list, at the same cadence.
    while (IsGameRunning(processId)) Sleep(kPollMs);
}

void WatchGameHere(HANDLE process, DWORD processId)
{
    WaitForGameEnd(process, processId);
    EndProcessNow(0);
}

bool IsGameRunning(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
        found = entry.th32ProcessID == processId;
    CloseHandle(snapshot);
    return found;
}

bool StartGameWatch(HANDLE process, DWORD processId, HANDLE reportDone, DWORD reportWait, ThreadStarter start)
{
    WatchOrder* order = new WatchOrder;
    order->process = Duplicate(process);
    order->processId = processId;
    order->reportDone = Duplicate(reportDone);
    order->reportWait = reportWait;
    // The order lives as long as the process: the watchdog ends it.
    if (start(GameWatchThread, order, THREAD_PRIORITY_IDLE, 0, 0, nullptr)) return true;
    if (order->process) CloseHandle(order->process);
    if (order->reportDone) CloseHandle(order->reportDone);
    delete order;
    return false;
}
