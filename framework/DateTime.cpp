#include "DateTime.h"

#include "common/DateValue.h"

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return COleDateTime(now);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    double date = 0.0;
    if (!DateFromParts(year, month, day, hour, minute, second, date)) {
        m_dt = 0.0;
        m_status = invalid;
        return 1;
    }
    m_dt = date;
    m_status = valid;
    return 0;
}

bool COleDateTime::SetSystemTime(const SYSTEMTIME& time)
{
    return SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond) == 0;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const
{
    return m_status == valid && DateToSystemTime(m_dt, time);
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const
{
    COleDateTimeSpan span(DateToLinearDays(m_dt) - DateToLinearDays(other.m_dt));
    if (m_status != valid || other.m_status != valid) {
        span.m_span = 0.0;
        span.m_status = COleDateTimeSpan::invalid;
    }
    return span;
}
