// Holds files the way other programs on a player's machine do, for the road tests:
//   file_holder [--load <library>] [--hold <file> none|read|delete] [--until <file>] [--ms <n>]
// --load keeps a library mapped (a plug-in of a running program); --hold keeps a file open
// with that sharing (none: a virus scanner's exclusive look; delete: read, write and delete
// sharing, as an indexer or a game helper holds a file). Run under another name (say
// Login.exe) the program is itself a running image in that folder. It writes "holding" once
// everything is held, lets go when the --until file appears or after --ms milliseconds (at
// most ten minutes), writes "released" and ends with 0; 1 when something could not be held.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    std::wstring load, hold, until;
    DWORD share = 0;
    ULONGLONG ms = 600000;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--load") {
            load = argv[++i];
        } else if (option == L"--hold" && i + 2 < argc) {
            hold = argv[++i];
            const std::wstring mode = argv[++i];
            share = mode == L"read"     ? FILE_SHARE_READ
                    : mode == L"delete" ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                                        : 0;
        } else if (option == L"--until") {
            until = argv[++i];
        } else if (option == L"--ms") {
            ms = std::wcstoull(argv[++i], nullptr, 10);
        }
    }
    if (ms > 600000) ms = 600000;

    HMODULE library = nullptr;
    if (!load.empty() && !(library = LoadLibraryW(load.c_str()))) {
        std::printf("cannot load %lu\n", GetLastError());
        return 1;
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!hold.empty()) {
        file = CreateFileW(hold.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            std::printf("cannot hold %lu\n", GetLastError());
            return 1;
        }
    }
    std::printf("holding\n");
    std::fflush(stdout);

    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end && (until.empty() || GetFileAttributesW(until.c_str()) == INVALID_FILE_ATTRIBUTES))
        Sleep(50);

    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (library) FreeLibrary(library);
    std::printf("released\n");
    std::fflush(stdout);
    return 0;
}
