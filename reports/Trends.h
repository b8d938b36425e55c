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
