// Stands in for ZelLoader.exe in the launcher's road tests: it writes its command line to
// "loader-args.txt" beside itself (UTF-8), adds a line to "starts.log" for every start and,
// when a "linger" file lies there, stays until a "release" file appears.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnFolder()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::wstring folder = OwnFolder();
    const wchar_t* commandLine = ::GetCommandLineW();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, &utf8[0], size, nullptr, nullptr);

    // Written under another name and renamed, so that a reader never sees half of it.
    const std::wstring partial = folder + L"loader-args.part";
    HANDLE file =
        ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExW(partial.c_str(), (folder + L"loader-args.txt").c_str(), MOVEFILE_REPLACE_EXISTING);

    HANDLE log = ::CreateFileW((folder + L"starts.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        ::WriteFile(log, "start\n", 6, &written, nullptr);
        ::CloseHandle(log);
    }

    if (Exists(folder + L"linger")) {
        for (int i = 0; i < 1200 && !Exists(folder + L"release"); ++i) ::Sleep(50);
    }
    return 0;
}
