#pragma once
// The entry pages' chart of the seven latest days with records of a class.

#include "data/Money.h"

#include <QDate>
#include <QList>
#include <QPair>

class QChartView;

namespace SevenDayChart {
// Sums of the seven latest dates that have records of the class, oldest
// first. On failure `error` holds the database's message.
QList<QPair<QDate, Money>> lastSevenDays(const QString& classLetter, QString* error = nullptr);
// The log axis minimum: the largest power of ten strictly below the smallest
// positive day, and at most 1.
double logMinimum(const QList<QPair<QDate, Money>>& days);
// Draws the days as red bars on a logarithmic axis.
void draw(QChartView* view, const QList<QPair<QDate, Money>>& days);
}
