#include "data/Loans.h"

bool updateLoanOutstanding(Database& db, QString* error)
{
    Query q(db, QStringLiteral("update s_jie set  j_yuMoney=j_chuMoney-j_ruMoney"));
    if (q.exec())
        return true;
    if (error)
        *error = q.error();
    return false;
}

bool deleteLoan(Database& db, qint64 id, QString* error)
{
    auto fail = [error](const QString& e) {
        if (error)
            *error = e;
        return false;  // the transaction rolls back
    };
    Transaction tx(db);
    if (!tx.isActive())
        return fail(tx.error());
    Query del(db, QStringLiteral("delete from s_jie where id=:id"));
    del.bind(":id", id);
    if (!del.exec())
        return fail(del.error());
    // Stale loan totals would be worse than none: the next recomputation
    // rebuilds them from the loans that are left.
    for (const char* sql : {"UPDATE z_zhanghu  SET z_jiechu=0", "UPDATE z_zhanghu SET z_jieru=0"}) {
        Query zero(db, QString::fromUtf8(sql));
        if (!zero.exec())
            return fail(zero.error());
    }
    if (!tx.commit())
        return fail(tx.error());
    return true;
}
