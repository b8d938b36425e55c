#include "recurring/Recurrence.h"

#include "calendar/LunarCalc.h"

#include <QHash>
#include <QStringList>
#include <cstring>

namespace {

const char* const kUnits = "DWMYLN";  // encode(): one letter a unit

// The day a month rule gives in a month of `length` days.
int dayIn(int rule, int length)
{
    if (rule > 0)
        return std::min(rule, length);
    return length + rule + (rule == 0 ? 0 : 1);  // 0: the last; -k: the k-th last
}

// One month of a lunar year: its number, whether it is the leap one, its
// first day and its length.
struct LunarSpan {
    int month;
    bool leap;
    QDate first;
    int length;
};

QDate civil(int y, int m, int d) { return QDate(y, m, d); }

bool lunarDayOne(const QDate& d) { return LunarDay(d.year(), d.month(), d.day()) == 1; }

// The months of lunar year `year` (1..12 with the leap one), computed once.
const QList<LunarSpan>& lunarYear(int year)
{
    thread_local QHash<int, QList<LunarSpan>> cache;
    auto it = cache.find(year);
    if (it != cache.end())
        return *it;
    QList<LunarSpan> spans;
    int y = 0, m = 0, d = 0;
    if (year >= kFirstLunarYear && year <= kLastLunarYear && LunarNewYearDate(year, y, m, d)) {
        QDate first = civil(y, m, d);
        QDate end;
        if (year < kLastLunarYear && LunarNewYearDate(year + 1, y, m, d))
            end = civil(y, m, d);
        else
            end = QDate(kLastLunarYear, 12, 31).addDays(1);
        while (first < end) {
            QDate next = first.addDays(29);
            if (!lunarDayOne(next))
                next = first.addDays(30);
            int month = 0, day = 0;
            bool leap = false;
            if (!LunarMonthDay(first.year(), first.month(), first.day(), month, leap, day) || day != 1)
                break;
            if (next > end)  // the range's last month: only whole months count
                break;
            spans.append({month, leap, first, int(first.daysTo(next))});
            first = next;
        }
    }
    return *cache.insert(year, spans);
}

QString lunarMonthName(int m)
{
    static const char* const names[]
        = {"正月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "冬月", "腊月"};
    return m >= 1 && m <= 12 ? QString::fromUtf8(names[m - 1]) : QString();
}

QString lunarDayName(int d) { return d == 0 ? QStringLiteral("月末") : LunarDayText(d); }

QString weekdayNames(int mask)
{
    static const char* const names[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
    QStringList out;
    for (int i = 0; i < 7; ++i)
        if (mask & (1 << i))
            out << QString::fromUtf8(names[i]);
    return out.join(u'、');
}

QString every(int n, const char* one, const char* many)
{
    return n == 1 ? QString::fromUtf8(one) : QString::fromUtf8(many).arg(n);
}

// Walks the occurrences from the start; `visit` gets each with its index and
// returns false to stop.
template <class Visit> void walk(const Recurrence& r, const QDate& start, const QDate& to, Visit visit)
{
    if (!r.isValid() || !start.isValid())
        return;
    int index = 0;
    auto take = [&](const QDate& d) {
        if (d < start)
            return true;
        if (d > to)
            return false;
        return visit(d, index++);
    };
    switch (r.unit) {
    case Recurrence::Unit::Day:
        for (QDate d = start; d <= to; d = d.addDays(r.every))
            if (!take(d))
                return;
        return;
    case Recurrence::Unit::Week: {
        const QDate monday = start.addDays(1 - start.dayOfWeek());
        for (QDate week = monday; week <= to; week = week.addDays(7 * r.every))
            for (int i = 0; i < 7; ++i)
                if (r.weekdays & (1 << i))
                    if (!take(week.addDays(i)))
                        return;
        return;
    }
    case Recurrence::Unit::Month:
    case Recurrence::Unit::Year: {
        const bool monthly = r.unit == Recurrence::Unit::Month;
        const int step = monthly ? r.every : 12 * r.every;
        // Months counted from January of year 0.
        const int first = start.year() * 12 + (monthly ? start.month() : r.month) - 1;
        for (int k = first;; k += step) {
            const int y = k / 12, m = k % 12 + 1;
            if (QDate(y, m, 1) > to)
                return;
            if (!take(QDate(y, m, dayIn(r.day, QDate(y, m, 1).daysInMonth()))))
                return;
        }
    }
    case Recurrence::Unit::LunarYear:
    case Recurrence::Unit::LunarMonth: {
        int ly = 0, month = 0, day = 0;
        bool leap = false;
        QDate from = start;
        if (from < QDate(kFirstLunarYear, 2, 19))  // lunar 1901-01-01
            from = QDate(kFirstLunarYear, 2, 19);
        if (!SolarToLunar(from.year(), from.month(), from.day(), ly, month, leap, day))
            return;
        int monthsSeen = 0;  // LunarMonth: months since the start's month
        bool startMonthFound = false;
        for (int y = ly; y <= kLastLunarYear; ++y) {
            const QList<LunarSpan>& spans = lunarYear(y);
            if (spans.isEmpty() || spans.first().first > to)
                return;
            if (r.unit == Recurrence::Unit::LunarYear) {
                if ((y - ly) % r.every != 0)
                    continue;
                for (const LunarSpan& s : spans) {
                    if (s.month != r.month)
                        continue;
                    if ((s.leap && r.leap == Recurrence::Leap::Ordinary)
                        || (!s.leap && r.leap == Recurrence::Leap::LeapOnly))
                        continue;
                    if (!take(s.first.addDays(dayIn(r.day, s.length) - 1)))
                        return;
                }
                continue;
            }
            for (const LunarSpan& s : spans) {
                if (!startMonthFound) {
                    if (s.first.addDays(s.length) <= from)
                        continue;
                    startMonthFound = true;
                }
                if (monthsSeen++ % r.every != 0)
                    continue;
                if (!take(s.first.addDays(dayIn(r.day, s.length) - 1)))
                    return;
            }
        }
        return;
    }
    }
}

}  // namespace

bool Recurrence::isValid() const
{
    if (every < 1 || every > 999)
        return false;
    switch (unit) {
    case Unit::Day: return true;
    case Unit::Week: return weekdays > 0 && weekdays < 128;
    case Unit::Month: return day >= -28 && day <= 31 && day != -1;
    case Unit::Year: return month >= 1 && month <= 12 && day >= 0 && day <= 31;
    case Unit::LunarYear: return month >= 1 && month <= 12 && day >= 0 && day <= 30;
    case Unit::LunarMonth: return day >= 0 && day <= 30;
    }
    return false;
}

QString Recurrence::text() const
{
    QString out;
    switch (unit) {
    case Unit::Day: out = every == 1 ? QStringLiteral("每天") : QStringLiteral("每%1天").arg(this->every); break;
    case Unit::Week: out = ::every(every, "每周 ", "每%1周 ") + weekdayNames(weekdays); break;
    case Unit::Month:
        out = ::every(every, "每月", "每%1个月的");
        if (day > 0)
            out += QStringLiteral("%1日").arg(day) + (day > 28 ? QStringLiteral("（月末顺延）") : QString());
        else if (day == 0)
            out += QStringLiteral("月末");
        else
            out += QStringLiteral("倒数第%1天").arg(-day);
        break;
    case Unit::Year:
        out = ::every(every, "每年", "每%1年的")
              + (day == 0 ? QStringLiteral("%1月月末").arg(month) : QStringLiteral("%1月%2日").arg(month).arg(day));
        if (month == 2 && day == 29)
            out += QStringLiteral("（平年为2月28日）");
        break;
    case Unit::LunarYear:
        out = ::every(every, "每年农历", "每%1年的农历") + (leap == Leap::LeapOnly ? QStringLiteral("闰") : QString())
              + lunarMonthName(month) + lunarDayName(day)
              + (leap == Leap::Both ? QStringLiteral("（闰月也记）") : QString());
        break;
    case Unit::LunarMonth: out = ::every(every, "每个农历月的", "每%1个农历月的") + lunarDayName(day); break;
    }
    if (shift == Shift::ToFriday)
        out += QStringLiteral("，周末提前到周五");
    else if (shift == Shift::ToMonday)
        out += QStringLiteral("，周末顺延到周一");
    return out;
}

QString Recurrence::encode() const
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
        .arg(QChar::fromLatin1(kUnits[int(unit)]))
        .arg(every)
        .arg(weekdays)
        .arg(month)
        .arg(day)
        .arg(int(leap))
        .arg(int(shift));
}

std::optional<Recurrence> Recurrence::decode(const QString& text)
{
    const QStringList f = text.split(u'|');
    if (f.size() != 7 || f[0].size() != 1)
        return std::nullopt;
    const char* unit = std::strchr(kUnits, f[0][0].toLatin1());
    if (!unit || !*unit)
        return std::nullopt;
    int n[6];
    for (int i = 0; i < 6; ++i) {
        bool ok = false;
        n[i] = f[i + 1].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (n[4] < 0 || n[4] > 2 || n[5] < 0 || n[5] > 2)
        return std::nullopt;
    Recurrence r;
    r.unit = Unit(unit - kUnits);
    r.every = n[0];
    r.weekdays = n[1];
    r.month = n[2];
    r.day = n[3];
    r.leap = Leap(n[4]);
    r.shift = Shift(n[5]);
    if (!r.isValid())
        return std::nullopt;
    return r;
}

QList<QDate> occurrences(const Recurrence& rule, const QDate& start, const QDate& from, const QDate& to, int count)
{
    QList<QDate> out;
    walk(rule, start, to, [&](const QDate& d, int index) {
        if (count > 0 && index >= count)
            return false;
        if (d >= from)
            out.append(d);
        return true;
    });
    return out;
}

QDate nthOccurrence(const Recurrence& rule, const QDate& start, int n)
{
    QDate found;
    walk(rule, start, QDate(9999, 12, 31), [&](const QDate& d, int index) {
        if (index < n)
            return true;
        found = d;
        return false;
    });
    return found;
}

QDate recordDate(const Recurrence& rule, const QDate& occurrence)
{
    const int dow = occurrence.dayOfWeek();
    if (dow < 6 || rule.shift == Recurrence::Shift::None)
        return occurrence;
    if (rule.shift == Recurrence::Shift::ToFriday)
        return occurrence.addDays(5 - dow);
    return occurrence.addDays(8 - dow);
}
