#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/ModuleFolder.h"

namespace {

struct RunResult {
    DWORD exitCode = 0;
    std::string output;
};

// Runs the probe beside this test program with its output going to a file.
RunResult RunProbe(const std::wstring& argument)
{
    RunResult result;
    const std::wstring folder = GetCurrentModuleDirectory();
    const std::wstring outPath = folder + L"process_exit_probe." + argument + L".out";
    SECURITY_ATTRIBUTES inherit = { sizeof inherit, nullptr, TRUE };
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    std::wstring command = L"\"" + folder + L"process_exit_probe.exe\" " + argument;
    const BOOL started =
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi);
    CloseHandle(out);
    EXPECT_TRUE(started);
    if (!started) return result;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    HANDLE in = CreateFileW(outPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[256];
    DWORD read = 0;
    if (in != INVALID_HANDLE_VALUE) {
        ReadFile(in, buffer, sizeof buffer, &read, nullptr);
        CloseHandle(in);
    }
    result.output.assign(buffer, read);
    DeleteFileW(outPath.c_str());
    return result;
}

} // namespace

TEST(EndProcessNow, FlushesAndEndsWithTheCodeWithoutRunningDestructors)
{
    for (const wchar_t* code : { L"0", L"7" }) {
        const RunResult r = RunProbe(code);
        EXPECT_EQ(r.exitCode, static_cast<DWORD>(std::stoul(code))) << code;
        std::string text;
        for (char c : r.output)
            if (c != '\r') text += c;
        EXPECT_EQ(text, "before the end\n") << code;
    }
}
