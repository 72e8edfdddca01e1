#include "ExtractConsole.h"

#include "common/TextConvert.h"

#include <windows.h>

#include <cstdio>

void PrintExtractText(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void PrintExtractError(const char* message)
{
    std::string text = "Error: \n";
    text += message;
    text += "\n";
    PrintExtractText(text.c_str());
}

void PrintExtractError(const char* message, const std::wstring& path)
{
    std::string text = "Error: \n";
    text += message;
    text += "\n";
    text += WideToCodePage(path, CP_ACP);
    text += "\n";
    PrintExtractText(text.c_str());
}
