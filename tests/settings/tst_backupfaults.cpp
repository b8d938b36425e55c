// Backups, restores and exports under the faults a household's machine
// meets: a clock set back, a full or read-only disk, a file another program
// holds, a kill half-way, a file replaced by another copy of the program.
// Whatever goes wrong is told (in Chinese, with its cause) and nothing the
// household keeps is lost.
#include "app/Program.h"
#include "app/TForm1.h"
#include "data/Backup.h"
#include "data/Clock.h"
#include "data/DbBuilder.h"
#include "data/Tx_Data.h"
#include "reports/Tf_dayin.h"
#include "settings/Tf_system.h"
#include "tests/support/Driver.h"
#include "tests/support/FileDialogs.h"
#include "tests/support/SystemPage.h"

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sqlcipher/sqlite3.h>

#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Driver;

namespace {

// ---------------------------------------------------------------- small disks

// This process's own view of the mounts (root only), so that small file
// systems come and go with it and nobody else sees them.
bool ownMounts()
{
    static const bool ok = geteuid() == 0 && unshare(CLONE_NEWNS) == 0
                           && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return ok;
}

// A file system of `kib` KiB (tmpfs), read-only if asked, in a new folder.
struct SmallDisk {
    QTemporaryDir dir;
    bool ok = false;
    explicit SmallDisk(int kib, bool readOnly = false)
    {
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        ok = kib > 0 && ownMounts()
             && mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", readOnly ? MS_RDONLY : 0,
                      options.constData())
                    == 0;
    }
    ~SmallDisk()
    {
        if (ok)
            umount2(QFile::encodeName(dir.path()).constData(), MNT_DETACH);
    }
    QString path(const QString& name = {}) const { return name.isEmpty() ? dir.path() : dir.filePath(name); }
    // Fills the disk up to `left` bytes of free room.
    void fillLeaving(qint64 left) const
    {
        struct statvfs st {};
        if (statvfs(QFile::encodeName(dir.path()).constData(), &st) != 0)
            return;
        const qint64 free = qint64(st.f_bavail) * qint64(st.f_frsize);
        QFile filler(dir.filePath(QStringLiteral("filler")));
        if (free > left && filler.open(QIODevice::WriteOnly))
            filler.write(QByteArray(free - left, 'x'));
    }
};

// Runs a fixture's file on a small disk, when there is one (`kib` > 0 and
// root): temporary folders land there.
struct FixtureOnDisk {
    SmallDisk disk;
    QByteArray oldTmp = qgetenv("TMPDIR");
    std::optional<PageFixture> fixture;
    explicit FixtureOnDisk(int kib) : disk(kib)
    {
        if (disk.ok)
            qputenv("TMPDIR", QFile::encodeName(disk.path()));
        fixture.emplace();
    }
    ~FixtureOnDisk()
    {
        fixture.reset();
        if (oldTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTmp);
    }
};

// The process may write files of at most `bytes`; a longer write fails
// (EFBIG) instead of ending the process.
struct FileSizeLimit {
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit l = old;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

QString bakIn(const QString& folder, const QString& name) { return QDir(folder).filePath(name); }

void setWritten(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// The reports of the next start: boxes shown by the main window after the
// login, which starts the session all the same.
QStringList nextStart(PageFixture& f, DRIVER_HERE)
{
    StartPageCode = QStringLiteral("1");
    TForm1 form(false);
    f.boxes.clear();
    form.FormShow();
    if (!form.sessionStarted())
        fail(QStringLiteral("no session after the start's boxes"), where);
    return f.boxes.texts();
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Spoils a good backup at `path` the way a disk, a copy or another program does.
void spoil(const QString& path, const QString& how, DRIVER_HERE)
{
    QByteArray bytes = contents(path);
    if (bytes.size() < 30 * 1024 || !QFile::remove(path))  // pages of 1024 bytes
        fail(QStringLiteral("no backup to spoil at %1").arg(path), where);
    if (how == u"without a key") {  // an ordinary SQLite file with the program's tables
        sqlite3* plain = nullptr;
        const bool made
            = sqlite3_open(QFile::encodeName(path).constData(), &plain) == SQLITE_OK
              && sqlite3_exec(plain, SchemaSql().toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(plain);
        if (!made || !contents(path).startsWith("SQLite format 3"))
            fail(QStringLiteral("no plain SQLite file"), where);
        return;
    }
    if (how == u"another key" || how == u"some tables only") {
        Database other;
        const bool key = how == u"another key";
        if (!other.create(path, key ? QByteArrayLiteral("another key") : QByteArray(kDatabasePassword))
            || !other.exec(key ? SchemaSql()
                               : QStringLiteral("create table s_user (id integer primary key, sys_name text, "
                                                "sys_pwd text)")))
            fail(other.lastError(), where);
        return;
    }
    if (how == u"text")
        bytes = "12 apples\n";
    else if (how == u"empty")
        bytes.clear();
    else if (how == u"cut in half")
        bytes.truncate(bytes.size() / 2);
    else  // a page the schema needs, or the last one, which only the check reads
        bytes.replace((how == u"a page overwritten" ? 20 * 1024 : bytes.size() - 1024) + 200, 64, QByteArray(64, 'U'));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1").arg(path), where);
}

// Answers the next modal dialog named `name` with `act` once it shows.
void whenDialogShows(const QString& name, std::function<void(QDialog*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, name, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->objectName() == name && d->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(d);
                return;
            }
    });
    poll->start(20);
}

}  // namespace

class TstBackupFaults : public QObject {
    Q_OBJECT

private slots:
    // Which ten stay: the most recently written, and always the new one.
    void rotation_data()
    {
        QTest::addColumn<QStringList>("names");      // copies there before
        QTest::addColumn<QList<int>>("writtenAgo");  // minutes before now each was written (negative: later)
        QTest::addColumn<QDateTime>("clock");        // the program's clock at the end
        QTest::addColumn<QString>("gone");           // the copy the rotation removes
        QTest::addColumn<QString>("offered");        // what the damage check offers afterwards

        QStringList may;
        QList<int> ago;
        for (int i = 0; i < 10; ++i) {
            may << QStringLiteral("fmy-20120520-08") + QString::number(i).rightJustified(2, u'0')
                       + QStringLiteral("00.bak");
            ago << 100 - i;
        }
        QTest::newRow("in order") << may << ago << QDateTime(QDate(2012, 5, 20), QTime(12, 0)) << may[0]
                                  << QStringLiteral("fmy-20120520-120000.bak");
        QTest::newRow("clock set back") << may << ago << QDateTime(QDate(2009, 6, 1), QTime(10, 0)) << may[0]
                                        << QStringLiteral("fmy-20090601-100000.bak");
        // Copies named by a clock that ran ahead, written before this end.
        QStringList future;
        for (int i = 0; i < 10; ++i)
            future << QStringLiteral("fmy-2030010%1-000000.bak").arg(i);
        QTest::newRow("names in the future") << future << ago << QDateTime(QDate(2012, 5, 20), QTime(12, 0))
                                             << future[0] << QStringLiteral("fmy-20120520-120000.bak");
        // Copies whose file times lie ahead of the clock now (it was set back since).
        QList<int> ahead;
        for (int i = 0; i < 10; ++i)
            ahead << -100 - i;
        QTest::newRow("file times ahead")
            << may << ahead << QDateTime(QDate(2012, 5, 20), QTime(12, 0)) << may[0] << may[9];
    }

    void rotation()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<int>, writtenAgo);
        QFETCH(QDateTime, clock);
        QFETCH(QString, gone);
        QFETCH(QString, offered);
        TEST_BEGIN
        PageFixture f;
        const QString folder = autoBackupFolder(f.db.path());
        QVERIFY(QDir().mkpath(folder));
        DbError why;
        QVERIFY2(writeVerifiedBackup(Database::shared(), bakIn(folder, names[0]), &why), qPrintable(why));
        for (int i = 1; i < names.size(); ++i)
            QVERIFY(QFile::copy(bakIn(folder, names[0]), bakIn(folder, names[i])));
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < names.size(); ++i)
            setWritten(bakIn(folder, names[i]), now.addSecs(-60 * writtenAgo[i]));
        QVERIFY(QFile::copy(bakIn(folder, names[0]), bakIn(folder, QStringLiteral("mine.bak"))));

        f.setNow(clock);
        RunExitBackup(Database::shared());
        const QString written = QStringLiteral("fmy-%1.bak").arg(clock.toString(QStringLiteral("yyyyMMdd-HHmmss")));
        QStringList kept = QDir(folder).entryList({QStringLiteral("fmy-*.bak")}, QDir::Files);
        QCOMPARE(kept.size(), kAutoBackupsKept);
        QVERIFY2(kept.contains(written), qPrintable(kept.join(u' ')));
        QVERIFY2(!kept.contains(gone), qPrintable(kept.join(u' ')));
        QCOMPARE(QFileInfo(newestSoundAutoBackup(f.db.path())).fileName(), offered);
        QVERIFY(QFileInfo::exists(bakIn(folder, QStringLiteral("mine.bak"))));  // not one of the program's copies
        TEST_END
    }

    // A failed automatic backup is told at the next start, with its cause,
    // also when the database could not take the note.
    void failureIsToldAtTheNextStart_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("cause");
        QTest::newRow("no room for the database's note")
            << QStringLiteral("size limit") << QStringLiteral("磁盘空间不足");
        QTest::newRow("full disk") << QStringLiteral("full disk") << QStringLiteral("磁盘空间不足");
        QTest::newRow("a file where the folder should be")
            << QStringLiteral("folder is a file") << QStringLiteral("没有写入权限");
    }

    void failureIsToldAtTheNextStart()
    {
        QFETCH(QString, fault);
        QFETCH(QString, cause);
        TEST_BEGIN
        FixtureOnDisk on(8192);
        if (fault == u"full disk" && !on.disk.ok)
            QSKIP("needs root for a small file system of its own");
        PageFixture& f = *on.fixture;
        const QString folder = autoBackupFolder(f.db.path());
        if (fault == u"size limit") {
            // Room for a few hundred bytes: neither the copy nor the
            // database's journal fits, a short note does.
            FileSizeLimit limit(1024);
            RunExitBackup(Database::shared());
        } else if (fault == u"full disk") {
            on.disk.fillLeaving(QFileInfo(f.db.path()).size() / 2);
            RunExitBackup(Database::shared());
            QFile::remove(on.disk.path(QStringLiteral("filler")));
        } else {
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            RunExitBackup(Database::shared());
            QVERIFY(QFile::remove(folder));
        }
        const QStringList told = nextStart(f);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(QStringLiteral("上次退出时的自动备份（2012-05-20 12:00:00）没有完成")),
                 qPrintable(told[0]));
        QVERIFY2(told[0].contains(cause), qPrintable(told[0]));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        // Told once; a good backup leaves no note either.
        QVERIFY(nextStart(f).isEmpty());
        QVERIFY(writeBackupFailureNote(f.db.path(), Clock::now(), QStringLiteral("x")));
        RunExitBackup(Database::shared());
        QVERIFY(!QFileInfo::exists(bakIn(folder, QStringLiteral("LAST_FAILED"))));
        QVERIFY(nextStart(f).isEmpty());
        TEST_END
    }

    // Backup, export and restore name the cause of a failure in Chinese.
    void causeIsNamed_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("cause");
        const QString backup = QStringLiteral("数据库备份失败，没有写入备份文件。");
        const QString exportFailed = QStringLiteral("导出失败：");
        QTest::newRow("backup, missing folder") << "backup"
                                                << "missing folder" << backup << QStringLiteral("文件夹不存在");
        QTest::newRow("backup, full disk") << "backup"
                                           << "full disk" << backup << QStringLiteral("磁盘空间不足");
        QTest::newRow("backup, read-only disk") << "backup"
                                                << "read-only disk" << backup << QStringLiteral("没有写入权限");
        QTest::newRow("backup, file held") << "backup"
                                           << "held" << backup << QStringLiteral("文件正被其他程序使用");
        QTest::newRow("export, missing folder") << "export"
                                                << "missing folder" << exportFailed << QStringLiteral("文件夹不存在");
        QTest::newRow("export, full disk") << "export"
                                           << "full disk" << exportFailed << QStringLiteral("磁盘空间不足");
        QTest::newRow("export, read-only disk") << "export"
                                                << "read-only disk" << exportFailed << QStringLiteral("没有写入权限");
        QTest::newRow("export .xlsx, full disk") << "export .xlsx"
                                                 << "full disk" << exportFailed << QStringLiteral("磁盘空间不足");
        QTest::newRow("export .csv, read-only disk")
            << "export .csv"
            << "read-only disk" << exportFailed << QStringLiteral("没有写入权限");
        QTest::newRow("export .xlsx, missing folder")
            << "export .xlsx"
            << "missing folder" << exportFailed << QStringLiteral("文件夹不存在");
        QTest::newRow("restore, full disk")
            << "restore"
            << "full disk" << QStringLiteral("数据库还原失败，现有数据没有改变。") << QStringLiteral("磁盘空间不足");
    }

    void causeIsNamed()
    {
        QFETCH(QString, operation);
        QFETCH(QString, fault);
        QFETCH(QString, sentence);
        QFETCH(QString, cause);
        TEST_BEGIN
        const bool needsDisk = fault == u"full disk" || fault == u"read-only disk";
        FixtureOnDisk on(needsDisk && operation == u"restore" ? 8192 : 0);
        SmallDisk target(4096, fault == u"read-only disk");
        if (needsDisk && !target.ok)
            QSKIP("needs root for a small file system of its own");
        PageFixture& f = *on.fixture;
        addRecord(QStringLiteral("早餐"), QStringLiteral("3"), QDate(2012, 5, 1));
        const QString household = f.db.path();

        QString folder = f.db.dir();
        if (fault == u"missing folder")
            folder = QDir(f.db.dir()).filePath(QStringLiteral("missing"));
        else if (needsDisk && operation != u"restore")
            folder = target.path();
        std::optional<Database> holder;
        if (fault == u"held") {
            holder.emplace();
            QVERIFY(holder->open(household, QByteArray(kDatabasePassword)));
            QVERIFY(holder->exec(QStringLiteral("BEGIN EXCLUSIVE")));
        }
        QString good;
        if (operation == u"restore") {
            good = QDir(target.path()).filePath(QStringLiteral("good.bak"));
            DbError why;
            QVERIFY2(writeVerifiedBackup(Database::shared(), good, &why), qPrintable(why));
            on.disk.fillLeaving(0);
        } else if (fault == u"full disk") {
            target.fillLeaving(0);
        }
        FileDialogAnswerer dialogs;
        QStringList boxes;
        if (operation.startsWith(u"export")) {
            Tf_dayin page;
            page.show();
            click(&page, "Button58");
            if (operation.endsWith(u".xlsx"))
                dialogs.filter = QStringLiteral("Excel工作簿 (*.xlsx)");
            else if (operation.endsWith(u".csv"))
                dialogs.filter = QStringLiteral("CSV (UTF-8) (*.csv)");
            dialogs.answer = QDir(folder).filePath(QStringLiteral("report"));
            boxes = f.boxesAfterClick(&page, "Button61");
        } else {
            SystemPage s;
            dialogs.answer = operation == u"restore" ? good : QDir(folder).filePath(QStringLiteral("copy"));
            boxes = f.boxesAfterClick(&s.page, operation == u"restore" ? "Button55" : "Button53");
            QCOMPARE(s.quits, 0);
        }
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(sentence), qPrintable(boxes[0]));
        QVERIFY2(boxes[0].section(u'\n', 0, 1).contains(cause), qPrintable(boxes[0]));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        if (operation == u"backup") {
            // The kind a caller decides by: what the disk or another program refused.
            DbError why;
            QVERIFY(!writeVerifiedBackup(Database::shared(), bakIn(folder, QStringLiteral("copy.bak")), &why));
            QCOMPARE(why.kind(), fault == u"held" ? DbError::Kind::Locked : DbError::Kind::FileFault);
        }
        // Nothing half-written is left behind, and the household's data is whole.
        holder.reset();
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.part"), QStringLiteral("copy*"), QStringLiteral("report*")},
                                        QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(QDir(f.db.dir()).entryList({QStringLiteral("fmy*")}, QDir::Files),
                 QStringList{QStringLiteral("fmy.dll")});
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        TEST_END
    }

    // Clear-all and member deletion first write a checked copy that the
    // rotation never removes; the settings page deletes it on request.
    void copiesBeforeDeletion()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 5, 1));
        addMember(QStringLiteral("小明"));
        const QString folder = autoBackupFolder(f.db.path());
        const QString beforeDelete = bakIn(folder, QStringLiteral("fmy-20120520-120000-删除用户前.bak"));
        const QString beforeClear = bakIn(folder, QStringLiteral("fmy-20120520-123000-清空前.bak"));
        {
            SystemPage s;
            // A copy that cannot be written: nothing is deleted.
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            clickRow(&s.page, "DBGridEh16", 1);
            QStringList boxes = f.boxesAfterClick(&s.page, "Button47");
            QCOMPARE(boxes.size(), 2);
            QVERIFY2(boxes[1].startsWith(QStringLiteral("删除前的备份没有完成，没有删除任何数据。")),
                     qPrintable(boxes[1]));
            QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(2));
            QVERIFY(QFile::remove(folder));

            boxes = f.boxesAfterClick(&s.page, "Button47");
            QCOMPARE(boxes, QStringList{QStringLiteral("是否确定删除用户\"小明\"及其%1笔收支记录？")
                                            .arg(TestDb::count(QStringLiteral("s_shouru where s_userid<>1")))});
            QVERIFY2(f.boxes.seen[0].informative.contains(QDir::toNativeSeparators(beforeDelete)),
                     qPrintable(f.boxes.seen[0].informative));
            QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(1));
            QCOMPARE(countIn(beforeDelete, QStringLiteral("s_user where sys_name='小明'")), qint64(1));

            f.setNow(QDateTime(QDate(2012, 5, 20), QTime(12, 30)));
            QCOMPARE(f.boxesAfterClick(&s.page, "Button2"),
                     QStringList{QStringLiteral("你是否确定删除所有记账信息，删除后将无法恢复？")});
            QVERIFY(f.boxes.seen[0].informative.contains(QDir::toNativeSeparators(beforeClear)));
            QCOMPARE(f.boxesAfterClick(&s.page, "Button3"), QStringList{QStringLiteral("操作成功，请重新打开软件！")});
            QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
            QCOMPARE(countIn(beforeClear, QStringLiteral("s_shouru")), qint64(1));
        }
        // Twelve ends later both are still there.
        for (int i = 0; i < 12; ++i) {
            f.setNow(QDateTime(QDate(2012, 5, 21), QTime(8, i)));
            RunExitBackup(Database::shared());
        }
        QVERIFY(QFileInfo::exists(beforeDelete) && QFileInfo::exists(beforeClear));
        QCOMPARE(autoBackupFiles(f.db.path()).size(), kAutoBackupsKept);

        // The page lists them, the newest first, and deletes the chosen one.
        SystemPage s;
        QStringList listed;
        whenDialogShows(QStringLiteral("f_beifen"), [&](QDialog* d) {
            auto* list = d->findChild<QListWidget*>(QStringLiteral("ListBox1"));
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text().section(QStringLiteral("    "), 0, 0);
            list->setCurrentRow(1);
            d->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            d->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
        });
        QCOMPARE(f.boxesAfterClick(&s.page, "Button5"),
                 QStringList{QStringLiteral("是否确定删除所选的1个备份？删除后无法恢复。")});
        QCOMPARE(listed.size(), 2);
        QVERIFY(!QFileInfo::exists(bakIn(folder, listed[1])));
        QVERIFY(QFileInfo::exists(bakIn(folder, listed[0])));
        TEST_END
    }

    // What a kill during a backup or a staged restore left is removed at
    // the next start, unless another copy of the program uses the folder.
    void leftoversAreSweptAtStart()
    {
        TEST_BEGIN
        PageFixture f;
        const QString folder = autoBackupFolder(f.db.path());
        QVERIFY(QDir().mkpath(folder));
        const QStringList leftovers{bakIn(folder, QStringLiteral("fmy-20120520-120000.bak.part")),
                                    bakIn(folder, QStringLiteral("fmy-20120520-120000.bak-2.part")),
                                    bakIn(f.db.dir(), QStringLiteral("fmy.dll.restore"))};
        const QStringList others{bakIn(folder, QStringLiteral("notes.part")),
                                 bakIn(f.db.dir(), QStringLiteral("fmy.dll.bak")),
                                 bakIn(f.db.dir(), QStringLiteral("other.restore"))};
        {
            // Another copy of the program has the folder: nothing goes.
            Tx_Data running(Database::shared());
            for (const QString& path : leftovers + others)
                QVERIFY(QFile::copy(f.db.path(), path));
            Tx_Data starting(Database::shared());
            QVERIFY(starting.folderShared());
            for (const QString& path : leftovers)
                QVERIFY(QFileInfo::exists(path));
        }
        Tx_Data alone(Database::shared());
        QVERIFY(!alone.folderShared());
        for (const QString& path : leftovers)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString& path : others)
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        TEST_END
    }

    // A restore takes only a file the program can start on; another is only
    // read, and the household's file stays as it was.
    void restoreChecksWhatTheProgramReads_data()
    {
        QTest::addColumn<QString>("change");  // statements on a good backup, or "spoilt: " how
        QTest::addColumn<bool>("accepted");
        QTest::newRow("as delivered") << QString() << true;
        QTest::newRow("older, without the settings of the automatic backups")
            << "drop table u_item; drop table u_action; drop table u_setting; drop table sys_autobak; PRAGMA "
               "user_version=0"
            << true;
        QTest::newRow("current layout without a table of its own") << "drop table sys_autobak" << false;
        QTest::newRow("current layout without its journal") << "drop table u_item" << false;
        QTest::newRow("a column more") << "alter table s_user add column s_phone text" << true;
        QTest::newRow("a member's column renamed")
            << "create table u2 (id integer primary key, sys_name text, pwd text);"
               "insert into u2 select id, sys_name, sys_pwd from s_user; drop table s_user; alter table u2 rename to "
               "s_user"
            << false;
        QTest::newRow("records without their remark")
            << "drop view s_z_all; drop view v_flbb; drop view s_ys; drop view v_fenlei;"
               "create table r2 (id integer primary key, s_jine integer, s_date text, f_fenleiid integer, s_userid "
               "integer,"
               " s_zhanghuid integer); drop table s_shouru; alter table r2 rename to s_shouru"
            << false;
        QTest::newRow("a view that no longer reads")
            << "drop view s_ys; create view s_ys as select nothing from s_shouru" << false;
        QTest::newRow("no member to log in") << "delete from s_user" << false;
        QTest::newRow("an old backup, before the numbered layout")
            << "drop table u_item; drop table u_action; drop table u_setting; drop table s_import_line; drop table "
               "s_import; drop table sys_autobak; PRAGMA user_version=0"
            << true;
        QTest::newRow("written by a newer program") << "PRAGMA user_version=99" << false;
        for (const char* how : {"text", "empty", "cut in half", "a page overwritten", "the last page overwritten",
                                "without a key", "another key", "some tables only"})
            QTest::addRow("spoilt: %s", how) << QStringLiteral("spoilt: ") + QString::fromLatin1(how) << false;
    }

    void restoreChecksWhatTheProgramReads()
    {
        QFETCH(QString, change);
        QFETCH(bool, accepted);
        TEST_BEGIN
        PageFixture f;
        const QString candidate = bakIn(f.db.dir(), QStringLiteral("candidate.bak"));
        DbError why;
        QVERIFY2(writeVerifiedBackup(Database::shared(), candidate, &why), qPrintable(why));
        if (change.startsWith(u"spoilt: ")) {
            spoil(candidate, change.mid(8));
        } else if (!change.isEmpty()) {
            Database other;
            QVERIFY(other.open(candidate, QByteArray(kDatabasePassword)));
            QVERIFY2(other.exec(QStringLiteral("PRAGMA foreign_keys=off;") + change), qPrintable(other.lastError()));
        }
        const QByteArray before = contents(candidate), household = contents(f.db.path());
        SystemPage s;
        FileDialogAnswerer dialogs;
        dialogs.answer = candidate;
        const QStringList boxes = f.boxesAfterClick(&s.page, "Button55");
        if (accepted) {
            QCOMPARE(boxes.last(), QStringLiteral("数据库还原成功，请重新打开软件！"));
            QCOMPARE(s.quits, 1);
            return;
        }
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(QStringLiteral("所选文件不是可用的数据库备份，没有还原。\n")),
                 qPrintable(boxes[0]));
        // Said in Chinese, not in the engine's words.
        QVERIFY2(!boxes[0].contains(QStringLiteral("no such")) && !boxes[0].contains(QStringLiteral("not a database")),
                 qPrintable(boxes[0]));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(s.quits, 0);
        QCOMPARE(QDir(f.db.dir()).entryList({QStringLiteral("fmy*")}, QDir::Files),
                 QStringList{QStringLiteral("fmy.dll")});
        QVERIFY(contents(candidate) == before && contents(f.db.path()) == household);
        QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(1));  // the connection still serves
        // The kind a caller decides by: no database of the program.
        QVERIFY(!restoreDatabase(Database::shared(), candidate, QDateTime::currentDateTime(), nullptr, &why));
        QCOMPARE(why.kind(), DbError::Kind::Refused);
        TEST_END
    }

    // Another copy of the program restored a backup: this one's next write
    // or page says so and the program ends, writing nothing.
    void fileReplacedByAnotherCopy()
    {
        TEST_BEGIN
        PageFixture f;
        const QString other = bakIn(f.db.dir(), QStringLiteral("other.bak"));
        DbError why;
        QVERIFY2(writeVerifiedBackup(Database::shared(), other, &why), qPrintable(why));
        StartPageCode = QStringLiteral("1");
        TForm1 form(false);
        form.show();
        QTRY_VERIFY(form.currentPage() != nullptr);
        QVERIFY(QFile::rename(other, f.db.path() + QStringLiteral(".new")));
        QVERIFY(::rename(QFile::encodeName(f.db.path() + QStringLiteral(".new")).constData(),
                         QFile::encodeName(f.db.path()).constData())
                == 0);
        QVERIFY(Database::shared().replacedOnDisk());
        Query write(QStringLiteral("update sys_sys set daytxt='stale'"));
        QVERIFY(!write.exec());
        QCOMPARE(write.error().message(), QString::fromUtf8(kFileReplacedMessage));

        f.boxes.clear();
        clickLabel(&form, "Label9");
        QCOMPARE(f.boxes.texts(), QStringList{QString::fromUtf8(kFileReplacedMessage)});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.currentPage(), nullptr);
        RunExitBackup(Database::shared());
        QVERIFY(!QFileInfo::exists(autoBackupFolder(f.db.path())));
        TEST_END
    }
};

QTEST_MAIN(TstBackupFaults)
#include "tst_backupfaults.moc"
