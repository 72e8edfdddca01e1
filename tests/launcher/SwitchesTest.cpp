#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LoginDlg.h"
#include "Switches.h"
#include "LoginSettings.h"
#include "common/TextConvert.h"
#include "common/SplitString.h"

namespace {

TEST(LauncherText, SplitStringKeepsLeadingButNotTrailingEmptyPieces)
{
    struct Case {
        const char* text;
        const char* separator;
        std::vector<std::string> pieces;
    } cases[] = {
        { "a--b--c", "--", { "a", "b", "c" } },
        { "--token=abc", "--", { "", "token=abc" } },
        { "x--token=abc--y", "--", { "x", "token=abc", "y" } },
        { "abc--", "--", { "abc" } },
        { "----", "--", { "", "" } },
        { "", "--", {} },
        { "token=a=b", "=", { "token", "a", "b" } },
        { "token=", "=", { "token" } },
    };
    for (const Case& c : cases) EXPECT_EQ(c.pieces, SplitString(c.text, c.separator)) << c.text;
}

TEST(LauncherText, FormatStringAndCodePageRoundTrip)
{
    EXPECT_EQ("C:\\game\\ZelLogin.ini", FormatString("%sZelLogin.ini", "C:\\game\\"));
    EXPECT_EQ("", FormatString("%s", ""));
    const std::wstring chinese = L"最小化";
    EXPECT_EQ(chinese, AnsiToWide(WideToAnsi(chinese)));
    EXPECT_EQ("", WideToAnsi(L""));
}

// Each row is the command line's elements in order and the six values they leave.
TEST(LauncherSwitches, ElementsAreParsedAsHostsWriteThem)
{
    struct Case {
        std::vector<std::string> elements;
        LauncherSwitches expected;
    } cases[] = {
        { { "--winid=123" }, { "123", "", "", "", "", "" } },
        { { "--winid=123=4" }, { "123", "", "", "", "", "" } },
        // The names are found anywhere in the switch text, "token" before "fileparam".
        { { "--fileparam=token" }, { "", "token", "", "", "", "" } },
        { { "--serverid=7" }, { "", "", "", "7", "", "" } },
        { { "--source=s", "--fcext=e", "--fileparam=f" }, { "", "", "s", "", "e", "f" } },
        { { "--token=a", "--token=b" }, { "", "b", "", "", "", "" } },
        { { "--token=a", "--token=" }, { "", "", "", "", "", "" } },
        { { "--token=a", "--token" }, { "", "", "", "", "", "" } },
        { { "x--token=abc--y" }, { "", "abc", "", "", "", "" } },
        { { "C:\\games--x\\Login.exe", "--token=t" }, { "", "t", "", "", "", "" } },
        { { "C:\\a--token=p\\Login.exe" }, { "", "p\\Login.exe", "", "", "", "" } },
        { { "token=abc", "--nothing=1", "-winid=5" }, { "", "", "", "", "", "" } },
    };
    for (const Case& c : cases) {
        LauncherSwitches parsed;
        for (const std::string& element : c.elements) ParseSwitchElement(element, parsed);
        const std::string where = c.elements.back();
        EXPECT_EQ(c.expected.winid, parsed.winid) << where;
        EXPECT_EQ(c.expected.token, parsed.token) << where;
        EXPECT_EQ(c.expected.source, parsed.source) << where;
        EXPECT_EQ(c.expected.serverid, parsed.serverid) << where;
        EXPECT_EQ(c.expected.fcext, parsed.fcext) << where;
        EXPECT_EQ(c.expected.fileparam, parsed.fileparam) << where;
    }
}

TEST(LauncherSwitches, WholeCommandLineIncludingQuotedElements)
{
    LauncherSwitches parsed;
    ParseLauncherCommandLine(L"\"C:\\Program Files\\Zel\\Login.exe\" --winid=66 \"--token=a b\" --serverid=3", parsed);
    EXPECT_EQ("66", parsed.winid);
    EXPECT_EQ("a b", parsed.token);
    EXPECT_EQ("3", parsed.serverid);
}

TEST(LauncherSwitches, HostWindowAndPageAddress)
{
    struct Case {
        const char* winid;
        ULONG_PTR window;
    } cases[] = { { "123", 123 }, { "", 0 }, { "abc", 0 }, { "0", 0 }, { "0x10", 0 }, { "4294967295", 0xFFFFFFFFul },
                  { "77z", 77 } };
    for (const Case& c : cases) EXPECT_EQ(c.window, reinterpret_cast<ULONG_PTR>(ParseHostWindow(c.winid))) << c.winid;

    LauncherSwitches switches{ "9", "t", "s", "1", "x", "f" };
    EXPECT_EQ("P?token=t&source=s&serverid=1&fcext=x&fileparam=f", BuildPageAddress("P", switches));
    EXPECT_EQ("?token=&source=&serverid=&fcext=&fileparam=", BuildPageAddress("", LauncherSwitches{}));
}

} // namespace
