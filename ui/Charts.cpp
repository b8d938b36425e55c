#include "ui/Charts.h"

#include "data/Money.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPieSeries>
#include <QPieSlice>
#include <QRegularExpression>
#include <QScatterSeries>
#include <QValueAxis>

#include <cmath>

namespace Charts {

QChartView* makeView(QWidget* parent, const QString& objectName, const QBrush& background)
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundBrush(background);
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    auto* view = new QChartView(chart, parent);
    view->setObjectName(objectName);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(background);
    return view;
}

void clear(QChartView* view)
{
    QChart* chart = view->chart();
    chart->removeAllSeries();
    // Back to an automatic plot area: horizontal bars fix their own.
    chart->setPlotArea(QRectF());
    for (QAbstractAxis* a : chart->axes()) {
        chart->removeAxis(a);
        delete a;
    }
}

// Bar values rounded to cents, so their marks show at most two decimals.
static double cents(double v) { return std::round(v * 100) / 100; }

QString plainNumber(double value)
{
    QString t = QString::number(cents(value), 'f', 2);
    while (t.contains(u'.') && (t.endsWith(u'0') || t.endsWith(u'.')))
        t.chop(1);
    return t == u"-0" ? QStringLiteral("0") : t;
}

static QFont smallFont(int px)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(px);
    return f;
}

// Qt Charts reads label texts as HTML. A name that HTML would change (markup
// or control characters, blanks it would fold) goes in as HTML that shows it
// as typed; any other name goes in unchanged.
static QString asTyped(const QString& name)
{
    static const QRegularExpression changed(QStringLiteral("[<>&\\x00-\\x1f]|^ | $|  "));
    if (!changed.match(name).hasMatch())
        return name;
    return QStringLiteral("<span style=\"white-space:pre\">%1</span>").arg(name.toHtmlEscaped());
}

static QStringList asTyped(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << asTyped(n);
    return out;
}

QList<int> shownLabels(int count, int room)
{
    QList<int> out;
    room = std::clamp(room, 1, kMaxAxisLabels);
    const int step = std::max(1, (count + room - 1) / room);
    for (int i = 0; i < count; i += step)
        out << i;
    return out;
}

QList<double> toDoubles(const QList<Money>& values)
{
    QList<double> out;
    out.reserve(values.size());
    for (Money m : values)
        out << m.toDouble();
    return out;
}

Periods monthsOrYears(const QStringList& months, const QList<QList<Money>>& values)
{
    const auto monthIndex = [](const QString& m) { return m.left(4).toInt() * 12 + m.mid(5, 2).toInt(); };
    if (months.isEmpty() || monthIndex(months.last()) - monthIndex(months.first()) + 1 <= kMaxMonthBars)
        return {months, values};
    Periods out;
    out.values.resize(values.size());
    for (qsizetype i = 0; i < months.size(); ++i) {
        const QString year = months[i].left(4) + QStringLiteral("年");
        const bool fresh = out.labels.isEmpty() || out.labels.last() != year;
        if (fresh)
            out.labels << year;
        for (qsizetype s = 0; s < values.size(); ++s) {
            if (fresh)
                out.values[s] << Money();
            out.values[s].last() += values[s].value(i);
        }
    }
    return out;
}

// The width a view's plot has; a view not laid out yet takes its parent's.
static int plotWidth(QChartView* view)
{
    return std::max(view->width(), view->parentWidget() ? view->parentWidget()->width() : 0) - 70;
}

// How many of `labels` fit side by side under a plot `width` wide, at most kMaxAxisLabels.
static int labelRoom(const QStringList& labels, int width)
{
    const QFontMetrics fm(smallFont(10));
    int widest = 1;
    for (const QString& l : labels)
        widest = std::max(widest, fm.horizontalAdvance(l));
    return std::clamp(width / (widest + 10), 2, kMaxAxisLabels);
}

// A value axis along the bottom labelled at some of the points 0 … n−1.
static QCategoryAxis* thinnedAxis(const QStringList& labels, int room)
{
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(-0.5);
    for (int i : shownLabels(int(labels.size()), room))
        x->append(asTyped(labels[i]), i);
    x->setRange(-0.5, labels.size() - 0.5);
    x->setLabelsFont(smallFont(10));
    x->setTruncateLabels(false);
    x->setGridLineVisible(false);
    return x;
}

// The labels under the bars, each shown whole; over a long range only some
// of them (the category axis keeps all of them, unseen).
static QBarCategoryAxis* categoryAxis(QChartView* view, QAbstractSeries* series, const QStringList& labels)
{
    auto* x = new QBarCategoryAxis;
    x->append(asTyped(labels));
    x->setTruncateLabels(false);
    x->setLabelsFont(smallFont(10));
    view->chart()->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    const int room = labelRoom(labels, plotWidth(view));
    if (labels.size() > room) {
        x->setVisible(false);
        view->chart()->addAxis(thinnedAxis(labels, room), Qt::AlignBottom);
    }
    return x;
}

QStringList shownAxisLabels(QChartView* view)
{
    for (QAbstractAxis* a : view->chart()->axes(Qt::Horizontal)) {
        if (!a->isVisible())
            continue;
        if (auto* c = qobject_cast<QCategoryAxis*>(a))
            return c->categoriesLabels();
        if (auto* c = qobject_cast<QBarCategoryAxis*>(a))
            return c->categories();
    }
    return {};
}

void setHorizontalBars(QChartView* view, const QStringList& names, const QList<double>& values, const QColor& colour)
{
    clear(view);
    QChart* chart = view->chart();
    auto* set = new QBarSet(QString());
    set->setColor(colour);
    set->setBorderColor(colour.darker(130));
    set->setLabelColor(QColor(0x33, 0x33, 0x33));
    // The category axis runs bottom-up: append the last first.
    for (qsizetype i = values.size() - 1; i >= 0; --i)
        set->append(cents(values[i]));
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    // Enough digits that no mark takes the exponent form.
    series->setLabelsPrecision(kMarkPrecision);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    auto* cats = new QBarCategoryAxis;
    cats->append(asTyped(QStringList(names.rbegin(), names.rend())));
    cats->setLabelsFont(smallFont(11));
    cats->setTruncateLabels(false);
    chart->addAxis(cats, Qt::AlignLeft);
    series->attachAxis(cats);
    auto* vals = new QValueAxis;
    double max = 0;
    for (double v : values)
        max = std::max(max, v);
    vals->setRange(0, max > 0 ? max * 1.3 : 1);
    vals->setLabelsVisible(false);
    vals->setGridLineVisible(false);
    chart->addAxis(vals, Qt::AlignBottom);
    series->attachAxis(vals);
    // Room on the left for names of up to six characters.
    const QSizeF size = view->size();
    chart->setPlotArea(QRectF(84, 6, size.width() - 92, size.height() - 12));
}

void setBars(QChartView* view, const QStringList& labels, const QList<double>& values, const BarOptions& o)
{
    clear(view);
    QChart* chart = view->chart();
    double max = o.max;
    for (double v : values)
        max = std::max(max, v);
    auto* set = new QBarSet(QString());
    for (double v : values)
        set->append(o.logAxis && v < o.min ? o.min : cents(v));
    set->setBrush(o.brush);
    set->setBorderColor(o.border);
    // The theme draws bar marks in white, unseen on the white ground.
    set->setLabelColor(QColor(0x33, 0x33, 0x33));
    set->setLabelFont(smallFont(10));
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(o.barWidth);
    bool upright = false;
    if (o.valueLabels && values.size() <= kMaxMarkedBars) {
        // Marks too wide for their bar stand upright.
        const QFontMetrics fm(smallFont(10));
        int widest = 0;
        for (double v : values)
            widest = std::max(widest, fm.horizontalAdvance(plainNumber(v)));
        upright = o.valueLabelAngle == 0 && !values.isEmpty() && widest + 4 > plotWidth(view) / values.size();
        series->setLabelsVisible(true);
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        series->setLabelsAngle(upright ? -90 : o.valueLabelAngle);
        series->setLabelsPrecision(kMarkPrecision);
    }
    chart->addSeries(series);
    QBarCategoryAxis* x = categoryAxis(view, series, labels);
    QAbstractAxis* y;
    if (o.logAxis) {
        auto* log = new QLogValueAxis;
        log->setBase(10);
        log->setRange(o.min, std::max(max, o.min * 10));
        log->setLabelFormat(QStringLiteral("%.15g"));
        y = log;
    } else {
        auto* lin = new QValueAxis;
        double min = 0;
        for (double v : values)
            min = std::min(min, v);
        lin->setRange(min, max > 0 ? max * (upright ? 1.3 : 1.15) : 1);
        // Round steps (0, 5000, 10000 …) that read as plain numbers.
        lin->applyNiceNumbers();
        lin->setLabelFormat(QStringLiteral("%.15g"));
        y = lin;
    }
    y->setLabelsAngle(0);  // read across, like every other text
    y->setLabelsFont(smallFont(10));
    y->setTruncateLabels(false);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    if (o.logAxis) {
        // A bar the log axis cannot show stands at the minimum, marked with
        // its true value.
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (values[i] >= o.min)
                continue;
            auto* mark = new QScatterSeries;
            mark->append(double(i), o.min);
            mark->setMarkerSize(1);
            mark->setColor(Qt::transparent);
            mark->setBorderColor(Qt::transparent);
            mark->setPointLabelsFormat(plainNumber(values[i]));
            mark->setPointLabelsVisible(true);
            mark->setPointLabelsClipping(false);
            mark->setPointLabelsFont(smallFont(10));
            chart->addSeries(mark);
            mark->attachAxis(x);
            mark->attachAxis(y);
        }
    }
    QStringList shown;
    for (double v : values)
        shown << plainNumber(v);
    view->setProperty("values", shown);
}

void setGroupedBars(QChartView* view, const QStringList& labels, const QList<BarSeries>& sets)
{
    clear(view);
    QChart* chart = view->chart();
    const QFont markFont = smallFont(10);
    const QFontMetrics fm(markFont);
    double max = 0, min = 0;
    int widestMark = 0;
    auto* series = new QBarSeries;
    for (const BarSeries& s : sets) {
        auto* set = new QBarSet(s.name);
        for (double v : s.values) {
            set->append(cents(v));
            max = std::max(max, v);
            min = std::min(min, v);
            widestMark = std::max(widestMark, fm.horizontalAdvance(plainNumber(v)));
        }
        set->setColor(s.colour);
        set->setBorderColor(s.colour.darker(130));
        set->setLabelColor(QColor(0x33, 0x33, 0x33));
        set->setLabelFont(markFont);
        series->append(set);
    }
    series->setBarWidth(0.8);
    series->setLabelsVisible(labels.size() * sets.size() <= kMaxMarkedBars);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsPrecision(kMarkPrecision);
    // A view not laid out yet takes its parent's width.
    const int width = std::max(view->width(), view->parentWidget() ? view->parentWidget()->width() : 0);
    const double bar = labels.isEmpty() || sets.isEmpty() ? width : (width - 60.0) / labels.size() * 0.8 / sets.size();
    const bool upright = widestMark + 4 > bar;
    if (upright)
        series->setLabelsAngle(-90);
    chart->addSeries(series);
    categoryAxis(view, series, labels);
    auto* y = new QValueAxis;
    // Room above the highest bar for its mark.
    y->setRange(min, max > 0 ? max * (upright ? 1.3 : 1.15) : 1);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%.15g"));
    y->setLabelsAngle(0);  // read across, like every other text
    y->setLabelsFont(smallFont(10));
    y->setTruncateLabels(false);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(smallFont(12));
}

void setLines(QChartView* view, const QStringList& labels, const QList<LineSeries>& lines)
{
    clear(view);
    QChart* chart = view->chart();
    QCategoryAxis* x = thinnedAxis(labels, labelRoom(labels, plotWidth(view)));
    x->setGridLineVisible(true);
    x->setGridLineColor(QColor(0xe4, 0xe4, 0xe4));
    chart->addAxis(x, Qt::AlignBottom);
    auto* y = new QValueAxis;
    double min = 0, max = 0;
    for (const LineSeries& l : lines)
        for (double v : l.values) {
            min = std::min(min, v);
            max = std::max(max, v);
        }
    y->setRange(min, max > min ? max : min + 1);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%.15g"));
    y->setLabelsFont(smallFont(10));
    y->setTruncateLabels(false);
    y->setGridLineColor(QColor(0xe4, 0xe4, 0xe4));
    chart->addAxis(y, Qt::AlignLeft);
    for (const LineSeries& l : lines) {
        auto* series = new QLineSeries;
        series->setName(l.name);
        for (qsizetype i = 0; i < l.values.size(); ++i)
            series->append(double(i), cents(l.values[i]));
        QPen pen(l.colour);
        pen.setWidthF(2);
        series->setPen(pen);
        // A short range shows each point.
        series->setPointsVisible(l.values.size() <= kMaxAxisLabels);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->legend()->setFont(smallFont(12));
}

void setPie(QChartView* view, const QStringList& names, const QList<double>& values)
{
    clear(view);
    auto* series = new QPieSeries;
    for (qsizetype i = 0; i < names.size() && i < values.size(); ++i) {
        // A pie shows shares: nothing and less than nothing have no slice.
        if (cents(values[i]) <= 0)
            continue;
        QPieSlice* s = series->append(names[i], cents(values[i]));
        s->setLabel(QStringLiteral("%1 %2").arg(asTyped(names[i]), plainNumber(values[i])));
        // The labels stand in a legend beside the pie: around it, the labels
        // of thin slices lie over each other.
        s->setLabelVisible(false);
        s->setLabelFont(smallFont(10));
        // Soft colours that sit well on the cream skin, repeating.
        static const QColor palette[] = {{166, 202, 240}, {190, 222, 176}, {246, 196, 120}, {232, 150, 120},
                                         {200, 180, 226}, {250, 226, 140}, {150, 200, 200}, {214, 170, 130}};
        const QColor c = palette[i % std::size(palette)];
        s->setColor(c);
        s->setBorderColor(Qt::white);
        s->setLabelColor(QColor(0x3d, 0x2c, 0x1e));
    }
    series->setPieSize(0.9);
    QChart* chart = view->chart();
    chart->addSeries(series);
    QLegend* legend = chart->legend();
    legend->setAlignment(Qt::AlignRight);
    legend->setFont(smallFont(10));
    legend->setLabelColor(QColor(0x3d, 0x2c, 0x1e));
    legend->setVisible(series->count() > 0);
}

}  // namespace Charts
