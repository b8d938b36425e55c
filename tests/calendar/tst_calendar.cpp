// The lunar calendar: documented examples, the published-calendar
// corrections, and sweeps over every day of 1900-2100.
#include "calendar/ChnCal.h"
#include "calendar/LunarCalc.h"

#include <QSet>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {
struct Lunar {
    int year, month;
    bool leap;
    int day;
};
Lunar lunar(int y, int m, int d)
{
    Lunar l{};
    if (!SolarToLunar(y, m, d, l.year, l.month, l.leap, l.day))
        l.year = -99999;
    return l;
}
QString text(int y, int m, int d)
{
    TChnCal c;
    DescribeDay(c, {y, m, d});
    return QStringLiteral("%1%2").arg(c.MonthText, c.DayText);
}
TChnCal describe(int y, int m, int d)
{
    TChnCal c;
    DescribeDay(c, {y, m, d});
    return c;
}
}

class TstCalendar : public QObject {
    Q_OBJECT
private slots:
    void calendarArithmetic()
    {
        QCOMPARE(CalendarKind(1582, 10, 4), 1);
        QCOMPARE(CalendarKind(1582, 10, 5), 0);
        QCOMPARE(CalendarKind(1582, 10, 14), 0);
        QCOMPARE(CalendarKind(1582, 10, 15), 2);
        QVERIFY(IsLeap(2000) && !IsLeap(1900) && IsLeap(1500) && IsLeap(-1) && IsLeap(-5) && !IsLeap(-4));
        QCOMPARE(DaysInMonth(2012, 2), 29);
        QCOMPARE(DaysInMonth(2012, 0), 0);
        QCOMPARE(DaysInMonth(2012, 13), 0);
        QCOMPARE(DayCount(1582, 10, 4), 577735);
        QCOMPARE(DayCount(1582, 10, 15), 577736);
        QCOMPARE(DayCount(1899, 12, 30), 693594);
        QCOMPARE(DayCount(1582, 10, 10), 0);
        QCOMPARE(DayCount(2012, 1, 0), DayCount(2011, 12, 31));
        int y, m, d;
        QVERIFY(!DateFromCount(-1, y, m, d));
        // Round trip over every day from 0001-01-02 (day 0) to 2100, the 1582
        // gap and the Julian century leap days included.
        for (int n = 0; n <= DayCount(2100, 12, 31); ++n) {
            QVERIFY(DateFromCount(n, y, m, d));
            if (DayCount(y, m, d) != n)
                QFAIL(qPrintable(QStringLiteral("day %1 gives %2-%3-%4").arg(n).arg(y).arg(m).arg(d)));
        }
        QVERIFY(DateFromCount(577736, y, m, d));
        QCOMPARE(QList<int>({y, m, d}), QList<int>({1582, 10, 15}));
        QVERIFY(DateFromCount(577735, y, m, d));
        QCOMPARE(QList<int>({y, m, d}), QList<int>({1582, 10, 4}));
        QVERIFY(DateFromCount(DayCount(100, 2, 29), y, m, d));
        QCOMPARE(QList<int>({y, m, d}), QList<int>({100, 2, 29}));
        QVERIFY(DateFromCount(36500, y, m, d));
        QCOMPARE(QList<int>({y, m, d}), QList<int>({100, 12, 8}));
    }

    void smallFunctionsAndNames()
    {
        QCOMPARE(Frac(-2.75), -0.75);
        QCOMPARE(Nearest(2.5), 2.0);
        QCOMPARE(Nearest(3.5), 4.0);
        QCOMPARE(Mod12(25.0), 1.0);
        QCOMPARE(GanZhiName(0), QStringLiteral("甲子"));
        QCOMPARE(GanZhiName(59), QStringLiteral("癸亥"));
        QCOMPARE(GanZhiName(60), QString());
        QCOMPARE(AnimalName(12), QString());
        QCOMPARE(SolarTermName(0), QStringLiteral("立春"));
        QCOMPARE(YearGanZhiIndex(1984), 0);
        QCOMPARE(YearGanZhiIndex(-1), 56);
        QCOMPARE(ConstellationIndex(1, 19), 9);
        QCOMPARE(ConstellationIndex(1, 20), 10);
        QCOMPARE(ConstellationIndex(3, 21), 0);
        QCOMPARE(ConstellationIndex(12, 21), 8);
        QCOMPARE(ConstellationIndex(12, 22), 9);
        QCOMPARE(ConstellationIndex(12, 31), 9);
        QCOMPARE(ConstellationIndex(1, 1), 9);
        QCOMPARE(LunarDayText(10), QStringLiteral("初十"));
        QCOMPARE(LunarDayText(1), QStringLiteral("初一"));
        QCOMPARE(LunarDayText(15), QStringLiteral("十五"));
        QCOMPARE(LunarDayText(20), QStringLiteral("二十"));
        QCOMPARE(LunarDayText(21), QStringLiteral("廿一"));
        QCOMPARE(LunarDayText(30), QStringLiteral("三十"));
        QCOMPARE(LunarDayText(0), QString());
        QCOMPARE(LunarDayText(31), QString());
        QCOMPARE(MonthTextOf(1, false), QStringLiteral("正月"));
        QCOMPARE(MonthTextOf(11, false), QStringLiteral("冬月"));
        QCOMPARE(MonthTextOf(12, false), QStringLiteral("腊月"));
        QCOMPARE(MonthTextOf(4, true), QStringLiteral("闰四"));
        QCOMPARE(FieldOf(QStringLiteral("a, b ,,d"), u',', 2), QStringLiteral("b"));
        QCOMPARE(FieldOf(QStringLiteral("a,b"), u',', 3), QString());
    }

    void leapTable()
    {
        const int expected[][2]
            = {{1900, 8}, {2001, 4}, {2004, 2}, {2006, 7}, {2009, 5},  {2012, 4}, {2014, 9}, {2017, 6},
               {2020, 4}, {2023, 2}, {2025, 6}, {2028, 5}, {2033, 11}, {2099, 2}, {2100, 0}};
        for (const auto& e : expected)
            QCOMPARE(LeapMonthOf(e[0]), e[1]);
        QCOMPARE(LeapCountThrough(-849), 0);
        QCOMPARE(LeapCountThrough(-848), 1);
        QCOMPARE(LeapCountThrough(2100), 1084);
    }

    void lunarDates()
    {
        const Lunar a = lunar(2010, 4, 5);
        QCOMPARE(QList<int>({a.year, a.month, a.leap, a.day}), QList<int>({2010, 2, 0, 21}));
        QCOMPARE(text(2010, 4, 5), QStringLiteral("二月廿一"));
        const Lunar b = lunar(2000, 1, 1);
        QCOMPARE(QList<int>({b.year, b.month, b.day}), QList<int>({1999, 11, 25}));
        // New years.
        for (const auto& ny : {QList<int>{2000, 2, 5}, {2010, 2, 14}, {2024, 2, 10}, {2026, 2, 17}}) {
            int y, m, d;
            QVERIFY(LunarNewYearDate(ny[0], y, m, d));
            QCOMPARE(QList<int>({y, m, d}), ny);
            const Lunar first = lunar(ny[0], ny[1], ny[2]);
            QCOMPARE(QList<int>({first.year, first.month, first.day}), QList<int>({ny[0], 1, 1}));
            const Lunar eve = lunar(ny[0], ny[1], ny[2] - 1);
            QCOMPARE(eve.year, ny[0] - 1);
        }
        // 2009's leap fifth month.
        QCOMPARE(LunarMonth(2009, 6, 23), -5);
        QCOMPARE(LunarDay(2009, 6, 23), 1);
        QCOMPARE(LunarMonth(2009, 7, 21), -5);
        QCOMPARE(LunarMonth(2009, 7, 22), 6);
        QCOMPARE(LunarDay(2009, 7, 22), 1);
        QCOMPARE(text(2033, 12, 22), QStringLiteral("闰冬初一"));
        QCOMPARE(text(2018, 11, 7), QStringLiteral("九月三十"));
        QCOMPARE(text(2018, 12, 7), QStringLiteral("冬月初一"));
        int ly, lm, ld;
        bool leap;
        QVERIFY(!SolarToLunar(2101, 1, 1, ly, lm, leap, ld));
        QVERIFY(!SolarToLunar(-850, 6, 1, ly, lm, leap, ld));
        QVERIFY(SolarToLunar(1, 1, 1, ly, lm, leap, ld));
        QVERIFY(SolarToLunar(2100, 12, 31, ly, lm, leap, ld));
    }

    void publishedCalendarCorrections()
    {
        QCOMPARE(text(2025, 4, 27), QStringLiteral("三月三十"));
        QCOMPARE(text(2025, 4, 28), QStringLiteral("四月初一"));
        QCOMPARE(text(2025, 5, 27), QStringLiteral("五月初一"));
        int y, m, d;
        QVERIFY(LunarNewYearDate(1916, y, m, d));
        QCOMPARE(QList<int>({y, m, d}), QList<int>({1916, 2, 3}));
        QCOMPARE(LunarDay(1914, 11, 17), 1);
        QCOMPARE(LunarDay(1920, 11, 10), 1);
        QCOMPARE(LunarDay(1914, 12, 16), 30);
        QCOMPARE(text(2057, 9, 29), QStringLiteral("九月初一"));
        const struct {
            int y;
            const char* term;
            int m, d;
        } terms[] = {
            {1911, "立夏", 5, 7},  {1912, "寒露", 10, 9}, {1923, "雨水", 2, 19}, {2016, "小暑", 7, 7},
            {2020, "大雪", 12, 7}, {2037, "秋分", 9, 23}, {2040, "寒露", 10, 8}, {2042, "大暑", 7, 23},
            {2051, "春分", 3, 20}, {2059, "雨水", 2, 19}, {2083, "立春", 2, 3},  {2084, "春分", 3, 19},
            {2085, "小寒", 1, 4},  {2097, "立夏", 5, 5},
        };
        for (const auto& t : terms)
            QCOMPARE(SolarTermOf({t.y, t.m, t.d}), QString::fromUtf8(t.term));
        // The next year's 小寒 seen from the year before moves with it.
        QCOMPARE(int(std::floor(SolarTermDay(2084, 25))), 366 + 4);
        QCOMPARE(int(std::floor(SolarTermDay(2085, 1))), 4);
        // The year name follows the corrected start of spring.
        QCOMPARE(describe(2083, 2, 3).YearGanZhi, GanZhiName(YearGanZhiIndex(2083)));
        QCOMPARE(describe(2083, 2, 2).YearGanZhi, GanZhiName(YearGanZhiIndex(2082)));
    }

    void termsAndYearNames()
    {
        const struct {
            int m, d;
            const char* term;
        } terms2010[] = {{1, 5, "小寒"}, {2, 4, "立春"}, {4, 5, "清明"}, {6, 21, "夏至"}, {12, 22, "冬至"}};
        for (const auto& t : terms2010)
            QCOMPARE(SolarTermOf({2010, t.m, t.d}), QString::fromUtf8(t.term));
        QCOMPARE(SolarTermOf({2010, 1, 6}), QString());
        int m, d;
        QVERIFY(!SolarTermDate(2010, 24, m, d));
        QVERIFY(!SolarTermDate(2010, -1, m, d));
        // In a Julian year 小寒 can fall in the old December: no day 0 or -4.
        QVERIFY(!SolarTermDate(1500, 0, m, d));
        QVERIFY(SolarTermDate(1500, 1, m, d));
        QCOMPARE(QList<int>({m, d}), QList<int>({1, 11}));
        QCOMPARE(describe(2010, 2, 3).YearGanZhi, QStringLiteral("己丑"));
        QCOMPARE(describe(2010, 2, 4).YearGanZhi, QStringLiteral("庚寅"));
        QCOMPARE(describe(2024, 2, 10).YearGanZhi, QStringLiteral("甲辰"));
        // Before the start of spring but after the new year: the animal follows the lunar year.
        const TChnCal c = describe(2024, 2, 3);
        QCOMPARE(c.YearGanZhi, QStringLiteral("癸卯"));
        QCOMPARE(describe(2024, 2, 10).AnimalText, QStringLiteral("龙"));
    }

    void festivals()
    {
        QCOMPARE(describe(2010, 5, 9).SolarFestival, QStringLiteral("母亲节"));
        QCOMPARE(describe(2010, 5, 2).SolarFestival, QString());
        QCOMPARE(describe(2010, 11, 25).SolarFestival, QStringLiteral("感恩节"));
        QCOMPARE(describe(2010, 6, 20).SolarFestival, QStringLiteral("父亲节"));
        QCOMPARE(describe(2012, 10, 1).SolarFestival, QStringLiteral("国庆节"));
        QCOMPARE(describe(2010, 2, 13).LunarFestival, QStringLiteral("除夕"));  // a 30-day twelfth month
        QCOMPARE(describe(2010, 2, 13).DayText, QStringLiteral("三十"));
        // A 29-day twelfth month: the eve is day 29.
        int y, m, d;
        QVERIFY(LunarNewYearDate(2012, y, m, d));
        const int eve = DayCount(y, m, d) - 1;
        QVERIFY(DateFromCount(eve, y, m, d));
        QCOMPARE(describe(y, m, d).DayText, QStringLiteral("廿九"));
        QCOMPARE(describe(y, m, d).LunarFestival, QStringLiteral("除夕"));
        QCOMPARE(describe(2010, 2, 14).LunarFestival, QStringLiteral("春节"));
        // No festival in a leap month.
        QCOMPARE(describe(2009, 5, 28).LunarFestival, QStringLiteral("端午节"));
        QCOMPARE(describe(2009, 6, 27).LunarFestival, QString());
        QCOMPARE(describe(1995, 9, 9).LunarFestival, QStringLiteral("中秋节"));
        QCOMPARE(describe(1995, 10, 9).LunarFestival, QString());
        QCOMPARE(describe(2014, 11, 1).LunarFestival, QString());
        // A festival and a term on one day keep both.
        const TChnCal both = describe(2010, 4, 5);
        QCOMPARE(both.SolarTermText, QStringLiteral("清明"));
    }

    void eras()
    {
        QCOMPARE(EraTextOf(1662), QStringLiteral("[清]圣祖 爱新觉罗玄烨 康熙元年"));
        QCOMPARE(EraTextOf(1663), QStringLiteral("[清]圣祖 爱新觉罗玄烨 康熙2年"));
        QCOMPARE(EraTextOf(1911), QStringLiteral("[近、现代]中华民国  民国元年"));
        QCOMPARE(EraTextOf(1948), QStringLiteral("[近、现代]中华民国  民国38年"));
        QCOMPARE(EraTextOf(1949), QString());
        QCOMPARE(EraTextOf(2012), QString());
        QCOMPARE(EraTextOf(-2069), QStringLiteral("[夏]禹  禹元年"));
        QCOMPARE(EraTextOf(-2070), QString());
        TChnCal keep;
        keep.DayText = QStringLiteral("kept");
        QVERIFY(!DescribeDay(keep, {2101, 1, 1}));
        QCOMPARE(keep.DayText, QStringLiteral("kept"));
    }

    void sweep1900to2100()
    {
        const Sweep sweep = checkYears(1900, 2100, true);
        QCOMPARE(sweep.lunar, QList<int>());
        QCOMPARE(sweep.terms, QList<int>());
    }

private:
    struct Sweep {
        QList<int> lunar, terms;  // the years that break
    };

    // Every day of the years: the lunar day runs 1..30 without a gap, a month
    // starts only on day 1 and is the successor of the one before (or its
    // leap repeat), the lunar year turns exactly on 1-1, leap months are
    // those of the table and every one of them shows, 24 terms a year.
    // The lunar year comes from one new-year search per civil year, as
    // SolarToLunar does it, to keep the sweep fast.
    Sweep checkYears(int from, int to, bool fail)
    {
        Sweep out;
        QList<int>& broken = out.lunar;
        int prevDay = -1, prevMonth = 0, prevYear = 0;
        bool prevLeap = false;
        QSet<int> leapYearsSeen;
        for (int y = from; y <= to; ++y) {
            bool ok = true;
            int terms = 0;
            int ny, nm, nd;
            const int newYear = LunarNewYearDate(y, ny, nm, nd) ? DayCount(ny, nm, nd) : -1;
            if (newYear < 0)
                ok = false;
            for (int m = 1; m <= 12; ++m)
                for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                    if (CalendarKind(y, m, d) == 0)
                        continue;
                    int lm, ld;
                    bool leap;
                    if (!LunarMonthDay(y, m, d, lm, leap, ld) || ld < 1 || ld > 30 || lm < 1 || lm > 12) {
                        ok = false;
                        prevDay = -1;
                        continue;
                    }
                    const int ly = DayCount(y, m, d) < newYear ? y - 1 : y;
                    if (prevDay > 0) {
                        if (ld != 1 && (ld != prevDay + 1 || lm != prevMonth || leap != prevLeap || ly != prevYear))
                            ok = false;
                        if (ld == 1) {
                            const bool repeat = leap && !prevLeap && lm == prevMonth;
                            const bool next = !leap && lm == prevMonth % 12 + 1;
                            const bool yearTurns = lm == 1 && !leap;
                            if (prevDay < 29 || !(repeat || next) || ly != prevYear + (yearTurns ? 1 : 0))
                                ok = false;
                        }
                    }
                    if (leap) {
                        if (LeapMonthOf(ly) != lm)
                            ok = false;
                        leapYearsSeen.insert(ly);
                    }
                    if (!SolarTermOf({y, m, d}).isEmpty())
                        ++terms;
                    prevDay = ld;
                    prevMonth = lm;
                    prevLeap = leap;
                    prevYear = ly;
                }
            if (terms != 24) {
                out.terms << y;
                if (fail)
                    qWarning("year %d has %d solar-term days", y, terms);
            }
            if (!ok) {
                broken << y;
                if (fail)
                    qWarning("year %d breaks the calendar invariants", y);
            }
        }
        // Each leap month of the table must have shown (the last year's may
        // run past the sweep).
        for (int y = from; y < to; ++y)
            if (LeapMonthOf(y) > 0 && !leapYearsSeen.contains(y) && !broken.contains(y)) {
                broken << y;
                if (fail)
                    qWarning("the leap month of %d never shows", y);
            }
        std::sort(broken.begin(), broken.end());
        return out;
    }
};

QTEST_GUILESS_MAIN(TstCalendar)
#include "tst_calendar.moc"
