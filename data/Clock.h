#pragma once
// The program's idea of "now". Tests fix it to a chosen moment (a Sunday, a
// January) instead of depending on the day they run.

#include <QDateTime>

namespace Clock {
QDateTime now();
QDate today();
// An invalid value returns to the system clock.
void setFixed(const QDateTime& moment);
}
