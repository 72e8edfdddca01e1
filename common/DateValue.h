#pragma once
#include <windows.h>

// Date values as both programs keep them: days since 1899-12-30 00:00 as a double, the
// fraction being the time of day. Before that origin the whole days count backwards while
// the fraction still counts forwards (-1.25 is 1899-12-29 06:00), as the platform's DATE.
// The calendar is the proleptic Gregorian one; years run from 100 to 9999.

// The value for a civil date and time; false (and date untouched) when a field is out of range.
bool DateFromParts(int year, int month, int day, int hour, int minute, int second, double& date);

// The civil date and time of a value, to the nearest second (milliseconds 0); false when the
// value lies outside years 100 to 9999 or is not a number.
bool DateToSystemTime(double date, SYSTEMTIME& time);

// The value on a straight line where one day is always 1.0, for differences and ordering.
double DateToLinearDays(double date);

// The local date-time now, with milliseconds.
double CurrentLocalDate();

// Whole seconds from start to now, rounded half away from zero; negative when now is earlier.
long long ElapsedWholeSeconds(double startDate, double nowDate);
