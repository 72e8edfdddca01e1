#include <windows.h>
#include <stdio.h>
#include "../BenchClock.h"
#include <string>
#include "core/LabelUI.h"
#include "core/ButtonUI.h"
#include "core/ProgressUI.h"
#include "BasicTestUtil.h"

using namespace SkinUI;
using namespace basictest;

namespace {

void Row(const char* what, double figure, const char* unit, const char* note)
{
    printf("| toolkit-basic | %s | %.2f | %s | %s |\n", what, figure, unit, note);
    fflush(stdout);
}

// A window of cols x rows controls of 40 x 16 px; layout (root SetPos) and paint (into a DIB)
// are timed separately, best of three.
template <class T>
void LayoutAndPaint(const char* kind, int count, bool bGdiPlus)
{
    const int cols = 100, rows = count / cols;
    CContainerUI* root = new CContainerUI;
    for (int i = 0; i < count; i++) {
        T* p = new T;
        wchar_t attr[128];
        swprintf(attr, 128, L"float=\"true\" pos=\"%d,%d,%d,%d\" text=\"Item %d\" autocalcwidth=\"false\"",
                 (i % cols) * 40, (i / cols) * 16, (i % cols) * 40 + 40, (i / cols) * 16 + 16, i);
        p->ApplyAttributeList(attr);
        root->Add(p);
    }
    HostWindow win;
    win.pm().SetUseGdiplusText(bGdiPlus);
    win.Open(root, 800, 600, false);
    const RECT rcAll = { 0, 0, cols * 40, rows * 16 };
    double bestLayout = 1e30, bestPaint = 1e30;
    painttest::Canvas canvas(rcAll.right, rcAll.bottom);
    for (int run = 0; run < 3; run++) {
        double t0 = BenchNowMs();
        root->SetPos(rcAll);
        double t1 = BenchNowMs();
        root->DoPaint(canvas.dc(), rcAll);
        ::GdiFlush();
        double t2 = BenchNowMs();
        if (t1 - t0 < bestLayout) bestLayout = t1 - t0;
        if (t2 - t1 < bestPaint) bestPaint = t2 - t1;
    }
    char what[96];
    snprintf(what, sizeof(what), "layout %d %s (%s)", count, kind, bGdiPlus ? "GDI+ text" : "GDI text");
    Row(what, bestLayout, "ms", "root SetPos, float children");
    snprintf(what, sizeof(what), "paint %d %s (%s)", count, kind, bGdiPlus ? "GDI+ text" : "GDI text");
    Row(what, bestPaint, "ms", "whole tree into a 32-bit DIB");
}

bool TakeInvalidation(HWND hWnd)
{
    if (!::GetUpdateRect(hWnd, NULL, FALSE)) return false;
    ::ValidateRect(hWnd, NULL);
    return true;
}

// 100 MB in 512-byte chunks, the percentage set after each chunk as the updater does.
void ProgressPerChunk()
{
    CProgressUI* p = new CProgressUI;
    p->ApplyAttributeList(L"float=\"true\" pos=\"0,0,400,12\"");
    HostWindow win;
    win.Open(Root({ p }), 400, 40);
    const long long total = 100LL * 1024 * 1024;
    const long long chunks = total / 512;
    int invalidations = 0;
    for (long long i = 1; i <= chunks; i++) {
        p->SetValue(static_cast<int>(i * 512 * 100 / total));
        if (TakeInvalidation(win.GetHWND())) invalidations++;
    }
    p->SetValue(0);
    const double t0 = BenchNowMs();
    for (long long i = 1; i <= chunks; i++) p->SetValue(static_cast<int>(i * 512 * 100 / total));
    const double t1 = BenchNowMs();
    Row("SetValue per 512-byte chunk of 100 MB: invalidations", invalidations, "count",
        "204800 calls; one per changed percentage");
    Row("SetValue per 512-byte chunk of 100 MB: time", (t1 - t0) * 1e6 / static_cast<double>(chunks), "ns/call",
        "without repaint checks");
}

// The mouse crosses a toolbar of 200 buttons (10 px each), 2 px per move.
void HoverAcrossButtons()
{
    CContainerUI* root = new CContainerUI;
    for (int i = 0; i < 200; i++) {
        CButtonUI* b = new CButtonUI;
        wchar_t attr[96];
        swprintf(attr, 96, L"float=\"true\" pos=\"%d,0,%d,20\"", i * 10, i * 10 + 10);
        b->ApplyAttributeList(attr);
        root->Add(b);
    }
    HostWindow win;
    win.Open(root, 2000, 40);
    int moves = 0, invalidations = 0;
    const double t0 = BenchNowMs();
    for (int x = 1; x < 2000; x += 2) {
        win.MoveWithoutPaint(x, 10);
        moves++;
        if (TakeInvalidation(win.GetHWND())) invalidations++;
    }
    const double t1 = BenchNowMs();
    Row("hover across 200 buttons: moves", moves, "count", "2 px steps");
    Row("hover across 200 buttons: moves that invalidated", invalidations, "count", "enter and leave only");
    Row("hover across 200 buttons: time per move", (t1 - t0) * 1000.0 / moves, "us", "posted WM_MOUSEMOVE, no paint");
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    for (bool bGdiPlus : { false, true }) {
        for (int count : { 1000, 10000 }) {
            LayoutAndPaint<CLabelUI>("labels", count, bGdiPlus);
            LayoutAndPaint<CButtonUI>("buttons", count, bGdiPlus);
        }
    }
    ProgressPerChunk();
    HoverAcrossButtons();
    CPaintManagerUI::Term();
    return 0;
}
