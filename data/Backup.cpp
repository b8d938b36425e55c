#include "data/Backup.h"

#include "data/DbBuilder.h"
#include "data/Files.h"
#include "data/Schema.h"
#include "data/Tx_Data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <filesystem>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

bool fail(DbError* error, const DbError& why)
{
    if (error)
        *error = why;
    return false;
}

bool fail(DbError* error, DbError::Kind kind, const QString& message) { return fail(error, DbError(kind, message)); }

QByteArray key() { return QByteArray(kDatabasePassword); }

// stem + suffix, or with "-2", "-3" … before the suffix when a file (or a
// journal of one) has that name already.
QString freeName(const QString& stem, const QString& suffix)
{
    QString name = stem + suffix;
    for (int i = 2; QFileInfo::exists(name) || QFileInfo::exists(name + QStringLiteral("-journal")); ++i)
        name = QStringLiteral("%1-%2%3").arg(stem).arg(i).arg(suffix);
    return name;
}

// The open database's file as it lies on disk, copied while a read
// transaction keeps every writer out. Closing a second descriptor of a file
// drops all of the process's POSIX locks on it (SQLite's included), so the
// file is closed only after the transaction has ended and SQLite holds none.
bool copyUnderReadLock(Database& db, const QString& to, DbError* error)
{
    QFile source(db.filePath());  // destroyed last
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    Query lock(db, QStringLiteral("select count(*) from sqlite_master"));
    if (lock.fetch() != Query::Fetch::Row)
        return fail(error, lock.locked() ? DbError(DbError::Kind::Locked,
                                                   QStringLiteral("文件正被其他程序使用\n") + lock.error().message(),
                                                   lock.error().code())
                                         : lock.error());
    lock.reset();
    if (!source.open(QIODevice::ReadOnly))
        return fail(
            error, DbError::Kind::FileFault,
            QStringLiteral("无法读取“%1”：%2").arg(QDir::toNativeSeparators(source.fileName()), source.errorString()));
    if (QString why; !copyFileSynced(source.fileName(), to, &why, source.handle()))
        return fail(error, DbError::Kind::FileFault, why);
    tx.rollback();  // nothing was written; ends the read
    return true;
}

// Why the file on disk may not hold all of the database, or empty: a
// transaction of the connection is open, or the log of WAL mode holds part.
DbError notWhole(Database& db)
{
    if (db.inTransaction())
        return DbError(DbError::Kind::Other, QStringLiteral("数据库正在写入，请稍后再试"));
    Query mode(db, QStringLiteral("PRAGMA journal_mode"));
    if (!mode.next())
        return mode.error();
    if (mode.text(0).compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0)
        return DbError(DbError::Kind::Other, QStringLiteral("数据文件处于 WAL 日志模式，不能按文件复制"));
    return DbError();
}

// "<base>-YYYYMMDD-HHMMSS": the time stamp of kept and automatic copies.
QString stamped(const QString& base, const QDateTime& now)
{
    return base + u'-' + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

}  // namespace

QString backupTargetName(const QString& chosen)
{
    // Any letter case counts as the suffix: "abc.BAK" stays as it is.
    return withSuffix(chosen, QStringLiteral(".bak"));
}

namespace {

struct TableColumns {
    QString table;
    QStringList columns;
    bool numbered = false;        // added by a numbered step: a file of an earlier layout lacks it
    QStringList numberedColumns;  // the same for columns a step added to a delivered table
};

// Every table of the current layout with its columns: the delivered schema
// the program carries and every numbered step, built in memory once.
const QList<TableColumns>& layoutColumns()
{
    static const QList<TableColumns> columns = [] {
        QList<TableColumns> out;
        Database scratch;
        if (!scratch.openInMemory() || !scratch.exec(SchemaSql()))
            return out;
        auto columnsOf = [&](const QString& table) {
            QStringList names;
            Query info(scratch, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
            while (info.next())
                names << info.text(1).toLower();
            return names;
        };
        auto tableNames = [&] {
            QStringList names;
            Query tables(
                scratch,
                QStringLiteral(
                    "select name from sqlite_master where type='table' and name not like 'sqlite%' order by name"));
            while (tables.next())
                names << tables.text(0).toLower();
            return names;
        };
        const QStringList delivered = tableNames();
        QHash<QString, QStringList> deliveredColumns;
        for (const QString& table : delivered)
            deliveredColumns[table] = columnsOf(table);
        if (upgradeSchema(scratch) != SchemaUpgrade::Upgraded)
            return out;
        for (const QString& table : tableNames()) {
            TableColumns t{table, columnsOf(table), !delivered.contains(table), {}};
            if (!t.numbered)
                for (const QString& column : t.columns)
                    if (!deliveredColumns[table].contains(column))
                        t.numberedColumns << column;
            out << t;
        }
        return out;
    }();
    return columns;
}

// Tables and columns of the current layout that `file` lacks, as
// "table.column" (a whole table as its name); with `allSteps` false a table
// of a numbered step may be missing (the start adds it).
bool missingColumns(Database& file, bool allSteps, QStringList* missing, QString* error)
{
    const auto& wanted = layoutColumns();
    if (wanted.isEmpty())
        return fail(error, QStringLiteral("程序缺少数据库结构说明"));
    for (const TableColumns& t : wanted) {
        QStringList have;
        // The name comes from the program's own schema, never from the file.
        Query info(file, QStringLiteral("PRAGMA table_info(\"%1\")").arg(t.table));
        while (info.next())
            have << info.text(1).toLower();
        if (!info.ok())
            return fail(error, info.error());
        if (have.isEmpty()) {
            if (allSteps || !t.numbered)
                *missing << t.table;
            continue;
        }
        for (const QString& column : t.columns)
            if (!have.contains(column) && (allSteps || !t.numberedColumns.contains(column)))
                *missing << t.table + u'.' + column;
    }
    return true;
}

// Every view reads: a view whose tables lost a column fails here.
bool viewsRead(Database& file, QString* error)
{
    QStringList views;
    Query names(file, QStringLiteral("select name from sqlite_master where type='view' order by name"));
    while (names.next())
        views << names.text(0);
    if (!names.ok())
        return fail(error, names.error());
    for (const QString& view : views) {
        Query probe(
            file,
            QStringLiteral("select * from \"%1\" limit 0").arg(QString(view).replace(u'"', QStringLiteral("\"\""))));
        if (!probe.isPrepared() || !probe.exec())
            return fail(error, QStringLiteral("视图 %1 无法读取，它用到的表或字段不存在").arg(view));
    }
    return true;
}

const QString kNotOurs = QStringLiteral("该文件不是本软件的数据库，或已损坏（无法用本软件的密码打开）");

// The layout and the pages of an open file.
bool checkOpenFile(Database& file, DbError* error)
{
    int version = 0;
    if (!readSchemaVersion(file, &version))
        return fail(error, DbError::Kind::Refused, QStringLiteral("无法读取该文件的表结构，文件可能已损坏"));
    if (version > kSchemaVersion)
        return fail(error, DbError::Kind::Refused, QString::fromUtf8(kNewerFileMessage));
    QStringList missing;
    QString why;
    if (!missingColumns(file, false, &missing, &why))
        return fail(error, DbError::Kind::Refused, QStringLiteral("无法读取该文件的表结构，文件可能已损坏"));
    if (!missing.isEmpty())
        return fail(error, DbError::Kind::Refused,
                    QStringLiteral("该文件缺少本软件的表或字段：%1%2")
                        .arg(missing.mid(0, 5).join(QStringLiteral(", ")),
                             missing.size() > 5 ? QStringLiteral(" 等") : QString()));
    Query check(file, QStringLiteral("PRAGMA quick_check"));
    QStringList findings;
    while (check.next())
        findings << check.text(0);
    if (!check.ok())
        return fail(error, DbError::Kind::Refused, QStringLiteral("文件检查时无法读取全部内容，文件可能已损坏"));
    if (findings != QStringList{QStringLiteral("ok")})
        return fail(error, DbError::Kind::Refused, QStringLiteral("文件检查发现损坏，该文件不能使用"));
    return true;
}

// What the program does to a file at start, then what it reads first; the
// rollback leaves the file as it was.
bool trialStart(Database& file, DbError* error)
{
    if (!file.exec(QStringLiteral("BEGIN")))
        return fail(error, file.lastError());
    QString why;
    bool ok = true;
    switch (upgradeSchema(file, &why)) {
    case SchemaUpgrade::Current:
    case SchemaUpgrade::Upgraded: break;
    case SchemaUpgrade::Newer:
        (void)file.exec(QStringLiteral("ROLLBACK"));
        return fail(error, DbError::Kind::Refused, QString::fromUtf8(kNewerFileMessage));
    case SchemaUpgrade::Failed:
        ok = false;
        why = QStringLiteral("无法升级到本软件的数据结构");
        break;
    }
    // The layout as the start leaves it: every table and column.
    QStringList missing;
    if (ok && !missingColumns(file, true, &missing, &why)) {
        ok = false;
        why = QStringLiteral("无法读取该文件的表结构，文件可能已损坏");
    } else if (ok && !missing.isEmpty()) {
        ok = false;
        why = QStringLiteral("升级后缺少表或字段：%1").arg(missing.mid(0, 5).join(QStringLiteral(", ")));
    }
    if (ok)
        Tx_Data::UpgradeViews(file);
    ok = ok && viewsRead(file, &why);
    // The login lists the members and the start reads the settings row.
    for (const char* sql : {"Select * from s_user", "Select * from sys_sys where id=1"}) {
        if (!ok)
            break;
        Query q(file, QString::fromLatin1(sql));
        if (q.fetch() != Query::Fetch::Row) {
            ok = false;
            why = QString::fromLatin1(sql).contains(u"s_user") ? QStringLiteral("没有可以登录的用户")
                                                               : QStringLiteral("没有系统设置");
        }
    }
    (void)file.exec(QStringLiteral("ROLLBACK"));
    if (!ok)
        return fail(error, DbError::Kind::Refused, QStringLiteral("该文件打开后无法正常使用：%1").arg(why));
    return true;
}

// A file that would not open: another program's lock, or not ours.
DbError notOpened(const Database& file)
{
    return DbError(file.locked() ? DbError::Kind::Locked : DbError::Kind::Refused, kNotOurs, file.lastError().code());
}

}  // namespace

bool checkDatabaseFile(const QString& path, DbError* error)
{
    Database file;
    if (!file.openReadOnly(path, key()))
        return fail(error, notOpened(file));
    return checkOpenFile(file, error);
}

bool checkCopy(const QString& path, DbError* error)
{
    Database file;
    if (!file.open(path, key()))
        return fail(error, notOpened(file));
    return checkOpenFile(file, error) && trialStart(file, error);
}

bool writeVerifiedBackup(Database& db, const QString& dest, DbError* error, const SlowStep& slow)
{
    const QString target = QFileInfo(dest).absoluteFilePath();
    // Renaming over the open file would leave the connection on a deleted one.
    if (QFileInfo(target) == QFileInfo(db.filePath()))
        return fail(error, DbError::Kind::Other, QStringLiteral("不能用备份覆盖正在使用的数据文件本身"));
    if (!QFileInfo(target).absoluteDir().exists())
        return fail(
            error, DbError::Kind::FileFault,
            QStringLiteral("文件夹不存在\n“%1”").arg(QDir::toNativeSeparators(QFileInfo(target).absolutePath())));
    if (const DbError why = notWhole(db); why.isError())
        return fail(error, why);
    const QString part = freeName(target, QStringLiteral(".part"));
    if (!copyUnderReadLock(db, part, error))
        return false;
    DbError why;
    const auto check = [&] { return checkCopy(part, &why); };
    if (!(slow ? slow(check) : check())) {
        QFile::remove(part);
        return fail(error,
                    DbError(why.kind(), QStringLiteral("备份副本未通过检查：%1").arg(why.message()), why.code()));
    }
    if (QString why; !renameOver(part, target, &why)) {
        QFile::remove(part);
        return fail(error, DbError::Kind::FileFault, why);
    }
    return true;
}

bool stageRestore(Database& db, const QString& backup, QString* staged, DbError* error, bool* refused,
                  const SlowStep& slow)
{
    if (refused)
        *refused = false;
    if (!db.isOpen())
        return fail(error, DbError::Kind::Other, QStringLiteral("数据库没有打开"));
    const QFileInfo current(db.filePath());
    // The copy that will become the household's file is the one checked.
    const QString part = freeName(current.absoluteFilePath(), QStringLiteral(".restore"));
    // The copy and its check need no connection of the household's.
    QString copyFailure;
    bool copied = false;
    const auto step = [&] {
        copied = copyFileSynced(backup, part, &copyFailure);
        return copied && checkCopy(part, error);
    };
    if (!(slow ? slow(step) : step())) {
        if (!copied)
            return fail(error, DbError::Kind::FileFault, copyFailure);
        QFile::remove(part);
        if (refused)
            *refused = true;
        return false;
    }
    *staged = part;
    return true;
}

void discardRestore(const QString& staged)
{
    if (!staged.isEmpty())
        QFile::remove(staged);
}

bool installRestore(Database& db, const QString& staged, const QDateTime& now, QString* keptPath, DbError* error)
{
    if (!db.isOpen()) {
        discardRestore(staged);
        return fail(error, DbError::Kind::Other, QStringLiteral("数据库没有打开"));
    }
    const QFileInfo current(db.filePath());
    const QString path = current.absoluteFilePath();
    // Nothing may write while the file is copied and replaced.
    db.close();
    // The failure stays the one that stopped the restore; a failed reopen is added to its words.
    auto reopen = [&](const DbError& stopped) {
        discardRestore(staged);
        if (db.open(path, key()))
            return fail(error, stopped);
        return fail(
            error, DbError(stopped.kind(),
                           stopped.message() + QStringLiteral("\n重新打开数据库失败：%1").arg(db.lastError().message()),
                           stopped.code()));
    };
    QString why;
    const QString kept = freeName(current.absolutePath() + u'/' + stamped(current.baseName(), now),
                                  u'.' + current.completeSuffix() + QStringLiteral(".bak"));
    if (!copyFileSynced(path, kept, &why))
        return reopen(DbError(DbError::Kind::FileFault, QStringLiteral("无法保留当前的数据文件：%1").arg(why)));
    if (!renameOver(staged, path, &why)) {
        QFile::remove(kept);
        return reopen(DbError(DbError::Kind::FileFault, why));
    }
    if (!db.open(path, key())) {
        // Cannot happen to a checked copy; should it, the old file goes back.
        const DbError openError = db.lastError();
        const QString back = freeName(path, QStringLiteral(".restore"));
        if (copyFileSynced(kept, back, &why) && renameOver(back, path, &why))
            return reopen(
                DbError(openError.kind(),
                        QStringLiteral("还原后的文件无法打开（%1），已恢复原来的数据文件").arg(openError.message()),
                        openError.code()));
        QFile::remove(back);
        return reopen(DbError(openError.kind(),
                              QStringLiteral("还原后的文件无法打开（%1）；原来的数据文件保存在“%2”")
                                  .arg(openError.message(), QDir::toNativeSeparators(kept)),
                              openError.code()));
    }
    if (keptPath)
        *keptPath = kept;
    return true;
}

bool restoreDatabase(Database& db, const QString& backup, const QDateTime& now, QString* keptPath, DbError* error)
{
    QString staged;
    return stageRestore(db, backup, &staged, error) && installRestore(db, staged, now, keptPath, error);
}

// ---------------------------------------------------------------- automatic backups

QString autoBackupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backups"));
}

bool writeAutoBackup(Database& db, const QDateTime& now, QString* written, DbError* error)
{
    if (!db.isOpen())
        return fail(error, DbError::Kind::Other, QStringLiteral("数据库没有打开"));
    const QFileInfo current(db.filePath());
    const QString folder = autoBackupFolder(current.absoluteFilePath());
    if (!QDir().mkpath(folder))
        return fail(error, DbError::Kind::FileFault,
                    fileFailure(QFileInfo(folder).absoluteDir().exists() ? EACCES : ENOENT,
                                QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder))));
    const QString base = current.baseName();
    const QString file = QDir(folder).filePath(stamped(base, now) + QStringLiteral(".bak"));
    if (!writeVerifiedBackup(db, file, error))
        return false;
    if (written)
        *written = file;
    clearBackupFailureNote(current.absoluteFilePath());
    // Only the program's own copies count and go; other files stay. The
    // copy just written stays whatever its name or time says: a clock set
    // back must not make it the one that goes.
    QStringList copies = autoBackupFiles(current.absoluteFilePath());
    copies.removeAll(QFileInfo(file).absoluteFilePath());
    // A copy that cannot be removed only takes room; the new one is written.
    for (qsizetype i = kAutoBackupsKept - 1; i < copies.size(); ++i)
        QFile::remove(copies[i]);
    return true;
}

namespace {

// The program's backups in the folder whose names match `pattern` (a
// regular expression after the escaped base name), most recently written
// first: by the files' modification time, the name breaking a tie.
QStringList backupsMatching(const QString& databasePath, const QString& pattern)
{
    const QString folder = autoBackupFolder(databasePath);
    const QRegularExpression ours(
        QStringLiteral("^%1%2$").arg(QRegularExpression::escape(QFileInfo(databasePath).baseName()), pattern));
    QList<QPair<QDateTime, QString>> copies;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files))
        if (ours.match(info.fileName()).hasMatch())
            copies.append({info.lastModified(), info.absoluteFilePath()});
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second > b.second;
    });
    QStringList paths;
    for (const auto& c : copies)
        paths << c.second;
    return paths;
}

QString failureNotePath(const QString& databasePath)
{
    return QDir(autoBackupFolder(databasePath)).filePath(QStringLiteral("LAST_FAILED"));
}

}  // namespace

QStringList autoBackupFiles(const QString& databasePath)
{
    return backupsMatching(databasePath, QStringLiteral("-\\d{8}-\\d{6}\\.bak"));
}

// ---------------------------------------------------------------- the note beside the file

bool writeBackupFailureNote(const QString& databasePath, const QDateTime& when, const QString& message)
{
    const QString folder = autoBackupFolder(databasePath);
    if (!QDir().mkpath(folder))
        return false;
    const QByteArray text = (when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + u'\n' + message).toUtf8();
    QFile note(failureNotePath(databasePath));
    // Written in place, without a second file: the disk may be all but full.
    if (!note.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    return note.write(text) == text.size() && note.flush();
}

bool readBackupFailureNote(const QString& databasePath, QDateTime* when, QString* message)
{
    QFile note(failureNotePath(databasePath));
    if (!note.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(note.read(64 * 1024));
    const qsizetype lineEnd = text.indexOf(u'\n');
    *when = QDateTime::fromString(text.left(lineEnd), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    *message = lineEnd < 0 ? QString() : text.mid(lineEnd + 1);
    // A note cut short by the full disk still says that a backup failed.
    if (message->trimmed().isEmpty())
        *message = QStringLiteral("自动备份没有完成");
    return true;
}

void clearBackupFailureNote(const QString& databasePath) { QFile::remove(failureNotePath(databasePath)); }

// ---------------------------------------------------------------- copies before a deletion

QString safetyBackupName(const QString& databasePath, const QDateTime& now, const QString& reason)
{
    return QDir(autoBackupFolder(databasePath))
        .filePath(stamped(QFileInfo(databasePath).baseName(), now) + u'-' + reason + QStringLiteral(".bak"));
}

QString safetyBackupNotice(const QString& target, const QString& verb)
{
    return QStringLiteral("%1前会先把数据库备份到：\n%2").arg(verb, QDir::toNativeSeparators(target));
}

bool writeSafetyBackup(Database& db, const QString& target, DbError* error, const SlowStep& slow)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, DbError::Kind::FileFault,
                    fileFailure(QFileInfo(folder).absoluteDir().exists() ? EACCES : ENOENT,
                                QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder))));
    return writeVerifiedBackup(db, target, error, slow);
}

QStringList safetyBackupFiles(const QString& databasePath)
{
    return backupsMatching(databasePath, QStringLiteral("-\\d{8}-\\d{6}-[^./\\\\]+\\.bak"));
}

// ---------------------------------------------------------------- leftovers

QStringList removeLeftoverCopies(const QString& databasePath)
{
    const QFileInfo db(databasePath);
    QStringList removed;
    auto sweep = [&](const QString& folder, const QRegularExpression& name) {
        for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
            if (name.match(info.fileName()).hasMatch() && QFile::remove(info.absoluteFilePath()))
                removed << info.absoluteFilePath();
    };
    // What writeVerifiedBackup and stageRestore name their unfinished copies.
    sweep(autoBackupFolder(databasePath), QRegularExpression(QStringLiteral("\\.bak(-\\d+)?\\.part$")));
    sweep(db.absolutePath(),
          QRegularExpression(QStringLiteral("^%1(-\\d+)?\\.restore$").arg(QRegularExpression::escape(db.fileName()))));
    return removed;
}

QString newestSoundAutoBackup(const QString& databasePath)
{
    for (const QString& file : autoBackupFiles(databasePath))
        if (checkDatabaseFile(file))
            return file;
    return QString();
}

QuickCheck quickCheckFile(const QString& path, int busyTimeoutMs, QString* findings)
{
    auto damaged = [findings](const QString& what) {
        if (findings)
            *findings = what;
        return QuickCheck::Damaged;
    };
    Database file;
    if (!file.openReadOnly(path, key(), busyTimeoutMs))
        return file.locked() ? QuickCheck::Busy : damaged(file.lastError());
    // Every page is read once: a large cache would only add to the program's memory.
    (void)file.exec(QStringLiteral("PRAGMA cache_size=-2048"));
    Query check(file, QStringLiteral("PRAGMA quick_check"));
    QStringList lines;
    while (check.next())
        lines << check.text(0).split(u'\n', Qt::SkipEmptyParts);
    if (!check.ok())
        return check.locked() ? QuickCheck::Busy : damaged(check.error());
    if (lines == QStringList{QStringLiteral("ok")})
        return QuickCheck::Sound;
    lines.removeIf([](const QString& l) { return l.startsWith(QStringLiteral("***")); });
    return damaged(lines.mid(0, 3).join(u'\n'));
}

namespace {
// Whether the file has the settings table; false with `error` on a failed read.
bool hasAutoBackupTable(Database& db, bool* has, DbError* error)
{
    Query q(db, QStringLiteral("select count(*) from sqlite_master where type='table' and name='sys_autobak'"));
    if (q.fetch() != Query::Fetch::Row)
        return fail(error, q.error());
    *has = q.integer(0) > 0;
    return true;
}

bool writeSetting(Database& db, const char* sql, const Binds& binds, DbError* error)
{
    return runSteps(db, {{sql, binds}}, error);
}
}  // namespace

bool autoBackupEnabled(Database& db, bool* enabled, DbError* error)
{
    bool has = false;
    if (!hasAutoBackupTable(db, &has, error))
        return false;
    *enabled = true;
    if (!has)
        return true;
    Query q(db, QStringLiteral("select isauto from sys_autobak where id=1"));
    switch (q.fetch()) {
    case Query::Fetch::Row: *enabled = q.integer(0) != 0; return true;
    case Query::Fetch::NoRow: return true;
    case Query::Fetch::Failed: break;
    }
    return fail(error, q.error());
}

bool setAutoBackupEnabled(Database& db, bool enabled, DbError* error)
{
    return writeSetting(db, "update sys_autobak set isauto=:on where id=1", {{":on", int(enabled)}}, error);
}

bool recordAutoBackupFailure(Database& db, const QDateTime& when, const QString& message, DbError* error)
{
    return writeSetting(db, "update sys_autobak set failtime=:t, failtext=:m where id=1",
                        {{":t", when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}, {":m", message}}, error);
}

bool takeAutoBackupFailure(Database& db, QDateTime* when, QString* message, DbError* error)
{
    message->clear();
    bool has = false;
    if (!hasAutoBackupTable(db, &has, error))
        return false;
    if (!has)
        return true;
    Query q(db, QStringLiteral("select failtime, failtext from sys_autobak where id=1 and failtext is not null"));
    switch (q.fetch()) {
    case Query::Fetch::NoRow: return true;
    case Query::Fetch::Failed: return fail(error, q.error());
    case Query::Fetch::Row: break;
    }
    *when = QDateTime::fromString(q.text(0), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    *message = q.text(1);
    q.reset();
    Query clear(db, QStringLiteral("update sys_autobak set failtime=null, failtext=null where id=1"));
    if (!clear.exec())
        return fail(error, clear.error());
    return true;
}
