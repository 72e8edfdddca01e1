#include "ClientCall.h"

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <new>

#include "LoginDlg.h"
#include "LoginUrl.h"
#include "LoginSettings.h"
#include "common/TextConvert.h"
#include "common/ProcessExit.h"

void ClientCallActions::LaunchLoader(const std::string& url)
{
    if (CLoginDlg* dialog = CLoginDlg::Current()) dialog->LaunchLoader(url);
}

UpdaterStartGuard& ClientCallActions::Starts()
{
    // Before the dialog exists the page cannot call; a guard of its own keeps this total.
    static UpdaterStartGuard early;
    CLoginDlg* dialog = CLoginDlg::Current();
    return dialog ? dialog->Starts() : early;
}

bool ClientCallActions::StartPageLoader(const std::wstring& parameters, const std::wstring& directory)
{
    const HINSTANCE started =
        ::ShellExecuteW(nullptr, L"runas", L"ZelLoader.exe", parameters.c_str(), directory.c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}

void ClientCallActions::ShowMessage(const wchar_t* text)
{
    ::MessageBoxW(nullptr, text, L"提示", MB_OK);
}

void ClientCallActions::EndProcess()
{
    EndProcessNow(0);
}

ClientCall::ClientCall(ClientCallActions* actions) : m_actions(actions)
{
    static ClientCallActions platform;
    if (!m_actions) m_actions = &platform;
}

HRESULT ClientCall::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ClientCall::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids || count == 0) return S_OK;
    // Unknown names get DISPID_UNKNOWN so that no stale id can run the wrong method.
    ids[0] = DISPID_UNKNOWN;
    if (names[0] && wcscmp(names[0], L"LoadGame") == 0) ids[0] = kLoadGame;
    if (names[0] && wcscmp(names[0], L"AppLogin") == 0) ids[0] = kAppLogin;
    return S_OK;
}

HRESULT ClientCall::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (id != kLoadGame && id != kAppLogin) return S_OK;
    if (!params || params->cArgs != 1 || !params->rgvarg || params->rgvarg[0].vt != VT_BSTR) return E_NOTIMPL;
    // The caller is the browser's script engine: nothing may unwind into it.
    try {
        const BSTR text = params->rgvarg[0].bstrVal;
        const std::wstring argument = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
        if (id == kLoadGame)
            LoadGame(argument);
        else
            AppLogin(argument);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
    return S_OK;
}

void ClientCall::LoadGame(const std::wstring& text)
{
    // After the login start the watcher must see its updater end and tell the host; during
    // another start one updater is on its way already.
    UpdaterStartGuard& starts = m_actions->Starts();
    if (!starts.Begin(UpdaterStartGuard::Start::Page)) return;
    // The page's text passes through the system code page like every other launcher string.
    const std::wstring parameters = AnsiToWide(FormatString("%s", WideToAnsi(text)));
    std::wstring directory(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), &directory[0]);
    if (length >= directory.size()) {
        directory.resize(length);
        length = ::GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), &directory[0]);
    }
    directory.resize(length < directory.size() ? length : 0);
    const bool started = m_actions->StartPageLoader(parameters, directory);
    if (starts.EndPageStart(started)) {
        m_actions->EndProcess();
        return;
    }
    if (!started) m_actions->ShowMessage(L"启动游戏失败");
}

void ClientCall::AppLogin(const std::wstring& json)
{
    const std::string text = WideToAnsi(json);
    if (text == "[]") {
        m_actions->ShowMessage(L"AppLogin返回错误！");
        return;
    }
    // One login start per launcher, and none while another start is under way.
    if (!m_actions->Starts().Begin(UpdaterStartGuard::Start::Login)) return;
    m_actions->LaunchLoader(BuildLoginUrl(text));
}
