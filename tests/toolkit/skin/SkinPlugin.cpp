// A plug-in module for the builder tests: makes "PluginBox" and "Shared", and counts the
// names it was asked for.
#include <map>
#include <string>

#include "core/ControlUI.h"

using namespace SkinUI;

namespace {

class PluginBoxUI : public CControlUI {
public:
    LPCTSTR GetClass() const override { return L"PluginBoxUI"; }
};

class PluginSharedUI : public CControlUI {
public:
    LPCTSTR GetClass() const override { return L"PluginSharedUI"; }
};

std::map<std::wstring, int> g_asked;

} // namespace

extern "C" __declspec(dllexport) CControlUI* __cdecl CreateControl(LPCTSTR pstrType)
{
    ++g_asked[pstrType];
    std::wstring name = pstrType;
    if (name == L"PluginBox") return new PluginBoxUI;
    if (name == L"Shared") return new PluginSharedUI;
    return NULL;
}

extern "C" __declspec(dllexport) int __cdecl PluginAskCount(LPCTSTR pstrType)
{
    return g_asked[pstrType];
}
