#pragma once
// Windows path forms: separators, drive roots, network shares, the long-path and device
// prefixes, stream colons, and name comparison as the file system does it. Pure text rules:
// nothing here touches the disk.

#include <string>

// A separator is a backslash or "/".
bool IsPathSeparator(wchar_t c);
// Index of the first separator in p, -1 when there is none.
int FindPathSeparator(const wchar_t* p);
bool IsAsciiLetter(wchar_t c);
wchar_t AsciiUpper(wchar_t c);

// "\\?\" is the long-path prefix, "\\.\" the device prefix and "\\?\UNC\" the network
// long-path prefix.
bool IsLongPathPrefix(const wchar_t* path);
bool IsDriveRootPath(const wchar_t* path);
unsigned GetRootPrefixSize(const wchar_t* path);
unsigned GetNetworkServerPrefixSize(const wchar_t* path);
// Index of the first ":" of the last component, not counting a leading drive letter's; -1.
int FindAltStreamColon(const wchar_t* path);

// Adds "\\?\" (or "\\?\UNC\") to an absolute path so that it may exceed MAX_PATH.
std::wstring ToExtendedLengthPath(const std::wstring& absolutePath);
// The path as every file function takes it at any length: from 240 characters on (folder
// creation stops at 248) in its "\\?\" form, shorter ones as they are.
std::wstring WithLongPathPrefixIfNeeded(const std::wstring& absolutePath);

// Case-insensitive equality: a-z fold to A-Z, characters from 128 up through CharUpperW.
bool IsSameNameNoCase(const wchar_t* a, const wchar_t* b);
