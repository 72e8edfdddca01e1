#include <windows.h>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "core/Delegate.h"
#include "EventLog.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"
#include "PoisonArena.h"

using namespace SkinUI;
using namespace treetest;

namespace {

// Objects of these tests are wiped when freed and never reused, so that a use after free
// reads garbage and fails loudly instead of passing by luck.
struct Poisoned {
    static void* operator new(size_t n) { return painttest::PoisonArenaAlloc(n); }
    static void operator delete(void* p, size_t n) { painttest::PoisonArenaFree(p, n); }
};

struct Tree {
    ManagedWindow w;
    EventLog log;
    CContainerUI* root;
    LogUI* a;
    LogUI* b;
    Tree() : w(200, 100)
    {
        root = new CContainerUI;
        root->SetDelayedDestroy(false);
        a = new LogUI("a", &log);
        b = new LogUI("b", &log);
        root->Add(a);
        root->Add(b);
        w.Attach(root);
    }
    void Tick(UINT winId) { ::SendMessageW(w.hwnd(), WM_TIMER, winId, 0); }
};

// ---- timers ----

TEST(Timers, WindowsIdsAndTheirEntries)
{
    Tree t;
    ASSERT_TRUE(t.w.pm().SetTimer(t.a, 1, 100000));
    t.Tick(17);
    EXPECT_EQ("a:timer", t.log.Joined()) << "the first Windows id is 17";
    EXPECT_EQ(1u, t.a->m_last.wParam) << "the event carries the control's own id";
    EXPECT_EQ(t.a, t.a->m_last.sender);
    EXPECT_FALSE(t.w.pm().SetTimer(t.a, 1, 5)) << "already running";

    EXPECT_TRUE(t.w.pm().KillTimer(t.a, 1));
    EXPECT_FALSE(t.w.pm().KillTimer(t.a, 1));
    t.log.Clear();
    t.Tick(17);
    EXPECT_EQ("", t.log.Joined()) << "a killed entry gets no ticks";
    EXPECT_TRUE(t.w.pm().SetTimer(t.a, 1, 100000));
    t.Tick(17);
    EXPECT_EQ("a:timer", t.log.Joined()) << "re-armed on the same Windows id";

    // Fill every other id of the cycle with timers of b.
    for (UINT i = 0; i < 239; i++) ASSERT_TRUE(t.w.pm().SetTimer(t.b, i, 100000)) << i;
    EXPECT_FALSE(t.w.pm().SetTimer(t.b, 999, 100000)) << "all 240 ids are in use";
    t.log.Clear();
    t.Tick(16);
    t.Tick(18);
    t.Tick(241);
    EXPECT_EQ("b:timer b:timer", t.log.Joined()) << "the cycle wrapped past 239 to 0..16";

    // Free one id in the middle; the next timer skips the ids still held.
    t.w.pm().KillTimer(t.b);
    ASSERT_TRUE(t.w.pm().SetTimer(t.b, 5, 100000));
    t.log.Clear();
    t.Tick(17);
    t.Tick(18);
    EXPECT_EQ("a:timer b:timer", t.log.Joined()) << "17 is still a's, so b took 18";
}

TEST(Timers, RealTicksReachTheControl)
{
    Tree t;
    ASSERT_TRUE(t.w.pm().SetTimer(t.a, 3, 10));
    EXPECT_TRUE(PumpUntil([&] { return t.log.lines.size() >= 2; }));
    EXPECT_EQ(3u, t.a->m_last.wParam);
    t.root->Remove(t.a); // reaping kills its timers
    t.log.Clear();
    ::Sleep(50);
    painttest::PumpMessages();
    EXPECT_EQ("", t.log.Joined());
}

// ---- notifications ----

class Requeue : public INotifyUI {
public:
    Requeue(CPaintManagerUI* pm, EventLog* log) : m_pm(pm), m_log(log) {}
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"first") m_pm->SendNotify(msg.sender, L"second", 0, 0, true);
        m_log->lines.push_back(std::string("seen:") + (msg.type == L"first"    ? "first"
                                                       : msg.type == L"second" ? "second"
                                                                               : "other"));
    }

private:
    CPaintManagerUI* m_pm;
    EventLog* m_log;
};

TEST(Notifications, QueuedOnesArriveWithTheNextMessageInOrder)
{
    Tree t;
    NotifyLog notes(&t.log);
    t.w.pm().AddNotifier(&notes);
    t.w.pm().UsedVirtualWnd(true);
    t.a->SetVirtualWnd(L"page");

    // a and b both cover the window; b, the last, is the one under the mouse.
    t.w.Mouse(WM_MOUSEMOVE, 10, 10);
    t.log.Clear();
    const DWORD before = ::GetTickCount();
    t.w.pm().SendNotify(t.a, L"later", 4, 5, true);
    t.w.pm().SendNotify(t.a, L"now");
    EXPECT_EQ("now:a", t.log.Joined()) << "the queued one waits";
    t.w.Mouse(WM_MOUSEMOVE, 120, 60);
    EXPECT_EQ("now:a later:a b:move", t.log.Joined()) << "delivered before the next message is handled";
    const TNotifyUI& later = notes.records[1];
    EXPECT_EQ(10, later.mousePos.x) << "the position of its sending";
    EXPECT_GE(later.timestamp, before);
    EXPECT_TRUE(later.virtualWnd == L"page");
    EXPECT_EQ(4u, later.wParam);
    EXPECT_EQ(5, later.lParam);
    t.w.pm().RemoveNotifier(&notes);

    // Records queued while the queue is delivered go out in the same run.
    Requeue requeue(&t.w.pm(), &t.log);
    t.w.pm().AddNotifier(&requeue);
    t.log.Clear();
    t.w.pm().SendNotify(t.a, L"first", 0, 0, true);
    ::SendMessageW(t.w.hwnd(), WM_NULL, 0, 0);
    EXPECT_EQ("seen:first seen:second", t.log.Joined());
    t.w.pm().RemoveNotifier(&requeue);
}

TEST(Notifications, AReapedSenderIsDeliveredAsNull)
{
    Tree t;
    NotifyLog notes(&t.log);
    t.w.pm().AddNotifier(&notes);
    t.w.pm().SendNotify(t.a, L"late", 0, 0, true);
    t.root->Remove(t.a);
    ::SendMessageW(t.w.hwnd(), WM_NULL, 0, 0);
    EXPECT_EQ("late:null", t.log.Joined());
    t.w.pm().RemoveNotifier(&notes);
}

// A window whose own notifier destroys it, manager and all.
struct SelfClosingHost final : Poisoned, INotifyUI {
    HWND hwnd;
    CPaintManagerUI pm;
    int* notified;
    SelfClosingHost(int* counter) : notified(counter)
    {
        hwnd = painttest::MakeHostWindow(WS_POPUP, 0, 0, 50, 50);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        pm.Init(hwnd);
        pm.AttachDialog(new CContainerUI);
        pm.AddNotifier(this);
    }
    virtual ~SelfClosingHost()
    {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
    void Notify(TNotifyUI& msg) override
    {
        ++*notified;
        if (msg.type == L"close") delete this;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        SelfClosingHost* self = reinterpret_cast<SelfClosingHost*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        LRESULT lRes = 0;
        if (self != nullptr && self->pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
        return ::DefWindowProcW(hwnd, uMsg, wParam, lParam);
    }
};

TEST(Notifications, ANotifierMayDestroyTheWindow)
{
    int notified = 0;
    SelfClosingHost* host = new SelfClosingHost(&notified);
    HWND hwnd = host->hwnd;
    CControlUI* root = host->pm.GetRoot();
    host->pm.SendNotify(root, L"close", 0, 0, true);
    host->pm.SendNotify(root, L"never", 0, 0, true);
    ::SendMessageW(hwnd, WM_NULL, 0, 0);
    EXPECT_EQ(1, notified) << "delivery stops with the manager";
    EXPECT_FALSE(::IsWindow(hwnd));
}

// ---- delayed cleanup ----

TEST(Cleanup, DelayedUntilTheMessageAndNeverTwice)
{
    {
        SCOPED_TRACE("pumped");
        Tree t;
        ProbeUI::s_destroyed = 0;
        ProbeUI* p = new ProbeUI(L"p");
        t.root->Add(p);
        t.root->Remove(p);
        const int afterRemove = ProbeUI::s_destroyed;
        ProbeUI* q = new ProbeUI(L"q");
        t.w.pm().AddDelayedCleanup(q);
        EXPECT_EQ(afterRemove, ProbeUI::s_destroyed) << "alive until WM_APP+1";
        EXPECT_TRUE(PumpUntil([&] { return ProbeUI::s_destroyed == afterRemove + 1; }));
    }
    {
        SCOPED_TRACE("manager destroyed with pending work");
        ProbeUI::s_destroyed = 0;
        {
            Tree t;
            ProbeUI* q = new ProbeUI(L"q");
            t.w.pm().SendNotify(q, L"pending", 0, 0, true);
            t.w.pm().AddDelayedCleanup(q);
        }
        EXPECT_EQ(1, ProbeUI::s_destroyed);
    }
}

TEST(Cleanup, ReapingForgetsEveryReference)
{
    Tree t;
    t.w.pm().AddPostPaint(t.a);
    t.w.Mouse(WM_MOUSEMOVE, 1, 1);
    t.a->SetPos(Rc(0, 0, 50, 50));
    t.a->SetFocus();
    t.w.pm().SetTimer(t.a, 1, 100000);
    t.root->Remove(t.a);
    EXPECT_EQ(0, t.w.pm().GetPostPaintCount());
    EXPECT_EQ(nullptr, t.w.pm().GetFocus());
    EXPECT_EQ(nullptr, t.w.pm().FindControl(L"a"));
    t.w.Mouse(WM_MOUSEMOVE, 2, 2);
    ::SendMessageW(t.w.hwnd(), WM_TIMER, 17, 0);
    ::InvalidateRect(t.w.hwnd(), NULL, FALSE);
    ::UpdateWindow(t.w.hwnd());
}

TEST(Cleanup, AControlIsForgottenAlsoAfterLeavingItsManager)
{
    // The manager took focus, hover, the press, the key, a timer and a post-paint slot while
    // the control was its own; the control then lost its manager (as the builder leaves it)
    // or went to another window's, and was deleted there. Its memory is wiped, so any of
    // the routes below that still held it would fault.
    ManagedWindow other(50, 50);
    for (const bool bToOther : { false, true }) {
        SCOPED_TRACE(bToOther ? "moved to another manager" : "manager cleared");
        Tree t;
        LogUI* p = new painttest::Poisoned<LogUI>("p", &t.log);
        t.root->Add(p);
        p->SetPos(Rc(0, 0, 200, 100));
        t.w.Mouse(WM_MOUSEMOVE, 10, 10);
        t.w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        ::SendMessageW(t.w.hwnd(), WM_KEYDOWN, 'A', 0);
        ASSERT_EQ(p, t.w.pm().GetFocus());
        ASSERT_TRUE(t.w.pm().SetTimer(p, 1, 100000));
        ASSERT_TRUE(t.w.pm().AddPostPaint(p));
        t.root->SetAutoDestroy(false);
        t.root->Remove(p);
        p->SetManager(bToOther ? &other.pm() : NULL, NULL, false);
        delete p;

        EXPECT_EQ(nullptr, t.w.pm().GetFocus());
        EXPECT_EQ(0, t.w.pm().GetPostPaintCount());
        t.w.Mouse(WM_MOUSEMOVE, 20, 20);
        t.w.Mouse(WM_LBUTTONUP, 20, 20);
        ::SendMessageW(t.w.hwnd(), WM_KEYUP, 'A', 0);
        t.Tick(17);
        ::InvalidateRect(t.w.hwnd(), NULL, FALSE);
        ::UpdateWindow(t.w.hwnd());
        t.w.pm().AttachDialog(new CContainerUI);
        painttest::PumpMessages();
    }
}

// ---- event sources ----

struct SourceCase : Poisoned {
    CEventSource source;
};
std::string g_trace;
CEventSource* g_source = nullptr;
SourceCase* g_owner = nullptr;
bool First(void*)
{
    g_trace += "1";
    return true;
}
bool Second(void*)
{
    g_trace += "2";
    return true;
}
bool RemovesItself(void*)
{
    g_trace += "R";
    *g_source -= RemovesItself;
    return true;
}
bool DeletesOwner(void*)
{
    g_trace += "D";
    delete g_owner;
    g_owner = nullptr;
    return true;
}

TEST(EventSourceCalls, EveryHandlerOfTheStartRunsOnce)
{
    typedef bool (*Fn)(void*);
    const struct {
        const char* name;
        std::vector<Fn> handlers;
        const char* first;
        const char* second;
    } cases[] = {
        { "removes itself, then the next", { RemovesItself, First }, "R1", "1" },
        { "removes itself between two", { First, RemovesItself, Second }, "1R2", "12" },
        { "destroys its owner", { First, DeletesOwner, Second }, "1D", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_owner = new SourceCase;
        g_source = &g_owner->source;
        for (Fn f : c.handlers) g_owner->source += f;
        g_trace.clear();
        EXPECT_TRUE(g_owner->source(nullptr));
        EXPECT_EQ(c.first, g_trace);
        g_trace.clear();
        if (g_owner != nullptr) {
            g_owner->source(nullptr);
            delete g_owner;
            g_owner = nullptr;
        }
        EXPECT_EQ(c.second, g_trace);
    }
}

} // namespace
