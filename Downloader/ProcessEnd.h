#pragma once
#include "common/ProcessExit.h"

// The updater's own message box: no owner, caption "提示", one OK button. Its roads end with
// EndProcessNow (common/ProcessExit.h) after it where the failure stops them.
void ShowPrompt(const wchar_t* text);
