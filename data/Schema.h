#pragma once
// The layout of the household's file, numbered. A file records in
// PRAGMA user_version which of the upgrade steps below it has had: 0 is the
// delivered layout of data/schema.sql (and every file from before the
// numbers), each step adds what a later version of the program needs. The
// steps are the only way a table or column is added to a file: they run
// when the file is opened and on a copy before it is restored, each in a
// transaction of its own, and mkdb writes a file with all of them.

#include "data/Database.h"

#include <QStringList>

#include <QList>

// The layout this program writes and understands.
inline constexpr int kSchemaVersion = 7;

// What the start says of a file whose layout is newer than kSchemaVersion.
inline constexpr char kNewerFileMessage[] = "该数据文件由更新版本的软件创建，请升级后再打开";

struct SchemaStep {
    int version;  // the file's user_version once the step ran
    const char* purpose;
    // Written so that a file that has some of it already passes; an
    // "ALTER TABLE t ADD COLUMN c" is skipped where t has c.
    QList<const char*> statements;
};
// Ordered by version, 1 .. kSchemaVersion.
const QList<SchemaStep>& schemaSteps();

[[nodiscard]] bool readSchemaVersion(Database& db, int* version, QString* error = nullptr);

enum class SchemaUpgrade {
    Current,   // nothing to do
    Upgraded,  // the missing steps ran
    Newer,     // written by a newer program: left alone
    Failed,    // a step failed: the file keeps the steps before it
};
// Runs the steps the file has not had yet, in order, each with its new
// user_version in one transaction (savepoints: inside a caller's
// transaction they roll back with it).
// Whether every table named exists: a table a later step brings is missing
// from a file whose step could not run.
[[nodiscard]] bool tablesExist(Database& db, const QStringList& names, bool* exist, DbError* error = nullptr);

[[nodiscard]] SchemaUpgrade upgradeSchema(Database& db, QString* error = nullptr);
