#include "data/Categories.h"

namespace {

// Runs the statements in order with `id` bound to `param`, in one transaction.
bool cascade(Database& db, std::initializer_list<const char*> statements, const char* param, qint64 id,
             QString* error)
{
    auto fail = [error](const QString& e) {
        if (error)
            *error = e;
        return false;  // the transaction rolls back
    };
    Transaction tx(db);
    if (!tx.isActive())
        return fail(tx.error());
    for (const char* sql : statements) {
        Query q(db, QString::fromUtf8(sql));
        q.bind(param, id);
        if (!q.exec())
            return fail(q.error());
    }
    if (!tx.commit())
        return fail(tx.error());
    return true;
}

} // namespace

bool deleteTopCategory(Database& db, qint64 id, QString* error)
{
    // The last statement also sweeps records whose category vanished earlier.
    return cascade(db,
                   {"delete from s_fenlei where id=:x", "delete from  s_yushuan where f_id=:x",
                    "delete from  s_fenlei where f_id=:x",
                    "delete from  s_shouru where f_fenleiid not in (select id from s_fenlei)"},
                   ":x", id, error);
}

bool deleteSubCategory(Database& db, qint64 id, QString* error)
{
    return cascade(db, {"delete from s_fenlei where id=:y", "delete from  s_shouru where f_fenleiid=:y"}, ":y", id,
                   error);
}
