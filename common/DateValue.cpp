#include "common/DateValue.h"

#include <cmath>

namespace {

// Day numbers from 1970-01-01 in the proleptic Gregorian calendar (eras of 400 years).
long long DaysFromCivil(long long year, long long month, long long day)
{
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day)
{
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// 1970-01-01 is day 25569 after the origin.
const long long kUnixDayOfOrigin = 25569;
const double kHalfSecondInDays = 1.0 / 172800.0;

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// Linear days back to the stored form, whose fraction counts forwards before the origin.
double LinearToDate(double linear)
{
    if (linear >= 0) return linear;
    const double whole = std::floor(linear);
    return whole - (linear - whole);
}

} // namespace

bool DateFromParts(int year, int month, int day, int hour, int minute, int second, double& date)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    const double days = static_cast<double>(DaysFromCivil(year, month, day) + kUnixDayOfOrigin);
    date = LinearToDate(days + (hour * 3600 + minute * 60 + second) / 86400.0);
    return true;
}

double DateToLinearDays(double date)
{
    if (date >= 0) return date;
    const double whole = std::ceil(date);
    return whole + (whole - date);
}

bool DateToSystemTime(double date, SYSTEMTIME& time)
{
    if (!std::isfinite(date)) return false;
    const double line = DateToLinearDays(date);
    const double dayStart = std::floor(line);
    long long seconds = std::llround((line - dayStart) * 86400.0);
    long long days = static_cast<long long>(dayStart);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    // Outside years 100..9999 the day count is checked before the calendar sees it.
    if (days < DaysFromCivil(100, 1, 1) + kUnixDayOfOrigin || days > DaysFromCivil(9999, 12, 31) + kUnixDayOfOrigin)
        return false;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days - kUnixDayOfOrigin, year, month, day);
    time = SYSTEMTIME{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7); // 1899-12-30 was a Saturday
    time.wHour = static_cast<WORD>(seconds / 3600);
    time.wMinute = static_cast<WORD>(seconds / 60 % 60);
    time.wSecond = static_cast<WORD>(seconds % 60);
    return true;
}

double CurrentLocalDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    double date = 0.0;
    if (!DateFromParts(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, date)) return 0.0;
    return date + now.wMilliseconds / 86400000.0;
}

long long ElapsedWholeSeconds(double startDate, double nowDate)
{
    double span = DateToLinearDays(nowDate) - DateToLinearDays(startDate);
    span += span < 0.0 ? -kHalfSecondInDays : kHalfSecondInDays;
    return static_cast<long long>(std::trunc(span * 86400.0));
}
