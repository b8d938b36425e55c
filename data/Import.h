#pragma once
// Statement imports: lines of a bank or wallet statement written as ordinary
// records, remembered per import (file, time, count; each record with its
// account, counterparty, category and FITID) so that an import can be undone
// and a later one can tell lines it has seen. The two tables of their own,
// s_import and s_import_line, come with layout step 2 (data/Schema.h); a
// file whose upgrade could not run reads as having no imports.

#include "data/Database.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QVector>
#include <functional>

struct ImportLine {
    QDate date;
    Money amount;           // > 0
    qint64 categoryId = 0;  // a sub-category; its class gives the record's class
    QString counterparty;   // 对方
    QString memo;           // 摘要
    QString fitid;          // empty when the statement has none
    QString note;           // 备注 of a wallet export
};

// The remark of an imported record: counterparty, memo and note, those that
// are not empty, cut at 250 characters (not UTF-16 units).
QString importRemark(const QString& counterparty, const QString& memo, const QString& note = QString());

// Writes the lines as records of the account and member, records the import
// and its lines, and recomputes the account totals: all in one transaction,
// all or nothing. `importId` gets the new import's id.
// `progress`, when given, is told the lines written every few hundred.
[[nodiscard]] bool ImportRecords(Database& db, const QString& fileName, const QDateTime& when, qint64 accountId,
                                 qint64 memberId, const QList<ImportLine>& lines, qint64* importId,
                                 DbError* error = nullptr, const std::function<void(int lines)>& progress = {});

// Deletes the import's records that still exist (also ones edited since),
// the import and its lines, and recomputes the account totals; one
// transaction. `deleted` gets the number of records deleted.
[[nodiscard]] bool UndoImport(Database& db, qint64 importId, int* deleted = nullptr, DbError* error = nullptr);

struct PastImport {
    qint64 id = 0;
    QString file;
    QDateTime time;
    int count = 0;
};
// Every import, newest first.
[[nodiscard]] bool readImports(Database& db, QList<PastImport>* imports, DbError* error = nullptr);
// How many records of the import still exist (what an undo would delete).
[[nodiscard]] bool liveImportRecords(Database& db, qint64 importId, int* count, DbError* error = nullptr);

// What earlier imports tell about new lines:
struct ImportHistory {
    QSet<QString> fitids;               // imported before into the account
    QHash<QString, qint64> categoryOf;  // counterparty -> the category chosen last time
};
[[nodiscard]] bool readImportHistory(Database& db, qint64 accountId, ImportHistory* history, DbError* error = nullptr);

// For each line (date, amount, class letter): whether the account has a
// stored record of that class and amount dated within a day of it.
struct StoredKey {
    QDate date;
    Money amount;
    QString cls;  // "S" or "Z"
};
[[nodiscard]] bool findStoredMatches(Database& db, qint64 accountId, const QList<StoredKey>& keys,
                                     QVector<bool>* matches, DbError* error = nullptr);

// The import tables exist in this file.
[[nodiscard]] bool importTablesExist(Database& db, bool* exist, DbError* error = nullptr);
