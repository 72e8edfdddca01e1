#include "GameStart.h"

#include <vector>

#include "common/ModuleFolder.h"
#include "common/TextConvert.h"

std::wstring GameExecutablePath(const std::wstring& folder, const UpdateInfo& info)
{
    return folder + AnsiToWide(info.open);
}

std::wstring VersionFilePath(const std::wstring& folder, const UpdateInfo& info)
{
    return FolderOfPath(GameExecutablePath(folder, info)) + L"ZelUpGame.ini";
}

std::string ReadInstalledVersion(const std::wstring& versionFile)
{
    wchar_t value[261] = {};
    GetPrivateProfileStringW(L"VERSION", L"game_version", L"", value, 260, versionFile.c_str());
    return WideToAnsi(value);
}

std::wstring GameCommandLine(const std::wstring& executable, const UpdateInfo& info)
{
    const std::string arguments =
        "auth_key:" + info.token + " uid:" + info.uid + " sid:" + info.sid + " extraInfo:" + info.extraInfo;
    // A path with a blank would otherwise reach the game as two arguments.
    const bool quote = executable.find_first_of(L" \t") != std::wstring::npos;
    std::wstring line = quote ? L"\"" + executable + L"\"" : executable;
    return line + L" " + AnsiToWide(arguments);
}

GameProcess::~GameProcess()
{
    if (m_process) CloseHandle(m_process);
}

bool GameProcess::Start(const std::wstring& executable, const std::wstring& commandLine, const std::wstring& folder)
{
    // CreateProcessW may write into the command line: it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(executable.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        m_error = GetLastError();
        return false;
    }
    CloseHandle(process.hThread);
    m_process = process.hProcess;
    m_id = process.dwProcessId;
    return true;
}
