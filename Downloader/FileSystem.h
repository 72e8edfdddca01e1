#pragma once
// The file functions under the extraction classes: a file lookup that also knows alternate
// data streams, folder-chain creation, forced deletion and the streams' seek. Everything is
// UTF-16. The path forms they rely on are in PathRules.h.

#include "PathRules.h"
#include "SevenZipInterfaces.h"

#include <windows.h>

#include <string>

// A handle whose failure value is INVALID_HANDLE_VALUE (a file, a search), closed with its
// owner. Closing keeps the thread's last error: callers read the reason of a failure after the
// handle is gone.
template <BOOL(WINAPI* Close)(HANDLE)>
class ScopedInvalidHandle {
public:
    explicit ScopedInvalidHandle(HANDLE h) : m_h(h) {}
    ~ScopedInvalidHandle()
    {
        if (m_h == INVALID_HANDLE_VALUE) return;
        const DWORD error = GetLastError();
        Close(m_h);
        SetLastError(error);
    }
    ScopedInvalidHandle(const ScopedInvalidHandle&) = delete;
    ScopedInvalidHandle& operator=(const ScopedInvalidHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};
// From CreateFileW.
using ScopedFile = ScopedInvalidHandle<CloseHandle>;

struct CFileInfo {
    DWORD Attrib = 0;
    FILETIME CTime = { 0, 0 };
    FILETIME ATime = { 0, 0 };
    FILETIME MTime = { 0, 0 };
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
typedef HANDLE(WINAPI* FindFirstStreamFunc)(LPCWSTR fileName, STREAM_INFO_LEVELS level, LPVOID findStreamData,
                                            DWORD flags);
typedef BOOL(WINAPI* FindNextStreamFunc)(HANDLE findStream, LPVOID findStreamData);
void InitFindStreamFunctions();
void SetFindStreamFunctions(FindFirstStreamFunc first, FindNextStreamFunc next);

bool CreateDir(const std::wstring& path);
// Creates the folder and every missing parent; false for a drive root or a file in the way.
bool CreateComplexDir(const std::wstring& path);
// Deletes a file even when it is read-only.
bool DeleteFileAlways(const std::wstring& path);
// Deletes a file, read-only or not, only when no other handle has it open; it is then gone at
// once. A file that another program holds is left as it is (false, ERROR_SHARING_VIOLATION),
// also when it shares delete: a delete would only mark it, and its name would stay taken
// until the holder lets go, so that nothing could be created in its place nor could it be
// moved aside (Windows refuses both for a name whose delete is pending). A running image or
// a loaded library is refused as DeleteFileW refuses it (ERROR_ACCESS_DENIED).
bool DeleteFileNotInUse(const std::wstring& path);
