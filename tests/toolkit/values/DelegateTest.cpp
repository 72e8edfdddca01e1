#include "core/Delegate.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using SkinUI::CDelegate;
using SkinUI::CDelegateBase;
using SkinUI::CDelegateStatic;
using SkinUI::CEventSource;

namespace {

std::string g_calls; // which handlers ran, in order

bool A(void*)
{
    g_calls += "A";
    return true;
}
bool B(void*)
{
    g_calls += "B";
    return false;
}
bool C(void*)
{
    g_calls += "C";
    return true;
}
bool Tag(void* p)
{
    g_calls += static_cast<const char*>(p);
    return true;
}

struct Counter {
    int hits = 0;
    bool result = true;
    bool On(void*)
    {
        ++hits;
        return result;
    }
    bool Other(void*) { return true; }
};

TEST(EventSource, SubscriptionTable)
{
    typedef bool (*Fn)(void*);
    const struct {
        const char* name;
        std::vector<Fn> added, removed;
        bool result;
        const char* calls;
    } cases[] = {
        { "empty", {}, {}, true, "" },
        { "same function twice", { A, A }, {}, true, "A" },
        { "added twice removed once", { A, A }, { A }, true, "" },
        { "stops at the first false", { A, B, C }, {}, false, "AB" },
        { "removed from the middle", { A, B, C }, { B }, true, "AC" },
        { "removing an absent one", { A }, { C }, true, "A" },
        { "null function", { nullptr, A }, { nullptr }, true, "A" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CEventSource src;
        for (Fn f : c.added) src += f;
        for (Fn f : c.removed) src -= f;
        g_calls.clear();
        EXPECT_EQ(c.result, src(nullptr));
        EXPECT_EQ(c.calls, g_calls);
        EXPECT_EQ(*c.calls != '\0' || !c.result, static_cast<bool>(src));
    }
}

TEST(EventSource, PassesTheParameter)
{
    CEventSource src;
    src += Tag;
    g_calls.clear();
    char text[] = "xyz";
    EXPECT_TRUE(src(text));
    EXPECT_EQ("xyz", g_calls);
}

TEST(EventSource, MemberDelegatesAreToldApartByObjectAndFunction)
{
    Counter one, two;
    CEventSource src;
    src += CDelegate<Counter, Counter>(&one, &Counter::On);
    src += CDelegate<Counter, Counter>(&two, &Counter::On);
    src += CDelegate<Counter, Counter>(&one, &Counter::On);
    src += CDelegate<Counter, Counter>(&one, &Counter::Other);
    EXPECT_TRUE(src(nullptr));
    EXPECT_EQ(1, one.hits);
    EXPECT_EQ(1, two.hits);

    src -= CDelegate<Counter, Counter>(&two, &Counter::On);
    two.result = false;
    EXPECT_TRUE(src(nullptr));
    EXPECT_EQ(2, one.hits);
    EXPECT_EQ(1, two.hits);

    const CDelegate<Counter, Counter> d(&one, &Counter::On);
    EXPECT_TRUE(d.Equals(CDelegate<Counter, Counter>(&one, &Counter::On)));
    EXPECT_FALSE(d.Equals(CDelegate<Counter, Counter>(&two, &Counter::On)));
    EXPECT_FALSE(d.Equals(CDelegate<Counter, Counter>(&one, &Counter::Other)));
    EXPECT_FALSE(d.Equals(CDelegateStatic(A)));
}

// A handler in a second base sits at a non-zero offset inside the object: its member
// pointer carries a this-adjustment that must survive the delegate.
struct Padding {
    virtual ~Padding() {}
    int pad[5] = { 1, 2, 3, 4, 5 };
};

struct Handler {
    Handler* seen = nullptr;
    bool OnPlain(void*)
    {
        seen = this;
        return true;
    }
    virtual bool OnVirtual(void*)
    {
        seen = this;
        return false;
    }
    virtual ~Handler() {}
};

struct Window : Padding, Handler {
    int overridden = 0;
    bool OnVirtual(void*) override
    {
        ++overridden;
        return true;
    }
};

TEST(Delegate, TargetsInABaseAtAnOffset)
{
    Window w;
    Handler* const base = &w;
    ASSERT_NE(static_cast<void*>(&w), static_cast<void*>(base));

    CDelegate<Window, Handler> plain(&w, &Handler::OnPlain);
    EXPECT_TRUE(plain(nullptr));
    EXPECT_EQ(base, w.seen);

    w.seen = nullptr;
    bool (Window::*adjusted)(void*) = &Handler::OnPlain;
    CDelegate<Window, Window> viaDerived(&w, adjusted);
    EXPECT_TRUE(viaDerived(nullptr));
    EXPECT_EQ(base, w.seen);

    CDelegate<Window, Handler> virt(&w, &Handler::OnVirtual);
    CDelegateBase* copy = virt.Copy();
    EXPECT_TRUE((*copy)(nullptr));
    EXPECT_EQ(1, w.overridden);
    EXPECT_TRUE(copy->Equals(virt));
    delete copy;
}

// Counts live delegate objects, to see which ones the source owns.
struct CountedDelegate : CDelegateStatic {
    static int alive;
    CountedDelegate(Fn f) : CDelegateStatic(f) { ++alive; }
    CountedDelegate(const CountedDelegate& rhs) : CDelegateStatic(rhs) { ++alive; }
    ~CountedDelegate() override { --alive; }
    CDelegateBase* Copy() const override { return new CountedDelegate(*this); }
};
int CountedDelegate::alive = 0;

TEST(EventSource, OwnsOnlyItsCopies)
{
    CountedDelegate::alive = 0;
    {
        const CountedDelegate a(A), c(C);
        {
            CEventSource src;
            src += a;
            src += a;
            src += c;
            EXPECT_EQ(4, CountedDelegate::alive);
            {
                CEventSource copy(src);
                EXPECT_EQ(6, CountedDelegate::alive);
                copy -= c;
                EXPECT_EQ(5, CountedDelegate::alive);
                g_calls.clear();
                copy(nullptr);
                EXPECT_EQ("A", g_calls);
            }
            EXPECT_EQ(4, CountedDelegate::alive);
            src -= a;
            EXPECT_EQ(3, CountedDelegate::alive);
        }
        EXPECT_EQ(2, CountedDelegate::alive);
    }
    EXPECT_EQ(0, CountedDelegate::alive);
}

// Handlers that change the list while it is being called.
CEventSource* g_source = nullptr;
bool RemovesItself(void*)
{
    g_calls += "R";
    *g_source -= RemovesItself;
    return true;
}
bool RemovesC(void*)
{
    g_calls += "X";
    *g_source -= C;
    return true;
}
bool RemovesAll(void*)
{
    g_calls += "Z";
    *g_source -= A;
    *g_source -= RemovesAll;
    *g_source -= C;
    return true;
}
bool AddsC(void*)
{
    g_calls += "+";
    *g_source += C;
    return true;
}

TEST(EventSource, HandlersMayChangeTheListDuringACall)
{
    typedef bool (*Fn)(void*);
    const struct {
        const char* name;
        std::vector<Fn> added;
        const char* first;
        const char* second;
    } cases[] = {
        { "removes itself", { A, RemovesItself }, "AR", "A" },
        { "removes a later one", { A, RemovesC, C }, "AX", "AX" },
        { "removes every one", { A, RemovesAll, C }, "AZ", "" },
        { "adds one", { AddsC, A }, "+AC", "+AC" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CEventSource src;
        g_source = &src;
        for (Fn f : c.added) src += f;
        g_calls.clear();
        EXPECT_TRUE(src(nullptr));
        EXPECT_EQ(c.first, g_calls);
        g_calls.clear();
        EXPECT_TRUE(src(nullptr));
        EXPECT_EQ(c.second, g_calls);
    }
    g_source = nullptr;
}

} // namespace
