#pragma once
#include <string>

// Full path of the executable module that holds this code (the program itself: the library
// is linked in statically); empty when it cannot be found. Paths past MAX_PATH are read whole.
std::wstring GetCurrentModulePath();

// The folder of that module with its trailing separator: where each program finds its
// settings, skins and libraries. Empty when the path cannot be read.
std::wstring GetCurrentModuleDirectory();

// The text up to and including the last "\" or "/" (the first character is never taken as
// the separator); the whole text when it ends with one; empty when there is none.
std::wstring FolderOfPath(const std::wstring& path);
