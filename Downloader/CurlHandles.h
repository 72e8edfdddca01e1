#pragma once
#include <curl/curl.h>

#include <memory>

struct CurlEasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct CurlListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
typedef std::unique_ptr<CURL, CurlEasyDeleter> CurlEasyPtr;
typedef std::unique_ptr<curl_slist, CurlListDeleter> CurlListPtr;

// The three headers every request to our servers carries. When memory runs out part-way the
// list ends with what was appended (a request with fewer headers, never a leaked list).
inline CurlListPtr MakeJsonHeaders()
{
    curl_slist* raw = nullptr;
    for (const char* header : { "Content-Type: application/json", "Accept: application/json", "charsets: utf-8" }) {
        curl_slist* grown = curl_slist_append(raw, header);
        if (!grown) break;
        raw = grown;
    }
    return CurlListPtr(raw);
}
