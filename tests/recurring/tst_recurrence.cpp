// The dates a recurring plan gives: each from the start and its index
// (month ends, leap days, weeks, counts), the weekend shift, and the lunar
// rules against the lunar library itself over its whole range.
#include "calendar/LunarCalc.h"
#include "recurring/Recurrence.h"

#include <QTest>

Q_DECLARE_METATYPE(QList<QDate>)

namespace {
QList<QDate> dates(std::initializer_list<const char*> iso)
{
    QList<QDate> out;
    for (const char* d : iso)
        out << QDate::fromString(QString::fromLatin1(d), Qt::ISODate);
    return out;
}

Recurrence rule(const char* encoded)
{
    const auto r = Recurrence::decode(QString::fromLatin1(encoded));
    if (!r)
        qFatal("not a rule: %s", encoded);
    return *r;
}

QDate newYear(int year)
{
    int y = 0, m = 0, d = 0;
    return LunarNewYearDate(year, y, m, d) ? QDate(y, m, d) : QDate();
}
}  // namespace

class TstRecurrence : public QObject {
    Q_OBJECT
private slots:
    void civilRules_data()
    {
        QTest::addColumn<QString>("rule");  // unit|every|weekdays|month|day|leap|shift
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QDate>>("expected");
        const QDate far(2030, 1, 1);
        QTest::newRow("31st monthly, leap then common year")
            << "M|1|0|1|31|0|0" << QDate(2012, 1, 31) << QDate(2013, 4, 30) << 0 << "每月31日（月末顺延）"
            << dates({"2012-01-31", "2012-02-29", "2012-03-31", "2012-04-30", "2012-05-31", "2012-06-30", "2012-07-31",
                      "2012-08-31", "2012-09-30", "2012-10-31", "2012-11-30", "2012-12-31", "2013-01-31", "2013-02-28",
                      "2013-03-31", "2013-04-30"});
        QTest::newRow("30th across February")
            << "M|1|0|1|30|0|0" << QDate(2013, 1, 30) << QDate(2013, 3, 31) << 0 << "每月30日（月末顺延）"
            << dates({"2013-01-30", "2013-02-28", "2013-03-30"});
        QTest::newRow("every 3 months from 30 November")
            << "M|3|0|1|30|0|0" << QDate(2011, 11, 30) << QDate(2012, 12, 1) << 0 << "每3个月的30日（月末顺延）"
            << dates({"2011-11-30", "2012-02-29", "2012-05-30", "2012-08-30", "2012-11-30"});
        QTest::newRow("a day before the start's day begins next month")
            << "M|1|0|1|10|0|0" << QDate(2012, 1, 15) << QDate(2012, 3, 31) << 0 << "每月10日"
            << dates({"2012-02-10", "2012-03-10"});
        QTest::newRow("29 February yearly")
            << "Y|1|0|2|29|0|0" << QDate(2012, 2, 29) << QDate(2016, 12, 31) << 0 << "每年2月29日（平年为2月28日）"
            << dates({"2012-02-29", "2013-02-28", "2014-02-28", "2015-02-28", "2016-02-29"});
        QTest::newRow("month end") << "M|1|0|1|0|0|0" << QDate(2013, 1, 15) << QDate(2013, 3, 31) << 0 << "每月月末"
                                   << dates({"2013-01-31", "2013-02-28", "2013-03-31"});
        QTest::newRow("second last day") << "M|1|0|1|-2|0|0" << QDate(2012, 1, 1) << QDate(2012, 3, 31) << 0
                                         << "每月倒数第2天" << dates({"2012-01-30", "2012-02-28", "2012-03-30"});
        QTest::newRow("every 2 weeks on Monday and Thursday")
            << "W|2|9|1|1|0|0" << QDate(2012, 5, 2) << QDate(2012, 6, 1) << 0 << "每2周 周一、周四"
            << dates({"2012-05-03", "2012-05-14", "2012-05-17", "2012-05-28", "2012-05-31"});
        QTest::newRow("every 120 days") << "D|120|0|1|1|0|0" << QDate(2012, 1, 1) << QDate(2012, 12, 31) << 0
                                        << "每120天" << dates({"2012-01-01", "2012-04-30", "2012-08-28", "2012-12-26"});
        QTest::newRow("ended by count") << "M|1|0|1|31|0|0" << QDate(2012, 1, 31) << far << 3 << "每月31日（月末顺延）"
                                        << dates({"2012-01-31", "2012-02-29", "2012-03-31"});
        QTest::newRow("ended by date") << "Y|1|0|12|0|0|0" << QDate(2012, 1, 1) << QDate(2013, 12, 30) << 0
                                       << "每年12月月末" << dates({"2012-12-31"});
    }
    void civilRules()
    {
        QFETCH(QString, rule);
        QFETCH(QDate, start);
        QFETCH(QDate, to);
        QFETCH(int, count);
        QFETCH(QString, text);
        QFETCH(QList<QDate>, expected);
        const auto r = Recurrence::decode(rule);
        QVERIFY(r);
        QCOMPARE(r->encode(), rule);
        QCOMPARE(r->text(), text);
        QCOMPARE(occurrences(*r, start, start, to, count), expected);
        // Any window gives the same dates, each computed from the start.
        QCOMPARE(occurrences(*r, start, expected.first().addDays(1), to, count), expected.mid(1));
        QCOMPARE(nthOccurrence(*r, start, int(expected.size()) - 1), expected.last());
    }

    void weekendShift_data()
    {
        QTest::addColumn<int>("shift");
        QTest::addColumn<QDate>("occurrence");
        QTest::addColumn<QDate>("record");
        QTest::newRow("Saturday to Friday") << 1 << QDate(2012, 5, 19) << QDate(2012, 5, 18);
        QTest::newRow("Sunday to Friday") << 1 << QDate(2012, 5, 20) << QDate(2012, 5, 18);
        QTest::newRow("Saturday to Monday") << 2 << QDate(2012, 5, 19) << QDate(2012, 5, 21);
        QTest::newRow("Sunday to Monday") << 2 << QDate(2012, 5, 20) << QDate(2012, 5, 21);
        QTest::newRow("a weekday stays") << 2 << QDate(2012, 5, 18) << QDate(2012, 5, 18);
        QTest::newRow("no shift") << 0 << QDate(2012, 5, 20) << QDate(2012, 5, 20);
    }
    void weekendShift()
    {
        QFETCH(int, shift);
        QFETCH(QDate, occurrence);
        QFETCH(QDate, record);
        Recurrence r;
        r.shift = Recurrence::Shift(shift);
        QCOMPARE(recordDate(r, occurrence), record);
    }

    // 正月初一 is 春节 and 腊月月末 the day before it, every year of the
    // range; day 30 gives the 29th in a short month; nothing outside the range.
    void lunarYearsAgainstTheLibrary()
    {
        const QDate from(1901, 1, 1), to(2101, 12, 31);
        const QList<QDate> springs = occurrences(rule("L|1|0|1|1|0|0"), from, from, to);
        const QList<QDate> eves = occurrences(rule("L|1|0|12|0|0|0"), from, from, to);
        const QList<QDate> thirtieths = occurrences(rule("L|1|0|12|30|0|0"), from, from, to);
        QCOMPARE(springs.size(), kLastLunarYear - kFirstLunarYear + 1);
        for (int y = kFirstLunarYear; y <= kLastLunarYear; ++y)
            QCOMPARE(springs[y - kFirstLunarYear], newYear(y));
        QCOMPARE(eves.size(), kLastLunarYear - kFirstLunarYear);  // 2100's last month ends in 2101
        for (int i = 0; i < eves.size(); ++i) {
            QCOMPARE(eves[i].addDays(1), springs[i + 1]);
            QCOMPARE(thirtieths[i], eves[i]);
        }
        QCOMPARE(rule("L|1|0|1|1|0|0").text(), QStringLiteral("每年农历正月初一"));
        QCOMPARE(rule("L|1|0|12|0|0|0").text(), QStringLiteral("每年农历腊月月末"));
        QCOMPARE(rule("N|1|0|1|15|0|0").text(), QStringLiteral("每个农历月的十五"));
        QCOMPARE(occurrences(rule("L|1|0|1|1|0|0"), QDate(2101, 1, 1), from, to), QList<QDate>());
    }

    // 2023 has a leap second month, 2024 none.
    void leapMonthChoices_data()
    {
        QTest::addColumn<int>("leap");
        QTest::addColumn<QList<QDate>>("expected");
        QTest::newRow("ordinary month only") << 0 << dates({"2023-02-20", "2024-03-10"});
        QTest::newRow("leap month only") << 1 << dates({"2023-03-22"});
        QTest::newRow("both") << 2 << dates({"2023-02-20", "2023-03-22", "2024-03-10"});
    }
    void leapMonthChoices()
    {
        QFETCH(int, leap);
        QFETCH(QList<QDate>, expected);
        Recurrence r = rule("L|1|0|2|1|0|0");
        r.leap = Recurrence::Leap(leap);
        QCOMPARE(occurrences(r, QDate(2023, 1, 22), QDate(2023, 1, 1), QDate(2024, 12, 31)), expected);
        for (const QDate& d : expected) {
            int month = 0, day = 0;
            bool isLeap = false;
            QVERIFY(LunarMonthDay(d.year(), d.month(), d.day(), month, isLeap, day));
            QCOMPARE(month * 100 + day, 201);
        }
    }

    // Every lunar month, leap ones included, on its 15th.
    void everyLunarMonth()
    {
        const QList<QDate> got
            = occurrences(rule("N|1|0|1|15|0|0"), QDate(2023, 1, 22), QDate(2023, 1, 1), QDate(2023, 12, 31));
        QCOMPARE(got.size(), 12);  // 正月 … 十一月 with 闰二月 in 2023
        for (const QDate& d : got)
            QCOMPARE(LunarDay(d.year(), d.month(), d.day()), 15);
    }

    void notRules_data()
    {
        QTest::addColumn<QString>("text");
        for (const char* t : {"", "M|1|0|1|32|0|0", "W|1|0|1|1|0|0", "X|1|0|1|1|0|0", "M|0|0|1|1|0|0", "Y|1|0|13|1|0|0",
                              "L|1|0|1|31|0|0", "M|1|0|1|-1|0|0", "M|1|0|1|1|3|0", "M|1|0|1"})
            QTest::newRow(t) << QString::fromLatin1(t);
    }
    void notRules()
    {
        QFETCH(QString, text);
        QVERIFY(!Recurrence::decode(text));
    }
};

QTEST_GUILESS_MAIN(TstRecurrence)
#include "tst_recurrence.moc"
