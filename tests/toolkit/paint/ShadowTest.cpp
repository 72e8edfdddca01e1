#include <windows.h>
#include <gtest/gtest.h>
#include "core/PaintManager.h"
#include "core/Shadow.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace painttest;

namespace {

// Opens the computed-shadow pixels to the test.
class ShadowProbe : public CShadowUI {
public:
    using CShadowUI::MakeShadow;
};

TEST(Shadow, SettersKeepTheirRanges)
{
    CShadowUI s;
    struct Case {
        bool (*set)(CShadowUI&, int);
        int value;
        bool ok;
    } cases[] = {
        { [](CShadowUI& x, int v) { return x.SetSize(v); }, 20, true },
        { [](CShadowUI& x, int v) { return x.SetSize(v); }, -20, true },
        { [](CShadowUI& x, int v) { return x.SetSize(v); }, 21, false },
        { [](CShadowUI& x, int v) { return x.SetSize(v); }, -21, false },
        { [](CShadowUI& x, int v) { return x.SetSharpness(static_cast<unsigned>(v)); }, 20, true },
        { [](CShadowUI& x, int v) { return x.SetSharpness(static_cast<unsigned>(v)); }, 21, false },
        { [](CShadowUI& x, int v) { return x.SetDarkness(static_cast<unsigned>(v)); }, 255, true },
        { [](CShadowUI& x, int v) { return x.SetDarkness(static_cast<unsigned>(v)); }, 256, false },
        { [](CShadowUI& x, int v) { return x.SetPosition(0, v); }, -20, true },
        { [](CShadowUI& x, int v) { return x.SetPosition(0, v); }, -21, false },
        { [](CShadowUI& x, int v) { return x.SetPosition(v, 0); }, 21, false },
        { [](CShadowUI& x, int v) {
             return x.SetShadowCorner({ v, 0, 0, 0 });
         },
          -1, false },
        { [](CShadowUI& x, int v) {
             return x.SetShadowCorner({ v, 0, 0, 0 });
         },
          0, true },
    };
    for (const Case& k : cases) EXPECT_EQ(k.ok, k.set(s, k.value)) << k.value;
    EXPECT_FALSE(s.SetImage(NULL));
    EXPECT_TRUE(s.SetColor(0x123456));
    EXPECT_EQ(0x00000000u, CShadowUI::PreMultiply(0xFFFFFFFF, 0));
    EXPECT_EQ(0x00404040u, CShadowUI::PreMultiply(0xFF808080, 128));
    EXPECT_EQ(0x00FFFFFFu, CShadowUI::PreMultiply(0x00FFFFFF, 255));
}

// The computed shadow of a W x H host, in image rows (row 0 at the top of the bitmap).
struct ShadowBits {
    int w, h;
    std::vector<UINT> px;
    UINT At(int x, int y) const { return px[static_cast<size_t>(h - 1 - y) * w + x]; }
    int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
};

ShadowBits Make(HWND host, int size, int sharpness, int dx = 0, int dy = 0)
{
    ShadowProbe s;
    s.SetSize(size);
    s.SetSharpness(static_cast<unsigned>(sharpness));
    s.SetDarkness(150);
    s.SetColor(0);
    s.SetPosition(dx, dy);
    RECT rc;
    ::GetWindowRect(host, &rc);
    ShadowBits b;
    b.w = rc.right - rc.left + 2 * size;
    b.h = rc.bottom - rc.top + 2 * size;
    // Canaries around the buffer catch writes outside it.
    const size_t n = static_cast<size_t>(b.w > 0 ? b.w : 0) * (b.h > 0 ? b.h : 0);
    std::vector<UINT> guarded(n + 2048, 0xDEADBEEF);
    std::fill(guarded.begin() + 1024, guarded.begin() + 1024 + n, 0);
    s.MakeShadow(guarded.data() + 1024, host, &rc);
    for (size_t i = 0; i < 1024; i++) {
        EXPECT_EQ(0xDEADBEEFu, guarded[i]);
        EXPECT_EQ(0xDEADBEEFu, guarded[1024 + n + i]);
    }
    b.px.assign(guarded.begin() + 1024, guarded.begin() + 1024 + n);
    return b;
}

TEST(Shadow, ComputedShadowReachesSizePixelsAndSparesTheHost)
{
    HWND host = MakeHostWindow(WS_POPUP, 0, 0, 40, 30);
    ASSERT_NE(nullptr, host);
    for (int sharpness : { 5, 8 }) {
        ShadowBits b = Make(host, 5, sharpness);
        ASSERT_EQ(50, b.w);
        ASSERT_EQ(40, b.h);
        int holeInk = 0;
        for (int y = 5; y < 35; y++)
            for (int x = 5; x < 45; x++)
                if (b.At(x, y) != 0) holeInk++;
        EXPECT_EQ(0, holeInk) << "transparent under the window, sharpness " << sharpness;
        // The outermost pixel row and column on each side still carry shadow ...
        EXPECT_GT(b.Alpha(0, 20), 0) << sharpness;
        EXPECT_GT(b.Alpha(49, 20), 0) << sharpness;
        EXPECT_GT(b.Alpha(25, 0), 0) << sharpness;
        EXPECT_GT(b.Alpha(25, 39), 0) << sharpness;
        // ... and it darkens towards the window.
        EXPECT_LT(b.Alpha(0, 20), b.Alpha(4, 20)) << sharpness;
        EXPECT_LE(b.Alpha(4, 20), 150);
    }
    ShadowBits flat = Make(host, 5, 5);
    EXPECT_NEAR(25, flat.Alpha(0, 20), 1);
    EXPECT_NEAR(125, flat.Alpha(4, 20), 1);
    EXPECT_EQ(0, flat.Alpha(0, 0)) << "the kernel is round";
    ::DestroyWindow(host);
}

TEST(Shadow, NegativeSizesStayInsideTheBuffer)
{
    HWND host = MakeHostWindow(WS_POPUP, 0, 0, 40, 30);
    ASSERT_NE(nullptr, host);
    ShadowBits under = Make(host, -3, 2);
    int ink = 0;
    for (UINT v : under.px)
        if (v != 0) ink++;
    EXPECT_EQ(0, ink) << "smaller than the window and right under it";
    ShadowBits moved = Make(host, -3, 2, 15, 0);
    EXPECT_EQ(34, moved.w);
    EXPECT_GT(moved.Alpha(30, 12), 0) << "shows where the offset moves it out";
    EXPECT_EQ(0, moved.Alpha(5, 12));
    Make(host, -20, 20, -20, 20);
    ::DestroyWindow(host);
}

// An empty window region is no silhouette at all: the shadow falls back to the window
// rectangle, as it does without a region.
TEST(Shadow, EmptyWindowRegionCastsTheRectangle)
{
    HWND plain = MakeHostWindow(WS_POPUP, 0, 0, 40, 30);
    HWND emptied = MakeHostWindow(WS_POPUP, 0, 0, 40, 30);
    ASSERT_NE(nullptr, plain);
    ASSERT_NE(nullptr, emptied);
    ASSERT_NE(0, ::SetWindowRgn(emptied, ::CreateRectRgn(0, 0, 0, 0), FALSE));
    HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(NULLREGION, ::GetWindowRgn(emptied, probe));
    ::DeleteObject(probe);
    ShadowBits want = Make(plain, 5, 5);
    ShadowBits got = Make(emptied, 5, 5);
    EXPECT_GT(got.Alpha(0, 20), 0);
    EXPECT_TRUE(want.px == got.px);
    ::DestroyWindow(plain);
    ::DestroyWindow(emptied);
}

RECT WindowRect(HWND h)
{
    RECT rc = {};
    ::GetWindowRect(h, &rc);
    return rc;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(Shadow, FollowsItsHost)
{
    HWND host = MakeHostWindow(WS_POPUP | WS_VISIBLE, 100, 100, 60, 40);
    ASSERT_NE(nullptr, host);
    HWND shadow = NULL;
    {
        CPaintManagerUI pm;
        pm.Init(host);
        CShadowUI* s = pm.GetShadow();
        s->ShowShadow(true);
        s->SetSize(5);
        s->SetSharpness(5);
        s->Create(&pm);
        shadow = s->GetShadowWindow();
        ASSERT_NE(nullptr, shadow);
        s->Create(&pm);
        EXPECT_EQ(shadow, s->GetShadowWindow()) << "one shadow window per host";
        EXPECT_TRUE(::IsWindowVisible(shadow));
        EXPECT_TRUE(SameRect({ 95, 95, 165, 145 }, WindowRect(shadow)));

        ::SetWindowPos(host, NULL, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(SameRect({ 195, 145, 265, 195 }, WindowRect(shadow))) << "moved";
        ::SetWindowPos(host, NULL, 0, 0, 50, 30, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(SameRect({ 195, 145, 255, 185 }, WindowRect(shadow))) << "shrinking redraws at once";
        ::SetWindowPos(host, NULL, 0, 0, 80, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(host, NULL, FALSE);
        ::UpdateWindow(host);
        EXPECT_TRUE(SameRect({ 195, 145, 285, 215 }, WindowRect(shadow))) << "growing redraws at the next paint";

        ::ShowWindow(host, SW_MINIMIZE);
        EXPECT_FALSE(::IsWindowVisible(shadow)) << "minimised";
        ::ShowWindow(host, SW_RESTORE);
        EXPECT_TRUE(::IsWindowVisible(shadow)) << "restored";
        ::ShowWindow(host, SW_MAXIMIZE);
        EXPECT_FALSE(::IsWindowVisible(shadow)) << "maximised";
        ::ShowWindow(host, SW_RESTORE);
        EXPECT_TRUE(::IsWindowVisible(shadow));
        ::ShowWindow(host, SW_HIDE);
        EXPECT_FALSE(::IsWindowVisible(shadow)) << "hidden with the host";
        ::ShowWindow(host, SW_SHOWNA);
        EXPECT_TRUE(::IsWindowVisible(shadow));

        ::DestroyWindow(host);
        EXPECT_FALSE(::IsWindow(shadow)) << "destroyed with the host";
        EXPECT_EQ(nullptr, s->GetShadowWindow());
    }
    PumpMessages();
}

TEST(Shadow, ImageModeAndTheManagersEnd)
{
    HWND host = MakeHostWindow(WS_POPUP | WS_VISIBLE, 50, 60, 40, 30);
    ASSERT_NE(nullptr, host);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(host, GWLP_WNDPROC);
    HWND shadow = NULL;
    {
        CPaintManagerUI pm;
        pm.Init(host);
        ASSERT_NE(nullptr, pm.AddImage(L"shadow.png", MakeSourceBitmap(24, 24, std::vector<uint32_t>(576, 0x40000000)),
                                       24, 24, true));
        CShadowUI* s = pm.GetShadow();
        s->ShowShadow(true);
        ASSERT_TRUE(s->SetImage(L"shadow.png"));
        ASSERT_TRUE(s->SetShadowCorner({ 8, 8, 8, 8 }));
        s->Create(&pm);
        shadow = s->GetShadowWindow();
        ASSERT_NE(nullptr, shadow);
        EXPECT_TRUE(SameRect({ 42, 52, 98, 98 }, WindowRect(shadow)));
        EXPECT_NE(ownProc, ::GetWindowLongPtrW(host, GWLP_WNDPROC));

        CShadowUI copy;
        EXPECT_TRUE(s->CopyShadow(&copy));
        EXPECT_TRUE(copy.IsShowShadow());
    }
    // The manager went first: its shadow window is gone and the host has its procedure back.
    EXPECT_FALSE(::IsWindow(shadow));
    EXPECT_EQ(ownProc, ::GetWindowLongPtrW(host, GWLP_WNDPROC));
    ::SetWindowPos(host, NULL, 0, 0, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(::DestroyWindow(host));
}

TEST(Shadow, AttachingTwiceKeepsOneShadow)
{
    HWND host = MakeHostWindow(WS_POPUP | WS_VISIBLE, 0, 0, 40, 30);
    ASSERT_NE(nullptr, host);
    {
        CPaintManagerUI pm;
        pm.Init(host);
        pm.GetShadow()->ShowShadow(true);
        pm.GetShadow()->SetSize(4);
        EXPECT_FALSE(pm.AttachDialog(NULL)) << "no tree to initialise";
        HWND shadow = pm.GetShadow()->GetShadowWindow();
        ASSERT_NE(nullptr, shadow);
        EXPECT_FALSE(pm.AttachDialog(NULL));
        EXPECT_EQ(shadow, pm.GetShadow()->GetShadowWindow());
        // The host's procedure is installed once: a message returns instead of recursing.
        ::SetWindowPos(host, NULL, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(0, ::SendMessageW(host, WM_NULL, 0, 0));
        EXPECT_TRUE(SameRect({ 1, 1, 49, 39 }, WindowRect(shadow)));
    }
    ::DestroyWindow(host);
}

// A second shadow on a host that has one is refused: it would take the first one's procedure
// for the host's own and call itself until the stack ran out. Once the first is gone, a new
// one may attach.
TEST(Shadow, SecondShadowOnAHostIsRefused)
{
    HWND host = MakeHostWindow(WS_POPUP | WS_VISIBLE, 30, 30, 40, 30);
    ASSERT_NE(nullptr, host);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(host, GWLP_WNDPROC);
    {
        CPaintManagerUI pm;
        pm.Init(host);
        CShadowUI* first = pm.GetShadow();
        first->ShowShadow(true);
        first->SetSize(4);
        first->Create(&pm);
        ASSERT_NE(nullptr, first->GetShadowWindow());
        {
            CShadowUI second;
            second.ShowShadow(true);
            second.SetSize(6);
            second.Create(&pm);
            EXPECT_EQ(nullptr, second.GetShadowWindow());
            EXPECT_EQ(0, ::SendMessageW(host, WM_NULL, 0, 0));
            ::SetWindowPos(host, NULL, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_TRUE(SameRect({ 6, 6, 54, 44 }, WindowRect(first->GetShadowWindow()))) << "the first still follows";
        }
        // The refused one took nothing with it when it went.
        ::SetWindowPos(host, NULL, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(SameRect({ 16, 16, 64, 54 }, WindowRect(first->GetShadowWindow())));
    }
    EXPECT_EQ(ownProc, ::GetWindowLongPtrW(host, GWLP_WNDPROC));
    {
        CPaintManagerUI pm;
        pm.Init(host);
        CShadowUI* next = pm.GetShadow();
        next->ShowShadow(true);
        next->SetSize(3);
        next->Create(&pm);
        ASSERT_NE(nullptr, next->GetShadowWindow());
        EXPECT_TRUE(SameRect({ 17, 17, 63, 53 }, WindowRect(next->GetShadowWindow())));
        EXPECT_EQ(0, ::SendMessageW(host, WM_NULL, 0, 0));
    }
    ::DestroyWindow(host);
    PumpMessages();
}

TEST(Shadow, NothingWithoutShowShadow)
{
    HWND host = MakeHostWindow(WS_POPUP | WS_VISIBLE, 0, 0, 40, 30);
    ASSERT_NE(nullptr, host);
    {
        CPaintManagerUI pm;
        pm.Init(host);
        pm.GetShadow()->SetSize(4);
        pm.GetShadow()->Create(&pm);
        EXPECT_EQ(nullptr, pm.GetShadow()->GetShadowWindow());
    }
    ::DestroyWindow(host);
}

} // namespace
