#include <gtest/gtest.h>

#include "framework/DateTime.h"

namespace {

TEST(FrameworkDateTime, DaysCountFromTheEndOf1899)
{
    struct Case {
        int y, mo, d, h, mi, s;
        double days;
    } cases[] = {
        { 1899, 12, 30, 0, 0, 0, 0.0 },     { 1900, 1, 1, 0, 0, 0, 2.0 },     { 2000, 1, 1, 12, 0, 0, 36526.5 },
        { 2000, 2, 29, 6, 0, 0, 36585.25 }, { 1899, 12, 29, 6, 0, 0, -1.25 }, { 1800, 1, 1, 0, 0, 0, -36522.0 },
    };
    for (const Case& c : cases) {
        COleDateTime value(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_EQ(COleDateTime::valid, value.GetStatus()) << c.y << "-" << c.mo << "-" << c.d;
        EXPECT_NEAR(c.days, value.m_dt, 1e-9) << c.y << "-" << c.mo << "-" << c.d;
        SYSTEMTIME back{};
        ASSERT_TRUE(value.GetAsSystemTime(back));
        EXPECT_EQ(c.y, back.wYear);
        EXPECT_EQ(c.mo, back.wMonth);
        EXPECT_EQ(c.d, back.wDay);
        EXPECT_EQ(c.h, back.wHour);
    }
}

TEST(FrameworkDateTime, ImpossibleFieldsAreInvalid)
{
    struct Case {
        int y, mo, d, h, mi, s;
    } cases[] = { { 2001, 2, 29, 0, 0, 0 }, { 2000, 13, 1, 0, 0, 0 }, { 2000, 1, 0, 0, 0, 0 },
                  { 2000, 1, 1, 24, 0, 0 }, { 2000, 1, 1, 0, 60, 0 }, { 99, 1, 1, 0, 0, 0 } };
    for (const Case& c : cases) {
        COleDateTime value;
        EXPECT_EQ(1, value.SetDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s));
        EXPECT_EQ(COleDateTime::invalid, value.GetStatus());
    }
}

TEST(FrameworkDateTime, DifferencesAreSpansInDays)
{
    const COleDateTime start(2024, 2, 28, 23, 59, 30);
    const COleDateTime end(2024, 3, 1, 0, 0, 0);
    const COleDateTimeSpan span = end - start;
    EXPECT_EQ(COleDateTimeSpan::valid, span.GetStatus());
    EXPECT_NEAR(1.0 + 30.0 / 86400.0, span.GetTotalDays(), 1e-9);
    EXPECT_NEAR(-(86400.0 + 30.0), (start - end).GetTotalSeconds(), 1e-4);

    // Across the day where the stored fraction turns round.
    const COleDateTimeSpan acrossZero = COleDateTime(1899, 12, 30, 6, 0, 0) - COleDateTime(1899, 12, 29, 18, 0, 0);
    EXPECT_NEAR(0.5, acrossZero.GetTotalDays(), 1e-9);

    COleDateTime broken;
    broken.SetStatus(COleDateTime::invalid);
    EXPECT_EQ(COleDateTimeSpan::invalid, (end - broken).GetStatus());
    EXPECT_EQ(COleDateTime::valid, COleDateTime::GetCurrentTime().GetStatus());
}

} // namespace
