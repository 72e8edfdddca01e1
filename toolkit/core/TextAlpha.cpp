#include "core/TextAlpha.h"
#include "core/GdiScope.h"
#include "core/RenderEngine.h"

namespace SkinUI {

void RepairTextAlpha(HDC hDC, const RECT& rcArea)
{
    const int cx = rcArea.right - rcArea.left;
    const int cy = rcArea.bottom - rcArea.top;
    if (hDC == NULL || cx <= 0 || cy <= 0) return;
    HBITMAP hTarget = static_cast<HBITMAP>(::GetCurrentObject(hDC, OBJ_BITMAP));
    DIBSECTION ds = {};
    if (hTarget == NULL || ::GetObjectW(hTarget, sizeof(ds), &ds) != sizeof(ds) || ds.dsBm.bmBitsPixel != 32) return;

    // The area is copied out to a bitmap of known layout, repaired and copied back.
    BYTE* pBits = NULL;
    CScopedGdiObject<HBITMAP> temp(CRenderEngine::CreateBitmap(hDC, cx, cy, &pBits));
    CScopedMemDC tempDC(hDC);
    if (temp.Get() == NULL || tempDC.Get() == NULL || pBits == NULL) return;
    CScopedSelect select(tempDC.Get(), temp.Get());
    ::BitBlt(tempDC.Get(), 0, 0, cx, cy, hDC, rcArea.left, rcArea.top, SRCCOPY);
    ::GdiFlush();
    RECT rcAll = { 0, 0, cx, cy };
    CRenderEngine::RestoreAlphaColor(pBits, cx, &rcAll);
    ::BitBlt(hDC, rcArea.left, rcArea.top, cx, cy, tempDC.Get(), 0, 0, SRCCOPY);
}

} // namespace SkinUI
