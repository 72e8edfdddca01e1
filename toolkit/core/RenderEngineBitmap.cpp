#include <windows.h>
#include "core/RenderEngine.h"
#include "core/PaintManager.h"
#include "core/ControlUI.h"

namespace SkinUI {

HBITMAP CRenderEngine::GenerateBitmap(CPaintManagerUI* pManager, CControlUI* pControl, RECT rc)
{
    if (pManager == NULL || pControl == NULL) return NULL;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    if (cx <= 0 || cy <= 0 || rc.right <= 0 || rc.bottom <= 0) return NULL;
    HDC hRefDC = pManager->GetPaintDC();

    // 1. The control paints into a surface that reaches from the origin to rc's far corner.
    HDC hPaintDC = ::CreateCompatibleDC(hRefDC);
    HBITMAP hPaintBitmap = NULL;
    if (hRefDC != NULL) {
        hPaintBitmap = ::CreateCompatibleBitmap(hRefDC, rc.right, rc.bottom);
    } else {
        BYTE* pIgnored = NULL;
        hPaintBitmap = CreateBitmap(NULL, rc.right, rc.bottom, &pIgnored);
    }
    if (hPaintDC == NULL || hPaintBitmap == NULL) {
        if (hPaintDC != NULL) ::DeleteDC(hPaintDC);
        if (hPaintBitmap != NULL) ::DeleteObject(hPaintBitmap);
        return NULL;
    }
    HGDIOBJ hOldPaint = ::SelectObject(hPaintDC, hPaintBitmap);
    pControl->DoPaint(hPaintDC, rc);

    // 2. The painted area goes into a 32-bit bitmap of rc's size.
    BYTE* pBits = NULL;
    HBITMAP hBitmap = CreateBitmap(hRefDC, cx, cy, &pBits);
    if (hBitmap != NULL) {
        HDC hCloneDC = ::CreateCompatibleDC(hRefDC);
        if (hCloneDC != NULL) {
            HGDIOBJ hOldClone = ::SelectObject(hCloneDC, hBitmap);
            ::BitBlt(hCloneDC, 0, 0, cx, cy, hPaintDC, rc.left, rc.top, SRCCOPY);
            ::GdiFlush();
            ::SelectObject(hCloneDC, hOldClone);
            ::DeleteDC(hCloneDC);
        } else {
            ::DeleteObject(hBitmap);
            hBitmap = NULL;
        }
    }

    // 3. The temporary surface is freed; the caller owns the result.
    ::SelectObject(hPaintDC, hOldPaint);
    ::DeleteObject(hPaintBitmap);
    ::DeleteDC(hPaintDC);
    return hBitmap;
}

} // namespace SkinUI
