#pragma once
// Charts on Qt Charts. The plotted values stay in the series (one QBarSet or
// QPieSeries per chart), so what is drawn can be read back. Qt Charts takes
// labels as HTML: names show as typed, and a name that HTML would change
// (markup, control characters, folded blanks) is kept in its label as HTML.

#include "data/Money.h"

#include <QBrush>
#include <QColor>
#include <QList>
#include <QStringList>

class QChartView;
class QWidget;

namespace Charts {

// Marks and axis labels never use the exponent form: plain decimal text with
// at most two decimals (12345678.9, 1234.57).
QString plainNumber(double value);
// Significant digits of bar value marks (enough for 99999999.99).
inline constexpr int kMarkPrecision = 15;

// Long ranges stay readable: at most this many axis labels (the others are
// thinned out), value marks on at most this many bars, and month bars over a
// range longer than kMaxMonthBars months become one bar per year.
inline constexpr int kMaxAxisLabels = 24;
inline constexpr int kMaxMarkedBars = 24;
inline constexpr int kMaxMonthBars = 36;

// The indexes of `count` labels that are shown: every k-th from the first,
// with the smallest k that keeps them within `room` (at most kMaxAxisLabels:
// fewer when the plot is too narrow for that many).
QList<int> shownLabels(int count, int room = kMaxAxisLabels);

// Values per month ("yyyy-MM", ascending) of one or more series. When the
// months span more than kMaxMonthBars, one period per year ("2012年") whose
// values are the sums of its months; otherwise the months as they are.
struct Periods {
    QStringList labels;
    QList<QList<Money>> values;  // per series, one per label
};
Periods monthsOrYears(const QStringList& months, const QList<QList<Money>>& values);
QList<double> toDoubles(const QList<Money>& values);

// The axis labels a reader sees under the bars or lines of a view.
QStringList shownAxisLabels(QChartView* view);

// A chart view with no title, no legend, a flat look and the given ground.
QChartView* makeView(QWidget* parent, const QString& objectName, const QBrush& background = QBrush(Qt::white));

// Horizontal bars, the first value at the top, names on the vertical axis and
// each bar marked with its value.
void setHorizontalBars(QChartView* view, const QStringList& names, const QList<double>& values, const QColor& colour);

struct BarOptions {
    QBrush brush = QBrush(QColor(200, 0, 0));
    QColor border = QColor(160, 0, 0);
    double barWidth = 0.8;
    bool valueLabels = false;
    bool logAxis = false;  // values below `min` sit at the axis minimum, marked with their value
    double min = 1;        // log axis minimum
    double max = 0;        // axis maximum at least this (0: fit the values)
    int valueLabelAngle = 0;
};
// Vertical bars, one per label, left to right, marked with their values
// when `valueLabels` and there are at most kMaxMarkedBars. The true values (also those a
// log axis cannot show) are kept as the view's property "values".
void setBars(QChartView* view, const QStringList& labels, const QList<double>& values, const BarOptions& options);

// Several series of bars side by side per label, each bar marked with its
// value (up to kMaxMarkedBars bars in all), and a legend naming the series. Marks stand upright when the bars
// are too narrow for them.
struct BarSeries {
    QString name;
    QList<double> values;  // one per label
    QColor colour;
};
void setGroupedBars(QChartView* view, const QStringList& labels, const QList<BarSeries>& series);

// Lines over labelled points (months), with a legend naming them.
struct LineSeries {
    QString name;
    QList<double> values;  // one per label
    QColor colour;
};
void setLines(QChartView* view, const QStringList& labels, const QList<LineSeries>& series);

// A pie with one slice per name in the given order, each labelled with its
// name and value in a legend to its right; names whose value is zero or
// negative have no slice (the other slices keep their values and labels).
void setPie(QChartView* view, const QStringList& names, const QList<double>& values);

// Drops every series and axis.
void clear(QChartView* view);

}  // namespace Charts
