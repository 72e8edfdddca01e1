#pragma once
#include <string>

class SingleInstance;

enum class SelfReplaceResult {
    Failed,      // the running updater stays (or could not be put back); tell the player, end with -1
    Started,     // the new updater runs; this process ends with 0
    StartFailed, // the new file did not start or died at once; the original is back, carry on here
    Unchanged,   // the published updater is the running one: nothing replaced, carry on here
};

// Replaces the running updater with the one at upUrl and starts it with parameters. The
// new file is downloaded beside the executable and checked before anything is renamed
// (a program image for this machine with the GUI subsystem), so a failed download or an
// error page never takes the place of a working updater; a file with the running one's
// bytes is not installed at all, so a server that keeps publishing it cannot start a chain
// of replacements. The single-instance name is handed over to the new copy before it starts,
// and the new copy is watched until it holds that name: one that ends first with a failure
// status (it could not be loaded) is taken out again and the original put back.
SelfReplaceResult ReplaceSelf(const std::string& upUrl, const wchar_t* parameters, SingleInstance& guard,
                              const std::wstring& instanceName);

// Removes "old.exe", the copy a previous replacement left beside the executable. That copy
// may still be ending for a moment (it watches its successor start), so a file in use is
// tried again for a few seconds.
void RemoveOldCopy();

// Whether a process exit code says the process failed to load or crashed: an NTSTATUS error
// (0xC0000000 to 0xDFFFFFFF, e.g. 0xC0000135 "DLL not found", 0xC0000034 from a DOS stub).
// Our own -1 after a message box is no such status.
bool IsFailureExitStatus(unsigned long code);
