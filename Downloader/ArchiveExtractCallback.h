#pragma once
// Handed to the library for the extraction: gives it one output file per item, restores
// times and attributes, counts failed items and reports progress.
//
// The package's version file ("ZelUpGame.ini", in any folder) is written under a temporary
// name and only put in place by CommitVersionFiles, once everything else succeeded: an
// interrupted or failed extraction must never leave the new version behind.

#include "AsideCopies.h"
#include "ExtractProgress.h"
#include "FileSystem.h"
#include "OutFileStream.h"
#include "SevenZipInterfaces.h"
#include "SevenZipUnknown.h"

#include <atomic>
#include <string>
#include <vector>

class CArchiveExtractCallback final : public IArchiveExtractCallback,
                                      public ICryptoGetTextPassword,
                                      public CMyUnknownImp {
public:
    CArchiveExtractCallback() = default;

    // Holds a reference to the archive; the folder may be relative and gets a separator.
    void Init(IInArchive* archive, const std::wstring& outputFolder);
    void SetProgress(IExtractProgress* progress) { m_progress = progress; }
    // How long a target that another program holds is tried again (kInUseWaitMs).
    void SetInUseWait(DWORD milliseconds) { m_inUseWaitMs = milliseconds; }

    UINT64 ErrorCount() const { return m_errorCount.load(); }
    const std::wstring& OutputFolder() const { return m_outputFolder; }
    // Puts the held-back version files in place, all or none: false (and counted) when one
    // fails, and then every old version file is back as it was and no new one is left.
    bool CommitVersionFiles();
    // Deletes the held-back version files, leaving the old ones as they were.
    void DiscardVersionFiles();

    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override;
    ULONG __stdcall AddRef() override;
    ULONG __stdcall Release() override;

    HRESULT __stdcall SetTotal(UINT64 total) override;
    HRESULT __stdcall SetCompleted(const UINT64* completeValue) override;
    HRESULT __stdcall GetStream(UINT32 index, ISequentialOutStream** outStream, INT32 askExtractMode) override;
    HRESULT __stdcall PrepareOperation(INT32 askExtractMode) override;
    HRESULT __stdcall SetOperationResult(INT32 opRes) override;
    HRESULT __stdcall CryptoGetTextPassword(BSTR* password) override;

    bool PasswordIsDefined = false;
    std::wstring Password;

    // The attributes written to disk for an item's stored ones: archives made on Unix carry the
    // file mode in the high 16 bits, which the system must not see.
    static DWORD DiskAttributes(UINT32 archiveAttributes);

private:
    ~CArchiveExtractCallback() = default;
    HRESULT GetStreamImp(UINT32 index, ISequentialOutStream** outStream, INT32 askExtractMode);
    HRESULT SetOperationResultImp(INT32 opRes);
    HRESULT RefuseItem(const char* message);
    HRESULT RemoveFolderTarget(const std::wstring& diskPath);
    HRESULT OpenOutputFile(const std::wstring& diskPath, bool exists, ISequentialOutStream** outStream);
    void HoldBackVersionFile(const std::wstring& finalPath, bool remove);
    bool MoveWhileInUse(const std::wstring& from, const std::wstring& to, DWORD flags) const;
    bool ShouldStop() const { return m_progress && m_progress->ShouldStop(); }
    void CountError() { m_errorCount.fetch_add(1); }

    // A new version file under its temporary name, or (remove) one the package deletes.
    struct HeldBackFile {
        std::wstring tempPath;
        std::wstring finalPath;
        bool remove;
    };

    ComRef<IInArchive> m_archive;
    std::wstring m_outputFolder;
    std::wstring m_itemPath;
    std::wstring m_diskPath;
    bool m_extractMode = false;
    bool m_attribDefined = false;
    UINT32 m_attrib = 0;
    bool m_isFolder = false;
    bool m_isAnti = false;
    bool m_mtimeDefined = false;
    FILETIME m_mtime = { 0, 0 };
    COutFileStream* m_outFile = nullptr;
    ComRef<IOutStream> m_outFileRef;
    std::atomic<UINT64> m_total{ 0 };
    std::atomic<UINT64> m_errorCount{ 0 };
    std::vector<HeldBackFile> m_versionFiles;
    // Folders named by anti-items that could not be removed when their item came.
    std::vector<std::wstring> m_antiFoldersLeft;
    IExtractProgress* m_progress = nullptr;
    DWORD m_inUseWaitMs = kInUseWaitMs;
};
