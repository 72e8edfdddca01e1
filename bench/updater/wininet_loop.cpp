// The bare download the updater's is measured against: one WinINet GET of URL, opened with the
// updater's own flags (without NO_CACHE_WRITE Wine writes every chunk a second time, into its
// URL cache), read in chunks of CHUNK bytes and written to FILE, nothing else. Prints
// "bytes N seconds S".
//   wininet_loop URL CHUNK FILE
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "WinInetTransfer.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fputs("usage: wininet_loop URL CHUNK FILE\n", stderr);
        return 2;
    }
    const DWORD chunk = static_cast<DWORD>(_wtoi(argv[2]));
    std::vector<char> buffer(chunk ? chunk : 512);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HINTERNET session = InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request =
        session ? InternetOpenUrlW(session, argv[1], nullptr, 0, WinInetTransfer::kOpenFlags, 0) : nullptr;
    HANDLE file = CreateFileW(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    unsigned long long total = 0;
    if (request && file != INVALID_HANDLE_VALUE) {
        DWORD read = 0;
        while (InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read) && read) {
            DWORD written = 0;
            WriteFile(file, buffer.data(), read, &written, nullptr);
            total += read;
        }
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (request) InternetCloseHandle(request);
    if (session) InternetCloseHandle(session);
    QueryPerformanceCounter(&end);
    std::printf("bytes %llu seconds %.3f\n", total,
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return total ? 0 : 1;
}
