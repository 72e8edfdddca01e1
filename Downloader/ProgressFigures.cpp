#include "ProgressFigures.h"

namespace {

std::wstring Format(const wchar_t* format, double value)
{
    wchar_t buffer[100];
    _snwprintf(buffer, sizeof buffer / sizeof buffer[0], format, value);
    buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
    return buffer;
}

} // namespace

DownloadFigures ComputeDownloadFigures(ULONGLONG done, ULONGLONG total, long long elapsedSeconds,
                                       double previousMbPerSecond)
{
    DownloadFigures f;
    const ULONGLONG kb = done / 1024;
    f.mbPerSecond = previousMbPerSecond;
    // A clock set back during the download gives no negative speeds: it counts as no time.
    if (elapsedSeconds > 0) {
        const double seconds = static_cast<double>(elapsedSeconds);
        f.mbPerSecond = static_cast<double>(kb / 1024) / seconds;
        f.kbPerSecond = static_cast<double>(kb) / seconds;
    }

    // Without a known total there is no fraction to show; the bar stays at the start.
    double percent = 0.0;
    if (total > 0) percent = static_cast<double>(done) / static_cast<double>(total) * 100.0;
    if (percent < 0.0) percent = 0.0;
    if (percent > 100.0) percent = 100.0;
    f.percent = static_cast<int>(percent);

    wchar_t buffer[100];
    _snwprintf(buffer, sizeof buffer / sizeof buffer[0], L"正在下载...(%d%%)", f.percent);
    buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
    f.percentText = buffer;
    f.speedText = f.mbPerSecond > 0.0 ? Format(L"下载速度：%.2f MB/秒", f.mbPerSecond)
                                      : Format(L"下载速度：%.2f KB/秒", f.kbPerSecond);
    return f;
}
