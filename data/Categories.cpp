#include "data/Categories.h"

bool deleteTopCategory(Database& db, qint64 id, DbError* error)
{
    const Binds x{{":x", id}};
    // The last statement also sweeps records whose category vanished earlier.
    return runSteps(db,
                    {{"delete from s_fenlei where id=:x", x},
                     {"delete from  s_yushuan where f_id=:x", x},
                     {"delete from  s_fenlei where f_id=:x", x},
                     {"delete from  s_shouru where f_fenleiid not in (select id from s_fenlei)"}},
                    error);
}

bool deleteSubCategory(Database& db, qint64 id, DbError* error)
{
    const Binds y{{":y", id}};
    return runSteps(db, {{"delete from s_fenlei where id=:y", y}, {"delete from  s_shouru where f_fenleiid=:y", y}},
                    error);
}
