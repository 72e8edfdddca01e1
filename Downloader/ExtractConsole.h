#pragma once
// Diagnostics of the extraction go to standard output; the updater has no console, but the
// driver program and the tests read them.

#include <string>

void PrintExtractText(const char* text);
// "Error: ", a newline, the message, a newline.
void PrintExtractError(const char* message);
// The same, followed by a path in the system code page and a newline.
void PrintExtractError(const char* message, const std::wstring& path);
