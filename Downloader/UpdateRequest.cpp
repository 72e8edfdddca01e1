#include "UpdateRequest.h"

#include <curl/curl.h>
#include <windows.h>

#include <memory>

#include "CurlHandles.h"
#include "ProcessEnd.h"
#include "common/TextConvert.h"
#include "TlsPeerCheck.h"
#include "UpdateReply.h"

namespace {

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_ALL); }
    ~CurlGlobal() { curl_global_cleanup(); }
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
};

} // namespace

size_t CurlWriteToString(void* data, size_t size, size_t count, void* target)
{
    // Called from libcurl's C code: nothing may unwind through it. Taking fewer bytes than
    // offered makes libcurl end the transfer with a write error.
    if (size != 0 && count > static_cast<size_t>(-1) / size) return 0;
    const size_t bytes = size * count;
    std::string* body = static_cast<std::string*>(target);
    if (body->size() > kMaxReplyBytes || bytes > kMaxReplyBytes - body->size()) return 0;
    try {
        body->append(static_cast<const char*>(data), bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

UpdateReplyFetch FetchUpdateReply(const std::string& url)
{
    UpdateReplyFetch result;
    CurlGlobal global;
    CurlEasyPtr curl(curl_easy_init());
    if (!curl) return result; // nothing received: decodes as an empty reply

    CurlListPtr headers = MakeJsonHeaders();

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 100L);
    // No overall limit, but a reply that stops flowing for a minute is a failed transfer.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    // A server that keeps redirecting would otherwise be followed for ever.
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    // A reply announced as larger than any real one is refused before its body is read.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxReplyBytes));
    // The reply names the programs we run next: an unverified peer could replace them.
    RequireTrustedPeer(h);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CurlWriteToString);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &result.body);

    result.curlCode = static_cast<int>(curl_easy_perform(h));
    if (result.curlCode == CURLE_OK) {
        long status = 0;
        if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) {
            result.haveStatus = true;
            result.status = status;
        }
    }
    return result;
}

void RequestUpdateInfo(UpdateInfo& record, const std::string& url)
{
    record = UpdateInfo();
    UpdateReplyFetch fetch = FetchUpdateReply(url);
    if (fetch.curlCode != CURLE_OK) {
        ShowPrompt(L"发送错误");
        EndProcessNow(0);
    }
    if (fetch.haveStatus && fetch.status != 200) {
        wchar_t text[64];
        _snwprintf(text, sizeof text / sizeof text[0], L"返回错误:%ld", fetch.status);
        text[sizeof text / sizeof text[0] - 1] = L'\0';
        ShowPrompt(text);
        ShowPrompt(AnsiToWide(fetch.body).c_str());
        EndProcessNow(0);
    }
    ReadUpdateFields(DecodeResponse(fetch.body), record);
    if (record.code != "1") {
        ShowPrompt(AnsiToWide(record.info).c_str());
        EndProcessNow(0);
    }
}
