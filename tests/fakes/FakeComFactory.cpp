#include "FakeComFactory.h"

#include <vector>

namespace fakes {

FakeComFactory::FakeComFactory(CreateFn pfnCreate) : m_pfnCreate(pfnCreate), m_refs(0), m_locks(0) {}

HRESULT FakeComFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG FakeComFactory::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG FakeComFactory::Release()
{
    // Kept for the process: the count is only watched.
    return static_cast<ULONG>(::InterlockedDecrement(&m_refs));
}

HRESULT FakeComFactory::CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pOuter != nullptr) return CLASS_E_NOAGGREGATION;
    return m_pfnCreate(riid, ppv);
}

HRESULT FakeComFactory::LockServer(BOOL fLock)
{
    if (fLock)
        ::InterlockedIncrement(&m_locks);
    else
        ::InterlockedDecrement(&m_locks);
    return S_OK;
}

bool RegisterInProcess(REFCLSID clsid, FakeComFactory::CreateFn pfnCreate)
{
    static std::vector<CLSID> registered;
    for (const CLSID& c : registered)
        if (IsEqualCLSID(c, clsid)) return true;
    FakeComFactory* pFactory = new FakeComFactory(pfnCreate);
    DWORD dwCookie = 0;
    if (FAILED(::CoRegisterClassObject(clsid, pFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &dwCookie))) {
        delete pFactory;
        return false;
    }
    registered.push_back(clsid);
    return true;
}

} // namespace fakes
