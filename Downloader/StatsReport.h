#pragma once
#include <string>

// The statistics report about a game start: one line of JSON, keys in order, no blanks, a
// line feed at the end: {"is_start":1,"time":N,"uid":"..."}. uid is in the system code page
// and converted to UTF-8 before it is written, so non-ASCII ids come out as proper \u escapes.
// The result is UTF-8.
std::string BuildReportBody(bool started, long long seconds, const std::string& uid);

// Where reports go: HTTPS, the build's statistics host, path "/Lgtim".
std::string StatsReportUrl();

// POSTs a UTF-8 JSON body to url with the three JSON headers, 10 s at most, verifying the
// server's certificate and following no redirects. Returns the reply converted to the system
// code page, or "fail" when no reply came.
std::string PostJson(const std::string& bodyUtf8, const std::string& url);
