#pragma once
// Shared by the road tests: case folders, child programs and the host window stand-in.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "HostNotification.h"
#include "RoadPrograms.h"

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

// The whole of a record file; empty when there is none. The stand-ins record by renaming a
// finished file over the name, and the rename keeps the file open with delete access for a
// moment after the name appeared: only a reader that shares delete can open it then.
inline std::string ReadFile(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            ADD_FAILURE() << "cannot open " << std::string(path.begin(), path.end()) << ": error " << error;
        return std::string();
    }
    const std::unique_ptr<void, decltype(&::CloseHandle)> closer(file, &::CloseHandle);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
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
