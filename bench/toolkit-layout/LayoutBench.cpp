#include <windows.h>
#include <stdio.h>
#include "../BenchClock.h"
#include <vector>
#include "core/TabLayoutUI.h"
#include "core/TileLayoutUI.h"
#include "core/VerticalLayoutUI.h"
#include "core/HorizontalLayoutUI.h"
#include "TreeTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

void Row(const char* what, double figure, const char* unit, const char* note)
{
    printf("| toolkit-layout | %s | %.3f | %s | %s |\n", what, figure, unit, note);
    fflush(stdout);
}

// Counts the placements a layout pass makes.
struct CountingUI : ProbeUI {
    static long s_setPos;
    void SetPos(RECT rc) override
    {
        ++s_setPos;
        ProbeUI::SetPos(rc);
    }
};
long CountingUI::s_setPos = 0;

// Best of a few runs of f(), in milliseconds.
template <class F>
double Best(int runs, F f)
{
    double best = 1e30;
    for (int i = 0; i < runs; i++) {
        const double t0 = BenchNowMs();
        f();
        const double t = BenchNowMs() - t0;
        if (t < best) best = t;
    }
    return best;
}

// 10 pages of 500 controls each (rows of 20 buttons-sized cells): one switch shows one
// page, hides the other nine and lays the tab out again.
void TabSwitch()
{
    ManagedWindow w(800, 600);
    CTabLayoutUI* tab = new CTabLayoutUI;
    for (int p = 0; p < 10; p++) {
        CVerticalLayoutUI* page = new CVerticalLayoutUI;
        for (int r = 0; r < 25; r++) {
            CHorizontalLayoutUI* row = new CHorizontalLayoutUI;
            row->SetFixedHeight(20);
            for (int c = 0; c < 20; c++) row->Add(new CountingUI);
            page->Add(row);
        }
        tab->Add(page);
    }
    w.Attach(tab);
    int next = 1;
    CountingUI::s_setPos = 0;
    const double t = Best(20, [&] {
        tab->SelectItem(next);
        next = (next + 1) % 10;
    });
    Row("tab switch, 10 pages x 500 controls", t, "ms", "SelectItem, best of 20");
    char note[96];
    snprintf(note, sizeof(note), "placements per switch (500 = the shown page only)");
    Row("tab switch placements", static_cast<double>(CountingUI::s_setPos) / 20.0, "SetPos", note);
}

double TileLayout(int n, int& columns)
{
    ManagedWindow w(800, 600);
    CTileLayoutUI* tile = new CTileLayoutUI;
    tile->SetAttribute(L"itemsize", L"80,60");
    tile->SetAttribute(L"vscrollbar", L"true");
    for (int i = 0; i < n; i++) {
        CountingUI* p = new CountingUI;
        p->SetFixedWidth(70);
        p->SetFixedHeight(40 + i % 3 * 5);
        tile->Add(p);
    }
    w.Attach(tile);
    const double t = Best(5, [&] { tile->SetPos(Rc(0, 0, 800, 600)); });
    columns = tile->GetColumns();
    return t;
}

double LinePass(int n, bool vertical)
{
    ManagedWindow w(800, 600);
    CContainerUI* layout = vertical ? static_cast<CContainerUI*>(new CVerticalLayoutUI)
                                    : static_cast<CContainerUI*>(new CHorizontalLayoutUI);
    layout->SetAttribute(vertical ? L"vscrollbar" : L"hscrollbar", L"true");
    for (int i = 0; i < n; i++) {
        CountingUI* p = new CountingUI;
        if (i % 2 == 0) {
            if (vertical)
                p->SetFixedHeight(20);
            else
                p->SetFixedWidth(20);
        }
        layout->Add(p);
    }
    w.Attach(layout);
    CountingUI::s_setPos = 0;
    const double t = Best(5, [&] { layout->SetPos(Rc(0, 0, 800, 600)); });
    return t;
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    TabSwitch();

    int cols = 0;
    const double tile1k = TileLayout(1000, cols);
    Row("tile layout, 1,000 items", tile1k, "ms", "one SetPos, best of 5");
    const double tile10k = TileLayout(10000, cols);
    Row("tile layout, 10,000 items", tile10k, "ms", "one SetPos, best of 5");
    Row("tile layout growth 10,000 / 1,000", tile10k / tile1k, "ratio", "goal <= 11");

    for (int v = 0; v < 2; v++) {
        const bool vertical = v == 0;
        const double t1k = LinePass(1000, vertical);
        const double t10k = LinePass(10000, vertical);
        Row(vertical ? "vertical layout pass, 1,000 children" : "horizontal layout pass, 1,000 children", t1k, "ms",
            "one SetPos with its scroll-bar passes, best of 5");
        Row(vertical ? "vertical layout pass, 10,000 children" : "horizontal layout pass, 10,000 children", t10k, "ms",
            "one SetPos with its scroll-bar passes, best of 5");
        Row(vertical ? "vertical layout growth 10,000 / 1,000" : "horizontal layout growth 10,000 / 1,000", t10k / t1k,
            "ratio", "goal <= 11");
    }
    CPaintManagerUI::Term();
    return 0;
}
