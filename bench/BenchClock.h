#pragma once
#include <windows.h>
#include <stdio.h>

// What every benchmark program needs: a millisecond clock and the table row it prints
// (| area | case | figure | unit | note |, gathered by tools/bench.sh).

inline double BenchNowMs()
{
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0) ::QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

inline void BenchRow(const char* area, const char* what, double figure, const char* unit, const char* note)
{
    printf("| %s | %s | %.3f | %s | %s |\n", area, what, figure, unit, note);
    fflush(stdout);
}
