#pragma once
#include <string>

// Conversions between the encodings both programs meet: UTF-8 from the server and the page,
// the system code page for their own byte strings (INI files, command lines, reply fields)
// and UTF-16 at the platform's W functions.
//
// Every character of the input is converted, embedded zeros included: a string's length is
// its content, so what a check looked at is what is used afterwards. Callers that hand a
// result to a C function stop at its first zero there, visibly. A text that cannot be
// converted at all (or is longer than the platform's functions take) gives an empty result.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// UTF-16 to any code page, with "_" for characters it lacks (console diagnostics).
std::string WideToCodePage(const std::wstring& text, unsigned codePage);
