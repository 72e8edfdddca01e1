#include "FakePlayer.h"

#include "FakeComFactory.h"

namespace fakes {

namespace {

// The player's class, interface and event interface.
const CLSID kPlayerClass = { 0xd27cdb6e, 0xae6d, 0x11cf, { 0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kPlayerIid = { 0xd27cdb6c, 0xae6d, 0x11cf, { 0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };
const IID kPlayerEvents = { 0xd27cdb6d, 0xae6d, 0x11cf, { 0x96, 0xb8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };

// The player's published event ids.
const DISPID kReadyStateChange = -609;
const DISPID kProgress = 0x7A6;
const DISPID kFSCommand = 0x96;
const DISPID kFlashCall = 0xC5;

FakePlayer* g_last = nullptr;

HRESULT CreatePlayer(REFIID iid, void** ppv)
{
    FakePlayer* pPlayer = new FakePlayer();
    const HRESULT hr = static_cast<IDispatch*>(pPlayer)->QueryInterface(iid, ppv);
    static_cast<IDispatch*>(pPlayer)->Release();
    return hr;
}

} // namespace

bool FakePlayer::Register()
{
    return RegisterInProcess(kPlayerClass, &CreatePlayer);
}

FakePlayer* FakePlayer::Last()
{
    return g_last;
}

FakePlayer::FakePlayer() : FakeOleObject(kPlayerEvents, L"Player"), m_lastString()
{
    g_last = this;
}

FakePlayer::~FakePlayer()
{
    if (g_last == this) g_last = nullptr;
}

void* FakePlayer::QueryOwn(REFIID riid)
{
    if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kPlayerIid)) return static_cast<IDispatch*>(this);
    return nullptr;
}

HRESULT FakePlayer::QueryInterface(REFIID riid, void** ppv)
{
    return FakeOleObject::QueryInterface(riid, ppv);
}

ULONG FakePlayer::AddRef()
{
    return FakeOleObject::AddRef();
}

ULONG FakePlayer::Release()
{
    return FakeOleObject::Release();
}

HRESULT FakePlayer::FireReadyStateChange(long state)
{
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = state;
    return Events().Fire(kReadyStateChange, &arg, 1);
}

HRESULT FakePlayer::FireProgress(long percent)
{
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = percent;
    return Events().Fire(kProgress, &arg, 1);
}

HRESULT FakePlayer::FireFSCommand(LPCWSTR command, LPCWSTR args)
{
    return FireStrings(kFSCommand, command, args, 2);
}

HRESULT FakePlayer::FireFlashCall(LPCWSTR request)
{
    return FireStrings(kFlashCall, request, nullptr, 1);
}

HRESULT FakePlayer::FireStrings(DISPID id, LPCWSTR first, LPCWSTR second, UINT count)
{
    VARIANT args[2];
    LPCWSTR texts[2] = { first, second };
    for (UINT i = 0; i < 2; i++) {
        ::VariantInit(&args[i]);
        m_lastText[i].clear();
        m_lastString[i] = nullptr;
        if (i >= count) continue;
        args[i].vt = VT_BSTR;
        args[i].bstrVal = ::SysAllocString(texts[i]);
        m_lastString[i] = args[i].bstrVal;
    }
    const HRESULT hr = Events().Fire(id, args, count);
    // The strings are still the player's: read back, then freed here and only here.
    for (UINT i = 0; i < count; i++) {
        m_lastText[i].assign(args[i].bstrVal, ::SysStringLen(args[i].bstrVal));
        ::VariantClear(&args[i]);
    }
    return hr;
}

} // namespace fakes
