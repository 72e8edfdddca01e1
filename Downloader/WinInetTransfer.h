#pragma once
#include <windows.h>
#include <wininet.h>

#include <functional>
#include <memory>
#include <string>

#include "CancellableRead.h"
#include "InternetHandle.h"

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

// The parts of an http(s) URL that a request is made from.
struct HttpUrl {
    bool secure = false;
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring user;
    std::wstring password;
    std::wstring object; // path and query, beginning with "/"
};

// Reads url as "http://" or "https://" (any case) followed by a host, an optional port and
// the rest. False for anything else (another scheme, no host, a port that is no number from
// 1 to 65535): such text must never reach WinINet, whose URL functions fault on some of it.
bool ParseHttpUrl(const std::wstring& url, HttpUrl& out);

// The address reference names when read against the absolute address base, by the rules of
// URI references: a reference with a scheme stands for itself (only its dot segments go);
// otherwise it takes base's scheme, authority, path or query where it has none of its own,
// a relative path is merged with base's folder, and "." and ".." segments are removed. A
// fragment of the reference is kept in the result (ParseHttpUrl leaves it out of the request).
std::wstring ResolveRedirect(const std::wstring& base, const std::wstring& reference);

// How a header's text is asked for, in HttpQueryInfoW's manner: the buffer and its size in
// bytes, which the call updates; FALSE with ERROR_INSUFFICIENT_BUFFER and the size it needs
// when the buffer is too small.
using HeaderQuery = std::function<BOOL(wchar_t* buffer, DWORD* size)>;

// The whole text query answers, asked for again with the size it names. 0, the error of the
// query, or ERROR_INSUFFICIENT_BUFFER for a text longer than maxLength characters.
DWORD QueryHeaderText(const HeaderQuery& query, size_t maxLength, std::wstring& text);

class WinInetTransfer;

// Lets another thread stop a transfer: Cancel ends a read of the transfer registered with it
// that waits for the server, closes its WinINet handles (which ends its other blocked calls
// where WinINet allows it) and marks every later transfer registered with it as failed at
// once. Once Cancel has returned the transfer reads nothing more, and each of its reads fails
// with ERROR_INTERNET_OPERATION_CANCELLED. The handles are closed outside every lock, so a
// close that takes its time holds up only the caller of Cancel.
class TransferCancel {
public:
    TransferCancel();
    ~TransferCancel();
    TransferCancel(const TransferCancel&) = delete;
    TransferCancel& operator=(const TransferCancel&) = delete;

    void Cancel();
    bool Cancelled() const;

private:
    friend class WinInetTransfer;
    bool Register(WinInetTransfer* transfer);
    void Unregister(WinInetTransfer* transfer);

    mutable CRITICAL_SECTION m_lock;
    bool m_cancelled = false;
    WinInetTransfer* m_active = nullptr;
};

// One GET through WinINet, read in 512-byte chunks. Every download of the updater goes
// through this class: it checks the address, opens the session and the request, follows at
// most kMaxRedirects redirects itself, reports the HTTP status and the announced length, and
// hands out the body chunk by chunk. A server that sends nothing for kStallLimitMs (before
// the headers or within the body) fails the transfer.
class WinInetTransfer {
public:
    static constexpr DWORD kChunkSize = 512;
    static constexpr DWORD kStallLimitMs = 60000;
    static constexpr int kMaxRedirects = 10;
    // Signed addresses run to a few KiB; a Location of more characters fails the transfer.
    static constexpr DWORD kMaxLocationLength = 64 * 1024;
    // Every request's: a binary transfer straight from the server. Without RELOAD a stale
    // background image can come from the cache, and without NO_CACHE_WRITE every package is
    // stored a second time. Redirects are followed here, not by WinINet, which knows no limit.
    static constexpr DWORD kOpenFlags = INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD |
                                        INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;

    enum class OpenResult { Ok, SessionFailed, UrlFailed };

    // read stands in for InternetReadFile (tests watch the reads through it).
    explicit WinInetTransfer(TransferCancel* cancel = nullptr,
                             CancellableRead::ReadFunction read = InternetReadFile);
    ~WinInetTransfer();
    WinInetTransfer(const WinInetTransfer&) = delete;
    WinInetTransfer& operator=(const WinInetTransfer&) = delete;

    // On failure, LastError() holds the platform's error code of the failing call, or
    // ERROR_INTERNET_INVALID_URL for an address that is no http(s) URL with a host,
    // ERROR_HTTP_REDIRECT_FAILED past the redirect limit and for a redirect whose Location is
    // missing, empty or longer than kMaxLocationLength, ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR
    // for a redirect from https to plain http, ERROR_INTERNET_OPERATION_CANCELLED after a
    // cancel.
    OpenResult Open(const std::wstring& url);

    // HTTP status of the reply, 0 when there is none (not HTTP, or not readable).
    DWORD Status() const { return m_status; }
    bool HasLength() const { return m_hasLength; }
    ULONGLONG Length() const { return m_length; }
    DWORD LastError() const { return m_lastError; }

    // Reads the next chunk into buffer (kChunkSize bytes). Returns false when the read
    // itself fails (a stall or a cancel among them); read is 0 at the end of the body. A
    // transfer that can be cancelled reads ahead on a thread of its own, and a cancel ends a
    // read that waits for the server at once.
    bool ReadChunk(char* buffer, DWORD& read);

    // True when the bytes seen so far are the whole body: the announced length, if any.
    bool Complete(ULONGLONG received) const { return !m_hasLength || received == m_length; }

private:
    friend class TransferCancel;
    // One request to url, without following redirects. Ok also for a redirect status.
    OpenResult Request(const HttpUrl& url);
    // Moves every handle into `out`; under m_lock. After an abort the transfer takes no new ones.
    void TakeHandles(TakenHandles& out);
    // Stops the reads and moves every handle into `out`, or into the reader while it is inside
    // a read, which closes them after it; under m_lock.
    void StopAndTake(TakenHandles& out);
    void Abort(TakenHandles& out);
    bool Keep(InternetHandle& slot, HINTERNET handle);
    HINTERNET RequestHandle() const;

    TransferCancel* m_cancel;
    CancellableRead::ReadFunction m_read;
    mutable CRITICAL_SECTION m_lock;
    bool m_aborted = false;
    // The reads of a transfer that can be cancelled; made, and stopped, under m_lock, and
    // stopped before any of the handles is closed.
    std::unique_ptr<CancellableRead> m_reader;
    InternetHandle m_session;
    InternetHandle m_connection;
    InternetHandle m_request;
    DWORD m_status = 0;
    bool m_hasLength = false;
    ULONGLONG m_length = 0;
    DWORD m_lastError = 0;
};

// Writes all of data to file; false when the file takes less.
bool WriteAll(HANDLE file, const char* data, DWORD size);
