#pragma once
#include <windows.h>

#include <string>

#include "common/DateValue.h"

// What the package download shows after each chunk.
struct DownloadFigures {
    int percent = 0; // always within 0..100
    double kbPerSecond = 0.0;
    double mbPerSecond = 0.0; // carried to the next chunk while no whole second has passed
    std::wstring percentText; // "正在下载...(N%)"
    std::wstring speedText;   // MB/秒 once a whole megabyte per second is measured, else KB/秒
};

// done and total in bytes (total 0: unknown); elapsed in whole seconds since the start;
// previousMbPerSecond is the MB/s of the chunk before (0 at the start).
DownloadFigures ComputeDownloadFigures(ULONGLONG done, ULONGLONG total, long long elapsedSeconds,
                                       double previousMbPerSecond);
