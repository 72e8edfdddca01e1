#pragma once
#include <windows.h>

// A length of time in days, with a status like the date-time values it comes from.
class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTimeSpan() = default;
    explicit COleDateTimeSpan(double days) : m_span(days) {}

    double GetTotalDays() const { return m_span; }
    double GetTotalSeconds() const { return m_span * 86400.0; }
    DateTimeSpanStatus GetStatus() const { return m_status; }

    double m_span = 0.0;
    DateTimeSpanStatus m_status = valid;
};

// A local date and time as days since 1899-12-30 (the fraction is the time of day), with a
// status. Before that day the whole days count down while the fraction still counts up,
// so differences are taken on a straight day line.
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    explicit COleDateTime(const SYSTEMTIME& time) { SetSystemTime(time); }
    COleDateTime(int year, int month, int day, int hour, int minute, int second)
    {
        SetDateTime(year, month, day, hour, minute, second);
    }

    // The current local time, to the whole second.
    static COleDateTime GetCurrentTime();

    // Returns 0 when the fields make a valid time, else 1 with the status invalid.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    bool SetSystemTime(const SYSTEMTIME& time);
    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    bool GetAsSystemTime(SYSTEMTIME& time) const;

    // The span from `other` to this one; invalid when either value is not valid.
    COleDateTimeSpan operator-(const COleDateTime& other) const;
    bool operator==(const COleDateTime& other) const { return m_status == other.m_status && m_dt == other.m_dt; }

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};
