#include "WinInetTransfer.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "ScopedLock.h"

namespace {

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

// A URI reference cut into its five parts; "has" tells an empty part from a missing one.
struct UriParts {
    bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
    std::wstring scheme, authority, path, query, fragment;
};

bool IsSchemeName(const std::wstring& text)
{
    if (text.empty() || !iswalpha(text[0]) || text[0] > 0x7F) return false;
    for (wchar_t c : text) {
        if (c > 0x7F || (!iswalnum(c) && c != L'+' && c != L'-' && c != L'.')) return false;
    }
    return true;
}

UriParts SplitUri(const std::wstring& text)
{
    UriParts parts;
    size_t at = 0;
    const size_t colon = text.find_first_of(L":/?#");
    if (colon != std::wstring::npos && text[colon] == L':' && IsSchemeName(text.substr(0, colon))) {
        parts.hasScheme = true;
        parts.scheme = text.substr(0, colon);
        at = colon + 1;
    }
    if (text.compare(at, 2, L"//") == 0) {
        const size_t end = std::min(text.find_first_of(L"/?#", at + 2), text.size());
        parts.hasAuthority = true;
        parts.authority = text.substr(at + 2, end - at - 2);
        at = end;
    }
    const size_t pathEnd = std::min(text.find_first_of(L"?#", at), text.size());
    parts.path = text.substr(at, pathEnd - at);
    at = pathEnd;
    if (at < text.size() && text[at] == L'?') {
        const size_t end = std::min(text.find(L'#', at), text.size());
        parts.hasQuery = true;
        parts.query = text.substr(at + 1, end - at - 1);
        at = end;
    }
    if (at < text.size()) {
        parts.hasFragment = true;
        parts.fragment = text.substr(at + 1);
    }
    return parts;
}

// Drops the last segment of output and the "/" before it.
void DropLastSegment(std::wstring& output)
{
    const size_t slash = output.rfind(L'/');
    output.erase(slash == std::wstring::npos ? 0 : slash);
}

std::wstring RemoveDotSegments(const std::wstring& path)
{
    std::wstring input = path;
    std::wstring output;
    while (!input.empty()) {
        if (input.compare(0, 3, L"../") == 0) {
            input.erase(0, 3);
        } else if (input.compare(0, 2, L"./") == 0 || input.compare(0, 3, L"/./") == 0) {
            input.erase(0, 2);
        } else if (input == L"/.") {
            input = L"/";
        } else if (input.compare(0, 4, L"/../") == 0) {
            input.erase(0, 3);
            DropLastSegment(output);
        } else if (input == L"/..") {
            input = L"/";
            DropLastSegment(output);
        } else if (input == L"." || input == L"..") {
            input.clear();
        } else {
            const size_t end = std::min(input.find(L'/', 1), input.size());
            output.append(input, 0, end);
            input.erase(0, end);
        }
    }
    return output;
}

std::wstring MergePaths(const UriParts& base, const std::wstring& path)
{
    if (base.hasAuthority && base.path.empty()) return L"/" + path;
    const size_t slash = base.path.rfind(L'/');
    return slash == std::wstring::npos ? path : base.path.substr(0, slash + 1) + path;
}

std::wstring JoinUri(const UriParts& parts)
{
    std::wstring text;
    if (parts.hasScheme) text += parts.scheme + L":";
    if (parts.hasAuthority) text += L"//" + parts.authority;
    text += parts.path;
    if (parts.hasQuery) text += L"?" + parts.query;
    if (parts.hasFragment) text += L"#" + parts.fragment;
    return text;
}

// The Location of the reply on request, trimmed. 0, or the error that fails the transfer.
DWORD QueryLocation(HINTERNET request, std::wstring& location)
{
    const DWORD error = QueryHeaderText(
        [request](wchar_t* buffer, DWORD* size) {
            return HttpQueryInfoW(request, HTTP_QUERY_LOCATION, buffer, size, nullptr);
        },
        WinInetTransfer::kMaxLocationLength, location);
    if (error == ERROR_HTTP_HEADER_NOT_FOUND || error == ERROR_INSUFFICIENT_BUFFER) return ERROR_HTTP_REDIRECT_FAILED;
    if (error) return error;
    const size_t first = location.find_first_not_of(L" \t");
    location = first == std::wstring::npos ? std::wstring()
                                           : location.substr(first, location.find_last_not_of(L" \t") - first + 1);
    // No place to go is no reason to ask for this address's folder, or for it again.
    return location.empty() ? ERROR_HTTP_REDIRECT_FAILED : 0;
}

} // namespace

DWORD QueryHeaderText(const HeaderQuery& query, size_t maxLength, std::wstring& text)
{
    std::wstring buffer(2048, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        if (query(&buffer[0], &size)) {
            buffer.resize(wcsnlen(buffer.c_str(), std::min<size_t>(size / sizeof(wchar_t), buffer.size())));
            if (buffer.size() > maxLength) return ERROR_INSUFFICIENT_BUFFER;
            text = buffer;
            return 0;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) return error;
        // The size asked for counts the terminator (some versions leave it out).
        const size_t needed = size / sizeof(wchar_t) + 1;
        if (needed > maxLength + 2 || needed <= buffer.size()) return ERROR_INSUFFICIENT_BUFFER;
        buffer.assign(needed, L'\0');
    }
}

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

std::wstring ResolveRedirect(const std::wstring& base, const std::wstring& reference)
{
    const UriParts from = SplitUri(base);
    UriParts to = SplitUri(reference);
    if (!to.hasScheme) {
        to.hasScheme = from.hasScheme;
        to.scheme = from.scheme;
        if (!to.hasAuthority) {
            to.hasAuthority = from.hasAuthority;
            to.authority = from.authority;
            if (to.path.empty()) {
                // The request's own path, as it was asked for: its dot segments are the
                // server's to read, not ours to drop.
                to.path = from.path;
                if (!to.hasQuery) {
                    to.hasQuery = from.hasQuery;
                    to.query = from.query;
                }
                return JoinUri(to);
            }
            if (to.path[0] != L'/') to.path = MergePaths(from, to.path);
        }
    }
    to.path = RemoveDotSegments(to.path);
    return JoinUri(to);
}

TransferCancel::TransferCancel()
{
    InitializeCriticalSection(&m_lock);
}

TransferCancel::~TransferCancel()
{
    DeleteCriticalSection(&m_lock);
}

void TransferCancel::Cancel()
{
    // Taken under the locks (the transfer cannot go meanwhile: it unregisters under m_lock),
    // closed after them.
    TakenHandles taken;
    ScopedLock lock(m_lock);
    m_cancelled = true;
    if (m_active) m_active->Abort(taken);
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

WinInetTransfer::WinInetTransfer(TransferCancel* cancel, CancellableRead::ReadFunction read)
    : m_cancel(cancel), m_read(read)
{
    InitializeCriticalSection(&m_lock);
}

WinInetTransfer::~WinInetTransfer()
{
    if (m_cancel) m_cancel->Unregister(this);
    {
        TakenHandles taken;
        ScopedLock lock(m_lock);
        StopAndTake(taken);
        lock.Release();
    }
    DeleteCriticalSection(&m_lock);
}

void WinInetTransfer::StopAndTake(TakenHandles& out)
{
    TakeHandles(out);
    // A reader inside a read keeps them until it has ended: none is closed under a read.
    if (m_reader) m_reader->Stop(out);
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
    StopAndTake(out);
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
    // Each hop is read against the address it answered, as that address was written.
    std::wstring address = url;
    for (int redirects = 0;; ++redirects) {
        const OpenResult result = Request(target);
        if (result != OpenResult::Ok) return result;
        if (!IsRedirectStatus(m_status)) break;
        std::wstring location;
        if (const DWORD error = QueryLocation(RequestHandle(), location)) {
            m_lastError = error;
            return OpenResult::UrlFailed;
        }
        if (redirects == kMaxRedirects) {
            m_lastError = ERROR_HTTP_REDIRECT_FAILED;
            return OpenResult::UrlFailed;
        }
        address = ResolveRedirect(address, location);
        const bool wasSecure = target.secure;
        if (!ParseHttpUrl(address, target)) {
            m_lastError = ERROR_INTERNET_INVALID_URL;
            return OpenResult::UrlFailed;
        }
        // What came over TLS must not continue in clear text, where anyone on the way could
        // hand out another package or updater. Plain to secure only gains.
        if (wasSecure && !target.secure) {
            m_lastError = ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
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
    if (m_cancel) {
        if (!m_reader) {
            ScopedLock lock(m_lock);
            if (m_aborted) {
                m_lastError = ERROR_INTERNET_OPERATION_CANCELLED;
                return false;
            }
            m_reader.reset(new CancellableRead(m_request.Get(), m_read));
        }
        return m_reader->Read(buffer, kChunkSize, read, m_lastError);
    }
    // A read that fails may still report the bytes it got before the stall: they count as nothing.
    if (!m_read(RequestHandle(), buffer, kChunkSize, &read)) {
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
