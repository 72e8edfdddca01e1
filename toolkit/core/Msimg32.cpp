#include "core/Msimg32.h"

namespace SkinUI {

namespace {

HMODULE Msimg32()
{
    static HMODULE s_h = ::LoadLibraryW(L"msimg32.dll");
    return s_h;
}

template <typename T>
T Entry(const char* name)
{
    HMODULE h = Msimg32();
    return h != NULL ? reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(h, name))) : NULL;
}

} // namespace

PFN_ALPHABLEND AlphaBlendEntry()
{
    static PFN_ALPHABLEND s_pfn = Entry<PFN_ALPHABLEND>("AlphaBlend");
    return s_pfn;
}

PFN_GRADIENTFILL GradientFillEntry()
{
    static PFN_GRADIENTFILL s_pfn = Entry<PFN_GRADIENTFILL>("GradientFill");
    return s_pfn;
}

} // namespace SkinUI
