#include "common/TextConvert.h"

#include <windows.h>

#include <climits>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(needed), L'\0');
    const int written = MultiByteToWideChar(codePage, 0, text.data(), length, &out[0], needed);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

std::string FromWide(UINT codePage, const std::wstring& text, const char* defaultChar)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return std::string();
    const int length = static_cast<int>(text.size());
    // UTF-8 takes no default character: the platform refuses the call when one is given.
    const char* fallback = codePage == CP_UTF8 ? nullptr : defaultChar;
    const int needed = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, fallback, nullptr);
    if (needed <= 0) return std::string();
    std::string out(static_cast<size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage, 0, text.data(), length, &out[0], needed, fallback, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

} // namespace

std::string WideToAnsi(const std::wstring& text)
{
    return FromWide(CP_ACP, text, nullptr);
}
std::wstring AnsiToWide(const std::string& text)
{
    return ToWide(CP_ACP, text);
}
std::string Utf8ToAnsi(const std::string& text)
{
    return WideToAnsi(Utf8ToWide(text));
}
std::string AnsiToUtf8(const std::string& text)
{
    return WideToUtf8(AnsiToWide(text));
}
std::wstring Utf8ToWide(const std::string& text)
{
    return ToWide(CP_UTF8, text);
}
std::string WideToUtf8(const std::wstring& text)
{
    return FromWide(CP_UTF8, text, nullptr);
}

std::string WideToCodePage(const std::wstring& text, unsigned codePage)
{
    return FromWide(static_cast<UINT>(codePage), text, "_");
}
