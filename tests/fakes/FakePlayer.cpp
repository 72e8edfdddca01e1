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

// Watches the COM allocator while an event runs: a string freed with SysFreeString has its
// block sized and freed (or cached) through it, so any such call on the event's strings is
// counted. Allocations made while it watches are not marked, so no block needs it later.
class StringFreeSpy final : public IMallocSpy {
public:
    StringFreeSpy(const void* first, const void* second) : m_hits(0) { m_strings[0] = first, m_strings[1] = second; }
    int Hits() const { return m_hits; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMallocSpy)) return E_NOINTERFACE;
        *ppv = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override { return pActual; }
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL) override { return Seen(pRequest); }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL) override
    {
        *ppNewRequest = Seen(pRequest);
        return cbRequest;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL) override { return pActual; }
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL) override { return Seen(pRequest); }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL) override { return cbActual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL) override { return pRequest; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int fActual) override { return fActual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    // A string's block starts at most a few bytes before its text.
    void* Seen(void* pBlock)
    {
        for (const void* pString : m_strings) {
            const char* pText = static_cast<const char*>(pString);
            const char* p = static_cast<const char*>(pBlock);
            if (pText != nullptr && p != nullptr && p <= pText && pText - p <= 16) m_hits++;
        }
        return pBlock;
    }
    const void* m_strings[2];
    int m_hits;
};

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

FakePlayer::FakePlayer() : FakeOleObject(kPlayerEvents, L"Player"), m_lastString(), m_lastFrees(0)
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
    StringFreeSpy spy(m_lastString[0], m_lastString[1]);
    const bool bSpying = SUCCEEDED(::CoRegisterMallocSpy(&spy));
    // One block made and freed under the spy sets up the allocator's list of watched blocks,
    // which it reads on every later call.
    if (bSpying) ::CoTaskMemFree(::CoTaskMemAlloc(8));
    const HRESULT hr = Events().Fire(id, args, count);
    if (bSpying) ::CoRevokeMallocSpy();
    m_lastFrees = bSpying ? spy.Hits() : -1;
    // The strings are still the player's: read back, then freed here and only here.
    for (UINT i = 0; i < count; i++) {
        m_lastText[i].assign(args[i].bstrVal, ::SysStringLen(args[i].bstrVal));
        ::VariantClear(&args[i]);
    }
    return hr;
}

} // namespace fakes
