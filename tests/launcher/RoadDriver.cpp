// The launcher with the browser replaced by the stand-in browser (StandInBrowser.h), which
// records its calls in "browser.log", and the system's browser replaced by a record in
// "shell.log". Once the windows are up, "road.txt" beside the program says what the page
// does (first line the call, second its argument, UTF-8):
//   AppLogin / LoadGame   the page calls the external object's method with the argument
//   BeforeNavigate2 / NewWindow3 / DocumentComplete   the browser fires the event with the
//                         argument as URL; "cancel.txt" gets the cancel flag the host left
//   Keys                  Enter and Escape are posted to the page
//   Close                 the fore dialog's close button; "page.txt" gets the page address
//   BackSysClose / ForeSysClose   the system menu's close command of either window
// "fore.txt" gets the fore dialog's handle and "place.txt" the page's rectangle in the
// dialog. A third line "Close" presses the close button after a call that returned (the
// page stays); "Again" makes the same call a second time; any other third line is a second
// call, made right after the first, with the fourth line as its argument. While a file
// "hold" lies beside the program the page waits, shown, until a file "go" appears there too.
#include <windows.h>
#include <oleauto.h>

#include <fstream>
#include <sstream>
#include <string>

#include "LoginApp.h"
#include "LoginDlg.h"
#include "NavigationRules.h"
#include "StandInBrowser.h"
#include "LoginSettings.h"
#include "common/ModuleFolder.h"
#include "resource.h"

namespace {

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

void RecordShellOpen(const std::wstring& url)
{
    std::ofstream((GetCurrentModuleDirectory() + L"shell.log").c_str(), std::ios::app | std::ios::binary)
        << ToUtf8(url) << "\n";
}

void Page(const std::string& call, const std::wstring& argument)
{
    StandInBrowser* browser = standin::Last();
    if (!browser) return;
    std::string cancel;
    if (call == "AppLogin") browser->CallExternal(L"AppLogin", argument);
    if (call == "LoadGame") browser->CallExternal(L"LoadGame", argument);
    if (call == "BeforeNavigate2") cancel = browser->FireBeforeNavigate2(argument) ? "1" : "0";
    if (call == "NewWindow3") cancel = browser->FireNewWindow3(argument) ? "1" : "0";
    if (call == "DocumentComplete") browser->FireDocumentComplete(argument);
    if (!cancel.empty()) std::ofstream((GetCurrentModuleDirectory() + L"cancel.txt").c_str()) << cancel;
    if (call == "Keys") {
        for (WPARAM key : { VK_RETURN, VK_ESCAPE }) {
            ::PostMessageW(browser->Window(), WM_KEYDOWN, key, 1);
            ::PostMessageW(browser->Window(), WM_KEYUP, key, 0xC0000001);
        }
    }
}

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD)
{
    CLoginDlg* dialog = CLoginDlg::Current();
    if (!dialog || !::IsWindowVisible(dialog->m_hWnd) || !::IsWindowVisible(::GetParent(dialog->m_hWnd)))
        return; // the page is not up yet
    const std::wstring folder = GetCurrentModuleDirectory();
    if (::GetFileAttributesW((folder + L"hold").c_str()) != INVALID_FILE_ATTRIBUTES &&
        ::GetFileAttributesW((folder + L"go").c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    ::KillTimer(nullptr, timer);

    std::ifstream script((GetCurrentModuleDirectory() + L"road.txt").c_str());
    std::string call, argument, then, thenArgument;
    std::getline(script, call);
    std::getline(script, argument);
    std::getline(script, then);
    std::getline(script, thenArgument);
    for (std::string* line : { &call, &argument, &then, &thenArgument })
        if (!line->empty() && line->back() == '\r') line->pop_back();

    std::ofstream((GetCurrentModuleDirectory() + L"fore.txt").c_str()) << reinterpret_cast<ULONG_PTR>(dialog->m_hWnd);
    if (StandInBrowser* browser = standin::Last()) {
        RECT place{};
        ::GetWindowRect(browser->Window(), &place);
        ::MapWindowPoints(nullptr, dialog->m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        std::ofstream((GetCurrentModuleDirectory() + L"place.txt").c_str())
            << place.left << " " << place.top << " " << place.right << " " << place.bottom;
    }

    Page(call, FromUtf8(argument));
    if (then == "Again") Page(call, FromUtf8(argument));
    if (!then.empty() && then != "Again" && then != "Close") Page(then, FromUtf8(thenArgument));
    if (call == "BackSysClose" || call == "ForeSysClose") {
        HWND target = call == "BackSysClose" ? ::GetParent(dialog->m_hWnd) : dialog->m_hWnd;
        ::SendMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (call == "Close" || then == "Close") {
        std::ofstream((GetCurrentModuleDirectory() + L"page.txt").c_str()) << dialog->PageAddress();
        HWND button = ::GetDlgItem(dialog->m_hWnd, IDC_CLOSE);
        ::SendMessageW(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }
}

class RoadApp : public CLoginApp {
public:
    BOOL InitInstance() override
    {
        standin::Register(GetCurrentModuleDirectory() + L"browser.log");
        SetShellOpen(&RecordShellOpen);
        // A thread timer fires only when the queue is idle, that is after the windows are shown.
        ::SetTimer(nullptr, 0, 50, &Drive);
        return CLoginApp::InitInstance();
    }
};

RoadApp theApp;

} // namespace
