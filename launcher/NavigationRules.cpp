#include "NavigationRules.h"

#include <shellapi.h>

#include <cwctype>

#include "common/TextConvert.h"
#include "common/SplitString.h"

namespace {

void ShellOpen(const std::wstring& url)
{
    ::ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ShellOpenFn g_shellOpen = &ShellOpen;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    }
    return true;
}

} // namespace

NavigationDecision DecideBeforeNavigate(const std::wstring& url)
{
    NavigationDecision decision;
    // An error page of the browser wins, also when the address names the updater too.
    if (url.find(L"res://ieframe.dll") != std::wstring::npos) {
        decision.action = NavigationAction::Reload;
        return decision;
    }
    if (url.find(L"app://loadgame") == std::wstring::npos) return decision;
    // The parameters pass through the system code page like every launcher string.
    const std::vector<std::string> pieces = SplitString(WideToAnsi(url), "|");
    if (pieces.size() < 2) {
        decision.action = NavigationAction::StayOnPage;
        return decision;
    }
    decision.action = NavigationAction::StartLoader;
    decision.parameters = AnsiToWide(pieces[1]);
    return decision;
}

bool OpensInShell(const std::wstring& url)
{
    return StartsWithNoCase(url, L"http://") || StartsWithNoCase(url, L"https://");
}

void SetShellOpen(ShellOpenFn open)
{
    g_shellOpen = open ? open : &ShellOpen;
}

void OpenInShell(const std::wstring& url)
{
    g_shellOpen(url);
}

bool IsKeyboardMessage(UINT message)
{
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR;
}
