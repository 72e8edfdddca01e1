#include "common/ModuleFolder.h"

#include <windows.h>

namespace {

void ModuleAnchor() {}

} // namespace

std::wstring GetCurrentModulePath()
{
    // The module is found by an address of its own code, so a copy of this code in a DLL
    // would name the DLL, not whichever program loaded it.
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(reinterpret_cast<const void*>(&ModuleAnchor), &region, sizeof region) != sizeof region)
        return std::wstring();
    HMODULE module = static_cast<HMODULE>(region.AllocationBase);
    // A full buffer means the name was cut: grow it.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

std::wstring FolderOfPath(const std::wstring& path)
{
    for (size_t i = path.size(); i-- > 1;) {
        if (path[i] == L'\\' || path[i] == L'/') return path.substr(0, i + 1);
    }
    return std::wstring();
}

std::wstring GetCurrentModuleDirectory()
{
    return FolderOfPath(GetCurrentModulePath());
}
