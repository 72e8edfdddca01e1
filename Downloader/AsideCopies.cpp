#include "AsideCopies.h"

#include "FileSystem.h"
#include "PathRules.h"
#include "PathSafety.h"
#include "common/TextConvert.h"

#include <string>
#include <vector>

const wchar_t kAsideListName[] = L"ZelOldFiles.lst";

namespace {

const wchar_t kAsideMarker[] = L".zel-old-";
const size_t kAsideMarkerLength = sizeof(kAsideMarker) / sizeof(kAsideMarker[0]) - 1;
// Names already taken (a copy from an earlier run still in use) are skipped this many times.
const int kNameAttempts = 16;

std::wstring AsideSuffix(unsigned serial)
{
    wchar_t hex[24];
    _snwprintf(hex, 24, L"%08lx", static_cast<unsigned long>(GetTickCount() + serial * 0x9E3779B9u));
    hex[23] = L'\0';
    return kAsideMarker + std::wstring(hex);
}

std::wstring ListPath(const std::wstring& folder)
{
    return WithLongPathPrefixIfNeeded(folder + kAsideListName);
}

std::vector<std::wstring> ReadList(const std::wstring& listPath)
{
    std::vector<std::wstring> entries;
    HANDLE file = CreateFileW(listPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return entries;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    CloseHandle(file);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) entries.push_back(Utf8ToWide(line));
        start = end + 1;
    }
    return entries;
}

bool WriteToList(const std::wstring& listPath, const std::string& text, DWORD disposition)
{
    HANDLE file = CreateFileW(listPath.c_str(), disposition == OPEN_ALWAYS ? FILE_APPEND_DATA : GENERIC_WRITE, 0,
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    return ok;
}

// The part of path below folder (which ends with a separator), whether path has the "\\?\"
// form or not; empty when it lies elsewhere.
std::wstring PathBelow(const std::wstring& folder, const std::wstring& path)
{
    const std::wstring forms[] = { folder, ToExtendedLengthPath(folder) };
    for (const std::wstring& form : forms)
        if (path.size() > form.size() && path.compare(0, form.size(), form) == 0) return path.substr(form.size());
    return std::wstring();
}

} // namespace

bool IsInUseError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_USER_MAPPED_FILE;
}

bool IsAsideCopyName(const std::wstring& name)
{
    const size_t at = name.rfind(kAsideMarker);
    if (at == std::wstring::npos || at == 0) return false;
    const size_t digits = name.size() - at - kAsideMarkerLength;
    if (digits != 8) return false;
    for (size_t i = at + kAsideMarkerLength; i < name.size(); ++i)
        if (!iswxdigit(name[i])) return false;
    return true;
}

bool MoveAside(const std::wstring& outputFolder, const std::wstring& diskPath)
{
    const std::wstring relative = PathBelow(outputFolder, diskPath);
    DWORD error = ERROR_ALREADY_EXISTS;
    for (unsigned serial = 0; serial < kNameAttempts; ++serial) {
        const std::wstring suffix = AsideSuffix(serial);
        const std::wstring asidePath = diskPath + suffix;
        if (GetFileAttributesW(asidePath.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        // Listed before the rename: a copy that exists is always one the clean-up knows. A line
        // whose rename then failed names nothing and is dropped at the clean-up.
        if (!relative.empty()) WriteToList(ListPath(outputFolder), WideToUtf8(relative + suffix) + "\r\n", OPEN_ALWAYS);
        if (MoveFileExW(diskPath.c_str(), asidePath.c_str(), 0)) return true;
        error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    SetLastError(error);
    return false;
}

void RemoveAsideCopies(const std::wstring& folder)
{
    if (folder.empty()) return;
    const std::wstring listPath = ListPath(folder);
    const std::vector<std::wstring> entries = ReadList(listPath);
    if (entries.empty()) {
        DeleteFileAlways(listPath);
        return;
    }
    std::string kept;
    for (const std::wstring& entry : entries) {
        // Only names this updater gives, inside the folder: a list written by someone else
        // must not delete anything of the game's.
        const size_t last = entry.find_last_of(L"\\/");
        const std::wstring name = last == std::wstring::npos ? entry : entry.substr(last + 1);
        if (!IsSafeArchiveItemPath(entry) || !IsAsideCopyName(name)) continue;
        const std::wstring path = WithLongPathPrefixIfNeeded(folder + entry);
        const DWORD attrib = GetFileAttributesW(path.c_str());
        if (attrib == INVALID_FILE_ATTRIBUTES || (attrib & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (DeleteFileAlways(path)) continue;
        if (IsInUseError(GetLastError())) kept += WideToUtf8(entry) + "\r\n";
    }
    if (kept.empty())
        DeleteFileAlways(listPath);
    else
        WriteToList(listPath, kept, CREATE_ALWAYS);
}
