#include <windows.h>
#include <gtest/gtest.h>
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "core/RenderClip.h"
#include "core/ImageAttribute.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace painttest;

namespace {

const uint32_t TL = 0xFFFF0000, T = 0xFF00FF00, TR = 0xFF0000FF, L = 0xFFFFFF00, M = 0xFF808080, R = 0xFF00FFFF,
               BL = 0xFFFF00FF, B = 0xFF404040, BR = 0xFFC0C0C0;
const uint32_t BG = 0x11223344;

// A 12 x 12 nine-slice source with 4-pixel borders, each piece one colour.
HBITMAP NineSliceSource()
{
    std::vector<uint32_t> px(144);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 12; x++) {
            int col = x < 4 ? 0 : (x < 8 ? 1 : 2), row = y < 4 ? 0 : (y < 8 ? 1 : 2);
            const uint32_t grid[3][3] = { { TL, T, TR }, { L, M, R }, { BL, B, BR } };
            px[y * 12 + x] = grid[row][col];
        }
    return MakeSourceBitmap(12, 12, px);
}

struct Probe {
    int x, y;
    uint32_t expect;
};

// Stretching with StretchBlt drops the alpha byte (only the blended road keeps it), so
// opaque-road probes compare the colour only.
void ExpectProbes(const Canvas& c, const std::vector<Probe>& probes, const char* what, bool withAlpha)
{
    const uint32_t mask = withAlpha ? 0xFFFFFFFF : 0x00FFFFFF;
    for (const Probe& p : probes) {
        EXPECT_TRUE(Near(c.At(p.x, p.y) & mask, p.expect & mask))
            << what << " at " << p.x << "," << p.y << ": " << std::hex << c.At(p.x, p.y) << " want " << p.expect;
    }
}

TEST(RenderImage, NineSliceKeepsCornersAndStretchesTheRest)
{
    HBITMAP src = NineSliceSource();
    RECT corners = { 4, 4, 4, 4 }, part = { 0, 0, 12, 12 }, rc = { 0, 0, 24, 24 };
    // Opaque (StretchBlt) and translucent (AlphaBlend) roads give the same picture.
    for (bool alpha : { false, true }) {
        Canvas c(24, 24, BG);
        CRenderEngine::DrawImage(c.dc(), src, rc, rc, part, corners, alpha);
        EXPECT_EQ(0, c.CountNot({ 0, 0, 4, 4 }, TL)) << "corners are copied unscaled";
        EXPECT_EQ(0, c.CountNot({ 20, 0, 24, 4 }, TR));
        EXPECT_EQ(0, c.CountNot({ 0, 20, 4, 24 }, BL));
        EXPECT_EQ(0, c.CountNot({ 20, 20, 24, 24 }, BR));
        ExpectProbes(c,
                     { { 6, 1, T },
                       { 17, 2, T },
                       { 1, 12, L },
                       { 22, 12, R },
                       { 12, 22, B },
                       { 6, 6, M },
                       { 17, 17, M },
                       { 12, 12, M } },
                     alpha ? "blended" : "stretched", alpha);
    }
    // With a hole the middle stays as it was.
    Canvas h(24, 24, BG);
    CRenderEngine::DrawImage(h.dc(), src, rc, rc, part, corners, false, 255, true);
    EXPECT_EQ(0, h.CountNot({ 4, 4, 20, 20 }, BG));
    EXPECT_EQ(0, h.CountNot({ 0, 0, 4, 4 }, TL));
    ExpectProbes(h, { { 12, 1, T }, { 12, 22, B } }, "hole", false);
    ::DeleteObject(src);
}

TEST(RenderImage, OnlyPiecesTouchingThePaintRectAreDrawn)
{
    HBITMAP src = NineSliceSource();
    RECT corners = { 4, 4, 4, 4 }, part = { 0, 0, 12, 12 }, rc = { 0, 0, 24, 24 };
    Canvas c(24, 24, BG);
    RECT paint = { 0, 0, 3, 3 }; // inside the top-left corner only
    CRenderEngine::DrawImage(c.dc(), src, rc, paint, part, corners, false);
    EXPECT_EQ(0, c.CountNot({ 0, 0, 4, 4 }, TL)) << "a touched piece is drawn whole";
    EXPECT_EQ(0, c.CountNot({ 4, 4, 20, 20 }, BG));
    EXPECT_EQ(0, c.CountNot({ 20, 20, 24, 24 }, BG));
    ::DeleteObject(src);
}

TEST(RenderImage, TilingCutsTheLastTile)
{
    const uint32_t A = 0xFF102030, C = 0xFF405060, D = 0xFF708090, E = 0xFFA0B0C0;
    // 4 x 4 source: left half A/C, right half D/E (top/bottom).
    std::vector<uint32_t> px(16);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) px[y * 4 + x] = x < 2 ? (y < 2 ? A : C) : (y < 2 ? D : E);
    HBITMAP src = MakeSourceBitmap(4, 4, px);
    RECT part = { 0, 0, 4, 4 }, none = { 0, 0, 0, 0 };
    struct Case {
        bool x, y;
        RECT rc;
    } cases[] = { { true, false, { 0, 0, 10, 4 } },
                  { false, true, { 0, 0, 4, 10 } },
                  { true, true, { 0, 0, 10, 10 } } };
    for (bool alpha : { false, true }) {
        for (const Case& k : cases) {
            Canvas c(12, 12, BG);
            CRenderEngine::DrawImage(c.dc(), src, k.rc, k.rc, part, none, alpha, 255, false, k.x, k.y);
            for (int y = 0; y < k.rc.bottom; y++) {
                for (int x = 0; x < k.rc.right; x++) {
                    bool left = (x % 4) < 2, top = (y % 4) < 2;
                    uint32_t want = left ? (top ? A : C) : (top ? D : E);
                    ASSERT_TRUE(Near(c.At(x, y), want)) << k.x << k.y << alpha << " at " << x << "," << y;
                }
            }
            // 2.5 tiles: three columns/rows, nothing past the destination.
            EXPECT_EQ(0, c.CountNot({ k.rc.right, 0, 12, 12 }, BG));
            EXPECT_EQ(0, c.CountNot({ 0, k.rc.bottom, 12, 12 }, BG));
        }
    }
    ::DeleteObject(src);
}

// Tiny tiles (down to one pixel) tiled across a large middle give exactly what drawing the
// whole pattern 1:1 gives, on the blended and the opaque road, also when the middle sits
// inside the bitmap behind corners and the last tiles are cut.
TEST(RenderImage, TinyTilesMatchThePatternDrawnWhole)
{
    struct Case {
        int tw, th; // the middle's tile
        bool x, y;
    } cases[] = {
        // A stretched axis is one pixel long, so stretching it is exact whatever the filter.
        { 1, 1, true, true },  { 2, 3, true, true },  { 3, 1, true, false },
        { 1, 2, false, true }, { 31, 1, true, true }, { 7, 5, true, true },
    };
    const int kCorner = 2;
    const RECT rc = { 5, 4, 5 + 2 * kCorner + 301, 4 + 2 * kCorner + 203 };
    const int mw = rc.right - rc.left - 2 * kCorner, mh = rc.bottom - rc.top - 2 * kCorner;
    for (bool alpha : { false, true }) {
        for (const Case& k : cases) {
            SCOPED_TRACE(testing::Message() << k.tw << "x" << k.th << " tiled " << k.x << k.y << " alpha " << alpha);
            // The tile's pixels; some translucent on the blended road (premultiplied).
            auto tile = [&](int x, int y) -> uint32_t {
                uint32_t v = 0xFF000000u | static_cast<uint32_t>(((x * 40 + 17) & 0xFF) << 16 |
                                                                 ((y * 50 + 29) & 0xFF) << 8 | (((x + y) * 9) & 0xFF));
                if (alpha && (x + y) % 2 == 1) v = 0x80000000u | ((v & 0xFEFEFE) >> 1);
                return v;
            };
            // The source: the tile behind a frame of corner pixels that must never show in the middle.
            const int sw = k.tw + 2 * kCorner, sh = k.th + 2 * kCorner;
            std::vector<uint32_t> src(static_cast<size_t>(sw) * sh, 0xFFFF00FFu);
            for (int y = 0; y < k.th; y++)
                for (int x = 0; x < k.tw; x++) src[static_cast<size_t>(y + kCorner) * sw + x + kCorner] = tile(x, y);
            HBITMAP hSrc = MakeSourceBitmap(sw, sh, src);
            RECT part = { 0, 0, sw, sh }, corners = { kCorner, kCorner, kCorner, kCorner };
            Canvas tiled(320, 220, BG);
            CRenderEngine::DrawImage(tiled.dc(), hSrc, rc, rc, part, corners, alpha, 255, false, k.x, k.y);

            // The middle as one bitmap of its final size.
            std::vector<uint32_t> whole(static_cast<size_t>(mw) * mh);
            for (int y = 0; y < mh; y++)
                for (int x = 0; x < mw; x++) whole[static_cast<size_t>(y) * mw + x] = tile(x % k.tw, y % k.th);
            HBITMAP hWhole = MakeSourceBitmap(mw, mh, whole);
            Canvas expected(320, 220, BG);
            RECT mid = { rc.left + kCorner, rc.top + kCorner, rc.right - kCorner, rc.bottom - kCorner };
            RECT wholePart = { 0, 0, mw, mh }, none = { 0, 0, 0, 0 };
            CRenderEngine::DrawImage(expected.dc(), hWhole, mid, mid, wholePart, none, alpha, 255);

            // Stretching on the opaque road drops the alpha byte: there only colours count.
            const uint32_t mask = alpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
            int differ = 0;
            for (int y = mid.top; y < mid.bottom; y++)
                for (int x = mid.left; x < mid.right; x++)
                    if (!Near(tiled.At(x, y) & mask, expected.At(x, y) & mask)) differ++;
            EXPECT_EQ(0, differ);
            EXPECT_EQ(0, tiled.CountNot({ rc.right, 0, 320, 220 }, BG));
            EXPECT_EQ(0, tiled.CountNot({ 0, rc.bottom, 320, 220 }, BG));
            ::DeleteObject(hWhole);
            ::DeleteObject(hSrc);
        }
    }
}

// The caller's brush origin and stretch mode survive a drawing.
TEST(RenderImage, CallersDcSettingsAreKept)
{
    HBITMAP src = NineSliceSource();
    Canvas c(40, 40, BG);
    ::SetBrushOrgEx(c.dc(), 3, 5, NULL);
    ::SetStretchBltMode(c.dc(), COLORONCOLOR);
    RECT rc = { 0, 0, 30, 30 }, part = { 0, 0, 12, 12 }, corners = { 4, 4, 4, 4 };
    CRenderEngine::DrawImage(c.dc(), src, rc, rc, part, corners, false, 255, false, true, true);
    CRenderEngine::DrawImage(c.dc(), src, rc, rc, part, corners, true, 200);
    POINT org = { 0, 0 };
    ::GetBrushOrgEx(c.dc(), &org);
    EXPECT_EQ(3, org.x);
    EXPECT_EQ(5, org.y);
    EXPECT_EQ(COLORONCOLOR, ::GetStretchBltMode(c.dc()));
    ::DeleteObject(src);
}

TEST(RenderImage, FadeBitBltAndDegenerateGeometry)
{
    const uint32_t S = 0xFFC86432;
    HBITMAP solid = MakeSourceBitmap(4, 4, std::vector<uint32_t>(16, S));
    RECT part = { 0, 0, 4, 4 }, none = { 0, 0, 0, 0 };
    {
        // fade 128 over a transparent target: each premultiplied channel at half strength.
        Canvas c(4, 4, 0);
        RECT rc = { 0, 0, 4, 4 };
        CRenderEngine::DrawImage(c.dc(), solid, rc, rc, part, none, false, 128);
        EXPECT_TRUE(Near(c.At(1, 1), 0x80643219u)) << std::hex << c.At(1, 1);
    }
    {
        // Same size, no corners, opaque: a copy of only the painted part, from the source
        // position that matches.
        std::vector<uint32_t> px(16);
        for (int i = 0; i < 16; i++) px[i] = 0xFF000000 | static_cast<uint32_t>(i);
        HBITMAP grad = MakeSourceBitmap(4, 4, px);
        Canvas c(8, 8, BG);
        RECT rc = { 2, 2, 4, 4 }, src = { 1, 1, 3, 3 }, paint = { 0, 0, 3, 8 };
        CRenderEngine::DrawImage(c.dc(), grad, rc, paint, src, none, false);
        EXPECT_EQ(0xFF000005u, c.At(2, 2));
        EXPECT_EQ(0xFF000009u, c.At(2, 3));
        EXPECT_EQ(BG, c.At(3, 2)) << "outside the paint rect";
        ::DeleteObject(grad);
    }
    struct Case {
        RECT rc, corners, part;
        bool xt, yt;
    } cases[] = {
        { { 10, 10, 16, 16 }, { 4, 4, 4, 4 }, { 0, 0, 4, 4 }, false, false }, // corners wider than the target
        { { 10, 10, 20, 20 }, { 2, 2, 2, 2 }, { 0, 0, 4, 4 }, true, true },   // tiles of a 0-wide middle
        { { 10, 10, 20, 20 }, { 3, 0, 3, 0 }, { 0, 0, 4, 4 }, true, false },
        { { 10, 10, 20, 20 }, { 0, 0, 0, 0 }, { 3, 3, 1, 1 }, false, false }, // a reversed source
        { { 20, 20, 10, 10 }, { 0, 0, 0, 0 }, { 0, 0, 4, 4 }, true, true },   // a reversed target
    };
    for (const Case& k : cases) {
        Canvas c(30, 30, BG);
        RECT paint = { 0, 0, 30, 30 };
        CRenderEngine::DrawImage(c.dc(), solid, k.rc, paint, k.part, k.corners, true, 255, false, k.xt, k.yt);
        RECT box = k.rc;
        if (box.left > box.right) std::swap(box.left, box.right);
        if (box.top > box.bottom) std::swap(box.top, box.bottom);
        int outside = 0;
        for (int y = 0; y < 30; y++)
            for (int x = 0; x < 30; x++) {
                POINT pt = { x, y };
                if (!::PtInRect(&box, pt) && c.At(x, y) != BG) outside++;
            }
        EXPECT_EQ(0, outside) << "nothing is mirrored out of the target";
    }
    ::DeleteObject(solid);
}

TEST(RenderImage, AttributeDestIsCutToTheItem)
{
    CPaintManagerUI pm;
    HBITMAP red = MakeSourceBitmap(4, 4, std::vector<uint32_t>(16, 0xFFFF0000));
    tagTImageInfo info = {};
    info.hBitmap = red;
    info.width = info.height = 4;
    struct Case {
        const wchar_t* attr;
        RECT drawn; // empty: nothing
    } cases[] = {
        { L"x.png", { 0, 0, 10, 10 } },
        { L"file='x.png' dest='2,2,6,6'", { 2, 2, 6, 6 } },
        { L"file='x.png' dest='2,2,50,50'", { 2, 2, 10, 10 } },
        { L"file='x.png' dest='20,20,30,30'", { 0, 0, 0, 0 } },
    };
    for (const Case& k : cases) {
        CImageAttribute attr;
        attr.SetAttributeString(k.attr);
        attr.m_imageInfo = &info;
        attr.m_rcSource = { 0, 0, 4, 4 };
        Canvas c(20, 20, BG);
        RECT item = { 0, 0, 10, 10 };
        EXPECT_TRUE(CRenderEngine::DrawImage(c.dc(), &pm, item, item, attr)) << k.attr;
        int inside = 0, outside = 0;
        for (int y = 0; y < 20; y++)
            for (int x = 0; x < 20; x++) {
                POINT pt = { x, y };
                bool in = ::PtInRect(&k.drawn, pt) != FALSE;
                if (in && (c.At(x, y) & 0xFFFFFF) == 0xFF0000) inside++;
                if (!in && c.At(x, y) != BG) outside++;
            }
        EXPECT_EQ((k.drawn.right - k.drawn.left) * (k.drawn.bottom - k.drawn.top), inside) << k.attr;
        EXPECT_EQ(0, outside) << k.attr;
    }
    CImageAttribute unloaded;
    unloaded.SetAttributeString(L"x.png");
    Canvas c(4, 4, BG);
    RECT item = { 0, 0, 4, 4 };
    EXPECT_FALSE(CRenderEngine::DrawImage(c.dc(), &pm, item, item, unloaded));
    EXPECT_FALSE(CRenderEngine::DrawImage(c.dc(), NULL, item, item, unloaded));
    ::DeleteObject(red);
}

TEST(RenderShapes, ColorsGradientsAndBands)
{
    {
        Canvas c(4, 4, BG);
        RECT rc = { 0, 0, 2, 2 };
        CRenderEngine::DrawColor(c.dc(), rc, 0x00FFFFFF);
        EXPECT_EQ(0, c.CountNot({ 0, 0, 4, 4 }, BG)) << "alpha 0 draws nothing";
        CRenderEngine::DrawColor(c.dc(), rc, 0xFF336699);
        EXPECT_EQ(0, c.CountNot(rc, 0xFF336699));
        EXPECT_EQ(BG, c.At(2, 2));
    }
    {
        Canvas c(64, 64, 0);
        RECT rc = { 0, 0, 64, 4 };
        CRenderEngine::DrawGradient(c.dc(), rc, 0xFFFF0000, 0xFF0000FF, false, 64);
        EXPECT_GT(Ch(c.At(0, 1), 2), 240);
        EXPECT_LT(Ch(c.At(0, 1), 0), 15);
        EXPECT_GT(Ch(c.At(63, 1), 0), 240);
        EXPECT_GT(Ch(c.At(16, 1), 2), Ch(c.At(48, 1), 2)) << "red fades from left to right";
        RECT rv = { 0, 8, 4, 64 };
        CRenderEngine::DrawGradient(c.dc(), rv, 0xFF00FF00, 0xFF000000, true, 64);
        EXPECT_GT(Ch(c.At(1, 8), 1), Ch(c.At(1, 60), 1)) << "vertical: first colour at the top";
    }
    {
        // Bands, where there is no GradientFill: two bands for few steps, band 0 (the second
        // colour) at the right, the other the mean of both.
        Canvas c(8, 2, BG);
        RECT rc = { 0, 0, 8, 2 };
        CRenderEngine::DrawGradientWith(c.dc(), rc, 0xFFC80000, 0xFF000064, false, 2, false);
        EXPECT_EQ(0x000064u, c.At(6, 0) & 0xFFFFFF);
        EXPECT_EQ(0x640032u, c.At(1, 1) & 0xFFFFFF);
        CRenderEngine::DrawGradientWith(c.dc(), rc, 0xFFC80000, 0xFF000064, true, 2, false);
        EXPECT_EQ(0x000064u, c.At(0, 1) & 0xFFFFFF) << "vertical: band 0 at the bottom";
        EXPECT_EQ(0x640032u, c.At(7, 0) & 0xFFFFFF);
    }
    for (bool gradientFill : { true, false }) {
        Canvas c(4, 4, 0);
        RECT rc = { 0, 0, 4, 4 };
        CRenderEngine::DrawGradientWith(c.dc(), rc, 0x006432C8, 0x006432C8, false, 8, gradientFill);
        EXPECT_EQ(0, c.CountNot(rc, 0)) << "both alphas 0: nothing";
        // Alphas 255 and 0 blend at 127.
        CRenderEngine::DrawGradientWith(c.dc(), rc, 0xFF6432C8, 0x006432C8, false, 2, gradientFill);
        EXPECT_TRUE(Near(c.At(2, 2), 0x7F311863u, 1)) << gradientFill << " " << std::hex << c.At(2, 2);
    }
}

TEST(RenderShapes, LinesAndRectangles)
{
    Canvas c(20, 20, 0);
    CRenderEngine::DrawRect(c.dc(), { 2, 2, 12, 12 }, 1, 0xFFFF0000);
    EXPECT_EQ(0xFFFF0000u, c.At(2, 2));
    EXPECT_EQ(0xFFFF0000u, c.At(11, 7)) << "the pen stays inside the rectangle";
    EXPECT_EQ(0xFFFF0000u, c.At(7, 11));
    EXPECT_EQ(0u, c.At(12, 7));
    EXPECT_EQ(0u, c.At(7, 7));

    Canvas l(20, 20, 0);
    CRenderEngine::DrawLine(l.dc(), { 2, 10, 17, 10 }, 1, 0xFF00FF00);
    EXPECT_NE(0u, l.At(9, 10) & 0xFF00);
    EXPECT_EQ(0u, l.At(9, 3));

    Canvas r(30, 30, 0);
    CRenderEngine::DrawRoundRect(r.dc(), { 0, 0, 30, 30 }, 1, 8, 8, 0xFF0000FF);
    EXPECT_NE(0u, r.At(15, 0)) << "top edge";
    EXPECT_NE(0u, r.At(0, 15)) << "left edge";
    EXPECT_NE(0u, r.At(29, 15)) << "right edge";
    EXPECT_NE(0u, r.At(15, 29)) << "bottom edge";
    EXPECT_EQ(0u, r.At(0, 0)) << "the corner is round";
    EXPECT_EQ(0u, r.At(15, 15));
}

TEST(RenderShapes, ClipsAndRoundClips)
{
    Canvas c(20, 20, 0);
    HBRUSH brush = ::CreateSolidBrush(RGB(0, 0, 255));
    RECT all = { 0, 0, 20, 20 };
    {
        CRenderClip clip;
        CRenderClip::GenerateClip(c.dc(), { 2, 2, 6, 6 }, clip);
        ::FillRect(c.dc(), &all, brush);
        EXPECT_EQ(0u, c.At(1, 1));
        EXPECT_EQ(0xFFu, c.At(2, 2) & 0xFFFFFF);
        EXPECT_EQ(0u, c.At(6, 6));
        CRenderClip::UseOldClipBegin(c.dc(), clip);
        RECT spot = { 10, 10, 11, 11 };
        ::FillRect(c.dc(), &spot, brush);
        CRenderClip::UseOldClipEnd(c.dc(), clip);
        RECT spot2 = { 12, 12, 13, 13 };
        ::FillRect(c.dc(), &spot2, brush);
        EXPECT_EQ(0xFFu, c.At(10, 10) & 0xFFFFFF) << "the old clip lets it through";
        EXPECT_EQ(0u, c.At(12, 12));
    }
    ::FillRect(c.dc(), &all, brush);
    EXPECT_EQ(0xFFu, c.At(19, 19) & 0xFFFFFF) << "the destructor gave the clip back";

    Canvas r(20, 20, 0);
    {
        CRenderClip clip;
        CRenderClip::GenerateRoundClip(r.dc(), { 0, 0, 20, 20 }, { 0, 0, 19, 19 }, 6, 6, clip);
        ::FillRect(r.dc(), &all, brush);
    }
    EXPECT_EQ(0u, r.At(0, 0)) << "the rounded corner is cut";
    EXPECT_EQ(0u, r.At(19, 19));
    EXPECT_EQ(0xFFu, r.At(10, 10) & 0xFFFFFF);
    EXPECT_EQ(0xFFu, r.At(10, 0) & 0xFFFFFF);
    ::DeleteObject(brush);
}

TEST(RenderShapes, AdjustColorGoldenValues)
{
    struct Case {
        DWORD in;
        short h, s, l;
        DWORD out;
    } cases[] = {
        { 0x7F123456, 180, 100, 100, 0x7F123456 }, // no change, alpha included
        { 0xFF0000FF, 300, 100, 100, 0xFF00FF00 }, // +120 degrees: the low byte moves to the second
        { 0xFF0000FF, 60, 100, 100, 0xFFFF0000 },  // -120 degrees: to the third
        { 0x80808080, 0, 100, 200, 0x80FFFFFF },   // grey, doubled lightness, alpha kept
        { 0xFF0000FF, 180, 100, 0, 0xFF000000 },   // no lightness
        { 0xFF0000FF, 180, 0, 100, 0xFF7F7F7F },   // no saturation: grey of the same lightness
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.out, CRenderEngine::AdjustColor(k.in, k.h, k.s, k.l))
            << std::hex << k.in << std::dec << " " << k.h << "," << k.s << "," << k.l;
    }
}

TEST(RenderShapes, RestoreAlphaColor)
{
    Canvas c(4, 2, 0);
    c.Set(0, 0, 0x00102030);
    c.Set(1, 0, 0x00000000);
    c.Set(2, 0, 0x80102030);
    c.Set(3, 0, 0x00102030);
    c.Set(0, 1, 0x00000001);
    RECT rc = { 0, 0, 3, 2 };
    CRenderEngine::RestoreAlphaColor(c.bits(), 4, &rc);
    EXPECT_EQ(0xFF102030u, c.At(0, 0));
    EXPECT_EQ(0u, c.At(1, 0));
    EXPECT_EQ(0x80102030u, c.At(2, 0));
    EXPECT_EQ(0x00102030u, c.At(3, 0)) << "outside the rect";
    EXPECT_EQ(0xFF000001u, c.At(0, 1));
}

int CountInk(const Canvas& c, const RECT& rc, uint32_t bg, bool alphaOnly = false)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; y++)
        for (int x = rc.left; x < rc.right; x++) {
            uint32_t v = c.At(x, y);
            if (alphaOnly ? (v >> 24) != 0 : v != bg) n++;
        }
    return n;
}

TEST(RenderText, PlainTextThroughGdiAndGdiplus)
{
    CPaintManagerUI pm;
    Canvas c(200, 60, 0);
    RECT rc = { 10, 10, 150, 40 };
    CRenderEngine::DrawText(c.dc(), &pm, rc, L"Hello 你好", 0xFFFFFFFF, -1, DT_SINGLELINE);
    EXPECT_GT(CountInk(c, rc, 0), 0);
    EXPECT_EQ(0, CountInk(c, { 0, 0, 200, 10 }, 0)) << "clipped to the rect";
    EXPECT_EQ(0, CountInk(c, rc, 0, true)) << "GDI leaves the alpha byte 0";

    // Layered windows draw with GDI+, which writes alpha.
    pm.SetUseLayeredWindow(true);
    Canvas g(200, 60, 0);
    CRenderEngine::DrawText(g.dc(), &pm, rc, L"Hello 你好", 0xFFFFFFFF, -1, DT_SINGLELINE);
    EXPECT_GT(CountInk(g, rc, 0, true), 0);

    RECT shortRc = { 0, 0, 400, 100 }, longRc = shortRc;
    CRenderEngine::DrawText(g.dc(), &pm, shortRc, L"ab", 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    CRenderEngine::DrawText(g.dc(), &pm, longRc, L"abababab", 0xFF000000, -1, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(shortRc.right, 0);
    EXPECT_GT(longRc.right, shortRc.right);
    EXPECT_GT(shortRc.bottom, 0);
    EXPECT_LT(shortRc.bottom, 100);

    SIZE none = CRenderEngine::GetTextSize(c.dc(), &pm, NULL, -1, 0);
    EXPECT_EQ(0, none.cx);
    SIZE s1 = CRenderEngine::GetTextSize(c.dc(), &pm, L"ab", -1, 0);
    SIZE s4 = CRenderEngine::GetTextSize(c.dc(), &pm, L"abababab", -1, 0);
    EXPECT_GT(s4.cx, s1.cx);
    EXPECT_EQ(s1.cy, s4.cy);
}

// When GDI+ cannot make the font (it refuses raster fonts such as "Courier"), plain text falls
// back to GDI; in a layered window that text must still be opaque, not a hole.
TEST(RenderText, GdiFallbackInALayeredWindowIsOpaque)
{
    CPaintManagerUI pm;
    HFONT hFont = pm.AddFont(L"Courier", 24, true, false, false);
    ASSERT_NE(nullptr, hFont);
    const int font = pm.GetFontIndex(hFont);
    RECT rc = { 10, 10, 190, 50 };
    for (bool layered : { false, true }) {
        SCOPED_TRACE(layered);
        pm.SetUseLayeredWindow(layered);
        for (UINT style : { UINT(DT_SINGLELINE), UINT(DT_SINGLELINE | DT_CENTER | DT_VCENTER), UINT(DT_WORDBREAK) }) {
            Canvas c(200, 60, 0);
            RECT r = rc;
            CRenderEngine::DrawText(c.dc(), &pm, r, L"Hello 你好", 0xFFFFFFFF, font, style);
            int ink = 0, opaque = 0, holes = 0;
            for (int y = 0; y < 60; y++)
                for (int x = 0; x < 200; x++) {
                    uint32_t v = c.At(x, y);
                    if ((v & 0xFFFFFF) == 0) continue;
                    ink++;
                    if ((v >> 24) == 0xFF) opaque++;
                    if ((v >> 24) == 0) holes++;
                }
            EXPECT_GT(ink, 0) << style;
            // GDI draws the glyphs whole: after the repair every inked pixel is opaque. The
            // GDI+ road would have left partly covered edge pixels translucent.
            EXPECT_EQ(layered ? ink : 0, opaque) << style;
            EXPECT_EQ(layered ? 0 : ink, holes) << style;
            EXPECT_EQ(0, CountInk(c, { 0, 0, 200, 10 }, 0)) << "clipped to the rect";
        }
    }
}

} // namespace
