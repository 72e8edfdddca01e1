#include <gtest/gtest.h>

#include "framework/Thread.h"

namespace {

struct ThreadSeen {
    HANDLE done = nullptr;
    int priority = -99;
    LPVOID param = nullptr;
    bool hasObject = false;
};

UINT __cdecl Record(LPVOID raw)
{
    auto* seen = static_cast<ThreadSeen*>(raw);
    seen->priority = ::GetThreadPriority(::GetCurrentThread());
    seen->param = raw;
    seen->hasObject = AfxGetThread() != nullptr;
    ::SetEvent(seen->done);
    return 0;
}

UINT __cdecl EndEarly(LPVOID)
{
    AfxEndThread(7);
}

TEST(FrameworkThread, StartsAtOnceAtTheAskedPriorityWithItsParameter)
{
    struct Case {
        int priority;
    } cases[] = { { THREAD_PRIORITY_IDLE }, { THREAD_PRIORITY_NORMAL }, { THREAD_PRIORITY_BELOW_NORMAL } };
    for (const Case& c : cases) {
        ThreadSeen seen;
        seen.done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_NE(nullptr, AfxBeginThread(&Record, &seen, c.priority));
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(seen.done, 10000));
        EXPECT_EQ(c.priority, seen.priority);
        EXPECT_EQ(&seen, seen.param);
        EXPECT_TRUE(seen.hasObject);
        ::CloseHandle(seen.done);
    }
}

TEST(FrameworkThread, EndThreadGivesTheExitCodeAndSuspendedWaits)
{
    CWinThread* thread = AfxBeginThread(&EndEarly, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE; // kept, so that its handle can be waited on
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(thread->m_hThread, 0));
    thread->ResumeThread();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread->m_hThread, 10000));
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(7u, code);
    delete thread;
}

} // namespace
