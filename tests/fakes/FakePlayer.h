#pragma once
// A stand-in for the Flash player, registered in the test process under the player's class
// id: it answers the player's interface id (none of its methods are called, so a plain
// dispatch part stands for it) and sends the player's events to the sink connected to its
// _IShockwaveFlashEvents point. The event strings are the player's own: it frees them
// after each call, and a test can read them afterwards.
#include <windows.h>
#include <ole2.h>

#include <string>

#include "FakeBrowserOle.h"

namespace fakes {

class FakePlayer final : public FakeOleObject, public IDispatch {
public:
    FakePlayer();

    // Registers the player's class for this process (after OLE is started).
    static bool Register();
    // The player made last while it lives, else null.
    static FakePlayer* Last();

    HRESULT FireReadyStateChange(long state);
    HRESULT FireProgress(long percent);
    HRESULT FireFSCommand(LPCWSTR command, LPCWSTR args);
    HRESULT FireFlashCall(LPCWSTR request);
    // The string arguments of the last event as they stood after the call (the strings
    // stay the player's until then) and their addresses.
    const std::wstring& LastText(int index) const { return m_lastText[index]; }
    const void* LastString(int index) const { return m_lastString[index]; }
    // How often the memory allocator was asked about or told to free those strings while
    // the event ran (a sink that frees what it borrowed does it there).
    int LastStringFrees() const { return m_lastFrees; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

protected:
    ~FakePlayer() override;
    void* QueryOwn(REFIID riid) override;

private:
    // Sends an event with string arguments (first to last) and keeps what they read after.
    HRESULT FireStrings(DISPID id, LPCWSTR first, LPCWSTR second, UINT count);

    std::wstring m_lastText[2];
    const void* m_lastString[2];
    int m_lastFrees;
};

} // namespace fakes
