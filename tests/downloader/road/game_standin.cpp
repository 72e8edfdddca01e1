// A stand-in for the game. It writes what it was started with to "started.txt" beside its
// own file (UTF-8: the command line, then the current folder), then waits:
//   - until a file "quit" appears beside it (tests), or
//   - for the seconds written in a file "autoquit" beside it (the demo),
// at most two minutes. Before it ends it adds one line telling whether the updater's window
// ("DesktopMainWnd" of ZelLoader.exe in the folder above its own) was visible, and "end".
// Its exit code is 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "UpdaterWindow.h"

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring OwnFolder()
{
    wchar_t path[32768];
    const DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

void Append(const std::wstring& file, const std::string& line)
{
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const std::string text = line + "\n";
    WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
}

bool Exists(const std::wstring& file)
{
    return GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int AutoQuitSeconds(const std::wstring& file)
{
    FILE* f = _wfopen(file.c_str(), L"rb");
    if (!f) return -1;
    char text[32] = {};
    fread(text, 1, sizeof text - 1, f);
    fclose(f);
    return atoi(text);
}

// The window of the updater that started us: ZelLoader.exe in the folder above ours (other
// updaters may run meanwhile).
const char* UpdaterWindowState(const std::wstring& folder)
{
    const std::wstring parent = folder.substr(0, folder.find_last_of(L"\\/", folder.size() - 2) + 1);
    const std::wstring updater = parent + L"ZelLoader.exe";
    const HWND window = road::FindUpdaterWindow(updater);
    if (window) return IsWindowVisible(window) ? "visible" : "hidden";
    return "none";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring folder = OwnFolder();
    const std::wstring record = folder + L"started.txt";
    wchar_t cwd[32768];
    const DWORD n = GetCurrentDirectoryW(32768, cwd);
    Append(record, Utf8(GetCommandLineW()));
    Append(record, Utf8(std::wstring(cwd, n)));

    const int autoQuit = AutoQuitSeconds(folder + L"autoquit");
    const ULONGLONG end = GetTickCount64() + (autoQuit >= 0 ? autoQuit * 1000ull : 120000ull);
    while (GetTickCount64() < end && !Exists(folder + L"quit")) Sleep(50);
    Append(record, std::string("updater_window ") + UpdaterWindowState(folder));
    Append(record, "end");
    return 0;
}
