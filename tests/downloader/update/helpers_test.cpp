// Package names, download figures and the checks of a new updater.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "Downloads.h"
#include "common/ModuleFolder.h"
#include "ProgressFigures.h"
#include "ProgramImage.h"
#include "SelfReplace.h"
#include "common/TextConvert.h"
#include "WinInetTransfer.h"

namespace {

struct NameCase {
    std::string url;
    std::wstring name;
};

// Keeps the case readable in test names and failure messages.
void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << testing::PrintToString(c.url);
}

class ArchiveNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ArchiveNameTest, IsTheLastPieceWhenUsable)
{
    EXPECT_EQ(ArchiveNameFromUrl(GetParam().url), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArchiveNameTest,
    testing::Values(NameCase{ "http://h/p/game.7z", L"game.7z" }, NameCase{ "game.7z", L"game.7z" },
                    NameCase{ "", L"" }, NameCase{ "http://h/p/", L"" }, NameCase{ "http://h/p/.", L"" },
                    NameCase{ "http://h/p/..", L"" }, NameCase{ "http://h/g.7z?v=2", L"" },
                    NameCase{ "http://h/a|b", L"" }, NameCase{ "http://h/a:b", L"" }, NameCase{ "http://h/a\"b", L"" },
                    NameCase{ "http://h/a\tb", L"" }, NameCase{ "http://h/my game.7z", L"my game.7z" },
                    // Devices and the folder's own files: a failed download
                    // would delete them.
                    NameCase{ "http://h/NUL", L"" }, NameCase{ "http://h/com1", L"" },
                    NameCase{ "http://h/7z.dll", L"" }, NameCase{ "http://h/ZelUpGame.ini", L"" },
                    NameCase{ "http://h/ZelLogin.ini", L"" }, NameCase{ "http://h/zelloader.exe", L"" },
                    NameCase{ "http://h/Login.exe", L"" }, NameCase{ "http://h/old.exe", L"" },
                    NameCase{ "http://h/7z.dll.", L"" }, NameCase{ "http://h/game.7z ", L"" }));

TEST(ArchiveName, TakesChineseNames)
{
    EXPECT_EQ(ArchiveNameFromUrl(WideToAnsi(L"http://h/游戏.7z")), L"游戏.7z");
}

// --- package download figures ---------------------------------------------------------

struct FigureCase {
    const char* name;
    ULONGLONG done, total;
    long long elapsed;
    double previousMb;
    int percent;
    double kb, mb;
    std::wstring percentText, speedText;
};

// Keeps the case readable in test names and failure messages.
void PrintTo(const FigureCase& c, std::ostream* os)
{
    *os << c.name;
}

class DownloadFiguresTest : public testing::TestWithParam<FigureCase> {};

TEST_P(DownloadFiguresTest, Computes)
{
    const FigureCase& c = GetParam();
    DownloadFigures f = ComputeDownloadFigures(c.done, c.total, c.elapsed, c.previousMb);
    EXPECT_EQ(f.percent, c.percent);
    EXPECT_DOUBLE_EQ(f.kbPerSecond, c.kb);
    EXPECT_DOUBLE_EQ(f.mbPerSecond, c.mb);
    EXPECT_EQ(f.percentText, c.percentText);
    EXPECT_EQ(f.speedText, c.speedText);
}

constexpr ULONGLONG MB = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(Table, DownloadFiguresTest,
                         testing::Values(FigureCase{ "FirstSecondShowsZeroKb", 512, 1000, 0, 0.0, 51, 0.0, 0.0,
                                                     L"正在下载...(51%)", L"下载速度：0.00 KB/秒" },
                                         FigureCase{ "BelowOneMegabyteInKb", 512 * 1024, MB, 2, 0.0, 50, 256.0, 0.0,
                                                     L"正在下载...(50%)", L"下载速度：256.00 KB/秒" },
                                         FigureCase{ "KbCountsWholeKilobytes", 1023, MB, 1, 0.0, 0, 0.0, 0.0,
                                                     L"正在下载...(0%)", L"下载速度：0.00 KB/秒" },
                                         FigureCase{ "FromOneMegabyteInMb", MB, 10 * MB, 1, 0.0, 10, 1024.0, 1.0,
                                                     L"正在下载...(10%)", L"下载速度：1.00 MB/秒" },
                                         FigureCase{ "WholeMegabytesOverWholeSeconds", 3 * MB - 1, 4 * MB, 2, 0.0, 74,
                                                     1535.5, 1.0, L"正在下载...(74%)", L"下载速度：1.00 MB/秒" },
                                         FigureCase{ "SmallMbStillInMb", 2 * MB, 4 * MB, 3, 0.0, 50, 2048.0 / 3.0,
                                                     2.0 / 3.0, L"正在下载...(50%)", L"下载速度：0.67 MB/秒" },
                                         FigureCase{ "NoWholeSecondKeepsTheLastMb", 5 * MB, 10 * MB, 0, 2.5, 50, 0.0,
                                                     2.5, L"正在下载...(50%)", L"下载速度：2.50 MB/秒" },
                                         FigureCase{ "UnknownTotalStaysAtZero", 5 * MB, 0, 5, 0.0, 0, 1024.0, 1.0,
                                                     L"正在下载...(0%)", L"下载速度：1.00 MB/秒" },
                                         FigureCase{ "MoreThanAnnouncedStaysAtHundred", 3000, 1000, 1, 0.0, 100, 2.0,
                                                     0.0, L"正在下载...(100%)", L"下载速度：2.00 KB/秒" },
                                         FigureCase{ "ClockSetBackCountsAsNoTime", 2 * MB, 4 * MB, -3, 0.0, 50, 0.0,
                                                     0.0, L"正在下载...(50%)", L"下载速度：0.00 KB/秒" },
                                         FigureCase{ "Complete", 4 * MB, 4 * MB, 2, 0.0, 100, 2048.0, 2.0,
                                                     L"正在下载...(100%)", L"下载速度：2.00 MB/秒" }),
                         [](const testing::TestParamInfo<FigureCase>& info) { return std::string(info.param.name); });

// --- the new updater's checks -------------------------------------------------------

std::string ReadAll(const std::wstring& path)
{
    std::string data;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return data;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0) data.append(buffer, read);
    CloseHandle(h);
    return data;
}

void WriteAll(const std::wstring& path, const std::string& data)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
}

void PutWord(std::string& image, size_t at, WORD value)
{
    image[at] = static_cast<char>(value & 0xFF);
    image[at + 1] = static_cast<char>(value >> 8);
}

TEST(IsStartableProgramImage, OnlyWindowProgramsForThisMachine)
{
    // This test program is a console program of this build; with the GUI subsystem it is what
    // a published updater must be.
    wchar_t self[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    ASSERT_GT(n, 0u);
    const std::string console = ReadAll(self);
    ASSERT_GT(console.size(), 4096u);
    const size_t pe = *reinterpret_cast<const DWORD*>(console.data() + 0x3C);
    const size_t machine = pe + 4, characteristics = pe + 22, magic = pe + 24, subsystem = pe + 24 + 68;
    std::string gui = console;
    PutWord(gui, subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    struct Case {
        const char* name;
        std::string content;
        bool startable;
    };
    std::vector<Case> cases = {
        { "window program", gui, true },
        { "console program", console, false },
        { "DOS stub", "MZ" + std::string(4000, '\0'), false },
        { "MZ only", "MZ", false },
        { "headers cut", gui.substr(0, pe + 40), false },
        { "no PE signature", gui, false },
        { "other machine", gui, false },
        { "DLL", gui, false },
        { "other optional header", gui, false },
        { "e_lfanew past the end", gui, false },
        { "empty", "", false },
    };
    cases[5].content[pe] = 'X';
    PutWord(cases[6].content, machine, sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_AMD64);
    PutWord(cases[7].content, characteristics,
            static_cast<WORD>(static_cast<unsigned char>(gui[characteristics]) |
                              (static_cast<unsigned char>(gui[characteristics + 1]) << 8) | IMAGE_FILE_DLL));
    PutWord(cases[8].content, magic, sizeof(void*) == 8 ? 0x10B : 0x20B);
    cases[9].content[0x3C] = '\xF0';
    cases[9].content[0x3D] = '\xFF';
    cases[9].content[0x3E] = '\xFF';
    cases[9].content[0x3F] = '\x0F';

    const std::wstring path = GetCurrentModuleDirectory() + L"image-check.bin";
    for (const Case& c : cases) {
        WriteAll(path, c.content);
        EXPECT_EQ(IsStartableProgramImage(path), c.startable) << c.name;
    }
    DeleteFileW(path.c_str());
    EXPECT_FALSE(IsStartableProgramImage(path));
}

TEST(SameFileContents, ComparesEveryByte)
{
    const std::wstring folder = GetCurrentModuleDirectory();
    const std::wstring a = folder + L"same-a.bin", b = folder + L"same-b.bin";
    std::string big(200 * 1024, 'z');
    WriteAll(a, big);
    WriteAll(b, big);
    EXPECT_TRUE(SameFileContents(a, b));
    big[150 * 1024] = 'y'; // in the third block read
    WriteAll(b, big);
    EXPECT_FALSE(SameFileContents(a, b));
    WriteAll(b, big.substr(0, 1000));
    EXPECT_FALSE(SameFileContents(a, b));
    WriteAll(a, "");
    WriteAll(b, "");
    EXPECT_TRUE(SameFileContents(a, b));
    DeleteFileW(b.c_str());
    EXPECT_FALSE(SameFileContents(a, b));
    DeleteFileW(a.c_str());
}

TEST(IsFailureExitStatus, LoaderAndCrashStatusesOnly)
{
    for (unsigned long code : { 0xC0000135ul, 0xC0000034ul, 0xC000007Bul, 0xC0000005ul, 0xC0000142ul, 0xD0000001ul })
        EXPECT_TRUE(IsFailureExitStatus(code)) << std::hex << code;
    // Our own ends (0, -1 after a box), other programs' small codes, and customer codes.
    for (unsigned long code : { 0ul, 1ul, 3ul, 0xFFFFFFFFul, 0x80000003ul, 0x40010005ul, 0xE06D7363ul })
        EXPECT_FALSE(IsFailureExitStatus(code)) << std::hex << code;
}

TEST(HttpUrl, TakesOnlyHttpAddressesWithAHost)
{
    const struct {
        const wchar_t* url;
        bool ok;
        bool secure;
        const wchar_t* host;
        int port;
        const wchar_t* object;
    } cases[] = {
        { L"http://127.0.0.1:29080/pkg/game.7z", true, false, L"127.0.0.1", 29080, L"/pkg/game.7z" },
        { L"HTTPS://Example.com/a?b=c#frag", true, true, L"Example.com", 443, L"/a?b=c" },
        { L"http://host", true, false, L"host", 80, L"/" },
        { L"http://host?x=1", true, false, L"host", 80, L"/?x=1" },
        { L"http://user:pw@host:8080/x", true, false, L"host", 8080, L"/x" },
        { L"http://[::1]:81/x", true, false, L"::1", 81, L"/x" },
        { L"", false, false, L"", 0, L"" },
        { L":", false, false, L"", 0, L"" },
        { L"::::", false, false, L"", 0, L"" },
        { L":/x.7z", false, false, L"", 0, L"" },
        { L"ftp:x.7z", false, false, L"", 0, L"" },
        { L"ftp://host/x.7z", false, false, L"", 0, L"" },
        { L"http:/host/x", false, false, L"", 0, L"" },
        { L"http://", false, false, L"", 0, L"" },
        { L"http:///x.7z", false, false, L"", 0, L"" },
        { L"http://:80/x", false, false, L"", 0, L"" },
        { L"http://user@/x", false, false, L"", 0, L"" },
        { L"http://host:0/x", false, false, L"", 0, L"" },
        { L"http://host:65536/x", false, false, L"", 0, L"" },
        { L"http://host:8a/x", false, false, L"", 0, L"" },
        { L"http://ho st/x", false, false, L"", 0, L"" },
        { L"http://ho\\st/x", false, false, L"", 0, L"" },
        { L"http://[::1/x", false, false, L"", 0, L"" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.url));
        HttpUrl url;
        ASSERT_EQ(ParseHttpUrl(c.url, url), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(url.secure, c.secure);
        EXPECT_EQ(url.host, c.host);
        EXPECT_EQ(url.port, c.port);
        EXPECT_EQ(url.object, c.object);
    }
}

struct Resolution {
    const wchar_t* reference;
    const wchar_t* expected;
};

// Each reference read against base, and what is then asked for: the result without its fragment.
void ExpectResolved(const wchar_t* base, std::initializer_list<Resolution> cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(WideToUtf8(base) + " + " + WideToUtf8(c.reference));
        const std::wstring resolved = ResolveRedirect(base, c.reference);
        EXPECT_EQ(resolved, c.expected);
        HttpUrl url;
        if (!ParseHttpUrl(resolved, url)) continue;
        const std::wstring expected = c.expected;
        const size_t path = expected.find(L'/', expected.find(L"//") + 2);
        EXPECT_EQ(url.object, path == std::wstring::npos ? L"/" : expected.substr(path, expected.find(L'#') - path));
    }
}

TEST(HttpUrl, RedirectsResolveAgainstTheirRequest)
{
    ExpectResolved(L"https://host:8443/pkg/v2/game.7z?x=1", {
        { L"http://other/x.7z", L"http://other/x.7z" },
        { L"//cdn/x.7z", L"https://cdn/x.7z" },
        { L"/x.7z", L"https://host:8443/x.7z" },
        { L"x.7z", L"https://host:8443/pkg/v2/x.7z" },
        { L"../x.7z?y=2", L"https://host:8443/pkg/x.7z?y=2" },
        { L"?sig=2", L"https://host:8443/pkg/v2/game.7z?sig=2" },
        { L"#part", L"https://host:8443/pkg/v2/game.7z?x=1#part" },
        { L"ftp://other/x.7z", L"ftp://other/x.7z" }, // refused when read again
    });
    ExpectResolved(L"http://host/a/b", { { L"c", L"http://host/a/c" } });
    // Nothing but a query after the host: the path is the root.
    ExpectResolved(L"http://host?q", { { L"x.7z", L"http://host/x.7z" } });
    ExpectResolved(L"http://user:pw@host:81/a/b", { { L"c", L"http://user:pw@host:81/a/c" } });
}

// The reference resolution examples of URI syntax (normal ones, then the abnormal ones, the
// scheme of "http:g" taken strictly) against their base.
TEST(HttpUrl, ReferencesResolveAsUriSyntaxSays)
{
    ExpectResolved(L"http://a/b/c/d;p?q", {
        { L"g:h", L"g:h" },
        { L"g", L"http://a/b/c/g" },
        { L"./g", L"http://a/b/c/g" },
        { L"g/", L"http://a/b/c/g/" },
        { L"/g", L"http://a/g" },
        { L"//g", L"http://g" },
        { L"?y", L"http://a/b/c/d;p?y" },
        { L"g?y", L"http://a/b/c/g?y" },
        { L"#s", L"http://a/b/c/d;p?q#s" },
        { L"g#s", L"http://a/b/c/g#s" },
        { L"g?y#s", L"http://a/b/c/g?y#s" },
        { L";x", L"http://a/b/c/;x" },
        { L"g;x", L"http://a/b/c/g;x" },
        { L"g;x?y#s", L"http://a/b/c/g;x?y#s" },
        { L"", L"http://a/b/c/d;p?q" },
        { L".", L"http://a/b/c/" },
        { L"./", L"http://a/b/c/" },
        { L"..", L"http://a/b/" },
        { L"../", L"http://a/b/" },
        { L"../g", L"http://a/b/g" },
        { L"../..", L"http://a/" },
        { L"../../", L"http://a/" },
        { L"../../g", L"http://a/g" },

        { L"../../../g", L"http://a/g" },
        { L"../../../../g", L"http://a/g" },
        { L"/./g", L"http://a/g" },
        { L"/../g", L"http://a/g" },
        { L"g.", L"http://a/b/c/g." },
        { L".g", L"http://a/b/c/.g" },
        { L"g..", L"http://a/b/c/g.." },
        { L"..g", L"http://a/b/c/..g" },
        { L"./../g", L"http://a/b/g" },
        { L"./g/.", L"http://a/b/c/g/" },
        { L"g/./h", L"http://a/b/c/g/h" },
        { L"g/../h", L"http://a/b/c/h" },
        { L"g;x=1/./y", L"http://a/b/c/g;x=1/y" },
        { L"g;x=1/../y", L"http://a/b/c/y" },
        { L"g?y/./x", L"http://a/b/c/g?y/./x" },
        { L"g?y/../x", L"http://a/b/c/g?y/../x" },
        { L"g#s/./x", L"http://a/b/c/g#s/./x" },
        { L"g#s/../x", L"http://a/b/c/g#s/../x" },
        { L"http:g", L"http:g" },
    });
    // A reference without a path keeps the base's as it stands, dot segments and all; one with
    // a path of its own loses them.
    ExpectResolved(L"http://a/b/../c", {
        { L"", L"http://a/b/../c" },
        { L"?y", L"http://a/b/../c?y" },
        { L"#s", L"http://a/b/../c#s" },
        { L"d", L"http://a/d" },
        { L"./d?y", L"http://a/d?y" },
    });
    ExpectResolved(L"http://a/b/./c/..?q", {
        { L"?y", L"http://a/b/./c/..?y" },
        { L"#s", L"http://a/b/./c/..?q#s" },
        { L"//g/x/../y", L"http://g/y" },
    });
}

// Answers as HttpQueryInfoW does with a header text: the text and its length in bytes when it
// fits with its terminator, else ERROR_INSUFFICIENT_BUFFER and the bytes it needs.
class HeaderServed {
public:
    explicit HeaderServed(std::wstring text, DWORD missing = 0) : m_text(std::move(text)), m_missing(missing) {}
    BOOL operator()(wchar_t* buffer, DWORD* size) const
    {
        if (m_missing) {
            SetLastError(m_missing);
            return FALSE;
        }
        const DWORD needed = static_cast<DWORD>((m_text.size() + 1) * sizeof(wchar_t));
        if (*size < needed) {
            *size = needed;
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::copy(m_text.begin(), m_text.end(), buffer);
        buffer[m_text.size()] = L'\0';
        *size = needed - sizeof(wchar_t);
        return TRUE;
    }

private:
    std::wstring m_text;
    DWORD m_missing;
};

TEST(HeaderText, ReadWholeUpToTheBound)
{
    const size_t bound = WinInetTransfer::kMaxLocationLength;
    for (size_t length : { size_t(0), size_t(5), size_t(2047), size_t(2048), size_t(6000), bound - 1, bound }) {
        SCOPED_TRACE(length);
        std::wstring text(length, L'q');
        if (length) text[length - 1] = L'!'; // the end arrives too
        std::wstring read = L"before";
        ASSERT_EQ(QueryHeaderText(HeaderServed(text), bound, read), 0u);
        // Lengths, not the texts, in the message: they run to 64 Ki characters.
        EXPECT_EQ(read.size(), text.size());
        EXPECT_TRUE(read == text);
    }
    for (size_t length : { bound + 1, bound * 4 }) {
        SCOPED_TRACE(length);
        std::wstring read = L"before";
        EXPECT_EQ(QueryHeaderText(HeaderServed(std::wstring(length, L'q')), bound, read),
                  static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(read.size(), 6u);
    }
    std::wstring read;
    EXPECT_EQ(QueryHeaderText(HeaderServed(L"", ERROR_HTTP_HEADER_NOT_FOUND), bound, read),
              static_cast<DWORD>(ERROR_HTTP_HEADER_NOT_FOUND));
    // A query that keeps asking for the room it was given ends too.
    const HeaderQuery stuck = [](wchar_t*, DWORD* size) {
        *size = 3000 * sizeof(wchar_t);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    };
    EXPECT_EQ(QueryHeaderText(stuck, bound, read), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

} // namespace
