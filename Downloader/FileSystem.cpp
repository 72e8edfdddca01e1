#include "FileSystem.h"

#include "SevenZipUnknown.h"

#include <atomic>
#include <vector>

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c; }

bool IsLongPathPrefix(const wchar_t* p) {
  return IsPathSeparator(p[0]) && IsPathSeparator(p[1]) && p[2] == L'?' && IsPathSeparator(p[3]);
}

bool IsDevicePrefix(const wchar_t* p) {
  return IsPathSeparator(p[0]) && IsPathSeparator(p[1]) && p[2] == L'.' && IsPathSeparator(p[3]);
}

bool IsNetworkLongPathPrefix(const wchar_t* p) {
  return IsLongPathPrefix(p) && AsciiUpper(p[4]) == L'U' && AsciiUpper(p[5]) == L'N' &&
         AsciiUpper(p[6]) == L'C' && IsPathSeparator(p[7]);
}

bool IsDrivePath(const wchar_t* p) {
  return IsAsciiLetter(p[0]) && p[1] == L':' && IsPathSeparator(p[2]);
}

int FindSeparator(const wchar_t* p) {
  for (int i = 0; p[i] != 0; ++i)
    if (IsPathSeparator(p[i])) return i;
  return -1;
}

// "server\share\" at p: its length through the separator after the share, or 0.
unsigned GetShareRootSize(const wchar_t* p) {
  const int server = FindSeparator(p);
  if (server <= 0) return 0;
  const int share = FindSeparator(p + server + 1);
  if (share <= 0) return 0;
  return unsigned(server + 1 + share + 1);
}

bool EndsWithDataSuffix(const std::wstring& s) {
  static const wchar_t kSuffix[] = L":$DATA";
  const size_t n = 6;
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (AsciiUpper(s[s.size() - n + i]) != kSuffix[i]) return false;
  return true;
}

void FillFromFindData(CFileInfo& info, const WIN32_FIND_DATAW& fd) {
  info.Attrib = fd.dwFileAttributes;
  info.CTime = fd.ftCreationTime;
  info.ATime = fd.ftLastAccessTime;
  info.MTime = fd.ftLastWriteTime;
  info.Size = (UINT64(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  info.IsAltStream = false;
  info.Name = fd.cFileName;
}

void MakeEmptyRecord(CFileInfo& info, DWORD attrib, const std::wstring& name) {
  info = CFileInfo();
  info.Attrib = attrib;
  info.Name = name;
}

struct FindStreamFunctions {
  FindFirstStreamFunc first = nullptr;
  FindNextStreamFunc next = nullptr;
};

std::atomic<bool> g_streamOverride{false};
std::atomic<FindFirstStreamFunc> g_overrideFirst{nullptr};
std::atomic<FindNextStreamFunc> g_overrideNext{nullptr};

const FindStreamFunctions& SystemStreamFunctions() {
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

FindStreamFunctions CurrentStreamFunctions() {
  if (g_streamOverride.load()) {
    FindStreamFunctions f;
    f.first = g_overrideFirst.load();
    f.next = g_overrideNext.load();
    return f;
  }
  return SystemStreamFunctions();
}

class FindHandle {
public:
  explicit FindHandle(HANDLE h) : m_h(h) {}
  // Callers read the search's error after the handle is gone; closing must not change it.
  ~FindHandle() {
    if (m_h == INVALID_HANDLE_VALUE) return;
    const DWORD error = GetLastError();
    FindClose(m_h);
    SetLastError(error);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE Get() const { return m_h; }
  bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
  HANDLE m_h;
};

// Step 1 of FindFileInfo: "file:stream". Returns true when the path was settled here
// (`found` tells the outcome), false when the caller goes on with the whole path.
bool FindAltStreamInfo(CFileInfo& info, const std::wstring& path, bool& found) {
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

bool IsDeviceName(const std::wstring& component) {
  // The device is named by the part before the first dot, trailing spaces ignored.
  std::wstring base = component.substr(0, component.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = AsciiUpper(c);
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$",
                                            L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* d : kDevices)
    if (base == d) return true;
  if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
    const wchar_t n = base[3];
    // Windows also maps the superscript digits 1-3 to the serial and parallel ports.
    if ((n >= L'0' && n <= L'9') || n == 0x00B9 || n == 0x00B2 || n == 0x00B3) return true;
  }
  return false;
}

}  // namespace

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveRootPath(const wchar_t* path) {
  if (IsLongPathPrefix(path)) path += 4;
  return IsDrivePath(path) && path[3] == 0;
}

unsigned GetRootPrefixSize(const wchar_t* path) {
  if (IsDevicePrefix(path)) return 4;
  if (IsLongPathPrefix(path)) {
    if (IsNetworkLongPathPrefix(path)) {
      const unsigned share = GetShareRootSize(path + 8);
      if (share) return 8 + share;
    }
    const int sep = FindSeparator(path + 4);
    return sep < 0 ? 0 : unsigned(4 + sep + 1);
  }
  if (IsDrivePath(path)) return 3;
  if (IsPathSeparator(path[0])) {
    if (IsPathSeparator(path[1])) {
      const unsigned share = GetShareRootSize(path + 2);
      return share ? 2 + share : 0;
    }
    return 1;
  }
  return 0;
}

unsigned GetNetworkServerPrefixSize(const wchar_t* path) {
  if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) return 0;
  unsigned start = 2;
  if (IsNetworkLongPathPrefix(path))
    start = 8;
  else if (path[2] == L'.' || path[2] == L'?')
    return 0;
  const int sep = FindSeparator(path + start);
  if (sep <= 0) return 0;
  return start + unsigned(sep) + 1;
}

int FindAltStreamColon(const wchar_t* path) {
  int begin = 0;
  if (IsAsciiLetter(path[0]) && path[1] == L':') {
    if (path[2] == 0) return -1;
    begin = 2;
  }
  int colon = -1;
  for (int i = begin; path[i] != 0; ++i) {
    if (IsPathSeparator(path[i]))
      colon = -1;
    else if (path[i] == L':' && colon < 0)
      colon = i;
  }
  return colon;
}

HRESULT SeekFile(HANDLE file, INT64 offset, UINT32 seekOrigin, UINT64* newPosition) {
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

bool FindFileInfo(CFileInfo& info, const std::wstring& path) {
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
      if (!share.empty() && FindSeparator(share.c_str()) < 0) {
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

void InitFindStreamFunctions() { SystemStreamFunctions(); }

void SetFindStreamFunctions(FindFirstStreamFunc first, FindNextStreamFunc next) {
  g_overrideFirst.store(first);
  g_overrideNext.store(next);
  g_streamOverride.store(first != nullptr || next != nullptr);
}

bool CreateDir(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return true;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  const DWORD attrib = GetFileAttributesW(path.c_str());
  if (attrib != INVALID_FILE_ATTRIBUTES && (attrib & FILE_ATTRIBUTE_DIRECTORY)) return true;
  // A file is in the way; callers tell this case by the error.
  SetLastError(ERROR_ALREADY_EXISTS);
  return false;
}

bool CreateComplexDir(const std::wstring& target) {
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

bool DeleteFileAlways(const std::wstring& path) {
  const DWORD attrib = GetFileAttributesW(path.c_str());
  if (attrib != INVALID_FILE_ATTRIBUTES && !(attrib & FILE_ATTRIBUTE_DIRECTORY) &&
      (attrib & FILE_ATTRIBUTE_READONLY)) {
    if (!SetFileAttributesW(path.c_str(), attrib & ~DWORD(FILE_ATTRIBUTE_READONLY))) return false;
  }
  return DeleteFileW(path.c_str()) != FALSE;
}

std::wstring GetModuleFolderPrefix() {
  // Grow past MAX_PATH rather than fall back to the current directory.
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (n == 0) return L".\\";
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      const size_t pos = path.find_last_of(L"\\/");
      if (pos == std::wstring::npos) return L".\\";
      return path.substr(0, pos + 1);
    }
    if (buffer.size() >= 32768) return L".\\";
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring ToExtendedLengthPath(const std::wstring& absolutePath) {
  const wchar_t* p = absolutePath.c_str();
  if (IsLongPathPrefix(p) || IsDevicePrefix(p)) return absolutePath;
  std::wstring result;
  if (IsPathSeparator(p[0]) && IsPathSeparator(p[1]))
    result = L"\\\\?\\UNC\\" + absolutePath.substr(2);
  else if (IsDrivePath(p))
    result = L"\\\\?\\" + absolutePath;
  else
    return absolutePath;
  // The prefix switches off the system's own separator normalisation.
  for (wchar_t& c : result)
    if (c == L'/') c = L'\\';
  return result;
}

bool IsSafeArchiveItemPath(const std::wstring& itemPath) {
  if (itemPath.empty() || IsPathSeparator(itemPath[0])) return false;
  for (wchar_t c : itemPath) {
    if (c < 32) return false;
    if (wcschr(L"<>\"|?*:", c)) return false;
  }
  size_t start = 0;
  while (start <= itemPath.size()) {
    size_t end = itemPath.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = itemPath.size();
    const std::wstring component = itemPath.substr(start, end - start);
    if (!component.empty()) {
      // Only dots and spaces: "..", and names that the system trims down to it or to nothing.
      if (component.find_first_not_of(L". ") == std::wstring::npos) return false;
      if (IsDeviceName(component)) return false;
    }
    start = end + 1;
  }
  return true;
}

bool IsSameNameNoCase(const wchar_t* a, const wchar_t* b) {
  auto fold = [](wchar_t c) -> wchar_t {
    if (c < 128) return AsciiUpper(c);
    return wchar_t(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR(c)))));
  };
  for (;; ++a, ++b) {
    if (fold(*a) != fold(*b)) return false;
    if (*a == 0) return true;
  }
}

HRESULT IsArchiveItemFolder(IInArchive* archive, UINT32 index, bool& isFolder) {
  PROPVARIANT value;
  PropVariantInit(&value);
  HRESULT hr = archive->GetProperty(index, kpidIsDir, &value);
  if (hr == S_OK) {
    if (value.vt == VT_BOOL)
      isFolder = value.boolVal != VARIANT_FALSE;
    else if (value.vt == VT_EMPTY)
      isFolder = false;
    else
      hr = E_FAIL;
  }
  PropVariantClear(&value);
  return hr;
}

HRESULT PropVariantToUInt64(const PROPVARIANT& value, UINT64& result, bool& defined) {
  defined = true;
  switch (value.vt) {
    case VT_UI1: result = value.bVal; return S_OK;
    case VT_UI2: result = value.uiVal; return S_OK;
    case VT_UI4: result = value.ulVal; return S_OK;
    case VT_UI8: result = value.uhVal.QuadPart; return S_OK;
    case VT_EMPTY: defined = false; return S_OK;
    default: defined = false; return E_INVALIDARG;
  }
}

std::string WideToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty()) return std::string();
  const int n = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, "_", nullptr);
  if (n <= 0) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &out[0], n, "_", nullptr);
  return out;
}
