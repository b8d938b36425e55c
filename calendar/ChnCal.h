#pragma once
// One civil date described the way the calendar control shows it: lunar
// month and day, year names, constellation, era, festivals and solar term.

#include <QString>

struct CivilDate {
    int y = 0, m = 0, d = 0;
};

struct TChnCal {
    CivilDate Date;
    int LunarYear = 0;
    QString YearGanZhi;
    QString AnimalText;
    QString EraText;
    int LunarMonth = 0;
    bool LeapMonth = false;
    QString MonthText;
    int LunarDay = 0;
    QString DayText;
    QString ConstellationText;
    QString SolarFestival;
    QString LunarFestival;
    QString SolarTermText;
};

// Fills `info` for the date; outside -849..2100 it keeps what it had.
bool DescribeDay(TChnCal& info, const CivilDate& date);

QString SolarFestivalOf(const CivilDate& date);
// Lunar festivals fall in ordinary months only; 除夕 is the last day of the
// twelfth month.
QString LunarFestivalOf(int month, bool leap, int day, const CivilDate& date);
QString SolarTermOf(const CivilDate& date);
QString EraTextOf(int year);
// "正月", "冬月", "腊月", or "闰" + name for a leap month.
QString MonthTextOf(int month, bool leap);
// The n-th (from 1) piece of text split at sep, trimmed; empty when missing.
QString FieldOf(const QString& text, QChar separator, int n);
// Day of the week, 0 Sunday .. 6 Saturday.
int WeekdayOf(const CivilDate& date);
