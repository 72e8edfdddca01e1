#pragma once
// Shared by the road tests: case folders, child programs and the host window stand-in.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "HostNotification.h"

namespace road {

inline std::wstring TestFolder()
{
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

inline std::wstring BinFolder()
{
    return TestFolder() + L"road-bin\\";
}

inline bool Exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::wstring FromUtf8(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

inline std::string ReadFile(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WaitFor(const std::wstring& path, int milliseconds = 30000)
{
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (Exists(path)) return true;
        ::Sleep(20);
    }
    return Exists(path);
}

// One folder per case, so that cases run side by side; each has its own mutex name.
class CaseFolder {
public:
    explicit CaseFolder(const std::wstring& name) : m_path(TestFolder() + L"road\\" + name + L"\\")
    {
        ::CreateDirectoryW((TestFolder() + L"road").c_str(), nullptr);
        ::CreateDirectoryW(m_path.c_str(), nullptr);
        for (const wchar_t* file :
             { L"loader-args.txt", L"linger", L"release", L"page.txt", L"fore.txt", L"road.txt", L"starts.log",
               L"browser.log", L"shell.log", L"cancel.txt", L"place.txt", L"ZelLogin.ini", L"ZelLoader.exe" })
            ::DeleteFileW((m_path + file).c_str());
        SetSetting("URL", "name",
                   "zel-road-" + std::to_string(::GetCurrentProcessId()) + "-" + std::string(name.begin(), name.end()));
    }
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const wchar_t* name) const { return m_path + name; }

    void Copy(const wchar_t* program, const wchar_t* as = nullptr) const
    {
        ASSERT_TRUE(::CopyFileW((BinFolder() + program).c_str(), File(as ? as : program).c_str(), FALSE))
            << "copying " << std::string(program, program + wcslen(program));
    }
    // The skin images beside the programs, as they ship.
    void CopySkin() const
    {
        ::CreateDirectoryW(File(L"png").c_str(), nullptr);
        for (const wchar_t* name : { L"bj.png", L"最小化.png", L"关闭.png" })
            ASSERT_TRUE(
                ::CopyFileW((BinFolder() + L"png\\" + name).c_str(), (m_path + L"png\\" + name).c_str(), FALSE));
    }
    void Touch(const wchar_t* name) const { std::ofstream(File(name).c_str()) << "x"; }
    void Script(const std::string& call, const std::string& argument = std::string()) const
    {
        std::ofstream(File(L"road.txt").c_str(), std::ios::binary) << call << "\n" << argument << "\n";
    }
    void SetSetting(const char* section, const char* key, const std::string& value) const
    {
        const std::string ini = std::string(m_path.begin(), m_path.end()) + "ZelLogin.ini";
        ::WritePrivateProfileStringA(section, key, value.c_str(), ini.c_str());
    }
    std::string Setting(const char* section, const char* key) const
    {
        const std::string ini = std::string(m_path.begin(), m_path.end()) + "ZelLogin.ini";
        char value[261] = {};
        ::GetPrivateProfileStringA(section, key, "", value, 260, ini.c_str());
        return value;
    }

private:
    std::wstring m_path;
};

class Child {
public:
    Child(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory)
    {
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                             &startup, &info)) {
            ::CloseHandle(info.hThread);
            m_process = info.hProcess;
            m_id = info.dwProcessId;
        }
    }
    ~Child()
    {
        if (!m_process) return;
        if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) ::TerminateProcess(m_process, 99);
        ::CloseHandle(m_process);
    }
    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    bool Running() const { return ::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }
    // The exit code, or STILL_ACTIVE when it has not ended in time.
    DWORD Wait(DWORD milliseconds = 60000) const
    {
        ::WaitForSingleObject(m_process, milliseconds);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_process, &code);
        return code;
    }
    int VisibleWindows() const
    {
        Search search{ m_id, 0 };
        ::EnumWindows(&CountVisible, reinterpret_cast<LPARAM>(&search));
        return search.count;
    }
    bool WaitForWindow(int milliseconds = 30000) const
    {
        for (int waited = 0; waited < milliseconds && Running(); waited += 20) {
            if (VisibleWindows() > 0) return true;
            ::Sleep(20);
        }
        return VisibleWindows() > 0;
    }

private:
    struct Search {
        DWORD id;
        int count;
    };
    static BOOL CALLBACK CountVisible(HWND window, LPARAM raw)
    {
        auto* search = reinterpret_cast<Search*>(raw);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == search->id && ::IsWindowVisible(window)) ++search->count;
        return TRUE;
    }

    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The host program's window: it records every WM_COPYDATA, and who sent it, as it arrives.
class HostWindow {
public:
    struct Notice {
        std::wstring senderClass;
        DWORD senderProcess;
        ULONG_PTR sender;
        ULONG_PTR kind;
        std::vector<unsigned char> bytes;
    };

    HostWindow()
    {
        HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = std::thread([this, ready] { Run(ready); });
        ::WaitForSingleObject(ready, 10000);
        ::CloseHandle(ready);
    }
    ~HostWindow()
    {
        Thaw();
        ::PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
        ::CloseHandle(m_thaw);
    }
    // A hung host: its thread stops taking messages until Thaw.
    void Freeze()
    {
        ::ResetEvent(m_thaw);
        ::PostMessageW(m_window, kFreeze, 0, 0);
    }
    void Thaw() { ::SetEvent(m_thaw); }
    std::wstring Switch() const
    {
        return L"--winid=" + std::to_wstring(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(m_window)));
    }
    std::vector<Notice> Notices()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_notices;
    }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_COPYDATA && self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            Notice notice;
            wchar_t name[64] = {};
            ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
            notice.senderClass = name;
            notice.sender = static_cast<ULONG_PTR>(wParam);
            notice.senderProcess = 0;
            ::GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &notice.senderProcess);
            notice.kind = data->dwData;
            const auto* bytes = static_cast<const unsigned char*>(data->lpData);
            notice.bytes.assign(bytes, bytes + data->cbData);
            std::lock_guard<std::mutex> lock(self->m_lock);
            self->m_notices.push_back(notice);
            return TRUE;
        }
        if (message == kFreeze && self) {
            ::WaitForSingleObject(self->m_thaw, INFINITE);
            return 0;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            return 0;
        }
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Run(HANDLE ready)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RoadHostWindow";
        ::RegisterClassW(&wc);
        m_window = ::CreateWindowExW(0, wc.lpszClassName, L"host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                     wc.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetEvent(ready);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    }

    static const UINT kFreeze = WM_APP + 5;
    std::thread m_thread;
    HANDLE m_thaw = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HWND m_window = nullptr;
    std::mutex m_lock;
    std::vector<Notice> m_notices;
};

// The lines of a UTF-8 record file such as the stand-in browser's "browser.log".
inline std::vector<std::wstring> Lines(const std::wstring& path)
{
    std::vector<std::wstring> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(FromUtf8(line));
    }
    return lines;
}

inline size_t Count(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    size_t count = 0;
    for (const std::wstring& line : lines) count += line.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

// Waits until the record holds `count` lines starting with `prefix`.
inline bool WaitForLines(const std::wstring& path, const std::wstring& prefix, size_t count, int milliseconds = 30000)
{
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (Count(Lines(path), prefix) >= count) return true;
        ::Sleep(50);
    }
    return false;
}

// Presses the login dialog's close button of a running launcher (its handle is in "fore.txt").
inline void PressClose(const CaseFolder& folder)
{
    HWND fore = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull("0" + ReadFile(folder.File(L"fore.txt")))));
    HWND button = ::GetDlgItem(fore, 1002);
    ::PostMessageW(fore, WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

inline std::vector<unsigned char> ExpectedRecord()
{
    const HostNotificationRecord record = MakeHostNotificationRecord();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(bytes, bytes + sizeof(record));
}

inline std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine)
{
    int count = 0;
    LPWSTR* elements = ::CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> result(elements, elements + count);
    ::LocalFree(elements);
    return result;
}

} // namespace road
