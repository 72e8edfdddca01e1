#pragma once
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <vector>

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

// Median of runs calls of f(), each answering its own figure: a run the scheduler set aside
// for a while (the machine is shared) moves the average, not the median.
inline double BenchMedianOf(std::vector<double> figures)
{
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

template <class F>
double BenchMedian(int runs, F f)
{
    std::vector<double> figures;
    for (int i = 0; i < runs; i++) figures.push_back(f());
    return BenchMedianOf(figures);
}

inline void BenchRow(const char* area, const char* what, double figure, const char* unit, const char* note)
{
    printf("| %s | %s | %.3f | %s | %s |\n", area, what, figure, unit, note);
    fflush(stdout);
}
