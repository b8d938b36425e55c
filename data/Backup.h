#pragma once
// Backups of the household's encrypted file: verified copies, checks of a
// file before it may replace the household's data, the replacement itself,
// and the automatic backups written when the program ends.
//
// Every copy is checked the same way before it counts: opened with the
// program's key, the program's tables and views present, PRAGMA quick_check
// "ok". Failures come back as false with an error value (data/DbError.h):
// a statement's own, FileFault for what the file system refused, Locked for
// a file another program holds, Refused for a file that fails the checks;
// its message is what the boxes show. Nothing here shows a dialog.

#include "data/Database.h"

#include <QDateTime>
#include <QString>
#include <functional>

// How many automatic backups are kept.
inline constexpr int kAutoBackupsKept = 10;

// The file a backup to `chosen` writes: ".bak" is appended unless the name
// already ends in it (abc -> abc.bak, abc.bak -> abc.bak).
QString backupTargetName(const QString& chosen);

// Whether `path` can serve as the household's database: it opens with the
// program's key, holds every table and column of the delivered layout (what
// the pages select; tables the program adds itself may be missing) and
// passes PRAGMA quick_check. Reads the file only.
[[nodiscard]] bool checkDatabaseFile(const QString& path, DbError* error = nullptr);
// checkDatabaseFile, then what the program's start does to the file and
// reads first (the view upgrade, every view, the members and the settings
// row) inside a transaction that is rolled back: a file that passes starts.
// Changes nothing, but opens the file for writing: for copies the program made.
[[nodiscard]] bool checkCopy(const QString& path, DbError* error = nullptr);

// Writes a consistent copy of the open database to `dest` and checks it
// (checkCopy). The copy is made beside `dest` under another name and
// replaces `dest` only once it passed, so a failure leaves no partial file
// and an older `dest` as it was.
//
// `slow`, when given, runs the long part that needs no open connection (the
// check of the copy, on a connection of its own) and returns its result:
// the caller may run it on another thread and keep its window painting.
using SlowStep = std::function<bool(const std::function<bool()>& step)>;
[[nodiscard]] bool writeVerifiedBackup(Database& db, const QString& dest, DbError* error = nullptr,
                                       const SlowStep& slow = {});

// Replaces the open database's file by a copy of `backup`, in two steps so
// that a question can come between the check and the replacement.
// stageRestore copies `backup` beside the database file and checks the copy
// (checkCopy); `staged` gets its path. A failure leaves
// no copy; `refused` tells a file that is no usable backup from a copy that
// could not be made.
[[nodiscard]] bool stageRestore(Database& db, const QString& backup, QString* staged, DbError* error = nullptr,
                                bool* refused = nullptr, const SlowStep& slow = {});
// installRestore closes the connection, keeps the current file beside it as
// "<name>-YYYYMMDD-HHMMSS.<suffix>.bak" (`now`; its path goes to `keptPath`),
// renames the staged copy over the file in one step and opens the
// connection again on the new file. On failure the household's file is the
// one it was, the connection is open on it and the staged copy is gone.
[[nodiscard]] bool installRestore(Database& db, const QString& staged, const QDateTime& now,
                                  QString* keptPath = nullptr, DbError* error = nullptr);
// Drops a staged copy that is not wanted after all.
void discardRestore(const QString& staged);
// Both steps at once.
[[nodiscard]] bool restoreDatabase(Database& db, const QString& backup, const QDateTime& now,
                                   QString* keptPath = nullptr, DbError* error = nullptr);

// ---------------------------------------------------------------- automatic backups

// The folder of the automatic backups: "backups" beside the database file.
QString autoBackupFolder(const QString& databasePath);

// Writes a verified backup named "<name>-YYYYMMDD-HHMMSS.bak" (`now`) into
// the folder of automatic backups and keeps it and the kAutoBackupsKept - 1
// most recently written others (autoBackupFiles' order), whatever the clock
// said; removes the failure note. `written` gets the file's path.
[[nodiscard]] bool writeAutoBackup(Database& db, const QDateTime& now, QString* written = nullptr,
                                   DbError* error = nullptr);

// The setting lives in its own one-row table, sys_autobak (layout step 1,
// data/Schema.h). A file without it (its upgrade could not run) has the
// automatic backups on; writing the setting fails there.
[[nodiscard]] bool autoBackupEnabled(Database& db, bool* enabled, DbError* error = nullptr);
[[nodiscard]] bool setAutoBackupEnabled(Database& db, bool enabled, DbError* error = nullptr);

// A failed automatic backup is noted so that the next start can tell.
[[nodiscard]] bool recordAutoBackupFailure(Database& db, const QDateTime& when, const QString& message,
                                           DbError* error = nullptr);
// The noted failure, if any (`message` empty when none), and forgets it.
[[nodiscard]] bool takeAutoBackupFailure(Database& db, QDateTime* when, QString* message, DbError* error = nullptr);

// ---------------------------------------------------------------- the check after login

// What PRAGMA quick_check says of a file read on a connection of its own.
enum class QuickCheck {
    Sound,
    Damaged,  // anything but "ok", or a page that could not be read
    Busy,     // another connection held the file past the busy wait: no verdict
};
// Opens `path` read-only with the program's key and the given busy wait and
// runs PRAGMA quick_check (integrity_check takes seconds on a large file).
// `findings` gets the first lines of what was found.
[[nodiscard]] QuickCheck quickCheckFile(const QString& path, int busyTimeoutMs, QString* findings = nullptr);

// The program's own automatic backups of `databasePath`, most recently
// written first: by modification time, the name breaking a tie (never by
// the time in the name, which a wrong clock made).
QStringList autoBackupFiles(const QString& databasePath);
// The most recently written automatic backup that passes checkDatabaseFile;
// empty when none does.
QString newestSoundAutoBackup(const QString& databasePath);

// A failed automatic backup noted beside the file as well ("backups/LAST_FAILED"):
// the database may be the very thing that could not be written. A good
// automatic backup removes it.
bool writeBackupFailureNote(const QString& databasePath, const QDateTime& when, const QString& message);
// False when there is no note.
bool readBackupFailureNote(const QString& databasePath, QDateTime* when, QString* message);
void clearBackupFailureNote(const QString& databasePath);

// ---------------------------------------------------------------- copies before a deletion

// Clearing all records or deleting a member first writes a verified copy
// "<name>-YYYYMMDD-HHMMSS-<reason>.bak" into the automatic backups' folder
// (reason "清空前", "删除用户前"). The rotation of the automatic backups
// never removes these; the settings page lists and deletes them.
QString safetyBackupName(const QString& databasePath, const QDateTime& now, const QString& reason);
[[nodiscard]] bool writeSafetyBackup(Database& db, const QString& target, DbError* error = nullptr,
                                     const SlowStep& slow = {});
// Under the question of a deletion (or of what `verb` says): where its
// copy goes first.
QString safetyBackupNotice(const QString& target, const QString& verb = QStringLiteral("删除"));
// Most recently written first.
QStringList safetyBackupFiles(const QString& databasePath);

// Removes what a backup or restore cut short (a kill, a power cut) left
// behind: "*.bak.part" in the backups' folder and "<file>.restore" beside
// the file. Only for a start that no other copy of the program shares.
// Returns the removed paths.
QStringList removeLeftoverCopies(const QString& databasePath);
