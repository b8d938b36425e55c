#pragma once
// The journal behind undo and redo. Every change a user makes to the
// household's own data is written, row by row, into u_action / u_item
// (layout step 3) by TEMP triggers on the journaled tables, but only while
// a JournalAction is open on the connection; everything else (the derived
// account totals, scratch tables, settings) is not recorded. Row images are
// SQL literal lists made by SQLite's quote(), so undoing or redoing an
// action runs statements built from text the engine escaped itself.

#include "data/Database.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// What kind of command an action was: the recycle bin lists the deletes.
namespace ActionKind {
inline constexpr char Save[] = "save";
inline constexpr char Delete[] = "delete";
inline constexpr char Import[] = "import";
inline constexpr char ImportUndo[] = "import-undo";
inline constexpr char Restore[] = "restore";
}

// Tables whose rows the journal records.
const QStringList& journaledTables();
// Every other table of the file: derived, scratch, settings or the journal
// itself. A table in neither list is a mistake (tst_journal checks the file).
const QStringList& unjournaledTables();

// Creates the TEMP triggers and temp.u_current on this connection. Made by
// the first JournalAction on a connection (the start does not wait for
// them; the main window makes them once the login is passed); idempotent. A file without the
// journal's tables (its upgrade failed) fails here and records nothing.
[[nodiscard]] bool installJournal(Database& db, DbError* error = nullptr);
// installJournal unless this connection has the triggers already.
[[nodiscard]] bool ensureJournal(Database& db, DbError* error = nullptr);

// One user action: open it inside (or around) the writer's Transaction,
// write, then finish(). Its rows are recorded under one u_action row with
// the label a user is asked about ("是否撤销：<label>？"). An action that
// changed no row leaves nothing behind; one that did drops the redo stack.
// An action opened while another is open on the connection joins that one.
// Not finished (an early return, a failed write), it records nothing: its
// own savepoint rolls back.
class JournalAction {
public:
    JournalAction(Database& db, const QString& label, const QString& kind);
    ~JournalAction();
    JournalAction(const JournalAction&) = delete;
    JournalAction& operator=(const JournalAction&) = delete;

    bool isActive() const { return m_active; }
    const DbError& error() const { return m_error; }
    // The u_action id; 0 for a joined or failed action.
    qint64 id() const { return m_id; }
    // Stores the row count (or removes an empty action) and ends the action.
    // Over kMaxJournaledRows rows the action is not kept (tooBig()).
    [[nodiscard]] bool finish();
    bool tooBig() const { return m_tooBig; }

private:
    void close();

    Database& m_db;
    Transaction m_tx;
    qint64 m_id = 0;
    bool m_active = false;
    bool m_joined = false;
    bool m_tooBig = false;
    DbError m_error;
};

// Runs `write` as one action; true when the write and its record went
// through. `write` fails by returning false with `error` set.
[[nodiscard]] bool runAction(Database& db, const QString& label, const char* kind,
                             const std::function<bool(DbError*)>& write, DbError* error = nullptr);

// An action over this many rows is not journaled: a verified backup is
// written instead, and the user is told so before it runs.
inline constexpr int kMaxJournaledRows = 20000;

// The label of the action undoLatest / redoLatest would apply; empty when
// there is none (or on failure, with `error` set).
QString latestUndoable(Database& db, DbError* error = nullptr);
QString latestRedoable(Database& db, DbError* error = nullptr);

// Applies the inverse of the newest done action (undo) or the forward images
// of the oldest undone one (redo), then rebuilds the account totals, all in
// one transaction and unrecorded. A row changed since outside the journal is
// a conflict (Vanished): nothing is applied. `label` gets the action's label,
// empty when there was nothing to do (which is no failure).
[[nodiscard]] bool undoLatest(Database& db, DbError* error = nullptr, QString* label = nullptr);
[[nodiscard]] bool redoLatest(Database& db, DbError* error = nullptr, QString* label = nullptr);

// How many days actions are kept (u_setting.keepdays, 7..365).
[[nodiscard]] bool journalKeepDays(Database& db, int* days, DbError* error = nullptr);
[[nodiscard]] bool setJournalKeepDays(Database& db, int days, DbError* error = nullptr);

// Deletes the actions older than the kept days, and every action before the
// newest of them, with their items; secure_delete overwrites what they held.
// `removed` gets the number of actions deleted.
[[nodiscard]] bool purgeJournal(Database& db, const QDateTime& now, DbError* error = nullptr, int* removed = nullptr);
