// The launcher's message boxes on its road, answered by the project's message-box driver.
// The driver presses its button in every "#32770" window, and the launcher's own windows
// are dialogs too: it is told to press IDABORT, which ends a message box under Wine and
// means nothing to the launcher's dialogs.
#include "BoxRecord.h"
#include "RoadSupport.h"

namespace {

using namespace road;

struct BoxRun {
    DWORD exitCode = STILL_ACTIVE;
    std::vector<std::wstring> hintTexts; // texts of the boxes captioned "提示", in order
};

BoxRun RunWithBoxDriver(const CaseFolder& folder, const std::wstring& switches)
{
    BoxRun run;
    const std::wstring log = folder.File(L"boxes.log");
    ::DeleteFileW(log.c_str());
    // No trailing backslash before a closing quote: it would escape the quote.
    const std::wstring cwd = folder.Path().substr(0, folder.Path().size() - 1);
    Child driver(BinFolder() + L"msgbox_driver.exe",
                 L"--log \"" + log + L"\" --press 3 --timeout 60 --cwd \"" + cwd + L"\" -- \"" +
                     folder.File(L"LoginRoad.exe") + L"\" " + switches,
                 folder.Path());
    if (!driver.Started()) return run;
    run.exitCode = driver.Wait(90000);
    const boxrecord::Record record = boxrecord::Read(log);
    // A crash under the driver ends quietly with the exception's code: the record names it.
    EXPECT_EQ(std::vector<std::string>(), record.crashes)
        << "LoginRoad.exe " << std::string(switches.begin(), switches.end());
    for (const auto& box : record.Boxes()) {
        if (FromUtf8(box.first) == L"提示") run.hintTexts.push_back(FromUtf8(box.second));
    }
    return run;
}

// The driver is built beside the road's programs: a missing one is a broken build.
void NeedTheDriver()
{
    ASSERT_TRUE(Exists(BinFolder() + L"msgbox_driver.exe")) << "no message-box driver beside the road's programs";
}

TEST(LauncherRoadBoxes, FailedStartsAndTheEmptyLoginAreReported)
{
    ASSERT_NO_FATAL_FAILURE(NeedTheDriver());
    struct Case {
        const wchar_t* name;
        const char* call;
        const char* argument;
        const wchar_t* text;
        size_t notices; // the close button after a call that returned notifies once
        bool loader = false;
    } cases[] = {
        // The login start without an updater ends the launcher without telling the host.
        { L"box-nologin", "AppLogin", R"({"uid":"5"})", L"启动游戏失败！请重新启动", 0 },
        { L"box-emptylogin", "AppLogin", "[]", L"AppLogin返回错误！", 1 },
        { L"box-noloadgame", "LoadGame", "abc", L"启动游戏失败", 1 },
    };
    for (const Case& c : cases) {
        CaseFolder folder(c.name);
        if (c.loader) folder.Copy(L"ZelLoader.exe");
        folder.Copy(L"LoginRoad.exe");
        folder.Script(c.call, c.argument);
        std::ofstream(folder.File(L"road.txt").c_str(), std::ios::app) << "Close\n";
        HostWindow host;
        const BoxRun run = RunWithBoxDriver(folder, host.Switch());
        const std::string where(c.name, c.name + wcslen(c.name));
        EXPECT_EQ(0u, run.exitCode) << where;
        EXPECT_EQ(std::vector<std::wstring>{ c.text }, run.hintTexts) << where;
        EXPECT_EQ(c.notices, host.Notices().size()) << where;
        EXPECT_FALSE(Exists(folder.File(L"loader-args.txt"))) << where;
    }
}

TEST(LauncherRoadBoxes, TheUpdaterAddressShowsTheFolderThenStartsTheUpdater)
{
    ASSERT_NO_FATAL_FAILURE(NeedTheDriver());
    for (bool loader : { true, false }) {
        CaseFolder folder(loader ? L"box-navstart" : L"box-navfail");
        folder.Copy(L"LoginRoad.exe");
        if (loader) folder.Copy(L"ZelLoader.exe");
        folder.Script("BeforeNavigate2", "app://loadgame|abc|def");
        // After a failed start the page stays: the close button ends that run.
        if (!loader) std::ofstream(folder.File(L"road.txt").c_str(), std::ios::app) << "Close\n";
        HostWindow host;
        const BoxRun run = RunWithBoxDriver(folder, host.Switch());
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_LE(1u, run.hintTexts.size());
        EXPECT_EQ(0, _wcsicmp(folder.Path().c_str(), run.hintTexts[0].c_str()));
        if (loader) {
            EXPECT_EQ(1u, run.hintTexts.size());
            ASSERT_TRUE(WaitFor(folder.File(L"loader-args.txt")));
            const std::vector<std::wstring> argv =
                SplitCommandLine(FromUtf8(ReadFile(folder.File(L"loader-args.txt"))));
            ASSERT_EQ(2u, argv.size());
            EXPECT_EQ(L"abc", argv[1]);
            EXPECT_TRUE(host.Notices().empty());
        } else {
            ASSERT_EQ(2u, run.hintTexts.size());
            EXPECT_EQ(0u, run.hintTexts[1].rfind(L"启动游戏失败,错误代码：", 0));
            EXPECT_EQ(1u, host.Notices().size());
            // The browser does not go on to an address it cannot show.
            EXPECT_EQ("1", ReadFile(folder.File(L"cancel.txt")));
        }
    }
}

} // namespace
