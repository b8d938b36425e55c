#include "data/Journal.h"

#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/JournalDetail.h"
#include "data/Schema.h"

#include <QSet>

namespace journal_detail {

bool fail(DbError* error, const DbError& e)
{
    if (error)
        *error = e;
    return false;
}

bool eachRow(Query& q, DbError* error, const std::function<bool()>& row)
{
    for (;;) {
        switch (q.fetch()) {
        case Query::Fetch::Failed: return fail(error, q.error());
        case Query::Fetch::NoRow: return true;
        case Query::Fetch::Row:
            if (!row())
                return false;
        }
    }
}

// The table's columns in order; the rows must keep their rowid in an
// INTEGER PRIMARY KEY column, so an image put back lands where it was.
bool columnsOf(Database& db, const QString& table, QStringList* columns, DbError* error)
{
    Query q(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    bool rowidKey = false;
    int keys = 0;
    columns->clear();
    for (;;) {
        const Query::Fetch f = q.fetch();
        if (f == Query::Fetch::Failed)
            return fail(error, q.error());
        if (f == Query::Fetch::NoRow)
            break;
        *columns << q.text(1);
        if (q.integer(5) > 0) {
            ++keys;
            rowidKey = q.text(2).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        }
    }
    if (columns->isEmpty() || keys != 1 || !rowidKey)
        return fail(error, DbError(DbError::Kind::Other,
                                   QStringLiteral("表 %1 不存在或没有整数主键，无法记录撤销信息").arg(table)));
    return true;
}

QString quotedNames(const QStringList& columns)
{
    QStringList out;
    for (const QString& c : columns)
        out << u'"' + c + u'"';
    return out.join(u',');
}

// `WITH img(cols) AS (SELECT <image>)`: the image's values by column name.
QString imageTable(const char* name, const QStringList& columns, const QString& image)
{
    return QStringLiteral("%1(%2) AS (SELECT %3)").arg(QLatin1String(name), quotedNames(columns), image);
}

}  // namespace journal_detail

using namespace journal_detail;

namespace {

struct Journaled {
    const char* name;
    // What an update records and is compared on; empty: every column.
    QStringList userColumns;
};

// Accounts: only what a user types. Rebuilding the totals is no change of
// the user's, but a deleted or inserted account keeps its whole row.
const QList<Journaled>& journaled()
{
    static const QList<Journaled> tables{
        {"s_shouru", {}},      {"s_fenlei", {}},       {"z_zhanghu", {"id", "z_name", "z_qcje", "z_other"}},
        {"s_user", {}},        {"s_zhanghistory", {}}, {"s_jie", {}},
        {"s_yushuan", {}},     {"notebook", {}},       {"s_import", {}},
        {"s_import_line", {}}, {"p_plan", {}},         {"p_done", {}},
        {"j_huankuan", {}},
    };
    return tables;
}

const Journaled* findJournaled(const QString& name)
{
    for (const Journaled& t : journaled())
        if (name == QLatin1String(t.name))
            return &t;
    return nullptr;
}

QStringList userColumnsOf(const Journaled& t, const QStringList& all)
{
    return t.userColumns.isEmpty() ? all : t.userColumns;
}

// quote(new."a")||','||quote(new."b")…: the row as a literal list. quote()
// ends a text at its first NUL; such a text goes as its bytes, cast back.
QString imageOf(const char* row, const QStringList& columns)
{
    QStringList parts;
    for (const QString& c : columns)
        parts << QStringLiteral("CASE WHEN typeof(%1.\"%2\")='text' AND instr(%1.\"%2\", char(0)) > 0 "
                                "THEN 'CAST('||quote(CAST(%1.\"%2\" AS BLOB))||' AS TEXT)' ELSE quote(%1.\"%2\") END")
                     .arg(QLatin1String(row), c);
    return parts.join(QStringLiteral("||','||"));
}

QString itemInsert(const QString& table, const char* rowid, char op, const QString& oldImage, const QString& newImage)
{
    return QStringLiteral("INSERT INTO u_item (a_id, t_name, r_id, i_op, i_old, i_new) "
                          "SELECT a_id, '%1', %2, '%3', %4, %5 FROM temp.u_current;")
        .arg(table, QLatin1String(rowid), QChar::fromLatin1(op), oldImage.isEmpty() ? QStringLiteral("NULL") : oldImage,
             newImage.isEmpty() ? QStringLiteral("NULL") : newImage);
}

QStringList triggersFor(const Journaled& t, const QStringList& all)
{
    const QString name = QLatin1String(t.name);
    const QStringList user = userColumnsOf(t, all);
    QStringList changed;
    for (const QString& c : user)
        changed << QStringLiteral("old.\"%1\" IS NOT new.\"%1\"").arg(c);
    const QString head = QStringLiteral("CREATE TEMP TRIGGER u_%1_%2 AFTER %3 ON main.\"%1\" ");
    return {
        head.arg(name, QStringLiteral("i"), QStringLiteral("INSERT")) + QStringLiteral("BEGIN ")
            + itemInsert(name, "new.rowid", 'I', QString(), imageOf("new", all)) + QStringLiteral(" END"),
        head.arg(name, QStringLiteral("d"), QStringLiteral("DELETE")) + QStringLiteral("BEGIN ")
            + itemInsert(name, "old.rowid", 'D', imageOf("old", all), QString()) + QStringLiteral(" END"),
        head.arg(name, QStringLiteral("u"), QStringLiteral("UPDATE"))
            + QStringLiteral("WHEN old.rowid = new.rowid AND (") + changed.join(QStringLiteral(" OR "))
            + QStringLiteral(") BEGIN ")
            + itemInsert(name, "old.rowid", 'U', imageOf("old", user), imageOf("new", user)) + QStringLiteral(" END"),
        // A row moved to another rowid is a delete and an insert.
        head.arg(name, QStringLiteral("m"), QStringLiteral("UPDATE"))
            + QStringLiteral("WHEN old.rowid <> new.rowid BEGIN ")
            + itemInsert(name, "old.rowid", 'D', imageOf("old", all), QString())
            + itemInsert(name, "new.rowid", 'I', QString(), imageOf("new", all)) + QStringLiteral(" END"),
    };
}

bool exec(Database& db, const QString& sql, DbError* error)
{
    Query q(db, sql);
    return q.exec() || fail(error, q.error());
}

bool installed(Database& db)
{
    Query q(db, QStringLiteral("select count(*) from sqlite_temp_master where name='u_current'"));
    return q.next() && q.integer(0) == 1;
}

// The action open on the connection, 0 for none.
qint64 openAction(Database& db, DbError* error)
{
    if (!installed(db))
        return 0;
    Query q(db, QStringLiteral("select a_id from temp.u_current"));
    QVariant v;
    switch (q.scalar(&v)) {
    case Query::Fetch::Row: return v.toLongLong();
    case Query::Fetch::NoRow: return 0;
    case Query::Fetch::Failed: fail(error, q.error()); return -1;
    }
    return -1;
}

struct Item {
    QString table;
    qint64 rowid;
    QChar op;
    QString oldImage, newImage;
};

// Runs one item forward (redo) or backward (undo). The row must look as the
// action left it (its user columns), else nothing is applied.
// Why an item cannot be applied: a later action in force that touched the
// row is named (the stack keeps that from happening, but a file written by
// hand or by another program may not); else the row was changed elsewhere.
DbError conflict(Database& db, const Item& item, qint64 action, bool undo, const QString& label)
{
    const QString verb = undo ? QStringLiteral("撤销") : QStringLiteral("恢复");
    Query later(db, QStringLiteral("select a.a_label from u_item i join u_action a on a.id=i.a_id "
                                   "where i.t_name=:t and i.r_id=:r and i.a_id>:a and a.a_state='done' "
                                   "order by i.a_id desc limit 1"));
    later.bind(":t", item.table).bind(":r", item.rowid).bind(":a", action);
    if (later.fetch() == Query::Fetch::Row)
        return DbError(DbError::Kind::Vanished, QStringLiteral("请先撤销：%1").arg(later.text(0)));
    return DbError(DbError::Kind::Vanished, QStringLiteral("“%1”涉及的数据已被修改或删除，无法%2").arg(label, verb));
}

bool applyItem(Database& db, const Item& item, qint64 action, bool undo, const QString& label, DbError* error)
{
    // Only names of the program's own list are put into a statement.
    const Journaled* t = findJournaled(item.table);
    if (!t || !QStringLiteral("IUD").contains(item.op) || item.op.isNull())
        return fail(error, DbError(DbError::Kind::Other, QStringLiteral("撤销记录已损坏（表 %1）").arg(item.table)));
    QStringList all;
    if (!columnsOf(db, item.table, &all, error))
        return false;
    const QStringList user = userColumnsOf(*t, all);
    const QString table = u'"' + item.table + u'"';
    const QString names = quotedNames(user);
    const QString compared = QStringLiteral("(%1) IS (SELECT %1 FROM img)").arg(names);
    // What an insert or a delete means in this direction.
    QChar op = item.op;
    if (undo && op == u'I')
        op = u'D';
    else if (undo && op == u'D')
        op = u'I';
    QString sql;
    if (op == u'I') {
        const QString image = item.op == u'I' ? item.newImage : item.oldImage;
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, quotedNames(all), image);
    } else if (op == u'D') {
        const QString image = item.op == u'I' ? item.newImage : item.oldImage;
        sql = QStringLiteral("WITH %1 DELETE FROM %2 WHERE rowid = :r AND %3")
                  .arg(imageTable("img", all, image), table, compared);
    } else {
        const QString from = undo ? item.newImage : item.oldImage;
        const QString to = undo ? item.oldImage : item.newImage;
        sql = QStringLiteral("WITH %1, %2 UPDATE %3 SET (%4) = (SELECT %4 FROM nw) WHERE rowid = :r AND %5")
                  .arg(imageTable("img", user, from), imageTable("nw", user, to), table, names, compared);
    }
    Query q(db, sql);
    if (op != u'I')
        q.bind(":r", item.rowid);
    const bool ran = q.exec();
    if (ran && db.changes() != 1)
        return fail(error, conflict(db, item, action, undo, label));
    // An insert refused because the row is back (a later action's) names that action.
    if (!ran && op == u'I' && q.error().kind() == DbError::Kind::Refused) {
        const DbError why = conflict(db, item, action, undo, label);
        if (why.message().startsWith(QStringLiteral("请先撤销")))
            return fail(error, why);
    }
    if (!ran)
        return fail(
            error, DbError(q.error().kind(),
                           QStringLiteral("无法%1“%2”：%3")
                               .arg(undo ? QStringLiteral("撤销") : QStringLiteral("恢复"), label, q.error().message()),
                           q.error().code()));
    return true;
}

// Undo: the newest done action. Redo: the oldest undone one (undone actions
// always sit above every done one: a new action drops them).
bool applyLatest(Database& db, bool undo, DbError* error, QString* label)
{
    if (label)
        label->clear();
    const qint64 open = openAction(db, error);
    if (open < 0)
        return false;
    if (open > 0)
        return fail(error, DbError(DbError::Kind::Other, QStringLiteral("还有未完成的操作，不能撤销或恢复")));
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    Query pick(db,
               undo ? QStringLiteral("select id, a_label from u_action where a_state='done' order by id desc limit 1")
                    : QStringLiteral("select id, a_label from u_action where a_state='undone' order by id limit 1"));
    const Query::Fetch f = pick.fetch();
    if (f == Query::Fetch::Failed)
        return fail(error, pick.error());
    if (f == Query::Fetch::NoRow)
        return true;
    const qint64 id = pick.integer(0);
    const QString name = pick.text(1);
    QList<Item> items;
    {
        Query q(db, QStringLiteral("select t_name, r_id, i_op, i_old, i_new from u_item where a_id=:a order by id %1")
                        .arg(undo ? QStringLiteral("desc") : QStringLiteral("asc")));
        q.bind(":a", id);
        if (!eachRow(q, error, [&] {
                const QString op = q.text(2);
                items.append({q.text(0), q.integer(1), op.isEmpty() ? QChar() : op[0], q.text(3), q.text(4)});
                return true;
            }))
            return false;
    }
    // Rows a later action removed for good from the recycle bin stay as it
    // left them: the rest of the action is undone or redone without them.
    QSet<QPair<QString, qint64>> removedForGood;
    {
        Query q(db, QStringLiteral("select i.t_name, i.r_id from u_item i join u_action a on a.id=i.a_id "
                                   "where a.a_state='purged' and a.id>:a"));
        q.bind(":a", id);
        if (!eachRow(q, error, [&] {
                removedForGood.insert({q.text(0), q.integer(1)});
                return true;
            }))
            return false;
    }
    for (const Item& item : items)
        if (!removedForGood.contains({item.table, item.rowid}) && !applyItem(db, item, id, undo, name, error))
            return false;
    if (!RecalcAccountTotals(db, error))
        return false;
    Query mark(db, QStringLiteral("update u_action set a_state=:s where id=:a"));
    mark.bind(":s", undo ? "undone" : "done").bind(":a", id);
    if (!mark.exec())
        return fail(error, mark.error());
    if (!tx.commit())
        return fail(error, tx.error());
    if (label)
        *label = name;
    return true;
}

QString latestLabel(Database& db, const char* sql, DbError* error)
{
    Query q(db, QString::fromLatin1(sql));
    QVariant v;
    if (q.scalar(&v) == Query::Fetch::Failed) {
        fail(error, q.error());
        return QString();
    }
    return v.toString();
}

}  // namespace

const QStringList& journaledTables()
{
    static const QStringList names = [] {
        QStringList out;
        for (const Journaled& t : journaled())
            out << QLatin1String(t.name);
        return out;
    }();
    return names;
}

const QStringList& unjournaledTables()
{
    static const QStringList names{// settings
                                   "sys_sys", "sys_autobak", "u_setting",
                                   // budget notices already shown: no household data
                                   "y_tixing",
                                   // rebuilt from the journaled tables by the routine that reads them
                                   "x_shou", "x_zhi", "x_chu", "x_jie", "x_zr", "x_zc", "s_ls", "s_renls",
                                   // kept by the records' own triggers (undo changes the records)
                                   "h_yue", "h_stamp",
                                   // the journal itself
                                   "u_action", "u_item"};
    return names;
}

bool installJournal(Database& db, DbError* error)
{
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    QStringList statements;
    for (const Journaled& t : journaled()) {
        // A table a later layout step brings is left out while the file
        // lacks it (that step failed): nothing can write it then.
        bool exists = false;
        if (!tablesExist(db, {QLatin1String(t.name)}, &exists, error))
            return false;
        if (!exists)
            continue;
        QStringList all;
        if (!columnsOf(db, QLatin1String(t.name), &all, error))
            return false;
        for (const char* suffix : {"i", "d", "u", "m"})
            statements << QStringLiteral("DROP TRIGGER IF EXISTS temp.u_%1_%2")
                              .arg(QLatin1String(t.name), QLatin1String(suffix));
        statements << triggersFor(t, all);
    }
    for (const char* table : {"u_action", "u_item"}) {
        QStringList all;
        if (!columnsOf(db, QLatin1String(table), &all, error))
            return false;
    }
    // Made last: its presence says the triggers are there.
    statements << QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS u_current (a_id INTEGER NOT NULL)");
    for (const QString& sql : statements)
        if (!exec(db, sql, error))
            return false;
    return tx.commit() || fail(error, tx.error());
}

bool ensureJournal(Database& db, DbError* error) { return installed(db) || installJournal(db, error); }

JournalAction::JournalAction(Database& db, const QString& label, const QString& kind) : m_db(db), m_tx(db)
{
    if (!m_tx.isActive()) {
        m_error = m_tx.error();
        return;
    }
    // A connection reopened without Tx_Data (a restore) gets its triggers here.
    if (!ensureJournal(db, &m_error))
        return;
    const qint64 open = openAction(db, &m_error);
    if (open < 0)
        return;
    if (open > 0) {
        m_joined = m_active = true;
        return;
    }
    Query add(db, QStringLiteral("insert into u_action (a_time, a_label, a_kind, a_state, a_rows) "
                                 "values (:t, :l, :k, 'done', 0)"));
    add.bind(":t", Clock::now().toString(QLatin1String(kTimeFormat))).bind(":l", label).bind(":k", kind);
    if (!add.exec()) {
        m_error = add.error();
        return;
    }
    m_id = db.lastInsertId();
    Query current(db, QStringLiteral("insert into temp.u_current (a_id) values (:a)"));
    current.bind(":a", m_id);
    if (!current.exec()) {
        m_error = current.error();
        return;
    }
    m_active = true;
}

JournalAction::~JournalAction()
{
    if (m_active && !m_joined)
        close();
    // m_tx rolls back what was not finished.
}

void JournalAction::close()
{
    // Nothing to do about a failure: the savepoint's rollback takes the row too.
    (void)m_db.exec(QStringLiteral("delete from temp.u_current"));
    m_active = false;
}

bool JournalAction::finish()
{
    if (!m_active) {
        if (!m_error.isError())
            m_error = DbError(DbError::Kind::Other, QStringLiteral("操作记录没有打开"));
        return false;
    }
    if (m_joined) {
        // The writes stay, in the outer action.
        m_active = false;
        if (!m_tx.commit()) {
            m_error = m_tx.error();
            return false;
        }
        return true;
    }
    Query count(m_db, QStringLiteral("select count(*) from u_item where a_id=:a"));
    count.bind(":a", m_id);
    QVariant rows;
    if (count.scalar(&rows) != Query::Fetch::Row) {
        m_error = count.error();
        return false;
    }
    close();
    QList<Step> steps;
    if (rows.toLongLong() == 0) {
        steps = {{"delete from u_action where id=:a", {{":a", m_id}}}};
    } else if (rows.toLongLong() > kMaxJournaledRows) {
        // Too big to keep: the page wrote a verified backup first. What is
        // left to redo would no longer fit the rows.
        m_tooBig = true;
        steps = {{"delete from u_item where a_id=:a", {{":a", m_id}}},
                 {"delete from u_action where id=:a", {{":a", m_id}}},
                 {"delete from u_item where a_id in (select id from u_action where a_state='undone')"},
                 {"delete from u_action where a_state='undone'"}};
    } else {
        steps = {{"update u_action set a_rows=:n where id=:a", {{":n", rows}, {":a", m_id}}},
                 // A new change ends the redo stack.
                 {"delete from u_item where a_id in (select id from u_action where a_state='undone')"},
                 {"delete from u_action where a_state='undone'"}};
    }
    if (!runSteps(m_db, steps, &m_error))
        return false;
    if (!m_tx.commit()) {
        m_error = m_tx.error();
        return false;
    }
    return true;
}

bool runAction(Database& db, const QString& label, const char* kind, const std::function<bool(DbError*)>& write,
               DbError* error)
{
    JournalAction action(db, label, QString::fromLatin1(kind));
    if (!action.isActive())
        return fail(error, action.error());
    if (!write(error))
        return false;
    return action.finish() || fail(error, action.error());
}

QString latestUndoable(Database& db, DbError* error)
{
    return latestLabel(db, "select a_label from u_action where a_state='done' order by id desc limit 1", error);
}

QString latestRedoable(Database& db, DbError* error)
{
    return latestLabel(db, "select a_label from u_action where a_state='undone' order by id limit 1", error);
}

bool undoLatest(Database& db, DbError* error, QString* label) { return applyLatest(db, true, error, label); }

bool redoLatest(Database& db, DbError* error, QString* label) { return applyLatest(db, false, error, label); }

bool journalKeepDays(Database& db, int* days, DbError* error)
{
    Query q(db, QStringLiteral("select keepdays from u_setting where id=1"));
    QVariant v;
    switch (q.scalar(&v)) {
    case Query::Fetch::Row: *days = v.toInt(); return true;
    case Query::Fetch::NoRow: return fail(error, DbError(DbError::Kind::Other, QStringLiteral("没有撤销记录的设置")));
    case Query::Fetch::Failed: return fail(error, q.error());
    }
    return false;
}

bool setJournalKeepDays(Database& db, int days, DbError* error)
{
    return runSteps(db, {{"update u_setting set keepdays=:d where id=1", {{":d", days}}}}, error);
}

bool purgeJournal(Database& db, const QDateTime& now, DbError* error, int* removed)
{
    if (removed)
        *removed = 0;
    int days = 0;
    if (!journalKeepDays(db, &days, error))
        return false;
    // What the journal held of deleted rows is overwritten, not just unlinked.
    SecureDelete secure(db);
    if (!secure.ok(error))
        return false;
    Transaction tx(db);
    // Every action up to the newest old one goes, so the stack stays whole
    // even after the clock was set back.
    Query last(db, QStringLiteral("select coalesce(max(id), 0), "
                                  "(select count(*) from u_action where id <= (select max(id) from u_action where "
                                  "a_time < :c)) from u_action where a_time < :c"));
    last.bind(":c", now.addDays(-days).toString(QLatin1String(kTimeFormat)));
    bool ok = tx.isActive() || fail(error, tx.error());
    ok = ok && (last.fetch() == Query::Fetch::Row || fail(error, last.error()));
    const qint64 newest = ok ? last.integer(0) : 0;
    const int count = ok ? int(last.integer(1)) : 0;
    ok = ok
         && (newest == 0
             || runSteps(db,
                         {{"delete from u_item where a_id <= :a", {{":a", newest}}},
                          {"delete from u_action where id <= :a", {{":a", newest}}}},
                         error));
    ok = ok && (tx.commit() || fail(error, tx.error()));
    if (!ok)
        tx.rollback();
    if (ok && removed)
        *removed = count;
    return ok;
}
