#pragma once
#include <cstddef>
#include <string>

#include "UpdateInfo.h"

// Real update replies are a few KB; a body past this size ends the request as a failed
// transfer. Redirects are followed this many times at most.
constexpr size_t kMaxReplyBytes = 1024 * 1024;
constexpr long kMaxRedirects = 10;

// libcurl's write callback: appends what it is given to *target (a std::string) while the
// whole stays within kMaxReplyBytes; past that (or when memory runs out) it takes nothing,
// which ends the transfer as failed.
size_t CurlWriteToString(void* data, size_t size, size_t count, void* target);

// What one GET of the login URL gave.
struct UpdateReplyFetch {
    int curlCode = 0; // CURLE_OK or the transfer's error
    bool haveStatus = false;
    long status = 0;
    std::string body; // raw, still in transport form
};

// The login-URL GET with the three JSON headers. TLS peers are verified against the
// system store, and a transfer that stalls for a minute is given up.
UpdateReplyFetch FetchUpdateReply(const std::string& url);

// Fills record from the server's reply to url. Returns only when the reply's code is "1";
// every other outcome tells the player in a box and ends the process with exit code 0.
void RequestUpdateInfo(UpdateInfo& record, const std::string& url);
