#include "WinInetTransfer.h"

#include <cstdlib>

namespace {

// Binary transfer, straight from the server: without RELOAD a stale background image can
// come from the cache, and without NO_CACHE_WRITE every package is stored a second time.
constexpr DWORD kOpenFlags = INTERNET_FLAG_TRANSFER_BINARY | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;

} // namespace

WinInetTransfer::OpenResult WinInetTransfer::Open(const std::wstring& url)
{
    m_session.Reset(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_session) {
        m_lastError = GetLastError();
        return OpenResult::SessionFailed;
    }
    m_request.Reset(InternetOpenUrlW(m_session.Get(), url.c_str(), nullptr, 0, kOpenFlags, 0));
    if (!m_request) {
        m_lastError = GetLastError();
        return OpenResult::UrlFailed;
    }

    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoW(m_request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        m_status = status;

    char length[100] = {};
    size = sizeof length - 1;
    if (HttpQueryInfoA(m_request.Get(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(length, &end, 10);
        if (end != length) {
            m_hasLength = true;
            m_length = value;
        }
    }
    return OpenResult::Ok;
}

bool WinInetTransfer::ReadChunk(char* buffer, DWORD& read)
{
    read = 0;
    if (!InternetReadFile(m_request.Get(), buffer, kChunkSize, &read)) {
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
