#pragma once
#include <windows.h>

#include <string>

#include "UpdateInfo.h"

// The game executable: our folder followed by the reply's `open`, as the reply gives it
// ("/" included; the system takes both separators).
std::wstring GameExecutablePath(const std::wstring& folder, const UpdateInfo& info);

// The installed version file: "ZelUpGame.ini" in the folder of the game executable, where a
// "/" in `open` separates folders as a backslash does.
std::wstring VersionFilePath(const std::wstring& folder, const UpdateInfo& info);

// The installed game version ("VERSION"/"game_version" of the version file, system code
// page); empty when the file or the key is missing.
std::string ReadInstalledVersion(const std::wstring& versionFile);

// The game's command line: the executable path, quoted only when it holds a blank, a blank,
// then "auth_key:<token> uid:<uid> sid:<sid> extraInfo:<extraInfo>" with the values raw (the
// game splits them itself). No length limit beyond the system's own.
std::wstring GameCommandLine(const std::wstring& executable, const UpdateInfo& info);

// A started game: its process handle (owned) and id.
class GameProcess {
public:
    GameProcess() = default;
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    HANDLE Handle() const { return m_process; }
    DWORD Id() const { return m_id; }
    DWORD Error() const { return m_error; }

    // Starts executable (as the application name, so no other file can be taken for it) with
    // commandLine, in folder. False, with Error() set, when the system refuses.
    bool Start(const std::wstring& executable, const std::wstring& commandLine, const std::wstring& folder);

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
    DWORD m_error = 0;
};
