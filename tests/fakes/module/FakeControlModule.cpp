// A module serving the fake windowless control through DllGetClassObject, for the hosts
// that name a module instead of relying on the class registration. It answers
// CLSID_FakeModuleOnly with a working factory, CLSID_FakeModuleNoObject with a factory that
// makes nothing, and no other class; it may be unloaded once its objects are gone.
#include "FakeComFactory.h"
#include "FakeControl.h"

namespace {

HRESULT CreateModuleControl(REFIID riid, void** ppv)
{
    return fakes::CreateFakeControl(true, riid, ppv);
}

HRESULT CreateNothing(REFIID, void** ppv)
{
    *ppv = nullptr;
    return E_OUTOFMEMORY;
}

fakes::FakeComFactory g_factory(&CreateModuleControl);
fakes::FakeComFactory g_emptyFactory(&CreateNothing);

} // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualCLSID(rclsid, fakes::CLSID_FakeModuleOnly)) return g_factory.QueryInterface(riid, ppv);
    if (IsEqualCLSID(rclsid, fakes::CLSID_FakeModuleNoObject)) return g_emptyFactory.QueryInterface(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    const bool idle = fakes::LiveControls() == 0 && g_factory.Refs() == 0 && g_factory.Locks() == 0 &&
                      g_emptyFactory.Refs() == 0;
    return idle ? S_OK : S_FALSE;
}

// The fake controls this module made that are still alive.
extern "C" __declspec(dllexport) int FakeModuleLiveControls()
{
    return fakes::LiveControls();
}
