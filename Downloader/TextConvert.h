#pragma once
#include <string>
#include <vector>

// Conversions between the encodings the updater meets: UTF-8 from the server, the system
// code page for data from outside (INI, command line, reply fields) and UTF-16 for the
// platform. Each stops at the first zero character, as the platform's conversions do.
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// Splits at every occurrence of separator. Empty pieces between two separators and a
// leading empty piece are kept; a separator at the very end adds nothing.
std::vector<std::string> SplitString(const std::string& text, const std::string& separator);
