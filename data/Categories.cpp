#include "data/Categories.h"


bool deleteTopCategory(Database& db, qint64 id, QString* error)
{
    // The last statement also sweeps records whose category vanished earlier.
    return execWithId(db,
                   {"delete from s_fenlei where id=:x", "delete from  s_yushuan where f_id=:x",
                    "delete from  s_fenlei where f_id=:x",
                    "delete from  s_shouru where f_fenleiid not in (select id from s_fenlei)"},
                   ":x", id, error);
}

bool deleteSubCategory(Database& db, qint64 id, QString* error)
{
    return execWithId(db, {"delete from s_fenlei where id=:y", "delete from  s_shouru where f_fenleiid=:y"}, ":y", id,
                   error);
}
