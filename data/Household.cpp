#include "data/Household.h"

#include "data/Import.h"
#include "data/Schema.h"

bool deleteMember(Database& db, qint64 id, DbError* error)
{
    return runSteps(db,
                    {{"delete from s_user where id=:id", {{":id", id}}},
                     {"delete from s_shouru where s_userid=:id", {{":id", id}}}},
                    error);
}

bool clearAllRecords(Database& db, DbError* error)
{
    // Statement imports go with the records they made (a file whose layout
    // could not be upgraded has no tables for them).
    bool imports = false;
    if (!importTablesExist(db, &imports, error))
        return false;
    // The records' sums go first: the records' triggers then find nothing to update.
    bool sums = false;
    if (!tablesExist(db, {QStringLiteral("h_yue")}, &sums, error))
        return false;
    QList<Step> steps;
    if (sums)
        steps << Step{"delete from h_yue"};
    // z_zhuanru is left to the recomputation at the next start, which finds
    // no transfers any more.
    steps << QList<Step>{
        {"delete from s_shouru"},
        {"delete from s_jie"},
        {"delete from s_zhanghistory"},
        {"UPDATE z_zhanghu SET z_qcje=0,z_shouru=0,z_zhichu=0,z_jiechu=0,z_jieru=0,z_zhuanchu=0,z_yue=0"}};
    if (imports)
        steps << Step{"delete from s_import_line"} << Step{"delete from s_import"};
    // Not journaled (its verified copy is the way back), and nothing the
    // journal held could be undone over an empty file: it goes too.
    bool journal = false;
    if (!tablesExist(db, {QStringLiteral("u_action"), QStringLiteral("u_item")}, &journal, error))
        return false;
    if (journal)
        steps << Step{"delete from u_item"} << Step{"delete from u_action"};
    // The budget notices shown were about records that are gone.
    bool notices = false;
    if (!tablesExist(db, {QStringLiteral("y_tixing")}, &notices, error))
        return false;
    if (notices)
        steps << Step{"delete from y_tixing"};
    return runSteps(db, steps, error);
}
