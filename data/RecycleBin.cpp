#include "data/RecycleBin.h"

#include "data/AccountTotals.h"
#include "data/Journal.h"
#include "data/JournalDetail.h"

#include <QSet>

using namespace journal_detail;

namespace {

// The columns of restored rows that point at a row of another table; 0 or
// NULL points at nothing (a top category's parent).
struct Ref {
    const char* table;
    const char* column;
    const char* owner;
};
const Ref kRefs[] = {
    {"s_shouru", "f_fenleiid", "s_fenlei"}, {"s_shouru", "s_zhanghuid", "z_zhanghu"},
    {"s_shouru", "s_userid", "s_user"},     {"s_zhanghistory", "zh1", "z_zhanghu"},
    {"s_zhanghistory", "zh2", "z_zhanghu"}, {"s_jie", "z_id", "z_zhanghu"},
    {"s_fenlei", "f_id", "s_fenlei"},       {"s_yushuan", "f_id", "s_fenlei"},
};

// How the content column names what went, in this order.
struct Noun {
    const char* table;
    const char* text;  // %1: the count
};
const Noun kNouns[] = {
    {"s_fenlei", "类别 %1 个"},  {"s_shouru", "收支记录 %1 笔"},
    {"s_yushuan", "预算 %1 条"}, {"s_user", "用户 %1 个"},
    {"z_zhanghu", "账户 %1 个"}, {"s_zhanghistory", "转账 %1 笔"},
    {"s_jie", "借贷 %1 笔"},     {"notebook", "日记 %1 篇"},
    {"s_import", "导入 %1 次"},  {"s_import_line", "导入明细 %1 行"},
};

struct Deleted {
    QString table;
    qint64 rowid;
    QString image;
};

bool known(const QString& table, DbError* error)
{
    return journaledTables().contains(table)
           || fail(error, DbError(DbError::Kind::Other, QStringLiteral("撤销记录已损坏（表 %1）").arg(table)));
}

bool rowExists(Database& db, const QString& table, qint64 rowid, bool* exists, DbError* error)
{
    if (!known(table, error))
        return false;
    Query q(db, QStringLiteral("select 1 from \"%1\" where rowid=:r").arg(table));
    q.bind(":r", rowid);
    const Query::Fetch f = q.fetch();
    *exists = f == Query::Fetch::Row;
    return f != Query::Fetch::Failed || fail(error, q.error());
}

bool deletedRows(Database& db, qint64 action, QList<Deleted>* rows, DbError* error)
{
    Query q(db, QStringLiteral("select t_name, r_id, i_old from u_item where a_id=:a and i_op='D' order by id"));
    q.bind(":a", action);
    return eachRow(q, error, [&] {
        rows->append({q.text(0), q.integer(1), q.text(2)});
        return known(q.text(0), error);
    });
}

// The values of `wanted` columns in a row image.
bool imageValues(Database& db, const Deleted& row, const QStringList& wanted, QList<QVariant>* values, DbError* error)
{
    QStringList all;
    if (!columnsOf(db, row.table, &all, error))
        return false;
    Query q(db,
            QStringLiteral("WITH %1 SELECT %2 FROM img").arg(imageTable("img", all, row.image), quotedNames(wanted)));
    if (q.fetch() != Query::Fetch::Row)
        return fail(error,
                    q.error().isError() ? q.error() : DbError(DbError::Kind::Other, QStringLiteral("撤销记录已损坏")));
    values->clear();
    for (int i = 0; i < wanted.size(); ++i)
        values->append(q.value(i));
    return true;
}

// The delete action still in force that took this row, 0 for none.
bool binActionHolding(Database& db, const QString& table, qint64 rowid, qint64* action, QString* label, DbError* error)
{
    Query q(db, QStringLiteral("select a.id, a.a_label from u_item i join u_action a on a.id=i.a_id "
                               "where i.t_name=:t and i.r_id=:r and i.i_op='D' and a.a_kind=:k and a.a_state='done' "
                               "order by a.id desc limit 1"));
    q.bind(":t", table).bind(":r", rowid).bind(":k", ActionKind::Delete);
    switch (q.fetch()) {
    case Query::Fetch::Failed: return fail(error, q.error());
    case Query::Fetch::NoRow: *action = 0; return true;
    case Query::Fetch::Row:
        *action = q.integer(0);
        *label = q.text(1);
        return true;
    }
    return false;
}

bool purgeAction(Database& db, qint64 action, DbError* error)
{
    return runSteps(db,
                    {{"update u_item set i_old=NULL, i_new=NULL where a_id=:a", {{":a", action}}},
                     {"update u_action set a_state='purged' where id=:a", {{":a", action}}}},
                    error);
}

}  // namespace

QString ownerKey(const QString& table, qint64 id) { return table + u':' + QString::number(id); }

bool binItems(Database& db, QList<BinItem>* items, DbError* error)
{
    items->clear();
    Query q(db, QStringLiteral("select a.id, a.a_time, a.a_label, i.t_name, i.r_id from u_action a "
                               "join u_item i on i.id = (select min(id) from u_item where a_id=a.id and i_op='D') "
                               "where a.a_kind=:k and a.a_state='done' order by a.id desc"));
    q.bind(":k", ActionKind::Delete);
    Query counts(db, QStringLiteral("select t_name, count(*) from u_item where a_id=:a and i_op='D' group by t_name"));
    return eachRow(q, error, [&] {
        bool back = false;
        if (!rowExists(db, q.text(3), q.integer(4), &back, error))
            return false;
        if (back)
            return true;
        BinItem item{q.integer(0), q.text(1), q.text(2), QString()};
        QHash<QString, qint64> byTable;
        counts.reset();
        counts.bind(":a", item.action);
        if (!eachRow(counts, error, [&] {
                byTable.insert(counts.text(0), counts.integer(1));
                return true;
            }))
            return false;
        QStringList parts;
        for (const Noun& n : kNouns)
            if (const qint64 c = byTable.value(QLatin1String(n.table)))
                parts << QString::fromUtf8(n.text).arg(c);
        item.content = parts.join(u'、');
        items->append(item);
        return true;
    });
}

bool planRestore(Database& db, qint64 action, RestorePlan* plan, DbError* error)
{
    *plan = RestorePlan();
    {
        Query q(db, QStringLiteral("select a_label from u_action where id=:a and a_kind=:k and a_state='done'"));
        q.bind(":a", action).bind(":k", ActionKind::Delete);
        switch (q.fetch()) {
        case Query::Fetch::Failed: return fail(error, q.error());
        case Query::Fetch::NoRow:
            return fail(error, DbError(DbError::Kind::Vanished, QStringLiteral("该项目已不在回收站中")));
        case Query::Fetch::Row: plan->label = q.text(0); break;
        }
    }
    QList<qint64> found{action};
    QHash<qint64, QList<Deleted>> rows;
    QSet<QString> coming;  // rows the plan puts back
    for (int i = 0; i < found.size(); ++i) {
        QList<Deleted>& mine = rows[found[i]];
        if (!deletedRows(db, found[i], &mine, error))
            return false;
        for (const Deleted& d : std::as_const(mine))
            coming.insert(ownerKey(d.table, d.rowid));
        for (const Deleted& d : std::as_const(mine)) {
            for (const Ref& ref : kRefs) {
                if (d.table != QLatin1String(ref.table))
                    continue;
                QList<QVariant> v;
                const QStringList wanted{QLatin1String(ref.column),
                                         QLatin1String(d.table == u"s_shouru" ? "f_class" : ref.column)};
                if (!imageValues(db, d, wanted, &v, error))
                    return false;
                const qint64 id = v[0].toLongLong();
                const QString owner = QLatin1String(ref.owner);
                if (v[0].isNull() || id == 0 || coming.contains(ownerKey(owner, id)))
                    continue;
                bool there = false;
                if (!rowExists(db, owner, id, &there, error))
                    return false;
                if (there)
                    continue;
                qint64 holder = 0;
                QString label;
                if (!binActionHolding(db, owner, id, &holder, &label, error))
                    return false;
                if (holder && !found.contains(holder)) {
                    found.append(holder);
                    plan->alsoRestored << label;
                    continue;
                }
                if (holder)
                    continue;
                const MissingOwner m{owner, id,
                                     owner == u"s_fenlei" && d.table == u"s_shouru" ? v[1].toString() : QString()};
                if (!plan->missing.contains(m))
                    plan->missing.append(m);
            }
        }
    }
    // Owners first: each was found after what needs it.
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        plan->actions.append(*it);
    return true;
}

bool restoreFromBin(Database& db, const RestorePlan& plan, const QHash<QString, qint64>& replacements, DbError* error)
{
    for (const MissingOwner& m : plan.missing)
        if (!replacements.contains(ownerKey(m.table, m.id)))
            return fail(error, DbError(DbError::Kind::Other, QStringLiteral("请先选择还原到的类别、账户或用户")));
    const QString label = QStringLiteral("还原 %1").arg(plan.label);
    return runAction(
        db, label, ActionKind::Restore,
        [&](DbError* err) {
            for (const qint64 action : plan.actions) {
                QList<Deleted> rows;
                if (!deletedRows(db, action, &rows, err))
                    return false;
                for (const Deleted& d : std::as_const(rows)) {
                    QStringList all;
                    if (!columnsOf(db, d.table, &all, err))
                        return false;
                    Query put(
                        db,
                        QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(d.table, quotedNames(all), d.image));
                    if (!put.exec()) {
                        const bool taken = put.error().kind() == DbError::Kind::Refused;
                        return fail(
                            err,
                            DbError(put.error().kind(),
                                    taken ? QStringLiteral("无法还原“%1”：同名的项目已经存在（%2）")
                                                .arg(plan.label, put.error().message())
                                          : QStringLiteral("无法还原“%1”：%2").arg(plan.label, put.error().message()),
                                    put.error().code()));
                    }
                    for (const Ref& ref : kRefs) {
                        if (d.table != QLatin1String(ref.table))
                            continue;
                        for (auto it = replacements.cbegin(); it != replacements.cend(); ++it) {
                            const QString prefix = QLatin1String(ref.owner) + u':';
                            if (!it.key().startsWith(prefix))
                                continue;
                            Query move(db, QStringLiteral("update \"%1\" set \"%2\"=:n where rowid=:r and \"%2\"=:o")
                                               .arg(d.table, QLatin1String(ref.column)));
                            move.bind(":n", it.value())
                                .bind(":r", d.rowid)
                                .bind(":o", it.key().mid(prefix.size()).toLongLong());
                            if (!move.exec())
                                return fail(err, move.error());
                        }
                    }
                }
            }
            return RecalcAccountTotals(db, err);
        },
        error);
}

bool removeFromBin(Database& db, qint64 action, DbError* error)
{
    SecureDelete secure(db);
    return secure.ok(error) && purgeAction(db, action, error);
}

bool emptyBin(Database& db, DbError* error, int* removed)
{
    if (removed)
        *removed = 0;
    QList<BinItem> items;
    if (!binItems(db, &items, error))
        return false;
    SecureDelete secure(db);
    if (!secure.ok(error))
        return false;
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    for (const BinItem& item : std::as_const(items))
        if (!purgeAction(db, item.action, error))
            return false;
    if (!tx.commit())
        return fail(error, tx.error());
    if (removed)
        *removed = int(items.size());
    return true;
}
