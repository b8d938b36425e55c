#include "reports/Trends.h"

#include "data/Schema.h"

#include <QHash>
#include <map>

namespace {

// Reads every row of `q` into `row`; false with the error on a failed read.
template <class Row> bool eachRow(Query& q, DbError* error, Row row)
{
    for (;;) {
        const Query::Fetch f = q.fetch();
        if (f == Query::Fetch::Failed) {
            if (error)
                *error = q.error();
            return false;
        }
        if (f == Query::Fetch::NoRow)
            return true;
        row(q);
    }
}

// Per month ("YYYY-MM", "" for undated loans): what changes the balances,
// what is lent and what is borrowed.
struct Delta {
    Money funds, lent, borrowed;
};

const char* const kMonthly[] = {
    // Income and expense as the account totals count them, from the
    // records' monthly sums.
    "select h_month, sum(case when f_fenleiid in (select id from v_fenlei where f_class = 'S') then h_jine"
    " when f_fenleiid in (select id from v_fenlei where f_class = 'Z') then -h_jine else 0 end), 0, 0 from h_yue"
    " where s_userid in (select id from s_user) and s_zhanghuid in (select id from z_zhanghu) group by h_month",
    // Transfers between existing accounts move nothing; into or out of one that is gone, they do.
    "select substr(zdate, 1, 7), sum(case when zh2 in (select id from z_zhanghu) then zXmoney else 0 end "
    "- case when zh1 in (select id from z_zhanghu) then zXmoney else 0 end), 0, 0 from s_zhanghistory group by 1",
};

// Loans: borrowed money is in the account and owed; lent money is out of it
// and owed to us. A loan counts from its date with what its dated
// repayments do not explain; each dated repayment from its own date.
const char* const kLoans[] = {
    "select coalesce(substr(j_date, 1, 7), ''), sum(case when j_class='S' then o else -o end), "
    "sum(case when j_class='Z' then o else 0 end), sum(case when j_class='S' then o else 0 end) from "
    "(select j_class, j_date, j_chuMoney - j_ruMoney + coalesce((select sum(h.h_money) from j_huankuan h "
    "where h.j_id = j.id and h.h_legacy = 0), 0) as o from s_jie j where z_id in (select id from z_zhanghu)) "
    "group by 1",
    "select substr(h.h_date, 1, 7), sum(case when j.j_class='S' then -h.h_money else h.h_money end), "
    "sum(case when j.j_class='Z' then -h.h_money else 0 end), sum(case when j.j_class='S' then -h.h_money else 0 end) "
    "from j_huankuan h join s_jie j on j.id = h.j_id where h.h_legacy = 0 and j.z_id in (select id from z_zhanghu) "
    "group by 1",
};
// A file without the history: what is still out counts from the loan's date.
const char* const kLoansWithoutHistory
    = "select coalesce(substr(j_date, 1, 7), ''), sum(case when j_class='S' then j_yuMoney else -j_yuMoney end), "
      "sum(case when j_class='Z' then j_yuMoney else 0 end), sum(case when j_class='S' then j_yuMoney else 0 end) "
      "from s_jie where z_id in (select id from z_zhanghu) group by 1";

}  // namespace

bool netWorthSeries(Database& db, const QDate& first, const QDate& last, const QDate& today, QList<WorthPoint>* points,
                    DbError* error)
{
    points->clear();
    std::map<QString, Delta> months;
    Money opening;
    {
        Query q(db, QStringLiteral("select sum(coalesce(z_qcje, 0)) from z_zhanghu"));
        if (!eachRow(q, error, [&](Query& r) { opening = r.money(0); }))
            return false;
    }
    bool history = false;
    if (!tablesExist(db, {QStringLiteral("j_huankuan")}, &history, error))
        return false;
    QList<const char*> statements(std::begin(kMonthly), std::end(kMonthly));
    if (history)
        statements << kLoans[0] << kLoans[1];
    else
        statements << kLoansWithoutHistory;
    for (const char* sql : statements) {
        Query q(db, QString::fromLatin1(sql));
        if (!eachRow(q, error, [&](Query& r) {
                Delta& d = months[r.text(0)];
                d.funds += r.money(1);
                d.lent += r.money(2);
                d.borrowed += r.money(3);
            }))
            return false;
    }
    const QString todayMonth = today.toString(QStringLiteral("yyyy-MM"));
    WorthPoint running{QDate(), opening, Money(), Money()};
    auto next = months.begin();
    for (QDate m(first.year(), first.month(), 1); m <= last; m = m.addMonths(1)) {
        const QString key = m.toString(QStringLiteral("yyyy-MM"));
        const bool now = key == todayMonth;
        // Everything up to this month; today's month takes what is dated later too.
        for (; next != months.end() && (now || next->first <= key); ++next) {
            running.funds = running.funds + next->second.funds;
            running.lent = running.lent + next->second.lent;
            running.borrowed = running.borrowed + next->second.borrowed;
        }
        running.monthEnd = m.addMonths(1).addDays(-1);
        points->append(running);
        if (now)
            break;
    }
    return true;
}

namespace {

QString yearStart(int year) { return QStringLiteral("%1-01-01").arg(year, 4, 10, QLatin1Char('0')); }
QString yearEnd(int year) { return QStringLiteral("%1-12-31").arg(year, 4, 10, QLatin1Char('0')); }

// Per mille of part in whole, rounded half away from zero.
qint64 perMille(Money part, Money whole)
{
    const __int128 p = __int128(part.raw()) * 1000, w = whole.raw();
    const __int128 q = (p < 0 ? p - w / 2 : p + w / 2) / w;
    return qint64(q);
}

QString percentText(qint64 perMille)
{
    const qint64 mag = perMille < 0 ? -perMille : perMille;
    return QStringLiteral("%1%2.%3%").arg(perMille < 0 ? QStringLiteral("-") : QString()).arg(mag / 10).arg(mag % 10);
}

}  // namespace

bool recordSpan(Database& db, QDate* first, QDate* last, DbError* error)
{
    Query q(db, QStringLiteral("select min(a), max(b) from (select min(s_date) as a, max(s_date) as b from s_shouru "
                               "union all select min(zdate), max(zdate) from s_zhanghistory "
                               "union all select min(j_date), max(j_date) from s_jie)"));
    *first = *last = QDate();
    return eachRow(q, error, [&](Query& r) {
        const QDate a = r.date(0), b = r.date(1);
        if (a.isValid() && b.isValid()) {
            *first = QDate(a.year(), a.month(), 1);
            *last = QDate(b.year(), b.month(), 1);
        }
    });
}

bool undatedRepaymentsBefore(Database& db, const QDate& today, QDate* month, DbError* error)
{
    *month = QDate();
    bool history = false;
    if (!tablesExist(db, {QStringLiteral("j_huankuan")}, &history, error))
        return false;
    Query q(db, history ? QStringLiteral("select exists (select 1 from j_huankuan h join s_jie j on j.id = h.j_id "
                                         "where h.h_legacy = 1 and h.h_money <> 0 and j.z_id in "
                                         "(select id from z_zhanghu)), (select min(h_date) from j_huankuan "
                                         "where h_legacy = 0)")
                        : QStringLiteral("select exists (select 1 from s_jie where j_ruMoney <> 0 and z_id in "
                                         "(select id from z_zhanghu)), null"));
    return eachRow(q, error, [&](Query& r) {
        if (!r.integer(0))
            return;
        // Dated repayments began no later than the first one written.
        const QDate first = r.date(1).isValid() ? r.date(1) : today;
        *month = QDate(first.year(), first.month(), 1);
    });
}

Money MonthlyTotals::totalIncome() const
{
    Money sum;
    for (Money m : income)
        sum += m;
    return sum;
}

Money MonthlyTotals::totalExpense() const
{
    Money sum;
    for (Money m : expense)
        sum += m;
    return sum;
}

bool monthlyTotals(Database& db, int year, qint64 topCategory, MonthlyTotals* totals, DbError* error)
{
    *totals = MonthlyTotals();
    Query q(db, QStringLiteral("select substr(s_date, 6, 2), f_class, sum(s_jine) from v_flbb "
                               "where s_date between :a and :b and (:c = 0 or f_id = :c) group by 1, 2"));
    q.bind(":a", yearStart(year)).bind(":b", yearEnd(year)).bind(":c", topCategory);
    return eachRow(q, error, [&](Query& r) {
        const int m = r.text(0).toInt();
        if (m < 1 || m > 12)
            return;
        totals->any = true;
        (r.text(1) == u"S" ? totals->income : totals->expense)[m - 1] += r.money(2);
    });
}

QString changeText(Money before, Money now)
{
    if (before.raw() <= 0)
        return QStringLiteral("—");
    const qint64 pm = perMille(now - before, before);
    return (pm > 0 ? QStringLiteral("+") : QString()) + percentText(pm);
}

bool yearSummary(Database& db, int year, YearSummary* s, DbError* error)
{
    *s = YearSummary();
    s->year = year;
    const QString a = yearStart(year), b = yearEnd(year);
    {
        Query q(db, QStringLiteral("select s_date >= :a, f_class, sum(s_jine) from v_flbb "
                                   "where s_date between :a0 and :b group by 1, 2"));
        q.bind(":a", a).bind(":a0", yearStart(year - 1)).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) {
                const bool now = r.integer(0) != 0;
                const bool income = r.text(1) == u"S";
                if (!now)
                    s->lastAny = true;
                Money& m = now ? (income ? s->income : s->expense) : (income ? s->lastIncome : s->lastExpense);
                m += r.money(2);
            }))
            return false;
    }
    {
        Query q(db, QStringLiteral("select dfenlei, sum(s_jine) from v_flbb where s_date between :a and :b and "
                                   "f_class = 'Z' group by f_id order by 2 desc, f_id limit 1"));
        q.bind(":a", a).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) {
                s->topCategory = r.text(0);
                s->topCategoryAmount = r.money(1);
            }))
            return false;
    }
    {
        Query q(db, QStringLiteral("select v.s_date, v.xfenlei, v.s_jine, s.s_other from v_flbb v join s_shouru s "
                                   "on s.id = v.id where v.s_date between :a and :b and v.f_class = 'Z' "
                                   "order by v.s_jine desc, v.s_date, v.id limit 1"));
        q.bind(":a", a).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) {
                s->hasBiggest = true;
                s->biggestDate = r.date(0);
                s->biggestCategory = r.text(1);
                s->biggestAmount = r.money(2);
                s->biggestRemark = r.text(3);
            }))
            return false;
    }
    {
        Money months[12];
        Query q(db, QStringLiteral("select substr(s_date, 6, 2), sum(s_jine) from v_flbb where s_date between :a "
                                   "and :b and f_class = 'Z' group by 1"));
        q.bind(":a", a).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) {
                const int m = r.text(0).toInt();
                if (m >= 1 && m <= 12)
                    months[m - 1] += r.money(1);
            }))
            return false;
        // A month without spending was not kept: only months with spending compare.
        for (int m = 1; m <= 12; ++m) {
            const Money v = months[m - 1];
            if (v.raw() <= 0)
                continue;
            if (!s->mostMonth || v > s->mostAmount) {
                s->mostMonth = m;
                s->mostAmount = v;
            }
            if (!s->leastMonth || v < s->leastAmount) {
                s->leastMonth = m;
                s->leastAmount = v;
            }
        }
    }
    {
        Query q(db, QStringLiteral("select count(distinct s_date) from v_flbb where s_date between :a and :b"));
        q.bind(":a", a).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) { s->days = int(r.integer(0)); }))
            return false;
    }
    {
        Query q(db, QStringLiteral("select u.sys_name, (select sum(s_jine) from s_z_all z where z.s_userid = u.id "
                                   "and z.f_class = 'Z' and z.s_date between :a and :b) from s_user u order by u.id"));
        q.bind(":a", a).bind(":b", b);
        if (!eachRow(q, error, [&](Query& r) {
                if (r.money(1).raw() > 0)
                    s->members.append({r.text(0), r.money(1)});
            }))
            return false;
    }
    return true;
}

QList<SummaryLine> summaryLines(const YearSummary& s)
{
    QList<SummaryLine> out;
    const auto compared = [&](const QString& what, Money before, Money now) {
        if (!s.lastAny)
            return QStringLiteral("，去年无记录");
        if (before.raw() <= 0)
            return QStringLiteral("，去年没有%1").arg(what);
        const qint64 pm = perMille(now - before, before);
        if (pm == 0)
            return QStringLiteral("，与去年持平");
        return QStringLiteral("，比去年%1 %2").arg(pm > 0 ? u"多" : u"少", percentText(pm < 0 ? -pm : pm));
    };
    out.append({QStringLiteral("收入"), s.income.yuanGrouped(),
                QStringLiteral("今年共收入 %1").arg(s.income.yuanGrouped())
                    + compared(QStringLiteral("收入"), s.lastIncome, s.income)});
    out.append({QStringLiteral("支出"), s.expense.yuanGrouped(),
                QStringLiteral("今年共支出 %1").arg(s.expense.yuanGrouped())
                    + compared(QStringLiteral("支出"), s.lastExpense, s.expense)});
    const Money left = s.income - s.expense;
    out.append({QStringLiteral("结余"), left.yuanGrouped(),
                left.raw() < 0 ? QStringLiteral("收不抵支，超支 %1").arg((-left).yuanGrouped())
                               : QStringLiteral("收支相抵，结余 %1").arg(left.yuanGrouped())});
    if (s.income.raw() > 0) {
        const QString rate = percentText(perMille(left, s.income));
        out.append({QStringLiteral("结余率"), rate, QStringLiteral("结余占收入的 %1").arg(rate)});
    } else {
        out.append({QStringLiteral("结余率"), QStringLiteral("—"), QStringLiteral("今年没有收入，结余率无从计算")});
    }
    if (s.topCategory.isNull() || s.expense.raw() <= 0) {
        out.append({QStringLiteral("最大支出类别"), QStringLiteral("—"), QStringLiteral("今年没有支出")});
    } else {
        out.append({QStringLiteral("最大支出类别"), s.topCategory,
                    QStringLiteral("花得最多的是“%1”，共 %2，占全年支出的 %3")
                        .arg(s.topCategory, s.topCategoryAmount.yuanGrouped(),
                             percentText(perMille(s.topCategoryAmount, s.expense)))});
    }
    if (s.hasBiggest) {
        QString sentence = QStringLiteral("最大的一笔支出是 %1月%2日 的“%3”，%4")
                               .arg(s.biggestDate.month())
                               .arg(s.biggestDate.day())
                               .arg(s.biggestCategory, s.biggestAmount.yuanGrouped());
        if (!s.biggestRemark.trimmed().isEmpty())
            sentence += QStringLiteral("（%1）").arg(s.biggestRemark);
        out.append({QStringLiteral("最大单笔支出"), s.biggestAmount.yuanGrouped(), sentence});
    } else {
        out.append({QStringLiteral("最大单笔支出"), QStringLiteral("—"), QStringLiteral("今年没有支出")});
    }
    if (s.mostMonth) {
        out.append({QStringLiteral("支出最多的月份"), QStringLiteral("%1月").arg(s.mostMonth),
                    QStringLiteral("%1月花得最多，共 %2").arg(s.mostMonth).arg(s.mostAmount.yuanGrouped())});
        out.append({QStringLiteral("支出最少的月份"), QStringLiteral("%1月").arg(s.leastMonth),
                    QStringLiteral("%1月花得最少，共 %2").arg(s.leastMonth).arg(s.leastAmount.yuanGrouped())});
    } else {
        out.append({QStringLiteral("支出最多的月份"), QStringLiteral("—"), QStringLiteral("今年没有支出")});
        out.append({QStringLiteral("支出最少的月份"), QStringLiteral("—"), QStringLiteral("今年没有支出")});
    }
    out.append({QStringLiteral("记账天数"), QStringLiteral("%1 天").arg(s.days),
                s.days ? QStringLiteral("全年有 %1 天记了账").arg(s.days) : QStringLiteral("今年还没有记账")});
    for (const auto& [name, amount] : s.members)
        out.append({QStringLiteral("成员支出"), amount.yuanGrouped(),
                    QStringLiteral("%1 支出 %2，占全年支出的 %3")
                        .arg(name, amount.yuanGrouped(), percentText(perMille(amount, s.expense)))});
    return out;
}
