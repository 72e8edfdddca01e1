#include "ProcessEnd.h"

#include <cstdio>

void EndProcessNow(UINT code) {
  std::fflush(nullptr);
  ExitProcess(code);
}

void ShowPrompt(const wchar_t* text) { MessageBoxW(nullptr, text, L"提示", MB_OK); }
