// The month sheet: which day sits in which cell and what its lower line
// shows. The rows are what the calendar page showed before the sheet was a
// function of its own.
#include "calendar/LunarCalc.h"
#include "calendar/MonthSheet.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// One letter a day: '.' the lunar day, M a month's first day, S a solar
// festival, T a solar term, L a lunar festival.
QChar markLetter(DayMark mark)
{
    switch (mark) {
    case DayMark::LunarDay: return u'.';
    case DayMark::MonthStart: return u'M';
    case DayMark::SolarFestival: return u'S';
    case DayMark::SolarTerm: return u'T';
    case DayMark::LunarFestival: return u'L';
    case DayMark::None: break;
    }
    return u'?';
}
}  // namespace

class TstMonthSheet : public QObject {
    Q_OBJECT
private slots:
    void cells_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("firstCell");     // the 1st
        QTest::addColumn<int>("lastCell");      // the month's last day
        QTest::addColumn<int>("selectedCell");  // the selected day
        QTest::addColumn<QString>("firstLunar");
        QTest::addColumn<QString>("selectedLunar");
        QTest::addColumn<QString>("lowerLines");  // every day's, in order
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QStringList>("weekNumbers");
        QTest::addColumn<QString>("corners");

        QTest::newRow("March 2020 begins on a Sunday")
            << 2020 << 3 << 1 << 1 << 31 << 1 << u"二月初八"_s << u"二月初八"_s
            << u"初八 初九 初十 十一 惊蛰 十三 十四 妇女节 十六 十七 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 春分 廿八 廿九 三十 三月 初二 初三 初四 初五 初六 初七 初八"_s
            << u"....T..S...........T...M......."_s << QStringList{"10", "11", "12", "13", "14", ""}
            << u"双鱼 庚子 鼠年"_s;
        QTest::newRow("January 2024 begins on a Monday")
            << 2024 << 1 << 15 << 2 << 32 << 16 << u"冬月二十"_s << u"腊月初五"_s
            << u"元旦节 廿一 廿二 廿三 廿四 小寒 廿六 廿七 廿八 廿九 腊月 初二 初三 初四 初五 初六 初七 腊八节 初九 大寒 十一 十二 十三 十四 十五 十六 十七 十八 十九 二十 廿一"_s
            << u"S....T....M......L.T..........."_s << QStringList{"1", "2", "3", "4", "5", ""} << u"摩羯 癸卯 兔年"_s;
        QTest::newRow("闰二 of 2023 begins on 22 March")
            << 2023 << 3 << 22 << 4 << 34 << 25 << u"二月初十"_s << u"闰二初一"_s
            << u"初十 十一 十二 十三 十四 惊蛰 十六 妇女节 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 廿九 春分 闰二 初二 初三 初四 初五 初六 初七 初八 初九 初十"_s
            << u".....T.S............TM........."_s << QStringList{"9", "10", "11", "12", "13", ""}
            << u"白羊 癸卯 兔年"_s;
        QTest::newRow("除夕 and 春节 of 2023")
            << 2023 << 1 << 21 << 1 << 31 << 21 << u"腊月初十"_s << u"腊月三十"_s
            << u"元旦节 十一 十二 十三 小寒 十五 十六 十七 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 大寒 除夕 春节 初二 初三 初四 初五 初六 初七 初八 初九 初十"_s
            << u"S...T..............TLL........."_s << QStringList{"1", "2", "3", "4", "5", ""} << u"宝瓶 壬寅 虎年"_s;
        QTest::newRow("February 2024: leap year, 立春, 除夕, 春节, 元宵节")
            << 2024 << 2 << 10 << 5 << 33 << 14 << u"腊月廿二"_s << u"正月初一"_s
            << u"廿二 廿三 廿四 立春 廿六 廿七 廿八 廿九 除夕 春节 初二 初三 初四 情人节 初六 初七 初八 初九 雨水 十一 十二 十三 十四 元宵节 十六 十七 十八 十九 二十"_s
            << u"...T....LL...S....T....L....."_s << QStringList{"5", "6", "7", "8", "9", ""} << u"宝瓶 甲辰 龙年"_s;
        QTest::newRow("中秋节 on the national day, 1 October 2020")
            << 2020 << 10 << 1 << 5 << 35 << 5 << u"八月十五"_s << u"八月十五"_s
            << u"中秋节 十六 十七 十八 十九 老人节 廿一 寒露 廿三 廿四 廿五 廿六 廿七 廿八 廿九 三十 九月 初二 初三 初四 初五 初六 霜降 初八 重阳节 初十 十一 十二 十三 十四 万圣节"_s
            << u"L....S.T........M.....T.L.....S"_s << QStringList{"40", "41", "42", "43", "44", ""}
            << u"天秤 庚子 鼠年"_s;
        QTest::newRow("October 1582 has no 5th to 14th")
            << 1582 << 10 << 15 << 2 << 22 << 6 << u"九月十五"_s << u"九月十九"_s
            << u"国庆节 十六 十七 十八 十九 二十 廿一 廿二 廿三 廿四 廿五 廿六 廿七 廿八 廿九 十月 初二 初三 初四 初五 万圣节"_s
            << u"S..............M....S"_s << QStringList{"40", "41", "42", "42", "", ""} << u"天秤 壬午 马年"_s;
        QTest::newRow("the first month of year 1")
            << 1 << 1 << 1 << 7 << 37 << 7 << u"冬月十九"_s << u"冬月十九"_s
            << u"元旦节 二十 廿一 廿二 廿三 小寒 廿五 廿六 廿七 廿八 廿九 三十 腊月 初二 初三 初四 初五 初六 初七 腊八节 大寒 初十 十一 十二 十三 十四 十五 十六 十七 十八 十九"_s
            << u"S....T......M......LT.........."_s << QStringList{"52", "1", "2", "3", "4", "5"}
            << u"摩羯 辛酉 鸡年"_s;
        QTest::newRow("the last month of 2100")
            << 2100 << 12 << 31 << 4 << 34 << 34 << u"冬月初一"_s << u"腊月初一"_s
            << u"冬月 初二 初三 初四 初五 初六 大雪 初八 初九 初十 十一 十二 十三 十四 十五 十六 十七 十八 十九 二十 廿一 冬至 廿三 廿四 圣诞节 廿六 廿七 廿八 廿九 三十 腊月"_s
            << u"M.....T..............T..S.....M"_s << QStringList{"48", "49", "50", "51", "52", ""}
            << u"摩羯 庚申 猴年"_s;
    }

    void cells()
    {
        QFETCH(int, y);
        QFETCH(int, m);
        QFETCH(int, d);
        QFETCH(int, firstCell);
        QFETCH(int, lastCell);
        QFETCH(int, selectedCell);
        QFETCH(QString, firstLunar);
        QFETCH(QString, selectedLunar);
        QFETCH(QString, lowerLines);
        QFETCH(QString, marks);
        QFETCH(QStringList, weekNumbers);
        QFETCH(QString, corners);
        const MonthSheet sheet = BuildMonthSheet({y, m, d});

        QStringList lines;
        QString letters;
        for (int k = 1; k <= MonthSheet::kDayCells; ++k) {
            const SheetCell& c = sheet.cells[k];
            QCOMPARE(c.valid, k >= firstCell && k <= lastCell);
            if (!c.valid)
                continue;
            lines << c.shownText;
            letters += markLetter(c.mark);
        }
        QVERIFY(!sheet.cells[38].valid && !sheet.cells[39].valid);
        QCOMPARE(sheet.cells[firstCell].day, 1);
        QCOMPARE(sheet.cells[lastCell].day, DaysInMonth(y, m));
        QCOMPARE(sheet.cells[firstCell].monthText + sheet.cells[firstCell].lunarDayText, firstLunar);
        QCOMPARE(lines.join(u' '), lowerLines);
        QCOMPARE(letters, marks);

        QCOMPARE(sheet.selectedCell, selectedCell);
        QCOMPARE(sheet.cells[sheet.selectedCell].day, d);
        QCOMPARE(sheet.selected.MonthText + sheet.selected.DayText, selectedLunar);
        QCOMPARE(QStringList(sheet.weekNumbers.begin(), sheet.weekNumbers.end()), weekNumbers);
        const QStringList shownCorners{sheet.cells[40].shownText, sheet.cells[41].shownText, sheet.cells[42].shownText};
        QCOMPARE(shownCorners.join(u' '), corners);
    }
};

QTEST_GUILESS_MAIN(TstMonthSheet)
#include "tst_monthsheet.moc"
