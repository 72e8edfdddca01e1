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
    ~ScopedInvalidHandle() { Reset(); }
    ScopedInvalidHandle(const ScopedInvalidHandle&) = delete;
    ScopedInvalidHandle& operator=(const ScopedInvalidHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    void Reset()
    {
        if (m_h == INVALID_HANDLE_VALUE) return;
        const DWORD error = GetLastError();
        Close(m_h);
        m_h = INVALID_HANDLE_VALUE;
        SetLastError(error);
    }

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
// A file opened to be deleted or renamed, without sharing: the open fails while another
// handle has data access to it (ERROR_SHARING_VIOLATION), and while it is held no one else
// gets any. Handles without data access (opened for attributes or synchronize only, as the
// shell, indexers and backup agents hold files) are neither refused nor seen, and a plain
// delete leaves the name taken for as long as one of them stays. A link is opened, never what
// it points at. A read-only file is made writable, and gets its attributes back unless it is
// marked for deletion.
class UnsharedFile {
public:
    explicit UnsharedFile(const std::wstring& path);
    ~UnsharedFile();
    UnsharedFile(const UnsharedFile&) = delete;
    UnsharedFile& operator=(const UnsharedFile&) = delete;

    // False, with the last error, when the file could not be opened or made writable.
    bool Valid() const { return m_ready; }
    // Deletes with POSIX semantics: the name is free once this handle is closed, even while
    // handles without data access hold the file. False where the system or its file system
    // has no such delete (older systems, FAT, Wine) or the file may not go (a mapped image).
    bool DeleteNow();
    // Marks the file to go with its last handle; its name stays taken until then.
    bool DeleteWithLastHandle();
    // Gives the file another name, never one that is taken. newPath is absolute.
    bool Rename(const std::wstring& newPath);
    void Close();

private:
    ScopedFile m_file;
    DWORD m_attributes = 0;
    bool m_ready = false;
    bool m_madeWritable = false;
    bool m_deleted = false;
};
