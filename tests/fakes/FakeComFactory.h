#pragma once
// A class factory for the in-process COM fakes of the tests, and its registration in the
// test process (CoRegisterClassObject: the class is then made by this factory, ahead of any
// registry entry, and no DLL is involved).
#include <windows.h>
#include <ole2.h>

namespace fakes {

class FakeComFactory final : public IClassFactory {
public:
    // Makes one object and answers its interface iid (the object's own reference dropped).
    typedef HRESULT (*CreateFn)(REFIID iid, void** ppv);

    explicit FakeComFactory(CreateFn pfnCreate);
    FakeComFactory(const FakeComFactory&) = delete;
    FakeComFactory& operator=(const FakeComFactory&) = delete;

    // The references and server locks callers hold now.
    LONG Refs() const { return m_refs; }
    LONG Locks() const { return m_locks; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

private:
    CreateFn m_pfnCreate;
    LONG m_refs;
    LONG m_locks;
};

// Registers a factory (kept for the process) for clsid in this process, after OLE is
// started; a class id registered before answers true again without a second registration.
bool RegisterInProcess(REFCLSID clsid, FakeComFactory::CreateFn pfnCreate);

} // namespace fakes
