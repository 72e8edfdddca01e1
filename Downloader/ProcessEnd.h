#pragma once
#include <windows.h>

// Ends the process at once with the given code. The C runtime's exit would run static
// destructors while worker threads may still use that state, so only stdio is flushed.
[[noreturn]] void EndProcessNow(UINT code);

// The updater's own message box: no owner, caption "提示", one OK button.
void ShowPrompt(const wchar_t* text);
