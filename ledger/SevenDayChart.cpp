#include "ledger/SevenDayChart.h"

#include "data/Database.h"
#include "ui/Charts.h"

#include <QLinearGradient>
#include <QStringList>
#include <cmath>
#include <optional>

namespace {
constexpr double kChartMax = 6361.64;
}

namespace SevenDayChart {

QList<QPair<QDate, Money>> lastSevenDays(const QString& classLetter, QString* error)
{
    // The seven latest dates with records of the class, newest first, each
    // found through the s_date index; then their sums in one pass.
    QList<QPair<QDate, Money>> rows;
    Query pick(QStringLiteral(
        "select s_date from s_z_all where f_class=:fenlei and s_date < :before order by s_date desc limit 1"));
    QStringList dates;
    QString before = QStringLiteral("9999-12-31");
    while (dates.size() < 7) {
        pick.bind(":fenlei", classLetter).bind(":before", before);
        if (!pick.next())
            break;
        before = pick.text(0);
        dates << before;
    }
    if (!pick.ok()) {
        if (error)
            *error = pick.error();
        return rows;
    }
    if (dates.isEmpty())
        return rows;
    Query sums(QStringLiteral(
        "select sum(s_jine) as aaa ,s_date from s_z_all where f_class =:fenlei and s_date between :t1 and :t2 "
        "group by s_date order by s_date"));
    sums.bind(":fenlei", classLetter).bind(":t1", dates.last()).bind(":t2", dates.first());
    while (sums.next())
        rows.append({sums.date(1), sums.money(0)});
    if (!sums.ok() && error)
        *error = sums.error();
    return rows;
}

double logMinimum(const QList<QPair<QDate, Money>>& days)
{
    std::optional<Money> smallest;
    for (const auto& d : days)
        if (d.second > Money() && (!smallest || d.second < *smallest))
            smallest = d.second;
    int k = 0;
    while (smallest && std::pow(10.0, -k) >= smallest->toDouble())
        ++k;
    return std::pow(10.0, -k);
}

void draw(QChartView* view, const QList<QPair<QDate, Money>>& days)
{
    QStringList labels;
    QList<double> values;
    for (const auto& d : days) {
        labels << d.first.toString(QStringLiteral("MM-dd"));
        values << d.second.toDouble();
    }
    // Red gradient bars on a log axis that keeps 6361.64 unless a bar is taller;
    // a day of zero or less sits at the axis minimum, which lies below every
    // positive day.
    QLinearGradient g(0, 0, 1, 0);
    g.setCoordinateMode(QGradient::ObjectBoundingMode);
    g.setColorAt(0, QColor(255, 90, 90));
    g.setColorAt(0.5, Qt::white);
    g.setColorAt(1, QColor(200, 0, 0));
    Charts::BarOptions o;
    o.brush = g;
    o.barWidth = 0.4;
    o.logAxis = true;
    o.min = logMinimum(days);
    o.max = kChartMax;
    Charts::setBars(view, labels, values, o);
}

}  // namespace SevenDayChart
