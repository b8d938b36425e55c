#include "tests/support/TestDb.h"

#include "data/Tx_Data.h"

#include <QDir>

TestDb::TestDb(const BuildOptions& options)
{
    m_path = QDir(m_dir.path()).filePath(QStringLiteral("fmy.dll"));
    m_ok = BuildDatabase(m_path, options, &m_error);
}

TestDb::~TestDb()
{
    Database::shared().close();
    if (!m_oldCwd.isEmpty())
        QDir::setCurrent(m_oldCwd);
}

bool TestDb::openShared()
{
    if (m_oldCwd.isEmpty())
        m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    return Database::shared().open(m_path, QByteArray(kDatabasePassword));
}

void TestDb::sql(const QString& statements, const SourceLocation& where)
{
    Driver::detail::requireBody(where);
    if (!Database::shared().exec(statements))
        Driver::fail(QStringLiteral("SQL failed: %1 — %2").arg(statements, Database::shared().lastError()), where);
}

namespace {
// Steps to the first row; false for no row. A failure stops the test.
bool firstRow(Query& q, const SourceLocation& where)
{
    Driver::detail::requireBody(where);
    const Query::Fetch f = q.fetch();
    if (f == Query::Fetch::Failed)
        Driver::fail(QStringLiteral("SQL failed: %1 — %2").arg(q.sql(), q.error()), where);
    return f == Query::Fetch::Row;
}
}

QString TestDb::scalarText(const QString& select, const SourceLocation& where)
{
    Query q(select);
    return firstRow(q, where) ? q.text(0) : QString();
}

qint64 TestDb::scalarInt(const QString& select, const SourceLocation& where)
{
    Query q(select);
    return firstRow(q, where) ? q.integer(0) : 0;
}

qint64 TestDb::count(const QString& tableAndCondition, const SourceLocation& where)
{
    return scalarInt(QStringLiteral("select count(*) from ") + tableAndCondition, where);
}

QStringList TestDb::texts(const QString& select, const SourceLocation& where)
{
    Driver::detail::requireBody(where);
    Query q(select);
    QStringList out;
    while (q.next())
        out << q.text(0);
    if (!q.ok())
        Driver::fail(QStringLiteral("SQL failed: %1 — %2").arg(q.sql(), q.error()), where);
    return out;
}

QStringList TestDb::sumsMismatch(const SourceLocation& where)
{
    const QString kept = QStringLiteral(
        "select h_month||'|'||f_fenleiid||'|'||s_userid||'|'||s_zhanghuid||'|'||h_jine||'|'||h_count from h_yue");
    const QString records = QStringLiteral(
        "select substr(s_date,1,7)||'|'||f_fenleiid||'|'||s_userid||'|'||s_zhanghuid||'|'||sum(s_jine)||'|'||count(*)"
        " from s_shouru group by substr(s_date,1,7), f_fenleiid, s_userid, s_zhanghuid");
    QStringList out;
    for (const QString& line : texts(QStringLiteral("%1 except %2").arg(kept, records), where))
        out << QStringLiteral("kept ") + line;
    for (const QString& line : texts(QStringLiteral("%2 except %1").arg(kept, records), where))
        out << QStringLiteral("records ") + line;
    return out;
}
