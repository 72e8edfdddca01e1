#pragma once
#include <windows.h>
#include "core/SkinDefs.h"

namespace SkinUI {

// Restricts a DC's painting to a rectangle (or a rounded rectangle) for the lifetime of the
// record; the destructor puts the DC's previous clip back.
class SKINUI_API CRenderClip {
public:
    CRenderClip();
    ~CRenderClip();
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;

    RECT rcItem;
    HDC hDC;
    HRGN hRgn;
    HRGN hOldRgn;

    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip);
    // Paint outside the clip for a while, then clip again.
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);

private:
    void Release();
};

} // namespace SkinUI
