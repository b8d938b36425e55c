#pragma once
// What a budget allows and how much of it is spent: the amount a month may
// spend (with 结转, what was left or overspent earlier in the year moves on),
// the yearly amount, the notices the expense page shows once a category
// reaches 80 % or 100 % of either, and the month's total for the desktop.
// Spending is what s_ys lists for the top-level category, as the budget
// page's comparison counts it.

#include "data/Database.h"

#include <optional>

// With 结转, month m of the year may spend m × the monthly amount less what
// January .. m−1 spent; without it, the monthly amount.
Money availableInMonth(Money monthly, bool carry, int month, Money spentBefore);

// The same as an SQL expression over a row of s_yushuan (by that name),
// with the parameters of availableBinds(month): the spending before the
// month from the records' monthly sums (span 1).
QString availableSql();
Binds availableBinds(const QDate& month);

struct CategoryBudget {
    qint64 categoryId = 0;  // the top-level category
    QString name;
    Money monthly;    // y_money
    Money available;  // the month's amount, carry-over included
    Money spentMonth;
    std::optional<Money> yearly;  // y_year; none when NULL
    Money spentYear;
};
// The budget rows of the month of `day` in row order; `category` 0 for all,
// else that top-level category's row (none when it has no row).
[[nodiscard]] bool readBudgets(Database& db, const QDate& day, qint64 category, QList<CategoryBudget>* out,
                               DbError* error = nullptr);

struct BudgetNotice {
    qint64 categoryId = 0;
    QString period;  // "YYYY-MM" or "YYYY"
    int level = 0;   // 80 or 100
    QString text;
    bool over = false;  // spent more than the amount
};
// The notice of a budget whose spending reached a level above `shown` (0,
// 80 or 100): at 100 % the 100 level, whether 80 was shown or not. An amount
// of 0 or less is reached by any spending above it.
std::optional<BudgetNotice> budgetNotice(const QString& name, bool year, Money amount, Money spent, int shown);

// The notices not shown yet for the top-level category of the expense
// category `category` in the month and year of `day`: the month's first,
// then the year's. A month whose monthly amount is 0 has none, a year
// without a yearly amount neither.
[[nodiscard]] bool dueBudgetNotices(Database& db, qint64 category, const QDate& day, QList<BudgetNotice>* out,
                                    DbError* error = nullptr);
// Records them as shown (a 100 notice counts for 80 too). Not journaled: it
// is no household data and an undo of the save does not bring them back.
[[nodiscard]] bool markBudgetNotices(Database& db, const QList<BudgetNotice>& notices, DbError* error = nullptr);

// The desktop's month: over the categories with a monthly amount, their
// amounts (carry-over included) and spending. `budgeted` is false when no
// category has one.
struct MonthBudget {
    bool budgeted = false;
    Money amount, spent;
};
[[nodiscard]] bool monthBudget(Database& db, const QDate& today, MonthBudget* out, DbError* error = nullptr);
// What is left spread over the days from `today` to the month's end, to the cent.
Money perDayLeft(Money left, const QDate& today);
