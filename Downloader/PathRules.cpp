#include "PathRules.h"

#include <windows.h>

namespace {

bool IsDevicePrefix(const wchar_t* p)
{
    return IsPathSeparator(p[0]) && IsPathSeparator(p[1]) && p[2] == L'.' && IsPathSeparator(p[3]);
}

bool IsNetworkLongPathPrefix(const wchar_t* p)
{
    return IsLongPathPrefix(p) && AsciiUpper(p[4]) == L'U' && AsciiUpper(p[5]) == L'N' && AsciiUpper(p[6]) == L'C' &&
           IsPathSeparator(p[7]);
}

bool IsDrivePath(const wchar_t* p)
{
    return IsAsciiLetter(p[0]) && p[1] == L':' && IsPathSeparator(p[2]);
}

// "server\share\" at p: its length through the separator after the share, or 0.
unsigned GetShareRootSize(const wchar_t* p)
{
    const int server = FindPathSeparator(p);
    if (server <= 0) return 0;
    const int share = FindPathSeparator(p + server + 1);
    if (share <= 0) return 0;
    return unsigned(server + 1 + share + 1);
}

} // namespace

bool IsPathSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

int FindPathSeparator(const wchar_t* p)
{
    for (int i = 0; p[i] != 0; ++i)
        if (IsPathSeparator(p[i])) return i;
    return -1;
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

wchar_t AsciiUpper(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c;
}

bool IsLongPathPrefix(const wchar_t* p)
{
    return IsPathSeparator(p[0]) && IsPathSeparator(p[1]) && p[2] == L'?' && IsPathSeparator(p[3]);
}

bool IsDriveRootPath(const wchar_t* path)
{
    if (IsLongPathPrefix(path)) path += 4;
    return IsDrivePath(path) && path[3] == 0;
}

unsigned GetRootPrefixSize(const wchar_t* path)
{
    if (IsDevicePrefix(path)) return 4;
    if (IsLongPathPrefix(path)) {
        if (IsNetworkLongPathPrefix(path)) {
            const unsigned share = GetShareRootSize(path + 8);
            if (share) return 8 + share;
        }
        const int sep = FindPathSeparator(path + 4);
        return sep < 0 ? 0 : unsigned(4 + sep + 1);
    }
    if (IsDrivePath(path)) return 3;
    if (IsPathSeparator(path[0])) {
        if (IsPathSeparator(path[1])) {
            const unsigned share = GetShareRootSize(path + 2);
            return share ? 2 + share : 0;
        }
        return 1;
    }
    return 0;
}

unsigned GetNetworkServerPrefixSize(const wchar_t* path)
{
    if (!IsPathSeparator(path[0]) || !IsPathSeparator(path[1])) return 0;
    unsigned start = 2;
    if (IsNetworkLongPathPrefix(path))
        start = 8;
    else if (path[2] == L'.' || path[2] == L'?')
        return 0;
    const int sep = FindPathSeparator(path + start);
    if (sep <= 0) return 0;
    return start + unsigned(sep) + 1;
}

int FindAltStreamColon(const wchar_t* path)
{
    int begin = 0;
    if (IsAsciiLetter(path[0]) && path[1] == L':') {
        if (path[2] == 0) return -1;
        begin = 2;
    }
    int colon = -1;
    for (int i = begin; path[i] != 0; ++i) {
        if (IsPathSeparator(path[i]))
            colon = -1;
        else if (path[i] == L':' && colon < 0)
            colon = i;
    }
    return colon;
}

std::wstring ToExtendedLengthPath(const std::wstring& absolutePath)
{
    const wchar_t* p = absolutePath.c_str();
    if (IsLongPathPrefix(p) || IsDevicePrefix(p)) return absolutePath;
    std::wstring result;
    if (IsPathSeparator(p[0]) && IsPathSeparator(p[1]))
        result = L"\\\\?\\UNC\\" + absolutePath.substr(2);
    else if (IsDrivePath(p))
        result = L"\\\\?\\" + absolutePath;
    else
        return absolutePath;
    // The prefix switches off the system's own separator normalisation.
    for (wchar_t& c : result)
        if (c == L'/') c = L'\\';
    return result;
}

std::wstring WithLongPathPrefixIfNeeded(const std::wstring& absolutePath)
{
    const size_t kPlainPathLimit = 240;
    return absolutePath.size() >= kPlainPathLimit ? ToExtendedLengthPath(absolutePath) : absolutePath;
}

bool IsSameNameNoCase(const wchar_t* a, const wchar_t* b)
{
    auto fold = [](wchar_t c) -> wchar_t {
        if (c < 128) return AsciiUpper(c);
        return wchar_t(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(ULONG_PTR(c)))));
    };
    for (;; ++a, ++b) {
        if (fold(*a) != fold(*b)) return false;
        if (*a == 0) return true;
    }
}
