// The watcher's view of the updater: by its handle when there is one, else by its id.
#include <gtest/gtest.h>

#include <thread>

#include "LoaderWatch.h"

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
    bool ended = false;
    std::thread ender([&] {
        ::Sleep(300);
        ended = true;
        ::TerminateProcess(process.get(), 0);
    });
    WaitForLoader(watch);
    EXPECT_TRUE(ended);
    ender.join();
}

} // namespace
