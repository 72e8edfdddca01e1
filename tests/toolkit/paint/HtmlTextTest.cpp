#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace painttest;

namespace {

const int kW = 300, kH = 120;

// Draws mark-up into a fresh canvas and returns its pixels.
std::vector<uint32_t> Render(CPaintManagerUI& pm, const wchar_t* text, UINT style = 0, RECT rc = { 0, 0, kW, kH })
{
    Canvas c(kW, kH, 0);
    int n = 0;
    CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, text, 0xFFFFFFFF, NULL, NULL, n, style);
    ::GdiFlush();
    const uint32_t* p = reinterpret_cast<const uint32_t*>(c.bits());
    return std::vector<uint32_t>(p, p + kW * kH);
}

int Ink(const std::vector<uint32_t>& px)
{
    int n = 0;
    for (uint32_t v : px)
        if ((v & 0xFFFFFF) != 0) n++;
    return n;
}

RECT Calc(CPaintManagerUI& pm, const wchar_t* text, UINT style = DT_SINGLELINE, int width = 9999)
{
    Canvas c(4, 4, 0);
    RECT rc = { 0, 0, width, 1000 };
    int n = 0;
    CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, text, 0xFF000000, NULL, NULL, n, style | DT_CALCRECT);
    return rc;
}

class HtmlText : public ::testing::Test {
protected:
    CPaintManagerUI pm;
};

TEST_F(HtmlText, EquivalentTextsDrawTheSameBytes)
{
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
    } cases[] = {
        { L"{b}bold{/b} text", L"<b>bold</b> text" },
        { L"{b}bold{/b} text", L"<b}bold{/b> text" }, // the bracket forms mix
        { L"{d}plain", L"plain" },                    // an unknown tag has no effect
        { L"x{q some words}y", L"xy" },
        { L"{1}x", L"{r}{1}x{/r}" },   // a digit after a bracket is text
        { L"{ a}x", L"{r}{ a}x{/r}" }, // so is a blank and a letter
        { L"a<{>b", L"a{r}{{/r}b" },   // escapes print one bracket
        { L"a{<}b", L"a{r}<{/r}b" },
        { L"a{>}b", L"a{r}>{/r}b" },
        { L"{/b}{/c}{/a}{/f}{/p}{/u}{/i}x", L"x" },          // closers on empty stacks
        { L"{c #FFFF0000}red{/c}", L"{c FFFF0000}red{/c}" }, // the '#' is optional
        { L"{p}x{/p}", L"x" },                               // a paragraph at the left edge
    };
    for (const Case& k : cases) {
        std::vector<uint32_t> a = Render(pm, k.a), b = Render(pm, k.b);
        EXPECT_GT(Ink(a), 0) << k.a;
        EXPECT_TRUE(a == b) << "'" << testing::PrintToString(std::wstring(k.a)) << "' vs '"
                            << testing::PrintToString(std::wstring(k.b)) << "'";
    }
    // And texts that must differ, so the comparison above is not vacuous.
    EXPECT_FALSE(Render(pm, L"{b}bold{/b}") == Render(pm, L"bold"));
    EXPECT_FALSE(Render(pm, L"{c #FFFF0000}red{/c}") == Render(pm, L"red"));
    EXPECT_FALSE(Render(pm, L"{x 20}a") == Render(pm, L"a"));
}

TEST_F(HtmlText, CalcRectMeasuresLinesAndWidth)
{
    RECT one = Calc(pm, L"abc");
    RECT two = Calc(pm, L"abc{n}abc", 0);
    RECT wide = Calc(pm, L"abcabc");
    const int lineHeight = pm.GetDefaultFontInfo()->tm.tmHeight + pm.GetDefaultFontInfo()->tm.tmExternalLeading;
    EXPECT_EQ(lineHeight, one.bottom);
    EXPECT_EQ(2 * lineHeight, two.bottom);
    EXPECT_EQ(one.right, two.right);
    EXPECT_GT(wide.right, one.right);
    EXPECT_EQ(lineHeight, Calc(pm, L"abc{n}abc", DT_SINGLELINE).bottom) << "{n} is ignored on one line";
    EXPECT_EQ(40, Calc(pm, L"{y 40}abc").bottom);
    // Word breaks fold a long text into several lines of the given width.
    RECT folded = Calc(pm, L"aaaa bbbb cccc dddd", DT_WORDBREAK, one.right * 2);
    EXPECT_GT(folded.bottom, lineHeight);
    EXPECT_LE(folded.right, one.right * 2);
}

// Measuring never gives a right edge left of the left edge, whatever the text holds.
TEST_F(HtmlText, EmptyTextMeasuresAsAnEmptyRectangle)
{
    const int lineHeight = Calc(pm, L"x").bottom;
    struct Case {
        const wchar_t* text;
        UINT style;
        LONG bottom;
    } cases[] = {
        { L"", DT_SINGLELINE, 10 },
        { L"", DT_WORDBREAK | DT_CENTER, 10 },
        { L"{b}{/b}", DT_SINGLELINE, 10 + lineHeight },
        { L"{x -30}", 0, 10 + lineHeight },
    };
    for (const Case& k : cases) {
        Canvas c(4, 4, 0);
        RECT rc = { 50, 10, 250, 100 };
        int n = 0;
        CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, k.text, 0xFF000000, NULL, NULL, n, k.style | DT_CALCRECT);
        EXPECT_EQ(50, rc.left) << testing::PrintToString(std::wstring(k.text));
        EXPECT_EQ(50, rc.right) << testing::PrintToString(std::wstring(k.text));
        EXPECT_EQ(10, rc.top);
        EXPECT_EQ(k.bottom, rc.bottom) << testing::PrintToString(std::wstring(k.text));
    }
    // Text that is there still measures from the left edge.
    Canvas c(4, 4, 0);
    RECT rc = { 50, 10, 250, 100 };
    int n = 0;
    CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, L"abc", 0xFF000000, NULL, NULL, n, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(50 + Calc(pm, L"abc").right, rc.right);
}

// Where lines end, computed the slow and plain way for text without tags: characters whose
// estimate by the widest character stays left of the edge fit; beyond that each longer prefix
// is measured until one passes the edge.
struct Folding {
    int lines;
    int widest;
};

Folding FoldByHand(HFONT hFont, const std::wstring& text, int width, UINT style)
{
    Canvas c(4, 4, 0);
    HGDIOBJ old = ::SelectObject(c.dc(), hFont);
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(c.dc(), &tm);
    auto extent = [&](size_t at, int n) {
        SIZE sz = { 0, 0 };
        ::GetTextExtentPoint32W(c.dc(), text.c_str() + at, n, &sz);
        return static_cast<int>(sz.cx);
    };
    Folding f = { 0, 0 };
    size_t at = 0;
    int x = 0;
    bool lineOpen = false;
    while (at < text.size()) {
        lineOpen = true;
        // A run is one blank at a line's start, else the rest of the text.
        const int run = (text[at] == L' ') ? 1 : static_cast<int>(text.size() - at);
        const int avail = width - x;
        int n = run;
        bool overflow = false;
        for (int k = 1; k <= run; k++) {
            if (k * tm.tmMaxCharWidth < avail || extent(at, k) <= avail) continue;
            n = k - 1;
            overflow = true;
            break;
        }
        if (overflow) {
            int lastGood = 0;
            for (int i = 0; i < n; i++) {
                wchar_t ch = text[at + i];
                if (!((ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z'))) lastGood = i + 1;
            }
            if (x == 0) n++;
            if ((style & DT_WORDBREAK) && lastGood > 0) n = lastGood;
        }
        x += n > 0 ? extent(at, n) : 0;
        if (x > f.widest) f.widest = x;
        at += n;
        if (overflow) {
            f.lines++;
            lineOpen = false;
            x = 0;
            if (style & DT_SINGLELINE) break;
        }
    }
    if (lineOpen) f.lines++;
    ::SelectObject(c.dc(), old);
    return f;
}

TEST_F(HtmlText, LongTextFoldsWhereEachPrefixIsMeasured)
{
    std::wstring words, letters, cjk, mixed;
    for (int i = 0; i < 40; i++) words += L"The quick brown fox jumps over the lazy dog. ";
    letters.assign(700, L'm');
    for (int i = 0; i < 150; i++) cjk += L"你好世界";
    for (int i = 0; i < 60; i++) mixed += L"abc 中文 defghij, ";
    const std::wstring* texts[] = { &words, &letters, &cjk, &mixed };
    const int widths[] = { 37, 160, 9999 };
    const UINT styles[] = { 0, DT_WORDBREAK, DT_SINGLELINE };
    const int lineHeight = Calc(pm, L"x").bottom;
    for (const std::wstring* t : texts) {
        for (int w : widths) {
            for (UINT style : styles) {
                SCOPED_TRACE(testing::Message() << "text of " << t->size() << ", width " << w << ", style " << style);
                Folding want = FoldByHand(pm.GetDefaultFontInfo()->hFont, *t, w, style);
                Canvas c(4, 4, 0);
                RECT rc = { 0, 0, w, 1000000 };
                int n = 0;
                CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, t->c_str(), 0xFF000000, NULL, NULL, n,
                                            style | DT_CALCRECT);
                EXPECT_EQ(want.lines * lineHeight, rc.bottom);
                EXPECT_EQ(want.widest < w ? want.widest : w, rc.right);
            }
        }
    }
}

// Centred and right-aligned lines longer than the first measure's 9999 pixels still draw,
// and only inside their rectangle.
TEST_F(HtmlText, AlignedLongLinesDrawInside)
{
    std::wstring text;
    for (int i = 0; i < 400; i++) text += L"word ";
    for (UINT style : { UINT(DT_SINGLELINE | DT_CENTER | DT_VCENTER), UINT(DT_SINGLELINE | DT_RIGHT) }) {
        Canvas c(kW, kH, 0);
        RECT rc = { 20, 20, kW - 20, kH - 20 };
        int n = 0;
        CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, text.c_str(), 0xFFFFFFFF, NULL, NULL, n, style);
        EXPECT_GT(c.CountNot({ 20, 20, kW - 20, kH - 20 }, 0), 0) << style;
        EXPECT_EQ(0, c.CountNot({ 0, 0, kW, 20 }, 0)) << style;
        EXPECT_EQ(0, c.CountNot({ 0, kH - 20, kW, kH }, 0)) << style;
        EXPECT_EQ(0, c.CountNot({ 0, 0, 20, kH }, 0)) << style;
        EXPECT_EQ(0, c.CountNot({ kW - 20, 0, kW, kH }, 0)) << style;
    }
}

TEST_F(HtmlText, LinksAreCountedWithinCapacity)
{
    RECT links[3];
    CSkinString texts[3];
    for (RECT& r : links) r = { -7, -7, -7, -7 };
    Canvas c(kW, kH, 0);
    struct Case {
        int capacity;
        int found;
    } cases[] = { { 0, 0 }, { 1, 1 }, { 3, 2 } };
    for (const Case& k : cases) {
        for (CSkinString& s : texts) s = L"untouched";
        RECT rc = { 0, 0, kW, kH };
        int n = k.capacity;
        CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, L"{a one}ab{/a} and {a two}cd{/a}", 0xFF000000, links, texts, n,
                                    0);
        EXPECT_EQ(k.found, n) << k.capacity;
        for (int i = 0; i < 3; i++) {
            if (i < k.found) continue;
            EXPECT_STREQ(L"untouched", texts[i].GetData()) << "slot " << i << " of " << k.capacity;
        }
    }
    EXPECT_STREQ(L"one", texts[0].GetData());
    EXPECT_STREQ(L"two", texts[1].GetData());
    EXPECT_LT(links[0].right, links[1].left);
    EXPECT_GT(links[0].right, links[0].left);
    EXPECT_EQ(links[0].bottom, links[1].bottom);
}

TEST_F(HtmlText, LinkAcrossALineBreakTakesTwoSlots)
{
    RECT word = Calc(pm, L"aaaa ");
    RECT links[4];
    CSkinString texts[4];
    Canvas c(kW, kH, 0);
    RECT rc = { 0, 0, word.right + 2, kH };
    int n = 4;
    CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, L"{a L}aaaa bbb{/a}", 0xFF000000, links, texts, n, DT_WORDBREAK);
    ASSERT_EQ(2, n);
    EXPECT_STREQ(L"L", texts[0].GetData());
    EXPECT_STREQ(L"L", texts[1].GetData());
    EXPECT_LE(links[0].bottom, links[1].top);
}

TEST_F(HtmlText, ImageStripDrawsOneFrame)
{
    const uint32_t A = 0xFFFF0000, Bc = 0xFF00FF00, C = 0xFF0000FF;
    std::vector<uint32_t> px(6 * 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 6; x++) px[y * 6 + x] = x < 2 ? A : (x < 4 ? Bc : C);
    ASSERT_NE(nullptr, pm.AddImage(L"strip", MakeSourceBitmap(6, 4, px), 6, 4, false));
    std::vector<uint32_t> first = Render(pm, L"{i strip 3 0}");
    EXPECT_TRUE(first == Render(pm, L"{i strip 3 5}")) << "an index outside the strip is frame 0";
    EXPECT_TRUE(Render(pm, L"{i strip 3 1}") != first);
    // The frame sits at the left, 2 pixels wide; its colour is the first frame's.
    int frameInk = 0, beyond = 0;
    for (int y = 0; y < kH; y++)
        for (int x = 0; x < kW; x++) {
            if (first[y * kW + x] == A)
                frameInk++;
            else if (first[y * kW + x] != 0)
                beyond++;
        }
    EXPECT_EQ(2 * 4, frameInk);
    EXPECT_EQ(0, beyond);
    EXPECT_TRUE(Render(pm, L"{i file='strip'}") == Render(pm, L"{i strip}"));
    std::vector<uint32_t> missing = Render(pm, L"{i nothing 3 1}");
    EXPECT_EQ(0, Ink(missing));
}

TEST_F(HtmlText, AlignmentMovesTheText)
{
    auto leftmostInk = [](const std::vector<uint32_t>& px) {
        int best = kW;
        for (int y = 0; y < kH; y++)
            for (int x = 0; x < kW; x++)
                if ((px[y * kW + x] & 0xFFFFFF) != 0 && x < best) best = x;
        return best;
    };
    int left = leftmostInk(Render(pm, L"centre", DT_SINGLELINE));
    int centre = leftmostInk(Render(pm, L"centre", DT_SINGLELINE | DT_CENTER));
    int right = leftmostInk(Render(pm, L"centre", DT_SINGLELINE | DT_RIGHT));
    RECT size = Calc(pm, L"centre");
    EXPECT_LT(left, 3);
    EXPECT_NEAR(kW / 2 - size.right / 2, centre, 3);
    EXPECT_NEAR(kW - size.right, right, 3);
}

TEST_F(HtmlText, LayeredWindowsGetOpaqueText)
{
    std::vector<uint32_t> plain = Render(pm, L"text {b}bold{/b}");
    int alphaInk = 0;
    for (uint32_t v : plain)
        if ((v >> 24) != 0) alphaInk++;
    EXPECT_EQ(0, alphaInk) << "GDI text on a 32-bit bitmap has alpha 0";
    pm.SetUseLayeredWindow(true);
    std::vector<uint32_t> layered = Render(pm, L"text {b}bold{/b}");
    int opaque = 0, colourless = 0;
    for (uint32_t v : layered) {
        if ((v & 0xFFFFFF) != 0 && (v >> 24) == 255) opaque++;
        if ((v & 0xFFFFFF) != 0 && (v >> 24) == 0) colourless++;
    }
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(0, colourless);
}

TEST_F(HtmlText, MalformedTextEndsAndDrawsInside)
{
    const wchar_t* texts[] = {
        L"{",
        L"<",
        L"{a",
        L"{a foo",
        L"{/",
        L"{c",
        L"{c #",
        L"{f",
        L"{f 99",
        L"{f Arial",
        L"{i",
        L"{i file='",
        L"{i file='x' restype='",
        L"{i res='70000' restype='PNG'}",
        L"{i 3 3}",
        L"{x",
        L"{x -100000}abc",
        L"{y",
        L"{y -5}abc{n}def",
        L"{p",
        L"{p 100000}a{/p}b",
        L"{r}",
        L"{r}abc",
        L"</r>",
        L"{n}{n}{n}{n}{n}{n}{n}{n}",
        L"{s}sel{/s}",
        L"{a x}{a y}{a z}nested{/a}",
        L"{b}{b}{b}x{/b}",
        L"{r}{/r",
        L"abc{",
        L"averyveryveryverylongwordwithoutanybreakingopportunityatall",
        L"{x 500}far away{n}back",
        L"<{",
        L"{<",
        L"{>",
        L"<}",
    };
    const UINT styles[] = { 0,
                            DT_SINGLELINE,
                            DT_WORDBREAK,
                            DT_END_ELLIPSIS,
                            DT_WORDBREAK | DT_END_ELLIPSIS,
                            DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER | DT_VCENTER,
                            DT_RIGHT | DT_BOTTOM };
    const int widths[] = { 1, 7, 60, 400 };
    RECT links[2];
    CSkinString linkTexts[2];
    for (const wchar_t* t : texts) {
        for (UINT style : styles) {
            for (int w : widths) {
                for (bool calc : { false, true }) {
                    Canvas c(kW, kH, 0);
                    RECT rc = { 20, 20, 20 + w, 60 };
                    int n = 2;
                    CRenderEngine::DrawHtmlText(c.dc(), &pm, rc, t, 0xFFFFFFFF, links, linkTexts, n,
                                                style | (calc ? DT_CALCRECT : 0));
                    EXPECT_GE(n, 0);
                    EXPECT_LE(n, 2);
                    if (!calc && !(style & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
                        RECT outside[] = {
                            { 0, 0, kW, 20 }, { 0, 60, kW, kH }, { 0, 20, 20, 60 }, { 20 + w, 20, kW, 60 }
                        };
                        int ink = 0;
                        ::GdiFlush();
                        const uint32_t* px = reinterpret_cast<const uint32_t*>(c.bits());
                        for (const RECT& o : outside)
                            for (int y = o.top; y < o.bottom; y++)
                                for (int x = o.left; x < o.right; x++)
                                    if (px[y * kW + x] != 0) ink++;
                        ASSERT_EQ(0, ink)
                            << testing::PrintToString(std::wstring(t)) << " style " << style << " w " << w;
                    }
                }
            }
        }
    }
}

} // namespace
