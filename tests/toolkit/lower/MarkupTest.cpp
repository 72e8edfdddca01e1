#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Markup.h"

using namespace SkinUI;

namespace {

std::wstring LastMessage(const CMarkup& m)
{
    wchar_t buf[128];
    m.GetLastErrorMessage(buf, 128);
    return buf;
}

std::wstring LastLocation(const CMarkup& m)
{
    wchar_t buf[128];
    m.GetLastErrorLocation(buf, 128);
    return buf;
}

bool LoadUtf8(CMarkup& m, const std::string& text)
{
    std::vector<BYTE> bytes(text.begin(), text.end());
    return m.LoadFromMem(bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
}

int CountChildren(CMarkupNode node)
{
    int n = 0;
    for (CMarkupNode c = node.GetChild(); c.IsValid(); c = c.GetSibling()) ++n;
    return n;
}

} // namespace

TEST(Markup, ByteOrderMarkDoesNotChangeTheDocument)
{
    const std::string doc = "<Window size=\"800,600\"><Label text=\"\xE4\xB8\xAD\"/></Window>";
    CMarkup plain, marked;
    ASSERT_TRUE(LoadUtf8(plain, doc));
    ASSERT_TRUE(LoadUtf8(marked, "\xEF\xBB\xBF" + doc));
    for (CMarkup* m : { &plain, &marked }) {
        CMarkupNode root = m->GetRoot();
        EXPECT_STREQ(root.GetName(), L"Window");
        EXPECT_STREQ(root.GetAttributeValue(L"size"), L"800,600");
        EXPECT_STREQ(root.GetChild().GetAttributeValue(L"text"), L"\x4E2D");
    }
}

TEST(Markup, FourMebibytesIsTheLimit)
{
    const size_t limit = 4 * 1024 * 1024;
    std::string doc = "<r>";
    doc.append(limit - doc.size() - 4, ' ');
    doc += "</r>";
    ASSERT_EQ(doc.size(), limit);
    CMarkup m;
    EXPECT_TRUE(LoadUtf8(m, doc));
    EXPECT_STREQ(m.GetRoot().GetName(), L"r");

    doc.insert(3, " ");
    EXPECT_FALSE(LoadUtf8(m, doc));
    EXPECT_EQ(LastMessage(m), L"File too large");
    EXPECT_EQ(LastLocation(m), L"");
    EXPECT_FALSE(m.IsValid());
}

TEST(Markup, ErrorsNameTheirMessageAndLocation)
{
    struct Case {
        const char* doc;
        const wchar_t* message;
        const wchar_t* location;
    } cases[] = {
        { "text", L"Expected start tag", L"text" },
        { "<a b='1'/>", L"Expected attribute value", L"'1'/>" },
        { "<a><b></a>", L"Unmatched closing tag", L"a>" },
        { "<a></a x>", L"Unmatched closing tag", L"x>" },
        { "<a", L"Error parsing element name", L"a" },
        { "<a b=\"1\"", L"Expected start-tag closing", L"" },
        { "<a/ >", L"Expected start-tag closing", L"/ >" },
        { "<a b=\"1\" ?>", L"Error while parsing attributes", L"?>" },
        { "<a b>", L"Error while parsing attributes", L">" },
        { "<a b=\"1>", L"Error while parsing attribute string", L"b" },
        // The document may end inside the root or one of its children, not deeper.
        { "<r><a><b/>", L"Expected start tag", L"" },
        { "<r><a><b>text", L"Expected end-tag start", L"" },
        // Text after a child element is not supported.
        { "<r><a/>tail</r>", L"Expected start tag", L"tail</r>" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doc);
        CMarkup m;
        EXPECT_FALSE(LoadUtf8(m, c.doc));
        EXPECT_EQ(LastMessage(m), c.message);
        EXPECT_EQ(LastLocation(m), c.location);
        EXPECT_FALSE(m.IsValid());
        EXPECT_FALSE(m.GetRoot().IsValid());
    }
}

TEST(Markup, TruncatedDocumentsThatStillParse)
{
    const char* docs[] = { "<r><a/>", "<r><a>text", "<r>", "  " };
    for (const char* doc : docs) {
        SCOPED_TRACE(doc);
        CMarkup m;
        EXPECT_TRUE(LoadUtf8(m, doc)) << testing::PrintToString(LastMessage(m));
    }
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, "<r><a>text"));
    EXPECT_STREQ(m.GetRoot().GetName(), L"r");
    EXPECT_STREQ(m.GetRoot().GetChild().GetName(), L"a");
    EXPECT_STREQ(m.GetRoot().GetChild().GetValue(), L"text");
}

TEST(Markup, EmptyElementWithoutBlankBeforeSlash)
{
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, "<Window><Control/><Label text=\"x\"/><Button /></Window>"));
    CMarkupNode root = m.GetRoot();
    EXPECT_EQ(CountChildren(root), 3);
    CMarkupNode control = root.GetChild();
    EXPECT_STREQ(control.GetName(), L"Control");
    EXPECT_FALSE(control.HasChildren());
    EXPECT_FALSE(control.HasAttributes());
    EXPECT_STREQ(control.GetSibling().GetName(), L"Label");
    EXPECT_STREQ(control.GetSibling().GetSibling().GetName(), L"Button");
}

TEST(Markup, EntitiesInValuesAndContent)
{
    struct Case {
        const char* value;
        const wchar_t* expected;
    } cases[] = {
        { "&amp;&lt;&gt;&quot;&apos;", L"&<>\"'" },
        { "&copy;", L"&copy;" },
        { "&#65;", L"&#65;" },
        { "a&amp", L"a&amp" },
        { "&", L"&" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        CMarkup m;
        // The attribute after the shrunk value must still be found.
        std::string doc = std::string("<r a=\"") + c.value + "\" next=\"n\">" + c.value + "<c/></r>";
        ASSERT_TRUE(LoadUtf8(m, doc));
        CMarkupNode root = m.GetRoot();
        EXPECT_STREQ(root.GetAttributeValue(L"a"), c.expected);
        EXPECT_STREQ(root.GetAttributeValue(L"next"), L"n");
        EXPECT_EQ(root.GetAttributeCount(), 2);
        EXPECT_STREQ(root.GetValue(), c.expected);
        EXPECT_STREQ(root.GetChild().GetName(), L"c");
    }
}

TEST(Markup, BlankRunsCollapseOnlyWhenAsked)
{
    const char* doc = "<r a=\"x   y\">p  \t q</r>";
    CMarkup keep, collapse;
    collapse.SetPreserveWhitespace(false);
    ASSERT_TRUE(LoadUtf8(keep, doc));
    ASSERT_TRUE(LoadUtf8(collapse, doc));
    EXPECT_STREQ(keep.GetRoot().GetAttributeValue(L"a"), L"x   y");
    EXPECT_STREQ(collapse.GetRoot().GetAttributeValue(L"a"), L"x y");
    EXPECT_STREQ(keep.GetRoot().GetValue(), L"p  \t q");
    EXPECT_STREQ(collapse.GetRoot().GetValue(), L"p q");
}

TEST(Markup, CommentsAndDeclarationKeepSiblingChains)
{
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- skin -->\r\n"
                            "<Window><A/><!-- between --><B/>\r\n<!-- last --></Window>"));
    CMarkupNode root = m.GetRoot();
    EXPECT_STREQ(root.GetName(), L"Window");
    EXPECT_FALSE(root.HasSiblings());
    EXPECT_STREQ(root.GetChild().GetName(), L"A");
    EXPECT_STREQ(root.GetChild().GetSibling().GetName(), L"B");
    EXPECT_FALSE(root.GetChild().GetSibling().HasSiblings());
    EXPECT_STREQ(root.GetChild().GetSibling().GetParent().GetName(), L"Window");
    EXPECT_FALSE(root.GetParent().IsValid());
}

TEST(Markup, AtMostSixtyFourAttributesAreMapped)
{
    std::string doc = "<r";
    for (int i = 0; i < 70; ++i) doc += " a" + std::to_string(i) + "=\"v" + std::to_string(i) + "\"";
    doc += "/>";
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, doc));
    CMarkupNode root = m.GetRoot();
    EXPECT_EQ(root.GetAttributeCount(), 64);
    EXPECT_STREQ(root.GetAttributeName(63), L"a63");
    EXPECT_STREQ(root.GetAttributeValue(63), L"v63");
    EXPECT_STREQ(root.GetAttributeValue(L"a64"), L"");
    EXPECT_FALSE(root.HasAttribute(L"a69"));
    EXPECT_STREQ(root.GetAttributeName(64), L"");
    EXPECT_STREQ(root.GetAttributeValue(-1), L"");
}

TEST(Markup, LookupsAreCaseSensitive)
{
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, "<Window Name=\"w\"><Label/></Window>"));
    CMarkupNode root = m.GetRoot();
    EXPECT_STREQ(root.GetAttributeValue(L"Name"), L"w");
    EXPECT_STREQ(root.GetAttributeValue(L"name"), L"");
    EXPECT_FALSE(root.HasAttribute(L"NAME"));
    EXPECT_TRUE(root.GetChild(L"Label").IsValid());
    EXPECT_FALSE(root.GetChild(L"label").IsValid());
}

TEST(Markup, ManyElementsGrowTheTable)
{
    std::string doc = "<r>";
    for (int i = 0; i < 5000; ++i) doc += "<i n=\"" + std::to_string(i) + "\"/>";
    doc += "</r>";
    CMarkup m;
    ASSERT_TRUE(LoadUtf8(m, doc));
    CMarkupNode last;
    int n = 0;
    for (CMarkupNode c = m.GetRoot().GetChild(); c.IsValid(); c = c.GetSibling(), ++n) last = c;
    EXPECT_EQ(n, 5000);
    EXPECT_STREQ(last.GetAttributeValue(L"n"), L"4999");
}

TEST(Markup, DeepNestingFailsCleanly)
{
    std::string doc;
    for (int i = 0; i < 100000; ++i) doc += "<a>";
    CMarkup m;
    EXPECT_FALSE(LoadUtf8(m, doc));
    EXPECT_EQ(LastMessage(m), L"Element nesting too deep");

    // A thousand levels are still fine.
    doc.clear();
    for (int i = 0; i < 1000; ++i) doc += "<a>";
    for (int i = 0; i < 1000; ++i) doc += "</a>";
    EXPECT_TRUE(LoadUtf8(m, doc)) << testing::PrintToString(LastMessage(m));
}

TEST(Markup, Utf16BigEndianInReadOnlyMemory)
{
    const wchar_t doc[] = L"<Window caption=\"\x6807\x9898\"/>";
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    BYTE* page = static_cast<BYTE*>(VirtualAlloc(nullptr, si.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(page, nullptr);
    size_t n = 2;
    page[0] = 0xFE;
    page[1] = 0xFF;
    for (const wchar_t* p = doc; *p; ++p) {
        page[n++] = static_cast<BYTE>(*p >> 8);
        page[n++] = static_cast<BYTE>(*p & 0xFF);
    }
    std::vector<BYTE> before(page, page + n);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(page, si.dwPageSize, PAGE_READONLY, &old));

    CMarkup m;
    EXPECT_TRUE(m.LoadFromMem(page, static_cast<DWORD>(n), XMLFILE_ENCODING_UNICODE));
    EXPECT_STREQ(m.GetRoot().GetName(), L"Window");
    EXPECT_STREQ(m.GetRoot().GetAttributeValue(L"caption"), L"\x6807\x9898");
    EXPECT_EQ(std::vector<BYTE>(page, page + n), before);
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST(Markup, Utf16LittleEndianAndMissingMark)
{
    const wchar_t doc[] = L"\xFEFF<r a=\"1\"/>";
    CMarkup m;
    ASSERT_TRUE(m.LoadFromMem(reinterpret_cast<BYTE*>(const_cast<wchar_t*>(doc)), sizeof(doc) - 2, 1));
    EXPECT_STREQ(m.GetRoot().GetAttributeValue(L"a"), L"1");

    BYTE noMark[] = { '<', 0, 'r', 0, '/', 0, '>', 0 };
    BYTE tiny[] = { 0xFF };
    for (auto input : { std::make_pair(noMark, DWORD(sizeof(noMark))), std::make_pair(tiny, DWORD(1)) }) {
        EXPECT_FALSE(m.LoadFromMem(input.first, input.second, XMLFILE_ENCODING_UNICODE));
        EXPECT_EQ(LastMessage(m), L"Missing byte-order mark");
        EXPECT_EQ(LastLocation(m), L"");
    }
}

TEST(Markup, AnsiAndWideText)
{
    CMarkup m;
    BYTE ansi[] = "<r a=\"x\"/>";
    EXPECT_TRUE(m.LoadFromMem(ansi, sizeof(ansi) - 1, XMLFILE_ENCODING_ANSI));
    EXPECT_STREQ(m.GetRoot().GetAttributeValue(L"a"), L"x");

    CMarkup w(L"<r><c>v</c></r>");
    EXPECT_TRUE(w.IsValid());
    EXPECT_STREQ(w.GetRoot().GetChild().GetValue(), L"v");
    EXPECT_FALSE(w.Load(L"<r"));
    EXPECT_FALSE(w.IsValid());
}

TEST(Markup, BoundedCopiesAreTerminated)
{
    CMarkup m;
    EXPECT_FALSE(LoadUtf8(m, "<a b='1'/>"));
    wchar_t buf[8];
    wmemset(buf, L'X', 8);
    m.GetLastErrorMessage(buf, 5);
    EXPECT_STREQ(buf, L"Expe");
    wmemset(buf, L'X', 8);
    m.GetLastErrorLocation(buf, 3);
    EXPECT_STREQ(buf, L"'1");

    ASSERT_TRUE(LoadUtf8(m, "<r name=\"abcdefgh\"/>"));
    CMarkupNode root = m.GetRoot();
    wmemset(buf, L'X', 8);
    EXPECT_TRUE(root.GetAttributeValue(L"name", buf, 4));
    EXPECT_STREQ(buf, L"abc");
    wmemset(buf, L'X', 8);
    EXPECT_TRUE(root.GetAttributeValue(0, buf, 8));
    EXPECT_STREQ(buf, L"abcdefg");
    EXPECT_FALSE(root.GetAttributeValue(L"other", buf, 8));
    EXPECT_FALSE(root.GetAttributeValue(1, buf, 8));
}

TEST(Markup, InvalidNodeAnswersNothing)
{
    CMarkupNode node;
    EXPECT_FALSE(node.IsValid());
    EXPECT_EQ(node.GetName(), nullptr);
    EXPECT_EQ(node.GetValue(), nullptr);
    EXPECT_EQ(node.GetAttributeValue(L"a"), nullptr);
    EXPECT_EQ(node.GetAttributeCount(), 0);
    EXPECT_FALSE(node.GetChild().IsValid());
    EXPECT_FALSE(node.HasChildren());
    wchar_t buf[4];
    EXPECT_FALSE(node.GetAttributeValue(L"a", buf, 4));
}
