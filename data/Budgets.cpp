#include "data/Budgets.h"

#include "data/Schema.h"
#include "data/Sums.h"

namespace {

bool fail(DbError* error, const DbError& why)
{
    if (error)
        *error = why;
    return false;
}

// A file whose layout step 6 could not run has no yearly amounts, no
// carry-over and nowhere to note a notice: it has no notices and no panel.
bool budgetLayout(Database& db, bool* there, DbError* error)
{
    return tablesExist(db, {QStringLiteral("y_tixing")}, there, error);
}

}  // namespace

Money availableInMonth(Money monthly, bool carry, int month, Money spentBefore)
{
    return carry ? Money::fromRaw(monthly.raw() * month) - spentBefore : monthly;
}

// Spending of a top-level expense category (s_yushuan.f_id) over span `tag`.
QString spentSql(int tag)
{
    return QStringLiteral("(SELECT Sum(s_jine) FROM %1 WHERE f_class='Z' AND f_id=s_yushuan.f_id)")
        .arg(spanViewSql(false, tag));
}

// January's "before" ends before it starts: nothing spent.
QString availableSql()
{
    return QStringLiteral(
               "CASE WHEN s_yushuan.y_jiezhuan=1 THEN :bn*s_yushuan.y_money-COALESCE(%1,0) ELSE s_yushuan.y_money END")
        .arg(spentSql(1));
}

Binds availableBinds(const QDate& month)
{
    return Binds{{":bn", month.month()}} + spanBinds(QDate(month.year(), 1, 1), firstDayOfMonth(month).addDays(-1), 1);
}

bool readBudgets(Database& db, const QDate& day, qint64 category, QList<CategoryBudget>* out, DbError* error)
{
    out->clear();
    Query q(db,
            QStringLiteral("select s_yushuan.f_id, s_fenlei.f_name, s_yushuan.y_money, %1, %2, s_yushuan.y_year, %3 "
                           "from s_yushuan inner join s_fenlei on s_fenlei.id=s_yushuan.f_id "
                           "where :c=0 or s_yushuan.f_id=:c order by s_yushuan.id")
                .arg(availableSql(), spentSql(0), spentSql(2)));
    for (const auto& [name, value] : availableBinds(day) + spanBinds(firstDayOfMonth(day), lastDayOfMonth(day), 0)
                                         + spanBinds(QDate(day.year(), 1, 1), QDate(day.year(), 12, 31), 2))
        q.bindValue(name, value);
    q.bind(":c", category);
    while (q.next())
        out->append({q.integer(0), q.text(1), q.money(2), q.money(3), q.money(4), q.moneyOrNull(5), q.money(6)});
    return q.ok() || fail(error, q.error());
}

std::optional<BudgetNotice> budgetNotice(const QString& name, bool year, Money amount, Money spent, int shown)
{
    int reached = 0;
    if (amount.raw() <= 0)
        reached = spent > amount ? 100 : 0;
    else if (spent >= amount)
        reached = 100;
    else if (spent.raw() * 100 >= amount.raw() * 80)
        reached = 80;
    if (reached <= shown)
        return std::nullopt;
    BudgetNotice n;
    n.level = reached;
    n.over = spent > amount;
    const QString head = name + (year ? QStringLiteral("本年预算") : QStringLiteral("本月预算"));
    if (n.over)
        n.text = head + QStringLiteral("已超支 ") + (spent - amount).yuanGrouped();
    else
        n.text = head
                 + QStringLiteral("已用 %1%，剩余 %2")
                       .arg(spent.raw() * 100 / amount.raw())
                       .arg((amount - spent).yuanGrouped());
    return n;
}

bool dueBudgetNotices(Database& db, qint64 category, const QDate& day, QList<BudgetNotice>* out, DbError* error)
{
    out->clear();
    bool layout = false;
    if (!budgetLayout(db, &layout, error))
        return false;
    if (!layout)
        return true;
    Query top(db, QStringLiteral("select f_id from s_fenlei where id=:id"));
    top.bind(":id", category);
    switch (top.fetch()) {
    case Query::Fetch::Failed: return fail(error, top.error());
    case Query::Fetch::NoRow: return true;
    case Query::Fetch::Row: break;
    }
    const qint64 parent = top.integer(0);
    QList<CategoryBudget> budgets;
    if (parent == 0 || !readBudgets(db, day, parent, &budgets, error))
        return parent == 0;
    if (budgets.isEmpty())
        return true;
    const CategoryBudget& b = budgets.first();
    Query shown(db, QStringLiteral("select max(y_level) from y_tixing where f_id=:c and y_period=:p"));
    auto notice = [&](bool year, Money amount, Money spent) {
        const QString period = day.toString(year ? QStringLiteral("yyyy") : QStringLiteral("yyyy-MM"));
        shown.reset();
        shown.bind(":c", parent).bind(":p", period);
        if (shown.fetch() == Query::Fetch::Failed)
            return fail(error, shown.error());
        if (auto n = budgetNotice(b.name, year, amount, spent, int(shown.integer(0)))) {
            n->categoryId = parent;
            n->period = period;
            out->append(*n);
        }
        return true;
    };
    if (b.monthly.raw() > 0 && !notice(false, b.available, b.spentMonth))
        return false;
    if (b.yearly && b.yearly->raw() > 0 && !notice(true, *b.yearly, b.spentYear))
        return false;
    return true;
}

bool markBudgetNotices(Database& db, const QList<BudgetNotice>& notices, DbError* error)
{
    QList<Step> steps;
    for (const BudgetNotice& n : notices)
        for (int level : {80, 100})
            if (level <= n.level)
                steps.append({"insert or ignore into y_tixing (f_id, y_period, y_level) values (:c, :p, :l)",
                              {{":c", n.categoryId}, {":p", n.period}, {":l", level}}});
    return runSteps(db, steps, error);
}

bool monthBudget(Database& db, const QDate& today, MonthBudget* out, DbError* error)
{
    *out = {};
    bool layout = false;
    if (!budgetLayout(db, &layout, error))
        return false;
    QList<CategoryBudget> budgets;
    if (!layout)
        return true;
    if (!readBudgets(db, today, 0, &budgets, error))
        return false;
    for (const CategoryBudget& b : budgets)
        if (b.monthly.raw() > 0) {
            out->budgeted = true;
            out->amount += b.available;
            out->spent += b.spentMonth;
        }
    return true;
}

Money perDayLeft(Money left, const QDate& today)
{
    const qint64 days = today.daysTo(lastDayOfMonth(today)) + 1;
    const qint64 raw = left.raw();
    // Half away from zero, as every amount is rounded.
    return Money::fromRaw((raw >= 0 ? raw + days / 2 : raw - days / 2) / days);
}
