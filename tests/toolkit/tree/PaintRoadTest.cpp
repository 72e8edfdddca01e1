#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "EventLog.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"

using namespace SkinUI;
using namespace treetest;
using painttest::Canvas;

namespace {

// Counts its placements and paints; can ask for a layout while painting or while placed.
class CountingUI : public CControlUI {
public:
    void SetPos(RECT rc) override
    {
        ++setPos;
        CControlUI::SetPos(rc);
        if (reflagInSetPos) NeedUpdate();
    }
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        ++paints;
        if (askOnceWhilePainting) {
            askOnceWhilePainting = false;
            NeedUpdate();
        }
        CControlUI::DoPaint(hDC, rcPaint);
    }
    int setPos = 0;
    int paints = 0;
    bool askOnceWhilePainting = false;
    bool reflagInSetPos = false;
};

// Attaches the root and lets the first paint lay it out.
void AttachAndPaint(ManagedWindow& w, CControlUI* pRoot);

void Settle(HWND hwnd)
{
    for (int i = 0; i < 5; i++) {
        ::UpdateWindow(hwnd);
        painttest::PumpMessages();
    }
}

void AttachAndPaint(ManagedWindow& w, CControlUI* pRoot)
{
    w.pm().AttachDialog(pRoot);
    ::InvalidateRect(w.hwnd(), NULL, FALSE);
    Settle(w.hwnd());
}

int CountType(const NotifyLog& notes, const wchar_t* type)
{
    int n = 0;
    for (const TNotifyUI& r : notes.records) n += r.type == type ? 1 : 0;
    return n;
}

TEST(PaintRoad, WindowInitOncePerRoot)
{
    ManagedWindow w(200, 100, true);
    NotifyLog notes(nullptr);
    w.pm().AddNotifier(&notes);
    AttachAndPaint(w, new CContainerUI);
    ::InvalidateRect(w.hwnd(), NULL, FALSE);
    Settle(w.hwnd());
    EXPECT_EQ(1, CountType(notes, L"windowinit"));
    AttachAndPaint(w, new CContainerUI);
    EXPECT_EQ(2, CountType(notes, L"windowinit")) << "a new root is told once more";
    w.pm().RemoveNotifier(&notes);
}

TEST(PaintRoad, WindowInitWaitsForAMinimisedStart)
{
    ManagedWindow w(200, 100, false);
    NotifyLog notes(nullptr);
    w.pm().AddNotifier(&notes);
    CountingUI* root = new CountingUI;
    w.pm().AttachDialog(root);
    ::ShowWindow(w.hwnd(), SW_SHOWMINNOACTIVE);
    Settle(w.hwnd());
    EXPECT_EQ(0, CountType(notes, L"windowinit"));
    ::ShowWindow(w.hwnd(), SW_RESTORE);
    Settle(w.hwnd());
    EXPECT_EQ(1, CountType(notes, L"windowinit"));
    RECT rcClient;
    ::GetClientRect(w.hwnd(), &rcClient);
    EXPECT_EQ(Str(rcClient), Str(root->GetPos()));
    w.pm().RemoveNotifier(&notes);
}

TEST(PaintRoad, PartialLayoutAndOneMorePass)
{
    ManagedWindow w(200, 100, true);
    CContainerUI* root = new CContainerUI;
    CountingUI* a = new CountingUI;
    CountingUI* b = new CountingUI;
    root->Add(a);
    root->Add(b);
    AttachAndPaint(w, root);
    a->SetPos(Rc(0, 0, 50, 50));
    b->SetPos(Rc(50, 0, 100, 50));
    Settle(w.hwnd());

    a->setPos = b->setPos = 0;
    a->NeedUpdate();
    Settle(w.hwnd());
    EXPECT_EQ(1, a->setPos) << "only the control that asked is placed";
    EXPECT_EQ(0, b->setPos);

    a->paints = 0;
    a->askOnceWhilePainting = true;
    a->Invalidate();
    Settle(w.hwnd());
    EXPECT_EQ(2, a->paints) << "a layout asked for while painting gives exactly one more paint";
}

TEST(PaintRoad, AControlReflaggingItselfIsPlacedOncePerPaint)
{
    ManagedWindow w(200, 100, true);
    CContainerUI* root = new CContainerUI;
    CountingUI* a = new CountingUI;
    root->Add(a);
    AttachAndPaint(w, root);
    a->setPos = 0;
    a->reflagInSetPos = true;
    a->NeedUpdate();
    ::UpdateWindow(w.hwnd());
    EXPECT_EQ(1, a->setPos) << "no endless loop inside one paint";
    a->reflagInSetPos = false;
    Settle(w.hwnd());
    EXPECT_FALSE(a->IsUpdateNeeded());
}

TEST(PaintRoad, LayeredBufferPixels)
{
    ManagedWindow w(100, 80, true);
    w.pm().SetUseLayeredWindow(true);
    CControlUI* root = new CControlUI;
    root->SetBkColor(0x80FF0000);
    AttachAndPaint(w, root);
    SIZE sz = {};
    const BYTE* bits = w.pm().GetLayeredBits(&sz);
    ASSERT_NE(nullptr, bits);
    ASSERT_EQ(100, sz.cx);
    ASSERT_EQ(80, sz.cy);
    auto alpha = [&](int x, int y) { return static_cast<int>(w.pm().GetLayeredBits(&sz)[(y * sz.cx + x) * 4 + 3]); };
    EXPECT_NEAR(0x80, alpha(50, 40), 1);

    // The rich edit's area is forced opaque, the rest keeps its alpha.
    w.pm().SetRichEditCorner(Rc(10, 10, 10, 10));
    ::InvalidateRect(w.hwnd(), NULL, FALSE);
    Settle(w.hwnd());
    EXPECT_EQ(255, alpha(50, 40));
    EXPECT_NEAR(0x80, alpha(5, 5), 1);
    EXPECT_NEAR(0x80, alpha(95, 75), 1);

    // All zero forces nothing; the paint rect is cleared before it is painted again.
    w.pm().SetRichEditCorner(Rc(0, 0, 0, 0));
    root->SetBkColor(0);
    Settle(w.hwnd());
    EXPECT_EQ(0, alpha(50, 40));

    // An invalidation past the client area stays inside the buffer.
    RECT rcHuge = Rc(0, 0, 5000, 5000);
    w.pm().Invalidate(rcHuge);
    root->SetBkColor(0xFF00FF00);
    Settle(w.hwnd());
    EXPECT_EQ(255, alpha(99, 79));
    w.pm().GetLayeredBits(&sz);
    EXPECT_EQ(100, sz.cx);

    // A grown client area gets a new buffer of its size.
    ::SetWindowPos(w.hwnd(), NULL, 0, 0, 130, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Settle(w.hwnd());
    w.pm().GetLayeredBits(&sz);
    EXPECT_EQ(130, sz.cx);
    EXPECT_EQ(90, sz.cy);
    EXPECT_EQ(255, alpha(129, 89));
}

DWORD g_caretColor = 0;
DWORD CaretColor(CControlUI*)
{
    return g_caretColor;
}

TEST(PaintRoad, ManagerDrawnCaret)
{
    ManagedWindow w(100, 80, true);
    CContainerUI* root = new CContainerUI;
    root->SetDelayedDestroy(false);
    CControlUI* owner = new CControlUI;
    root->Add(owner);
    AttachAndPaint(w, root);
    ::SetFocus(w.hwnd());
    // The caret is drawn only in the window that has the focus.
    ASSERT_EQ(w.hwnd(), ::GetFocus()) << "the window could not take the native focus";
    owner->SetFocus();
    ASSERT_TRUE(owner->IsFocused());
    ASSERT_TRUE(w.pm().CreateCaret(NULL, 2, 10));
    ASSERT_TRUE(w.pm().SetCaretPosOf(NULL, owner, 20, 30));
    w.pm().ShowCaret(true);
    CPaintManagerUI::SetCaretColorQuery(CaretColor);

    const struct {
        const char* name;
        DWORD color;
        uint32_t expected;
    } cases[] = {
        { "owner's text colour", 0xFF00FF00, 0xFF00FF00 },
        { "default font colour for 0", 0, 0xFF000001 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_caretColor = c.color;
        Canvas canvas(100, 80, 0);
        w.pm().DrawCaret(canvas.dc(), Rc(0, 0, 100, 80));
        EXPECT_TRUE(painttest::Near(c.expected, canvas.At(21, 35))) << std::hex << canvas.At(21, 35);
        EXPECT_EQ(0u, canvas.At(23, 35)) << "only the caret rect";
    }
    // The owner loses the focus: nothing drawn, the blink timer stops.
    owner->SetVisible(false);
    Canvas canvas(100, 80, 0);
    w.pm().DrawCaret(canvas.dc(), Rc(0, 0, 100, 80));
    EXPECT_EQ(0u, canvas.At(21, 35));
    EXPECT_FALSE(::KillTimer(w.hwnd(), 241));
    // Reaping the owner forgets it.
    root->Remove(owner);
    EXPECT_EQ(nullptr, w.pm().GetCurrentCaretRichEdit());
    CPaintManagerUI::SetCaretColorQuery(NULL);
}

} // namespace
