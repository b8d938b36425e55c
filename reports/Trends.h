#pragma once
// The household's net worth at each month end, with the desktop's own
// definitions: 资金 the accounts' balances, 债权 what was lent and is still
// out, 债务 what was borrowed and is still owed, 净资产 = 资金 + 债权 − 债务.
// Only what the account totals count is counted (records of existing
// members, categories and accounts; transfers and loans of existing
// accounts). A loan counts from its date (an undated one from the start),
// each dated repayment from its date; what was repaid before repayments
// were dated counts as of the loan's date. The last point is today's
// figures: it counts everything recorded, also dated later.

#include "data/Database.h"
#include "data/Money.h"

#include <QDate>
#include <QList>

struct WorthPoint {
    QDate monthEnd;
    Money funds, lent, borrowed;
    Money net() const { return funds + lent - borrowed; }
};

// One point per month from `first`'s month to `last`'s month; the point of
// `last`'s month is today's figures when `last` is today's month.
[[nodiscard]] bool netWorthSeries(Database& db, const QDate& first, const QDate& last, const QDate& today,
                                  QList<WorthPoint>* points, DbError* error = nullptr);

// The months of the earliest and the latest dated record, transfer or loan;
// invalid when there is none.
[[nodiscard]] bool recordSpan(Database& db, QDate* first, QDate* last, DbError* error = nullptr);

// The month from which repayments are dated (invalid when every repayment
// counted is dated): what was repaid before it counts as of the loan's date.
[[nodiscard]] bool undatedRepaymentsBefore(Database& db, const QDate& today, QDate* month, DbError* error = nullptr);

// Income and expense of each month of a year (index 0 = January), as the
// reports count them (top-level category's class), optionally of one
// top-level category only.
struct MonthlyTotals {
    Money income[12], expense[12];
    bool any = false;  // a record in the year at all
    Money totalIncome() const;
    Money totalExpense() const;
};
[[nodiscard]] bool monthlyTotals(Database& db, int year, qint64 topCategory, MonthlyTotals* totals,
                                 DbError* error = nullptr);

// The change from `before` to `now` in percent with one decimal ("+12.5%",
// "-6.2%", "0.0%"); "—" when there is nothing to compare with.
QString changeText(Money before, Money now);

// What a household reads of a year at New Year.
struct YearSummary {
    int year = 0;
    Money income, expense;
    bool lastAny = false;  // a record in the year before
    Money lastIncome, lastExpense;
    QString topCategory;  // the top-level expense category spent most on
    Money topCategoryAmount;
    bool hasBiggest = false;  // the biggest single expense
    QDate biggestDate;
    QString biggestCategory, biggestRemark;
    Money biggestAmount;
    int mostMonth = 0, leastMonth = 0;  // 1 … 12, 0 without spending
    Money mostAmount, leastAmount;
    int days = 0;                          // days with records
    QList<QPair<QString, Money>> members;  // spending per member, in the members' order
};
// The most and the least month are among the months with spending.
[[nodiscard]] bool yearSummary(Database& db, int year, YearSummary* summary, DbError* error = nullptr);

struct SummaryLine {
    QString item, figure, sentence;
};
QList<SummaryLine> summaryLines(const YearSummary& summary);
