#include <windows.h>
#include <stdio.h>
#include <string>
#include "core/GdiScope.h"
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "../BenchClock.h"

using namespace SkinUI;

namespace {

void Row(const char* what, double figure, const char* unit, const char* note)
{
    BenchRow("toolkit-text", what, figure, unit, note);
}

// Milliseconds per call, the best of five rounds of `calls` calls.
double PerCall(CPaintManagerUI& pm, HDC dc, const std::wstring& text, RECT rc, UINT style, int calls)
{
    double best = 1e30;
    for (int round = 0; round < 5; round++) {
        double t0 = BenchNowMs();
        for (int i = 0; i < calls; i++) {
            RECT r = rc;
            int n = 0;
            CRenderEngine::DrawHtmlText(dc, &pm, r, text.c_str(), 0xFF202020, NULL, NULL, n, style);
        }
        ::GdiFlush();
        double t = (BenchNowMs() - t0) / calls;
        if (t < best) best = t;
    }
    return best;
}

} // namespace

int main()
{
    CPaintManagerUI pm;
    // A 32-bit DIB selected into a memory DC, as the paint manager's offscreen surface is.
    CScopedMemDC dc(NULL);
    CScopedGdiObject<HBITMAP> bitmap(CRenderEngine::CreateBitmap(NULL, 400, 300, NULL));
    CScopedSelect select(dc.Get(), bitmap.Get());
    const std::wstring sentence = L"The quick brown fox jumps over the lazy dog, ";
    for (int length : { 500, 1000, 2000, 4000 }) {
        std::wstring text;
        while (static_cast<int>(text.size()) < length) text += sentence;
        text.resize(static_cast<size_t>(length));
        char what[96];
        snprintf(what, sizeof(what), "centred single line, %d chars", length);
        Row(what, PerCall(pm, dc.Get(), text, { 0, 0, 400, 30 }, DT_SINGLELINE | DT_CENTER | DT_VCENTER, 5),
            "ms per call", "DrawHtmlText into a 400 x 30 rect of a 32-bit DIB");
        snprintf(what, sizeof(what), "wrapped paragraph, %d chars", length);
        Row(what, PerCall(pm, dc.Get(), text, { 0, 0, 400, 300 }, DT_WORDBREAK, 5), "ms per call",
            "DrawHtmlText, word breaks, 400 x 300 rect");
    }
    return 0;
}
