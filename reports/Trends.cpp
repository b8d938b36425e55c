#include "reports/Trends.h"

#include "data/Schema.h"

#include <QHash>
#include <map>

namespace {

// Per month ("YYYY-MM", "" for undated loans): what changes the balances,
// what is lent and what is borrowed.
struct Delta {
    Money funds, lent, borrowed;
};

const char* const kMonthly[] = {
    // Income and expense as the account totals count them.
    "select substr(s.s_date, 1, 7), sum(case when f.f_class='S' then s.s_jine else -s.s_jine end), 0, 0 "
    "from s_shouru s join v_fenlei f on f.id = s.f_fenleiid join s_user u on u.id = s.s_userid "
    "join z_zhanghu z on z.id = s.s_zhanghuid where f.f_class in ('S', 'Z') group by 1",
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
        if (q.fetch() == Query::Fetch::Failed) {
            if (error)
                *error = q.error();
            return false;
        }
        opening = q.money(0);
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
        for (;;) {
            const Query::Fetch f = q.fetch();
            if (f == Query::Fetch::Failed) {
                if (error)
                    *error = q.error();
                return false;
            }
            if (f == Query::Fetch::NoRow)
                break;
            Delta& d = months[q.text(0)];
            d.funds = d.funds + q.money(1);
            d.lent = d.lent + q.money(2);
            d.borrowed = d.borrowed + q.money(3);
        }
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
