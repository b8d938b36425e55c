#include "data/Backup.h"

#include "data/Tx_Data.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Replaces `to` by `from` in one step (POSIX rename): a reader finds the old
// file or the new one, never none.
bool renameOver(const QString& from, const QString& to, QString* error)
{
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(from).toStdString()),
                            std::filesystem::path(QFile::encodeName(to).toStdString()), ec);
    if (ec)
        return fail(error, QStringLiteral("无法将“%1”改名为“%2”：%3")
                               .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                                    QString::fromLocal8Bit(ec.message().c_str())));
    return true;
}

// Copies an open file into a new one and forces it to the disk before a
// rename makes it count. A failure removes the new file.
bool copyStream(QFile& in, const QString& to, QString* error)
{
    const QString from = in.fileName();
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return fail(error, QStringLiteral("无法写入“%1”：%2").arg(QDir::toNativeSeparators(to), out.errorString()));
    auto broken = [&](const QString& why) {
        out.close();
        QFile::remove(to);
        return fail(error, QStringLiteral("复制“%1”失败：%2").arg(QDir::toNativeSeparators(from), why));
    };
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return broken(in.errorString());
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            return broken(out.errorString());
    }
    if (!out.flush())
        return broken(out.errorString());
#ifdef Q_OS_UNIX
    if (::fsync(out.handle()) != 0)
        return broken(QStringLiteral("fsync"));
#endif
    out.close();
    if (out.size() != in.size())
        return broken(QStringLiteral("大小不一致"));
    return true;
}

bool copySynced(const QString& from, const QString& to, QString* error)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("无法读取“%1”：%2").arg(QDir::toNativeSeparators(from), in.errorString()));
    return copyStream(in, to, error);
}

// The open database's file as it lies on disk, copied while a read
// transaction keeps every writer out. Closing a second descriptor of a file
// drops all of the process's POSIX locks on it (SQLite's included), so the
// file is closed only after the transaction has ended and SQLite holds none.
bool copyUnderReadLock(Database& db, const QString& to, QString* error)
{
    QFile source(db.filePath());  // destroyed last
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    Query lock(db, QStringLiteral("select count(*) from sqlite_master"));
    if (lock.fetch() != Query::Fetch::Row)
        return fail(error, lock.error());
    lock.reset();
    if (!source.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("无法读取“%1”：%2").arg(QDir::toNativeSeparators(source.fileName()), source.errorString()));
    if (!copyStream(source, to, error))
        return false;
    tx.rollback();  // nothing was written; ends the read
    return true;
}

// Why the file on disk may not hold all of the database, or empty: a
// transaction of the connection is open, or the log of WAL mode holds part.
QString notWhole(Database& db)
{
    if (db.inTransaction())
        return QStringLiteral("数据库正在写入，请稍后再试");
    Query mode(db, QStringLiteral("PRAGMA journal_mode"));
    if (!mode.next())
        return mode.error();
    if (mode.text(0).compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("数据文件处于 WAL 日志模式，不能按文件复制");
    return QString();
}

// "<base>-YYYYMMDD-HHMMSS": the time stamp of kept and automatic copies.
QString stamped(const QString& base, const QDateTime& now)
{
    return base + u'-' + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

} // namespace

QString backupTargetName(const QString& chosen)
{
    // Any letter case counts as the suffix: "abc.BAK" stays as it is.
    return chosen.endsWith(QStringLiteral(".bak"), Qt::CaseInsensitive) ? chosen : chosen + QStringLiteral(".bak");
}

bool checkDatabaseFile(const QString& path, QString* error)
{
    Database file;
    if (!file.openReadOnly(path, key()))
        return fail(error, QStringLiteral("该文件不是本软件的数据库，或已损坏：%1").arg(file.lastError()));
    // The tables and views every page reads. v_fenlei is left out: a file
    // from before it gets it from the view upgrade at the next start.
    static const QStringList kTables{
        QStringLiteral("s_user"), QStringLiteral("s_fenlei"), QStringLiteral("z_zhanghu"), QStringLiteral("s_shouru"),
        QStringLiteral("s_zhanghistory"), QStringLiteral("s_jie"), QStringLiteral("s_yushuan"), QStringLiteral("notebook"),
        QStringLiteral("sys_sys"), QStringLiteral("x_shou"), QStringLiteral("x_zhi"), QStringLiteral("x_chu"),
        QStringLiteral("x_jie"), QStringLiteral("x_zr"), QStringLiteral("x_zc"), QStringLiteral("s_ls"),
        QStringLiteral("s_renls")};
    static const QStringList kViews{QStringLiteral("s_z_all"), QStringLiteral("v_flbb"), QStringLiteral("s_ys")};
    QStringList tables, views;
    Query names(file, QStringLiteral("select type,name from sqlite_master where type in ('table','view')"));
    while (names.next())
        (names.text(0) == u"view" ? views : tables) << names.text(1).toLower();
    if (!names.ok())
        return fail(error, QStringLiteral("无法读取该文件的表：%1").arg(names.error()));
    QStringList missing;
    for (const QString& t : kTables)
        if (!tables.contains(t))
            missing << t;
    for (const QString& v : kViews)
        if (!views.contains(v))
            missing << v;
    if (tables.isEmpty() && views.isEmpty())
        return fail(error, QStringLiteral("该文件中没有任何数据表"));
    if (!missing.isEmpty())
        return fail(error, QStringLiteral("该文件缺少本软件的表或视图：%1%2")
                               .arg(missing.mid(0, 5).join(QStringLiteral(", ")), missing.size() > 5 ? QStringLiteral(" 等") : QString()));
    Query check(file, QStringLiteral("PRAGMA quick_check"));
    QStringList findings;
    while (check.next())
        findings << check.text(0);
    if (!check.ok())
        return fail(error, QStringLiteral("文件检查失败：%1").arg(check.error()));
    if (findings == QStringList{QStringLiteral("ok")})
        return true;
    // The first few findings say enough; the check lists every page.
    QStringList lines = findings.join(u'\n').split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& l) { return l.startsWith(QStringLiteral("***")); });
    return fail(error, QStringLiteral("文件检查发现损坏：%1").arg(lines.mid(0, 3).join(u'\n')));
}

bool writeVerifiedBackup(Database& db, const QString& dest, QString* error)
{
    const QString target = QFileInfo(dest).absoluteFilePath();
    // Renaming over the open file would leave the connection on a deleted one.
    if (QFileInfo(target) == QFileInfo(db.filePath()))
        return fail(error, QStringLiteral("不能用备份覆盖正在使用的数据文件本身"));
    if (!QFileInfo(target).absoluteDir().exists())
        return fail(error, QStringLiteral("文件夹“%1”不存在").arg(QDir::toNativeSeparators(QFileInfo(target).absolutePath())));
    if (const QString why = notWhole(db); !why.isEmpty())
        return fail(error, why);
    const QString part = freeName(target, QStringLiteral(".part"));
    if (!copyUnderReadLock(db, part, error))
        return false;
    QString why;
    if (!checkDatabaseFile(part, &why)) {
        QFile::remove(part);
        return fail(error, QStringLiteral("备份副本未通过检查：%1").arg(why));
    }
    if (!renameOver(part, target, error)) {
        QFile::remove(part);
        return false;
    }
    return true;
}

bool stageRestore(Database& db, const QString& backup, QString* staged, QString* error)
{
    if (!db.isOpen())
        return fail(error, QStringLiteral("数据库没有打开"));
    const QFileInfo current(db.filePath());
    // The copy that will become the household's file is the one checked.
    const QString part = freeName(current.absoluteFilePath(), QStringLiteral(".restore"));
    if (!copySynced(backup, part, error))
        return false;
    if (!checkDatabaseFile(part, error)) {
        QFile::remove(part);
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

bool installRestore(Database& db, const QString& staged, const QDateTime& now, QString* keptPath, QString* error)
{
    if (!db.isOpen()) {
        discardRestore(staged);
        return fail(error, QStringLiteral("数据库没有打开"));
    }
    const QFileInfo current(db.filePath());
    const QString path = current.absoluteFilePath();
    // Nothing may write while the file is copied and replaced.
    db.close();
    auto reopen = [&](const QString& message) {
        discardRestore(staged);
        QString e = message;
        if (!db.open(path, key()))
            e += QStringLiteral("\n重新打开数据库失败：%1").arg(db.lastError());
        return fail(error, e);
    };
    QString why;
    const QString kept = freeName(current.absolutePath() + u'/' + stamped(current.baseName(), now),
                                  u'.' + current.completeSuffix() + QStringLiteral(".bak"));
    if (!copySynced(path, kept, &why))
        return reopen(QStringLiteral("无法保留当前的数据文件：%1").arg(why));
    if (!renameOver(staged, path, &why)) {
        QFile::remove(kept);
        return reopen(why);
    }
    if (!db.open(path, key())) {
        // Cannot happen to a checked copy; should it, the old file goes back.
        const QString openError = db.lastError();
        const QString back = freeName(path, QStringLiteral(".restore"));
        if (copySynced(kept, back, &why) && renameOver(back, path, &why))
            return reopen(QStringLiteral("还原后的文件无法打开（%1），已恢复原来的数据文件").arg(openError));
        QFile::remove(back);
        return reopen(QStringLiteral("还原后的文件无法打开（%1）；原来的数据文件保存在“%2”")
                          .arg(openError, QDir::toNativeSeparators(kept)));
    }
    if (keptPath)
        *keptPath = kept;
    return true;
}

bool restoreDatabase(Database& db, const QString& backup, const QDateTime& now, QString* keptPath, QString* error)
{
    QString staged;
    return stageRestore(db, backup, &staged, error) && installRestore(db, staged, now, keptPath, error);
}

// ---------------------------------------------------------------- automatic backups

QString autoBackupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backups"));
}

bool writeAutoBackup(Database& db, const QDateTime& now, QString* written, QString* error)
{
    if (!db.isOpen())
        return fail(error, QStringLiteral("数据库没有打开"));
    const QFileInfo current(db.filePath());
    const QString folder = autoBackupFolder(current.absoluteFilePath());
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(folder)));
    const QString base = current.baseName();
    const QString file = QDir(folder).filePath(stamped(base, now) + QStringLiteral(".bak"));
    if (!writeVerifiedBackup(db, file, error))
        return false;
    if (written)
        *written = file;
    // Only the program's own copies count and go; other files stay.
    const QStringList copies = autoBackupFiles(current.absoluteFilePath());
    // A copy that cannot be removed only takes room; the new one is written.
    for (qsizetype i = kAutoBackupsKept; i < copies.size(); ++i)
        QFile::remove(copies[i]);
    return true;
}

QStringList autoBackupFiles(const QString& databasePath)
{
    const QString folder = autoBackupFolder(databasePath);
    const QRegularExpression ours(
        QStringLiteral("^%1-\\d{8}-\\d{6}\\.bak$").arg(QRegularExpression::escape(QFileInfo(databasePath).baseName())));
    QStringList copies;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (ours.match(name).hasMatch())
            copies << name;
    // The time stamp in the name sorts as the time.
    std::sort(copies.begin(), copies.end(), std::greater<>());
    for (QString& name : copies)
        name = QDir(folder).filePath(name);
    return copies;
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
// Adds the settings table to a file from before it.
bool ensureAutoBackupTable(Database& db, QString* error)
{
    return execAll(db,
                   {"CREATE TABLE IF NOT EXISTS sys_autobak ("
                    "id INTEGER PRIMARY KEY CHECK (id = 1), "
                    "isauto INTEGER NOT NULL DEFAULT 1 CHECK (isauto IN (0, 1)), "
                    "failtime TEXT, failtext TEXT)",
                    "INSERT OR IGNORE INTO sys_autobak (id, isauto) VALUES (1, 1)"},
                   error);
}

// Whether the file has the settings table; false with `error` on a failed read.
bool hasAutoBackupTable(Database& db, bool* has, QString* error)
{
    Query q(db, QStringLiteral("select count(*) from sqlite_master where type='table' and name='sys_autobak'"));
    if (q.fetch() != Query::Fetch::Row)
        return fail(error, q.error());
    *has = q.integer(0) > 0;
    return true;
}

bool writeSetting(Database& db, const QString& sql, const QList<QPair<const char*, QVariant>>& binds, QString* error)
{
    Transaction tx(db);
    if (!tx.isActive())
        return fail(error, tx.error());
    if (!ensureAutoBackupTable(db, error))
        return false;
    Query q(db, sql);
    for (const auto& [name, value] : binds)
        q.bindValue(name, value);
    if (!q.exec())
        return fail(error, q.error());
    if (!tx.commit())
        return fail(error, tx.error());
    return true;
}
} // namespace

bool autoBackupEnabled(Database& db, bool* enabled, QString* error)
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

bool setAutoBackupEnabled(Database& db, bool enabled, QString* error)
{
    return writeSetting(db, QStringLiteral("update sys_autobak set isauto=:on where id=1"), {{":on", int(enabled)}}, error);
}

bool recordAutoBackupFailure(Database& db, const QDateTime& when, const QString& message, QString* error)
{
    return writeSetting(db, QStringLiteral("update sys_autobak set failtime=:t, failtext=:m where id=1"),
                        {{":t", when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))}, {":m", message}}, error);
}

bool takeAutoBackupFailure(Database& db, QDateTime* when, QString* message, QString* error)
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
