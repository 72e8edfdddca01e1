#include <windows.h>
#include <stdio.h>
#include <vector>
#include "core/GdiScope.h"
#include "core/RenderEngine.h"
#include "../BenchClock.h"

using namespace SkinUI;

namespace {

void Row(const char* what, double figure, const char* unit, const char* note)
{
    BenchRow("toolkit-image", what, figure, unit, note);
}

HBITMAP MakeBitmap(int w, int h, DWORD pixel)
{
    BYTE* pBits = NULL;
    HBITMAP hbmp = CRenderEngine::CreateBitmap(NULL, w, h, &pBits);
    if (hbmp != NULL && pBits != NULL) {
        DWORD* p = reinterpret_cast<DWORD*>(pBits);
        for (int i = 0; i < w * h; i++) p[i] = pixel;
    }
    return hbmp;
}

} // namespace

int main()
{
    const int kW = 800, kH = 600;
    CScopedMemDC memDC(NULL);
    CScopedGdiObject<HBITMAP> target(MakeBitmap(kW, kH, 0));
    CScopedSelect select(memDC.Get(), target.Get());
    const HDC dc = memDC.Get();
    const RECT rc = { 0, 0, kW, kH }, none = { 0, 0, 0, 0 };
    for (int tile : { 1, 2, 8, 32 }) {
        CScopedGdiObject<HBITMAP> src(MakeBitmap(tile, tile, 0x80402010));
        const RECT part = { 0, 0, tile, tile };
        for (bool alpha : { true, false }) {
            double best = 1e30;
            for (int round = 0; round < 3; round++) {
                double t0 = BenchNowMs();
                CRenderEngine::DrawImage(dc, src.Get(), rc, rc, part, none, alpha, 255, false, true, true);
                ::GdiFlush();
                double t = BenchNowMs() - t0;
                if (t < best) best = t;
            }
            char what[96];
            snprintf(what, sizeof(what), "tile %d x %d over %d x %d, %s", tile, tile, kW, kH,
                     alpha ? "blended" : "opaque");
            Row(what, best, "ms per call", "DrawImage, xtiled and ytiled");
        }
    }
    return 0;
}
