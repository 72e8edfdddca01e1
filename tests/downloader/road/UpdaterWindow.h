#pragma once
// The window ("DesktopMainWnd") of the updater started from one file, as the road's outside
// programs look for it while other tests run updaters of their own.
#include <windows.h>

#include <string>

namespace road {

inline bool IsProgramWindow(HWND window, const std::wstring& exe)
{
    if (exe.empty()) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    wchar_t path[32768];
    DWORD size = 32768;
    const bool ok = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    return ok && _wcsicmp(path, exe.c_str()) == 0;
}

struct UpdaterSearch {
    const std::wstring* exe;
    HWND found;
};

inline BOOL CALLBACK MatchUpdaterWindow(HWND window, LPARAM raw)
{
    auto* search = reinterpret_cast<UpdaterSearch*>(raw);
    wchar_t name[32] = {};
    if (!GetClassNameW(window, name, 32) || wcscmp(name, L"DesktopMainWnd") != 0) return TRUE;
    if (!IsProgramWindow(window, *search->exe)) return TRUE;
    search->found = window;
    return FALSE;
}

// The window of the updater started from exe (any updater's when exe is empty), or null.
// The windows are walked from one list taken at once: a walk with FindWindowEx ends early
// (with no error a caller could tell from "none") when the window it goes on from was
// destroyed meanwhile, as another test's updater's window may be at any moment.
inline HWND FindUpdaterWindow(const std::wstring& exe)
{
    UpdaterSearch search{ &exe, nullptr };
    EnumWindows(&MatchUpdaterWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace road
