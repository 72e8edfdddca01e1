#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

#include "UpdaterStartGuard.h"

// What the page's two calls do outside the object; replaced in tests.
class ClientCallActions {
public:
    virtual ~ClientCallActions() = default;
    // The guard of the page's starts (the login dialog's).
    virtual UpdaterStartGuard& Starts();
    // The login start with the finished login URL.
    virtual void LaunchLoader(const std::string& url);
    // The page start; true when the updater was started.
    virtual bool StartPageLoader(const std::wstring& parameters, const std::wstring& directory);
    virtual void ShowMessage(const wchar_t* text);
    // Ends the launcher after a successful page start.
    virtual void EndProcess();
};

// The page's external scripting object: "LoadGame" (100) and "AppLogin" (101). It lives as
// long as the process and counts no references.
class ClientCall : public IDispatch {
public:
    static const DISPID kLoadGame = 100;
    static const DISPID kAppLogin = 101;

    explicit ClientCall(ClientCallActions* actions = nullptr);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override;

    void LoadGame(const std::wstring& text);
    void AppLogin(const std::wstring& json);

private:
    ClientCallActions* m_actions;
};
