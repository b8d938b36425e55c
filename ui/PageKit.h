#pragma once
// Pieces several pages build from besides Page's one-control helpers: the
// "从 … 到 …" range of a toolbar, tab pages, lists headed by an entry that
// stands for all, and the timer that runs a page's first listing.

#include "ui/QueryModel.h"

#include <QString>
#include <QTimer>

class QComboBox;
class QDateEdit;
class QTabWidget;
class QWidget;

namespace PageKit {

struct DateRange {
    QDateEdit* from;
    QDateEdit* to;
};
// "从", the from-date picker, "到", the to-date picker, left to right from x
// (kRangeWidth pixels in all); the from-date picker is created first.
inline constexpr int kRangeWidth = 252;
DateRange dateRange(QWidget* parent, int x, int y, const char* fromName, const char* toName);

// "PageControl1": the page's tab control, 3 pixels in from its edges, tabs
// 80 pixels wide and `tabHeight` high.
QTabWidget* pageTabs(QWidget* page, int tabHeight);

// A tab page with its name and caption.
QWidget* addTab(QTabWidget* tabs, const char* name, const QString& caption);

// Reads the first column of `sql` as names. On success the list holds
// `first` (unless null) followed by the names in the order read, the first
// entry chosen; on failure it keeps its entries and `error` gets the error.
[[nodiscard]] bool fillNames(QComboBox* list, const QString& first, const QString& sql, const Binds& binds,
                             DbError* error);

// "Timer1": single-shot, 50 ms. FormCreate starts it, so the page is on the
// screen before its first listing runs `slot`.
QTimer* firstListingTimer(QObject* page);
template <class P, class Slot> QTimer* firstListingTimer(P* page, Slot slot)
{
    QTimer* t = firstListingTimer(page);
    QObject::connect(t, &QTimer::timeout, page, slot);
    return t;
}

}  // namespace PageKit
