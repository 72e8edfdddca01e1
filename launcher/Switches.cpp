#include "Switches.h"

#include <shellapi.h>

#include <memory>

#include "common/TextConvert.h"
#include "common/SplitString.h"

LauncherSwitches& Switches()
{
    static LauncherSwitches switches;
    return switches;
}

int ClassifyArgKey(const std::string& text)
{
    static const char* const names[] = { "winid", "token", "source", "serverid", "fcext", "fileparam" };
    for (int i = 0; i < 6; ++i) {
        if (text.find(names[i]) != std::string::npos) return i + 1;
    }
    return 0;
}

std::string ArgValue(const std::string& text)
{
    const std::vector<std::string> pieces = SplitString(text, "=");
    return pieces.size() >= 2 ? pieces[1] : std::string();
}

void ParseSwitchElement(const std::string& element, LauncherSwitches& switches)
{
    const std::vector<std::string> pieces = SplitString(element, "--");
    if (pieces.size() < 2) return;
    const std::string& switchText = pieces[1];
    std::string* slots[] = { nullptr,         &switches.winid,    &switches.token, &switches.source, &switches.serverid,
                             &switches.fcext, &switches.fileparam };
    const int key = ClassifyArgKey(switchText);
    if (key != 0) *slots[key] = ArgValue(switchText);
}

void ParseLauncherCommandLine(LPCWSTR commandLine, LauncherSwitches& switches)
{
    struct LocalFreer {
        void operator()(LPWSTR* block) const { ::LocalFree(block); }
    };
    int count = 0;
    std::unique_ptr<LPWSTR, LocalFreer> elements(::CommandLineToArgvW(commandLine, &count));
    if (!elements) return;
    for (int i = 0; i < count; ++i) ParseSwitchElement(WideToAnsi(elements.get()[i]), switches);
}
