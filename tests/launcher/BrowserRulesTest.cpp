// The browser dialog's decisions on addresses and keys, and the browser site's answers.
#include <gtest/gtest.h>

#include <string>

#include "NavigationRules.h"
#include "WebBrowser2.h"

namespace {

TEST(BrowserNavigation, BeforeNavigateDecisions)
{
    struct Case {
        const wchar_t* url;
        NavigationAction action;
        const wchar_t* parameters;
    } cases[] = {
        { L"app://loadgame|abc|def", NavigationAction::StartLoader, L"abc" },
        { L"http://page/x#app://loadgame|abc|def", NavigationAction::StartLoader, L"abc" },
        { L"app://loadgame|--server=1 最小化", NavigationAction::StartLoader, L"--server=1 最小化" },
        { L"app://loadgame||x", NavigationAction::StartLoader, L"" },
        // No parameters: nothing starts and the page stays.
        { L"app://loadgame", NavigationAction::StayOnPage, L"" },
        { L"app://loadgame|", NavigationAction::StayOnPage, L"" },
        // An error page of the browser: the page again, also when the marker is there too.
        { L"res://ieframe.dll/dnserror.htm#http://page/", NavigationAction::Reload, L"" },
        { L"res://ieframe.dll/x#app://loadgame|abc|", NavigationAction::Reload, L"" },
        { L"APP://LOADGAME|abc|", NavigationAction::None, L"" },
        { L"http://page/login?token=t", NavigationAction::None, L"" },
        // Shorter than either marker, and the markers cut short at the very end.
        { L"", NavigationAction::None, L"" },
        { L"app://", NavigationAction::None, L"" },
        { L"x app://loadgam", NavigationAction::None, L"" },
        { L"res://ieframe.dl", NavigationAction::None, L"" },
    };
    for (const Case& c : cases) {
        const NavigationDecision decision = DecideBeforeNavigate(c.url);
        const std::string where(c.url, c.url + wcslen(c.url));
        EXPECT_EQ(c.action, decision.action) << where;
        EXPECT_EQ(c.parameters, decision.parameters) << where;
    }
}

TEST(BrowserNavigation, OnlyWebAddressesGoToTheSystemBrowser)
{
    struct Case {
        const wchar_t* url;
        bool opens;
    } cases[] = {
        { L"http://x/", true },
        { L"https://x/a?b", true },
        { L"HTTP://X", true },
        { L"HtTpS://x", true },
        { L"javascript:;", false },
        { L"file:///C:/x.exe", false },
        { L"C:\\windows\\notepad.exe", false },
        { L"\\\\server\\share\\x.exe", false },
        { L"http:x", false },
        { L"", false },
        { L"ftp://x/", false },
        { L" http://x/", false },
    };
    for (const Case& c : cases) EXPECT_EQ(c.opens, OpensInShell(c.url)) << std::string(c.url, c.url + wcslen(c.url));
}

TEST(BrowserNavigation, KeyFiltersSeeKeyboardMessagesOnly)
{
    for (UINT message : { WM_KEYDOWN, WM_KEYUP, WM_CHAR }) EXPECT_TRUE(IsKeyboardMessage(message)) << message;
    for (UINT message : { WM_TIMER, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_SYSKEYDOWN, WM_COMMAND, WM_NULL })
        EXPECT_FALSE(IsKeyboardMessage(message)) << message;
}

// Key states for the accelerator filter: the keys listed are down.
std::wstring g_down;
SHORT WINAPI FakeKeyState(int key)
{
    return g_down.find(static_cast<wchar_t>(key)) != std::wstring::npos ? -128 : 0;
}

TEST(BrowserSite, CtrlOPNAreKeptFromTheBrowser)
{
    struct Case {
        UINT message;
        const wchar_t* down; // VK_CONTROL is 0x11
        HRESULT result;
    } cases[] = {
        { WM_KEYDOWN, L"\x11P", S_OK },
        { WM_KEYDOWN, L"\x11O", S_OK },
        { WM_KEYDOWN, L"\x11N", S_OK },
        { WM_KEYDOWN,
          L"\x11"
          L"F",
          S_FALSE },
        { WM_KEYUP, L"\x11P", S_FALSE },
        { WM_KEYDOWN, L"P", S_FALSE },
        { WM_CHAR, L"\x11N", S_FALSE },
        { WM_KEYDOWN, L"\x11", S_FALSE },
    };
    for (const Case& c : cases) {
        g_down = c.down;
        MSG msg{};
        msg.message = c.message;
        EXPECT_EQ(c.result, FilterBrowserAccelerator(&msg, &FakeKeyState, &FakeKeyState)) << c.message;
    }
    EXPECT_EQ(S_FALSE, FilterBrowserAccelerator(nullptr, &FakeKeyState, &FakeKeyState));
}

TEST(BrowserSite, HostAnswersAndTheExternalObject)
{
    ClientCall external;
    CCustomOccManager manager(&external);
    COleControlSite* site = manager.CreateSite(nullptr);
    ASSERT_NE(nullptr, site);
    EXPECT_EQ(static_cast<IDispatch*>(&external), BrowserExternal());

    IDocHostUIHandler* handler = nullptr;
    IDocHostShowUI* showUI = nullptr;
    ASSERT_EQ(S_OK, site->QueryInterface(__uuidof(IDocHostUIHandler), reinterpret_cast<void**>(&handler)));
    ASSERT_EQ(S_OK, site->QueryInterface(__uuidof(IDocHostShowUI), reinterpret_cast<void**>(&showUI)));
    // Every interface of the site is one object.
    IUnknown* fromHandler = nullptr;
    IUnknown* fromSite = nullptr;
    handler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromHandler));
    site->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&fromSite));
    EXPECT_EQ(fromSite, fromHandler);
    fromHandler->Release();
    fromSite->Release();

    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    info.dwFlags = 0xFFFF;
    info.dwDoubleClick = 7;
    EXPECT_EQ(S_OK, handler->GetHostInfo(&info));
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER), info.dwFlags);
    EXPECT_EQ(static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT), info.dwDoubleClick);
    EXPECT_EQ(S_OK, handler->ShowContextMenu(0, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_FALSE, showUI->ShowMessage(nullptr, nullptr, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_EQ(S_OK, showUI->ShowHelp(nullptr, nullptr, 0, 0, POINT{}, nullptr));

    IDispatch* page = nullptr;
    ASSERT_EQ(S_OK, handler->GetExternal(&page));
    EXPECT_EQ(static_cast<IDispatch*>(&external), page);
    struct Name {
        const wchar_t* name;
        DISPID id;
    } names[] = {
        { L"LoadGame", 100 }, { L"AppLogin", 101 }, { L"Navigate", DISPID_UNKNOWN }, { L"close", DISPID_UNKNOWN }
    };
    for (const Name& n : names) {
        LPOLESTR list[] = { const_cast<LPOLESTR>(n.name) };
        DISPID id = 0;
        page->GetIDsOfNames(IID_NULL, list, 1, 0, &id);
        EXPECT_EQ(n.id, id);
    }
    page->Release();
    showUI->Release();
    handler->Release();
    site->DestroyControl();
}

} // namespace
