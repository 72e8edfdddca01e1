#include "ExtractDriver.h"

#include "ArchiveExtractCallback.h"
#include "ArchiveOpenCallback.h"
#include "ExtractConsole.h"
#include "FileSystem.h"
#include "InFileStream.h"
#include "PropValue.h"
#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"
#include "common/ModuleFolder.h"

#include <cstdio>
#include <new>

namespace {

const wchar_t kLibraryName[] = L"7z.dll";
// How far into the file the library looks for the archive signature.
const UINT64 kMaxCheckStartPosition = 0x800000;

class Library {
public:
    explicit Library(const std::wstring& path) : m_module(LoadLibraryW(path.c_str())) {}
    ~Library()
    {
        if (m_module) FreeLibrary(m_module);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE Get() const { return m_module; }

private:
    HMODULE m_module;
};

bool IsNtPlatform()
{
    OSVERSIONINFOW info;
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

ExtractResult Fail(ExtractStatus status, HRESULT result = S_OK)
{
    ExtractResult r;
    r.status = status;
    r.result = result;
    return r;
}

// The archive's error bits, with a bit of our own when the library gives only a text. The
// library opens some damaged archives without failing (a header it cannot read, a cut end)
// and says so only here.
const UINT32 kErrorTextOnly = 0x80000000u;

UINT32 ArchiveErrors(IInArchive* archive)
{
    UINT32 errors = 0;
    {
        PropValue value;
        if (archive->GetArchiveProperty(kpidErrorFlags, &value) == S_OK && (*value).vt == VT_UI4)
            errors = (*value).ulVal;
    }
    if (errors == 0) {
        PropValue value;
        if (archive->GetArchiveProperty(kpidError, &value) == S_OK && (*value).vt == VT_BSTR && (*value).bstrVal &&
            (*value).bstrVal[0])
            errors = kErrorTextOnly;
    }
    return errors;
}

void PrintArchiveErrors(UINT32 errors, const std::wstring& archivePath)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s (0x%08lX)", ExtractStatusMessage(ExtractStatus::BrokenArchive),
                  static_cast<unsigned long>(errors));
    PrintExtractError(text, archivePath);
}

ExtractResult Run(const std::wstring& libraryPath, const std::wstring& archivePath, const std::wstring& outputFolder,
                  IExtractProgress* progress, DWORD inUseWaitMs)
{
    // 1. Platform.
    if (!IsNtPlatform()) {
        PrintExtractError(ExtractStatusMessage(ExtractStatus::UnsupportedWindows));
        return Fail(ExtractStatus::UnsupportedWindows);
    }
    InitFindStreamFunctions();

    // 2.-4. The library and its 7z handler. Declared first, the library outlives every
    // object that runs its code.
    Library library(libraryPath);
    if (!library.Get()) {
        PrintExtractError(ExtractStatusMessage(ExtractStatus::LibraryNotLoaded));
        return Fail(ExtractStatus::LibraryNotLoaded);
    }
    const CreateObjectFunc createObject =
        reinterpret_cast<CreateObjectFunc>(reinterpret_cast<void*>(GetProcAddress(library.Get(), "CreateObject")));
    if (!createObject) {
        PrintExtractError(ExtractStatusMessage(ExtractStatus::NoCreateObject));
        return Fail(ExtractStatus::NoCreateObject);
    }
    ComRef<IInArchive> archive;
    HRESULT hr = createObject(&CLSID_CFormat7z, &IID_IInArchive, reinterpret_cast<void**>(archive.Receive()));
    if (hr != S_OK || !archive) {
        PrintExtractError(ExtractStatusMessage(ExtractStatus::NoClassObject));
        return Fail(ExtractStatus::NoClassObject, hr);
    }

    // 5. The package file.
    CInFileStream* fileStream = new CInFileStream;
    ComRef<IInStream> file(fileStream);
    if (!fileStream->Open(archivePath)) {
        const HRESULT reason = HResultFromLastError();
        PrintExtractError(ExtractStatusMessage(ExtractStatus::ArchiveFileNotOpened), archivePath);
        return Fail(ExtractStatus::ArchiveFileNotOpened, reason);
    }

    // 6. Open it as an archive. S_FALSE means "not of this format": only S_OK is success.
    ComRef<IArchiveOpenCallback> openCallback(new CArchiveOpenCallback);
    hr = archive->Open(file.Get(), &kMaxCheckStartPosition, openCallback.Get());
    if (hr != S_OK) {
        PrintExtractError(ExtractStatusMessage(ExtractStatus::NotAnArchive), archivePath);
        return Fail(ExtractStatus::NotAnArchive, hr);
    }
    // Opened is not enough: a damaged archive must not count as installed.
    UINT32 errors = ArchiveErrors(archive.Get());
    if (errors != 0) {
        PrintArchiveErrors(errors, archivePath);
        ExtractResult broken = Fail(ExtractStatus::BrokenArchive, hr);
        broken.archiveErrors = errors;
        archive->Close();
        return broken;
    }

    // 7.-8. Extract everything, into a folder that exists (the updater's own always does).
    CArchiveExtractCallback* callback = new CArchiveExtractCallback;
    ComRef<IArchiveExtractCallback> callbackRef(callback);
    callback->Init(archive.Get(), outputFolder);
    const std::wstring& folder = callback->OutputFolder();
    if (!CreateComplexDir(WithLongPathPrefixIfNeeded(folder))) {
        const HRESULT reason = HResultFromLastError();
        PrintExtractError(ExtractStatusMessage(ExtractStatus::OutputFolderNotCreated), folder);
        return Fail(ExtractStatus::OutputFolderNotCreated, reason);
    }
    callback->SetProgress(progress);
    callback->SetInUseWait(inUseWaitMs);
    callback->PasswordIsDefined = false;
    hr = archive->Extract(nullptr, 0xFFFFFFFFu, 0, callbackRef.Get());

    // 9. Only a complete extraction puts the new version file in place.
    // Some damage shows only while the data is read (an unexpected end).
    ExtractResult result;
    result.result = hr;
    errors = ArchiveErrors(archive.Get());
    result.archiveErrors = errors;
    if (hr == S_OK && errors == 0 && callback->ErrorCount() == 0 && callback->CommitVersionFiles()) {
        result.status = ExtractStatus::Succeeded;
    } else {
        callback->DiscardVersionFiles();
        if (hr != S_OK)
            result.status = ExtractStatus::ExtractFailed;
        else if (errors != 0)
            result.status = ExtractStatus::BrokenArchive;
        else
            result.status = ExtractStatus::ItemErrors;
        if (result.status == ExtractStatus::BrokenArchive)
            PrintArchiveErrors(errors, archivePath);
        else
            PrintExtractError(ExtractStatusMessage(result.status), archivePath);
    }
    result.itemErrors = callback->ErrorCount();

    // 10. The objects go before the library does (scope order).
    archive->Close();
    return result;
}

} // namespace

const char* ExtractStatusMessage(ExtractStatus status)
{
    switch (status) {
    case ExtractStatus::Succeeded:
        return "Everything is Ok";
    case ExtractStatus::UnsupportedWindows:
        return "Unsupported Windows version";
    case ExtractStatus::LibraryNotLoaded:
        return "Can not load 7-zip library";
    case ExtractStatus::NoCreateObject:
        return "Can not get CreateObject";
    case ExtractStatus::NoClassObject:
        return "Can not get class object";
    case ExtractStatus::ArchiveFileNotOpened:
        return "Can not open archive file";
    case ExtractStatus::NotAnArchive:
        return "Can not open file as archive";
    case ExtractStatus::BrokenArchive:
        return "The archive has errors";
    case ExtractStatus::OutputFolderNotCreated:
        return "Can not create output folder";
    case ExtractStatus::ExtractFailed:
        return "Extraction stopped";
    case ExtractStatus::ItemErrors:
        return "Extraction had errors";
    case ExtractStatus::OutOfMemory:
        return "Out of memory";
    }
    return "Unknown error";
}

ExtractResult ExtractArchive(const std::wstring& libraryPath, const std::wstring& archivePath,
                             const std::wstring& outputFolder, IExtractProgress* progress, DWORD inUseWaitMs)
{
    try {
        return Run(libraryPath, archivePath, outputFolder, progress, inUseWaitMs);
    } catch (const std::bad_alloc&) {
        return Fail(ExtractStatus::OutOfMemory, E_OUTOFMEMORY);
    } catch (...) {
        return Fail(ExtractStatus::ExtractFailed, E_FAIL);
    }
}

ExtractResult ExtractPackage(const std::wstring& archiveName, IExtractProgress* progress)
{
    try {
        std::wstring folder = GetCurrentModuleDirectory();
        if (folder.empty()) folder = L".\\";
        return ExtractArchive(folder + kLibraryName, folder + archiveName, folder, progress);
    } catch (const std::bad_alloc&) {
        return Fail(ExtractStatus::OutOfMemory, E_OUTOFMEMORY);
    }
}
