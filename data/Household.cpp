#include "data/Household.h"

#include "data/Import.h"

bool deleteMember(Database& db, qint64 id, QString* error)
{
    return execWithId(db, {"delete from s_user where id=:id", "delete from s_shouru where s_userid=:id"}, ":id", id, error);
}

bool clearAllRecords(Database& db, QString* error)
{
    // Statement imports go with the records they made (their tables exist
    // only after a first import).
    bool imports = false;
    if (!importTablesExist(db, &imports, error))
        return false;
    Transaction tx(db);
    // z_zhuanru is left to the recomputation at the next start, which finds
    // no transfers any more.
    const bool ok = tx.isActive()
                    && execAll(db,
                               {"delete from s_shouru", "delete from s_jie", "delete from s_zhanghistory",
                                "UPDATE z_zhanghu SET z_qcje=0,z_shouru=0,z_zhichu=0,z_jiechu=0,z_jieru=0,z_zhuanchu=0,z_yue=0"},
                               error)
                    && (!imports || execAll(db, {"delete from s_import_line", "delete from s_import"}, error));
    if (!tx.isActive() && error)
        *error = tx.error();
    if (!ok)
        return false;
    if (!tx.commit()) {
        if (error)
            *error = tx.error();
        return false;
    }
    return true;
}
