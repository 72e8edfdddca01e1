#include "test_support.h"

#include "FileSystem.h"
#include "common/ModuleFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : m_h(h) {}
    ~Handle()
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }
    HANDLE* Put() { return &m_h; }

private:
    HANDLE m_h;
};

void ReadTreeInto(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, TreeEntry>& out)
{
    WIN32_FIND_DATAW fd;
    HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &fd);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        TreeEntry entry;
        entry.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.attributes = fd.dwFileAttributes;
        entry.mtime = fd.ftLastWriteTime;
        if (entry.folder) {
            ReadTreeInto(root, relative + name + L"\\", out);
        } else {
            entry.content = ReadWholeFile(root + relative + name);
        }
        out[relative + name] = entry;
    } while (FindNextFileW(search, &fd));
    FindClose(search);
}

} // namespace

std::wstring ExeFolder()
{
    return GetCurrentModuleDirectory();
}

std::wstring Fixture(const std::wstring& name)
{
    return ExeFolder() + L"fixtures\\" + name;
}

std::wstring FreshFolder(const std::wstring& name)
{
    const std::wstring work = ExeFolder() + L"work\\";
    CreateDirectoryW(work.c_str(), nullptr);
    // ctest runs each case in its own process, several at once: the process id keeps cases
    // that share a folder name from deleting each other's files.
    const std::wstring folder = work + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void RemoveTree(const std::wstring& path)
{
    std::wstring base = path;
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    const DWORD attrib = GetFileAttributesW(base.c_str());
    if (attrib == INVALID_FILE_ATTRIBUTES) return;
    if (!(attrib & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileAlways(base);
        return;
    }
    WIN32_FIND_DATAW fd;
    HANDLE search = FindFirstFileW((base + L"\\*").c_str(), &fd);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name != L"." && name != L"..") RemoveTree(base + L"\\" + name);
        } while (FindNextFileW(search, &fd));
        FindClose(search);
    }
    SetFileAttributesW(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(base.c_str());
}

bool FileExists(const std::wstring& path)
{
    const DWORD attrib = GetFileAttributesW(path.c_str());
    return attrib != INVALID_FILE_ATTRIBUTES && !(attrib & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attrib = GetFileAttributesW(path.c_str());
    return attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadWholeFile(const std::wstring& path)
{
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) data.append(buffer, read);
    return data;
}

void WriteWholeFile(const std::wstring& path, const std::string& data)
{
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.Get(), data.data(), DWORD(data.size()), &written, nullptr));
    ASSERT_EQ(written, data.size());
}

std::map<std::wstring, TreeEntry> ReadTree(const std::wstring& root)
{
    std::map<std::wstring, TreeEntry> out;
    std::wstring base = root;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    ReadTreeInto(base, L"", out);
    return out;
}

DWORD RunProgram(const std::wstring& exe, const std::wstring& arguments, std::string& output)
{
    output.clear();
    SECURITY_ATTRIBUTES sa = { sizeof(sa), nullptr, TRUE };
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &sa, 0)) return DWORD(-1);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(0);
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return DWORD(-1);
    Handle process(pi.hProcess), thread(pi.hThread);
    CloseHandle(*writeEnd.Put());
    *writeEnd.Put() = nullptr;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) output.append(chunk, read);
    WaitForSingleObject(process.Get(), 60000);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.Get(), &code);
    return code;
}
