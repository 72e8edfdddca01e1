#include "ArchiveExtractCallback.h"

#include "ArchiveOpenCallback.h"
#include "AsideCopies.h"
#include "ExtractConsole.h"
#include "FileSystem.h"
#include "PathSafety.h"
#include "PropValue.h"
#include "common/TextConvert.h"

namespace {

const wchar_t kUnnamedItem[] = L"[Content]";
// How often a file held by another program is tried again.
const DWORD kInUseRetryMs = 200;

// One separator kind, no doubled separators: the "\\?\" form takes the path literally.
std::wstring NormalizeItemPath(const std::wstring& path)
{
    std::wstring out;
    out.reserve(path.size());
    for (wchar_t c : path) {
        if (IsPathSeparator(c)) {
            if (!out.empty() && out.back() == L'\\') continue;
            out.push_back(L'\\');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::wstring LastComponent(const std::wstring& path)
{
    const size_t pos = path.find_last_of(L"\\/");
    return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

bool PathExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring MakeAbsolute(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring out(needed, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), needed, &out[0], nullptr);
    if (n == 0 || n >= needed) return path;
    out.resize(n);
    return out;
}

const char* OperationResultText(INT32 result)
{
    switch (result) {
    case kOperationUnsupportedMethod:
        return "Unsupported Method";
    case kOperationDataError:
        return "Data Error";
    case kOperationCRCError:
        return "CRC Failed";
    default:
        return "Unknown Error";
    }
}

} // namespace

DWORD CArchiveExtractCallback::DiskAttributes(UINT32 archiveAttributes)
{
    return archiveAttributes >= 0x10000000u ? (archiveAttributes & 0x3FFF) : archiveAttributes;
}

void CArchiveExtractCallback::Init(IInArchive* archive, const std::wstring& outputFolder)
{
    m_errorCount.store(0);
    m_archive = ComRef<IInArchive>(archive);
    m_outputFolder = MakeAbsolute(outputFolder.empty() ? std::wstring(L".\\") : outputFolder);
    if (m_outputFolder.empty() || !IsPathSeparator(m_outputFolder.back())) m_outputFolder += L'\\';
}

HRESULT __stdcall CArchiveExtractCallback::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_ICryptoGetTextPassword) return E_NOINTERFACE;
    *out = static_cast<ICryptoGetTextPassword*>(this);
    AddRef();
    return S_OK;
}

ULONG __stdcall CArchiveExtractCallback::AddRef()
{
    return AddRefImp();
}

ULONG __stdcall CArchiveExtractCallback::Release()
{
    const ULONG count = ReleaseImp();
    if (count == 0) delete this;
    return count;
}

HRESULT __stdcall CArchiveExtractCallback::SetTotal(UINT64 total)
{
    m_total.store(total);
    return S_OK;
}

HRESULT __stdcall CArchiveExtractCallback::SetCompleted(const UINT64* completeValue)
{
    return GuardComCall([&]() -> HRESULT {
        if (m_progress && m_progress->ShouldStop()) return E_ABORT;
        if (completeValue && m_progress) m_progress->OnExtractProgress(*completeValue, m_total.load());
        return S_OK;
    });
}

HRESULT __stdcall CArchiveExtractCallback::GetStream(UINT32 index, ISequentialOutStream** outStream,
                                                     INT32 askExtractMode)
{
    return GuardComCall([&] { return GetStreamImp(index, outStream, askExtractMode); });
}

HRESULT CArchiveExtractCallback::GetStreamImp(UINT32 index, ISequentialOutStream** outStream, INT32 askExtractMode)
{
    // 1. Nothing of the previous item carries over.
    if (!outStream) return E_POINTER;
    *outStream = nullptr;
    if (ShouldStop()) return E_ABORT;
    m_outFile = nullptr;
    m_outFileRef.Reset();
    m_itemPath.clear();
    m_diskPath.clear();
    m_attribDefined = false;
    m_isFolder = false;
    m_isAnti = false;
    m_mtimeDefined = false;

    // 2. The item path; an item without one is written as "[Content]".
    {
        PropValue value;
        HRESULT hr = m_archive->GetProperty(index, kpidPath, &value);
        if (hr != S_OK) return hr;
        if ((*value).vt == VT_EMPTY)
            m_itemPath = kUnnamedItem;
        else if ((*value).vt == VT_BSTR)
            m_itemPath = (*value).bstrVal ? NormalizeItemPath((*value).bstrVal) : std::wstring();
        else
            return E_FAIL;
        if (m_itemPath.empty()) m_itemPath = kUnnamedItem;
    }

    // 3. Testing and skipping need no stream.
    if (askExtractMode != kAskExtract) return S_OK;

    // 4.-7. Attributes, folder flag, modification time, size.
    {
        PropValue value;
        HRESULT hr = m_archive->GetProperty(index, kpidAttrib, &value);
        if (hr != S_OK) return hr;
        if ((*value).vt == VT_UI4) {
            m_attrib = (*value).ulVal;
            m_attribDefined = true;
        } else if ((*value).vt != VT_EMPTY) {
            return E_FAIL;
        }
    }
    {
        HRESULT hr = IsArchiveItemFolder(m_archive.Get(), index, m_isFolder);
        if (hr != S_OK) return hr;
    }
    {
        PropValue value;
        HRESULT hr = m_archive->GetProperty(index, kpidMTime, &value);
        if (hr != S_OK) return hr;
        if ((*value).vt == VT_FILETIME) {
            m_mtime = (*value).filetime;
            m_mtimeDefined = true;
        } else if ((*value).vt != VT_EMPTY) {
            return E_FAIL;
        }
    }
    {
        // Read as the library expects it to be; the value is of no use here.
        PropValue value;
        HRESULT hr = m_archive->GetProperty(index, kpidSize, &value);
        if (hr != S_OK) return hr;
        UINT64 size = 0;
        bool defined = false;
        PropVariantToUInt64(*value, size, defined);
    }

    {
        PropValue value;
        HRESULT hr = m_archive->GetProperty(index, kpidIsAnti, &value);
        if (hr != S_OK) return hr;
        if ((*value).vt == VT_BOOL)
            m_isAnti = (*value).boolVal != VARIANT_FALSE;
        else if ((*value).vt != VT_EMPTY)
            return E_FAIL;
    }

    // 8. An item that would land outside the output folder, on a device or in a stream gets no
    // stream; it counts as failed so that the package is not taken as installed. The same
    // holds for an anti-item: it deletes only what an item of its name could have written.
    if (!IsSafeArchiveItemPath(m_itemPath)) return RefuseItem("Unsafe item path refused");

    // The updater's own bookkeeping is no package's to write or delete (its short aliases are
    // caught at the look-up below).
    if (IsReservedItemPath(m_itemPath)) return RefuseItem("Item name kept by the updater refused");

    std::wstring diskPath = WithLongPathPrefixIfNeeded(m_outputFolder + m_itemPath);

    // 9. The missing parent folders (an anti-item needs none: what it deletes is there or not).
    const size_t lastSeparator = m_itemPath.find_last_of(L'\\');
    if (lastSeparator != std::wstring::npos && !m_isAnti)
        CreateComplexDir(WithLongPathPrefixIfNeeded(m_outputFolder + m_itemPath.substr(0, lastSeparator)));

    // 10. A folder item is only created.
    if (m_isFolder && !m_isAnti) {
        m_diskPath = diskPath;
        if (!CreateComplexDir(diskPath)) {
            CountError();
            PrintExtractError("Can not create output folder", diskPath);
        }
        return S_OK;
    }

    // 11. What is at the path decides the rest; one look-up serves every step below. The
    // version file is held back, also when the item reaches it under another name the system
    // resolves to it: its short alias, which always holds a "~". Only such names need the
    // directory search that tells the long name; the others take the cheaper attribute read.
    const std::wstring itemName = LastComponent(m_itemPath);
    bool exists, isDir;
    std::wstring versionName;
    if (IsSameNameNoCase(itemName.c_str(), kVersionFileName)) versionName = itemName;
    if (itemName.find(L'~') != std::wstring::npos) {
        CFileInfo target;
        exists = FindFileInfo(target, diskPath);
        isDir = exists && target.IsDir();
        if (versionName.empty() && exists && !isDir && IsSameNameNoCase(target.Name.c_str(), kVersionFileName))
            versionName = target.Name;
        if (exists && IsReservedItemPath(m_itemPath.substr(0, lastSeparator + 1) + target.Name))
            return RefuseItem("Item name kept by the updater refused");
    } else {
        const DWORD attrib = GetFileAttributesW(diskPath.c_str());
        exists = attrib != INVALID_FILE_ATTRIBUTES;
        isDir = exists && (attrib & FILE_ATTRIBUTE_DIRECTORY);
    }
    const std::wstring finalVersionPath =
        versionName.empty() ? std::wstring() : diskPath.substr(0, diskPath.size() - itemName.size()) + versionName;

    // 12. An anti-item deletes only what an item of its name and kind could have written: a
    // folder anti-item an empty folder, a file anti-item a file. Nothing there, or something of
    // the other kind (the player's own, or what the new release puts there), is left as it is.
    if (m_isAnti) {
        if (m_isFolder != isDir) return S_OK;
        if (m_isFolder) return RemoveFolderTarget(diskPath);
        if (!versionName.empty()) {
            HoldBackVersionFile(finalVersionPath, true);
            return S_OK;
        }
        return exists ? OpenOutputFile(diskPath, true, nullptr) : S_OK;
    }

    // 13. A file item replaces what is there.
    if (!versionName.empty()) {
        HoldBackVersionFile(finalVersionPath, false);
        diskPath = VersionTempPath(finalVersionPath);
        return OpenOutputFile(diskPath, PathExists(diskPath), outStream);
    }
    return OpenOutputFile(diskPath, exists, outStream);
}

HRESULT CArchiveExtractCallback::RefuseItem(const char* message)
{
    // The item gets no stream and counts as failed, so that the package is not taken as installed.
    CountError();
    PrintExtractError(message, m_itemPath);
    return S_OK;
}

void CArchiveExtractCallback::HoldBackVersionFile(const std::wstring& finalPath, bool remove)
{
    const std::wstring tempPath = VersionTempPath(finalPath);
    for (HeldBackFile& f : m_versionFiles) {
        if (f.tempPath != tempPath) continue;
        // The later item of the same name wins, as it would on disk.
        f.remove = remove;
        if (remove) DeleteFileAlways(tempPath);
        return;
    }
    m_versionFiles.push_back(HeldBackFile{ tempPath, finalPath, remove });
}

HRESULT CArchiveExtractCallback::RemoveFolderTarget(const std::wstring& diskPath)
{
    // A folder the player filled with files of his own stays; only an empty one goes. It may
    // hold a version file that goes only at the end, and a program may have its current
    // directory there or look into it for a moment: it is tried again at the end. A folder left
    // is harmless, so it fails nothing.
    if (!RemoveDirectoryW(diskPath.c_str())) m_antiFoldersLeft.push_back(diskPath);
    return S_OK;
}

HRESULT CArchiveExtractCallback::OpenOutputFile(const std::wstring& diskPath, bool exists,
                                                ISequentialOutStream** outStream)
{
    // A target that nothing holds with data access is deleted, its name free at once also where
    // a handle without data access (the shell's, an indexer's) still holds it. One in use is
    // moved aside and the new file written in its place: a rename is allowed wherever the
    // holder shares delete (a running program, a loaded library, an indexer or a game helper
    // that shares everything), while a delete would only leave the name taken until the holder
    // lets go. One that cannot even be moved
    // (held without delete sharing, as a virus scanner or a crash reporter briefly does) is
    // tried again for a while before the extraction stops. Without an out stream the target is
    // only removed (an anti-item).
    AsideMove aside(m_outputFolder, diskPath);
    const ULONGLONG deadline = GetTickCount64() + m_inUseWaitMs;
    for (bool first = true;; first = false) {
        const char* failure = nullptr;
        DWORD error = 0;
        // After the first round the disk is looked at again: the holder may have let go.
        bool present = first ? exists : PathExists(diskPath);
        if (present) {
            if (aside.DeleteNotInUse()) {
                present = false;
            } else {
                error = GetLastError();
                const DWORD attrib = GetFileAttributesW(diskPath.c_str());
                if (attrib == INVALID_FILE_ATTRIBUTES) {
                    present = false;
                } else if (attrib & FILE_ATTRIBUTE_DIRECTORY) {
                    error = ERROR_ALREADY_EXISTS;
                } else if (IsInUseError(error)) {
                    if (aside.Move())
                        present = false;
                    else
                        error = GetLastError();
                }
                if (present)
                    failure = aside.ListFailed() ? "Can not list the file moved aside" : "Can not delete output file";
            }
        }
        if (!present) {
            if (!outStream) return S_OK;
            COutFileStream* stream = new COutFileStream;
            ComRef<IOutStream> streamRef(stream);
            if (stream->Create(diskPath)) {
                m_diskPath = diskPath;
                m_outFile = stream;
                m_outFileRef = streamRef;
                stream->AddRef();
                *outStream = stream;
                return S_OK;
            }
            error = GetLastError();
            failure = "Can not open output file";
        }
        if (!IsInUseError(error) || ShouldStop() || GetTickCount64() >= deadline) {
            PrintExtractError(failure, diskPath);
            return E_ABORT;
        }
        Sleep(kInUseRetryMs);
    }
}

HRESULT __stdcall CArchiveExtractCallback::PrepareOperation(INT32 askExtractMode)
{
    return GuardComCall([&]() -> HRESULT {
        m_extractMode = askExtractMode == kAskExtract;
        const char* verb = "Extracting  ";
        if (askExtractMode == kAskTest) verb = "Testing     ";
        if (askExtractMode == kAskSkip) verb = "Skipping    ";
        std::string line = verb;
        line += WideToCodePage(m_itemPath, CP_OEMCP);
        PrintExtractText(line.c_str());
        return S_OK;
    });
}

HRESULT __stdcall CArchiveExtractCallback::SetOperationResult(INT32 opRes)
{
    return GuardComCall([&] { return SetOperationResultImp(opRes); });
}

HRESULT CArchiveExtractCallback::SetOperationResultImp(INT32 opRes)
{
    // 1. A failed item is counted and named.
    if (opRes != kOperationOK) {
        CountError();
        std::string text = "  :   Error : ";
        text += OperationResultText(opRes);
        PrintExtractText(text.c_str());
    }

    // 2.-3. Time, close and release; the stream goes even when closing fails.
    HRESULT closeResult = S_OK;
    if (m_outFile) {
        if (m_mtimeDefined) m_outFile->SetMTime(m_mtime);
        closeResult = m_outFile->Close();
        m_outFile = nullptr;
        m_outFileRef.Reset();
        if (closeResult != S_OK) {
            CountError();
            PrintExtractError("Can not close output file", m_diskPath);
        }
    }

    // 4. Attributes.
    if (closeResult == S_OK && m_extractMode && m_attribDefined && !m_diskPath.empty())
        SetFileAttributesW(m_diskPath.c_str(), DiskAttributes(m_attrib));

    // 5. End of the item's line.
    PrintExtractText("\n");
    return closeResult;
}

HRESULT __stdcall CArchiveExtractCallback::CryptoGetTextPassword(BSTR* password)
{
    return AnswerPasswordRequest(PasswordIsDefined, Password, password);
}

bool CArchiveExtractCallback::MoveWhileInUse(const std::wstring& from, const std::wstring& to, DWORD flags) const
{
    // A version file the game or a scanner holds for a moment is waited for, as every target.
    const ULONGLONG deadline = GetTickCount64() + m_inUseWaitMs;
    for (;;) {
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return true;
        const DWORD error = GetLastError();
        if (!IsInUseError(error) || ShouldStop() || GetTickCount64() >= deadline) {
            SetLastError(error);
            return false;
        }
        Sleep(kInUseRetryMs);
    }
}

bool CArchiveExtractCallback::CommitVersionFiles()
{
    // Every new version file is already whole under its temporary name. Each old one is moved
    // aside before its new one goes in, so that a failure at any file can put back every file
    // before it: the version on disk is then the old one everywhere, never a mix.
    struct Done {
        const HeldBackFile* file;
        bool hadOld;
        DWORD oldAttributes;
    };
    std::vector<Done> done;
    bool ok = true;
    for (const HeldBackFile& f : m_versionFiles) {
        const std::wstring backup = VersionBackupPath(f.finalPath);
        const DWORD attrib = GetFileAttributesW(f.finalPath.c_str());
        const bool hadOld = attrib != INVALID_FILE_ATTRIBUTES;
        if (hadOld) {
            // A read-only old version refuses to be moved over later; it gets its attributes back
            // when it is put back.
            if (attrib & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesW(f.finalPath.c_str(), attrib & ~DWORD(FILE_ATTRIBUTE_READONLY));
            if (!MoveWhileInUse(f.finalPath, backup, MOVEFILE_REPLACE_EXISTING)) {
                SetFileAttributesW(f.finalPath.c_str(), attrib);
                ok = false;
                PrintExtractError("Can not move aside the old version file", f.finalPath);
                break;
            }
        }
        // A version file the package deletes stays aside as the backup until all is done.
        if (!f.remove && !MoveWhileInUse(f.tempPath, f.finalPath, 0)) {
            if (hadOld && MoveWhileInUse(backup, f.finalPath, MOVEFILE_REPLACE_EXISTING))
                SetFileAttributesW(f.finalPath.c_str(), attrib);
            ok = false;
            PrintExtractError("Can not rename output file", f.finalPath);
            break;
        }
        done.push_back(Done{ &f, hadOld, attrib });
    }

    if (ok) {
        for (const Done& d : done)
            if (d.hadOld) DeleteFileAlways(VersionBackupPath(d.file->finalPath));
        for (const std::wstring& folder : m_antiFoldersLeft) RemoveDirectoryW(folder.c_str());
    } else {
        CountError();
        // Newest first, every committed file goes back to what it was.
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            const std::wstring& finalPath = it->file->finalPath;
            bool restored;
            if (it->hadOld) {
                restored = MoveWhileInUse(VersionBackupPath(finalPath), finalPath, MOVEFILE_REPLACE_EXISTING);
                if (restored) SetFileAttributesW(finalPath.c_str(), it->oldAttributes);
            } else {
                restored = it->file->remove || DeleteFileAlways(finalPath);
            }
            if (!restored) PrintExtractError("Can not put back the old version file", finalPath);
        }
        for (const HeldBackFile& f : m_versionFiles)
            if (!f.remove) DeleteFileAlways(f.tempPath);
    }
    m_versionFiles.clear();
    return ok;
}

void CArchiveExtractCallback::DiscardVersionFiles()
{
    // A stopped extraction may leave the last file open, and an open file cannot be deleted.
    if (m_outFile) {
        m_outFile->Close();
        m_outFile = nullptr;
        m_outFileRef.Reset();
    }
    for (const HeldBackFile& f : m_versionFiles)
        if (!f.remove) DeleteFileAlways(f.tempPath);
    m_versionFiles.clear();
}
