#include "data/Household.h"

bool deleteMember(Database& db, qint64 id, QString* error)
{
    return execWithId(db, {"delete from s_user where id=:id", "delete from s_shouru where s_userid=:id"}, ":id", id, error);
}

bool clearAllRecords(Database& db, QString* error)
{
    auto fail = [error](const QString& e) {
        if (error)
            *error = e;
        return false;  // the transaction rolls back
    };
    Transaction tx(db);
    if (!tx.isActive())
        return fail(tx.error());
    // z_zhuanru is left to the recomputation at the next start, which finds
    // no transfers any more.
    QString e;
    if (!execAll(db,
                 {"delete from s_shouru", "delete from s_jie", "delete from s_zhanghistory",
                  "UPDATE z_zhanghu SET z_qcje=0,z_shouru=0,z_zhichu=0,z_jiechu=0,z_jieru=0,z_zhuanchu=0,z_yue=0"},
                 &e))
        return fail(e);
    if (!tx.commit())
        return fail(tx.error());
    return true;
}
