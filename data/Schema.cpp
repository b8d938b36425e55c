#include "data/Schema.h"

#include "data/Sums.h"

#include <QRegularExpression>

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// "ALTER TABLE t ADD COLUMN c ..." on a table that has c already: nothing
// to do. SQLite has no IF NOT EXISTS for a column.
bool columnThere(Database& db, const QString& sql, bool* there, QString* error)
{
    static const QRegularExpression addColumn(QStringLiteral("^ALTER TABLE (\\w+) ADD COLUMN (\\w+)"),
                                              QRegularExpression::CaseInsensitiveOption);
    *there = false;
    const auto m = addColumn.match(sql);
    if (!m.hasMatch())
        return true;
    // The names come from the program's own steps.
    Query info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(m.captured(1)));
    while (info.next())
        if (info.text(1).compare(m.captured(2), Qt::CaseInsensitive) == 0)
            *there = true;
    return info.ok() || fail(error, info.error());
}

}  // namespace

const QList<SchemaStep>& schemaSteps()
{
    // IF NOT EXISTS / OR IGNORE: files from before the numbers may have made
    // these tables themselves (the first change of the setting, the first import).
    static const QList<SchemaStep> steps{
        {1,
         "the automatic backups' setting and last failure",
         {"CREATE TABLE IF NOT EXISTS sys_autobak ("
          "id INTEGER PRIMARY KEY CHECK (id = 1), "
          "isauto INTEGER NOT NULL DEFAULT 1 CHECK (isauto IN (0, 1)), "
          "failtime TEXT, failtext TEXT)",
          "INSERT OR IGNORE INTO sys_autobak (id, isauto) VALUES (1, 1)"}},
        {2,
         "statement imports and their lines",
         {"CREATE TABLE IF NOT EXISTS s_import ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " i_file TEXT NOT NULL,"
          " i_time TEXT NOT NULL,"
          " i_count INTEGER NOT NULL)",
          "CREATE TABLE IF NOT EXISTS s_import_line ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " i_id INTEGER NOT NULL,"
          " s_id INTEGER NOT NULL,"
          " z_id INTEGER NOT NULL,"
          " l_duifang TEXT,"
          " f_id INTEGER NOT NULL,"
          " l_fitid TEXT)",
          "CREATE INDEX IF NOT EXISTS idx_import_line_import ON s_import_line (i_id)",
          "CREATE INDEX IF NOT EXISTS idx_import_line_account ON s_import_line (z_id, l_fitid)"}},
        {3,
         "the journal of changes for undo and redo, and how long it keeps them",
         {"CREATE TABLE IF NOT EXISTS u_action ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " a_time TEXT NOT NULL,"
          " a_label TEXT NOT NULL,"
          " a_kind TEXT NOT NULL,"
          " a_state TEXT NOT NULL DEFAULT 'done' CHECK (a_state IN ('done', 'undone', 'purged')),"
          " a_rows INTEGER NOT NULL DEFAULT 0)",
          "CREATE TABLE IF NOT EXISTS u_item ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " a_id INTEGER NOT NULL,"
          " t_name TEXT NOT NULL,"
          " r_id INTEGER NOT NULL,"
          " i_op TEXT NOT NULL CHECK (i_op IN ('I', 'U', 'D')),"
          " i_old TEXT,"
          " i_new TEXT)",
          "CREATE INDEX IF NOT EXISTS idx_item_action ON u_item (a_id)",
          "CREATE TABLE IF NOT EXISTS u_setting ("
          " id INTEGER PRIMARY KEY CHECK (id = 1),"
          " keepdays INTEGER NOT NULL DEFAULT 90 CHECK (keepdays BETWEEN 7 AND 365))",
          "INSERT OR IGNORE INTO u_setting (id, keepdays) VALUES (1, 90)"}},
        {4,
         "recurring entries: the plans and each occurrence handled",
         {"CREATE TABLE IF NOT EXISTS p_plan ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " p_name TEXT NOT NULL CHECK (trim(p_name) <> '' AND length(p_name) <= 50),"
          " p_type TEXT NOT NULL CHECK (p_type IN ('Z', 'S', 'T')),"
          " f_id INTEGER,"
          " z_id INTEGER,"
          " z_id2 INTEGER,"
          " u_id INTEGER,"
          " p_money MONEY CHECK (p_money IS NULL OR typeof(p_money) = 'integer'),"
          " p_varies INTEGER NOT NULL DEFAULT 0 CHECK (p_varies IN (0, 1)),"
          " p_rule TEXT NOT NULL,"
          " p_start DATE NOT NULL CHECK (p_start GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),"
          " p_end DATE CHECK (p_end IS NULL OR p_end GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),"
          " p_count INTEGER CHECK (p_count IS NULL OR p_count > 0),"
          " p_mode TEXT NOT NULL DEFAULT 'confirm' CHECK (p_mode IN ('confirm', 'auto', 'remind')),"
          " p_ahead INTEGER NOT NULL DEFAULT 0 CHECK (p_ahead BETWEEN 0 AND 365),"
          " p_other TEXT CHECK (p_other IS NULL OR length(p_other) <= 250))",
          // One row per occurrence handled, written with its record or
          // transfer: the key makes a second post of it fail.
          "CREATE TABLE IF NOT EXISTS p_done ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " p_id INTEGER NOT NULL,"
          " o_date DATE NOT NULL,"
          " d_state TEXT NOT NULL CHECK (d_state IN ('posted', 'skipped')),"
          " s_id INTEGER,"
          " zh_id INTEGER,"
          " UNIQUE (p_id, o_date))",
          "CREATE INDEX IF NOT EXISTS idx_done_record ON p_done (s_id)"}},
        {5,
         "the dated history of loan repayments",
         {"CREATE TABLE IF NOT EXISTS j_huankuan ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " j_id INTEGER NOT NULL,"
          " h_date DATE CHECK (h_date IS NULL OR h_date GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9]'),"
          " h_money MONEY NOT NULL CHECK (typeof(h_money) = 'integer'),"
          " h_legacy INTEGER NOT NULL DEFAULT 0 CHECK (h_legacy IN (0, 1)))",
          "CREATE INDEX IF NOT EXISTS idx_huankuan_loan ON j_huankuan (j_id)",
          // What was repaid before the history: as of the loan's date.
          "INSERT INTO j_huankuan (j_id, h_date, h_money, h_legacy) SELECT id, j_date, j_ruMoney, 1 FROM s_jie "
          "WHERE j_ruMoney <> 0 AND id NOT IN (SELECT j_id FROM j_huankuan)"}},
        {6,
         "a yearly budget and carrying a month's rest over, and the budget notices already shown",
         {"ALTER TABLE s_yushuan ADD COLUMN y_year MONEY CHECK (y_year IS NULL OR typeof(y_year) = 'integer')",
          "ALTER TABLE s_yushuan ADD COLUMN y_jiezhuan INTEGER NOT NULL DEFAULT 0 CHECK (y_jiezhuan IN (0, 1))",
          // One row per category, period ("YYYY-MM" or "YYYY") and level.
          "CREATE TABLE IF NOT EXISTS y_tixing ("
          " id INTEGER PRIMARY KEY AUTOINCREMENT,"
          " f_id INTEGER NOT NULL,"
          " y_period TEXT NOT NULL CHECK (y_period GLOB '[0-9][0-9][0-9][0-9]'"
          " OR y_period GLOB '[0-9][0-9][0-9][0-9]-[0-1][0-9]'),"
          " y_level INTEGER NOT NULL CHECK (y_level IN (80, 100)),"
          " UNIQUE (f_id, y_period, y_level))"}},
        {7, "the records summed per month, category, member and account, kept as they change", sumsLayoutStatements()},
    };
    return steps;
}

bool readSchemaVersion(Database& db, int* version, QString* error)
{
    Query q(db, QStringLiteral("PRAGMA user_version"));
    if (q.fetch() != Query::Fetch::Row)
        return fail(error, q.error());
    *version = int(q.integer(0));
    return true;
}

bool tablesExist(Database& db, const QStringList& names, bool* exist, DbError* error)
{
    *exist = false;
    Query q(db, QStringLiteral("select count(*) from sqlite_master where type='table' and name=:n"));
    for (const QString& name : names) {
        QVariant n;
        q.reset();
        q.bind(":n", name);
        if (q.scalar(&n) != Query::Fetch::Row) {
            if (error)
                *error = q.error();
            return false;
        }
        if (n.toInt() == 0)
            return true;
    }
    *exist = true;
    return true;
}

SchemaUpgrade upgradeSchema(Database& db, QString* error)
{
    int version = 0;
    if (!readSchemaVersion(db, &version, error))
        return SchemaUpgrade::Failed;
    if (version > kSchemaVersion)
        return SchemaUpgrade::Newer;
    if (version == kSchemaVersion)
        return SchemaUpgrade::Current;
    for (const SchemaStep& step : schemaSteps()) {
        if (step.version <= version)
            continue;
        Transaction tx(db);
        if (!tx.isActive()) {
            fail(error, tx.error());
            return SchemaUpgrade::Failed;
        }
        for (const char* sql : step.statements) {
            bool there = false;
            if (!columnThere(db, QString::fromUtf8(sql), &there, error))
                return SchemaUpgrade::Failed;
            if (!there && !db.exec(QString::fromUtf8(sql))) {
                fail(error, db.lastError());
                return SchemaUpgrade::Failed;
            }
        }
        // The number is the step's own: a pragma cannot take a parameter.
        if (!db.exec(QStringLiteral("PRAGMA user_version=%1").arg(step.version)) || !tx.commit()) {
            fail(error, db.lastError().isError() ? db.lastError() : tx.error());
            return SchemaUpgrade::Failed;
        }
    }
    return SchemaUpgrade::Upgraded;
}
