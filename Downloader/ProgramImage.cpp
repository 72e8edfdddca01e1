#include "ProgramImage.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "WinInetTransfer.h"

namespace {

#if defined(__x86_64__) || defined(_M_X64)
const WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
#elif defined(__i386__) || defined(_M_IX86)
const WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
#elif defined(__aarch64__) || defined(_M_ARM64)
const WORD kOwnMachine = IMAGE_FILE_MACHINE_ARM64;
#else
#error "unknown machine"
#endif

// IMAGE_OPTIONAL_HEADER is this build's own kind (32- or 64-bit).
const WORD kOwnOptionalMagic = IMAGE_NT_OPTIONAL_HDR_MAGIC;

FileHandle OpenForReading(const std::wstring& path)
{
    return FileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool ReadAt(HANDLE file, LONGLONG offset, void* buffer, DWORD size)
{
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    DWORD read = 0;
    return ReadFile(file, buffer, size, &read, nullptr) && read == size;
}

} // namespace

bool IsStartableProgramImage(const std::wstring& path)
{
    FileHandle file = OpenForReading(path);
    if (!file.IsValid()) return false;

    // 1. The DOS header and where it says the PE headers are.
    IMAGE_DOS_HEADER dos;
    if (!ReadAt(file.Get(), 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    if (dos.e_lfanew < static_cast<LONG>(sizeof dos) || dos.e_lfanew > 0x10000000) return false;

    // 2. The signature, the file header and the optional header up to the subsystem.
    const size_t subsystemEnd = offsetof(IMAGE_OPTIONAL_HEADER, Subsystem) + sizeof(WORD);
    unsigned char headers[sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(IMAGE_OPTIONAL_HEADER)];
    const DWORD wanted = static_cast<DWORD>(sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + subsystemEnd);
    if (!ReadAt(file.Get(), dos.e_lfanew, headers, wanted)) return false;
    DWORD signature;
    IMAGE_FILE_HEADER fileHeader;
    IMAGE_OPTIONAL_HEADER optional;
    std::memset(&optional, 0, sizeof optional);
    std::memcpy(&signature, headers, sizeof signature);
    std::memcpy(&fileHeader, headers + sizeof signature, sizeof fileHeader);
    std::memcpy(&optional, headers + sizeof signature + sizeof fileHeader, subsystemEnd);
    if (signature != IMAGE_NT_SIGNATURE) return false;

    // 3. Ours to run: this machine, an executable and no DLL, a window program.
    if (fileHeader.Machine != kOwnMachine) return false;
    if (!(fileHeader.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) || (fileHeader.Characteristics & IMAGE_FILE_DLL))
        return false;
    if (fileHeader.SizeOfOptionalHeader < subsystemEnd) return false;
    return optional.Magic == kOwnOptionalMagic && optional.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

bool SameFileContents(const std::wstring& a, const std::wstring& b)
{
    FileHandle first = OpenForReading(a);
    FileHandle second = OpenForReading(b);
    if (!first.IsValid() || !second.IsValid()) return false;
    LARGE_INTEGER sizeA, sizeB;
    if (!GetFileSizeEx(first.Get(), &sizeA) || !GetFileSizeEx(second.Get(), &sizeB)) return false;
    if (sizeA.QuadPart != sizeB.QuadPart) return false;
    std::vector<char> bufferA(64 * 1024), bufferB(64 * 1024);
    for (;;) {
        DWORD readA = 0, readB = 0;
        if (!ReadFile(first.Get(), bufferA.data(), static_cast<DWORD>(bufferA.size()), &readA, nullptr)) return false;
        if (!ReadFile(second.Get(), bufferB.data(), static_cast<DWORD>(bufferB.size()), &readB, nullptr)) return false;
        if (readA != readB) return false;
        if (readA == 0) return true;
        if (std::memcmp(bufferA.data(), bufferB.data(), readA) != 0) return false;
    }
}
