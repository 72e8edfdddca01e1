#include "FileSystem.h"

#include "SevenZipUnknown.h"

#include <atomic>
#include <cstring>
#include <vector>

namespace {

bool EndsWithDataSuffix(const std::wstring& s)
{
    static const wchar_t kSuffix[] = L":$DATA";
    const size_t n = 6;
    if (s.size() < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (AsciiUpper(s[s.size() - n + i]) != kSuffix[i]) return false;
    return true;
}

void FillFromFindData(CFileInfo& info, const WIN32_FIND_DATAW& fd)
{
    info.Attrib = fd.dwFileAttributes;
    info.CTime = fd.ftCreationTime;
    info.ATime = fd.ftLastAccessTime;
    info.MTime = fd.ftLastWriteTime;
    info.Size = (UINT64(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    info.IsAltStream = false;
    info.Name = fd.cFileName;
}

void MakeEmptyRecord(CFileInfo& info, DWORD attrib, const std::wstring& name)
{
    info = CFileInfo();
    info.Attrib = attrib;
    info.Name = name;
}

struct FindStreamFunctions {
    FindFirstStreamFunc first = nullptr;
    FindNextStreamFunc next = nullptr;
};

std::atomic<bool> g_streamOverride{ false };
std::atomic<FindFirstStreamFunc> g_overrideFirst{ nullptr };
std::atomic<FindNextStreamFunc> g_overrideNext{ nullptr };

const FindStreamFunctions& SystemStreamFunctions()
{
    // A function-local static is initialised exactly once even when workers race for it.
    static const FindStreamFunctions functions = [] {
        FindStreamFunctions f;
        if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
            f.first = reinterpret_cast<FindFirstStreamFunc>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "FindFirstStreamW")));
            f.next = reinterpret_cast<FindNextStreamFunc>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "FindNextStreamW")));
        }
        return f;
    }();
    return functions;
}

FindStreamFunctions CurrentStreamFunctions()
{
    if (g_streamOverride.load()) {
        FindStreamFunctions f;
        f.first = g_overrideFirst.load();
        f.next = g_overrideNext.load();
        return f;
    }
    return SystemStreamFunctions();
}

// From FindFirstFileW and the stream search.
using FindHandle = ScopedInvalidHandle<FindClose>;

// Step 1 of FindFileInfo: "file:stream". Returns true when the path was settled here
// (`found` tells the outcome), false when the caller goes on with the whole path.
bool FindAltStreamInfo(CFileInfo& info, const std::wstring& path, bool& found)
{
    const int colon = FindAltStreamColon(path.c_str());
    if (colon < 0 || size_t(colon) + 1 >= path.size()) return false;
    const std::wstring filePart = path.substr(0, size_t(colon));
    std::wstring streamPart = path.substr(size_t(colon));
    if (streamPart.size() < 7 || !EndsWithDataSuffix(streamPart)) streamPart += L":$DATA";

    CFileInfo base;
    if (filePart.size() == 2 && IsAsciiLetter(filePart[0]) && filePart[1] == L':') {
        MakeEmptyRecord(base, 0, filePart);
    } else if (IsDriveRootPath(filePart.c_str())) {
        MakeEmptyRecord(base, 0, std::wstring());
    } else if (!FindFileInfo(base, filePart)) {
        return false;
    }
    base.Attrib &= ~DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    base.Size = 0;

    found = false;
    const FindStreamFunctions functions = CurrentStreamFunctions();
    if (!functions.first || !functions.next) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return true;
    }
    WIN32_FIND_STREAM_DATA data;
    ZeroMemory(&data, sizeof(data));
    FindHandle search(functions.first(filePart.c_str(), FindStreamInfoStandard, &data, 0));
    if (!search.Valid()) {
        if (GetLastError() == ERROR_HANDLE_EOF) SetLastError(ERROR_FILE_NOT_FOUND);
        return true;
    }
    for (;;) {
        data.cStreamName[MAX_PATH + 35] = 0;
        if (IsSameNameNoCase(data.cStreamName, streamPart.c_str())) break;
        ZeroMemory(&data, sizeof(data));
        if (!functions.next(search.Get(), &data)) {
            if (GetLastError() == ERROR_HANDLE_EOF) SetLastError(ERROR_FILE_NOT_FOUND);
            return true;
        }
    }
    std::wstring name = data.cStreamName;
    if (name.size() > 7 && EndsWithDataSuffix(name)) name.resize(name.size() - 6);
    base.Name += name;
    base.Size = UINT64(data.StreamSize.QuadPart);
    base.IsAltStream = true;
    info = base;
    found = true;
    return true;
}

} // namespace

HRESULT SeekFile(HANDLE file, INT64 offset, UINT32 seekOrigin, UINT64* newPosition)
{
    if (seekOrigin > kSeekEnd) return STG_E_INVALIDFUNCTION;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!SetFilePointerEx(file, distance, &position, seekOrigin)) {
        const HRESULT hr = HResultFromLastError();
        if (newPosition) *newPosition = UINT64(offset);
        return hr;
    }
    if (newPosition) *newPosition = UINT64(position.QuadPart);
    return S_OK;
}

bool FindFileInfo(CFileInfo& info, const std::wstring& path)
{
    // 1. An alternate stream is looked up among its file's streams.
    bool found = false;
    if (FindAltStreamInfo(info, path, found)) return found;

    // 2. A drive root has no directory entry of its own.
    const wchar_t* p = path.c_str();
    if (IsDriveRootPath(p)) {
        const DWORD attrib = GetFileAttributesW(p);
        if (attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY)) {
            const size_t start = IsLongPathPrefix(p) ? 4 : 0;
            MakeEmptyRecord(info, attrib, path.substr(start, 2));
            return true;
        }
    }

    // 3. Share roots and the bare root of the current drive.
    if (IsPathSeparator(p[0])) {
        const unsigned server = GetNetworkServerPrefixSize(p);
        if (server > 0 && server < path.size()) {
            std::wstring share = path.substr(server);
            if (!share.empty() && IsPathSeparator(share.back())) share.pop_back();
            if (!share.empty() && FindPathSeparator(share.c_str()) < 0) {
                std::wstring root = path.substr(0, server) + share;
                WIN32_FIND_DATAW fd;
                FindHandle search(FindFirstFileW((root + L"\\*").c_str(), &fd));
                if (search.Valid() && wcscmp(fd.cFileName, L".") == 0) {
                    FillFromFindData(info, fd);
                    info.Name = share;
                    return true;
                }
                DWORD attrib = GetFileAttributesW(root.c_str());
                if (search.Valid() || (attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY))) {
                    if (attrib == INVALID_FILE_ATTRIBUTES) attrib = FILE_ATTRIBUTE_DIRECTORY;
                    MakeEmptyRecord(info, attrib, share);
                    return true;
                }
                return false;
            }
        }
        if (p[1] == 0) {
            const DWORD attrib = GetFileAttributesW(p);
            if (attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY)) {
                MakeEmptyRecord(info, attrib, std::wstring());
                return true;
            }
        }
    }

    // 4. Everything else is an ordinary directory entry.
    WIN32_FIND_DATAW fd;
    FindHandle search(FindFirstFileW(p, &fd));
    if (!search.Valid()) return false;
    FillFromFindData(info, fd);
    return true;
}

void InitFindStreamFunctions()
{
    SystemStreamFunctions();
}

void SetFindStreamFunctions(FindFirstStreamFunc first, FindNextStreamFunc next)
{
    g_overrideFirst.store(first);
    g_overrideNext.store(next);
    g_streamOverride.store(first != nullptr || next != nullptr);
}

bool CreateDir(const std::wstring& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const DWORD attrib = GetFileAttributesW(path.c_str());
    if (attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY)) return true;
    // A file is in the way; callers tell this case by the error.
    SetLastError(ERROR_ALREADY_EXISTS);
    return false;
}

bool CreateComplexDir(const std::wstring& target)
{
    // 1. A drive root cannot be created; an existing folder needs nothing.
    if (IsDriveRootPath(target.c_str())) return false;
    const DWORD existing = GetFileAttributesW(target.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY)) return true;

    // 2. Work on the path without its trailing separator.
    const unsigned prefixSize = GetRootPrefixSize(target.c_str());
    std::wstring path = target;
    if (!path.empty() && IsPathSeparator(path.back())) {
        if (path.size() == 1) return true;
        path.pop_back();
    }

    // 3. Often only the last level is missing.
    if (CreateDir(path)) return true;

    // 4. Walk back to the deepest level that exists or can be made.
    std::wstring made = path;
    for (;;) {
        if (GetLastError() == ERROR_ALREADY_EXISTS) return false;
        size_t pos = made.find_last_of(L"\\/");
        if (pos == std::wstring::npos || pos == 0) return false;
        if (pos == 1 && IsPathSeparator(made[0])) return false;
        if (pos < prefixSize) return false;
        made.resize(pos);
        if (CreateDir(made)) break;
    }

    // 5. Create the remaining levels outward-in.
    while (made.size() < path.size()) {
        size_t next = path.find_first_of(L"\\/", made.size() + 1);
        if (next == std::wstring::npos) next = path.size();
        made = path.substr(0, next);
        if (!CreateDirectoryW(made.c_str(), nullptr)) return false;
    }
    return true;
}

bool DeleteFileAlways(const std::wstring& path)
{
    const DWORD attrib = GetFileAttributesW(path.c_str());
    if (attrib != INVALID_FILE_ATTRIBUTES && !(attrib & FILE_ATTRIBUTE_DIRECTORY) &&
        (attrib & FILE_ATTRIBUTE_READONLY)) {
        if (!SetFileAttributesW(path.c_str(), attrib & ~DWORD(FILE_ATTRIBUTE_READONLY))) return false;
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

namespace {

// Not in the headers for the systems the programs are built for; newer systems know them.
const FILE_INFO_BY_HANDLE_CLASS kFileDispositionInfoEx = FILE_INFO_BY_HANDLE_CLASS(21);
const DWORD kDispositionDelete = 0x1;
const DWORD kDispositionPosixSemantics = 0x2;

struct DispositionInfoEx {
    DWORD Flags;
};

bool SetBasicAttributes(HANDLE file, DWORD attributes)
{
    // Zero times leave the file's times as they are.
    FILE_BASIC_INFO basic;
    ZeroMemory(&basic, sizeof(basic));
    basic.FileAttributes = attributes ? attributes : DWORD(FILE_ATTRIBUTE_NORMAL);
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

// The system's own form of an absolute path, which a rename through a handle takes.
std::wstring ToNtPath(const std::wstring& path)
{
    std::wstring full = path;
    if (!IsLongPathPrefix(full.c_str())) {
        const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (needed == 0) return std::wstring();
        full.assign(needed, L'\0');
        const DWORD n = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
        if (n == 0 || n >= needed) return std::wstring();
        full.resize(n);
        full = ToExtendedLengthPath(full);
        if (!IsLongPathPrefix(full.c_str())) return std::wstring();
    }
    full[0] = L'\\';
    full[1] = L'?';
    full[2] = L'?';
    full[3] = L'\\';
    return full;
}

} // namespace

UnsharedFile::UnsharedFile(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
{
    if (!m_file.Valid()) return;
    FILE_BASIC_INFO basic;
    ZeroMemory(&basic, sizeof(basic));
    if (!GetFileInformationByHandleEx(m_file.Get(), FileBasicInfo, &basic, sizeof(basic))) return;
    m_attributes = basic.FileAttributes;
    // A read-only file refuses the delete.
    if (m_attributes & FILE_ATTRIBUTE_READONLY) {
        if (!SetBasicAttributes(m_file.Get(), m_attributes & ~DWORD(FILE_ATTRIBUTE_READONLY))) return;
        m_madeWritable = true;
    }
    m_ready = true;
}

UnsharedFile::~UnsharedFile()
{
    Close();
}

bool UnsharedFile::DeleteNow()
{
    if (!m_ready) return false;
    DispositionInfoEx disposition;
    disposition.Flags = kDispositionDelete | kDispositionPosixSemantics;
    if (!SetFileInformationByHandle(m_file.Get(), kFileDispositionInfoEx, &disposition, sizeof(disposition)))
        return false;
    m_deleted = true;
    return true;
}

bool UnsharedFile::DeleteWithLastHandle()
{
    if (!m_ready) return false;
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(m_file.Get(), FileDispositionInfo, &disposition, sizeof(disposition)))
        return false;
    m_deleted = true;
    return true;
}

bool UnsharedFile::Rename(const std::wstring& newPath)
{
    if (!m_ready) return false;
    const std::wstring target = ToNtPath(newPath);
    if (target.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    memcpy(info->FileName, target.data(), nameBytes);
    return SetFileInformationByHandle(m_file.Get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
}

void UnsharedFile::Close()
{
    if (!m_file.Valid()) return;
    // A file that stays gets its read-only attribute back.
    if (m_madeWritable && !m_deleted) {
        const DWORD error = GetLastError();
        SetBasicAttributes(m_file.Get(), m_attributes);
        SetLastError(error);
    }
    m_madeWritable = false;
    m_ready = false;
    m_file.Reset();
}
