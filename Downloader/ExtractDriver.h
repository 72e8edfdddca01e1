#pragma once
// Unpacks the downloaded package with the archive library ("7z.dll" beside the updater).
// The result says honestly whether everything was extracted: the game may be started only
// when it did.

#include "AsideCopies.h"
#include "ExtractProgress.h"

#include <windows.h>

#include <string>

enum class ExtractStatus {
    Succeeded,
    UnsupportedWindows,
    LibraryNotLoaded,
    NoCreateObject,
    NoClassObject,
    ArchiveFileNotOpened,
    NotAnArchive,
    // The library opened the file but reports it damaged (headers error, unexpected end, ...);
    // see ExtractResult::archiveErrors.
    BrokenArchive,
    OutputFolderNotCreated,
    // The library stopped the extraction (its result is in ExtractResult::result).
    ExtractFailed,
    // Items failed (data, CRC, unsafe path, disk errors); see ExtractResult::itemErrors.
    ItemErrors,
    OutOfMemory,
};

struct ExtractResult {
    ExtractStatus status = ExtractStatus::ExtractFailed;
    // The library's answer to Open or Extract, where it came that far.
    HRESULT result = S_OK;
    UINT64 itemErrors = 0;
    // The library's archive error bits; any of them means the package is not installed.
    UINT32 archiveErrors = 0;

    bool Succeeded() const { return status == ExtractStatus::Succeeded; }
};

// The diagnostic text of a status (the same words the driver prints).
const char* ExtractStatusMessage(ExtractStatus status);

// Loads the library from libraryPath, opens archivePath and extracts every item into
// outputFolder. Progress may be null. A target held by another program is tried again for
// up to inUseWaitMs before the extraction stops.
ExtractResult ExtractArchive(const std::wstring& libraryPath, const std::wstring& archivePath,
                             const std::wstring& outputFolder, IExtractProgress* progress,
                             DWORD inUseWaitMs = kInUseWaitMs);

// The updater's case: library, package and output folder all in the executable's folder.
ExtractResult ExtractPackage(const std::wstring& archiveName, IExtractProgress* progress);
