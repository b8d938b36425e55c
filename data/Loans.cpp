#include "data/Loans.h"

bool updateLoanOutstanding(Database& db, DbError* error)
{
    Query q(db, QStringLiteral("update s_jie set  j_yuMoney=j_chuMoney-j_ruMoney"));
    if (q.exec())
        return true;
    if (error)
        *error = q.error();
    return false;
}

bool deleteLoan(Database& db, qint64 id, DbError* error)
{
    // Stale loan totals would be worse than none: the next recomputation
    // rebuilds them from the loans that are left.
    return runSteps(db,
                    {{"delete from s_jie where id=:id", {{":id", id}}},
                     {"UPDATE z_zhanghu  SET z_jiechu=0"},
                     {"UPDATE z_zhanghu SET z_jieru=0"}},
                    error);
}
