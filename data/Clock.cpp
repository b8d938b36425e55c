#include "data/Clock.h"

namespace {
QDateTime g_fixed;
}

namespace Clock {
QDateTime now() { return g_fixed.isValid() ? g_fixed : QDateTime::currentDateTime(); }
QDate today() { return now().date(); }
void setFixed(const QDateTime& moment) { g_fixed = moment; }
}
