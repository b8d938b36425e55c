#pragma once
// A fresh delivered database in a temporary folder, for tests that need the
// real encrypted file.

#include "data/Database.h"
#include "data/DbBuilder.h"
#include "tests/support/Failure.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TestDb {
public:
    // Builds fmy.dll in a new temporary folder (schema + seed, plus options).
    explicit TestDb(const BuildOptions& options = BuildOptions());
    ~TestDb();

    QString dir() const { return m_dir.path(); }
    QString path() const { return m_path; }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }

    // Opens the file on the process's shared connection, with the current
    // directory set to the folder, as the program does at start.
    bool openShared();

    // Statements on the shared connection. A statement that fails is a fault
    // of the test or of the schema: it fails the test and stops it (see
    // Failure.h; call these inside TEST_BEGIN/TEST_END).
    static void sql(const QString& statements, DRIVER_HERE);
    // First column of the first row. A statement without rows gives "" or 0,
    // as does a NULL value; count(*) is the way to ask whether a row exists.
    static QString scalarText(const QString& select, DRIVER_HERE);
    static qint64 scalarInt(const QString& select, DRIVER_HERE);
    // The number of rows of "table [where ...]".
    static qint64 count(const QString& tableAndCondition, DRIVER_HERE);
    // The first column of every row, as text (NULL as a null QString).
    static QStringList texts(const QString& select, DRIVER_HERE);
    // The groups where the kept monthly sums (h_yue) differ from the records
    // summed anew, as "month|category|member|account|amount|count" lines
    // marked "kept" or "records"; empty when they agree.
    static QStringList sumsMismatch(DRIVER_HERE);

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_oldCwd;
    bool m_ok = false;
    QString m_error;
};
