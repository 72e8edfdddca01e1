#pragma once
#include <windows.h>
#include <wininet.h>

#include <string>

// Owns one WinINet handle.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : m_handle(h) {}
    ~InternetHandle() { Reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(HINTERNET h = nullptr)
    {
        if (m_handle) InternetCloseHandle(m_handle);
        m_handle = h;
    }

private:
    HINTERNET m_handle = nullptr;
};

// Owns one file handle from CreateFileW.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : m_handle(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close()
    {
        bool ok = true;
        if (m_handle != INVALID_HANDLE_VALUE) ok = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// One GET through WinINet, read in 512-byte chunks. Every download of the updater goes
// through this class: it opens the session and the URL, reports the HTTP status and the
// announced length, and hands out the body chunk by chunk.
class WinInetTransfer {
public:
    static constexpr DWORD kChunkSize = 512;

    enum class OpenResult { Ok, SessionFailed, UrlFailed };

    // On failure, LastError() holds the platform's error code of the failing call.
    OpenResult Open(const std::wstring& url);

    // HTTP status of the reply, 0 when there is none (not HTTP, or not readable).
    DWORD Status() const { return m_status; }
    bool HasLength() const { return m_hasLength; }
    ULONGLONG Length() const { return m_length; }
    DWORD LastError() const { return m_lastError; }

    // Reads the next chunk into buffer (kChunkSize bytes). Returns false when the read
    // itself fails; read is 0 at the end of the body.
    bool ReadChunk(char* buffer, DWORD& read);

    // True when the bytes seen so far are the whole body: the announced length, if any.
    bool Complete(ULONGLONG received) const { return !m_hasLength || received == m_length; }

private:
    InternetHandle m_session;
    InternetHandle m_request;
    DWORD m_status = 0;
    bool m_hasLength = false;
    ULONGLONG m_length = 0;
    DWORD m_lastError = 0;
};

// Writes all of data to file; false when the file takes less.
bool WriteAll(HANDLE file, const char* data, DWORD size);
