// The update reply: transport decoding and reading the record from the JSON text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "common/TextConvert.h"
#include "UpdateReply.h"
#include "UpdateRequest.h"

namespace {

// The server's side of the scrambling, for round trips.
std::string Encode(const std::string& plain)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t j = 0; j < plain.size(); ++j) {
        unsigned char next = j + 1 < plain.size() ? static_cast<unsigned char>(plain[j + 1]) : 0xA7;
        unsigned char b = static_cast<unsigned char>(plain[j]) ^ next;
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string LongJson()
{
    std::string s = "{\"code\":\"1\",\"info\":\"";
    while (s.size() < 9990) s += "0123456789";
    return s + "\"}";
}

struct DecodeCase {
    const char* name;
    std::string transport;
    std::string plain;
};

// Keeps the case readable in test names and failure messages.
void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class DecodeResponseTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeResponseTest, GivesThePlainBytes)
{
    EXPECT_EQ(DecodeResponse(GetParam().transport), GetParam().plain);
}

const std::string kJson = "{\"code\":\"1\",\"info\":\"\xE6\x8F\x90\xE7\xA4\xBA\"}";

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeResponseTest,
    testing::Values(DecodeCase{ "Empty", "", "" }, DecodeCase{ "RoundTrip", Encode(kJson), kJson },
                    DecodeCase{ "LowerCaseDigits", Lower(Encode(kJson)), kJson },
                    DecodeCase{ "OddLengthDropsTheLastCharacter", Encode(kJson) + "7", kJson },
                    DecodeCase{ "ZeroByteEndsTheText", Encode(std::string("ab\0cd", 5)), "ab" },
                    DecodeCase{ "LongerThanAnyFixedArea", Encode(LongJson()), LongJson() },
                    // G..Z keep their alphabet value: 'G' is 16, so "G0" is 256, whose low byte is 0.
                    DecodeCase{ "LetterBeyondF", "G0", "\xA7" },
                    // No previous pair: a non-digit there counts as 0.
                    DecodeCase{ "NonDigitInFirstPair", "!1", "\xA6" },
                    // A non-digit repeats the digit at the same place one pair back: "4A!!" is 4A 4A.
                    DecodeCase{ "NonDigitRepeatsThePreviousPair", "4A!!", std::string("\xA7\xED", 2) }),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

// --- reading the record ---------------------------------------------------------------

std::string Acp(const wchar_t* text)
{
    return WideToAnsi(text);
}

TEST(ReadUpdateFields, ReadsEveryFieldIntoTheCodePage)
{
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields(
        u8"{\"code\":\"1\",\"info\":\"账号\",\"data\":{\"open\":\"game\\\\bin\\\\g.exe\",\"uid\":\"7\","
        u8"\"sid\":\"s\",\"extraInfo\":\"额外\",\"token\":\"t\",\"up_version\":\"1\",\"up_bg\":\"http://h/b.png\","
        u8"\"game_url\":\"http://h/g.7z\",\"game_version\":\"1.2\",\"up_url\":\"http://h/u.exe\"}}",
        r));
    EXPECT_EQ(r.code, "1");
    EXPECT_EQ(r.info, Acp(L"账号"));
    EXPECT_EQ(r.open, "game\\bin\\g.exe"); // backslashes stay outside the three addresses
    EXPECT_EQ(r.uid, "7");
    EXPECT_EQ(r.sid, "s");
    EXPECT_EQ(r.extraInfo, Acp(L"额外"));
    EXPECT_EQ(r.token, "t");
    EXPECT_EQ(r.up_version, "1");
    EXPECT_EQ(r.up_bg, "http://h/b.png");
    EXPECT_EQ(r.game_url, "http://h/g.7z");
    EXPECT_EQ(r.game_version, "1.2");
    EXPECT_EQ(r.up_url, "http://h/u.exe");
}

TEST(ReadUpdateFields, BackslashesBecomeBlanksOnlyInTheAddresses)
{
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields(
        "{\"data\":{\"up_bg\":\"a\\\\b\",\"game_url\":\"c\\\\d\",\"up_url\":\"\\\\e\\\\\",\"sid\":\"f\\\\g\","
        "\"token\":\"h\\\\\"}}",
        r));
    EXPECT_EQ(r.up_bg, "a b");
    EXPECT_EQ(r.game_url, "c d");
    EXPECT_EQ(r.up_url, " e ");
    EXPECT_EQ(r.sid, "f\\g");
    EXPECT_EQ(r.token, "h\\");
}

TEST(ReadUpdateFields, ScalarsReadAsTheirText)
{
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields("{\"code\":1,\"data\":{\"uid\":123456789012,\"up_version\":true}}", r));
    EXPECT_EQ(r.code, "1");
    EXPECT_EQ(r.uid, "123456789012");
    EXPECT_EQ(r.up_version, "true");
}

TEST(ReadUpdateFields, MissingDataLeavesTheTenFieldsEmpty)
{
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields("{\"code\":\"1\",\"info\":\"i\"}", r));
    EXPECT_EQ(r.code, "1");
    EXPECT_EQ(r.info, "i");
    for (const std::string* f : { &r.open, &r.uid, &r.sid, &r.extraInfo, &r.token, &r.up_version, &r.up_bg, &r.game_url,
                                  &r.game_version, &r.up_url })
        EXPECT_EQ(*f, "");
}

// Shapes the reader does not expect: no crash, and nothing half-read.
struct ShapeCase {
    const char* name;
    const char* json;
    bool parsed;
    const char* code;
};

// Keeps the case readable in test names and failure messages.
void PrintTo(const ShapeCase& c, std::ostream* os)
{
    *os << c.name;
}

class OddShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(OddShapes, ReadWithoutFailing)
{
    UpdateInfo r;
    r.code = "stale";
    EXPECT_EQ(ReadUpdateFields(GetParam().json, r), GetParam().parsed);
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_EQ(r.info, "");
    EXPECT_EQ(r.up_bg, "");
    EXPECT_EQ(r.uid, "");
}

std::string Nested(int depth)
{
    return "{\"code\":" + std::string(depth, '[') + std::string(depth, ']') + "}";
}
const std::string kDeep = Nested(5000);

INSTANTIATE_TEST_SUITE_P(
    Table, OddShapes,
    testing::Values(
        ShapeCase{ "Empty", "", false, "" }, ShapeCase{ "NotJson", "<html>", false, "" },
        ShapeCase{ "Truncated", "{\"code\":\"1\"", false, "" },
        ShapeCase{ "RootArray", "[{\"code\":\"1\"}]", false, "" }, ShapeCase{ "RootString", "\"1\"", false, "" },
        ShapeCase{ "DataArray", "{\"code\":\"1\",\"data\":[1,2]}", true, "1" },
        ShapeCase{ "DataString", "{\"code\":\"1\",\"data\":\"x\"}", true, "1" },
        ShapeCase{ "MembersArraysAndObjects",
                   "{\"code\":\"1\",\"info\":[\"a\"],\"data\":{\"up_bg\":{\"a\":1},\"uid\":[]}}", true, "1" },
        ShapeCase{ "CodeNull", "{\"code\":null}", true, "" }, ShapeCase{ "NestedTooDeep", kDeep.c_str(), false, "" }),
    [](const testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

// In code page 936 some characters end in the byte 0x5C, the backslash. Turning the
// backslashes of an address into blanks must not cut such a character in two.
TEST(ReadUpdateFields, ChineseCharactersEndingInTheBackslashByteSurvive)
{
    // Every run has that code page (tools/wine/env.sh sets the locale): without it the case
    // would find no such character and prove nothing.
    ASSERT_EQ(936u, GetACP()) << "the tests run in code page 936 (LC_ALL=zh_CN.UTF-8)";
    std::wstring found;
    for (wchar_t c = 0x4E00; c < 0x9FA5 && found.empty(); ++c) {
        std::string bytes = WideToAnsi(std::wstring(1, c));
        if (bytes.size() == 2 && bytes[1] == '\\') found.assign(1, c);
    }
    ASSERT_FALSE(found.empty());
    const std::wstring url = L"http://h/" + found + L".png";
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields("{\"data\":{\"up_bg\":\"" + WideToUtf8(url) + "\"}}", r));
    EXPECT_EQ(r.up_bg, WideToAnsi(url));
}

// A reply exactly as the server sends it, through both steps.
TEST(ReadUpdateFields, DecodedReplyReadsBack)
{
    UpdateInfo r;
    ASSERT_TRUE(ReadUpdateFields(DecodeResponse(Encode(u8"{\"code\":\"0\",\"info\":\"维护中\"}")), r));
    EXPECT_EQ(r.code, "0");
    EXPECT_EQ(r.info, Acp(L"维护中"));
}

} // namespace

TEST(CurlWriteToString, TakesEverythingUpToTheCapAndNothingPast)
{
    std::string body;
    std::string chunk(256 * 1024, 'x');
    for (int i = 0; i < 4; ++i) EXPECT_EQ(CurlWriteToString(&chunk[0], 1, chunk.size(), &body), chunk.size());
    EXPECT_EQ(body.size(), kMaxReplyBytes);
    char one = 'y';
    EXPECT_EQ(CurlWriteToString(&one, 1, 1, &body), 0u);
    EXPECT_EQ(body.size(), kMaxReplyBytes);

    std::string small;
    EXPECT_EQ(CurlWriteToString(&chunk[0], 4, 100, &small), 400u);
    EXPECT_EQ(small.size(), 400u);
    // A size times count that overflows is refused, not wrapped.
    EXPECT_EQ(CurlWriteToString(&chunk[0], static_cast<size_t>(-1) / 2, 3, &small), 0u);
    EXPECT_EQ(small.size(), 400u);
}
