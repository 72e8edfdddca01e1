#pragma once
// The file-system toolkit under the extraction classes: Windows path-prefix rules, a file
// lookup that also knows alternate data streams, folder-chain creation, forced deletion and
// the checks that keep archive items inside the output folder. Everything is UTF-16.

#include "SevenZipInterfaces.h"

#include <windows.h>

#include <string>

bool IsPathSeparator(wchar_t c);

// Prefix rules. A separator is a backslash or "/"; "\\?\" is the long-path prefix, "\\.\"
// the device prefix and "\\?\UNC\" the network long-path prefix.
bool IsDriveRootPath(const wchar_t* path);
unsigned GetRootPrefixSize(const wchar_t* path);
unsigned GetNetworkServerPrefixSize(const wchar_t* path);
// Index of the first ":" of the last component, not counting a leading drive letter's; -1.
int FindAltStreamColon(const wchar_t* path);

struct CFileInfo {
  DWORD Attrib = 0;
  FILETIME CTime = {0, 0};
  FILETIME ATime = {0, 0};
  FILETIME MTime = {0, 0};
  UINT64 Size = 0;
  bool IsAltStream = false;
  std::wstring Name;

  bool IsDir() const { return (Attrib & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// Seek as both file streams do it: origins above kSeekEnd are refused, and on failure the
// position reported is the requested offset.
HRESULT SeekFile(HANDLE file, INT64 offset, UINT32 seekOrigin, UINT64* newPosition);

// Files, folders, drive roots, share roots and alternate streams ("file:stream").
bool FindFileInfo(CFileInfo& info, const std::wstring& path);

// The stream enumeration functions exist only on newer systems; they are looked up once,
// on first use, in a thread-safe way. Tests replace them (Wine's always fail).
typedef HANDLE(WINAPI* FindFirstStreamFunc)(LPCWSTR fileName, STREAM_INFO_LEVELS level,
                                            LPVOID findStreamData, DWORD flags);
typedef BOOL(WINAPI* FindNextStreamFunc)(HANDLE findStream, LPVOID findStreamData);
void InitFindStreamFunctions();
void SetFindStreamFunctions(FindFirstStreamFunc first, FindNextStreamFunc next);

bool CreateDir(const std::wstring& path);
// Creates the folder and every missing parent; false for a drive root or a file in the way.
bool CreateComplexDir(const std::wstring& path);
// Deletes a file even when it is read-only.
bool DeleteFileAlways(const std::wstring& path);

// The executable's folder with its trailing separator (".\" when it cannot be read).
std::wstring GetModuleFolderPrefix();

// Adds "\\?\" (or "\\?\UNC\") to an absolute path so that it may exceed MAX_PATH.
std::wstring ToExtendedLengthPath(const std::wstring& absolutePath);

// Whether an item path from an archive stays inside the output folder and names an ordinary
// file: nothing rooted or absolute, no ".." component, no ":" (drives, streams), no device
// name, no wildcard or control character.
bool IsSafeArchiveItemPath(const std::wstring& itemPath);

// Case-insensitive equality: a-z fold to A-Z, characters from 128 up through CharUpperW.
bool IsSameNameNoCase(const wchar_t* a, const wchar_t* b);

// Reads the folder property of an item: a boolean gives its value, empty gives false.
HRESULT IsArchiveItemFolder(IInArchive* archive, UINT32 index, bool& isFolder);

// Unsigned integer values of 8 to 64 bits convert; empty leaves `defined` false; any other
// type is E_INVALIDARG.
HRESULT PropVariantToUInt64(const PROPVARIANT& value, UINT64& result, bool& defined);

// For console diagnostics: unconvertible characters become "_"; never throws past failure.
std::string WideToCodePage(const std::wstring& text, UINT codePage);
