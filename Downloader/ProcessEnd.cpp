#include "ProcessEnd.h"

#include <windows.h>

void ShowPrompt(const wchar_t* text)
{
    MessageBoxW(nullptr, text, L"提示", MB_OK);
}
