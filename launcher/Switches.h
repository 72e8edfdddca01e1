#pragma once
#include <windows.h>

#include <string>

// The host's --name=value switches, one byte string each, empty until given.
struct LauncherSwitches {
    std::string winid;
    std::string token;
    std::string source;
    std::string serverid;
    std::string fcext;
    std::string fileparam;
};

// The launcher's one set, filled at start-up and read by the login dialog.
LauncherSwitches& Switches();

// 0 when the text names no switch, else 1 to 6 for winid, token, source, serverid, fcext,
// fileparam. The names are looked for anywhere in the text, in that order: hosts pass
// switches written that way and rely on the match.
int ClassifyArgKey(const std::string& text);
// The text between the first and a second "=", or empty.
std::string ArgValue(const std::string& text);
// Files one command-line element into `switches`; elements that name no switch are ignored.
void ParseSwitchElement(const std::string& element, LauncherSwitches& switches);
// Every element of a whole command line, the program path included.
void ParseLauncherCommandLine(LPCWSTR commandLine, LauncherSwitches& switches);
