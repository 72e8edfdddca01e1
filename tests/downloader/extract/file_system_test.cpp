// The file functions and property values under the extraction.

#include "AsideCopies.h"
#include "FileSystem.h"
#include "PropValue.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ExtractPropValues, UnsignedConversion)
{
    PROPVARIANT v;
    PropVariantInit(&v);
    UINT64 result = 0;
    bool defined = true;

    v.vt = VT_UI1;
    v.bVal = 7;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), S_OK);
    EXPECT_TRUE(defined);
    EXPECT_EQ(result, 7u);
    v.vt = VT_UI2;
    v.uiVal = 60000;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), S_OK);
    EXPECT_EQ(result, 60000u);
    v.vt = VT_UI4;
    v.ulVal = 0xFFFFFFFFu;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), S_OK);
    EXPECT_EQ(result, 0xFFFFFFFFu);
    v.vt = VT_UI8;
    v.uhVal.QuadPart = 0x123456789ABCull;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), S_OK);
    EXPECT_EQ(result, 0x123456789ABCull);

    v.vt = VT_EMPTY;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), S_OK);
    EXPECT_FALSE(defined);
    // Other types are refused instead of thrown.
    v.vt = VT_I4;
    v.lVal = 5;
    EXPECT_EQ(PropVariantToUInt64(v, result, defined), E_INVALIDARG);
    EXPECT_FALSE(defined);
}

TEST(ExtractFolders, CreateComplexDir)
{
    const std::wstring base = FreshFolder(L"complex_dir");

    // Three missing levels, relative to the current directory (the program's folder), with a
    // trailing separator.
    ASSERT_TRUE(SetCurrentDirectoryW(ExeFolder().c_str()));
    const std::wstring relative = base.substr(ExeFolder().size());
    EXPECT_TRUE(CreateComplexDir(relative + L"a\\b\\c\\"));
    EXPECT_TRUE(FolderExists(base + L"a\\b\\c"));

    // An existing folder.
    EXPECT_TRUE(CreateComplexDir(base + L"a\\b"));
    EXPECT_TRUE(CreateComplexDir(base + L"a\\b\\"));

    // A file in the way, at the end or on the way.
    WriteWholeFile(base + L"file", "x");
    EXPECT_FALSE(CreateComplexDir(base + L"file"));
    EXPECT_FALSE(CreateComplexDir(base + L"file\\below\\deeper"));
    EXPECT_FALSE(FolderExists(base + L"file\\below"));

    // A drive root cannot be made.
    EXPECT_FALSE(CreateComplexDir(L"C:\\"));
    EXPECT_FALSE(CreateComplexDir(L"\\\\?\\C:\\"));

    // Beyond MAX_PATH through the long-path form.
    std::wstring deep = base;
    for (int i = 0; i < 12; ++i) deep += L"level_" + std::to_wstring(i) + L"_abcdefghijklmnopqrst\\";
    ASSERT_GT(deep.size(), size_t(MAX_PATH));
    EXPECT_TRUE(CreateComplexDir(ToExtendedLengthPath(deep)));
    EXPECT_TRUE(FolderExists(ToExtendedLengthPath(deep)));
}

TEST(ExtractFolders, CreateDirOverFile)
{
    const std::wstring base = FreshFolder(L"create_dir");
    EXPECT_TRUE(CreateDir(base + L"new"));
    EXPECT_TRUE(CreateDir(base + L"new"));
    WriteWholeFile(base + L"file", "x");
    SetLastError(0);
    EXPECT_FALSE(CreateDir(base + L"file"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
}

TEST(ExtractFiles, DeleteFileAlwaysClearsReadOnly)
{
    const std::wstring base = FreshFolder(L"delete_always");
    const std::wstring file = base + L"locked.txt";
    WriteWholeFile(file, "locked");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    // The plain call is refused, which is why the forced one exists.
    EXPECT_FALSE(DeleteFileW(file.c_str()));
    EXPECT_TRUE(DeleteFileAlways(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFileAlways(file));
}

// A target's name must be free for the new file the moment the delete returns, and stay the new
// file's. Nothing that another handle has data access to is deleted, also not where the holder
// shares delete (the name would stay taken until it lets go): the caller moves such a file
// aside. A handle without data access (the shell's, an indexer's) is not seen by any open, yet
// keeps a plainly deleted name taken, and with it would later take the new file along: the
// file is deleted with POSIX semantics or moved aside first. A loaded library, which may not
// be deleted at all, keeps its name and its read-only attribute, for the caller to move aside.
TEST(ExtractFiles, DeleteNotInUseFreesTheName)
{
    const std::wstring base = FreshFolder(L"delete_not_in_use");
    const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const struct {
        const wchar_t* name;
        DWORD attributes;
        DWORD holderAccess; // 0: not held
        DWORD share;
        bool load;
        bool freed;
        DWORD error;
    } cases[] = {
        { L"free.txt", FILE_ATTRIBUTE_NORMAL, 0, 0, false, true, 0 },
        { L"readonly.txt", FILE_ATTRIBUTE_READONLY, 0, 0, false, true, 0 },
        { L"shares_all.txt", FILE_ATTRIBUTE_NORMAL, GENERIC_READ, kShareAll, false, false, ERROR_SHARING_VIOLATION },
        { L"shares_none.txt", FILE_ATTRIBUTE_NORMAL, GENERIC_READ, 0, false, false, ERROR_SHARING_VIOLATION },
        { L"attributes_held.txt", FILE_ATTRIBUTE_NORMAL, FILE_READ_ATTRIBUTES, kShareAll, false, true, 0 },
        { L"synchronize_held.txt", FILE_ATTRIBUTE_READONLY, SYNCHRONIZE, 0, false, true, 0 },
        { L"loaded.dll", FILE_ATTRIBUTE_READONLY, 0, 0, true, false, ERROR_ACCESS_DENIED },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        const std::wstring path = base + c.name;
        if (c.load)
            ASSERT_TRUE(CopyFileW((ExeFolder() + L"7z.dll").c_str(), path.c_str(), FALSE));
        else
            WriteWholeFile(path, "content");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), c.attributes));
        const HANDLE holder =
            c.holderAccess ? CreateFileW(path.c_str(), c.holderAccess, c.share, nullptr, OPEN_EXISTING, 0, nullptr)
                           : INVALID_HANDLE_VALUE;
        ASSERT_EQ(holder != INVALID_HANDLE_VALUE, c.holderAccess != 0);
        const HMODULE library = c.load ? LoadLibraryW(path.c_str()) : nullptr;
        ASSERT_EQ(library != nullptr, c.load);

        {
            AsideMove aside(base, path);
            SetLastError(0);
            EXPECT_EQ(aside.DeleteNotInUse(), c.freed);
            if (!c.freed) {
                EXPECT_EQ(GetLastError(), c.error);
            } else {
                // The new file takes the name at once.
                const HANDLE fresh =
                    CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
                EXPECT_NE(fresh, INVALID_HANDLE_VALUE) << GetLastError();
                DWORD written = 0;
                if (fresh != INVALID_HANDLE_VALUE) {
                    WriteFile(fresh, "new", 3, &written, nullptr);
                    CloseHandle(fresh);
                }
            }
        }
        if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
        if (library) FreeLibrary(library);
        // Once the holders have let go the name holds what it should: the new file, or the old
        // one with its attributes where it was in use.
        if (!c.load) {
            EXPECT_EQ(ReadWholeFile(path), c.freed ? "new" : "content");
        }
        if (!c.freed) {
            EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY,
                      c.attributes & FILE_ATTRIBUTE_READONLY);
        }
        // Nothing is left beside it once the clean-up has dropped the line of a copy that
        // outlived the call.
        RemoveAsideCopies(base);
        std::vector<std::wstring> left;
        for (const auto& entry : ReadTree(base))
            if (entry.first != c.name && FileExists(base + entry.first)) left.push_back(entry.first);
        EXPECT_TRUE(left.empty()) << testing::PrintToString(left);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    SetLastError(0);
    AsideMove missing(base, base + L"missing.txt");
    EXPECT_FALSE(missing.DeleteNotInUse());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(ExtractFileInfo, FilesFoldersAndRoots)
{
    const std::wstring base = FreshFolder(L"file_info");
    WriteWholeFile(base + L"f.txt", "12345");
    CreateDirectoryW((base + L"dir").c_str(), nullptr);

    CFileInfo info;
    ASSERT_TRUE(FindFileInfo(info, base + L"f.txt"));
    EXPECT_EQ(info.Name, L"f.txt");
    EXPECT_EQ(info.Size, 5u);
    EXPECT_FALSE(info.IsDir());
    EXPECT_FALSE(info.IsAltStream);

    ASSERT_TRUE(FindFileInfo(info, base + L"dir"));
    EXPECT_TRUE(info.IsDir());
    EXPECT_EQ(info.Name, L"dir");

    ASSERT_TRUE(FindFileInfo(info, L"C:\\"));
    EXPECT_TRUE(info.IsDir());
    EXPECT_EQ(info.Name, L"C:");

    EXPECT_FALSE(FindFileInfo(info, base + L"missing.txt"));
}

// Wine has the stream functions but they never find a stream; these stand in for them.
std::wstring g_streamQueryPath;
int g_streamNext = 0;

const struct {
    const wchar_t* name;
    LONGLONG size;
} kFakeStreams[] = { { L"::$DATA", 5 }, { L":Zone.Identifier:$DATA", 26 }, { L":meta:$DATA", 42 } };

void FillStream(LPVOID data, int index)
{
    auto* d = static_cast<WIN32_FIND_STREAM_DATA*>(data);
    ZeroMemory(d, sizeof(*d));
    d->StreamSize.QuadPart = kFakeStreams[index].size;
    wcscpy(d->cStreamName, kFakeStreams[index].name);
}

HANDLE WINAPI FakeFindFirstStream(LPCWSTR fileName, STREAM_INFO_LEVELS level, LPVOID data, DWORD)
{
    g_streamQueryPath = fileName;
    if (level != FindStreamInfoStandard) return INVALID_HANDLE_VALUE;
    g_streamNext = 1;
    FillStream(data, 0);
    return reinterpret_cast<HANDLE>(ULONG_PTR(0x1234));
}

BOOL WINAPI FakeFindNextStream(HANDLE, LPVOID data)
{
    if (g_streamNext >= int(sizeof(kFakeStreams) / sizeof(kFakeStreams[0]))) {
        SetLastError(ERROR_HANDLE_EOF);
        return FALSE;
    }
    FillStream(data, g_streamNext++);
    return TRUE;
}

class ExtractAltStreams : public testing::Test {
protected:
    void SetUp() override
    {
        base = FreshFolder(L"alt_streams");
        WriteWholeFile(base + L"f.txt", "12345");
        SetFindStreamFunctions(FakeFindFirstStream, FakeFindNextStream);
    }
    void TearDown() override { SetFindStreamFunctions(nullptr, nullptr); }
    std::wstring base;
};

TEST_F(ExtractAltStreams, FindsNamedStream)
{
    const wchar_t* queries[] = { L"f.txt:meta", L"f.txt:META", L"f.txt:meta:$DATA", L"f.txt:meta:$data" };
    for (const wchar_t* q : queries) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(q)));
        CFileInfo info;
        ASSERT_TRUE(FindFileInfo(info, base + q));
        EXPECT_EQ(g_streamQueryPath, base + L"f.txt");
        EXPECT_TRUE(info.IsAltStream);
        EXPECT_EQ(info.Size, 42u);
        EXPECT_EQ(info.Name, L"f.txt:meta");
        EXPECT_FALSE(info.IsDir());
    }
}

TEST_F(ExtractAltStreams, MissingStreamIsFileNotFound)
{
    CFileInfo info;
    EXPECT_FALSE(FindFileInfo(info, base + L"f.txt:other"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(ExtractAltStreams, MissingFileFallsBackToPlainLookup)
{
    CFileInfo info;
    g_streamQueryPath.clear();
    EXPECT_FALSE(FindFileInfo(info, base + L"absent.txt:meta"));
    EXPECT_TRUE(g_streamQueryPath.empty());
}

} // namespace
