#include <windows.h>
#include <stdio.h>
#include <vector>
#include "core/RenderEngine.h"

using namespace SkinUI;

namespace {

double Now()
{
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0) ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

void Row(const char* what, double figure, const char* unit, const char* note)
{
    printf("| toolkit-image | %s | %.3f | %s | %s |\n", what, figure, unit, note);
    fflush(stdout);
}

HBITMAP MakeBitmap(int w, int h, DWORD pixel, BYTE** ppBits = NULL)
{
    BYTE* pBits = NULL;
    HBITMAP hbmp = CRenderEngine::CreateBitmap(NULL, w, h, &pBits);
    if (hbmp != NULL && pBits != NULL) {
        DWORD* p = reinterpret_cast<DWORD*>(pBits);
        for (int i = 0; i < w * h; i++) p[i] = pixel;
    }
    if (ppBits != NULL) *ppBits = pBits;
    return hbmp;
}

} // namespace

int main()
{
    const int kW = 800, kH = 600;
    HDC dc = ::CreateCompatibleDC(NULL);
    HBITMAP target = MakeBitmap(kW, kH, 0);
    HGDIOBJ old = ::SelectObject(dc, target);
    const RECT rc = { 0, 0, kW, kH }, none = { 0, 0, 0, 0 };
    for (int tile : { 1, 2, 8, 32 }) {
        HBITMAP src = MakeBitmap(tile, tile, 0x80402010);
        const RECT part = { 0, 0, tile, tile };
        for (bool alpha : { true, false }) {
            double best = 1e30;
            for (int round = 0; round < 3; round++) {
                double t0 = Now();
                CRenderEngine::DrawImage(dc, src, rc, rc, part, none, alpha, 255, false, true, true);
                ::GdiFlush();
                double t = Now() - t0;
                if (t < best) best = t;
            }
            char what[96];
            snprintf(what, sizeof(what), "tile %d x %d over %d x %d, %s", tile, tile, kW, kH,
                     alpha ? "blended" : "opaque");
            Row(what, best, "ms per call", "DrawImage, xtiled and ytiled");
        }
        ::DeleteObject(src);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(target);
    ::DeleteDC(dc);
    return 0;
}
