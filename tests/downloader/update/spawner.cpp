// spawner COUNT PROGRAM [ARGUMENTS...]: starts PROGRAM COUNT times, one after another, each
// waited for; ends with 0 when every start was made. It gives the box driver many short-lived
// descendants (and, started through itself, descendants of descendants) to account for.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) return 2;
    const int count = _wtoi(argv[1]);
    // The rest of our own command line, as it was given: PROGRAM and its arguments.
    const wchar_t* rest = GetCommandLineW();
    for (int skip = 0; skip < 2; ++skip) {
        bool quoted = false;
        while (*rest && (quoted || (*rest != L' ' && *rest != L'\t'))) {
            if (*rest == L'"') quoted = !quoted;
            ++rest;
        }
        while (*rest == L' ' || *rest == L'\t') ++rest;
    }
    for (int i = 0; i < count; ++i) {
        std::vector<wchar_t> line(rest, rest + wcslen(rest) + 1);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 3;
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    return 0;
}
