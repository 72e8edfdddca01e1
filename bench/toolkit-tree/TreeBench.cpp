#include <windows.h>
#include <stdio.h>
#include "../BenchClock.h"
#include <string>
#include "core/VerticalLayoutUI.h"
#include "core/ScrollBarUI.h"
#include "TreeTestUtil.h"

using namespace SkinUI;
using namespace treetest;

namespace {

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

// Calls made during one measured step.
struct Counters {
    long setPos = 0;
    long estimate = 0;
    long invalidate = 0;
};
Counters g_count;

// InvalidateRect is counted through the program's import slot, which the toolkit's calls
// go through (the toolkit is linked in statically).
#if defined(_WIN64)
typedef BOOL(WINAPI* InvalidateRectFn)(HWND, const RECT*, BOOL);
InvalidateRectFn g_realInvalidateRect = NULL;
BOOL WINAPI CountingInvalidateRect(HWND hwnd, const RECT* rc, BOOL erase)
{
    ++g_count.invalidate;
    return g_realInvalidateRect(hwnd, rc, erase);
}
extern "C" InvalidateRectFn __imp_InvalidateRect;
bool HookInvalidateRect()
{
    DWORD old = 0;
    if (!::VirtualProtect(&__imp_InvalidateRect, sizeof(void*), PAGE_READWRITE, &old)) return false;
    g_realInvalidateRect = __imp_InvalidateRect;
    __imp_InvalidateRect = CountingInvalidateRect;
    ::VirtualProtect(&__imp_InvalidateRect, sizeof(void*), old, &old);
    return true;
}
#else
// The 32-bit import slot has a decorated name; the count is left out there.
bool HookInvalidateRect()
{
    return false;
}
#endif
bool g_invalidateCounted = false;

// Counts the layout calls a control gets.
template <class Base>
class Counted : public Base {
public:
    void SetPos(RECT rc) override
    {
        ++g_count.setPos;
        Base::SetPos(rc);
    }
    SIZE EstimateSize(SIZE sz) override
    {
        ++g_count.estimate;
        return Base::EstimateSize(sz);
    }
};
typedef Counted<CControlUI> LeafUI;
typedef Counted<CVerticalLayoutUI> GroupUI;

LeafUI* Leaf(int i)
{
    LeafUI* p = new LeafUI;
    p->SetFixedHeight(20);
    p->SetBkColor(i % 2 ? 0xFFEEEEEE : 0xFFDDDDFF);
    p->SetBorderColor(0xFF888888);
    p->SetBorderSize(1);
    wchar_t name[16];
    swprintf(name, 16, L"n%d", i);
    p->SetName(name);
    return p;
}

// A root list of n leaves, or of groups of 10 nested down to the leaves.
int Fill(GroupUI* parent, int n, bool nested, int& counter)
{
    if (!nested || n <= 10) {
        for (int i = 0; i < n; i++) parent->Add(Leaf(counter++));
        parent->SetFixedHeight(20 * n);
        return n;
    }
    const int per = n / 10;
    int made = 0;
    for (int g = 0; g < 10; g++) {
        GroupUI* group = new GroupUI;
        made += Fill(group, per, nested, counter) + 1;
        parent->Add(group);
    }
    parent->SetFixedHeight(20 * counter);
    return made;
}

struct Figures {
    double build, attach, layout, paint, hit, scroll;
    Counters cLayout, cPaint, cHit, cScroll;
};

void Row(const std::string& what, double figure, const char* unit, const std::string& note)
{
    printf("| toolkit-tree | %s | %.3f | %s | %s |\n", what.c_str(), figure, unit, note.c_str());
    fflush(stdout);
}

std::string CountNote(const Counters& c)
{
    char buf[128];
    if (g_invalidateCounted)
        snprintf(buf, sizeof(buf), "SetPos %ld, EstimateSize %ld, InvalidateRect %ld", c.setPos, c.estimate,
                 c.invalidate);
    else
        snprintf(buf, sizeof(buf), "SetPos %ld, EstimateSize %ld", c.setPos, c.estimate);
    return buf;
}

Figures Measure(int n, bool nested)
{
    Figures f = {};
    // Build: creation, attribute setting, adding and attaching (name registration, init);
    // best of three fresh trees, the first of which also grows the heap.
    f.build = f.attach = 1e30;
    for (int run = 0; run < 3; run++) {
        ManagedWindow scratch(800, 600);
        const double t0 = BenchNowMs();
        GroupUI* tree = new GroupUI;
        tree->EnableScrollBar(true, false);
        int made = 0;
        Fill(tree, n, nested, made);
        tree->SetFixedHeight(0);
        const double tAttach = BenchNowMs();
        scratch.pm().AttachDialog(tree);
        const double tEnd = BenchNowMs();
        if (tEnd - t0 < f.build) f.build = tEnd - t0;
        if (tEnd - tAttach < f.attach) f.attach = tEnd - tAttach;
    }
    ManagedWindow w(800, 600);
    GroupUI* root = new GroupUI;
    root->EnableScrollBar(true, false);
    int counter = 0;
    Fill(root, n, nested, counter);
    root->SetFixedHeight(0);
    w.pm().AttachDialog(root);

    RECT rcClient;
    ::GetClientRect(w.hwnd(), &rcClient);
    // One full layout (the first one also ranges the scroll bar).
    root->SetPos(rcClient);
    g_count = Counters();
    f.layout = Best(3, [&] {
        root->NeedUpdate();
        root->SetPos(rcClient);
    });
    f.cLayout = g_count;
    f.cLayout.setPos /= 3;
    f.cLayout.estimate /= 3;
    f.cLayout.invalidate /= 3;

    // One full paint into a back buffer of the client size.
    HDC hdcScreen = ::GetDC(NULL);
    HDC hdc = ::CreateCompatibleDC(hdcScreen);
    HBITMAP bmp = ::CreateCompatibleBitmap(hdcScreen, rcClient.right, rcClient.bottom);
    HGDIOBJ old = ::SelectObject(hdc, bmp);
    g_count = Counters();
    f.paint = Best(3, [&] { root->DoPaint(hdc, rcClient); });
    f.cPaint = g_count;
    ::SelectObject(hdc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(hdc);
    ::ReleaseDC(NULL, hdcScreen);

    // A hit test on the first leaf: the reverse search meets it last.
    POINT pt = { 5, 5 };
    g_count = Counters();
    volatile CControlUI* found = NULL;
    f.hit = Best(5, [&] { found = w.pm().FindControl(pt); });
    f.cHit = g_count;
    (void)found;

    // One scroll step of the root list.
    g_count = Counters();
    f.scroll = Best(3, [&] { root->LineDown(); });
    f.cScroll = g_count;
    f.cScroll.setPos /= 3;
    f.cScroll.estimate /= 3;
    f.cScroll.invalidate /= 3;
    return f;
}

void Report(bool nested)
{
    const char* shape = nested ? "nested" : "flat";
    const Figures small = Measure(1000, nested);
    const Figures large = Measure(10000, nested);
    struct Item {
        const char* what;
        double Figures::*time;
        Counters Figures::*count;
    } items[] = {
        { "build", &Figures::build, NULL },
        { "attach (part of build)", &Figures::attach, NULL },
        { "full layout", &Figures::layout, &Figures::cLayout },
        { "full paint 800x600", &Figures::paint, &Figures::cPaint },
        { "hit test", &Figures::hit, &Figures::cHit },
        { "scroll step", &Figures::scroll, &Figures::cScroll },
    };
    for (const Item& it : items) {
        const double a = small.*(it.time), b = large.*(it.time);
        char ratio[48];
        snprintf(ratio, sizeof(ratio), "t(10k)/t(1k) = %.1f", a > 0 ? b / a : 0.0);
        Row(std::string(shape) + ", " + it.what + ", N=1000", a, "ms", it.count ? CountNote(small.*(it.count)) : "");
        Row(std::string(shape) + ", " + it.what + ", N=10000", b, "ms",
            std::string(ratio) + (it.count ? "; " + CountNote(large.*(it.count)) : ""));
    }
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    g_invalidateCounted = HookInvalidateRect();
    Report(false);
    Report(true);
    CPaintManagerUI::Term();
    return 0;
}
