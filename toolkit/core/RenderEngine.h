#pragma once
#include <windows.h>
#include "core/SkinDefs.h"
#include "core/SkinString.h"

namespace SkinUI {

class CPaintManagerUI;
class CControlUI;
class CImageAttribute;

// Static drawing functions of the toolkit. Bitmaps are 32-bit DIB sections, B, G, R, A in
// memory with the alpha premultiplied into the colour bytes. Colours are 0xAARRGGBB.
class SKINUI_API CRenderEngine {
public:
    // A 32-bit top-down DIB; the pixel pointer is returned through pBits.
    static HBITMAP CreateBitmap(HDC hDC, int cx, int cy, BYTE** pBits);

    // Nine-slice drawing of a bitmap with an optional hole, tiling of the middle and a fade.
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool bAlpha, BYTE uFade = 255, bool hole = false, bool xtiled = false,
                          bool ytiled = false);
    // The image of an attribute that was loaded before (CImageAttribute::LoadImage).
    static bool DrawImage(HDC hDC, CPaintManagerUI* pManager, const RECT& rcItem, const RECT& rcPaint,
                          CImageAttribute& image);

    static HBITMAP GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, RECT rc);
    // Opaque again every pixel of rc whose alpha is 0 but whose colour is not black; GDI
    // drawing into a 32-bit DIB leaves the alpha byte 0.
    static void RestoreAlphaColor(BYTE* pBits, int bitsWidth, RECT* rc);

    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps);
    // DrawGradient with GradientFill, or with the bands used where the platform has none.
    static void DrawGradientWith(HDC hDC, const RECT& rc, DWORD dwFirst, DWORD dwSecond, bool bVertical, int nSteps,
                                 bool bUseGradientFill);
    static void DrawLine(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor, int nStyle = 0);
    static void DrawRect(HDC hDC, const RECT& rc, int nSize, DWORD dwPenColor);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int nSize, int width, int height, DWORD dwPenColor);

    static void DrawText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor, int iFont,
                         UINT uStyle);
    // On entry nLinkRects is the capacity of the two link arrays, on return the links found.
    static void DrawHtmlText(HDC hDC, CPaintManagerUI* pManager, RECT& rc, LPCTSTR pstrText, DWORD dwTextColor,
                             RECT* pLinks, CSkinString* sLinks, int& nLinkRects, UINT uStyle);
    static SIZE GetTextSize(HDC hDC, CPaintManagerUI* pManager, LPCTSTR pstrText, int iFont, UINT uStyle);

    static DWORD AdjustColor(DWORD dwColor, short H, short S, short L);

    // Raw bytes of an image for the decoder (new[] buffer owned by the caller), or null.
    static BYTE* LoadFileBytes(LPCTSTR pstrPath, DWORD* pdwSize);
    static BYTE* LoadResourceBytes(LPCTSTR pstrName, LPCTSTR pstrType, DWORD* pdwSize);
    static BYTE* LoadZipBytes(LPCTSTR pstrName, DWORD* pdwSize);
};

} // namespace SkinUI
