#pragma once
// The recycle bin: the deletes of the journal whose rows are still gone.
// An item is one delete action (a record, a transfer, a loan, a diary entry,
// an account, a category with what went with it, a member with their
// records). Restoring puts its rows back with their own ids, whatever
// happened since, as a new action that Ctrl+Z takes back; it is not a
// linear undo. Nothing marks an item as restored: an item is in the bin
// while its first deleted row is absent, so undoing a restore puts it back.

#include "data/Database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct BinItem {
    qint64 action = 0;
    QString time;     // "yyyy-MM-dd HH:mm:ss"
    QString label;    // what the user did ("删除支出 早餐 12.50")
    QString content;  // what went ("收支记录 57 笔、类别 4 个")
};

// Newest first.
[[nodiscard]] bool binItems(Database& db, QList<BinItem>* items, DbError* error = nullptr);

// A row the restored rows point at that is gone for good: the user picks
// another of its table.
struct MissingOwner {
    QString table;  // s_fenlei, z_zhanghu or s_user
    qint64 id = 0;
    QString recordClass;  // for a category of records: 'S' or 'Z'; else empty
    bool operator==(const MissingOwner&) const = default;
};

struct RestorePlan {
    QList<qint64> actions;     // what goes back, owners before what needs them
    QStringList alsoRestored;  // labels of the items taken along with the chosen one
    QList<MissingOwner> missing;
    QString label;  // the chosen item's
};

// What restoring `action` takes: its own rows and those of the bin items
// holding a category, account or member they point at.
[[nodiscard]] bool planRestore(Database& db, qint64 action, RestorePlan* plan, DbError* error = nullptr);

// The key of a replacement for a missing owner: "table:id".
QString ownerKey(const QString& table, qint64 id);

// Puts the plan's rows back in one action ("还原 <label>"), each missing
// owner replaced by the row `replacements` names, and rebuilds the totals.
[[nodiscard]] bool restoreFromBin(Database& db, const RestorePlan& plan, const QHash<QString, qint64>& replacements,
                                  DbError* error = nullptr);

// Removes an item for good: its row images are overwritten in the file and
// its action stays as purged, so an undo through it is refused by name.
[[nodiscard]] bool removeFromBin(Database& db, qint64 action, DbError* error = nullptr);
[[nodiscard]] bool emptyBin(Database& db, DbError* error = nullptr, int* removed = nullptr);
