#include <windows.h>
#include <stdio.h>
#include <string>
#include "core/PaintManager.h"
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
    printf("| toolkit-text | %s | %.3f | %s | %s |\n", what, figure, unit, note);
    fflush(stdout);
}

// A 32-bit DIB selected into a memory DC, as the paint manager's offscreen surface is.
class Surface {
public:
    Surface(int w, int h)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = w;
        bmi.bmiHeader.biHeight = -h;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        void* pv = NULL;
        m_bmp = ::CreateDIBSection(NULL, &bmi, DIB_RGB_COLORS, &pv, NULL, 0);
        m_dc = ::CreateCompatibleDC(NULL);
        m_old = ::SelectObject(m_dc, m_bmp);
    }
    ~Surface()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
        ::DeleteObject(m_bmp);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return m_dc; }

private:
    HBITMAP m_bmp;
    HDC m_dc;
    HGDIOBJ m_old;
};

// Milliseconds per call, the best of five rounds of `calls` calls.
double PerCall(CPaintManagerUI& pm, HDC dc, const std::wstring& text, RECT rc, UINT style, int calls)
{
    double best = 1e30;
    for (int round = 0; round < 5; round++) {
        double t0 = Now();
        for (int i = 0; i < calls; i++) {
            RECT r = rc;
            int n = 0;
            CRenderEngine::DrawHtmlText(dc, &pm, r, text.c_str(), 0xFF202020, NULL, NULL, n, style);
        }
        ::GdiFlush();
        double t = (Now() - t0) / calls;
        if (t < best) best = t;
    }
    return best;
}

} // namespace

int main()
{
    CPaintManagerUI pm;
    Surface surface(400, 300);
    const std::wstring sentence = L"The quick brown fox jumps over the lazy dog, ";
    for (int length : { 500, 1000, 2000, 4000 }) {
        std::wstring text;
        while (static_cast<int>(text.size()) < length) text += sentence;
        text.resize(static_cast<size_t>(length));
        char what[96];
        snprintf(what, sizeof(what), "centred single line, %d chars", length);
        Row(what, PerCall(pm, surface.dc(), text, { 0, 0, 400, 30 }, DT_SINGLELINE | DT_CENTER | DT_VCENTER, 5),
            "ms per call", "DrawHtmlText into a 400 x 30 rect of a 32-bit DIB");
        snprintf(what, sizeof(what), "wrapped paragraph, %d chars", length);
        Row(what, PerCall(pm, surface.dc(), text, { 0, 0, 400, 300 }, DT_WORDBREAK, 5), "ms per call",
            "DrawHtmlText, word breaks, 400 x 300 rect");
    }
    return 0;
}
