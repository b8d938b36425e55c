#include "calendar/ChnCal.h"

#include "calendar/LunarCalc.h"

#include <QFile>
#include <QStringList>
#include <QVector>

namespace {

const char* const kMonthNames[] = {"正", "二", "三", "四", "五", "六", "七", "八", "九", "十", "冬", "腊"};

struct Era {
    int start;
    QString dynasty, title, person, name;
};

const QVector<Era>& eras()
{
    static const QVector<Era> table = [] {
        QVector<Era> out;
        QFile f(QStringLiteral(":/calendar/res/era_table.csv"));
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QString row = line.trimmed();
            if (row.isEmpty())
                continue;
            out.push_back({FieldOf(row, u',', 1).toInt(), FieldOf(row, u',', 4), FieldOf(row, u',', 5),
                           FieldOf(row, u',', 6), FieldOf(row, u',', 7)});
        }
        return out;
    }();
    return table;
}

CivilDate nextDay(const CivilDate& d)
{
    CivilDate n;
    DateFromCount(DayCount(d.y, d.m, d.d) + 1, n.y, n.m, n.d);
    return n;
}

}  // namespace

QString FieldOf(const QString& text, QChar separator, int n)
{
    const QStringList parts = text.split(separator);
    return n >= 1 && n <= parts.size() ? parts[n - 1].trimmed() : QString();
}

int WeekdayOf(const CivilDate& date)
{
    // 1899-12-30, day 693594, was a Saturday.
    const int r = (DayCount(date.y, date.m, date.d) - 693594 + 6) % 7;
    return r < 0 ? r + 7 : r;
}

QString MonthTextOf(int month, bool leap)
{
    if (month < 1 || month > 12)
        return QString();
    const QString name = QString::fromUtf8(kMonthNames[month - 1]);
    return leap ? QStringLiteral("闰") + name : name + QStringLiteral("月");
}

QString SolarFestivalOf(const CivilDate& date)
{
    const int d = date.d, week = (d - 1) / 7 + 1, wd = WeekdayOf(date);
    QString text;
    auto rule = [&](bool match, const char* t) {
        if (match)
            text = QString::fromUtf8(t);  // a later rule wins
    };
    switch (date.m) {
    case 1: rule(d == 1, "元旦节"); break;
    case 2: rule(d == 14, "情人节"); break;
    case 3: rule(d == 8, "妇女节"); break;
    case 4: rule(d == 1, "愚人节"); break;
    case 5:
        rule(d == 1, "劳动节");
        rule(d == 4, "青年节");
        rule(week == 2 && wd == 0, "母亲节");
        break;
    case 6:
        rule(d == 1, "儿童节");
        rule(week == 3 && wd == 0, "父亲节");
        break;
    case 7: rule(d == 1, "建党节"); break;
    case 8: rule(d == 1, "建军节"); break;
    case 9: rule(d == 10, "教师节"); break;
    case 10:
        rule(d == 1, "国庆节");
        rule(d == 6, "老人节");
        rule(d == 31, "万圣节");
        break;
    case 11:
        rule(d == 8, "记者日");
        rule(week == 4 && wd == 4, "感恩节");
        break;
    case 12: rule(d == 25, "圣诞节"); break;
    }
    return text;
}

QString LunarFestivalOf(int month, bool leap, int day, const CivilDate& date)
{
    if (month == 12 && day != 8) {
        // 除夕: the day before the lunar new year, whether the month has 29 or 30 days.
        const CivilDate next = nextDay(date);
        int m, d;
        bool l;
        if (day >= 29 && LunarMonthDay(next.y, next.m, next.d, m, l, d) && m == 1 && !l && d == 1)
            return QStringLiteral("除夕");
        return QString();
    }
    if (leap)
        return QString();  // a leap month repeats no festival
    if (month == 1 && day == 1)
        return QStringLiteral("春节");
    if (month == 1 && day == 15)
        return QStringLiteral("元宵节");
    if (month == 5 && day == 5)
        return QStringLiteral("端午节");
    if (month == 7 && day == 7)
        return QStringLiteral("七夕节");
    if (month == 8 && day == 15)
        return QStringLiteral("中秋节");
    if (month == 9 && day == 9)
        return QStringLiteral("重阳节");
    if (month == 12 && day == 8)
        return QStringLiteral("腊八节");
    return QString();
}

QString SolarTermOf(const CivilDate& date)
{
    int m, d;
    if (SolarTermDate(date.y, 2 * date.m - 2, m, d) && m == date.m && d == date.d)
        return SolarTermName((2 * date.m + 20) % 24);
    if (SolarTermDate(date.y, 2 * date.m - 1, m, d) && m == date.m && d == date.d)
        return SolarTermName((2 * date.m + 21) % 24);
    return QString();
}

QString EraTextOf(int year)
{
    if (year < -2069 || year >= 1949)
        return QString();
    const QVector<Era>& table = eras();
    const Era* era = nullptr;
    for (const Era& e : table) {
        if (e.start > year)
            break;
        era = &e;
    }
    if (!era)
        return QString();
    const QString number = year == era->start ? QStringLiteral("元") : QString::number(year - era->start + 1);
    return QStringLiteral("[%1]%2 %3 %4%5年").arg(era->dynasty, era->title, era->person, era->name, number);
}

bool DescribeDay(TChnCal& info, const CivilDate& date)
{
    int lunarYear, month, day;
    bool leap;
    if (!SolarToLunar(date.y, date.m, date.d, lunarYear, month, leap, day))
        return false;
    info.Date = date;
    info.LunarYear = lunarYear;
    info.YearGanZhi = GanZhiName(YearGanZhiIndexOfDate(date.y, date.m, date.d));
    info.AnimalText = AnimalName(YearBranchIndex(lunarYear));
    info.EraText = EraTextOf(date.y);
    info.LunarMonth = month;
    info.LeapMonth = leap;
    info.MonthText = MonthTextOf(month, leap);
    info.LunarDay = day;
    info.DayText = LunarDayText(day);
    info.ConstellationText = ConstellationName(ConstellationIndex(date.m, date.d));
    info.SolarFestival = SolarFestivalOf(date);
    info.LunarFestival = LunarFestivalOf(month, leap, day, date);
    info.SolarTermText = SolarTermOf(date);
    return true;
}
