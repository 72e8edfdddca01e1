#pragma once
#include <windows.h>

// The ids the system keeps for a process: its own and that of the process that started it.
struct ProcessIds {
    // Failed: the query is missing or refused; NoLibrary: the system library is not there.
    enum class Result { Read, Failed, NoLibrary };
    Result result = Result::NoLibrary;
    DWORD id = 0;
    DWORD parent = 0;
};

// Asks the system's basic record of `process` (a handle with query access).
ProcessIds QueryProcessIds(HANDLE process);
