#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/DateValue.h"

TEST(DateValue, KnownDaysBothWays)
{
    struct Case {
        int year, month, day, hour, minute, second;
        double date;
        int dayOfWeek;
    };
    const Case cases[] = {
        { 1899, 12, 30, 0, 0, 0, 0.0, 6 },
        { 1900, 1, 1, 0, 0, 0, 2.0, 1 },
        { 1970, 1, 1, 12, 0, 0, 25569.5, 4 },
        { 2000, 2, 29, 18, 0, 0, 36585.75, 2 },
        { 2026, 12, 10, 6, 0, 0, 46366.25, 4 },
        // Before the origin the fraction counts forwards from the whole day below.
        { 1899, 12, 29, 6, 0, 0, -1.25, 5 },
        { 1899, 12, 29, 18, 0, 0, -1.75, 5 },
        { 100, 1, 1, 0, 0, 0, -657434.0, 5 },
        { 9999, 12, 31, 0, 0, 0, 2958465.0, 5 },
    };
    for (const Case& c : cases) {
        double date = -99.0;
        ASSERT_TRUE(DateFromParts(c.year, c.month, c.day, c.hour, c.minute, c.second, date)) << c.year;
        EXPECT_DOUBLE_EQ(date, c.date) << c.year << '-' << c.month << '-' << c.day;
        SYSTEMTIME t;
        ASSERT_TRUE(DateToSystemTime(c.date, t)) << c.date;
        EXPECT_EQ(t.wYear, c.year);
        EXPECT_EQ(t.wMonth, c.month);
        EXPECT_EQ(t.wDay, c.day);
        EXPECT_EQ(t.wHour, c.hour);
        EXPECT_EQ(t.wMinute, c.minute);
        EXPECT_EQ(t.wSecond, c.second);
        EXPECT_EQ(t.wDayOfWeek, c.dayOfWeek) << c.date;
    }
}

TEST(DateValue, RefusedParts)
{
    const int bad[][6] = { { 99, 1, 1, 0, 0, 0 },    { 10000, 1, 1, 0, 0, 0 }, { 2001, 2, 29, 0, 0, 0 },
                           { 2000, 13, 1, 0, 0, 0 }, { 2000, 0, 1, 0, 0, 0 },  { 2000, 4, 31, 0, 0, 0 },
                           { 2000, 1, 1, 24, 0, 0 }, { 2000, 1, 1, 0, 60, 0 }, { 2000, 1, 1, 0, 0, 60 } };
    for (const auto& b : bad) {
        double date = 7.0;
        EXPECT_FALSE(DateFromParts(b[0], b[1], b[2], b[3], b[4], b[5], date)) << b[0] << '-' << b[1] << '-' << b[2];
        EXPECT_EQ(date, 7.0);
    }
    SYSTEMTIME t;
    EXPECT_FALSE(DateToSystemTime(std::numeric_limits<double>::quiet_NaN(), t));
    EXPECT_FALSE(DateToSystemTime(2958466.0, t));
    EXPECT_FALSE(DateToSystemTime(-657435.0, t));
}

TEST(DateValue, RoundsToTheNearestSecondAcrossMidnight)
{
    SYSTEMTIME t;
    ASSERT_TRUE(DateToSystemTime(1.0 - 0.4 / 86400.0, t));
    EXPECT_EQ(t.wDay, 31);
    EXPECT_EQ(t.wMonth, 12);
    EXPECT_EQ(t.wHour, 0);
    EXPECT_EQ(t.wSecond, 0);
}

TEST(DateValue, ElapsedWholeSeconds)
{
    const double second = 1.0 / 86400.0;
    struct Case {
        double start, now;
        long long seconds;
    };
    const Case cases[] = {
        { 100.0, 100.0, 0 },
        { 100.0, 100.0 + 0.4 * second, 0 },
        { 100.0, 100.0 + 0.6 * second, 1 },
        { 100.0, 100.0 + 59.5 * second, 60 },
        { 100.0, 101.0, 86400 },
        // A clock set back gives a negative count, rounded away from zero as well.
        { 100.0, 100.0 - 1.6 * second, -2 },
        // Across the origin the line is straight: 1899-12-29 18:00 to 1899-12-30 06:00.
        { -1.75, 0.25, 43200 },
    };
    for (const Case& c : cases) EXPECT_EQ(ElapsedWholeSeconds(c.start, c.now), c.seconds) << c.start << ' ' << c.now;
}

TEST(DateValue, CurrentLocalDateIsTheLocalClock)
{
    SYSTEMTIME before;
    GetLocalTime(&before);
    const double now = CurrentLocalDate();
    SYSTEMTIME t;
    ASSERT_TRUE(DateToSystemTime(now, t));
    EXPECT_EQ(t.wYear, before.wYear);
    EXPECT_EQ(t.wMonth, before.wMonth);
    // Midnight may fall between the two readings; the date may then be one day on.
    EXPECT_TRUE(t.wDay == before.wDay || t.wHour == 0);
}
