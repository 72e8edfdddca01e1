#include "ProgressFigures.h"

#include <cmath>

namespace {

constexpr double kHalfSecondInDays = 1.0 / 172800.0;
// Days from 1601-01-01 (the file-time origin) to 1899-12-30 (the date origin).
constexpr double kFileTimeOriginToDateOrigin = 109205.0;
constexpr double kFileTimeUnitsPerDay = 864000000000.0;

std::wstring Format(const wchar_t* format, double value) {
  wchar_t buffer[100];
  _snwprintf(buffer, sizeof buffer / sizeof buffer[0], format, value);
  buffer[sizeof buffer / sizeof buffer[0] - 1] = L'\0';
  return buffer;
}

}  // namespace

DownloadFigures ComputeDownloadFigures(ULONGLONG done, ULONGLONG total, long long elapsedSeconds,
                                       double previousMbPerSecond) {
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

double CurrentLocalDate() {
  SYSTEMTIME local;
  GetLocalTime(&local);
  FILETIME ft;
  if (!SystemTimeToFileTime(&local, &ft)) return 0.0;
  ULARGE_INTEGER units;
  units.LowPart = ft.dwLowDateTime;
  units.HighPart = ft.dwHighDateTime;
  return static_cast<double>(units.QuadPart) / kFileTimeUnitsPerDay - kFileTimeOriginToDateOrigin;
}

long long ElapsedWholeSeconds(double startDate, double nowDate) {
  double span = nowDate - startDate;
  span += span < 0.0 ? -kHalfSecondInDays : kHalfSecondInDays;
  return static_cast<long long>(std::trunc(span * 86400.0));
}
