// Package names, download figures and the executable header check.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "Downloads.h"
#include "common/ModuleFolder.h"
#include "ProgressFigures.h"
#include "SelfReplace.h"
#include "common/TextConvert.h"

namespace {

struct NameCase {
  std::string url;
  std::wstring name;
};

// Keeps the case readable in test names and failure messages.
void PrintTo(const NameCase& c, std::ostream* os) { *os << testing::PrintToString(c.url); }

class ArchiveNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ArchiveNameTest, IsTheLastPieceWhenUsable) { EXPECT_EQ(ArchiveNameFromUrl(GetParam().url), GetParam().name); }

INSTANTIATE_TEST_SUITE_P(Table, ArchiveNameTest,
                         testing::Values(NameCase{"http://h/p/game.7z", L"game.7z"}, NameCase{"game.7z", L"game.7z"},
                                         NameCase{"", L""}, NameCase{"http://h/p/", L""},
                                         NameCase{"http://h/p/.", L""}, NameCase{"http://h/p/..", L""},
                                         NameCase{"http://h/g.7z?v=2", L""}, NameCase{"http://h/a|b", L""},
                                         NameCase{"http://h/a:b", L""}, NameCase{"http://h/a\"b", L""},
                                         NameCase{"http://h/a\tb", L""}, NameCase{"http://h/my game.7z", L"my game.7z"},
                                         // Devices and the folder's own files: a failed download
                                         // would delete them.
                                         NameCase{"http://h/NUL", L""}, NameCase{"http://h/com1", L""},
                                         NameCase{"http://h/7z.dll", L""}, NameCase{"http://h/ZelUpGame.ini", L""},
                                         NameCase{"http://h/ZelLogin.ini", L""}, NameCase{"http://h/zelloader.exe", L""},
                                         NameCase{"http://h/Login.exe", L""}, NameCase{"http://h/old.exe", L""},
                                         NameCase{"http://h/7z.dll.", L""}, NameCase{"http://h/game.7z ", L""}));

TEST(ArchiveName, TakesChineseNames) { EXPECT_EQ(ArchiveNameFromUrl(WideToAnsi(L"http://h/游戏.7z")), L"游戏.7z"); }

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
void PrintTo(const FigureCase& c, std::ostream* os) { *os << c.name; }

class DownloadFiguresTest : public testing::TestWithParam<FigureCase> {};

TEST_P(DownloadFiguresTest, Computes) {
  const FigureCase& c = GetParam();
  DownloadFigures f = ComputeDownloadFigures(c.done, c.total, c.elapsed, c.previousMb);
  EXPECT_EQ(f.percent, c.percent);
  EXPECT_DOUBLE_EQ(f.kbPerSecond, c.kb);
  EXPECT_DOUBLE_EQ(f.mbPerSecond, c.mb);
  EXPECT_EQ(f.percentText, c.percentText);
  EXPECT_EQ(f.speedText, c.speedText);
}

constexpr ULONGLONG MB = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Table, DownloadFiguresTest,
    testing::Values(
        FigureCase{"FirstSecondShowsZeroKb", 512, 1000, 0, 0.0, 51, 0.0, 0.0, L"正在下载...(51%)",
                   L"下载速度：0.00 KB/秒"},
        FigureCase{"BelowOneMegabyteInKb", 512 * 1024, MB, 2, 0.0, 50, 256.0, 0.0, L"正在下载...(50%)",
                   L"下载速度：256.00 KB/秒"},
        FigureCase{"KbCountsWholeKilobytes", 1023, MB, 1, 0.0, 0, 0.0, 0.0, L"正在下载...(0%)",
                   L"下载速度：0.00 KB/秒"},
        FigureCase{"FromOneMegabyteInMb", MB, 10 * MB, 1, 0.0, 10, 1024.0, 1.0, L"正在下载...(10%)",
                   L"下载速度：1.00 MB/秒"},
        FigureCase{"WholeMegabytesOverWholeSeconds", 3 * MB - 1, 4 * MB, 2, 0.0, 74, 1535.5, 1.0,
                   L"正在下载...(74%)", L"下载速度：1.00 MB/秒"},
        FigureCase{"SmallMbStillInMb", 2 * MB, 4 * MB, 3, 0.0, 50, 2048.0 / 3.0, 2.0 / 3.0, L"正在下载...(50%)",
                   L"下载速度：0.67 MB/秒"},
        FigureCase{"NoWholeSecondKeepsTheLastMb", 5 * MB, 10 * MB, 0, 2.5, 50, 0.0, 2.5, L"正在下载...(50%)",
                   L"下载速度：2.50 MB/秒"},
        FigureCase{"UnknownTotalStaysAtZero", 5 * MB, 0, 5, 0.0, 0, 1024.0, 1.0, L"正在下载...(0%)",
                   L"下载速度：1.00 MB/秒"},
        FigureCase{"MoreThanAnnouncedStaysAtHundred", 3000, 1000, 1, 0.0, 100, 2.0, 0.0, L"正在下载...(100%)",
                   L"下载速度：2.00 KB/秒"},
        FigureCase{"ClockSetBackCountsAsNoTime", 2 * MB, 4 * MB, -3, 0.0, 50, 0.0, 0.0, L"正在下载...(50%)",
                   L"下载速度：0.00 KB/秒"},
        FigureCase{"Complete", 4 * MB, 4 * MB, 2, 0.0, 100, 2048.0, 2.0, L"正在下载...(100%)",
                   L"下载速度：2.00 MB/秒"}),
    [](const testing::TestParamInfo<FigureCase>& info) { return std::string(info.param.name); });

// --- executable header check ----------------------------------------------------------

TEST(HasExecutableHeader, AcceptsOnlyFilesStartingWithMZ) {
  struct Case {
    const char* content;
    DWORD size;
    bool ok;
  };
  const Case cases[] = {{"MZ\x90\0", 4, true}, {"MZ", 2, true}, {"M", 1, false}, {"<html>", 6, false}, {"", 0, false}};
  const std::wstring path = GetCurrentModuleDirectory() + L"header-check.bin";
  for (const Case& c : cases) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, c.content, c.size, &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(HasExecutableHeader(path), c.ok) << c.content;
  }
  DeleteFileW(path.c_str());
  EXPECT_FALSE(HasExecutableHeader(path));
}

}  // namespace
