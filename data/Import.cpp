#include "data/Import.h"

#include "data/AccountTotals.h"
#include "data/Schema.h"
#include "data/TextLimit.h"

#include <set>
#include <tuple>

namespace {

constexpr int kRemarkLimit = 250;
const char* const kTimeFormat = "yyyy-MM-dd HH:mm:ss";

bool failWith(DbError* error, const DbError& e)
{
    if (error)
        *error = e;
    return false;
}

bool run(Query& q, DbError* error) { return q.exec() || failWith(error, q.error()); }

}  // namespace

QString importRemark(const QString& counterparty, const QString& memo, const QString& note)
{
    QStringList parts;
    for (const QString& part : {counterparty, memo, note})
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    // Characters, not UTF-16 units: a character beyond U+FFFF is never halved.
    return TextLimit::left(parts.join(u' '), kRemarkLimit);
}

bool importTablesExist(Database& db, bool* exist, DbError* error)
{
    return tablesExist(db, {QStringLiteral("s_import"), QStringLiteral("s_import_line")}, exist, error);
}

bool ImportRecords(Database& db, const QString& fileName, const QDateTime& when, qint64 accountId, qint64 memberId,
                   const QList<ImportLine>& lines, qint64* importId, DbError* error,
                   const std::function<void(int lines)>& progress)
{
    Transaction tx(db);
    if (!tx.isActive())
        return failWith(error, tx.error());
    Query import(db, QStringLiteral("insert into s_import (i_file, i_time, i_count) values (:f, :t, :n)"));
    import.bind(":f", fileName)
        .bind(":t", when.toString(QString::fromLatin1(kTimeFormat)))
        .bind(":n", qint64(lines.size()));
    if (!run(import, error))
        return false;
    const qint64 id = db.lastInsertId();

    Query cls(db, QStringLiteral("select f_class from v_fenlei where id=:id"));
    Query record(db,
                 QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_other,s_zhanghuid,s_date,f_class)"
                                " values (:f,:j,:u,:o,:z,:d,:c)"));
    Query line(db, QStringLiteral("insert into s_import_line (i_id, s_id, z_id, l_duifang, f_id, l_fitid)"
                                  " values (:i, :s, :z, :p, :f, :x)"));
    QHash<qint64, QString> classOf;
    int written = 0;
    for (const ImportLine& l : lines) {
        if (progress && ++written % 500 == 0)
            progress(written);
        if (!classOf.contains(l.categoryId)) {
            cls.reset();
            cls.bind(":id", l.categoryId);
            switch (cls.fetch()) {
            case Query::Fetch::Row: classOf.insert(l.categoryId, cls.text(0)); break;
            case Query::Fetch::NoRow:
                return failWith(error,
                                DbError(DbError::Kind::Other, QStringLiteral("类别 %1 不存在").arg(l.categoryId)));
            case Query::Fetch::Failed: return failWith(error, cls.error());
            }
        }
        record.bind(":f", l.categoryId)
            .bind(":j", l.amount)
            .bind(":u", memberId)
            .bind(":o", importRemark(l.counterparty, l.memo, l.note))
            .bind(":z", accountId)
            .bind(":d", l.date)
            .bind(":c", classOf.value(l.categoryId));
        if (!run(record, error))
            return false;
        line.bind(":i", id)
            .bind(":s", db.lastInsertId())
            .bind(":z", accountId)
            .bind(":p", l.counterparty)
            .bind(":f", l.categoryId)
            .bind(":x", l.fitid.isEmpty() ? QString() : l.fitid);
        if (!run(line, error))
            return false;
    }
    if (!RecalcAccountTotals(db, error))
        return false;
    if (!tx.commit())
        return failWith(error, tx.error());
    if (importId)
        *importId = id;
    return true;
}

bool liveImportRecords(Database& db, qint64 importId, int* count, DbError* error)
{
    bool exist = false;
    if (!importTablesExist(db, &exist, error))
        return false;
    *count = 0;
    if (!exist)
        return true;
    Query q(db,
            QStringLiteral("select count(*) from s_shouru where id in (select s_id from s_import_line where i_id=:i)"));
    q.bind(":i", importId);
    if (q.fetch() == Query::Fetch::Row) {
        *count = int(q.integer(0));
        return true;
    }
    return failWith(error, q.error());
}

bool UndoImport(Database& db, qint64 importId, int* deleted, DbError* error)
{
    bool exist = false;
    if (!importTablesExist(db, &exist, error))
        return false;
    if (!exist) {
        if (deleted)
            *deleted = 0;
        return true;
    }
    Transaction tx(db);
    if (!tx.isActive())
        return failWith(error, tx.error());
    Query records(db,
                  QStringLiteral("delete from s_shouru where id in (select s_id from s_import_line where i_id=:i)"));
    records.bind(":i", importId);
    if (!run(records, error))
        return false;
    const int n = db.changes();
    Query lines(db, QStringLiteral("delete from s_import_line where i_id=:i"));
    lines.bind(":i", importId);
    Query import(db, QStringLiteral("delete from s_import where id=:i"));
    import.bind(":i", importId);
    if (!run(lines, error) || !run(import, error) || !RecalcAccountTotals(db, error))
        return false;
    if (!tx.commit())
        return failWith(error, tx.error());
    if (deleted)
        *deleted = n;
    return true;
}

bool readImports(Database& db, QList<PastImport>* imports, DbError* error)
{
    imports->clear();
    bool exist = false;
    if (!importTablesExist(db, &exist, error))
        return false;
    if (!exist)
        return true;
    Query q(db, QStringLiteral("select id, i_file, i_time, i_count from s_import order by id desc"));
    while (q.next())
        imports->append({q.integer(0), q.text(1), QDateTime::fromString(q.text(2), QString::fromLatin1(kTimeFormat)),
                         int(q.integer(3))});
    return q.ok() || failWith(error, q.error());
}

bool readImportHistory(Database& db, qint64 accountId, ImportHistory* history, DbError* error)
{
    *history = ImportHistory();
    bool exist = false;
    if (!importTablesExist(db, &exist, error))
        return false;
    if (!exist)
        return true;
    Query fitids(db, QStringLiteral("select l_fitid from s_import_line where z_id=:z and l_fitid is not null"));
    fitids.bind(":z", accountId);
    while (fitids.next())
        history->fitids.insert(fitids.text(0));
    if (!fitids.ok())
        return failWith(error, fitids.error());
    // The last choice per counterparty wins: rows come oldest first.
    Query chosen(db, QStringLiteral("select l_duifang, f_id from s_import_line"
                                    " where l_duifang is not null and l_duifang<>'' order by id"));
    while (chosen.next())
        history->categoryOf.insert(chosen.text(0), chosen.integer(1));
    return chosen.ok() || failWith(error, chosen.error());
}

bool findStoredMatches(Database& db, qint64 accountId, const QList<StoredKey>& keys, QVector<bool>* matches,
                       DbError* error)
{
    matches->fill(false, keys.size());
    QDate first, last;
    for (const StoredKey& k : keys) {
        if (!k.date.isValid())
            continue;
        if (!first.isValid() || k.date < first)
            first = k.date;
        if (!last.isValid() || k.date > last)
            last = k.date;
    }
    if (!first.isValid())
        return true;
    // One read of the statement's days rather than one statement per line:
    // a long statement would otherwise cost seconds.
    using Key = std::tuple<qint64, qint64, QString>;  // day, amount, class
    std::set<Key> stored;
    Query q(db, QStringLiteral("select s_date, s_jine, f_class from s_shouru where s_date between :d1 and :d2"
                               " and s_zhanghuid=:z"));
    q.bind(":d1", first.addDays(-1)).bind(":d2", last.addDays(1)).bind(":z", accountId);
    while (q.next())
        stored.insert({QDate::fromString(q.text(0), Qt::ISODate).toJulianDay(), q.integer(1), q.text(2)});
    if (!q.ok())
        return failWith(error, q.error());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const StoredKey& k = keys[i];
        if (!k.date.isValid())
            continue;
        const qint64 day = k.date.toJulianDay();
        for (qint64 d = day - 1; d <= day + 1 && !(*matches)[i]; ++d)
            (*matches)[i] = stored.count({d, k.amount.raw(), k.cls}) > 0;
    }
    return true;
}
