#pragma once
#include <string>

// Full path of the executable module that holds this code; empty when it cannot be found.
std::wstring GetCurrentModulePath();

// Its folder, with the trailing separator.
std::wstring GetCurrentModuleDirectory();

// The text up to and including the last "\" or "/" (the first character is never taken as
// the separator); the whole text when it ends with one; empty when there is none.
std::wstring FolderOfPath(const std::wstring& path);
