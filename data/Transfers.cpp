#include "data/Transfers.h"

bool deleteTransfer(Database& db, qint64 id, QString* error)
{
    return execWithId(db,
                      {"delete from s_zhanghistory where id=:id", "UPDATE z_zhanghu   SET z_zhuanru=0",
                       "UPDATE z_zhanghu   SET z_zhuanchu=0"},
                      ":id", id, error);
}
