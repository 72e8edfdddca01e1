#include "ProcessIds.h"

namespace {

// The platform's basic process record: six pointer-sized fields, the id fifth, the
// starter's id sixth.
struct ProcessBasicInfo {
    ULONG_PTR exitStatus;
    ULONG_PTR pebBaseAddress;
    ULONG_PTR affinityMask;
    ULONG_PTR basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR inheritedFromUniqueProcessId;
};
typedef LONG(WINAPI* QueryProcessFn)(HANDLE, int, PVOID, ULONG, PULONG);
const int kProcessBasicInformation = 0;

} // namespace

ProcessIds QueryProcessIds(HANDLE process)
{
    ProcessIds ids;
    // The system library is in every process from its start: it is never loaded or freed here.
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return ids;
    ids.result = ProcessIds::Result::Failed;
    auto query = reinterpret_cast<QueryProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")));
    ProcessBasicInfo info{};
    if (!query || query(process, kProcessBasicInformation, &info, sizeof(info), nullptr) < 0) return ids;
    ids.result = ProcessIds::Result::Read;
    ids.id = static_cast<DWORD>(info.uniqueProcessId);
    ids.parent = static_cast<DWORD>(info.inheritedFromUniqueProcessId);
    return ids;
}
