// A window program that cannot be loaded: it imports from a library that is never put beside
// it, so the system's loader ends it (STATUS_DLL_NOT_FOUND) before its first instruction. It
// stands for a published updater that is a program for this machine and still dies at once.
#include <windows.h>

extern "C" __declspec(dllimport) int ZelAbsentFunction(void);

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return ZelAbsentFunction();
}
