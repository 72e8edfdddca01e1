// The launcher's road from its switches to the host notification, run as real programs:
// the launcher with the page replaced by a script (LoginRoad.exe), the real Login.exe, a
// stand-in updater (ZelLoader.exe) and a host window in this test process.
#include "RoadSupport.h"

#include <algorithm>

#include "LoginUrl.h"

namespace {

using namespace road;

TEST(LauncherRoad, AppLoginStartsTheUpdaterAndNotifiesTheHostOnceItHasGone)
{
    CaseFolder folder(L"applogin");
    folder.Copy(L"LoginRoad.exe");
    folder.Copy(L"ZelLoader.exe");
    folder.CopySkin();
    const std::string page = "http://127.0.0.1:8123/login.html";
    folder.SetSetting("URL", "game_url", page);
    const char* const placements[][5] = { { "Webpos", "10", "40", "780", "520" },
                                          { "Minpos", "740", "5", "24", "24" },
                                          { "Clospos", "770", "5", "24", "24" } };
    const char* const keys[] = { "x", "y", "w", "h" };
    for (const auto& placement : placements)
        for (int i = 0; i < 4; ++i) folder.SetSetting(placement[0], keys[i], placement[i + 1]);
    folder.Script("AppLogin", R"({"uid":"5","time":170,"callback_info":"x y"})");
    folder.Touch(L"linger");
    // Counts the launcher's children still running when the notice comes.
    HostWindow host(true);

    Child launcher(folder.File(L"LoginRoad.exe"),
                   host.Switch() + L" --token=t --source=s --serverid=1 --fcext=x --fileparam=f", folder.Path());
    ASSERT_TRUE(launcher.Started());
    ASSERT_TRUE(WaitFor(folder.File(L"loader-args.txt"))) << "the updater was not started";

    // The page: its address, its place in the dialog (as the browser moved it) and no script
    // error boxes; the file parameter is kept for later starts.
    const std::vector<std::wstring> browser = Lines(folder.File(L"browser.log"));
    const std::vector<std::wstring> expected = { L"Left 10",
                                                 L"Top 40",
                                                 L"Width 780",
                                                 L"Height 520",
                                                 L"Navigate " + FromUtf8(page) +
                                                     L"?token=t&source=s&serverid=1&fcext=x&fileparam=f",
                                                 L"Silent -1" };
    auto at = browser.begin();
    for (const std::wstring& line : expected) {
        at = std::find(at, browser.end(), line);
        ASSERT_NE(browser.end(), at) << "missing or out of order: " << std::string(line.begin(), line.end());
    }
    EXPECT_EQ(1u, Count(browser, L"Navigate "));
    EXPECT_EQ("10 40 790 560", ReadFile(folder.File(L"place.txt")));
    EXPECT_EQ("f", folder.Setting("URL", "fileparam"));

    const std::wstring commandLine = FromUtf8(ReadFile(folder.File(L"loader-args.txt")));
    const std::wstring url = FromUtf8(LoginBaseAddress()) +
                             L"&uid=5&platform=&gkey=&server_id=&time=170&vip_level=&is_adult="
                             L"&type=&callback_info=x%20y&sign=";
    const std::vector<std::wstring> argv = SplitCommandLine(commandLine);
    ASSERT_EQ(2u, argv.size()) << std::string(commandLine.begin(), commandLine.end());
    EXPECT_EQ(0, _wcsicmp(argv[0].c_str(), folder.File(L"ZelLoader.exe").c_str()));
    EXPECT_EQ(url, argv[1]);

    // While the updater runs: both windows hidden (right after the start), the launcher
    // waiting, the host untold: the notice comes only once the updater has gone.
    EXPECT_TRUE(launcher.WaitForNoVisibleWindow()) << launcher.VisibleWindows();
    EXPECT_TRUE(launcher.Running());
    EXPECT_TRUE(host.Notices().empty());

    folder.Touch(L"release");
    EXPECT_EQ(0u, launcher.Wait());
    const std::vector<HostWindow::Notice> notices = host.Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ(0, notices[0].senderChildren) << "the host was told while the updater ran";
    EXPECT_EQ(1u, notices[0].kind);
    EXPECT_EQ(L"#32770", notices[0].senderClass);
    EXPECT_EQ(launcher.Id(), notices[0].senderProcess);
    EXPECT_EQ(ExpectedRecord(), notices[0].bytes);
}

TEST(LauncherRoad, NavigationEventsOfThePage)
{
    struct Case {
        const char* name;
        const char* event;
        const char* url;
        const char* cancel; // the flag the dialog left
        const char* shell;  // what reached the system's browser
    } cases[] = {
        { "nav-plain", "BeforeNavigate2", "http://127.0.0.1/other.html", "0", "" },
        { "nav-nobar", "BeforeNavigate2", "app://loadgame", "1", "" },
        { "nav-nomarker", "BeforeNavigate2", "APP://LOADGAME|abc|", "0", "" },
        { "new-http", "NewWindow3", "http://127.0.0.1/help.html", "1", "http://127.0.0.1/help.html\n" },
        { "new-https", "NewWindow3", "HTTPS://127.0.0.1/a", "1", "HTTPS://127.0.0.1/a\n" },
        { "new-file", "NewWindow3", "file:///C:/windows/notepad.exe", "1", "" },
        { "new-path", "NewWindow3", "C:\\windows\\notepad.exe", "1", "" },
        { "new-script", "NewWindow3", "javascript:;", "1", "" },
    };
    for (const Case& c : cases) {
        CaseFolder folder(FromUtf8(c.name));
        folder.Copy(L"LoginRoad.exe");
        folder.Copy(L"ZelLoader.exe");
        folder.Script(c.event, c.url);
        std::ofstream(folder.File(L"road.txt").c_str(), std::ios::app) << "Close\n";
        HostWindow host;
        Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
        ASSERT_TRUE(launcher.Started());
        EXPECT_EQ(0u, launcher.Wait()) << c.name;
        EXPECT_EQ(c.cancel, ReadFile(folder.File(L"cancel.txt"))) << c.name;
        EXPECT_EQ(c.shell, ReadFile(folder.File(L"shell.log"))) << c.name;
        // Nothing was started: the page stayed until the close button.
        EXPECT_FALSE(Exists(folder.File(L"loader-args.txt"))) << c.name;
        EXPECT_EQ(1u, host.Notices().size()) << c.name;
    }
}

TEST(LauncherRoad, AnErrorPageLoadsThePageAgainAfterAPause)
{
    CaseFolder folder(L"nav-error");
    folder.Copy(L"LoginRoad.exe");
    folder.SetSetting("URL", "game_url", "http://127.0.0.1:9/login.html");
    folder.Script("BeforeNavigate2", "res://ieframe.dll/dnserror.htm#http://127.0.0.1:9/login.html");
    Child launcher(folder.File(L"LoginRoad.exe"), L"--token=t", folder.Path());
    ASSERT_TRUE(launcher.Started());
    ASSERT_TRUE(WaitFor(folder.File(L"cancel.txt")));
    EXPECT_EQ("0", ReadFile(folder.File(L"cancel.txt")));
    ASSERT_TRUE(WaitForLines(folder.File(L"browser.log"), L"Navigate ", 2));
    const std::vector<std::wstring> browser = Lines(folder.File(L"browser.log"));
    const std::wstring page = L"Navigate http://127.0.0.1:9/login.html?token=t&source=&serverid=&fcext=&fileparam=";
    EXPECT_EQ(2u, Count(browser, page));
    PressClose(folder);
    EXPECT_EQ(0u, launcher.Wait());
}

TEST(LauncherRoad, EnterAndEscapeReachThePageAndCloseNothing)
{
    CaseFolder folder(L"keys");
    folder.Copy(L"LoginRoad.exe");
    folder.Script("Keys");
    HostWindow host;
    Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
    ASSERT_TRUE(launcher.Started());
    ASSERT_TRUE(WaitForLines(folder.File(L"browser.log"), L"Key 257 27", 1));
    ::Sleep(300);
    EXPECT_TRUE(launcher.Running());
    EXPECT_GT(launcher.VisibleWindows(), 1);
    const std::vector<std::wstring> browser = Lines(folder.File(L"browser.log"));
    for (const wchar_t* line : { L"Key 256 13", L"Key 257 13", L"Key 256 27", L"Key 257 27", L"PageKeyDown 13" })
        EXPECT_EQ(1u, Count(browser, line)) << std::string(line, line + wcslen(line));
    // Escape is the dialog's to drop; Enter goes on to the page.
    EXPECT_EQ(0u, Count(browser, L"PageKeyDown 27"));
    PressClose(folder);
    EXPECT_EQ(0u, launcher.Wait());
    EXPECT_EQ(1u, host.Notices().size());
}

TEST(LauncherRoad, AnotherStartWhileTheUpdaterRunsStartsNothingMore)
{
    // Each of the page's three starts made right after the login start.
    const char* const thens[][2] = { { "Again", "" },
                                     { "LoadGame", "abc" },
                                     { "BeforeNavigate2", "app://loadgame|abc|" } };
    for (const auto& then : thens) {
        CaseFolder folder(L"applogin-then-" + FromUtf8(then[0]));
        folder.Copy(L"LoginRoad.exe");
        folder.Copy(L"ZelLoader.exe");
        folder.Script("AppLogin", R"({"uid":"5"})");
        std::ofstream(folder.File(L"road.txt").c_str(), std::ios::app) << then[0] << "\n" << then[1] << "\n";
        folder.Touch(L"linger");
        HostWindow host(true);

        Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
        ASSERT_TRUE(launcher.Started());
        ASSERT_TRUE(WaitFor(folder.File(L"loader-args.txt"))) << "the updater was not started";
        EXPECT_TRUE(launcher.Running()) << then[0];
        EXPECT_TRUE(host.Notices().empty()) << then[0];

        folder.Touch(L"release");
        EXPECT_EQ(0u, launcher.Wait()) << then[0];
        EXPECT_EQ("start\n", ReadFile(folder.File(L"starts.log"))) << then[0];
        const std::vector<HostWindow::Notice> notices = host.Notices();
        ASSERT_EQ(1u, notices.size()) << then[0];
        // Told once the updater had gone: the later start neither ended the wait nor added one.
        EXPECT_EQ(0, notices[0].senderChildren) << then[0];
    }
}

TEST(LauncherRoad, WithoutAHostWindowTheLauncherStillEndsAfterTheUpdater)
{
    const wchar_t* const switches[] = { L"--winid=0 --token=t", L"--token=t" };
    int index = 0;
    for (const wchar_t* arguments : switches) {
        CaseFolder folder(L"nohost" + std::to_wstring(index++));
        folder.Copy(L"LoginRoad.exe");
        folder.Copy(L"ZelLoader.exe");
        folder.Script("AppLogin", R"({"uid":"5"})");
        Child launcher(folder.File(L"LoginRoad.exe"), arguments, folder.Path());
        ASSERT_TRUE(launcher.Started());
        EXPECT_EQ(0u, launcher.Wait()) << std::string(arguments, arguments + wcslen(arguments));
        EXPECT_TRUE(Exists(folder.File(L"loader-args.txt")));
    }
}

TEST(LauncherRoad, LoadGameStartsTheUpdaterInTheCurrentFolderAndEndsWithoutNotice)
{
    CaseFolder folder(L"loadgame");
    folder.Copy(L"LoginRoad.exe");
    folder.Copy(L"ZelLoader.exe");
    folder.Script("LoadGame", "abc def");
    HostWindow host;
    Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
    ASSERT_TRUE(launcher.Started());
    EXPECT_EQ(0u, launcher.Wait());
    ASSERT_TRUE(WaitFor(folder.File(L"loader-args.txt")));
    const std::vector<std::wstring> argv = SplitCommandLine(FromUtf8(ReadFile(folder.File(L"loader-args.txt"))));
    ASSERT_EQ(3u, argv.size());
    EXPECT_EQ(L"abc", argv[1]);
    EXPECT_EQ(L"def", argv[2]);
    EXPECT_TRUE(host.Notices().empty());
}

TEST(LauncherRoad, CloseButtonKeepsTheFileParameterAndNotifiesTheHost)
{
    CaseFolder folder(L"fileparam");
    folder.Copy(L"LoginRoad.exe");
    folder.SetSetting("URL", "game_url", "http://page/login");
    HostWindow host;
    struct Step {
        const wchar_t* switches;
        const char* page;
    } steps[] = {
        { L" --token=t --fileparam=abc", "http://page/login?token=t&source=&serverid=&fcext=&fileparam=abc" },
        // Without the switch the value stored by the earlier start is used.
        { L" --source=s", "http://page/login?token=&source=s&serverid=&fcext=&fileparam=abc" },
    };
    size_t expectedNotices = 0;
    for (const Step& step : steps) {
        folder.Script("Close");
        Child launcher(folder.File(L"LoginRoad.exe"), host.Switch() + step.switches, folder.Path());
        ASSERT_TRUE(launcher.Started());
        EXPECT_EQ(0u, launcher.Wait());
        EXPECT_EQ(step.page, ReadFile(folder.File(L"page.txt")));
        EXPECT_EQ("abc", folder.Setting("URL", "fileparam"));
        const std::vector<HostWindow::Notice> notices = host.Notices();
        ASSERT_EQ(++expectedNotices, notices.size());
        EXPECT_EQ(ExpectedRecord(), notices.back().bytes);
        EXPECT_EQ(launcher.Id(), notices.back().senderProcess);
    }
}

TEST(LauncherRoad, WithoutSettingsThePageAddressStartsWithTheQuery)
{
    CaseFolder folder(L"nosettings");
    folder.Copy(L"LoginRoad.exe");
    ::DeleteFileW(folder.File(L"ZelLogin.ini").c_str());
    folder.Script("Close");
    Child launcher(folder.File(L"LoginRoad.exe"), L"--token=t --serverid=2", folder.Path());
    ASSERT_TRUE(launcher.Started());
    EXPECT_EQ(0u, launcher.Wait());
    EXPECT_EQ("?token=t&source=&serverid=2&fcext=&fileparam=", ReadFile(folder.File(L"page.txt")));
}

TEST(LauncherRoad, AHungHostDoesNotHoldTheLauncher)
{
    CaseFolder folder(L"hunghost");
    folder.Copy(L"LoginRoad.exe");
    folder.Script("Close");
    HostWindow host;
    host.Freeze();
    Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
    ASSERT_TRUE(launcher.Started());
    // The host stays hung until the launcher has ended: the notice is given up after its
    // bound, and the launcher ends as it would have after a notice.
    EXPECT_EQ(0u, launcher.Wait(kHostAnswerBoundMs + 90000));
    host.Thaw();
    // A notice left queued would be taken before the host settles.
    ASSERT_TRUE(host.Settle());
    EXPECT_TRUE(host.Notices().empty());
}

TEST(LauncherRoad, SystemMenuCloseNotifiesFromTheBackWindowOnly)
{
    struct Case {
        const char* call;
        size_t notices;
    } cases[] = { { "BackSysClose", 1 }, { "ForeSysClose", 0 } };
    for (const Case& c : cases) {
        CaseFolder folder(FromUtf8(c.call));
        folder.Copy(L"LoginRoad.exe");
        folder.Script(c.call);
        HostWindow host;
        Child launcher(folder.File(L"LoginRoad.exe"), host.Switch(), folder.Path());
        ASSERT_TRUE(launcher.Started());
        EXPECT_EQ(0u, launcher.Wait()) << c.call;
        const std::vector<HostWindow::Notice> notices = host.Notices();
        ASSERT_EQ(c.notices, notices.size()) << c.call;
        // The notice names the fore dialog even when the back window sends it.
        if (!notices.empty()) {
            EXPECT_EQ(std::to_string(notices[0].sender), ReadFile(folder.File(L"fore.txt")));
        }
    }
}

TEST(LauncherRoad, SecondStartWithTheSameNameEndsAtOnce)
{
    CaseFolder first(L"single-a");
    first.Copy(L"Login.exe");
    Child running(first.File(L"Login.exe"), L"--token=t", first.Path());
    ASSERT_TRUE(running.Started());
    ASSERT_TRUE(running.WaitForWindow());

    Child second(first.File(L"Login.exe"), L"--token=t", first.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(0u, second.Wait(30000));
    EXPECT_TRUE(running.Running());

    // Another folder's settings name another launcher, which runs beside the first.
    CaseFolder other(L"single-b");
    other.Copy(L"Login.exe");
    Child beside(other.File(L"Login.exe"), L"", other.Path());
    ASSERT_TRUE(beside.Started());
    EXPECT_TRUE(beside.WaitForWindow());
    EXPECT_TRUE(running.Running());
}

} // namespace
