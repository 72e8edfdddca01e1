#include "AsideCopies.h"

#include "FileSystem.h"
#include "PathRules.h"
#include "PathSafety.h"
#include "common/TextConvert.h"

#include <atomic>
#include <string>
#include <vector>

const wchar_t kAsideListName[] = L"ZelOldFiles.lst";
const wchar_t kAsideListNewName[] = L"ZelOldFiles.lst.new";

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

std::atomic<ListRewriteCut> g_rewriteCut{ nullptr };

// Whether a test stops the rewrite after this step, as a crash there would.
bool CutAfter(ListRewriteStep step)
{
    const ListRewriteCut cut = g_rewriteCut.load();
    return cut && cut(step);
}

std::wstring ListPath(const std::wstring& folder)
{
    return WithLongPathPrefixIfNeeded(folder + kAsideListName);
}

std::wstring NewListPath(const std::wstring& folder)
{
    return WithLongPathPrefixIfNeeded(folder + kAsideListNewName);
}

std::vector<std::wstring> ReadList(const std::wstring& listPath)
{
    std::vector<std::wstring> entries;
    std::string text;
    {
        ScopedFile file(CreateFileW(listPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return entries;
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    }
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

// The list rewritten to text. A rewrite cut off at any point (a crash, a full disk, a power
// loss) must not lose a line of a copy still there, which would then never be removed: the
// new list is written whole beside the old one, which it then replaces in one step.
bool RewriteList(const std::wstring& listPath, const std::wstring& newPath, const std::string& text)
{
    {
        ScopedFile file(
            CreateFileW(newPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        if (CutAfter(ListRewriteStep::Created)) return false;
        DWORD written = 0;
        bool ok = WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
        if (ok && written != text.size()) {
            SetLastError(ERROR_DISK_FULL);
            ok = false;
        }
        if (ok && CutAfter(ListRewriteStep::Written)) return false;
        if (ok) ok = FlushFileBuffers(file.Get()) != FALSE;
        if (ok && CutAfter(ListRewriteStep::Flushed)) return false;
        if (!ok) {
            file.Reset();
            DeleteFileAlways(newPath);
            return false;
        }
    }
    if (MoveFileExW(newPath.c_str(), listPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileAlways(newPath);
    return false;
}

// Adds a line at the end of the list; offset receives where it starts. On failure the list is
// as it was (a line written in part is cut off again).
bool AppendToList(const std::wstring& listPath, const std::string& line, UINT64& offset)
{
    ScopedFile file(CreateFileW(listPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return false;
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(file.Get(), zero, nullptr, FILE_END)) return false;
    DWORD written = 0;
    bool ok = WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) != FALSE;
    if (ok && written != line.size()) {
        SetLastError(ERROR_DISK_FULL);
        ok = false;
    }
    if (ok) ok = FlushFileBuffers(file.Get()) != FALSE;
    if (!ok) {
        const DWORD error = GetLastError();
        if (SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
        SetLastError(error);
        return false;
    }
    offset = UINT64(size.QuadPart);
    return true;
}

// Takes off the line that AppendToList put at offset, when it is still the list's last; a list
// left empty goes. Anything else stays: a line naming nothing is dropped at the clean-up.
void CutFromList(const std::wstring& listPath, const std::string& line, UINT64 offset)
{
    {
        ScopedFile file(CreateFileW(listPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return;
        LARGE_INTEGER size;
        if (!GetFileSizeEx(file.Get(), &size) || UINT64(size.QuadPart) != offset + line.size()) return;
        LARGE_INTEGER at;
        at.QuadPart = LONGLONG(offset);
        std::string tail(line.size(), '\0');
        DWORD read = 0;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file.Get(), &tail[0], static_cast<DWORD>(tail.size()), &read, nullptr) || read != tail.size() ||
            tail != line)
            return;
        if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) return;
        if (offset > 0) return;
    }
    DeleteFileAlways(listPath);
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
    // Without case, as the file system tells names apart.
    const size_t kDigits = 8;
    if (name.size() <= kAsideMarkerLength + kDigits) return false;
    const size_t at = name.size() - kDigits - kAsideMarkerLength;
    for (size_t i = 0; i < kAsideMarkerLength; ++i)
        if (AsciiUpper(name[at + i]) != AsciiUpper(kAsideMarker[i])) return false;
    for (size_t i = at + kAsideMarkerLength; i < name.size(); ++i)
        if (!iswxdigit(name[i])) return false;
    return true;
}

void SetListRewriteCut(ListRewriteCut cut)
{
    g_rewriteCut.store(cut);
}

AsideMove::AsideMove(const std::wstring& outputFolder, const std::wstring& diskPath)
    : m_folder(outputFolder), m_diskPath(diskPath), m_relative(PathBelow(outputFolder, diskPath))
{
}

AsideMove::~AsideMove()
{
    if (m_listed) Unlist();
}

bool AsideMove::List()
{
    // Only a file inside the folder can be listed, and none is moved unlisted.
    if (m_relative.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // Names already taken (a copy from an earlier run still in use) are skipped.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring suffix = AsideSuffix(m_serial++);
        const std::wstring asidePath = m_diskPath + suffix;
        if (GetFileAttributesW(asidePath.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        std::string line = WideToUtf8(m_relative + suffix) + "\r\n";
        if (!AppendToList(ListPath(m_folder), line, m_lineOffset)) return false;
        m_asidePath = asidePath;
        m_line = line;
        m_listed = true;
        return true;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
}

void AsideMove::Unlist()
{
    CutFromList(ListPath(m_folder), m_line, m_lineOffset);
    m_listed = false;
}

bool AsideMove::Move()
{
    m_listFailed = false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        if (!m_listed && !List()) {
            m_listFailed = true;
            return false;
        }
        if (MoveFileExW(m_diskPath.c_str(), m_asidePath.c_str(), 0)) {
            // The copy keeps its line whatever comes of the delete: one pending until its holder
            // lets go is still there, and the clean-up drops lines that name nothing.
            m_listed = false;
            DeleteFileAlways(m_asidePath);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) {
            SetLastError(error);
            return false;
        }
        // Someone took the name since it was looked at: another one takes its line's place.
        Unlist();
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
}

bool AsideMove::DeleteNotInUse()
{
    UnsharedFile file(m_diskPath);
    if (!file.Valid()) return false;
    if (file.DeleteNow()) return true;
    // Without a POSIX delete the name would stay taken for as long as a handle without data
    // access holds the file, and nothing tells whether one does: the file is moved aside
    // first, through the unshared handle, and deleted there. Its delete is set before the
    // handle goes, so the copy goes with its last handle whatever becomes of this process; only
    // one that outlives the handle is listed, in case the system goes down before its holder
    // lets go. Most files have no such holder, and cost no write to the list.
    if (m_relative.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring suffix;
    for (int attempt = 0; attempt < kNameAttempts && suffix.empty(); ++attempt) {
        const std::wstring candidate = AsideSuffix(m_serial++);
        if (GetFileAttributesW((m_diskPath + candidate).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (file.Rename(m_diskPath + candidate)) {
            suffix = candidate;
        } else {
            const DWORD error = GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
        }
    }
    if (suffix.empty()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    const std::wstring copy = m_diskPath + suffix;
    const std::string line = WideToUtf8(m_relative + suffix) + "\r\n";
    UINT64 offset = 0;
    if (!file.DeleteWithLastHandle()) {
        // A file that may not be deleted at all (a mapped image) goes back to its name, to be
        // moved aside as the files in use are; one that cannot is listed as a copy.
        const DWORD error = GetLastError();
        if (!file.Rename(m_diskPath)) AppendToList(ListPath(m_folder), line, offset);
        SetLastError(error);
        return false;
    }
    file.Close();
    // A delete that waits shows as a denied look-up on some systems, as a file on others.
    if (GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND)
        AppendToList(ListPath(m_folder), line, offset);
    return true;
}

void RemoveAsideCopies(const std::wstring& folder)
{
    if (folder.empty()) return;
    const std::wstring listPath = ListPath(folder);
    const std::wstring newPath = NewListPath(folder);
    const std::vector<std::wstring> entries = ReadList(listPath);
    if (entries.empty()) {
        DeleteFileAlways(listPath);
        DeleteFileAlways(newPath);
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
    if (kept.empty()) {
        DeleteFileAlways(listPath);
        DeleteFileAlways(newPath);
    } else {
        RewriteList(listPath, newPath, kept);
    }
}
