#include "data/Transfers.h"

bool deleteTransfer(Database& db, qint64 id, DbError* error)
{
    return runSteps(db,
                    {{"delete from s_zhanghistory where id=:id", {{":id", id}}},
                     {"UPDATE z_zhanghu   SET z_zhuanru=0"},
                     {"UPDATE z_zhanghu   SET z_zhuanchu=0"}},
                    error);
}
