#include <windows.h>
#include <string>
#include <vector>
#include <gtest/gtest.h>
#include "core/ButtonUI.h"
#include "controls/EditUI.h"
#include "BasicTestUtil.h"

using namespace SkinUI;
using basictest::HostWindow;
using basictest::Make;
using basictest::Root;

namespace {

// Moves the focus to its target once, from the old focus's "killfocus" notification or from
// its kill-focus event, and records every focus notification as "type:name".
class Redirect : public INotifyUI {
public:
    CControlUI* from = nullptr;
    CControlUI* to = nullptr;
    bool armed = false;
    std::vector<std::string> log;

    void Notify(TNotifyUI& msg) override
    {
        if (msg.type != L"setfocus" && msg.type != L"killfocus") return;
        log.push_back(std::string(msg.type == L"setfocus" ? "setfocus:" : "killfocus:") +
                      (msg.sender != NULL ? Name(msg.sender) : "?"));
        if (msg.type == L"killfocus" && msg.sender == from) Fire();
    }
    bool OnEvent(void* param)
    {
        if (static_cast<TEventUI*>(param)->type == UIEVENT_KILLFOCUS) Fire();
        return true;
    }
    int Count(const std::string& entry) const
    {
        int n = 0;
        for (const std::string& e : log) n += e == entry ? 1 : 0;
        return n;
    }

private:
    static std::string Name(CControlUI* p)
    {
        const std::wstring name(p->GetName().GetData());
        return std::string(name.begin(), name.end());
    }
    void Fire()
    {
        if (!armed) return;
        armed = false;
        to->SetFocus();
    }
};

TEST(FocusMove, AMoveMadeByTheOldFocusHandlersWins)
{
    // The focus moves from a to b by a click on b; while a is told, its handler focuses x.
    // Then x is the one focus, and it hears of the loss when the focus moves on to o.
    struct Row {
        const char* what;
        bool edit;         // x is an edit, which holds a native window while focused
        bool fromEvent;    // x is focused by a's kill-focus event, else by its notification
    } rows[] = {
        { "button, from the notifier", false, false },
        { "edit, from the notifier", true, false },
        { "button, from the event handler", false, true },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        HostWindow win;
        CButtonUI* a = Make<CButtonUI>(L"name=\"a\" float=\"true\" pos=\"0,0,40,30\"");
        CButtonUI* b = Make<CButtonUI>(L"name=\"b\" float=\"true\" pos=\"50,0,90,30\"");
        CButtonUI* o = Make<CButtonUI>(L"name=\"o\" float=\"true\" pos=\"0,40,40,70\"");
        CControlUI* x = r.edit ? static_cast<CControlUI*>(Make<CEditUI>(L"name=\"x\" float=\"true\" pos=\"100,0,190,30\""))
                               : Make<CButtonUI>(L"name=\"x\" float=\"true\" pos=\"100,0,190,30\"");
        win.Open(Root({ a, b, o, x }), 200, 80);
        Redirect redirect;
        redirect.from = a;
        redirect.to = x;
        win.pm().AddNotifier(&redirect);
        if (r.fromEvent) a->eventHandlers += CDelegate<Redirect, Redirect>(&redirect, &Redirect::OnEvent);
        a->SetFocus();
        ASSERT_EQ(a, win.pm().GetFocus());
        redirect.log.clear();
        redirect.armed = true;

        win.Click(70, 15);
        EXPECT_FALSE(redirect.armed);
        EXPECT_EQ(x, win.pm().GetFocus()) << "the nested move wins";
        for (CControlUI* c : std::vector<CControlUI*>{ a, b, o, x })
            EXPECT_EQ(c == x, c->IsFocused()) << "only the manager's focus says it is focused";
        EXPECT_EQ(1, redirect.Count("killfocus:a")) << "the old focus is told once";
        EXPECT_EQ(0, redirect.Count("setfocus:b"));
        CEditUI* edit = r.edit ? static_cast<CEditUI*>(x) : nullptr;
        if (edit != nullptr) {
            ASSERT_NE(nullptr, edit->GetNativeWindow());
            EXPECT_EQ(edit->GetNativeWindow()->GetHWND(), ::GetFocus());
        }

        win.Click(20, 55);
        EXPECT_EQ(o, win.pm().GetFocus());
        EXPECT_FALSE(x->IsFocused());
        EXPECT_EQ(1, redirect.Count("killfocus:x")) << "the focus it was given is taken with a killfocus";
        if (edit != nullptr) {
            EXPECT_EQ(nullptr, edit->GetNativeWindow());
        }
        win.pm().RemoveNotifier(&redirect);
    }
}

} // namespace
