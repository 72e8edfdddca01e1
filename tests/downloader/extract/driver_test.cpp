// The extraction driver on real 7z archives (made at build time by the native 7zz) through
// the MinGW-built 7z.dll, in process and through the ZelExtract program.

#include "AsideCopies.h"
#include "ExtractDriver.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

std::wstring Library()
{
    return ExeFolder() + L"7z.dll";
}

class LastProgress final : public IExtractProgress {
public:
    void OnExtractProgress(UINT64 completed, UINT64 total) override
    {
        this->completed = completed;
        this->total = total;
        ++calls;
    }
    std::atomic<UINT64> completed{ 0 }, total{ 0 };
    std::atomic<int> calls{ 0 };
};

std::string Narrow(const std::wstring& s)
{
    return testing::PrintToString(s);
}

// Program arguments: quoted, and without the trailing backslash that would escape the quote.
std::wstring Quoted(std::wstring path)
{
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return L"\"" + path + L"\"";
}

std::set<std::wstring> Names(const std::wstring& root)
{
    std::set<std::wstring> names;
    for (const auto& entry : ReadTree(root)) names.insert(entry.first);
    return names;
}

// The driver's result for an archive, extracted into a fresh folder of the test's name.
class ExtractDriver : public testing::Test {
protected:
    void SetUp() override
    {
        const char* name = testing::UnitTest::GetInstance()->current_test_info()->name();
        out = FreshFolder(L"driver_" + std::wstring(name, name + strlen(name)));
    }
    ExtractResult Extract(const wchar_t* fixture)
    {
        return ExtractArchive(Library(), Fixture(fixture), out, &progress);
    }
    std::wstring out;
    LastProgress progress;
};

TEST_F(ExtractDriver, GoodPackageEqualsReferenceTree)
{
    const ExtractResult r = Extract(L"good.7z");
    EXPECT_EQ(r.status, ExtractStatus::Succeeded);
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.itemErrors, 0u);

    const auto expected = ReadTree(Fixture(L"ref\\good"));
    const auto actual = ReadTree(out);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Names(out), Names(Fixture(L"ref\\good")));
    for (const auto& e : expected) {
        SCOPED_TRACE(Narrow(e.first));
        auto a = actual.find(e.first);
        ASSERT_NE(a, actual.end());
        EXPECT_EQ(a->second.folder, e.second.folder);
        if (e.second.folder) continue;
        EXPECT_EQ(a->second.content, e.second.content);
        EXPECT_EQ(CompareFileTime(&a->second.mtime, &e.second.mtime), 0);
        EXPECT_EQ(a->second.attributes & 0x3FFF, e.second.attributes & 0x3FFF);
        // A package made on Linux carries the Unix mode in the high bits; none reach the disk.
        EXPECT_EQ(a->second.attributes & ~DWORD(0x3FFF), 0u);
    }
    EXPECT_TRUE(actual.at(L"locked.txt").attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(actual.at(L"emptydir").folder);
    EXPECT_EQ(actual.at(L"bin\\data\\deep\\blob.bin").content.size(), 600000u);

    // Progress ends at the total.
    EXPECT_GT(progress.calls.load(), 0);
    EXPECT_GT(progress.total.load(), 600000u);
    EXPECT_EQ(progress.completed.load(), progress.total.load());
}

TEST_F(ExtractDriver, MultiThreadedDecodingEqualsReferenceTree)
{
    EXPECT_EQ(Extract(L"threads.7z").status, ExtractStatus::Succeeded);
    const auto expected = ReadTree(Fixture(L"ref\\threads"));
    const auto actual = ReadTree(out);
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& e : expected) {
        SCOPED_TRACE(Narrow(e.first));
        auto a = actual.find(e.first);
        ASSERT_NE(a, actual.end());
        EXPECT_EQ(a->second.content, e.second.content);
        if (!e.second.folder) {
            EXPECT_EQ(CompareFileTime(&a->second.mtime, &e.second.mtime), 0);
        }
    }
}

TEST_F(ExtractDriver, ReadOnlyFileIsReplaced)
{
    WriteWholeFile(out + L"locked.txt", "old content");
    ASSERT_TRUE(SetFileAttributesW((out + L"locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Extract(L"good.7z").status, ExtractStatus::Succeeded);
    EXPECT_EQ(ReadWholeFile(out + L"locked.txt"), "read only\r\n");
}

TEST_F(ExtractDriver, ItemWithoutNameIsContent)
{
    EXPECT_EQ(Extract(L"unnamed.7z").status, ExtractStatus::Succeeded);
    EXPECT_EQ(ReadWholeFile(out + L"[Content]"), "unnamed content\n");
    EXPECT_EQ(Names(out), std::set<std::wstring>{ L"[Content]" });
}

TEST_F(ExtractDriver, PathBeyondMaxPath)
{
    EXPECT_EQ(Extract(L"long.7z").status, ExtractStatus::Succeeded);
    std::wstring path = L"\\\\?\\" + out;
    for (int i = 0; i < 9; ++i) {
        wchar_t part[64];
        _snwprintf(part, 64, L"folder%02d_abcdefghijklmnopqrstuvwxyz\\", i);
        path += part;
    }
    path += L"long.txt";
    ASSERT_GT(path.size(), size_t(MAX_PATH));
    EXPECT_EQ(ReadWholeFile(path), "far down\n");
}

TEST_F(ExtractDriver, FailuresBeforeExtraction)
{
    const struct {
        std::wstring library;
        std::wstring archive;
        ExtractStatus status;
        HRESULT result;
    } cases[] = {
        { ExeFolder() + L"missing\\7z.dll", Fixture(L"good.7z"), ExtractStatus::LibraryNotLoaded, S_OK },
        // A library without the entry point.
        { L"kernel32.dll", Fixture(L"good.7z"), ExtractStatus::NoCreateObject, S_OK },
        { Library(), Fixture(L"absent.7z"), ExtractStatus::ArchiveFileNotOpened, HRESULT(0x80070002) },
        // An HTML error page in place of the package: the library says S_FALSE, not a failure code.
        { Library(), Fixture(L"page.7z"), ExtractStatus::NotAnArchive, S_FALSE },
        // Encrypted headers: the open callback has no password to give.
        { Library(), Fixture(L"enchead.7z"), ExtractStatus::NotAnArchive, E_ABORT },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.archive) + " with " + Narrow(c.library));
        const ExtractResult r = ExtractArchive(c.library, c.archive, out, nullptr);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.result, c.result);
        EXPECT_FALSE(r.Succeeded());
        EXPECT_TRUE(ReadTree(out).empty());
    }
}

TEST_F(ExtractDriver, MissingOutputFolderIsCreatedUnlessBlocked)
{
    EXPECT_EQ(ExtractArchive(Library(), Fixture(L"unnamed.7z"), out + L"new\\deeper", nullptr).status,
              ExtractStatus::Succeeded);
    EXPECT_TRUE(FileExists(out + L"new\\deeper\\[Content]"));

    WriteWholeFile(out + L"file", "in the way");
    const ExtractResult r = ExtractArchive(Library(), Fixture(L"unnamed.7z"), out + L"file\\below", nullptr);
    EXPECT_EQ(r.status, ExtractStatus::OutputFolderNotCreated);
    EXPECT_TRUE(FAILED(r.result));
    EXPECT_EQ(ReadWholeFile(out + L"file"), "in the way");
}

TEST_F(ExtractDriver, EncryptedDataStopsAtThePasswordRequest)
{
    const ExtractResult r = Extract(L"encdata.7z");
    EXPECT_EQ(r.status, ExtractStatus::ExtractFailed);
    EXPECT_EQ(r.result, E_ABORT);
    EXPECT_NE(ReadWholeFile(out + L"secret.txt").find("top secret"), 0u);
}

TEST_F(ExtractDriver, CorruptedItemFailsAndKeepsTheOldVersion)
{
    WriteWholeFile(out + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
    const ExtractResult r = Extract(L"broken.7z");
    EXPECT_EQ(r.status, ExtractStatus::ItemErrors);
    EXPECT_EQ(r.result, S_OK);
    EXPECT_EQ(r.itemErrors, 1u);
    EXPECT_EQ(ReadWholeFile(out + L"first.txt"), "first file\n");
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "[Version]\r\nVersion=1\r\n");
    EXPECT_EQ(Names(out), (std::set<std::wstring>{ L"ZelUpGame.ini", L"first.txt", L"payload.bin" }));
}

TEST_F(ExtractDriver, VersionFilesArePutInPlace)
{
    WriteWholeFile(out + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
    SetFileAttributesW((out + L"ZelUpGame.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(Extract(L"version.7z").status, ExtractStatus::Succeeded);
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "[Version]\r\nVersion=2\r\n");
    EXPECT_EQ(ReadWholeFile(out + L"sub\\zelupgame.INI"), "sub v2\n");
    EXPECT_EQ(Names(out), (std::set<std::wstring>{ L"ZelUpGame.ini", L"game.txt", L"sub", L"sub\\zelupgame.INI" }));
}

TEST_F(ExtractDriver, HostileNamesAreRefused)
{
    const wchar_t* const kinds[] = { L"dotdot",     L"inner_dotdot", L"trailing_dotdot", L"drive",  L"drive_relative",
                                     L"rooted",     L"unc",          L"long_prefix",     L"stream", L"device",
                                     L"device_ext", L"dots_only",    L"backslash_drive" };
    for (const wchar_t* kind : kinds) {
        SCOPED_TRACE(Narrow(kind));
        const std::wstring base = FreshFolder(std::wstring(L"hostile_") + kind);
        const std::wstring target = base + L"out\\";
        const ExtractResult r =
            ExtractArchive(Library(), Fixture(std::wstring(L"hostile_") + kind + L".7z"), target, nullptr);
        EXPECT_EQ(r.status, ExtractStatus::ItemErrors);
        EXPECT_EQ(r.itemErrors, 1u);
        // Only the good neighbour was written, and nothing beside the output folder.
        EXPECT_EQ(Names(base), (std::set<std::wstring>{ L"out", L"out\\ok.txt" }));
        EXPECT_EQ(ReadWholeFile(target + L"ok.txt"), "good neighbour\n");
        EXPECT_FALSE(FileExists(L"C:\\zel_escaped.txt"));
        EXPECT_FALSE(FileExists(out.substr(0, 2) + L"\\zel_escaped.txt"));
    }
}

// A backslash stored in a 7z name is not a separator to the library: such an item may be
// written, but only as one file directly in the output folder.
TEST_F(ExtractDriver, StoredBackslashesStayInside)
{
    const wchar_t* const kinds[] = { L"backslash_dotdot", L"backslash_rooted" };
    for (const wchar_t* kind : kinds) {
        SCOPED_TRACE(Narrow(kind));
        const std::wstring base = FreshFolder(std::wstring(L"hostile_") + kind);
        const std::wstring target = base + L"out\\";
        ExtractArchive(Library(), Fixture(std::wstring(L"hostile_") + kind + L".7z"), target, nullptr);
        EXPECT_EQ(ReadWholeFile(target + L"ok.txt"), "good neighbour\n");
        for (const std::wstring& name : Names(base)) {
            EXPECT_EQ(name.compare(0, 3, L"out"), 0) << Narrow(name);
            EXPECT_EQ(name.find(L'\\', 4), std::wstring::npos) << Narrow(name);
        }
        EXPECT_FALSE(FileExists(base + L"escaped.txt"));
        EXPECT_FALSE(FileExists(out.substr(0, 2) + L"\\zel_escaped.txt"));
    }
}

TEST_F(ExtractDriver, BrokenHeadersAreNotInstalled)
{
    // 39 bytes that the library opens without failing, but flags as a headers error.
    WriteWholeFile(out + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
    const ExtractResult r = Extract(L"broken_headers.7z");
    EXPECT_EQ(r.status, ExtractStatus::BrokenArchive);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_NE(r.archiveErrors & 0x2u, 0u) << std::hex << r.archiveErrors;
    EXPECT_EQ(Names(out), std::set<std::wstring>{ L"ZelUpGame.ini" });
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "[Version]\r\nVersion=1\r\n");
}

// Anti-items of a differential package over the installed tree it was made against.
TEST_F(ExtractDriver, AntiItemsDeleteWhatTheyName)
{
    const auto installed = ReadTree(Fixture(L"ref\\anti_base"));
    for (const auto& e : installed) {
        if (e.first == L"game\\never.txt") continue; // one anti-item names nothing on disk
        if (e.second.folder)
            CreateDirectoryW((out + e.first).c_str(), nullptr);
        else
            WriteWholeFile(out + e.first, e.second.content);
    }
    // A file of the player's own keeps its folder.
    WriteWholeFile(out + L"game\\full\\mine.txt", "the player's\n");

    const ExtractResult r = Extract(L"anti.7z");
    EXPECT_EQ(r.status, ExtractStatus::Succeeded);
    EXPECT_EQ(r.itemErrors, 0u);
    EXPECT_EQ(Names(out),
              (std::set<std::wstring>{ L"game", L"game\\keep.txt", L"game\\full", L"game\\full\\mine.txt" }));
    EXPECT_EQ(ReadWholeFile(out + L"game\\keep.txt"), "keep v2\n");

    // Named outside the folder, an anti-item deletes nothing and fails the package.
    const std::wstring base = FreshFolder(L"anti_hostile");
    const std::wstring target = base + L"out\\";
    WriteWholeFile(base + L"escaped.txt", "beside the game\n");
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    const ExtractResult hostile = ExtractArchive(Library(), Fixture(L"anti_hostile.7z"), target, nullptr);
    EXPECT_EQ(hostile.status, ExtractStatus::ItemErrors);
    EXPECT_EQ(hostile.itemErrors, 1u);
    EXPECT_EQ(ReadWholeFile(base + L"escaped.txt"), "beside the game\n");
}

namespace {

// Holds a file open with the given sharing (and access), from now until Release or the given
// time.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD share, DWORD releaseAfterMs, DWORD access = GENERIC_READ)
        : m_handle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr)),
          m_releaseAfterMs(releaseAfterMs)
    {
        if (releaseAfterMs != INFINITE) m_thread = CreateThread(nullptr, 0, &Releaser, this, 0, nullptr);
    }
    ~HeldFile()
    {
        if (m_thread) {
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
        Release();
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }
    // What the holder sees of its file now.
    std::string Read() const
    {
        char buffer[256];
        DWORD read = 0;
        OVERLAPPED at;
        ZeroMemory(&at, sizeof(at));
        if (!ReadFile(m_handle, buffer, sizeof(buffer), &read, &at)) return "<unreadable>";
        return std::string(buffer, read);
    }
    void Release()
    {
        const HANDLE h = InterlockedExchangePointer(&m_handle, INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }

private:
    static DWORD WINAPI Releaser(void* self)
    {
        HeldFile* held = static_cast<HeldFile*>(self);
        Sleep(held->m_releaseAfterMs);
        held->Release();
        return 0;
    }
    HANDLE volatile m_handle;
    const DWORD m_releaseAfterMs;
    HANDLE m_thread = nullptr;
};

std::set<std::wstring> AsideCopies(const std::wstring& folder)
{
    std::set<std::wstring> copies;
    for (const std::wstring& name : Names(folder))
        if (name.find(L".zel-old-") != std::wstring::npos) copies.insert(name);
    return copies;
}

} // namespace

// The library replaces its own file while it runs from it, as a package carrying 7z.dll does;
// the copy moved aside goes at the clean-up once nothing holds it.
TEST_F(ExtractDriver, TargetsInUseAreMovedAsideAndRemovedLater)
{
    const std::wstring library = out + L"7z.dll";
    ASSERT_TRUE(CopyFileW(Library().c_str(), library.c_str(), FALSE));
    WriteWholeFile(out + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
    const ExtractResult r = ExtractArchive(library, Fixture(L"inuse.7z"), out, nullptr);
    EXPECT_EQ(r.status, ExtractStatus::Succeeded);
    EXPECT_EQ(ReadWholeFile(library), "new library\n");
    EXPECT_EQ(ReadWholeFile(out + L"data.txt"), "new data\n");
    EXPECT_EQ(ReadWholeFile(out + L"ZelUpGame.ini"), "[Version]\r\nVersion=2\r\n");
    const std::set<std::wstring> copies = AsideCopies(out);
    ASSERT_EQ(copies.size(), 1u);
    const std::wstring copy = *copies.begin();
    EXPECT_EQ(copy.find(L"7z.dll.zel-old-"), 0u) << Narrow(copy);
    EXPECT_EQ(ReadWholeFile(out + L"ZelOldFiles.lst"), std::string(copy.begin(), copy.end()) + "\r\n");

    // Still held: it stays listed for a later start.
    {
        HeldFile held(out + copy, 0, INFINITE);
        ASSERT_TRUE(held.Held());
        RemoveAsideCopies(out);
        EXPECT_EQ(AsideCopies(out), copies);
        EXPECT_TRUE(FileExists(out + L"ZelOldFiles.lst"));
    }
    // A list that names anything but such copies inside the folder deletes nothing of it.
    const std::wstring base = FreshFolder(L"aside_list");
    const std::wstring folder = base + L"game\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    WriteWholeFile(folder + L"data.txt", "game data\n");
    WriteWholeFile(folder + L"ZelOldFiles.lst", "data.txt\r\n..\\outside.zel-old-0000abcd\r\n");
    WriteWholeFile(base + L"outside.zel-old-0000abcd", "beside the game\n");
    RemoveAsideCopies(folder);
    EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "game data\n");
    EXPECT_EQ(ReadWholeFile(base + L"outside.zel-old-0000abcd"), "beside the game\n");

    RemoveAsideCopies(out);
    EXPECT_TRUE(AsideCopies(out).empty());
    EXPECT_FALSE(FileExists(out + L"ZelOldFiles.lst"));
    EXPECT_EQ(ReadWholeFile(library), "new library\n");
}

// Files another program holds open: without sharing for a moment (a virus scanner; also the
// old version file, moved only at the end), with delete sharing throughout, and without
// sharing for longer than the extraction waits.
TEST_F(ExtractDriver, HeldTargetsAreWaitedForWithinALimit)
{
    const struct {
        const wchar_t* name;
        const wchar_t* file;
        DWORD share;
        DWORD releaseAfterMs;
        DWORD waitMs;
        bool succeeds;
    } cases[] = {
        { L"brief", L"data.txt", 0, 1500, kInUseWaitMs, true },
        // The old version file, which is moved only once everything else is in place.
        { L"version_brief", L"ZelUpGame.ini", 0, 1500, kInUseWaitMs, true },
        { L"delete_shared", L"data.txt", FILE_SHARE_READ | FILE_SHARE_DELETE, INFINITE, kInUseWaitMs, true },
        { L"too_long", L"data.txt", 0, INFINITE, 600, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring folder = FreshFolder(std::wstring(L"held_") + c.name);
        WriteWholeFile(folder + L"data.txt", "old data\n");
        WriteWholeFile(folder + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
        HeldFile held(folder + c.file, c.share, c.releaseAfterMs);
        ASSERT_TRUE(held.Held());
        const ULONGLONG began = GetTickCount64();
        const ExtractResult r = ExtractArchive(Library(), Fixture(L"inuse.7z"), folder, nullptr, c.waitMs);
        const ULONGLONG took = GetTickCount64() - began;
        held.Release();
        if (c.succeeds) {
            EXPECT_EQ(r.status, ExtractStatus::Succeeded);
            EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "new data\n");
            EXPECT_EQ(ReadWholeFile(folder + L"ZelUpGame.ini"), "[Version]\r\nVersion=2\r\n");
            if (c.releaseAfterMs != INFINITE) {
                EXPECT_GE(took, c.releaseAfterMs - 300);
            }
        } else {
            EXPECT_EQ(r.status, ExtractStatus::ExtractFailed);
            EXPECT_EQ(r.result, E_ABORT);
            EXPECT_GE(took, c.waitMs);
            EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "old data\n");
            EXPECT_EQ(ReadWholeFile(folder + L"ZelUpGame.ini"), "[Version]\r\nVersion=1\r\n");
        }
        RemoveAsideCopies(folder);
        EXPECT_TRUE(AsideCopies(folder).empty());
    }
}

// Programs that hold a file without reading it (the shell for its icon, an indexer, a backup
// agent) do not stop the update: every target is replaced, and stays the new file once they
// let go.
TEST_F(ExtractDriver, TargetsHeldWithoutDataAccessAreReplaced)
{
    const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const struct {
        const wchar_t* name;
        const wchar_t* file;
        DWORD access;
        DWORD share;
        DWORD attributes;
    } cases[] = {
        { L"attributes", L"data.txt", FILE_READ_ATTRIBUTES, kShareAll, FILE_ATTRIBUTE_NORMAL },
        { L"synchronize", L"data.txt", SYNCHRONIZE, 0, FILE_ATTRIBUTE_NORMAL },
        { L"readonly", L"data.txt", FILE_READ_ATTRIBUTES | SYNCHRONIZE, 0, FILE_ATTRIBUTE_READONLY },
        { L"library", L"7z.dll", FILE_READ_ATTRIBUTES, kShareAll, FILE_ATTRIBUTE_NORMAL },
        { L"version", L"ZelUpGame.ini", FILE_READ_ATTRIBUTES, kShareAll, FILE_ATTRIBUTE_NORMAL },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring folder = FreshFolder(std::wstring(L"unread_") + c.name);
        WriteWholeFile(folder + L"data.txt", "old data\n");
        WriteWholeFile(folder + L"7z.dll", "old library\n");
        WriteWholeFile(folder + L"ZelUpGame.ini", "[Version]\r\nVersion=1\r\n");
        ASSERT_TRUE(SetFileAttributesW((folder + c.file).c_str(), c.attributes));
        {
            HeldFile held(folder + c.file, c.share, INFINITE, c.access);
            ASSERT_TRUE(held.Held());
            const ExtractResult r = ExtractArchive(Library(), Fixture(L"inuse.7z"), folder, nullptr, 3000);
            EXPECT_EQ(r.status, ExtractStatus::Succeeded);
            EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "new data\n");
            EXPECT_EQ(ReadWholeFile(folder + L"7z.dll"), "new library\n");
            EXPECT_EQ(ReadWholeFile(folder + L"ZelUpGame.ini"), "[Version]\r\nVersion=2\r\n");
        }
        EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "new data\n");
        EXPECT_EQ(ReadWholeFile(folder + L"7z.dll"), "new library\n");
        EXPECT_EQ(ReadWholeFile(folder + L"ZelUpGame.ini"), "[Version]\r\nVersion=2\r\n");
        RemoveAsideCopies(folder);
        EXPECT_EQ(Names(folder), (std::set<std::wstring>{ L"7z.dll", L"ZelUpGame.ini", L"data.txt" }));
    }
}

std::vector<std::wstring> ListedCopies(const std::wstring& folder)
{
    std::vector<std::wstring> lines;
    const std::string text = ReadWholeFile(folder + L"ZelOldFiles.lst");
    if (text == "<missing>") return lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "a line without its end: " << text;
        if (end == std::string::npos) break;
        lines.push_back(std::wstring(text.begin() + start, text.begin() + end));
        start = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> CopiesOnDisk(const std::wstring& folder)
{
    const std::set<std::wstring> copies = AsideCopies(folder);
    return std::vector<std::wstring>(copies.begin(), copies.end());
}

// Targets in use are moved aside, each copy listed exactly once before its rename, whatever
// the holders do meanwhile; the list also keeps what an earlier run listed. A copy that the
// holder shares for deletion is deleted at once and goes when the holder lets go.
TEST_F(ExtractDriver, CopiesMovedAsideAreListedOnceEach)
{
    const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD kNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const struct {
        const wchar_t* name;
        bool sharingHolder; // holds data.txt with all sharing through the extraction
        DWORD otherShare;   // a second holder of data.txt without delete sharing ...
        DWORD otherMs;      // ... for this long (0: none)
        DWORD listHeldMs;   // the list held without sharing for this long (0: not)
        DWORD waitMs;
        bool succeeds;
        size_t newCopies;
    } cases[] = {
        { L"delete_shared", true, 0, 0, 0, kInUseWaitMs, true, 1 },
        // The rename is refused until the second holder lets go: tried again under one name.
        { L"moved_after_tries", true, kNoDelete, 1500, 0, kInUseWaitMs, true, 1 },
        // Held without any sharing until it could be deleted: no copy, and no line left.
        { L"freed_before_moved", false, 0, 1500, 0, kInUseWaitMs, true, 0 },
        // No rename before the line is written: a list held for a moment is waited for ...
        { L"list_held_briefly", true, 0, 0, 1500, kInUseWaitMs, true, 1 },
        // ... and one held for longer than the extraction waits stops it with nothing moved.
        { L"list_held_too_long", true, 0, 0, INFINITE, 600, false, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring folder = FreshFolder(std::wstring(L"aside_") + c.name);
        WriteWholeFile(folder + L"data.txt", "old data\n");
        WriteWholeFile(folder + L"earlier.txt.zel-old-0000abcd", "an earlier run's copy\n");
        WriteWholeFile(folder + L"ZelOldFiles.lst", "earlier.txt.zel-old-0000abcd\r\n");
        const std::vector<std::wstring> earlier = { L"earlier.txt.zel-old-0000abcd" };
        {
            std::unique_ptr<HeldFile> sharing, other, list;
            if (c.sharingHolder) sharing.reset(new HeldFile(folder + L"data.txt", kShareAll, INFINITE));
            if (c.otherMs) other.reset(new HeldFile(folder + L"data.txt", c.otherShare, c.otherMs));
            if (c.listHeldMs) list.reset(new HeldFile(folder + L"ZelOldFiles.lst", 0, c.listHeldMs));
            for (const auto* held : { sharing.get(), other.get(), list.get() }) {
                if (held) {
                    ASSERT_TRUE(held->Held());
                }
            }

            const ExtractResult r = ExtractArchive(Library(), Fixture(L"inuse.7z"), folder, nullptr, c.waitMs);
            if (list) list->Release();
            if (other) other->Release();
            if (c.succeeds) {
                EXPECT_EQ(r.status, ExtractStatus::Succeeded);
                EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "new data\n");
            } else {
                EXPECT_EQ(r.status, ExtractStatus::ExtractFailed);
                EXPECT_EQ(r.result, E_ABORT);
                EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), "old data\n");
            }
            // One line for each copy there is, and a copy for each line.
            const std::vector<std::wstring> copies = CopiesOnDisk(folder);
            EXPECT_EQ(ListedCopies(folder), copies);
            EXPECT_EQ(copies.size(), earlier.size() + c.newCopies);
            for (const std::wstring& copy : copies) {
                if (copy != earlier[0]) {
                    EXPECT_EQ(copy.find(L"data.txt.zel-old-"), 0u) << Narrow(copy);
                }
            }
            // The holder's file is its own: nothing new was written into it.
            if (sharing) {
                EXPECT_EQ(sharing->Read(), "old data\n");
            }
        }
        // The holders have let go: the copy deleted while they held it is gone, and the target is
        // the new file or, where the extraction stopped, still the old one (nothing was left to
        // be deleted with its holder's last handle).
        EXPECT_EQ(CopiesOnDisk(folder), earlier);
        EXPECT_EQ(ReadWholeFile(folder + L"data.txt"), c.succeeds ? "new data\n" : "old data\n");
        RemoveAsideCopies(folder);
        EXPECT_TRUE(AsideCopies(folder).empty());
        EXPECT_FALSE(FileExists(folder + L"ZelOldFiles.lst"));
    }
}

std::atomic<int> g_cutStep{ -1 };

// Stops the clean-up's rewrite of the list after one step while it lives.
class ListRewriteCutAt {
public:
    explicit ListRewriteCutAt(ListRewriteStep step)
    {
        g_cutStep = int(step);
        SetListRewriteCut([](ListRewriteStep at) { return int(at) == g_cutStep.load(); });
    }
    ~ListRewriteCutAt() { SetListRewriteCut(nullptr); }
    ListRewriteCutAt(const ListRewriteCutAt&) = delete;
    ListRewriteCutAt& operator=(const ListRewriteCutAt&) = delete;
};

// The clean-up rewrites the list without the copies it removed. Cut off after any step of that
// (as a crash or a power loss would) the list still names every copy that is still there, and
// the next clean-up finishes the work.
TEST_F(ExtractDriver, ListRewriteCutOffKeepsEveryCopyStillThere)
{
    const std::vector<std::wstring> held = { L"held.txt.zel-old-0000aaaa", L"sub\\also.dll.zel-old-0000bbbb" };
    for (const ListRewriteStep step : { ListRewriteStep::Created, ListRewriteStep::Written, ListRewriteStep::Flushed }) {
        SCOPED_TRACE(int(step));
        const std::wstring folder = FreshFolder(L"list_cut_" + std::to_wstring(int(step)));
        ASSERT_TRUE(CreateDirectoryW((folder + L"sub").c_str(), nullptr));
        for (const std::wstring& copy : held) WriteWholeFile(folder + copy, "in use\n");
        WriteWholeFile(folder + L"free.txt.zel-old-0000cccc", "let go\n");
        WriteWholeFile(folder + L"ZelOldFiles.lst", "held.txt.zel-old-0000aaaa\r\nfree.txt.zel-old-0000cccc\r\n"
                                                    "gone.txt.zel-old-0000dddd\r\nsub\\also.dll.zel-old-0000bbbb\r\n");
        {
            HeldFile first(folder + held[0], 0, INFINITE), second(folder + held[1], 0, INFINITE);
            ASSERT_TRUE(first.Held() && second.Held());
            {
                ListRewriteCutAt cut(step);
                RemoveAsideCopies(folder);
            }
            EXPECT_FALSE(FileExists(folder + L"free.txt.zel-old-0000cccc"));
            const std::vector<std::wstring> listed = ListedCopies(folder);
            for (const std::wstring& copy : held)
                EXPECT_TRUE(std::find(listed.begin(), listed.end(), copy) != listed.end()) << Narrow(copy);

            RemoveAsideCopies(folder);
            EXPECT_EQ(ListedCopies(folder), held);
            EXPECT_FALSE(FileExists(folder + L"ZelOldFiles.lst.new"));
        }
        RemoveAsideCopies(folder);
        EXPECT_TRUE(AsideCopies(folder).empty());
        EXPECT_EQ(Names(folder), std::set<std::wstring>{ L"sub" });
    }
}

// Restores the process's current directory on every path.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::wstring& path)
    {
        wchar_t previous[MAX_PATH * 2];
        const DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, previous);
        m_previous.assign(previous, n < MAX_PATH * 2 ? n : 0);
        m_set = SetCurrentDirectoryW(path.c_str()) != FALSE;
    }
    ~CurrentDirectory()
    {
        if (!m_previous.empty()) SetCurrentDirectoryW(m_previous.c_str());
    }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
    bool Set() const { return m_set; }

private:
    std::wstring m_previous;
    bool m_set = false;
};

// Anti-items touch only what their own kind could have written, and a folder that cannot go
// now is left without failing the update: the rest is installed all the same.
TEST_F(ExtractDriver, AntiItemsLeaveOtherKindsAndBusyFolders)
{
    const struct {
        const wchar_t* name;
        const wchar_t* path;   // what is on disk in place of the installed item
        bool folder;           // a folder there instead of a file (and the other way round)
        bool currentDirectory; // the folder is a program's current directory
    } cases[] = {
        // The folder anti-item "game\\old" over a file of that name.
        { L"file_for_folder", L"game\\old", false, false },
        // The file anti-item "game\\gone.txt" over an (empty) folder of that name.
        { L"folder_for_file", L"game\\gone.txt", true, false },
        // "game\\full" empties, but a program has its current directory there.
        { L"current_directory", L"game\\full", true, true },
    };
    const auto installed = ReadTree(Fixture(L"ref\\anti_base"));
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::wstring folder = FreshFolder(std::wstring(L"anti_") + c.name);
        const std::wstring replaced = std::wstring(c.path) + L"\\";
        for (const auto& e : installed) {
            if (e.first == L"game\\never.txt" || e.first == c.path ||
                e.first.compare(0, replaced.size(), replaced) == 0)
                continue;
            if (e.second.folder)
                CreateDirectoryW((folder + e.first).c_str(), nullptr);
            else
                WriteWholeFile(folder + e.first, e.second.content);
        }
        if (c.folder)
            ASSERT_TRUE(CreateDirectoryW((folder + c.path).c_str(), nullptr));
        else
            WriteWholeFile(folder + c.path, "the player's own\n");
        ExtractResult r;
        {
            CurrentDirectory cwd(c.currentDirectory ? folder + c.path : ExeFolder());
            ASSERT_TRUE(cwd.Set());
            r = ExtractArchive(Library(), Fixture(L"anti.7z"), folder, nullptr);
        }
        EXPECT_EQ(r.status, ExtractStatus::Succeeded);
        EXPECT_EQ(r.itemErrors, 0u);
        EXPECT_EQ(ReadWholeFile(folder + L"game\\keep.txt"), "keep v2\n");
        if (c.folder) {
            EXPECT_TRUE(FolderExists(folder + c.path));
        } else {
            EXPECT_EQ(ReadWholeFile(folder + c.path), "the player's own\n");
        }
        // Everything else the anti-items name went.
        std::set<std::wstring> expected = { L"game", L"game\\keep.txt", c.path };
        EXPECT_EQ(Names(folder), expected);
    }
}

// The driver program, as the extraction benchmark and a shell would run it.
TEST_F(ExtractDriver, ProgramReportsAndExits)
{
    const std::wstring exe = ExeFolder() + L"ZelExtract.exe";
    std::string output;
    EXPECT_EQ(RunProgram(exe, Quoted(Fixture(L"good.7z")) + L" " + Quoted(out), output), 0u);
    EXPECT_NE(output.find("Result: Everything is Ok"), std::string::npos) << output;
    EXPECT_EQ(ReadWholeFile(out + L"readme.txt"), "hello package\r\n");

    const struct {
        const wchar_t* archive;
        const char* text;
    } failures[] = {
        { L"page.7z", "Can not open file as archive" },
        { L"encdata.7z", "Password is not defined" },
        { L"broken.7z", "CRC Failed" },
        { L"broken_headers.7z", "The archive has errors" },
    };
    for (const auto& f : failures) {
        const std::wstring folder = FreshFolder(std::wstring(L"program_") + f.archive);
        EXPECT_EQ(RunProgram(exe, Quoted(Fixture(f.archive)) + L" " + Quoted(folder), output), 1u);
        EXPECT_NE(output.find(f.text), std::string::npos) << output;
    }
    EXPECT_EQ(RunProgram(exe, L"only-one-argument", output), 2u);
}

TEST_F(ExtractDriver, ProgramWithoutLibraryExtractsNothing)
{
    // A copy of the program alone in a folder: no 7z.dll beside it.
    const std::wstring lonely = out + L"ZelExtract.exe";
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"ZelExtract.exe").c_str(), lonely.c_str(), FALSE));
    const std::wstring target = out + L"target\\";
    std::string output;
    EXPECT_EQ(RunProgram(lonely, Quoted(Fixture(L"good.7z")) + L" " + Quoted(target), output), 1u);
    EXPECT_NE(output.find("Can not load 7-zip library"), std::string::npos) << output;
    EXPECT_EQ(Names(out), std::set<std::wstring>{ L"ZelExtract.exe" });
}

} // namespace
