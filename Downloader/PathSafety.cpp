#include "PathSafety.h"

#include "AsideCopies.h"
#include "PathRules.h"

#include <cwchar>

bool IsDeviceName(const std::wstring& component)
{
    // The device is named by the part before the first dot, trailing blanks ignored.
    std::wstring base = component.substr(0, component.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) c = AsciiUpper(c);
    static const wchar_t* const kDevices[] = { L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$" };
    for (const wchar_t* d : kDevices)
        if (base == d) return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t n = base[3];
        // Windows also maps the superscript digits 1-3 to the serial and parallel ports.
        if ((n >= L'0' && n <= L'9') || n == 0x00B9 || n == 0x00B2 || n == 0x00B3) return true;
    }
    return false;
}

bool EndsInDotOrBlank(const std::wstring& component)
{
    return !component.empty() && (component.back() == L'.' || component.back() == L' ');
}

bool IsSafeArchiveItemPath(const std::wstring& itemPath)
{
    if (itemPath.empty() || IsPathSeparator(itemPath[0])) return false;
    for (wchar_t c : itemPath) {
        if (c < 32) return false;
        if (std::wcschr(L"<>\"|?*:", c)) return false;
    }
    size_t start = 0;
    while (start <= itemPath.size()) {
        size_t end = itemPath.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = itemPath.size();
        const std::wstring component = itemPath.substr(start, end - start);
        // Empty components come from doubled or trailing separators and name nothing.
        if (!component.empty()) {
            // Dots-only names are ".." or are trimmed down to it or to nothing; "x." and "x " are
            // trimmed to another name.
            if (component.find_first_not_of(L". ") == std::wstring::npos) return false;
            if (EndsInDotOrBlank(component)) return false;
            if (IsDeviceName(component)) return false;
        }
        start = end + 1;
    }
    return true;
}

const wchar_t kVersionFileName[] = L"ZelUpGame.ini";

namespace {

const wchar_t kVersionTempSuffix[] = L".tmp";
const wchar_t kVersionBackupSuffix[] = L".bak";

} // namespace

std::wstring VersionTempPath(const std::wstring& finalPath)
{
    return finalPath + kVersionTempSuffix;
}

std::wstring VersionBackupPath(const std::wstring& finalPath)
{
    return finalPath + kVersionBackupSuffix;
}

bool IsFolderOwnFileName(const std::wstring& name)
{
    static const wchar_t* const kOwnFiles[] = { L"7z.dll",    L"ZelUpGame.ini", L"ZelLogin.ini", L"ZelLoader.exe",
                                                L"Login.exe", L"old.exe",       kAsideListName };
    for (const wchar_t* own : kOwnFiles)
        if (IsSameNameNoCase(name.c_str(), own)) return true;
    return false;
}

bool IsReservedItemPath(const std::wstring& itemPath)
{
    const size_t last = itemPath.find_last_of(L"\\/");
    const std::wstring name = last == std::wstring::npos ? itemPath : itemPath.substr(last + 1);
    if (IsAsideCopyName(name)) return true;
    const std::wstring version = kVersionFileName;
    if (IsSameNameNoCase(name.c_str(), VersionTempPath(version).c_str()) ||
        IsSameNameNoCase(name.c_str(), VersionBackupPath(version).c_str()))
        return true;
    return last == std::wstring::npos &&
           (IsSameNameNoCase(name.c_str(), kAsideListName) || IsSameNameNoCase(name.c_str(), kAsideListNewName));
}

bool IsUsableDownloadName(const std::wstring& name)
{
    if (name.find_first_of(L"\\/") != std::wstring::npos) return false;
    return IsSafeArchiveItemPath(name) && !IsFolderOwnFileName(name) && !IsReservedItemPath(name);
}
