#pragma once
#include <string>

class SingleInstance;

enum class SelfReplaceResult {
  Failed,       // nothing changed on disk; the caller tells the player and ends with -1
  Started,      // the new updater runs; this process ends with 0
  StartFailed,  // the new file did not start and was taken out again; carry on here
};

// Replaces the running updater with the one at upUrl and starts it with parameters. The
// new file is downloaded beside the executable and checked before anything is renamed, so
// a failed download or an error page never takes the place of a working updater. The
// single-instance name is handed over to the new copy before it starts.
SelfReplaceResult ReplaceSelf(const std::string& upUrl, const wchar_t* parameters, SingleInstance& guard,
                              const std::wstring& instanceName);

// Removes "old.exe", the copy a previous replacement left beside the executable.
void RemoveOldCopy();

// True when path starts with the "MZ" header of an executable.
bool HasExecutableHeader(const std::wstring& path);
