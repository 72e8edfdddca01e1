#include <windows.h>
#include <gdiplus.h>
#include <memory>
#include "core/RenderEngine.h"
#include "core/PaintManager.h"
#include "core/ColorRef.h"
#include "core/Msimg32.h"
#include "core/TextAlpha.h"

namespace SkinUI {

namespace {

void FillBands(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps)
{
    int shift = 6;
    if (nSteps < 4)
        shift = 1;
    else if (nSteps < 8)
        shift = 2;
    else if (nSteps < 16)
        shift = 3;
    else if (nSteps < 32)
        shift = 4;
    else if (nSteps < 64)
        shift = 5;
    const int lines = 1 << shift;
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    for (int i = 0; i < lines; i++) {
        BYTE r = static_cast<BYTE>((((dwSecond >> 16) & 0xFF) * (lines - i) + ((dwFirst >> 16) & 0xFF) * i) >> shift);
        BYTE g = static_cast<BYTE>((((dwSecond >> 8) & 0xFF) * (lines - i) + ((dwFirst >> 8) & 0xFF) * i) >> shift);
        BYTE b = static_cast<BYTE>(((dwSecond & 0xFF) * (lines - i) + (dwFirst & 0xFF) * i) >> shift);
        RECT band = rc;
        if (bVertical) {
            band.top = rc.bottom - ((h * (i + 1)) >> shift);
            band.bottom = rc.bottom - ((h * i) >> shift);
        } else {
            band.left = rc.right - ((w * (i + 1)) >> shift);
            band.right = rc.right - ((w * i) >> shift);
        }
        if (band.right <= band.left || band.bottom <= band.top) continue;
        HBRUSH hBrush = ::CreateSolidBrush(RGB(r, g, b));
        if (hBrush == NULL) continue;
        ::FillRect(hDC, &band, hBrush);
        ::DeleteObject(hBrush);
    }
}

} // namespace

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color)
{
    if (hDC == NULL || color <= 0x00FFFFFF) return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<Gdiplus::ARGB>(color)));
    graphics.FillRectangle(&brush, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                           static_cast<INT>(rc.right - rc.left), static_cast<INT>(rc.bottom - rc.top));
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps)
{
    DrawGradientWith(hDC, rc, dwFirst, dwSecond, bVertical, nSteps, GradientFillEntry() != NULL);
}

void CRenderEngine::DrawGradientWith(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps,
                                     bool bUseGradientFill)
{
    if (hDC == NULL) return;
    PFN_ALPHABLEND pfnAlphaBlend = AlphaBlendEntry();
    PFN_GRADIENTFILL pfnGradientFill = bUseGradientFill ? GradientFillEntry() : NULL;

    const BYTE bAlpha = static_cast<BYTE>((((dwFirst >> 24) & 0xFF) + ((dwSecond >> 24) & 0xFF)) >> 1);
    if (bAlpha == 0) return;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0) return;

    // A translucent gradient is drawn opaque on a 32-bit surface of its own and blended.
    HDC hPaintDC = hDC;
    HBITMAP hPaintBitmap = NULL;
    HBITMAP hOldPaintBitmap = NULL;
    BYTE* pBits = NULL;
    RECT rcPaint = rc;
    if (bAlpha < 255) {
        if (pfnAlphaBlend == NULL) return;
        hPaintDC = ::CreateCompatibleDC(hDC);
        hPaintBitmap = CreateBitmap(hDC, cx, cy, &pBits);
        if (hPaintDC == NULL || hPaintBitmap == NULL) {
            if (hPaintDC != NULL) ::DeleteDC(hPaintDC);
            if (hPaintBitmap != NULL) ::DeleteObject(hPaintBitmap);
            return;
        }
        hOldPaintBitmap = static_cast<HBITMAP>(::SelectObject(hPaintDC, hPaintBitmap));
        ::SetRect(&rcPaint, 0, 0, cx, cy);
    }

    if (pfnGradientFill != NULL) {
        TRIVERTEX triv[2] = { { rcPaint.left, rcPaint.top, static_cast<COLOR16>(((dwFirst >> 16) & 0xFF) << 8),
                                static_cast<COLOR16>(((dwFirst >> 8) & 0xFF) << 8),
                                static_cast<COLOR16>((dwFirst & 0xFF) << 8), 0xFF00 },
                              { rcPaint.right, rcPaint.bottom, static_cast<COLOR16>(((dwSecond >> 16) & 0xFF) << 8),
                                static_cast<COLOR16>(((dwSecond >> 8) & 0xFF) << 8),
                                static_cast<COLOR16>((dwSecond & 0xFF) << 8), 0xFF00 } };
        GRADIENT_RECT grc = { 0, 1 };
        pfnGradientFill(hPaintDC, triv, 2, &grc, 1, bVertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    } else {
        FillBands(hPaintDC, rcPaint, dwFirst, dwSecond, bVertical, nSteps);
    }

    if (bAlpha < 255) {
        // GDI leaves the alpha byte of what it drew undefined; the surface is opaque.
        ::GdiFlush();
        for (size_t i = 0, n = static_cast<size_t>(cx) * cy; i < n; i++) pBits[i * 4 + 3] = 0xFF;
        BLENDFUNCTION bf = { AC_SRC_OVER, 0, bAlpha, AC_SRC_ALPHA };
        pfnAlphaBlend(hDC, rc.left, rc.top, cx, cy, hPaintDC, 0, 0, cx, cy, bf);
        ::SelectObject(hPaintDC, hOldPaintBitmap);
        ::DeleteObject(hPaintBitmap);
        ::DeleteDC(hPaintDC);
    }
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle)
{
    if (hDC == NULL) return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::Pen pen(Gdiplus::Color(static_cast<Gdiplus::ARGB>(dwPenColor)), static_cast<Gdiplus::REAL>(nSize));
    pen.SetDashStyle(static_cast<Gdiplus::DashStyle>(nStyle));
    graphics.DrawLine(&pen, Gdiplus::Point(rc.left, rc.top), Gdiplus::Point(rc.right, rc.bottom));
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor)
{
    if (hDC == NULL) return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::Pen pen(Gdiplus::Color(static_cast<Gdiplus::ARGB>(dwPenColor)), static_cast<Gdiplus::REAL>(nSize));
    pen.SetAlignment(Gdiplus::PenAlignmentInset);
    graphics.DrawRectangle(&pen, static_cast<INT>(rc.left), static_cast<INT>(rc.top),
                           static_cast<INT>(rc.right - rc.left - 1), static_cast<INT>(rc.bottom - rc.top - 1));
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor)
{
    if (hDC == NULL) return;
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::Pen pen(Gdiplus::Color(static_cast<Gdiplus::ARGB>(dwPenColor)), static_cast<Gdiplus::REAL>(nSize));
    pen.SetAlignment(Gdiplus::PenAlignmentInset);
    const INT l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    Gdiplus::GraphicsPath path;
    path.AddLine(l, b - height, l, t + height);
    path.AddArc(l, t, width * 2, height * 2, 180, 90);
    path.AddLine(l + width, t, r - width, t);
    path.AddArc(r - width * 2 - 1, t, width * 2, height * 2, 270, 90);
    path.AddLine(r - 1, t + height, r - 1, b - height);
    path.AddArc(r - width * 2 - 1, b - height * 2 - 1, width * 2, height * 2, 0, 90);
    path.AddLine(r - width, b - 1, l + width, b - 1);
    path.AddArc(l, b - height * 2 - 1, width * 2, height * 2, 90, 90);
    graphics.DrawPath(&pen, &path);
}

void CRenderEngine::DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                             int iFont, UINT uStyle)
{
    if (hDC == NULL || pstrText == NULL || pManager == NULL) return;
    HFONT hFont = pManager->GetFont(iFont);

    if (pManager->IsLayeredWindow() || pManager->IsUseGdiplusText()) {
        // The face name must not pass through the ANSI code page (Chinese faces would be
        // lost), so the GDI+ font is built from the wide LOGFONT.
        LOGFONTW lf = {};
        if (::GetObjectW(hFont, sizeof(lf), &lf) != 0) {
            Gdiplus::Graphics graphics(hDC);
            Gdiplus::Font font(hDC, &lf);
            const Gdiplus::StringFormat* pGeneric = Gdiplus::StringFormat::GenericTypographic();
            std::unique_ptr<Gdiplus::StringFormat> pFormat(pGeneric != NULL ? pGeneric->Clone() : NULL);
            if (font.IsAvailable() && font.GetLastStatus() == Gdiplus::Ok && pFormat) {
                Gdiplus::RectF rectF(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                                     static_cast<Gdiplus::REAL>(rc.right - rc.left),
                                     static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
                Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<Gdiplus::ARGB>(0xFF000000 | dwTextColor)));
                if (uStyle & DT_END_ELLIPSIS) pFormat->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
                INT formatFlags = 0;
                if (uStyle & DT_NOCLIP) formatFlags |= Gdiplus::StringFormatFlagsNoClip;
                if (uStyle & DT_SINGLELINE) formatFlags |= Gdiplus::StringFormatFlagsNoWrap;
                pFormat->SetFormatFlags(formatFlags);
                if (uStyle & DT_CENTER)
                    pFormat->SetAlignment(Gdiplus::StringAlignmentCenter);
                else if (uStyle & DT_RIGHT)
                    pFormat->SetAlignment(Gdiplus::StringAlignmentFar);
                else
                    pFormat->SetAlignment(Gdiplus::StringAlignmentNear);
                if (uStyle & DT_VCENTER)
                    pFormat->SetLineAlignment(Gdiplus::StringAlignmentCenter);
                else if (uStyle & DT_BOTTOM)
                    pFormat->SetLineAlignment(Gdiplus::StringAlignmentFar);
                else
                    pFormat->SetLineAlignment(Gdiplus::StringAlignmentNear);

                if (uStyle & DT_CALCRECT) {
                    Gdiplus::RectF bounds;
                    graphics.MeasureString(pstrText, -1, &font, rectF, pFormat.get(), &bounds);
                    rc.bottom = rc.top + static_cast<LONG>(bounds.Height) + 1;
                    rc.right = rc.left + static_cast<LONG>(bounds.Width) + 1;
                } else {
                    graphics.DrawString(pstrText, -1, &font, rectF, pFormat.get(), &brush);
                }
                return;
            }
        }
        // GDI+ could not make the font: the GDI road below still draws the text.
    }

    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, ToColorRef(dwTextColor));
    HFONT hOldFont = static_cast<HFONT>(::SelectObject(hDC, hFont));
    ::DrawTextW(hDC, pstrText, -1, &rc, uStyle | DT_NOPREFIX);
    ::SelectObject(hDC, hOldFont);
    // In a layered window the text GDI drew would show as a hole, as with mark-up text.
    if (!(uStyle & DT_CALCRECT) && pManager->IsLayeredWindow()) {
        // Unclipped text may reach past rc: then all that may have been drawn on is repaired.
        RECT rcClip = {}, rcArea = {};
        if (::GetClipBox(hDC, &rcClip) == ERROR) return;
        if (uStyle & DT_NOCLIP)
            rcArea = rcClip;
        else if (!::IntersectRect(&rcArea, &rc, &rcClip))
            return;
        RepairTextAlpha(hDC, rcArea);
    }
}

SIZE CRenderEngine::GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT /*uStyle*/)
{
    SIZE size = { 0, 0 };
    if (hDC == NULL || pstrText == NULL || pManager == NULL) return size;
    ::SetBkMode(hDC, TRANSPARENT);
    HFONT hOldFont = static_cast<HFONT>(::SelectObject(hDC, pManager->GetFont(iFont)));
    ::GetTextExtentPoint32W(hDC, pstrText, lstrlenW(pstrText), &size);
    ::SelectObject(hDC, hOldFont);
    return size;
}

} // namespace SkinUI
