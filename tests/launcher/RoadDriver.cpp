// The launcher with the login page replaced: the real start-up and windows, and once the
// windows are up, the page's call as "road.txt" beside the program names it (first line
// the call, second line its argument, UTF-8):
//   AppLogin / LoadGame   the scripting object's method with a text argument
//   Close                 the fore dialog's close button; "page.txt" gets the page address
//   BackSysClose / ForeSysClose   the system menu's close command of either window;
//                         "fore.txt" gets the fore dialog's handle
// A third line "Close" presses the close button after a call that returned (the page stays);
// "Again" makes the same call a second time.
#include <windows.h>
#include <oleauto.h>

#include <fstream>
#include <sstream>
#include <string>

#include "ClientCall.h"
#include "LoginApp.h"
#include "LoginDlg.h"
#include "TextUtil.h"
#include "resource.h"

namespace {

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
  return wide;
}

void CallScriptingObject(DISPID id, const std::wstring& argument) {
  static ClientCall external;  // as the browser site hands it out: never released
  VARIANT arg;
  ::VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = ::SysAllocStringLen(argument.data(), static_cast<UINT>(argument.size()));
  DISPPARAMS params{&arg, nullptr, 1, 0};
  external.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  ::VariantClear(&arg);
}

void CALLBACK Drive(HWND, UINT, UINT_PTR timer, DWORD) {
  CLoginDlg* dialog = CLoginDlg::Current();
  if (!dialog || !::IsWindowVisible(dialog->m_hWnd) || !::IsWindowVisible(::GetParent(dialog->m_hWnd)))
    return;  // the page is not up yet
  ::KillTimer(nullptr, timer);

  std::ifstream script((GetOwnFolderW() + L"road.txt").c_str());
  std::string call, argument, then;
  std::getline(script, call);
  std::getline(script, argument);
  std::getline(script, then);
  for (std::string* line : {&call, &argument, &then})
    if (!line->empty() && line->back() == '\r') line->pop_back();

  if (call == "AppLogin") {
    CallScriptingObject(ClientCall::kAppLogin, FromUtf8(argument));
  } else if (call == "LoadGame") {
    CallScriptingObject(ClientCall::kLoadGame, FromUtf8(argument));
  }
  if (then == "Again" && call == "AppLogin") CallScriptingObject(ClientCall::kAppLogin, FromUtf8(argument));
  if (call == "BackSysClose" || call == "ForeSysClose") {
    std::ofstream((GetOwnFolderW() + L"fore.txt").c_str())
        << reinterpret_cast<ULONG_PTR>(dialog->m_hWnd);
    HWND target = call == "BackSysClose" ? ::GetParent(dialog->m_hWnd) : dialog->m_hWnd;
    ::SendMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  if (call == "Close" || then == "Close") {
    std::ofstream((GetOwnFolderW() + L"page.txt").c_str()) << dialog->PageAddress();
    HWND button = ::GetDlgItem(dialog->m_hWnd, IDC_CLOSE);
    ::SendMessageW(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
  }
}

class RoadApp : public CLoginApp {
 public:
  BOOL InitInstance() override {
    // A thread timer fires only when the queue is idle, that is after the windows are shown.
    ::SetTimer(nullptr, 0, 50, &Drive);
    return CLoginApp::InitInstance();
  }
};

RoadApp theApp;

}  // namespace
