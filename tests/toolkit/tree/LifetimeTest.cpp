// Who may still be touched when a control, its window or its manager goes: a control that
// outlives its window, one deleted by a notifier in the middle of a delivery, and the
// messages that reaping leaves to the window. Objects that go in these tests are wiped when
// freed and never reused, and where a late read alone would pass unseen their pages are
// given back, so that a touch faults.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "core/ControlUI.h"
#include "core/ContainerUI.h"
#include "EventLog.h"
#include "TreeTestUtil.h"
#include "PaintTestUtil.h"
#include "PoisonArena.h"

using namespace SkinUI;
using namespace treetest;

namespace {

using painttest::Poisoned;

// Counts the caller faults the toolkit reports while it is installed.
struct FaultCounter {
    static int s_count;
    CPaintManagerUI::CALLERFAULTPROC old;
    FaultCounter() : old(CPaintManagerUI::SetCallerFaultHandler(&Count)) { s_count = 0; }
    ~FaultCounter() { CPaintManagerUI::SetCallerFaultHandler(old); }
    static void Count(LPCTSTR) { ++s_count; }
};
int FaultCounter::s_count = 0;

// A window with one control that holds every reference a manager keeps of a control:
// hover, press (with the mouse captured), focus, key, a timer, a post-paint slot, its name.
struct Held {
    Poisoned<ManagedWindow>* w; // deleted as what it is, so that its memory is wiped
    CContainerUI* root;
    LogUI* p;
    EventLog log;
    Held()
    {
        w = new Poisoned<ManagedWindow>(200, 100);
        root = new Poisoned<CContainerUI>;
        root->SetDelayedDestroy(false);
        p = new Poisoned<LogUI>("p", &log);
        root->Add(p);
        w->Attach(root);
        w->Mouse(WM_MOUSEMOVE, 10, 10);
        w->Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON);
        ::SendMessageW(w->hwnd(), WM_KEYDOWN, 'A', 0);
        w->pm().SetTimer(p, 1, 100000);
        w->pm().AddPostPaint(p);
    }
};

TEST(ManagerLifetime, AControlThatOutlivesItsWindowIsDeletedWithoutTouchingIt)
{
    FaultCounter faults;
    Held h;
    ASSERT_EQ(h.p, h.w->pm().GetFocus());
    ASSERT_TRUE(h.w->pm().IsCaptured());
    h.root->SetAutoDestroy(false);
    h.root->Remove(h.p);
    ASSERT_EQ(&h.w->pm(), h.p->GetManager()) << "the control keeps its manager";
    delete h.w;
    EXPECT_TRUE(painttest::PoisonIntact());
    // The manager's pages are given back: reaching it now faults.
    painttest::PoisonRelease();
    delete h.p;
    EXPECT_EQ(0, FaultCounter::s_count) << "a gone manager is no caller fault";
    painttest::PumpMessages();
}

// Asks the window's manager, from the destroy handler of a control deleted with the tree,
// which control has the focus.
CControlUI* g_focusSeen = nullptr;
bool ReadFocus(void* param)
{
    g_focusSeen = static_cast<CControlUI*>(param)->GetManager()->GetFocus();
    return true;
}

TEST(ManagerLifetime, AManagerThatGoesStillForgetsTheControlsItDeletes)
{
    // The focused control is deleted first; the one after it still sees the manager, which
    // must not name the freed control.
    ManagedWindow* w = new ManagedWindow(200, 100);
    CContainerUI* root = new CContainerUI;
    LogUI* first = new Poisoned<LogUI>("first", nullptr);
    LogUI* second = new LogUI("second", nullptr);
    second->destroyHandlers += &ReadFocus;
    root->Add(first);
    root->Add(second);
    w->Attach(root);
    first->SetFocus();
    ASSERT_EQ(first, w->pm().GetFocus());
    g_focusSeen = second;
    delete w;
    EXPECT_EQ(nullptr, g_focusSeen);
    painttest::PumpMessages();
}

DWORD WINAPI DeleteControl(LPVOID p)
{
    delete static_cast<CControlUI*>(p);
    return 0;
}

TEST(ManagerLifetime, AControlDeletedOnAnotherThreadIsReported)
{
    FaultCounter faults;
    ManagedWindow w(200, 100);
    LogUI* p = new LogUI("p", nullptr);
    p->SetManager(&w.pm(), NULL, false);
    HANDLE hThread = ::CreateThread(NULL, 0, DeleteControl, p, 0, NULL);
    ASSERT_TRUE(hThread != NULL);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hThread, INFINITE));
    ::CloseHandle(hThread);
    EXPECT_EQ(1, FaultCounter::s_count);

    // On the manager's own thread it is no fault.
    LogUI* q = new LogUI("q", nullptr);
    q->SetManager(&w.pm(), NULL, false);
    delete q;
    EXPECT_EQ(1, FaultCounter::s_count);
    painttest::PumpMessages();
}

// ---- notifications whose sender goes ----

struct Deleter {
    static CContainerUI* s_root;
    static CControlUI* s_victim;
    static bool Run(void*)
    {
        if (s_victim != nullptr) s_root->Remove(s_victim);
        s_victim = nullptr;
        return true;
    }
};
CContainerUI* Deleter::s_root = nullptr;
CControlUI* Deleter::s_victim = nullptr;

class DeletingNotifier : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (msg.type == L"go") Deleter::Run(nullptr);
    }
};

TEST(NotifyLifetime, NoReceiverIsToldOfASenderThatWent)
{
    // The sender is deleted by its own handler or by the first notifier; the notifier after
    // them reads the sender's name, which faults on the wiped object. A queued notification
    // of another control still arrives after it: only the manager's going ends a run.
    struct Row {
        const char* what;
        bool inOwnHandler;
        bool async;
    } rows[] = {
        { "own handler, sent", true, false },
        { "own handler, queued", true, true },
        { "first notifier, sent", false, false },
        { "first notifier, queued", false, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ManagedWindow w(200, 100);
        EventLog log;
        CContainerUI* root = new CContainerUI;
        root->SetDelayedDestroy(false);
        LogUI* sender = new Poisoned<LogUI>("sender", nullptr);
        LogUI* other = new LogUI("other", nullptr);
        root->Add(sender);
        root->Add(other);
        w.Attach(root);
        DeletingNotifier deleting;
        NotifyLog reading(&log);
        if (r.inOwnHandler)
            sender->notifyHandlers += &Deleter::Run;
        else
            w.pm().AddNotifier(&deleting);
        w.pm().AddNotifier(&reading);
        Deleter::s_root = root;
        Deleter::s_victim = sender;

        if (r.async) {
            w.pm().SendNotify(sender, L"go", 0, 0, true);
            w.pm().SendNotify(other, L"after", 0, 0, true);
            ::SendMessageW(w.hwnd(), WM_NULL, 0, 0);
        } else {
            TNotifyUI msg{};
            msg.sender = sender;
            msg.type = L"go";
            EXPECT_FALSE(w.pm().SendNotify(msg)) << "the sender must not go on";
            EXPECT_EQ(nullptr, msg.sender);
            EXPECT_TRUE(w.pm().SendNotify(other, L"after"));
        }
        EXPECT_EQ(nullptr, Deleter::s_victim) << "the sender was deleted";
        EXPECT_EQ("after:other", log.Joined());
        EXPECT_TRUE(painttest::PoisonIntact());
        w.pm().RemoveNotifier(&reading);
        w.pm().RemoveNotifier(&deleting);
    }
}

// ---- what reaping leaves to the window ----

// Records the messages named below that reach the paint window and its tool tip, and
// whether a control's destructor was running then.
struct Watch {
    static bool s_inDestructor;
    static std::vector<std::string> s_seen;
    static WNDPROC s_windowProc;
    static WNDPROC s_tipProc;
    static void Note(const char* what) { s_seen.push_back(std::string(what) + (s_inDestructor ? ":inside" : ":after")); }
    static LRESULT CALLBACK Window(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == WM_CAPTURECHANGED) Note("capturechanged");
        // The system's own leave (the real cursor is elsewhere) would end the hover itself.
        if (uMsg == WM_MOUSELEAVE) return 0;
        return ::CallWindowProcW(s_windowProc, hwnd, uMsg, wParam, lParam);
    }
    static LRESULT CALLBACK Tip(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        if (uMsg == TTM_TRACKACTIVATE && wParam == FALSE) Note("tipoff");
        return ::CallWindowProcW(s_tipProc, hwnd, uMsg, wParam, lParam);
    }
    static bool Entered(void*)
    {
        s_inDestructor = true;
        return true;
    }
};
bool Watch::s_inDestructor = false;
std::vector<std::string> Watch::s_seen;
WNDPROC Watch::s_windowProc = nullptr;
WNDPROC Watch::s_tipProc = nullptr;

TEST(ReapingLifetime, CaptureAndTipAreReleasedAfterTheDestructor)
{
    struct Row {
        const char* what;
        const char* expected;
        void (*hold)(ManagedWindow&);
    } rows[] = {
        { "pressed", "capturechanged:after",
          [](ManagedWindow& w) { w.Mouse(WM_LBUTTONDOWN, 10, 10, MK_LBUTTON); } },
        { "hovered with its tip shown", "tipoff:after",
          [](ManagedWindow& w) {
              w.Mouse(WM_MOUSEMOVE, 10, 10);
              w.Mouse(WM_MOUSEHOVER, 10, 10);
          } },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ManagedWindow w(200, 100);
        CContainerUI* root = new CContainerUI;
        root->SetDelayedDestroy(false);
        LogUI* p = new LogUI("p", nullptr);
        p->SetToolTip(L"tip");
        root->Add(p);
        w.Attach(root);
        Watch::s_windowProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Watch::Window)));
        r.hold(w);
        painttest::PumpMessages();
        Watch::s_seen.clear();
        HWND hTip = w.pm().GetTooltipWindow();
        if (hTip != NULL)
            Watch::s_tipProc = reinterpret_cast<WNDPROC>(
                ::SetWindowLongPtrW(hTip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Watch::Tip)));

        p->destroyHandlers += &Watch::Entered;
        root->Remove(p);
        Watch::s_inDestructor = false;
        EXPECT_TRUE(Watch::s_seen.empty()) << "nothing is sent while the control goes";
        EXPECT_FALSE(w.pm().IsCaptured()) << "the manager holds no capture from then on";
        painttest::PumpMessages();
        ASSERT_EQ(1u, Watch::s_seen.size());
        EXPECT_EQ(r.expected, Watch::s_seen[0]);
        EXPECT_NE(w.hwnd(), ::GetCapture());
        EXPECT_FALSE(w.pm().IsCaptured());

        if (hTip != NULL) ::SetWindowLongPtrW(hTip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch::s_tipProc));
        ::SetWindowLongPtrW(w.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch::s_windowProc));
    }
}

} // namespace
