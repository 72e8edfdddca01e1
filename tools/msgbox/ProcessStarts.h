#pragma once
// The processes running at one moment, told apart from later ones: Wine hands a process id
// out again as soon as its holder is gone, so an id alone does not name one process, but an
// id with its start time does. Used by the road's host stand-in.
#include <windows.h>
#include <tlhelp32.h>

#include <map>

namespace procs {

// When the process started, as Windows counts time; 0 where it cannot be asked.
inline ULONGLONG StartOf(DWORD pid)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const BOOL ok = ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    ::CloseHandle(process);
    return ok ? (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

// Calls each(pid, parent pid) for every running process.
template <typename Each>
void EachProcess(Each each)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        each(entry.th32ProcessID, entry.th32ParentProcessID);
    ::CloseHandle(snapshot);
}

using Starts = std::map<DWORD, ULONGLONG>;

// The processes running now, each with its start.
inline Starts RunningNow()
{
    Starts running;
    EachProcess([&](DWORD pid, DWORD) { running[pid] = StartOf(pid); });
    return running;
}

// Whether pid still names the process it named when `before` was taken.
inline bool RanBefore(const Starts& before, DWORD pid)
{
    const auto older = before.find(pid);
    return older != before.end() && older->second == StartOf(pid);
}

} // namespace procs
