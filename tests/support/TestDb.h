#pragma once
// A fresh delivered database in a temporary folder, for tests that need the
// real encrypted file.

#include "data/Database.h"
#include "data/DbBuilder.h"

#include <QString>
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
    // Runs SQL on the shared connection; fails the calling test on error.
    static void sql(const QString& statements);
    // First column of the first row, as text ("" for no row).
    static QString scalarText(const QString& select);
    static qint64 scalarInt(const QString& select);

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_oldCwd;
    bool m_ok = false;
    QString m_error;
};
