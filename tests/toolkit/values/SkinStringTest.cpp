#include "core/SkinString.h"

#include <gtest/gtest.h>
#include <climits>
#include <string>

using SkinUI::CSkinString;

namespace {

bool IsInline(const CSkinString& s)
{
    const char* p = reinterpret_cast<const char*>(s.GetData());
    const char* self = reinterpret_cast<const char*>(&s);
    return p >= self && p < self + sizeof(s);
}

std::wstring Text(int n, wchar_t first = L'a')
{
    std::wstring t;
    for (int i = 0; i < n; i++) t += static_cast<wchar_t>(first + i % 26);
    return t;
}

TEST(SkinStringStorage, InlineUpTo62CharactersHeapBeyond)
{
    for (int n : { 0, 1, 62, 63, 64, 200 }) {
        SCOPED_TRACE(n);
        const std::wstring t = Text(n);
        CSkinString s(t.c_str());
        EXPECT_EQ(n <= 62, IsInline(s));
        EXPECT_EQ(n, s.GetLength());
        EXPECT_EQ(t, s.GetData());
        CSkinString copy(s);
        EXPECT_EQ(n <= 62, IsInline(copy));
        EXPECT_EQ(t, copy.GetData());
    }
}

TEST(SkinStringStorage, AssignMovesBetweenHeapAndInline)
{
    CSkinString s(Text(100).c_str());
    ASSERT_FALSE(IsInline(s));
    s.Assign(Text(80, L'A').c_str());
    EXPECT_FALSE(IsInline(s));
    EXPECT_EQ(Text(80, L'A'), s.GetData());
    s.Assign(Text(62).c_str());
    EXPECT_TRUE(IsInline(s));
    EXPECT_EQ(Text(62), s.GetData());
    s.Assign(Text(300).c_str());
    EXPECT_EQ(Text(300), s.GetData());
    s = L'x';
    EXPECT_TRUE(IsInline(s));
    EXPECT_STREQ(L"x", s.GetData());
    s.Assign(Text(100).c_str(), 70);
    EXPECT_EQ(Text(70), s.GetData());
    s.Empty();
    EXPECT_TRUE(IsInline(s));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(SkinStringStorage, AppendKeepsOrderAcrossTheInlineLimit)
{
    const struct {
        int before, added;
    } cases[] = {
        { 62, 1 }, { 30, 40 }, { 61, 1 }, { 0, 63 }, { 100, 5 }, { 62, 100 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << "+" << c.added);
        const std::wstring a = Text(c.before, L'A'), b = Text(c.added);
        CSkinString s(a.c_str());
        s.Append(b.c_str());
        EXPECT_EQ(a + b, s.GetData());
        EXPECT_EQ(c.before + c.added <= 62, IsInline(s));
    }
    // Character appends step over the limit one at a time.
    CSkinString s;
    std::wstring model;
    for (int i = 0; i < 70; i++) {
        s += static_cast<wchar_t>(L'0' + i % 10);
        model += static_cast<wchar_t>(L'0' + i % 10);
    }
    EXPECT_EQ(model, s.GetData());
}

// Sources that lie inside the string's own buffer, which the operation frees or moves.
TEST(SkinStringStorage, SourceInsideItsOwnBuffer)
{
    for (int n : { 10, 31, 40, 62, 100, 500 }) {
        SCOPED_TRACE(n);
        const std::wstring t = Text(n);
        CSkinString s(t.c_str());
        s += s;
        EXPECT_EQ(t + t, s.GetData());

        CSkinString tail(t.c_str());
        tail = tail.GetData() + 1;
        EXPECT_EQ(t.substr(1), tail.GetData());

        CSkinString head(t.c_str());
        head.Assign(head.GetData(), n / 2);
        EXPECT_EQ(t.substr(0, n / 2), head.GetData());

        CSkinString grow(t.c_str());
        grow.Append(grow.GetData() + n / 2);
        EXPECT_EQ(t + t.substr(n / 2), grow.GetData());

        CSkinString sum(t.c_str());
        sum = sum + sum.GetData();
        EXPECT_EQ(t + t, sum.GetData());
    }
}

TEST(SkinString, NullAndCharacterOperands)
{
    CSkinString s(L"abc");
    s += static_cast<LPCWSTR>(nullptr);
    s += static_cast<LPCSTR>(nullptr);
    EXPECT_STREQ(L"abc", s.GetData());
    EXPECT_STREQ(L"abc", (s + static_cast<LPCWSTR>(nullptr)).GetData());
    EXPECT_STREQ(L"abcabc", (s + s).GetData());
    s = static_cast<LPCWSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    s = L"abc";
    s = static_cast<LPCSTR>(nullptr);
    EXPECT_TRUE(s.IsEmpty());
    CSkinString nul(static_cast<LPCWSTR>(nullptr));
    EXPECT_TRUE(nul.IsEmpty());
    CSkinString ch(L'z');
    EXPECT_STREQ(L"z", ch.GetData());
    ch.SetAt(0, L'y');
    EXPECT_EQ(L'y', ch.GetAt(0));
    EXPECT_EQ(L'y', ch[0]);
}

TEST(SkinString, NarrowTextIsReadInTheAnsiCodePage)
{
    ASSERT_EQ(936u, GetACP()) << "the tests run with LANG=zh_CN.UTF-8";
    CSkinString s;
    s = "\xD6\xD0\xCE\xC4 ok"; // "中文 ok" in code page 936
    EXPECT_STREQ(L"\x4E2D\x6587 ok", s.GetData());
    s += "\xCC\xE1\xCA\xBE"; // "提示"
    EXPECT_STREQ(L"\x4E2D\x6587 ok\x63D0\x793A", s.GetData());
    std::string longText(100, 'x');
    s = longText.c_str();
    EXPECT_EQ(100, s.GetLength());
}

TEST(SkinString, Comparisons)
{
    const struct {
        LPCWSTR a, b;
        int sign, signNoCase;
    } cases[] = {
        { L"abc", L"abc", 0, 0 },  { L"abc", L"abd", -1, -1 }, { L"abd", L"abc", 1, 1 },
        { L"ABC", L"abc", -1, 0 }, { L"", L"a", -1, -1 },
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " vs " << c.b);
        CSkinString s(c.a);
        EXPECT_EQ(c.sign, sign(s.Compare(c.b)));
        EXPECT_EQ(c.signNoCase, sign(s.CompareNoCase(c.b)));
        EXPECT_EQ(c.sign == 0, s == c.b);
        EXPECT_EQ(c.sign != 0, s != c.b);
        EXPECT_EQ(c.sign < 0, s < c.b);
        EXPECT_EQ(c.sign <= 0, s <= c.b);
        EXPECT_EQ(c.sign > 0, s > c.b);
        EXPECT_EQ(c.sign >= 0, s >= c.b);
        // Both sides as strings, and the text on the left: values, never addresses.
        const CSkinString t(c.b);
        EXPECT_EQ(c.sign == 0, s == t);
        EXPECT_EQ(c.sign != 0, s != t);
        EXPECT_EQ(c.sign < 0, s < t);
        EXPECT_EQ(c.sign == 0, c.b == s);
        EXPECT_EQ(c.sign != 0, c.b != s);
    }
    CSkinString u(L"MiXeD 1");
    u.MakeUpper();
    EXPECT_STREQ(L"MIXED 1", u.GetData());
    u.MakeLower();
    EXPECT_STREQ(L"mixed 1", u.GetData());
}

TEST(SkinString, Find)
{
    const CSkinString s(L"abcabc");
    const struct {
        LPCWSTR what;
        int start, expected;
    } texts[] = {
        { L"bc", 0, 1 }, { L"bc", 2, 4 }, { L"bc", 5, -1 }, { L"", 6, 6 },   { L"", 2, 2 },
        { L"c", 6, -1 }, { L"b", 7, -1 }, { L"b", -1, -1 }, { L"x", 0, -1 }, { nullptr, 0, -1 },
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(testing::Message() << (t.what ? t.what : L"(null)") << " from " << t.start);
        EXPECT_EQ(t.expected, s.Find(t.what, t.start));
    }
    const struct {
        wchar_t what;
        int start, expected;
    } chars[] = {
        { L'c', 0, 2 }, { L'c', 3, 5 }, { L'c', 6, -1 }, { L'a', -1, -1 }, { L'x', 0, -1 },
    };
    for (const auto& c : chars) {
        SCOPED_TRACE(testing::Message() << c.what << " from " << c.start);
        EXPECT_EQ(c.expected, s.Find(c.what, c.start));
    }
    EXPECT_EQ(3, s.ReverseFind(L'a'));
    EXPECT_EQ(-1, s.ReverseFind(L'x'));
}

TEST(SkinString, Slices)
{
    const CSkinString s(L"abc");
    const struct {
        const char* op;
        CSkinString got;
        LPCWSTR expected;
    } cases[] = {
        { "Left(2)", s.Left(2), L"ab" },
        { "Left(10)", s.Left(10), L"abc" },
        { "Left(-1)", s.Left(-1), L"" },
        { "Right(2)", s.Right(2), L"bc" },
        { "Right(10)", s.Right(10), L"abc" },
        { "Right(-2)", s.Right(-2), L"" },
        { "Mid(1)", s.Mid(1), L"bc" },
        { "Mid(1,1)", s.Mid(1, 1), L"b" },
        { "Mid(1,0)", s.Mid(1, 0), L"" },
        { "Mid(1,100)", s.Mid(1, 100), L"bc" },
        { "Mid(1,INT_MAX)", s.Mid(1, INT_MAX), L"bc" },
        { "Mid(3)", s.Mid(3), L"" },
        { "Mid(5)", s.Mid(5), L"" },
        { "Mid(-2,2)", s.Mid(-2, 2), L"ab" },
        { "Mid(-2)", s.Mid(-2), L"abc" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        EXPECT_STREQ(c.expected, c.got.GetData());
    }
    const std::wstring t = Text(100);
    const CSkinString big(t.c_str());
    EXPECT_EQ(t.substr(30, 40), big.Mid(30, 40).GetData());
    EXPECT_EQ(t.substr(90), big.Right(10).GetData());
}

TEST(SkinString, Replace)
{
    const struct {
        LPCWSTR text, from, to, expected;
        int count;
    } cases[] = {
        { L"a", L"a", L"aa", L"aa", 1 },
        { L"aaa", L"a", L"aa", L"aaaaaa", 3 },
        { L"abcabc", L"bc", L"", L"aa", 2 },
        { L"abc", L"", L"x", L"abc", 0 },
        { L"abc", nullptr, L"x", L"abc", 0 },
        { L"abc", L"x", L"y", L"abc", 0 },
        { L"abc", L"b", nullptr, L"ac", 1 },
        { L"x-x-x", L"x", L"0123456789012345678901234567890123456789",
          L"0123456789012345678901234567890123456789-0123456789012345678901234567890123456789-"
          L"0123456789012345678901234567890123456789",
          3 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CSkinString s(c.text);
        EXPECT_EQ(c.count, s.Replace(c.from, c.to));
        EXPECT_STREQ(c.expected, s.GetData());
    }
    CSkinString self(L"whole");
    EXPECT_EQ(1, self.Replace(self.GetData(), L"part"));
    EXPECT_STREQ(L"part", self.GetData());
}

int FormatThrough(CSkinString& s, LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = s.FormatV(format, args);
    va_end(args);
    return n;
}

TEST(SkinStringFormat, WideArgumentsAndLongResults)
{
    CSkinString s;
    EXPECT_EQ(10, s.Format(L"%s=%d;%c", L"\x4E2D\x6587", 12345, L'!'));
    EXPECT_STREQ(L"\x4E2D\x6587=12345;!", s.GetData());

    const std::wstring t = Text(1000);
    EXPECT_EQ(1004, s.Format(L"[%s]%02d", t.c_str(), 7));
    EXPECT_EQ(L"[" + t + L"]07", s.GetData());

    EXPECT_EQ(6, FormatThrough(s, L"%s-%d", L"ab", 123));
    EXPECT_STREQ(L"ab-123", s.GetData());

    // A literal 0 is an argument to format, never taken for a va_list.
    EXPECT_EQ(3, s.Format(L"%d%d%d", 0, 0, 0));
    EXPECT_STREQ(L"000", s.GetData());
    EXPECT_EQ(1, s.Format(L"%d", 0));
    EXPECT_STREQ(L"0", s.GetData());

    EXPECT_EQ(0, s.Format(L"%s", L""));
    EXPECT_TRUE(s.IsEmpty());

    s = L"kept";
    EXPECT_EQ(-1, s.Format(nullptr));
    EXPECT_TRUE(s.IsEmpty());

    // The arguments may be the string's own text.
    s = t.c_str();
    EXPECT_EQ(2001, s.Format(L"%s+%s", s.GetData(), s.GetData()));
    EXPECT_EQ(t + L"+" + t, s.GetData());
}

TEST(SkinStringFormat, SmallFormatCutsAt63Characters)
{
    const struct {
        int length, result;
    } cases[] = {
        { 10, 10 }, { 62, 62 }, { 63, 63 }, { 64, -1 }, { 200, -1 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::wstring t = Text(c.length);
        CSkinString s;
        EXPECT_EQ(c.result, s.SmallFormat(L"%s", t.c_str()));
        EXPECT_EQ(t.substr(0, 63), s.GetData());
    }
    CSkinString s(L"<%d>");
    EXPECT_EQ(4, s.SmallFormat(s.GetData(), 42));
    EXPECT_STREQ(L"<42>", s.GetData());
}

} // namespace
