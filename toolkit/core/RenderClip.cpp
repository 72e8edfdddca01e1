#include <windows.h>
#include "core/RenderClip.h"

namespace SkinUI {

CRenderClip::CRenderClip() : hDC(NULL), hRgn(NULL), hOldRgn(NULL)
{
    ::SetRectEmpty(&rcItem);
}

CRenderClip::~CRenderClip()
{
    Release();
}

void CRenderClip::Release()
{
    if (hDC != NULL && hOldRgn != NULL) ::SelectClipRgn(hDC, hOldRgn);
    if (hOldRgn != NULL) ::DeleteObject(hOldRgn);
    if (hRgn != NULL) ::DeleteObject(hRgn);
    hOldRgn = NULL;
    hRgn = NULL;
    hDC = NULL;
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip)
{
    // A record reused for a second clip first gives the DC its previous clip back.
    clip.Release();
    RECT rcClip = {};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip)
{
    clip.Release();
    RECT rcClip = {};
    ::GetClipBox(hDC, &rcClip);
    clip.hOldRgn = ::CreateRectRgnIndirect(&rcClip);
    clip.hRgn = ::CreateRectRgnIndirect(&rc);
    HRGN hRgnItem =
        ::CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width * 2, height * 2);
    if (hRgnItem != NULL) {
        ::CombineRgn(clip.hRgn, clip.hRgn, hRgnItem, RGN_AND);
        ::DeleteObject(hRgnItem);
    }
    ::ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip)
{
    ::SelectClipRgn(hDC, clip.hRgn);
}

} // namespace SkinUI
