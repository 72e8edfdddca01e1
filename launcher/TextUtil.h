#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Byte strings here are in the system code page; UTF-16 only at the platform's W functions.
std::string WideToAnsi(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& narrow);

// `format` with its one "%s" replaced by `text`, any length.
std::string FormatString(const char* format, const std::string& text);

// Pieces of `text` between the occurrences of `separator`: a leading separator gives an
// empty first piece, a trailing one no empty last piece.
std::vector<std::string> SplitString(const std::string& text, const std::string& separator);

// The folder of the launcher's executable with its trailing backslash.
std::wstring GetOwnFolderW();
std::string GetOwnFolderA();

// "ZelLogin.ini" in the own folder, built anew for every reader.
std::string GetSettingsPath();
// One value of the settings file, at most 259 bytes; `fallback` when it is missing.
std::string ReadLoginSetting(const char* section, const char* key, const char* fallback = "");

// Ends the launcher at once with `code` after flushing the C streams: other threads (the
// watcher, the browser's) may still use what static destructors would tear down.
[[noreturn]] void EndLauncher(unsigned code = 0);
