#include "tests/support/TestDb.h"

#include "data/Tx_Data.h"

#include <QDir>
#include <QTest>

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

void TestDb::sql(const QString& statements)
{
    if (!Database::shared().exec(statements))
        QTest::qFail(qPrintable(QStringLiteral("SQL failed: %1 — %2").arg(statements, Database::shared().lastError())),
                     __FILE__, __LINE__);
}

QString TestDb::scalarText(const QString& select)
{
    Query q(select);
    return q.next() ? q.text(0) : QString();
}

qint64 TestDb::scalarInt(const QString& select)
{
    Query q(select);
    return q.next() ? q.integer(0) : 0;
}
