#include "data/Loans.h"

#include "data/Clock.h"
#include "data/Schema.h"

bool updateLoanOutstanding(Database& db, DbError* error)
{
    Query q(db, QStringLiteral("update s_jie set  j_yuMoney=j_chuMoney-j_ruMoney"));
    if (!q.exec()) {
        if (error)
            *error = q.error();
        return false;
    }
    // Each change of a repaid amount is kept, dated today: what the history
    // lacks of j_ruMoney (a file without the history has none to keep).
    bool history = false;
    if (!tablesExist(db, {QStringLiteral("j_huankuan")}, &history, error))
        return false;
    if (!history)
        return true;
    return runSteps(db,
                    {{"insert into j_huankuan (j_id, h_date, h_money) select j.id, :t, j.j_ruMoney - "
                      "coalesce((select sum(h.h_money) from j_huankuan h where h.j_id = j.id), 0) from s_jie j "
                      "where j.j_ruMoney <> coalesce((select sum(h.h_money) from j_huankuan h where h.j_id = j.id), 0)",
                      {{":t", Clock::today()}}}},
                    error);
}

bool deleteLoan(Database& db, qint64 id, DbError* error)
{
    // Stale loan totals would be worse than none: the next recomputation
    // rebuilds them from the loans that are left.
    bool history = false;
    if (!tablesExist(db, {QStringLiteral("j_huankuan")}, &history, error))
        return false;
    QList<Step> steps{{"delete from s_jie where id=:id", {{":id", id}}},
                      {"UPDATE z_zhanghu  SET z_jiechu=0"},
                      {"UPDATE z_zhanghu SET z_jieru=0"}};
    if (history)
        steps << Step{"delete from j_huankuan where j_id=:id", {{":id", id}}};
    return runSteps(db, steps, error);
}
