// Skins of generated controls: the markup reader's parse of the file's bytes, the builder's
// load and build of the same file, then the first layout and paint in a window; a tab layout
// switching between pages and a tile layout, both built from skins. Best of three runs.
#include <windows.h>
#include <stdio.h>
#include "../BenchClock.h"

#include <string>
#include <vector>

#include "PaintTestUtil.h"
#include "core/ControlUI.h"
#include "core/DialogBuilder.h"
#include "core/LabelUI.h"
#include "core/Markup.h"
#include "core/PaintManager.h"
#include "core/RenderEngine.h"
#include "core/TabLayoutUI.h"
#include "core/TileLayoutUI.h"

using namespace SkinUI;

namespace {

void Row(const std::string& what, double figure, const char* unit, const char* note)
{
    printf("| toolkit-skin | %s | %.2f | %s | %s |\n", what.c_str(), figure, unit, note);
    fflush(stdout);
}

// Labels, buttons and plain controls in turn, one line of text each.
std::string Leaf(int i)
{
    char s[160];
    switch (i % 3) {
    case 0:
        snprintf(s, sizeof(s), "<Label name=\"l%d\" text=\"Item %d\" height=\"16\"/>", i, i);
        break;
    case 1:
        snprintf(s, sizeof(s), "<Button name=\"b%d\" text=\"Go %d\" height=\"16\" width=\"60\"/>", i, i);
        break;
    default:
        snprintf(s, sizeof(s), "<Control name=\"c%d\" bkcolor=\"#FF%06X\" height=\"16\"/>", i, i * 997 & 0xFFFFFF);
    }
    return s;
}

// count controls directly under one scrolling layout.
std::string FlatSkin(int count)
{
    std::string s = "<Window size=\"800,600\"><Default name=\"Label\" value=\"textcolor=&quot;#FF202020&quot;\"/>"
                    "<VerticalLayout vscrollbar=\"true\">";
    for (int i = 1; i < count; ++i) s += Leaf(i);
    return s + "</VerticalLayout></Window>";
}

// count controls as chains ten layouts deep, a control at the bottom of each.
std::string NestedSkin(int count)
{
    std::string s = "<Window size=\"800,600\"><VerticalLayout vscrollbar=\"true\">";
    int made = 1;
    for (int chain = 0; made < count; ++chain) {
        int depth = 0;
        for (; depth < 9 && made < count - 1; ++depth, ++made)
            s += (depth % 2 ? "<HorizontalLayout height=\"16\">" : "<VerticalLayout height=\"16\">");
        s += Leaf(made++);
        for (int d = depth - 1; d >= 0; --d) s += (d % 2 ? "</HorizontalLayout>" : "</VerticalLayout>");
    }
    return s + "</VerticalLayout></Window>";
}

struct Timing {
    double parse = 1e30, load = 1e30, build = 1e30, bare = 1e30, alloc = 1e30, layout = 1e30, paint = 1e30;
};

// The same document with every control inside one element nothing makes: the builder reads
// and parses it all and builds nothing.
std::string Unbuildable(const std::string& skin)
{
    size_t open = skin.find("<VerticalLayout");
    if (open == std::string::npos) open = skin.find("<TabLayout");
    size_t close = skin.rfind("</Window>");
    return skin.substr(0, open) + "<Skipped>" + skin.substr(open, close - open) + "</Skipped></Window>";
}

int CountElements(const std::string& skin)
{
    int n = 0;
    for (size_t i = 0; i + 1 < skin.size(); ++i)
        if (skin[i] == '<' && skin[i + 1] != '/') ++n;
    return n;
}

// The skin is a file in the resource folder, as a program's skins are.
Timing BuildLayoutPaint(const painttest::TempDir& dir, const std::string& skin)
{
    Timing t;
    painttest::WriteFileBytes(dir / L"bench.xml", skin);
    painttest::WriteFileBytes(dir / L"bench-parse.xml", Unbuildable(skin));
    const int elements = CountElements(skin);
    for (int run = 0; run < 3; ++run) {
        {
            double l0 = BenchNowMs();
            CDialogBuilder builder;
            builder.Create(L"bench-parse.xml");
            double l1 = BenchNowMs();
            if (l1 - l0 < t.load) t.load = l1 - l0;
        }
        {
            // What the platform's allocator alone costs for that many control-sized objects.
            std::vector<void*> blocks(static_cast<size_t>(elements));
            double a0 = BenchNowMs();
            for (void*& p : blocks) p = ::operator new(sizeof(CLabelUI));
            double a1 = BenchNowMs();
            for (void* p : blocks) ::operator delete(p);
            if (a1 - a0 < t.alloc) t.alloc = a1 - a0;
        }
        DWORD size = 0;
        BYTE* bytes = CRenderEngine::LoadFileBytes((dir / L"bench.xml").c_str(), &size);
        double t0 = BenchNowMs();
        CMarkup markup;
        markup.LoadFromMem(bytes, size);
        double t1 = BenchNowMs();
        delete[] bytes;
        if (t1 - t0 < t.parse) t.parse = t1 - t0;

        {
            // The same build without a window's manager: controls only.
            double b0 = BenchNowMs();
            CDialogBuilder builder;
            CControlUI* root = builder.Create(L"bench.xml");
            double b1 = BenchNowMs();
            delete root;
            if (b1 - b0 < t.bare) t.bare = b1 - b0;
        }
        HWND hWnd = painttest::MakeHostWindow(WS_POPUP, 0, 0, 800, 600);
        {
            CPaintManagerUI pm;
            pm.Init(hWnd);
            double t2 = BenchNowMs();
            CDialogBuilder builder;
            CControlUI* root = builder.Create(L"bench.xml", NULL, NULL, &pm);
            double t3 = BenchNowMs();
            pm.AttachDialog(root);
            RECT rc = { 0, 0, 800, 600 };
            double t4 = BenchNowMs();
            root->SetPos(rc);
            double t5 = BenchNowMs();
            painttest::Canvas canvas(800, 600);
            double t6 = BenchNowMs();
            root->DoPaint(canvas.dc(), rc);
            ::GdiFlush();
            double t7 = BenchNowMs();
            if (t3 - t2 < t.build) t.build = t3 - t2;
            if (t5 - t4 < t.layout) t.layout = t5 - t4;
            if (t7 - t6 < t.paint) t.paint = t7 - t6;
        }
        ::DestroyWindow(hWnd);
    }
    return t;
}

void Skins(const painttest::TempDir& dir, const char* shape, std::string (*make)(int))
{
    Timing small = BuildLayoutPaint(dir, make(1000));
    Timing large = BuildLayoutPaint(dir, make(10000));
    for (const Timing* t : { &small, &large }) {
        std::string what = std::string(shape) + " " + (t == &small ? "1,000" : "10,000");
        Row(what + ": markup parse", t->parse, "ms", "CMarkup::LoadFromMem of the file's bytes");
        Row(what + ": skin file load and parse", t->load, "ms",
            "CDialogBuilder::Create, the same document built into nothing");
        Row(what + ": load and parse / markup parse", t->load / t->parse, "x", "goal <= 2");
        Row(what + ": skin build", t->build, "ms", "CDialogBuilder::Create of the file, with a manager");
        Row(what + ": skin build, no manager", t->bare, "ms", "CDialogBuilder::Create of the file, controls only");
        Row(what + ": allocation alone", t->alloc, "ms", "operator new of one control-sized block per element");
        Row(what + ": first layout", t->layout, "ms", "root SetPos 800x600");
        Row(what + ": first paint", t->paint, "ms", "root DoPaint into a 32-bit DIB");
    }
    Row(std::string(shape) + ": build 10,000 / 1,000", large.build / small.build, "x", "goal <= 11");
    Row(std::string(shape) + ": build+layout+paint 10,000 / 1,000",
        (large.build + large.layout + large.paint) / (small.build + small.layout + small.paint), "x", "goal <= 11");
}

// A skin file built into a window's manager and attached; the manager owns the tree.
class SkinInWindow {
public:
    SkinInWindow(const painttest::TempDir& dir, const wchar_t* name, const std::string& skin)
        : m_hWnd(painttest::MakeHostWindow(WS_POPUP, 0, 0, 800, 600)), m_pm(new CPaintManagerUI)
    {
        painttest::WriteFileBytes(dir / name, skin);
        m_pm->Init(m_hWnd);
        CDialogBuilder builder;
        root = builder.Create(name, NULL, NULL, m_pm);
        m_pm->AttachDialog(root);
    }
    ~SkinInWindow()
    {
        delete m_pm;
        ::DestroyWindow(m_hWnd);
    }
    SkinInWindow(const SkinInWindow&) = delete;
    SkinInWindow& operator=(const SkinInWindow&) = delete;

    CControlUI* root;

private:
    HWND m_hWnd;
    CPaintManagerUI* m_pm;
};

void TabSwitch(const painttest::TempDir& dir)
{
    std::string skin = "<Window size=\"800,600\"><TabLayout name=\"tabs\">";
    for (int page = 0; page < 10; ++page) {
        skin += "<VerticalLayout>";
        for (int i = 0; i < 500; ++i) skin += Leaf(page * 500 + i);
        skin += "</VerticalLayout>";
    }
    skin += "</TabLayout></Window>";
    SkinInWindow w(dir, L"tabs.xml", skin);
    CTabLayoutUI* tabs = static_cast<CTabLayoutUI*>(w.root->GetInterface(L"TabLayout"));
    RECT rc = { 0, 0, 800, 600 };
    w.root->SetPos(rc);
    painttest::Canvas canvas(800, 600);
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        double t0 = BenchNowMs();
        for (int page = 1; page <= 10; ++page) {
            tabs->SelectItem(page % 10);
            w.root->SetPos(rc);
            w.root->DoPaint(canvas.dc(), rc);
        }
        ::GdiFlush();
        double t1 = BenchNowMs();
        if ((t1 - t0) / 10 < best) best = (t1 - t0) / 10;
    }
    Row("tab switch, 10 pages of 500", best, "ms", "SelectItem + layout + paint, per switch");
}

void Tiles(const painttest::TempDir& dir)
{
    std::string skin = "<Window size=\"800,600\"><TileLayout itemsize=\"80,30\" vscrollbar=\"true\">";
    for (int i = 0; i < 1000; ++i) skin += Leaf(i);
    skin += "</TileLayout></Window>";
    SkinInWindow w(dir, L"tiles.xml", skin);
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        RECT rc = { 0, 0, 800 - run, 600 };
        double t0 = BenchNowMs();
        w.root->SetPos(rc);
        double t1 = BenchNowMs();
        if (t1 - t0 < best) best = t1 - t0;
    }
    Row("tile layout of 1,000", best, "ms", "root SetPos, 10 columns of 80x30");
}

} // namespace

int main()
{
    CPaintManagerUI::SetInstance(::GetModuleHandleW(NULL));
    painttest::TempDir dir;
    CPaintManagerUI::SetResourcePath(dir.path().c_str());
    Skins(dir, "flat", &FlatSkin);
    Skins(dir, "nested 10 deep", &NestedSkin);
    TabSwitch(dir);
    Tiles(dir);
    CPaintManagerUI::SetResourcePath(L"");
    CPaintManagerUI::Term();
    return 0;
}
