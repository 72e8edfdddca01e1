// The path forms: prefixes, roots, stream colons, the long form and name comparison.

#include "PathRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PrefixCase {
    const wchar_t* path;
    bool driveRoot;
    unsigned rootPrefix;
    unsigned serverPrefix;
};

TEST(ExtractPathPrefixes, Table)
{
    const PrefixCase cases[] = {
        { L"C:\\", true, 3, 0 },
        { L"C:/", true, 3, 0 },
        { L"C:", false, 0, 0 },
        { L"C:\\dir", false, 3, 0 },
        { L"\\\\?\\C:\\", true, 7, 0 },
        { L"\\\\?\\C:\\dir\\f", false, 7, 0 },
        { L"\\\\.\\X", false, 4, 0 },
        { L"\\\\?\\UNC\\srv\\sh\\x", false, 15, 12 },
        { L"\\\\?\\unc\\srv\\sh\\x", false, 15, 12 },
        { L"\\\\srv\\sh\\x", false, 9, 6 },
        { L"//srv/sh/x", false, 9, 6 },
        { L"\\\\srv\\sh", false, 0, 6 },
        { L"\\\\srv", false, 0, 0 },
        { L"\\x", false, 1, 0 },
        { L"rel", false, 0, 0 },
        { L"rel\\x", false, 0, 0 },
    };
    for (const PrefixCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << testing::PrintToString(std::wstring(c.path)));
        EXPECT_EQ(IsDriveRootPath(c.path), c.driveRoot);
        EXPECT_EQ(GetRootPrefixSize(c.path), c.rootPrefix);
        EXPECT_EQ(GetNetworkServerPrefixSize(c.path), c.serverPrefix);
    }
}

TEST(ExtractPathPrefixes, AltStreamColon)
{
    const struct {
        const wchar_t* path;
        int colon;
    } cases[] = {
        { L"C:a:b", 3 },  { L"C:\\d\\f:s", 6 }, { L"f:s", -1 },   { L"C:", -1 },
        { L"d\\f:s", 3 }, { L"a:b\\c", -1 },    { L"plain", -1 }, { L"\\\\?\\C:\\f:s", 8 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindAltStreamColon(c.path), c.colon) << testing::PrintToString(std::wstring(c.path));
}

TEST(ExtractPathPrefixes, ExtendedLengthForm)
{
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        { L"C:\\a\\b", L"\\\\?\\C:\\a\\b" },
        { L"C:/a/b", L"\\\\?\\C:\\a\\b" },
        { L"\\\\srv\\sh\\x", L"\\\\?\\UNC\\srv\\sh\\x" },
        { L"\\\\?\\C:\\x", L"\\\\?\\C:\\x" },
        { L"rel\\x", L"rel\\x" },
    };
    for (const auto& c : cases) EXPECT_EQ(ToExtendedLengthPath(c.in), c.out);
}

TEST(ExtractNames, CaseInsensitiveEquality)
{
    EXPECT_TRUE(IsSameNameNoCase(L"ZelUpGame.ini", L"zelupgame.INI"));
    EXPECT_TRUE(IsSameNameNoCase(L"::$DATA", L"::$data"));
    EXPECT_TRUE(IsSameNameNoCase(L"\u00e9t\u00e9", L"\u00c9T\u00c9"));
    EXPECT_TRUE(IsSameNameNoCase(L"", L""));
    EXPECT_FALSE(IsSameNameNoCase(L"a", L"ab"));
    EXPECT_FALSE(IsSameNameNoCase(L"ab", L"a"));
    EXPECT_FALSE(IsSameNameNoCase(L"a[", L"a{"));
}

} // namespace
