#include "DateTime.h"

#include <cmath>

namespace {

// Days from 1899-12-30 to a civil date in the proleptic Gregorian calendar.
long long DaysFromEpoch(int year, int month, int day) {
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long mp = (month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long fromUnix = era * 146097 + doe - 719468;
  return fromUnix + 25569;  // 1970-01-01 is day 25569
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
  long long z = days - 25569 + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// The stored value on a line where one day is always 1.0.
double Linear(double dt) {
  if (dt >= 0) return dt;
  const double whole = std::ceil(dt);
  return whole + (whole - dt);
}

}  // namespace

COleDateTime COleDateTime::GetCurrentTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return COleDateTime(now);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
  const bool ok = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                  day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
                  minute <= 59 && second >= 0 && second <= 59;
  if (!ok) {
    m_dt = 0.0;
    m_status = invalid;
    return 1;
  }
  const double days = static_cast<double>(DaysFromEpoch(year, month, day));
  const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
  m_dt = days >= 0 ? days + fraction : days - fraction;
  m_status = valid;
  return 0;
}

bool COleDateTime::SetSystemTime(const SYSTEMTIME& time) {
  return SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond) == 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const {
  if (m_status != valid) return false;
  const double line = Linear(m_dt);
  const double dayStart = std::floor(line);
  long long seconds = std::llround((line - dayStart) * 86400.0);
  long long days = static_cast<long long>(dayStart);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++days;
  }
  int year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  time = SYSTEMTIME{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);  // 1899-12-30 was a Saturday
  time.wHour = static_cast<WORD>(seconds / 3600);
  time.wMinute = static_cast<WORD>(seconds / 60 % 60);
  time.wSecond = static_cast<WORD>(seconds % 60);
  return true;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const {
  COleDateTimeSpan span(Linear(m_dt) - Linear(other.m_dt));
  if (m_status != valid || other.m_status != valid) {
    span.m_span = 0.0;
    span.m_status = COleDateTimeSpan::invalid;
  }
  return span;
}
