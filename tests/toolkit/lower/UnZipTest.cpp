#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/UnZip.h"

using namespace SkinUI;

namespace {

std::wstring ExeFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

std::wstring Fixture(const wchar_t* name)
{
    return ExeFolder() + L"zipfixtures\\" + name;
}

std::vector<BYTE> ReadFileBytes(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(h, NULL));
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, NULL);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<BYTE> Pattern(size_t n, int mul, int add)
{
    std::vector<BYTE> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>((i * mul + add) % 251);
    return v;
}

ULONGLONG AsNumber(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

ULONGLONG UnixAsFileTime(ULONGLONG t)
{
    return t * 10000000ULL + 116444736000000000ULL;
}

// The fixtures' DOS time stamp, read as local time.
ULONGLONG FixtureDosTime()
{
    SYSTEMTIME st = { 2020, 1, 0, 2, 3, 4, 6, 0 };
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return AsNumber(utc);
}

// Each test unpacks into a fresh folder of its own, made current before the archive is
// opened (the archive's base folder).
class ZipTest : public testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryW(MAX_PATH, m_saved);
        m_scratch = ExeFolder() + L"zipscratch-" + std::to_wstring(testing::UnitTest::GetInstance()->random_seed()) +
                    L"-" + std::wstring(Widen(testing::UnitTest::GetInstance()->current_test_info()->name()));
        RemoveTree(m_scratch);
        ASSERT_TRUE(CreateDirectoryW(m_scratch.c_str(), NULL));
        ASSERT_TRUE(SetCurrentDirectoryW(m_scratch.c_str()));
    }

    void TearDown() override
    {
        for (HZIP hz : m_open) CloseZipArchive(hz);
        SetCurrentDirectoryW(m_saved);
        RemoveTree(m_scratch);
    }

    HZIP Open(const wchar_t* fixture)
    {
        std::wstring path = Fixture(fixture);
        HZIP hz = OpenZipArchive(const_cast<wchar_t*>(path.c_str()), 0, ZIP_FILENAME);
        if (hz != NULL) m_open.push_back(hz);
        return hz;
    }

    void Forget(HZIP hz)
    {
        for (size_t i = 0; i < m_open.size(); ++i) {
            if (m_open[i] == hz) m_open.erase(m_open.begin() + i);
        }
    }

    std::wstring Scratch(const wchar_t* rel) const { return m_scratch + L"\\" + rel; }

    static std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

    static void RemoveTree(const std::wstring& dir)
    {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName;
                if (name == L"." || name == L"..") continue;
                std::wstring full = dir + L"\\" + name;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(full);
                } else {
                    SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(full.c_str());
                }
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }

    wchar_t m_saved[MAX_PATH];
    std::wstring m_scratch;
    std::vector<HZIP> m_open;
};

} // namespace

TEST_F(ZipTest, FindsEntriesWithAndWithoutCase)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    int index = 99;
    ZipEntry ze;
    EXPECT_EQ(FindZipEntry(hz, L"Skin\\main.xml", true, &index, &ze), ZR_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(ze.index, 0);
    EXPECT_STREQ(ze.name, L"skin/main.xml");
    EXPECT_EQ(ze.unc_size, 38);

    EXPECT_EQ(FindZipEntry(hz, L"skin/IMG/a.bin", true, &index, &ze), ZR_OK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(ze.unc_size, 100);

    EXPECT_EQ(FindZipEntry(hz, L"Skin\\main.xml", false, &index, &ze), ZR_NOTFOUND);
    EXPECT_EQ(GetZipLastError(), ZR_NOTFOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(ze.index, -1);
    EXPECT_STREQ(ze.name, L"");
    EXPECT_EQ(FindZipEntry(hz, L"skin\\main.xml", false, &index, &ze), ZR_OK);
    EXPECT_EQ(GetZipLastError(), ZR_OK);

    // A name of 256 units or more is never found.
    std::wstring longName(256, L'a');
    EXPECT_EQ(FindZipEntry(hz, longName.c_str(), true, &index, &ze), ZR_NOTFOUND);
    EXPECT_EQ(FindZipEntry(hz, nullptr, true, &index, &ze), ZR_ARGS);
}

TEST_F(ZipTest, DescribesTheArchiveAndRefusesBadIndexes)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    ZipEntry ze;
    EXPECT_EQ(GetZipEntry(hz, -1, &ze), ZR_OK);
    EXPECT_EQ(ze.index, 6);
    EXPECT_STREQ(ze.name, L"");
    EXPECT_EQ(ze.unc_size, 0);
    EXPECT_EQ(GetZipEntry(hz, 6, &ze), ZR_ARGS);
    EXPECT_EQ(GetZipEntry(hz, -2, &ze), ZR_ARGS);

    char buf[16];
    for (int index : { -1, -5, 6 }) {
        EXPECT_EQ(ExtractZipEntry(hz, index, buf, sizeof(buf), ZIP_MEMORY), ZR_ARGS) << index;
        EXPECT_EQ(ExtractZipEntry(hz, index, const_cast<wchar_t*>(L"x.txt"), 0, ZIP_FILENAME), ZR_ARGS) << index;
    }
    EXPECT_EQ(ExtractZipEntry(hz, 0, buf, sizeof(buf), 9), ZR_ARGS);
    EXPECT_FALSE(Exists(Scratch(L"x.txt")));
}

TEST_F(ZipTest, MemoryExtractionContinues)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    std::vector<BYTE> expected(100);
    for (int i = 0; i < 100; ++i) expected[i] = static_cast<BYTE>(i);

    // The whole entry in one buffer: "more" first, then the end.
    BYTE whole[100] = {};
    EXPECT_EQ(ExtractZipEntry(hz, 1, whole, sizeof(whole), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(std::vector<BYTE>(whole, whole + 100), expected);
    EXPECT_EQ(ExtractZipEntry(hz, 1, whole, sizeof(whole), ZIP_MEMORY), ZR_OK);

    // 60 bytes, then the remaining 40, then the end.
    BYTE part[60] = {};
    EXPECT_EQ(ExtractZipEntry(hz, 1, part, sizeof(part), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(std::vector<BYTE>(part, part + 60), std::vector<BYTE>(expected.begin(), expected.begin() + 60));
    memset(part, 0xEE, sizeof(part));
    EXPECT_EQ(ExtractZipEntry(hz, 1, part, sizeof(part), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(std::vector<BYTE>(part, part + 40), std::vector<BYTE>(expected.begin() + 60, expected.end()));
    EXPECT_EQ(part[40], 0xEE);
    EXPECT_EQ(ExtractZipEntry(hz, 1, part, sizeof(part), ZIP_MEMORY), ZR_OK);

    // Looking up another entry closes the one in progress: the next call starts afresh.
    EXPECT_EQ(ExtractZipEntry(hz, 1, part, sizeof(part), ZIP_MEMORY), ZR_MORE);
    int index;
    ZipEntry ze;
    EXPECT_EQ(FindZipEntry(hz, L"big.bin", false, &index, &ze), ZR_OK);
    EXPECT_EQ(ExtractZipEntry(hz, 1, part, sizeof(part), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(part[0], 0);

    // An empty entry ends at once.
    EXPECT_EQ(ExtractZipEntry(hz, 5, part, sizeof(part), ZIP_MEMORY), ZR_OK);

    // A large entry in one buffer of its size.
    std::vector<BYTE> big(ze.unc_size);
    EXPECT_EQ(ExtractZipEntry(hz, index, big.data(), static_cast<unsigned>(big.size()), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(big, Pattern(100000, 7, 3));
}

// A failed lookup walks the whole directory while an entry is half read; the end-of-entry
// check must still be made against the entry being read, from a memory archive as from a
// file, and still catch damaged data.
TEST_F(ZipTest, ContinuedReadSurvivesAFailedLookup)
{
    std::vector<BYTE> skin = ReadFileBytes(Fixture(L"skin.zip"));
    std::vector<BYTE> crc = ReadFileBytes(Fixture(L"crc.zip"));
    ASSERT_FALSE(skin.empty());
    ASSERT_FALSE(crc.empty());
    HZIP skinMem = OpenZipArchive(skin.data(), static_cast<unsigned>(skin.size()), ZIP_MEMORY);
    HZIP crcMem = OpenZipArchive(crc.data(), static_cast<unsigned>(crc.size()), ZIP_MEMORY);
    ASSERT_NE(skinMem, nullptr);
    ASSERT_NE(crcMem, nullptr);
    m_open.push_back(skinMem);
    m_open.push_back(crcMem);

    std::vector<BYTE> counting(100);
    for (int i = 0; i < 100; ++i) counting[i] = static_cast<BYTE>(i);
    const struct {
        HZIP hz;
        int index;
        std::vector<BYTE> expected;
        ZRESULT tail;
    } cases[] = {
        { skinMem, 1, counting, ZR_MORE },
        { Open(L"skin.zip"), 1, counting, ZR_MORE },
        { crcMem, 1, Pattern(100, 3, 1), ZR_MORE },
        { crcMem, 0, {}, ZR_FLATE }, // byte 50 is damaged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        ASSERT_NE(c.hz, nullptr);
        BYTE head[60] = {};
        ASSERT_EQ(ExtractZipEntry(c.hz, c.index, head, sizeof(head), ZIP_MEMORY), ZR_MORE);
        int index = 7;
        ZipEntry ze;
        EXPECT_EQ(FindZipEntry(c.hz, L"no/such/entry.txt", true, &index, &ze), ZR_NOTFOUND);
        EXPECT_EQ(index, -1);
        BYTE tail[40] = {};
        EXPECT_EQ(ExtractZipEntry(c.hz, c.index, tail, sizeof(tail), ZIP_MEMORY), c.tail);
        if (c.tail != ZR_MORE) continue;
        std::vector<BYTE> got(head, head + 60);
        got.insert(got.end(), tail, tail + 40);
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(ExtractZipEntry(c.hz, c.index, tail, sizeof(tail), ZIP_MEMORY), ZR_OK);
    }
}

TEST_F(ZipTest, DamagedDataIsReported)
{
    HZIP hz = Open(L"crc.zip");
    ASSERT_NE(hz, nullptr);
    BYTE buf[100];
    EXPECT_EQ(ExtractZipEntry(hz, 0, buf, sizeof(buf), ZIP_MEMORY), ZR_FLATE);
    EXPECT_EQ(GetZipLastError(), ZR_FLATE);
    BYTE bigger[200];
    EXPECT_EQ(ExtractZipEntry(hz, 0, bigger, sizeof(bigger), ZIP_MEMORY), ZR_FLATE);
    EXPECT_EQ(ExtractZipEntry(hz, 1, buf, sizeof(buf), ZIP_MEMORY), ZR_MORE);
    EXPECT_EQ(ExtractZipEntry(hz, 1, buf, sizeof(buf), ZIP_MEMORY), ZR_OK);

    // To a file: a failure, and no half-written file left behind.
    EXPECT_EQ(ExtractZipEntry(hz, 0, const_cast<wchar_t*>(L"bad.bin"), 0, ZIP_FILENAME), ZR_WRITE);
    EXPECT_FALSE(Exists(Scratch(L"bad.bin")));
    EXPECT_EQ(ExtractZipEntry(hz, 1, const_cast<wchar_t*>(L"good.bin"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_EQ(ReadFileBytes(Scratch(L"good.bin")), Pattern(100, 3, 1));
}

TEST_F(ZipTest, ExtractsToNewFilesWithFolders)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    EXPECT_EQ(ExtractZipEntry(hz, 4, const_cast<wchar_t*>(L"a/b\\c.txt"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_TRUE(GetFileAttributesW(Scratch(L"a").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(GetFileAttributesW(Scratch(L"a\\b").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    std::vector<BYTE> inside = ReadFileBytes(Scratch(L"a\\b\\c.txt"));
    EXPECT_EQ(std::string(inside.begin(), inside.end()), "inside");

    // Existing folders are no error; the times come from the entry.
    EXPECT_EQ(ExtractZipEntry(hz, 2, const_cast<wchar_t*>(L"a/big.bin"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_EQ(ReadFileBytes(Scratch(L"a\\big.bin")), Pattern(100000, 7, 3));
    WIN32_FILE_ATTRIBUTE_DATA fad;
    ASSERT_TRUE(GetFileAttributesExW(Scratch(L"a\\big.bin").c_str(), GetFileExInfoStandard, &fad));
    EXPECT_EQ(AsNumber(fad.ftLastWriteTime), FixtureDosTime());

    // A folder entry makes its folder.
    EXPECT_EQ(ExtractZipEntry(hz, 3, const_cast<wchar_t*>(L"made/here"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_TRUE(GetFileAttributesW(Scratch(L"made\\here").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // The base folder is the one current at opening, not the current one now.
    CreateDirectoryW(Scratch(L"elsewhere").c_str(), NULL);
    SetCurrentDirectoryW(Scratch(L"elsewhere").c_str());
    EXPECT_EQ(ExtractZipEntry(hz, 0, const_cast<wchar_t*>(L"main.xml"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_TRUE(Exists(Scratch(L"main.xml")));
    EXPECT_FALSE(Exists(Scratch(L"elsewhere\\main.xml")));
}

TEST_F(ZipTest, RefusesPathsOutsideTheBaseFolder)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    const wchar_t* targets[] = {
        L"../c.txt", L"..\\c.txt", L"a/../../c.txt", L"a\\..", L"/abs.txt", L"\\abs.txt", L"C:x.txt", L"C:\\x.txt", L"",
    };
    for (const wchar_t* t : targets) {
        EXPECT_EQ(ExtractZipEntry(hz, 4, const_cast<wchar_t*>(t), 0, ZIP_FILENAME), ZR_NOFILE)
            << testing::PrintToString(std::wstring(t));
    }
    EXPECT_FALSE(Exists(Scratch(L"a")));
    EXPECT_FALSE(Exists(m_scratch + L"\\..\\c.txt"));

    // A path too long for the platform is refused as well.
    std::wstring deep;
    while (deep.size() < MAX_PATH) deep += L"folder/";
    deep += L"x.txt";
    EXPECT_EQ(ExtractZipEntry(hz, 4, const_cast<wchar_t*>(deep.c_str()), 0, ZIP_FILENAME), ZR_NOFILE);
    EXPECT_FALSE(Exists(Scratch(L"folder")));

    // An entry whose own name leaves the folder is refused whatever the target.
    HZIP slip = Open(L"slip.zip");
    ASSERT_NE(slip, nullptr);
    EXPECT_EQ(ExtractZipEntry(slip, 0, const_cast<wchar_t*>(L"fine.txt"), 0, ZIP_FILENAME), ZR_NOFILE);
    EXPECT_FALSE(Exists(Scratch(L"fine.txt")));
    EXPECT_EQ(ExtractZipEntry(slip, 1, const_cast<wchar_t*>(L"ok.txt"), 0, ZIP_FILENAME), ZR_OK);
}

TEST_F(ZipTest, ExtractsToAnOpenHandle)
{
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    std::wstring path = Scratch(L"handle.bin");
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExtractZipEntry(hz, 2, h, 0, ZIP_HANDLE), ZR_OK);
    CloseHandle(h);
    EXPECT_EQ(ReadFileBytes(path), Pattern(100000, 7, 3));
}

TEST_F(ZipTest, OpensFromEverySource)
{
    std::vector<BYTE> bytes = ReadFileBytes(Fixture(L"skin.zip"));
    ASSERT_FALSE(bytes.empty());
    HZIP mem = OpenZipArchive(bytes.data(), static_cast<unsigned>(bytes.size()), ZIP_MEMORY);
    ASSERT_NE(mem, nullptr);
    m_open.push_back(mem);

    std::wstring path = Fixture(L"skin.zip");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HZIP byHandle = OpenZipArchive(file, 0, ZIP_HANDLE);
    // The archive keeps its own duplicate of the handle.
    CloseHandle(file);
    ASSERT_NE(byHandle, nullptr);
    m_open.push_back(byHandle);

    for (HZIP hz : { mem, byHandle }) {
        int index;
        ZipEntry ze;
        EXPECT_EQ(FindZipEntry(hz, L"SKIN/MAIN.XML", true, &index, &ze), ZR_OK);
        char xml[64] = {};
        EXPECT_EQ(ExtractZipEntry(hz, index, xml, sizeof(xml), ZIP_MEMORY), ZR_MORE);
        EXPECT_STREQ(xml, "<Window><Label text=\"hello\"/></Window>");
    }
}

TEST_F(ZipTest, OpenFailuresSayWhy)
{
    EXPECT_EQ(Open(L"missing.zip"), nullptr);
    EXPECT_EQ(GetZipLastError(), ZR_NOFILE);

    EXPECT_EQ(Open(L"notzip.zip"), nullptr);
    EXPECT_NE(GetZipLastError(), ZR_OK);

    std::vector<BYTE> junk(64, 'x');
    EXPECT_EQ(OpenZipArchive(junk.data(), static_cast<unsigned>(junk.size()), ZIP_MEMORY), nullptr);
    EXPECT_NE(GetZipLastError(), ZR_OK);

    EXPECT_EQ(OpenZipArchive(junk.data(), 64, 7), nullptr);
    EXPECT_EQ(GetZipLastError(), ZR_ARGS);
    EXPECT_EQ(OpenZipArchive(nullptr, 0, ZIP_FILENAME), nullptr);
    EXPECT_EQ(GetZipLastError(), ZR_ARGS);

    HANDLE readEnd, writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, NULL, 0));
    EXPECT_EQ(OpenZipArchive(readEnd, 0, ZIP_HANDLE), nullptr);
    EXPECT_EQ(GetZipLastError(), ZR_NOTDISKFILE);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);

    EXPECT_EQ(OpenZipArchive(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x7FF0)), 0, ZIP_HANDLE), nullptr);
    EXPECT_EQ(GetZipLastError(), ZR_NODUPH);
}

TEST_F(ZipTest, CloseCodes)
{
    EXPECT_EQ(CloseZipArchive(nullptr), ZR_ARGS);
    EXPECT_EQ(GetZipLastError(), ZR_ARGS);
    ZipHandle foreign = { 2, nullptr };
    EXPECT_EQ(CloseZipArchive(&foreign), ZR_NOTZIPHANDLE);
    EXPECT_EQ(GetZipLastError(), ZR_NOTZIPHANDLE);
    int index;
    ZipEntry ze;
    EXPECT_EQ(FindZipEntry(&foreign, L"a", true, &index, &ze), ZR_NOTZIPHANDLE);
    EXPECT_EQ(ExtractZipEntry(nullptr, 0, &ze, 1, ZIP_MEMORY), ZR_ARGS);

    // An entry left open mid-way is closed with the archive.
    HZIP hz = Open(L"skin.zip");
    ASSERT_NE(hz, nullptr);
    BYTE part[10];
    EXPECT_EQ(ExtractZipEntry(hz, 2, part, sizeof(part), ZIP_MEMORY), ZR_MORE);
    Forget(hz);
    EXPECT_EQ(CloseZipArchive(hz), ZR_OK);
    EXPECT_EQ(GetZipLastError(), ZR_OK);
}

TEST_F(ZipTest, AttributesFromDosAndUnixTools)
{
    HZIP hz = Open(L"attrs.zip");
    ASSERT_NE(hz, nullptr);
    const DWORD N = FILE_ATTRIBUTE_NORMAL;
    struct Case {
        const wchar_t* name;
        DWORD attr;
    } cases[] = {
        { L"dos-plain.txt", N },
        { L"dos-readonly.txt", N | FILE_ATTRIBUTE_READONLY },
        { L"dos-hidden.txt", N | FILE_ATTRIBUTE_HIDDEN },
        { L"dos-system.txt", N | FILE_ATTRIBUTE_SYSTEM },
        { L"dos-archive.txt", N | FILE_ATTRIBUTE_ARCHIVE },
        { L"unix-rw.txt", N },
        { L"unix-ro.txt", N | FILE_ATTRIBUTE_READONLY },
        { L"unix-dir/", N | FILE_ATTRIBUTE_DIRECTORY },
    };
    for (const Case& c : cases) {
        int index;
        ZipEntry ze;
        ASSERT_EQ(FindZipEntry(hz, c.name, false, &index, &ze), ZR_OK);
        EXPECT_EQ(ze.attr, c.attr) << testing::PrintToString(std::wstring(c.name));
    }

    // The read-only attribute reaches the extracted file.
    int index;
    ZipEntry ze;
    ASSERT_EQ(FindZipEntry(hz, L"unix-ro.txt", false, &index, &ze), ZR_OK);
    EXPECT_EQ(ExtractZipEntry(hz, index, const_cast<wchar_t*>(L"ro.txt"), 0, ZIP_FILENAME), ZR_OK);
    EXPECT_TRUE(GetFileAttributesW(Scratch(L"ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(ZipTest, ExtendedTimeStamps)
{
    HZIP hz = Open(L"times.zip");
    ASSERT_NE(hz, nullptr);
    const ULONGLONG dos = FixtureDosTime();
    const ULONGLONG m = UnixAsFileTime(1000000000), a = UnixAsFileTime(1100000000), c = UnixAsFileTime(1200000000);
    struct Case {
        const wchar_t* name;
        ULONGLONG mtime, atime, ctime;
    } cases[] = {
        { L"all.txt", m, a, c },
        { L"mtime.txt", m, dos, dos },
        // A block running past the field is not read at all.
        { L"short.txt", dos, dos, dos },
        { L"after.txt", m, a, c },
        { L"dos.txt", dos, dos, dos },
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(t.name)));
        int index;
        ZipEntry ze;
        ASSERT_EQ(FindZipEntry(hz, t.name, false, &index, &ze), ZR_OK);
        EXPECT_EQ(AsNumber(ze.mtime), t.mtime);
        EXPECT_EQ(AsNumber(ze.atime), t.atime);
        EXPECT_EQ(AsNumber(ze.ctime), t.ctime);
    }
}

TEST_F(ZipTest, InfoZipArchive)
{
    HZIP hz = Open(L"infozip.zip");
    ASSERT_NE(hz, nullptr);
    int index;
    ZipEntry ze;
    ASSERT_EQ(FindZipEntry(hz, L"INFOZIP.TXT", true, &index, &ze), ZR_OK);
    EXPECT_EQ(AsNumber(ze.mtime), UnixAsFileTime(1000000000));
    EXPECT_EQ(AsNumber(ze.atime), UnixAsFileTime(1100000000));
    EXPECT_TRUE(ze.attr & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ze.unc_size, 20);

    EXPECT_EQ(ExtractZipEntry(hz, index, const_cast<wchar_t*>(L"info.txt"), 0, ZIP_FILENAME), ZR_OK);
    WIN32_FILE_ATTRIBUTE_DATA fad;
    ASSERT_TRUE(GetFileAttributesExW(Scratch(L"info.txt").c_str(), GetFileExInfoStandard, &fad));
    EXPECT_EQ(AsNumber(fad.ftLastWriteTime), UnixAsFileTime(1000000000));
    std::vector<BYTE> text = ReadFileBytes(Scratch(L"info.txt"));
    EXPECT_EQ(std::string(text.begin(), text.end()), "written by Info-ZIP\n");
}
