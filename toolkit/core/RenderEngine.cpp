#include <windows.h>
#include "core/RenderEngine.h"
#include "core/PaintManager.h"
#include "core/ImageAttribute.h"
#include "core/GdiScope.h"
#include "core/Msimg32.h"

namespace SkinUI {

namespace {

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}
int Height(const RECT& rc)
{
    return rc.bottom - rc.top;
}

bool Touches(const RECT& a, const RECT& b)
{
    RECT rcTemp;
    return ::IntersectRect(&rcTemp, &a, &b) != FALSE;
}

// Draws pieces of one source bitmap: blended, stretched or copied 1:1. Every piece whose
// source or destination has no extent is skipped (a negative extent would mirror it).
class PieceDrawer {
public:
    PieceDrawer(HDC hDC, HDC hSrc, bool bTranslucent, BYTE uFade)
        : m_hDC(hDC), m_hSrc(hSrc), m_bTranslucent(bTranslucent), m_pfnAlphaBlend(AlphaBlendEntry())
    {
        m_bf.BlendOp = AC_SRC_OVER;
        m_bf.BlendFlags = 0;
        m_bf.SourceConstantAlpha = uFade;
        m_bf.AlphaFormat = AC_SRC_ALPHA;
    }
    // The same drawing from another source.
    PieceDrawer(const PieceDrawer& other, HDC hSrc) : PieceDrawer(other) { m_hSrc = hSrc; }

    HDC Source() const { return m_hSrc; }

    void Draw(int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) const
    {
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
        if (m_bTranslucent) {
            if (m_pfnAlphaBlend != NULL) m_pfnAlphaBlend(m_hDC, dx, dy, dw, dh, m_hSrc, sx, sy, sw, sh, m_bf);
        } else if (dw == sw && dh == sh) {
            ::BitBlt(m_hDC, dx, dy, dw, dh, m_hSrc, sx, sy, SRCCOPY);
        } else {
            ::StretchBlt(m_hDC, dx, dy, dw, dh, m_hSrc, sx, sy, sw, sh, SRCCOPY);
        }
    }

    void Draw(const RECT& d, const RECT& s) const
    {
        Draw(d.left, d.top, Width(d), Height(d), s.left, s.top, Width(s), Height(s));
    }

private:
    HDC m_hDC;
    HDC m_hSrc;
    bool m_bTranslucent;
    PFN_ALPHABLEND m_pfnAlphaBlend;
    BLENDFUNCTION m_bf;
};

// Tiles drawn one by one from the top-left corner; the last tile of a row or column is cut
// at the destination edge, its source cut alike.
void DrawTiles(const PieceDrawer& pd, const RECT& d, const RECT& s, bool xtiled, bool ytiled)
{
    const int dw = Width(d), dh = Height(d), sw = Width(s), sh = Height(s);
    if (xtiled && ytiled) {
        const int iTimesX = (dw + sw - 1) / sw;
        const int iTimesY = (dh + sh - 1) / sh;
        for (int j = 0; j < iTimesY; j++) {
            int top = d.top + sh * j;
            int h = sh;
            if (top + h > d.bottom) h = d.bottom - top;
            for (int i = 0; i < iTimesX; i++) {
                int left = d.left + sw * i;
                int w = sw;
                if (left + w > d.right) w = d.right - left;
                pd.Draw(left, top, w, h, s.left, s.top, w, h);
            }
        }
    } else if (xtiled) {
        const int iTimes = (dw + sw - 1) / sw;
        for (int i = 0; i < iTimes; i++) {
            int left = d.left + sw * i;
            int w = sw;
            if (left + w > d.right) w = d.right - left;
            pd.Draw(left, d.top, w, dh, s.left, s.top, w, sh);
        }
    } else {
        const int iTimes = (dh + sh - 1) / sh;
        for (int i = 0; i < iTimes; i++) {
            int top = d.top + sh * i;
            int h = sh;
            if (top + h > d.bottom) h = d.bottom - top;
            pd.Draw(d.left, top, dw, h, s.left, s.top, sw, h);
        }
    }
}

// Tiles shorter than kSmallTile along a tiled axis are first repeated into a block of about
// kTileBlock pixels: a 1 x 1 pattern then costs a few calls instead of one per pixel.
const int kSmallTile = 8;
const int kTileBlock = 128;

// How many tiles go into the block along one axis (1: the axis is left as it is).
int TilesPerBlock(bool tiled, int tile, int dest)
{
    if (!tiled || tile >= kSmallTile) return 1;
    const int span = dest < kTileBlock ? dest : kTileBlock;
    return (span + tile - 1) / tile;
}

// The middle piece: stretched, or tiled along x and/or y. Drawing whole blocks of tiles
// gives the same pixels as drawing the tiles, since the block repeats with the tile's period.
void DrawMiddle(const PieceDrawer& pd, const RECT& d, const RECT& s, bool xtiled, bool ytiled)
{
    const int dw = Width(d), dh = Height(d), sw = Width(s), sh = Height(s);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    if (!xtiled && !ytiled) {
        pd.Draw(d, s);
        return;
    }
    const int kx = TilesPerBlock(xtiled, sw, dw);
    const int ky = TilesPerBlock(ytiled, sh, dh);
    if (kx > 1 || ky > 1) {
        const int bw = sw * kx, bh = sh * ky;
        BYTE* pBits = NULL;
        CScopedGdiObject<HBITMAP> block(CRenderEngine::CreateBitmap(pd.Source(), bw, bh, &pBits));
        CScopedMemDC blockDC(pd.Source());
        if (block.Get() != NULL && blockDC.Get() != NULL) {
            CScopedSelect select(blockDC.Get(), block.Get());
            HDC hBlock = blockDC.Get();
            // One tile, then the filled part copied after itself until the block is full.
            ::BitBlt(hBlock, 0, 0, sw, sh, pd.Source(), s.left, s.top, SRCCOPY);
            for (int w = sw; w < bw; w *= 2) ::BitBlt(hBlock, w, 0, w < bw - w ? w : bw - w, sh, hBlock, 0, 0, SRCCOPY);
            for (int h = sh; h < bh; h *= 2) ::BitBlt(hBlock, 0, h, bw, h < bh - h ? h : bh - h, hBlock, 0, 0, SRCCOPY);
            const RECT rcBlock = { 0, 0, bw, bh };
            DrawTiles(PieceDrawer(pd, hBlock), d, rcBlock, xtiled, ytiled);
            return;
        }
        // Without memory for a block the tiles are drawn one by one.
    }
    DrawTiles(pd, d, s, xtiled, ytiled);
}

} // namespace

HBITMAP CRenderEngine::CreateBitmap(HDC hDC, int cx, int cy, BYTE** pBits)
{
    if (pBits != NULL) *pBits = NULL;
    if (cx <= 0 || cy <= 0) return NULL;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = static_cast<DWORD>(cx) * static_cast<DWORD>(cy) * 4;
    void* pv = NULL;
    HBITMAP hBitmap = ::CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &pv, NULL, 0);
    if (pBits != NULL) *pBits = static_cast<BYTE*>(pv);
    return hBitmap;
}

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                              const RECT& rcCorners, bool bAlpha, BYTE uFade, bool hole, bool xtiled, bool ytiled)
{
    if (hDC == NULL || hBitmap == NULL) return;
    CScopedMemDC cloneDC(hDC);
    if (cloneDC.Get() == NULL) return;
    HDC hCloneDC = cloneDC.Get();
    CScopedSelect selectBitmap(hCloneDC, hBitmap);
    // HALFTONE stretching needs the brush origin at 0,0; the caller's is given back.
    int nOldMode = ::SetStretchBltMode(hDC, HALFTONE);
    POINT ptOldOrg = { 0, 0 };
    ::SetBrushOrgEx(hDC, 0, 0, &ptOldOrg);

    const bool bTranslucent = bAlpha || uFade < 255;
    const PieceDrawer pd(hDC, hCloneDC, bTranslucent, uFade);
    const RECT& c = rcCorners;
    const RECT& s = rcBmpPart;

    if (!bTranslucent && Width(rc) == Width(s) && Height(rc) == Height(s) && c.left == 0 && c.top == 0 &&
        c.right == 0 && c.bottom == 0) {
        // A 1:1 copy of only the part that needs painting.
        RECT rcTemp;
        if (::IntersectRect(&rcTemp, &rc, &rcPaint)) {
            ::BitBlt(hDC, rcTemp.left, rcTemp.top, Width(rcTemp), Height(rcTemp), hCloneDC,
                     s.left + rcTemp.left - rc.left, s.top + rcTemp.top - rc.top, SRCCOPY);
        }
    } else {
        // 1. The middle, unless it is a hole.
        if (!hole) {
            RECT d = { rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom };
            RECT m = { s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom };
            if (Touches(d, rcPaint)) DrawMiddle(pd, d, m, xtiled, ytiled);
        }
        // 2. The eight border pieces, each drawn whole when it touches the paint rect.
        struct Piece {
            bool on;
            RECT d;
            RECT s;
        };
        const Piece pieces[8] = {
            { c.left > 0 && c.top > 0,
              { rc.left, rc.top, rc.left + c.left, rc.top + c.top },
              { s.left, s.top, s.left + c.left, s.top + c.top } },
            { c.top > 0,
              { rc.left + c.left, rc.top, rc.right - c.right, rc.top + c.top },
              { s.left + c.left, s.top, s.right - c.right, s.top + c.top } },
            { c.right > 0 && c.top > 0,
              { rc.right - c.right, rc.top, rc.right, rc.top + c.top },
              { s.right - c.right, s.top, s.right, s.top + c.top } },
            { c.left > 0,
              { rc.left, rc.top + c.top, rc.left + c.left, rc.bottom - c.bottom },
              { s.left, s.top + c.top, s.left + c.left, s.bottom - c.bottom } },
            { c.right > 0,
              { rc.right - c.right, rc.top + c.top, rc.right, rc.bottom - c.bottom },
              { s.right - c.right, s.top + c.top, s.right, s.bottom - c.bottom } },
            { c.left > 0 && c.bottom > 0,
              { rc.left, rc.bottom - c.bottom, rc.left + c.left, rc.bottom },
              { s.left, s.bottom - c.bottom, s.left + c.left, s.bottom } },
            { c.bottom > 0,
              { rc.left + c.left, rc.bottom - c.bottom, rc.right - c.right, rc.bottom },
              { s.left + c.left, s.bottom - c.bottom, s.right - c.right, s.bottom } },
            { c.right > 0 && c.bottom > 0,
              { rc.right - c.right, rc.bottom - c.bottom, rc.right, rc.bottom },
              { s.right - c.right, s.bottom - c.bottom, s.right, s.bottom } },
        };
        for (const Piece& p : pieces) {
            if (p.on && Touches(p.d, rcPaint)) pd.Draw(p.d, p.s);
        }
    }

    ::SetBrushOrgEx(hDC, ptOldOrg.x, ptOldOrg.y, NULL);
    ::SetStretchBltMode(hDC, nOldMode);
}

bool CRenderEngine::DrawImage(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                              CImageAttribute& image)
{
    if (pManager == NULL || hDC == NULL || image.m_sImage.IsEmpty()) return false;
    if (image.m_imageInfo == NULL) return false;

    RECT rcDest = rcItem;
    const RECT& d = image.m_rcDest;
    if (d.left != 0 || d.top != 0 || d.right != 0 || d.bottom != 0) {
        rcDest.left = rcItem.left + d.left;
        rcDest.top = rcItem.top + d.top;
        rcDest.right = rcItem.left + d.right;
        rcDest.bottom = rcItem.top + d.bottom;
    }
    if (rcDest.right > rcItem.right) rcDest.right = rcItem.right;
    if (rcDest.bottom > rcItem.bottom) rcDest.bottom = rcItem.bottom;

    if (!Touches(rcDest, rcItem)) return true;
    if (Touches(rcDest, rcPaint)) {
        const tagTImageInfo* data = image.m_imageInfo;
        DrawImage(hDC, data->hBitmap, rcDest, rcPaint, image.m_rcSource, image.m_rcCorner,
                  pManager->IsLayeredWindow() ? true : data->hasAlpha, image.m_bFade, image.m_bHole, image.m_bTiledX,
                  image.m_bTiledY);
    }
    return true;
}

void CRenderEngine::RestoreAlphaColor(BYTE* pBits, int bitsWidth, RECT* rc)
{
    if (pBits == NULL || rc == NULL || bitsWidth <= 0) return;
    for (int i = rc->top; i < rc->bottom; ++i) {
        for (int j = rc->left; j < rc->right; ++j) {
            BYTE* p = pBits + (static_cast<size_t>(i) * bitsWidth + j) * 4;
            if (p[3] == 0 && (p[0] != 0 || p[1] != 0 || p[2] != 0)) p[3] = 255;
        }
    }
}

DWORD CRenderEngine::AdjustColor(DWORD dwColor, short H, short S, short L)
{
    if (H == 180 && S == 100 && L == 100) return dwColor;
    // The low byte plays red here, as skins were tuned on it.
    double r = (dwColor & 0xFF) / 255.0;
    double g = ((dwColor >> 8) & 0xFF) / 255.0;
    double b = ((dwColor >> 16) & 0xFF) / 255.0;
    double mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
    double mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
    double l = (mx + mn) / 2.0;
    double h = 0.0, s = 0.0;
    if (mx != mn) {
        double dm = mx - mn;
        s = l <= 0.5 ? dm / (mx + mn) : dm / (2.0 - mx - mn);
        double v;
        if (r == mn)
            v = 3.0 - (g - b) / dm;
        else if (g == mn)
            v = 5.0 - (b - r) / dm;
        else
            v = 1.0 - (r - g) / dm;
        if (v >= 6.0) v -= 6.0;
        h = v * 60.0;
    }
    h += H - 180;
    if (h <= 0) h += 360;
    s = S / 100.0 * s;
    l = L / 100.0 * l;

    double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    double p = 2.0 * l - q;
    auto channel = [p, q](double t) -> BYTE {
        if (t < 0)
            t += 1.0;
        else if (t > 1)
            t -= 1.0;
        double v;
        if (6.0 * t < 1.0)
            v = p + (q - p) * 6.0 * t;
        else if (2.0 * t < 1.0)
            v = q;
        else if (3.0 * t < 2.0)
            v = p + (q - p) * 6.0 * (2.0 / 3.0 - t);
        else
            v = p;
        v *= 255.0;
        if (v < 0) v = 0;
        if (v > 255) v = 255;
        return static_cast<BYTE>(v);
    };
    double hh = h / 360.0;
    BYTE nr = channel(hh + 1.0 / 3.0);
    BYTE ng = channel(hh);
    BYTE nb = channel(hh - 1.0 / 3.0);
    return (dwColor & 0xFF000000) | (static_cast<DWORD>(nb) << 16) | (static_cast<DWORD>(ng) << 8) | nr;
}

} // namespace SkinUI
