#pragma once
#include <windows.h>

#include <string>

// What the browser dialog does before a navigation to `url`.
enum class NavigationAction {
    None,        // the browser goes on
    Reload,      // an error page of the browser: the login page again
    StartLoader, // "app://loadgame|<parameters>|...": the updater with the parameters
    StayOnPage   // "app://loadgame" without parameters: nothing starts
};
struct NavigationDecision {
    NavigationAction action = NavigationAction::None;
    std::wstring parameters; // for StartLoader: the text between the first and second "|"
};
NavigationDecision DecideBeforeNavigate(const std::wstring& url);

// True for the addresses a new-window request may hand to the system's browser: http://
// and https:// (scheme without case). Anything else (file:, local paths, scripts) could
// run a program.
bool OpensInShell(const std::wstring& url);
// The system's browser with `url`; replaceable so that tests can record the calls.
typedef void (*ShellOpenFn)(const std::wstring& url);
void SetShellOpen(ShellOpenFn open);
void OpenInShell(const std::wstring& url);

// The key filters of the launcher's windows look at keyboard messages only.
bool IsKeyboardMessage(UINT message);
