#pragma once
// Small file helpers shared by the extraction tests.

#include <windows.h>

#include <map>
#include <string>

// The folder of the test program, with a trailing backslash.
std::wstring ExeFolder();
// A fixture made at build time: ExeFolder() + "fixtures\" + name.
std::wstring Fixture(const std::wstring& name);
// A fresh, empty folder for one test, under ExeFolder() + "work\"; trailing backslash.
std::wstring FreshFolder(const std::wstring& name);

void RemoveTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::string ReadWholeFile(const std::wstring& path);
void WriteWholeFile(const std::wstring& path, const std::string& data);

struct TreeEntry {
    bool folder = false;
    DWORD attributes = 0;
    FILETIME mtime = { 0, 0 };
    std::string content;
};
// Every file and folder below root, keyed by the relative path.
std::map<std::wstring, TreeEntry> ReadTree(const std::wstring& root);

// Runs a program, returns its exit code and what it wrote to standard output.
DWORD RunProgram(const std::wstring& exe, const std::wstring& arguments, std::string& output);
