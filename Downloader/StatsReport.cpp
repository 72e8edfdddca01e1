#include "StatsReport.h"

#include <curl/curl.h>
#include <json/json.h>

#include <memory>

#include "CurlHandles.h"
#include "TlsPeerCheck.h"
#include "UpdateRequest.h"
#include "common/TextConvert.h"

#ifndef ZEL_STATS_HOST
#define ZEL_STATS_HOST "127.0.0.1"
#endif

std::string BuildReportBody(bool started, long long seconds, const std::string& uid)
{
    Json::Value report(Json::objectValue);
    report["uid"] = AnsiToUtf8(uid);
    report["is_start"] = started ? 1 : 0;
    report["time"] = static_cast<Json::Int64>(seconds < 0 ? 0 : seconds);
    // The compact form: sorted keys, no blanks, non-ASCII as \u escapes, then a line feed.
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    writer["emitUTF8"] = false;
    return Json::writeString(writer, report) + "\n";
}

std::string StatsReportUrl()
{
    return std::string("https://") + ZEL_STATS_HOST + "/Lgtim";
}

std::string PostJson(const std::string& bodyUtf8, const std::string& url)
{
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) return "fail";
    std::string reply;
    CURLcode result = CURLE_FAILED_INIT;
    {
        CurlEasyPtr curl(curl_easy_init());
        if (curl) {
            CurlListPtr headers = MakeJsonHeaders();
            CURL* h = curl.get();
            curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "POST");
            curl_easy_setopt(h, CURLOPT_URL, url.c_str());
            curl_easy_setopt(h, CURLOPT_TIMEOUT, 10L);
            curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 0L);
            curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
            // The report carries the account's id: it goes only to the verified statistics host.
            RequireTrustedPeer(h);
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, bodyUtf8.c_str());
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyUtf8.size()));
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CurlWriteToString);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply);
            result = curl_easy_perform(h);
        }
    }
    curl_global_cleanup();
    if (result != CURLE_OK) return "fail";
    return Utf8ToAnsi(reply);
}
