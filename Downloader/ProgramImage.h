#pragma once
// What a downloaded updater must be before it may take the running one's place.

#include <string>

// True when path holds a program image this build can start as the updater: the "MZ" header,
// e_lfanew leading to "PE\0\0", the machine and optional-header kind of this build (x86 for
// the shipped 32-bit program), an executable image that is no DLL, and the Windows GUI
// subsystem. A DOS stub, a console program or a program for another machine would not run
// as the updater, or not without a console window.
bool IsStartableProgramImage(const std::wstring& path);

// True when both files exist and hold the same bytes.
bool SameFileContents(const std::wstring& a, const std::wstring& b);
