#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "common/SplitString.h"
#include "common/TextConvert.h"

// The tests run with the system code page 936 (GBK), as the programs do in the field.

TEST(TextConvert, ChineseThroughEveryPair)
{
    const std::wstring wide = L"更新程序 v2";
    const std::string utf8 = "\xE6\x9B\xB4\xE6\x96\xB0\xE7\xA8\x8B\xE5\xBA\x8F v2";
    const std::string gbk = "\xB8\xFC\xD0\xC2\xB3\xCC\xD0\xF2 v2";
    EXPECT_EQ(WideToAnsi(wide), gbk);
    EXPECT_EQ(AnsiToWide(gbk), wide);
    EXPECT_EQ(Utf8ToWide(utf8), wide);
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToAnsi(utf8), gbk);
    EXPECT_EQ(AnsiToUtf8(gbk), utf8);
}

TEST(TextConvert, EmbeddedZerosAreKept)
{
    // A zero is part of the content: a check that reads the whole string sees what follows it.
    const std::wstring wide(L"game\0.exe", 9);
    const std::string narrow("game\0.exe", 9);
    EXPECT_EQ(WideToAnsi(wide), narrow);
    EXPECT_EQ(AnsiToWide(narrow), wide);
    EXPECT_EQ(Utf8ToAnsi(narrow), narrow);
    EXPECT_EQ(AnsiToUtf8(narrow), narrow);
    EXPECT_EQ(WideToUtf8(std::wstring(L"\0", 1)), std::string("\0", 1));
    EXPECT_EQ(Utf8ToWide(std::string("a\0\0", 3)), std::wstring(L"a\0\0", 3));
}

TEST(TextConvert, EmptyAndUnconvertible)
{
    EXPECT_EQ(WideToAnsi(L""), "");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(Utf8ToAnsi(""), "");
    // A character that GBK lacks and a broken UTF-8 sequence come out as the platform's
    // replacements, never as a cut or empty text.
    EXPECT_EQ(WideToAnsi(L"a\u0E01b").size(), 3u);
    EXPECT_EQ(Utf8ToWide("a\xFF"
                         "b")
                  .size(),
              3u);
    EXPECT_EQ(WideToCodePage(L"a\u0E01b", 936), "a_b");
    EXPECT_EQ(WideToCodePage(L"中", CP_UTF8), "\xE4\xB8\xAD");
}

TEST(SplitString, Table)
{
    struct Case {
        const char* text;
        const char* separator;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        { "a/b/c", "/", { "a", "b", "c" } },
        { "/a", "/", { "", "a" } },
        { "a//b", "/", { "a", "", "b" } },
        { "a/", "/", { "a" } },
        { "a//", "/", { "a", "" } },
        { "/", "/", { "" } },
        { "", "/", {} },
        { "//", "/", { "", "" } },
        { "abc", "/", { "abc" } },
        { "--winid=5 --token=x", "--", { "", "winid=5 ", "token=x" } },
        { "a--", "--", { "a" } },
        { "a---b", "--", { "a", "-b" } },
        { "abc", "", { "abc" } },
        { "", "", {} },
        { "http://h/p/game.7z", "/", { "http:", "", "h", "p", "game.7z" } },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitString(c.text, c.separator), c.pieces) << '"' << c.text << "\" at \"" << c.separator << '"';
    }
}

TEST(SplitString, EmbeddedZeroIsAnOrdinaryByte)
{
    EXPECT_EQ(SplitString(std::string("a\0b/c", 5), "/"), (std::vector<std::string>{ std::string("a\0b", 3), "c" }));
    EXPECT_EQ(SplitString(std::string("a\0b", 3), std::string("\0", 1)), (std::vector<std::string>{ "a", "b" }));
}
