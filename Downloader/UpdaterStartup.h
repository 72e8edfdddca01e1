#pragma once
#include <windows.h>

// The updater's start-up road, from the single-instance check to the background image.
// parameters is the command line after the program name, handed on unchanged to a new
// copy of the updater. Returns the process's exit code.
int RunUpdaterStartup(HINSTANCE instance, const wchar_t* parameters);
