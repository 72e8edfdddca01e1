#include "LoginSettings.h"

#include <windows.h>

#include "common/ModuleFolder.h"
#include "common/TextConvert.h"

std::string FormatString(const char* format, const std::string& text)
{
    std::string result;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            result += text;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            result += '%';
            ++p;
        } else {
            result += *p;
        }
    }
    return result;
}

std::string GetSettingsPath()
{
    return FormatString("%sZelLogin.ini", WideToAnsi(GetCurrentModuleDirectory()));
}

std::string ReadLoginSetting(const char* section, const char* key, const char* fallback)
{
    char value[261] = {};
    ::GetPrivateProfileStringA(section, key, fallback, value, 260, GetSettingsPath().c_str());
    return value;
}
