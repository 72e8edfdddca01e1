#include <windows.h>
#include <stdio.h>
#include <wchar.h>
#include "../BenchClock.h"
#include "controls/ListUI.h"
#include "controls/ListTextElementUI.h"
#include "core/GdiScope.h"
#include "core/RenderEngine.h"
#include "TreeTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

const char* kArea = "toolkit-list";

// Average of runs calls of f(), in milliseconds.
template <class F>
double Average(int runs, F f)
{
    const double t0 = BenchNowMs();
    for (int i = 0; i < runs; i++) f();
    return (BenchNowMs() - t0) / runs;
}

// Descending by the number in the first column.
int CALLBACK ByFirstColumn(UINT_PTR a, UINT_PTR b, UINT_PTR)
{
    const int ka = _wtoi(reinterpret_cast<CListTextElementUI*>(a)->GetText(0));
    const int kb = _wtoi(reinterpret_cast<CListTextElementUI*>(b)->GetText(0));
    return kb - ka;
}

struct Figures {
    double build, layout, paint, scroll, sort, end;
};

// A list of two columns and n rows, each added and given its two texts.
CListUI* Build(int n)
{
    CListUI* list = new CListUI;
    list->SetAttribute(L"vscrollbar", L"true");
    CListHeaderItemUI* c0 = new CListHeaderItemUI;
    c0->SetFixedWidth(150);
    list->Add(c0);
    list->Add(new CListHeaderItemUI);
    wchar_t text[32];
    for (int i = 0; i < n; i++) {
        CListTextElementUI* row = new CListTextElementUI;
        list->Add(row);
        swprintf(text, 32, L"%d", (i * 7919) % n);
        row->SetText(0, text);
        row->SetText(1, L"second column");
    }
    return list;
}

// The build alone, of a fresh list each time.
double BuildMs(int n)
{
    const double t0 = BenchNowMs();
    CListUI* list = Build(n);
    const double ms = BenchNowMs() - t0;
    delete list;
    return ms;
}

Figures Run(int n)
{
    Figures f = {};
    ManagedWindow w(400, 300);

    double t0 = BenchNowMs();
    CListUI* list = Build(n);
    f.build = BenchNowMs() - t0;

    // First layout: attached to the window and placed over its client area.
    t0 = BenchNowMs();
    w.Attach(list);
    f.layout = BenchNowMs() - t0;

    // Paint of the whole client area into a memory bitmap.
    CScopedMemDC dc(NULL);
    BYTE* pBits = NULL;
    CScopedGdiObject<HBITMAP> bmp(CRenderEngine::CreateBitmap(dc.Get(), 400, 300, &pBits));
    CScopedSelect select(dc.Get(), bmp.Get());
    const HDC hdc = dc.Get();
    const RECT rcAll = { 0, 0, 400, 300 };
    f.paint = Average(3, [&] { list->DoPaint(hdc, rcAll); });

    // One line down and back up: a scroll step moves every row.
    f.scroll = Average(5,
                       [&] {
                           list->LineDown();
                           list->LineUp();
                       }) /
               2.0;

    // Sort, then End to the last row.
    t0 = BenchNowMs();
    list->SortItems(&ByFirstColumn, 0);
    f.sort = BenchNowMs() - t0;
    TEventUI event = {};
    event.type = UIEVENT_KEYDOWN;
    event.key = VK_END;
    t0 = BenchNowMs();
    list->DoEvent(event);
    f.end = BenchNowMs() - t0;
    if (list->GetCurSel() != n - 1) printf("End selected %d, not %d\n", list->GetCurSel(), n - 1);

    return f;
}

void Rows(const char* size, const Figures& f)
{
    const struct {
        const char* what;
        double figure;
        const char* note;
    } rows[] = {
        { "build, %s text rows", f.build, "Add and two SetText per row" },
        { "first layout, %s rows", f.layout, "attach and SetPos" },
        { "paint, %s rows", f.paint, "whole list into a memory DC, average of 3" },
        { "scroll step, %s rows", f.scroll, "one line, average of 10" },
        { "sort, %s rows", f.sort, "merge sort on the first column, relayout" },
        { "End to the last row, %s rows", f.end, "search, select, scroll into view" },
    };
    for (const auto& row : rows) {
        char what[96];
        snprintf(what, sizeof(what), row.what, size);
        BenchRow(kArea, what, row.figure, "ms", row.note);
    }
}

// Lists nested depth deep, each the only row of the one around it: the first layout and one
// more layout of the outer list at the same place. The window is tall enough for every
// level's header, so that no level is left with an empty rectangle.
struct NestFigures {
    double layout, relayout;
};

NestFigures RunNest(int depth)
{
    NestFigures f = {};
    ManagedWindow w(400, 700);
    CListUI* outer = new CListUI;
    CListUI* list = outer;
    for (int i = 1; i < depth; i++) {
        CListUI* inner = new CListUI;
        list->Add(inner);
        list = inner;
    }
    CListTextElementUI* row = new CListTextElementUI;
    list->Add(row);
    row->SetText(0, L"innermost");
    double t0 = BenchNowMs();
    w.Attach(outer);
    f.layout = BenchNowMs() - t0;
    f.relayout = Average(20, [&] { outer->SetPos(outer->GetPos()); });
    return f;
}

void NestRows()
{
    RunNest(15); // warms the fonts and caches up, so that neither depth pays for them
    const NestFigures half = RunNest(15);
    const NestFigures full = RunNest(30);
    BenchRow(kArea, "first layout, 30 nested lists", full.layout, "ms", "attach and SetPos");
    BenchRow(kArea, "layout again, 30 nested lists", full.relayout, "ms", "SetPos at the same place, average of 20");
    BenchRow(kArea, "nested layout growth 30 / 15 deep", full.relayout / half.relayout, "ratio", "linear: 2");
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    const Figures small = Run(10000);
    Rows("10,000", small);
    const Figures large = Run(100000);
    Rows("100,000", large);
    // The growth of the build from medians of fresh builds: one build of either size now and
    // then waits for the processor several times as long as it works.
    const double smallBuild = BenchMedian(5, [] { return BuildMs(10000); });
    const double largeBuild = BenchMedian(5, [] { return BuildMs(100000); });
    BenchRow(kArea, "build growth 100,000 / 10,000", largeBuild / smallBuild, "ratio",
             "median of 5 fresh builds each; linear: 10");
    BenchRow(kArea, "layout growth 100,000 / 10,000", large.layout / small.layout, "ratio", "linear: 10");
    BenchRow(kArea, "scroll step growth 100,000 / 10,000", large.scroll / small.scroll, "ratio",
             "every row is moved: 10");
    BenchRow(kArea, "sort growth 100,000 / 10,000", large.sort / small.sort, "ratio", "n log n: 12.5");
    NestRows();
    CPaintManagerUI::Term();
    return 0;
}
