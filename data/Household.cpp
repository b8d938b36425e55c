#include "data/Household.h"

bool deleteMember(Database& db, qint64 id, QString* error)
{
    return execWithId(db, {"delete from s_user where id=:id", "delete from s_shouru where s_userid=:id"}, ":id", id, error);
}

bool clearAllRecords(Database& db, QString* error)
{
    // z_zhuanru is left to the recomputation at the next start, which finds
    // no transfers any more.
    return execWithId(db,
                      {"delete from s_shouru", "delete from s_jie", "delete from s_zhanghistory",
                       "UPDATE z_zhanghu SET z_qcje=0,z_shouru=0,z_zhichu=0,z_jiechu=0,z_jieru=0,z_zhuanchu=0,z_yue=0"},
                      nullptr, 0, error);
}
