#include "LoginDlg.h"

#include <mshtml.h>
#include <shellapi.h>

#include <cstdlib>
#include <memory>

#include "HostNotification.h"
#include "LoaderWatch.h"
#include "NavigationRules.h"
#include "LoginSettings.h"
#include "common/TextConvert.h"
#include "common/ModuleFolder.h"
#include "common/ProcessExit.h"
#include "UniqueHandle.h"
#include "resource.h"

namespace {

CLoginDlg* g_currentLoginDlg = nullptr;
const UINT_PTR kReloadTimer = 1;

struct Placement {
    int x, y, w, h;
};

Placement ReadPlacement(const char* section)
{
    return { std::atoi(ReadLoginSetting(section, "x", "0").c_str()),
             std::atoi(ReadLoginSetting(section, "y", "0").c_str()),
             std::atoi(ReadLoginSetting(section, "w", "0").c_str()),
             std::atoi(ReadLoginSetting(section, "h", "0").c_str()) };
}

std::wstring VariantText(const VARIANT* value)
{
    if (!value) return std::wstring();
    if (value->vt == VT_BSTR && value->bstrVal) return std::wstring(value->bstrVal, ::SysStringLen(value->bstrVal));
    if (value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal && *value->pbstrVal)
        return std::wstring(*value->pbstrVal, ::SysStringLen(*value->pbstrVal));
    return std::wstring();
}

struct BstrFreer {
    void operator()(wchar_t* text) const { ::SysFreeString(text); }
};
using Bstr = std::unique_ptr<wchar_t, BstrFreer>;

} // namespace

BEGIN_MESSAGE_MAP(CLoginDlg, CForeDialogBase)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_MINIMIZE, &CLoginDlg::OnMinimizeClicked)
ON_BN_CLICKED(IDC_CLOSE, &CLoginDlg::OnCloseClicked)
ON_WM_LBUTTONDOWN()
ON_WM_ERASEBKGND()
ON_WM_CLOSE()
ON_WM_TIMER()
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(CLoginDlg, CForeDialogBase)
ON_EVENT(CLoginDlg, IDC_BROWSER, 250, &CLoginDlg::OnBeforeNavigate2)
ON_EVENT(CLoginDlg, IDC_BROWSER, 273, &CLoginDlg::OnNewWindow3)
ON_EVENT(CLoginDlg, IDC_BROWSER, 259, &CLoginDlg::OnDocumentComplete)
END_EVENTSINK_MAP()

CLoginDlg::CLoginDlg(CWnd* back)
    : CForeDialogBase(IDD_LOGIN_DIALOG, back),
      m_hIcon(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

CLoginDlg::~CLoginDlg()
{
    if (g_currentLoginDlg == this) g_currentLoginDlg = nullptr;
    // The window and its controls go while the members they use still exist.
    if (m_hWnd) DestroyWindow();
}

CLoginDlg* CLoginDlg::Current()
{
    return g_currentLoginDlg;
}

void CLoginDlg::DoDataExchange(CDataExchange* dx)
{
    CForeDialogBase::DoDataExchange(dx);
    DDX_Control(dx, IDC_BROWSER, m_browser);
    DDX_Control(dx, IDC_CLOSE, m_close);
    DDX_Control(dx, IDC_MINIMIZE, m_minimize);
}

BOOL CLoginDlg::OnInitDialog()
{
    // 1. Controls bound, icons on both windows.
    CForeDialogBase::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    if (m_pBack) {
        m_pBack->SetIcon(m_hIcon, TRUE);
        m_pBack->SetIcon(m_hIcon, FALSE);
        // 2. The settings name titles the back window.
        m_pBack->SetWindowText(AnsiToWide(ReadLoginSetting("URL", "name")).c_str());
    }
    const std::string gameUrl = ReadLoginSetting("URL", "game_url");
    // 3. Black is see-through, everything else opaque.
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, m_keyColour, 255, LWA_COLORKEY | LWA_ALPHA);
    ModifyStyle(0, WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    ::SwitchToThisWindow(m_hWnd, TRUE);
    if (m_pBack) ::SwitchToThisWindow(m_pBack->m_hWnd, TRUE);
    // 4. The buttons and the page's place.
    CreateSkinButtons();
    const Placement web = ReadPlacement("Webpos");
    m_browser.put_Left(web.x);
    m_browser.put_Top(web.y);
    m_browser.put_Width(web.w);
    m_browser.put_Height(web.h);
    // 5. The host, the file parameter given once and kept for later starts, the page.
    m_hostWindow = ParseHostWindow(Switches().winid);
    LauncherSwitches& switches = Switches();
    if (!switches.fileparam.empty())
        ::WritePrivateProfileStringA("URL", "fileparam", switches.fileparam.c_str(), GetSettingsPath().c_str());
    else
        switches.fileparam = ReadLoginSetting("URL", "fileparam");
    m_pageAddress = BuildPageAddress(gameUrl, switches);
    NavigateToPage();
    m_browser.put_Silent(true);
    // 6. From now on the page's calls reach this dialog.
    g_currentLoginDlg = this;
    return TRUE;
}

void CLoginDlg::CreateSkinButtons()
{
    const std::wstring folder = GetCurrentModuleDirectory();
    const Placement minimize = ReadPlacement("Minpos");
    const Placement close = ReadPlacement("Clospos");
    PlaceButton(m_minimize, minimize.x, minimize.y, minimize.w, minimize.h, folder + L"png\\最小化.png");
    PlaceButton(m_close, close.x, close.y, close.w, close.h, folder + L"png\\关闭.png");
}

void CLoginDlg::PlaceButton(TButton& button, int x, int y, int w, int h, const std::wstring& path)
{
    if (!button.m_hWnd) return;
    button.SetWindowPos(static_cast<HWND>(nullptr), x, y, w, h, SWP_NOZORDER);
    button.LoadImages(path);
    button.BringWindowToTop();
    button.ShowWindow(SW_SHOW);
}

void CLoginDlg::NavigateToPage()
{
    m_browser.Navigate(AnsiToWide(m_pageAddress));
}

void CLoginDlg::ReloadLater()
{
    ::SetTimer(m_hWnd, kReloadTimer, kReloadDelayMs, nullptr);
}

void CLoginDlg::OnTimer(UINT_PTR id)
{
    if (id != kReloadTimer) {
        Default();
        return;
    }
    ::KillTimer(m_hWnd, kReloadTimer);
    NavigateToPage();
}

BOOL CLoginDlg::PreTranslateMessage(MSG* msg)
{
    if (IsKeyboardMessage(msg->message)) {
        if (msg->wParam == VK_RETURN) return FALSE;
        if (msg->wParam == VK_ESCAPE) return TRUE;
    }
    return CForeDialogBase::PreTranslateMessage(msg);
}

void CLoginDlg::OnSysCommand(UINT id, LPARAM param)
{
    if ((id & 0xFFF0) == SC_CLOSE) EndProcessNow(0);
    CForeDialogBase::OnSysCommand(id, param);
}

void CLoginDlg::OnMinimizeClicked()
{
    if (m_pBack) m_pBack->ShowWindow(SW_MINIMIZE);
}

void CLoginDlg::OnCloseClicked()
{
    NotifyHostWindow();
    OnOK();
}

void CLoginDlg::OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                  VARIANT_BOOL* cancel)
{
    const NavigationDecision decision = DecideBeforeNavigate(VariantText(url));
    switch (decision.action) {
    case NavigationAction::Reload:
        ReloadLater();
        break;
    case NavigationAction::StartLoader:
        // The browser knows no such scheme: it would only show an error page.
        if (cancel) *cancel = VARIANT_TRUE;
        StartLoaderFromPage(decision.parameters);
        break;
    case NavigationAction::StayOnPage:
        if (cancel) *cancel = VARIANT_TRUE;
        break;
    case NavigationAction::None:
        break;
    }
}

void CLoginDlg::StartLoaderFromPage(const std::wstring& parameters)
{
    // After the login start the launcher only waits for its updater and tells the host; the
    // page runs on while the box below is up and the shell starts, and is kept from a second
    // start meanwhile.
    if (!m_starts.Begin(UpdaterStartGuard::Start::Page)) return;
    const std::wstring folder = GetCurrentModuleDirectory();
    ::MessageBoxW(nullptr, folder.c_str(), L"提示", MB_OK);
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", L"ZelLoader.exe", parameters.c_str(), folder.c_str(), SW_SHOWNORMAL);
    const DWORD error = ::GetLastError();
    if (m_starts.EndPageStart(reinterpret_cast<INT_PTR>(result) > 32)) EndProcessNow(0);
    wchar_t text[64];
    _snwprintf(text, 64, L"启动游戏失败,错误代码：%lu", static_cast<unsigned long>(error));
    text[63] = L'\0';
    ::MessageBoxW(nullptr, text, L"提示", MB_OK);
    ReloadLater();
}

void CLoginDlg::OnNewWindow3(IDispatch**, VARIANT_BOOL* cancel, DWORD, BSTR, BSTR url)
{
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    if (m_pBack && m_pBack->m_hWnd)
        ::SetWindowPos(m_pBack->m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    const std::wstring address = url ? std::wstring(url, ::SysStringLen(url)) : std::wstring();
    if (OpensInShell(address)) OpenInShell(address);
    // The embedded browser never opens a window of its own.
    if (cancel) *cancel = VARIANT_TRUE;
}

void CLoginDlg::OnDocumentComplete(IDispatch*, VARIANT*)
{
    // The page's body without scroll bars, overflow or border.
    ComRef<IDispatch> document(m_browser.get_Document());
    if (!document) return;
    IHTMLDocument2* rawDocument = nullptr;
    if (FAILED(document->QueryInterface(__uuidof(IHTMLDocument2), reinterpret_cast<void**>(&rawDocument))) ||
        !rawDocument)
        return;
    ComRef<IHTMLDocument2> html(rawDocument);
    IHTMLElement* rawBody = nullptr;
    if (FAILED(html->get_body(&rawBody)) || !rawBody) return;
    ComRef<IHTMLElement> body(rawBody);
    IHTMLBodyElement* rawBodyElement = nullptr;
    if (SUCCEEDED(body->QueryInterface(__uuidof(IHTMLBodyElement), reinterpret_cast<void**>(&rawBodyElement))) &&
        rawBodyElement) {
        ComRef<IHTMLBodyElement> bodyElement(rawBodyElement);
        Bstr no(::SysAllocString(L"no"));
        bodyElement->put_scroll(no.get());
    }
    IHTMLStyle* rawStyle = nullptr;
    if (FAILED(body->get_style(&rawStyle)) || !rawStyle) return;
    ComRef<IHTMLStyle> style(rawStyle);
    Bstr hidden(::SysAllocString(L"hidden"));
    Bstr none(::SysAllocString(L"none"));
    style->put_overflow(hidden.get());
    style->put_border(none.get());
}

void CLoginDlg::LaunchLoader(const std::string& url)
{
    const std::wstring folder = GetCurrentModuleDirectory();
    const std::wstring file = folder + L"ZelLoader.exe";
    const std::wstring parameters = AnsiToWide(url);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        ::MessageBoxW(nullptr, L"启动游戏失败！请重新启动", L"提示", MB_OK);
        EndProcessNow(0);
    }

    auto watch = std::make_unique<LoaderWatch>();
    watch->process.reset(info.hProcess);
    m_childProcessId = info.hProcess ? ChildProcessId(info.hProcess) : 0;
    watch->processId = m_childProcessId;
    watch->host = m_hostWindow;
    watch->dialog = m_hWnd;
    if (m_pBack && m_pBack->m_hWnd) m_pBack->ShowWindow(SW_HIDE);
    ShowWindow(SW_HIDE);
    StartLoaderWatcher(std::move(watch));
}

bool CLoginDlg::IsLoaderRunning() const
{
    return IsProcessListed(m_childProcessId);
}

void CLoginDlg::NotifyHostWindow()
{
    SendHostNotification(m_hostWindow, m_hWnd, kHostCloseBoundMs);
}

std::string BuildPageAddress(const std::string& gameUrl, const LauncherSwitches& switches)
{
    return gameUrl + "?token=" + switches.token + "&source=" + switches.source + "&serverid=" + switches.serverid +
           "&fcext=" + switches.fcext + "&fileparam=" + switches.fileparam;
}

HWND ParseHostWindow(const std::string& winid)
{
    const unsigned long value = std::strtoul(winid.c_str(), nullptr, 10);
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}
