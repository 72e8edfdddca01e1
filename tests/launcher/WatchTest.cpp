// The watcher's view of the updater (by its handle when there is one, else by its id) and
// the notice it leaves with the host window.
#include <gtest/gtest.h>

#include <thread>

#include "HostNotification.h"
#include "LoaderWatch.h"
#include "RoadPrograms.h"

namespace {

// A suspended copy of this test program: a process that runs until it is ended.
UniqueHandle StartIdleProcess(DWORD* id)
{
    wchar_t path[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring commandLine = L"\"" + std::wstring(path) + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(path, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                          &info))
        return UniqueHandle();
    ::CloseHandle(info.hThread);
    *id = info.dwProcessId;
    return UniqueHandle(info.hProcess);
}

TEST(LoaderWatch, RunningIsAskedOfTheHandleOrOfTheProcessList)
{
    DWORD id = 0;
    UniqueHandle process = StartIdleProcess(&id);
    ASSERT_TRUE(process);
    EXPECT_EQ(id, ChildProcessId(process.get()));

    LoaderWatch byHandle;
    byHandle.process.reset(::OpenProcess(SYNCHRONIZE, FALSE, id));
    LoaderWatch byId;
    byId.processId = id;
    EXPECT_TRUE(IsLoaderRunning(byHandle));
    EXPECT_TRUE(IsLoaderRunning(byId));
    for (DWORD none : { 0ul, 0xFFFFFFFFul }) {
        LoaderWatch unknown;
        unknown.processId = none;
        EXPECT_FALSE(IsLoaderRunning(unknown)) << none;
    }

    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 10000);
    EXPECT_FALSE(IsLoaderRunning(byHandle));
    // The id leaves the list once the last handle to the process has gone.
    process.reset();
    byHandle.process.reset();
    EXPECT_FALSE(IsLoaderRunning(byId));
}

TEST(LoaderWatch, WaitReturnsOnceTheUpdaterHasGone)
{
    DWORD id = 0;
    UniqueHandle process = StartIdleProcess(&id);
    ASSERT_TRUE(process);
    LoaderWatch watch;
    watch.process.reset(::OpenProcess(SYNCHRONIZE, FALSE, id));
    std::thread ender([&] {
        // Mostly the wait has begun by then; whenever it began, it must not end before this.
        ::Sleep(300);
        ::TerminateProcess(process.get(), 0);
    });
    WaitForLoader(watch);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(process.get(), 0))
        << "the wait returned while the updater ran";
    ender.join();
}

TEST(HostNotice, ABusyHostGetsTheNoticeOnceWhenItAnswers)
{
    // Busy for longer than a window is given before it counts as hung (5 s) when the notice
    // comes, so the system refuses it at once and it must be asked again until the host
    // answers, well within the bound. (The system's own measure is a time: a slower machine
    // only lengthens the pause.)
    road::HostWindow host;
    host.Freeze();
    ::Sleep(7000);
    std::thread thaw([&] {
        ::Sleep(3000);
        host.Thaw();
    });
    HWND window = host.Window();
    const bool taken = SendHostNotification(window, nullptr, 60000);
    thaw.join();
    EXPECT_TRUE(taken);
    // A second copy, were one left queued, is taken before the host settles.
    ASSERT_TRUE(host.Settle());
    EXPECT_EQ(1u, host.Notices().size());
}

TEST(HostNotice, AHostHungPastTheBoundOrGoneIsGivenUp)
{
    {
        road::HostWindow host;
        host.Freeze();
        HWND window = host.Window();
        EXPECT_FALSE(SendHostNotification(window, nullptr, 2000));
        // The notice given up is not taken late either.
        host.Thaw();
        ASSERT_TRUE(host.Settle());
        EXPECT_TRUE(host.Notices().empty());
    }
    HWND gone = nullptr;
    {
        road::HostWindow host;
        gone = host.Window();
    }
    // Given up at once: waiting out a ten-minute bound would outlast the test's time limit.
    EXPECT_FALSE(SendHostNotification(gone, nullptr, 600000));
}

} // namespace
