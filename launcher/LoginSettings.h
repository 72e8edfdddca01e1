#pragma once
#include <string>

// The launcher's settings file and its one formatting helper. Byte strings are in the
// system code page; UTF-16 only at the platform's W functions (common/TextConvert.h).

// `format` with its one "%s" replaced by `text`, any length.
std::string FormatString(const char* format, const std::string& text);

// "ZelLogin.ini" in the own folder, built anew for every reader.
std::string GetSettingsPath();
// One value of the settings file, at most 259 bytes; `fallback` when it is missing.
std::string ReadLoginSetting(const char* section, const char* key, const char* fallback = "");
