#pragma once
#include <string>

// "http://<login host>/myqavo/login"; the host is a deployment setting of the build.
std::string LoginBaseAddress();

// A value as it goes into the login URL: raw, except that blank, tab, double quote, '#' and
// control characters are percent-encoded (a blank would split the updater's command line,
// and the updater's HTTP client refuses such a URL).
std::string EncodeLoginValue(const std::string& value);

// The login URL for the page's "AppLogin" JSON text (system code page): the ten fields of
// a JSON object, each empty when the text is no valid JSON object or the member is missing,
// an array or an object. It ends with one blank.
std::string BuildLoginUrl(const std::string& json);
