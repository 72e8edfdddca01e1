#include <windows.h>

#include "UpdaterStartup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR parameters, int)
{
    return RunUpdaterStartup(instance, parameters);
}
