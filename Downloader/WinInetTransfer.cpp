#include "WinInetTransfer.h"

#include <cstdlib>
#include <cwchar>

#include "ScopedLock.h"

namespace {

// Binary transfer, straight from the server: without RELOAD a stale background image can
// come from the cache, and without NO_CACHE_WRITE every package is stored a second time.
// Redirects are followed here, not by WinINet, which knows no limit.
constexpr DWORD kOpenFlags = INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                             INTERNET_FLAG_NO_AUTO_REDIRECT;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    const size_t n = wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

bool IsHostCharacter(wchar_t c)
{
    return c > L' ' && c != 0x7F && !wcschr(L"\\<>\"{}|^`@/?#[]", c);
}

// Every limit on every level: WinINet takes the session's for new connections on one
// system and only the connection's or the request's on another.
void SetStallLimits(HINTERNET handle)
{
    DWORD limit = WinInetTransfer::kStallLimitMs;
    InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &limit, sizeof limit);
    InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &limit, sizeof limit);
    InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &limit, sizeof limit);
}

bool IsRedirectStatus(DWORD status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::wstring Origin(const HttpUrl& url)
{
    std::wstring origin = url.secure ? L"https://" : L"http://";
    origin += url.host.find(L':') != std::wstring::npos ? L"[" + url.host + L"]" : url.host;
    const INTERNET_PORT standard = url.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    if (url.port != standard) origin += L":" + std::to_wstring(url.port);
    return origin;
}

} // namespace

bool ParseHttpUrl(const std::wstring& url, HttpUrl& out)
{
    out = HttpUrl();
    size_t at = 0;
    if (StartsWithNoCase(url, L"https://")) {
        out.secure = true;
        at = 8;
    } else if (StartsWithNoCase(url, L"http://")) {
        at = 7;
    } else {
        return false;
    }
    const size_t end = url.find_first_of(L"/?#", at);
    std::wstring authority = url.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
    std::wstring rest = end == std::wstring::npos ? std::wstring() : url.substr(end);

    // 1. Who: "user:password@" before the host.
    const size_t userEnd = authority.rfind(L'@');
    if (userEnd != std::wstring::npos) {
        const std::wstring userInfo = authority.substr(0, userEnd);
        const size_t colon = userInfo.find(L':');
        out.user = userInfo.substr(0, colon);
        if (colon != std::wstring::npos) out.password = userInfo.substr(colon + 1);
        authority.erase(0, userEnd + 1);
    }
    // 2. The host ("[...]" for an IPv6 address) and the port after it.
    std::wstring portText;
    if (!authority.empty() && authority[0] == L'[') {
        const size_t close = authority.find(L']');
        if (close == std::wstring::npos) return false;
        out.host = authority.substr(1, close - 1);
        const std::wstring after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != L':') return false;
            portText = after.substr(1);
        }
        for (wchar_t c : out.host) {
            if (!iswxdigit(c) && c != L':' && c != L'.') return false;
        }
    } else {
        const size_t colon = authority.find(L':');
        out.host = authority.substr(0, colon);
        if (colon != std::wstring::npos) portText = authority.substr(colon + 1);
        for (wchar_t c : out.host) {
            if (!IsHostCharacter(c)) return false;
        }
    }
    if (out.host.empty()) return false;
    out.port = out.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    if (!portText.empty()) {
        if (portText.size() > 5 || portText.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
        const long port = wcstol(portText.c_str(), nullptr, 10);
        if (port < 1 || port > 65535) return false;
        out.port = static_cast<INTERNET_PORT>(port);
    }
    // 3. What: the path and query, without the fragment, which stays with the client.
    const size_t fragment = rest.find(L'#');
    if (fragment != std::wstring::npos) rest.erase(fragment);
    if (rest.empty() || rest[0] != L'/') rest.insert(0, L"/");
    out.object = rest;
    return true;
}

std::wstring ResolveRedirect(const HttpUrl& base, const std::wstring& location)
{
    const size_t scheme = location.find(L"://");
    if (scheme != std::wstring::npos && location.find_first_of(L"/?#") > scheme) return location;
    if (location.compare(0, 2, L"//") == 0) return (base.secure ? L"https:" : L"http:") + location;
    if (!location.empty() && location[0] == L'/') return Origin(base) + location;
    std::wstring folder = base.object.substr(0, base.object.find(L'?'));
    folder.erase(folder.rfind(L'/') + 1);
    return Origin(base) + folder + location;
}

TransferCancel::TransferCancel() : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_lock);
}

TransferCancel::~TransferCancel()
{
    DeleteCriticalSection(&m_lock);
    if (m_stop) CloseHandle(m_stop);
}

void TransferCancel::Cancel()
{
    // Taken under the locks (the transfer cannot go meanwhile: it unregisters under m_lock),
    // closed after them.
    TakenHandles taken;
    ScopedLock lock(m_lock);
    m_cancelled = true;
    if (m_active) m_active->Abort(taken);
    if (m_stop) SetEvent(m_stop);
    lock.Release();
    taken.Close();
}

bool TransferCancel::Cancelled() const
{
    ScopedLock lock(m_lock);
    return m_cancelled;
}

bool TransferCancel::Register(WinInetTransfer* transfer)
{
    ScopedLock lock(m_lock);
    if (m_cancelled) return false;
    m_active = transfer;
    return true;
}

void TransferCancel::Unregister(WinInetTransfer* transfer)
{
    ScopedLock lock(m_lock);
    if (m_active == transfer) m_active = nullptr;
}

WinInetTransfer::WinInetTransfer(TransferCancel* cancel) : m_cancel(cancel)
{
    InitializeCriticalSection(&m_lock);
}

WinInetTransfer::~WinInetTransfer()
{
    if (m_cancel) m_cancel->Unregister(this);
    {
        TakenHandles taken;
        ScopedLock lock(m_lock);
        TakeHandles(taken);
        lock.Release();
    }
    DeleteCriticalSection(&m_lock);
}

void WinInetTransfer::TakeHandles(TakenHandles& out)
{
    m_request.MoveTo(out.request);
    m_connection.MoveTo(out.connection);
    m_session.MoveTo(out.session);
}

void WinInetTransfer::Abort(TakenHandles& out)
{
    ScopedLock lock(m_lock);
    m_aborted = true;
    TakeHandles(out);
}

bool WinInetTransfer::Keep(InternetHandle& slot, HINTERNET handle)
{
    InternetHandle incoming(handle);
    InternetHandle previous; // closed after the lock, like everything taken under it
    ScopedLock lock(m_lock);
    if (m_aborted) {
        m_lastError = ERROR_INTERNET_OPERATION_CANCELLED;
        lock.Release();
        return false;
    }
    slot.MoveTo(previous);
    incoming.MoveTo(slot);
    lock.Release();
    return handle != nullptr;
}

HINTERNET WinInetTransfer::RequestHandle() const
{
    ScopedLock lock(m_lock);
    return m_request.Get();
}

WinInetTransfer::OpenResult WinInetTransfer::Open(const std::wstring& url)
{
    m_status = 0;
    m_hasLength = false;
    m_length = 0;
    if (m_cancel && !m_cancel->Register(this)) {
        m_lastError = ERROR_INTERNET_OPERATION_CANCELLED;
        return OpenResult::UrlFailed;
    }
    HttpUrl target;
    if (!ParseHttpUrl(url, target)) {
        m_lastError = ERROR_INTERNET_INVALID_URL;
        return OpenResult::UrlFailed;
    }
    for (int redirects = 0;; ++redirects) {
        const OpenResult result = Request(target);
        if (result != OpenResult::Ok) return result;
        if (!IsRedirectStatus(m_status)) break;
        wchar_t location[2048] = {};
        DWORD size = sizeof location - sizeof location[0];
        // A redirect without a place to go is the reply itself.
        if (!HttpQueryInfoW(RequestHandle(), HTTP_QUERY_LOCATION, location, &size, nullptr)) break;
        if (redirects == kMaxRedirects) {
            m_lastError = ERROR_HTTP_REDIRECT_FAILED;
            return OpenResult::UrlFailed;
        }
        const HttpUrl from = target;
        if (!ParseHttpUrl(ResolveRedirect(from, location), target)) {
            m_lastError = ERROR_INTERNET_INVALID_URL;
            return OpenResult::UrlFailed;
        }
    }

    char length[100] = {};
    DWORD size = sizeof length - 1;
    if (HttpQueryInfoA(RequestHandle(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(length, &end, 10);
        if (end != length) {
            m_hasLength = true;
            m_length = value;
        }
    }
    return OpenResult::Ok;
}

WinInetTransfer::OpenResult WinInetTransfer::Request(const HttpUrl& url)
{
    // 1. One session for the whole transfer, redirects included.
    if (!m_session) {
        HINTERNET session = InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!session) {
            m_lastError = GetLastError();
            return OpenResult::SessionFailed;
        }
        if (!Keep(m_session, session)) return OpenResult::UrlFailed;
        SetStallLimits(session);
    }
    // 2. A connection to this hop's host, and the request on it (the last hop's go first).
    {
        TakenHandles previous;
        ScopedLock lock(m_lock);
        m_request.MoveTo(previous.request);
        m_connection.MoveTo(previous.connection);
        lock.Release();
    }
    HINTERNET connection = InternetConnectW(m_session.Get(), url.host.c_str(), url.port,
                                            url.user.empty() ? nullptr : url.user.c_str(),
                                            url.password.empty() ? nullptr : url.password.c_str(),
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) m_lastError = GetLastError();
    if (!Keep(m_connection, connection)) return OpenResult::UrlFailed;
    SetStallLimits(connection);
    const DWORD flags = kOpenFlags | (url.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = HttpOpenRequestW(connection, L"GET", url.object.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (!request) m_lastError = GetLastError();
    if (!Keep(m_request, request)) return OpenResult::UrlFailed;
    SetStallLimits(request);
    // 3. Sent; the status line and headers are in when this returns.
    if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
        m_lastError = GetLastError();
        return OpenResult::UrlFailed;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    m_status = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        m_status = status;
    return OpenResult::Ok;
}

bool WinInetTransfer::ReadChunk(char* buffer, DWORD& read)
{
    read = 0;
    if (m_cancel && m_cancel->m_stop) {
        if (!m_reader) m_reader.reset(new CancellableRead(m_cancel->m_stop));
        return m_reader->Read(RequestHandle(), buffer, kChunkSize, read, m_lastError);
    }
    // A read that fails may still report the bytes it got before the stall: they count as nothing.
    if (!InternetReadFile(RequestHandle(), buffer, kChunkSize, &read)) {
        m_lastError = GetLastError();
        read = 0;
        return false;
    }
    return true;
}

bool WriteAll(HANDLE file, const char* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size;
}
