#include "common/ProcessExit.h"

#include <windows.h>

#include <cstdio>

void EndProcessNow(unsigned code)
{
    std::fflush(nullptr);
    ExitProcess(code);
}
