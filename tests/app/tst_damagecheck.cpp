// A damaged page of the household's file is noticed after the login: one
// question offers the newest automatic backup that is sound; OK restores it
// as the settings page does, Cancel keeps working. A file another program
// holds is busy, not damaged.
#include "app/Program.h"
#include "app/TForm1.h"
#include "app/Tf_login.h"
#include "data/Backup.h"
#include "data/Tx_Data.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestDb.h"
#include "ui/ClickLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {
const QString kQuestion = QStringLiteral("数据文件可能已损坏，是否从最新的备份恢复？");

Database& open(Database& db, const QString& path)
{
    if (!db.open(path, QByteArray(kDatabasePassword)))
        qFatal("cannot open %s: %s", qPrintable(path), qPrintable(db.lastError()));
    return db;
}

void exec(const QString& path, const QString& sql)
{
    Database db;
    QVERIFY2(open(db, path).exec(sql), qPrintable(db.lastError()));
}

QString diary(const QString& path)
{
    Database db;
    // The newest two entries only: a look at the damaged page would fail.
    Query q(open(db, path), QStringLiteral("select group_concat(n_info, ',') from notebook"
                                           " where id > (select max(id) from notebook) - 2 and length(n_info) < 20"));
    return q.next() ? q.text(0) : q.error();
}

// Garbage over one page three quarters into the file: a page of the diary,
// which neither the login nor the start reads.
void damage(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 page = 1024, at = f.size() / page * 3 / 4 * page;
    QVERIFY(f.seek(at + 100));
    f.write(QByteArray(64, '\x55'));
}

// A household whose diary fills most of the file, with automatic backups:
// "sound" from 05-18 and, when `damagedNewest`, a damaged one from 05-19.
struct Household {
    TestDb db;
    explicit Household(bool backups, bool damagedNewest)
    {
        QVERIFY2(db.ok(), qPrintable(db.error()));
        exec(db.path(),
             QStringLiteral("update sys_sys set skinx='4';"  // the calendar: reads no records
                            "with recursive n(i) as (select 1 union all select i+1 from n where i<300)"
                            " insert into notebook (n_date, n_info) select '2012-05-01', printf('%.1500c', 'x') from n;"
                            "insert into notebook (n_date, n_info) values ('2012-05-18', 'sound')"));
        if (backups) {
            Database d;
            QVERIFY(writeAutoBackup(open(d, db.path()), QDateTime(QDate(2012, 5, 18), QTime(21, 0))));
            QVERIFY(d.exec(QStringLiteral("insert into notebook (n_date, n_info) values ('2012-05-19', 'later')")));
            QString written;
            QVERIFY(writeAutoBackup(d, QDateTime(QDate(2012, 5, 19), QTime(21, 0)), &written));
            if (damagedNewest)
                damage(written);
        } else {
            exec(db.path(), QStringLiteral("insert into notebook (n_date, n_info) values ('2012-05-19', 'later')"));
        }
        damage(db.path());
    }
    QString backup(const char* stamp) const
    {
        return QDir(db.dir()).filePath(QStringLiteral("backups/fmy-%1.bak").arg(QString::fromLatin1(stamp)));
    }
};

// The program in `dir`, logged in as admin; `whileRunning` runs once the
// main window shows a page, then the window is closed unless it closed
// itself. Returns the exit code.
int runLoggedIn(const QString& dir, const std::function<void()>& whileRunning = {})
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir);
    QTimer driver;
    int ticks = 0;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        ++ticks;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* login = qobject_cast<Tf_login*>(w); login && login->isVisible()) {
                login->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("admin"));
                login->findChild<ClickLabel*>(QStringLiteral("Image2"))->clicked();
            }
        }
        // Time for the check to answer (or to find nothing), then the user leaves.
        if (ticks == 150) {
            if (whileRunning)
                whileRunning();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<TForm1*>(w))
                    w->close();
        }
        if (ticks > 1000)
            QCoreApplication::exit(-1);
    });
    driver.start(10);
    StartOptions options;
    const int code = RunStart(options);
    QDir::setCurrent(old);
    Database::shared().close();
    return code;
}
}  // namespace

class TstDamageCheck : public QObject {
    Q_OBJECT
private slots:
    void quickCheckTellsDamageFromBusy()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QCOMPARE(quickCheckFile(t.path(), 100), QuickCheck::Sound);
        Database holder;
        QVERIFY(open(holder, t.path()).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QCOMPARE(quickCheckFile(t.path(), 100), QuickCheck::Busy);
        QVERIFY(holder.exec(QStringLiteral("ROLLBACK")));
        holder.close();
        Household h(false, false);
        QString findings;
        QCOMPARE(quickCheckFile(h.db.path(), 100, &findings), QuickCheck::Damaged);
        QVERIFY(!findings.isEmpty());
    }

    void damageOffersTheNewestSoundBackup()
    {
        Household h(true, true);
        BoxAnswerer boxes;  // OK
        bool ranOn = false;
        QCOMPARE(runLoggedIn(h.db.dir(), [&] { ranOn = true; }), 0);
        QVERIFY2(!ranOn, "the program should end after the restore");
        QCOMPARE(boxes.texts(), (QStringList{kQuestion, QStringLiteral("数据库还原成功，请重新打开软件！")}));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("系统提示"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
        // The damaged newer backup is passed over.
        QVERIFY2(boxes.seen[0].informative.contains(QStringLiteral("fmy-20120518-210000.bak")),
                 qPrintable(boxes.seen[0].informative));
        QCOMPARE(quickCheckFile(h.db.path(), 100), QuickCheck::Sound);
        QCOMPARE(diary(h.db.path()), QStringLiteral("sound"));
        // The damaged file is kept beside it, as every restore keeps the old one.
        QCOMPARE(QDir(h.db.dir()).entryList({QStringLiteral("fmy-*.dll.bak")}, QDir::Files).size(), 1);
    }

    void cancelKeepsWorking()
    {
        Household h(true, false);
        BoxAnswerer boxes(QMessageBox::Cancel);
        bool pageShown = false;
        QCOMPARE(runLoggedIn(h.db.dir(),
                             [&] {
                                 for (QWidget* w : QApplication::topLevelWidgets())
                                     if (auto* form = qobject_cast<TForm1*>(w))
                                         pageShown = form->isVisible() && form->currentPage();
                             }),
                 0);
        QVERIFY(pageShown);
        QCOMPARE(boxes.texts(), QStringList{kQuestion});
        QVERIFY(boxes.seen[0].informative.contains(QStringLiteral("fmy-20120519-210000.bak")));
        QCOMPARE(QDir(h.db.dir()).entryList({QStringLiteral("fmy-*.dll.bak")}, QDir::Files), QStringList());
        QCOMPARE(diary(h.db.path()), QStringLiteral("sound,later"));
    }

    // A sound file whose records' sums lost a group (not counting every
    // record) has them built anew after the login, without a box.
    void sumsThatMissRecordsAreRebuilt()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        exec(t.path(), QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date) values "
                                      "(3,1250,1,1,'2012-05-01'),(3,700,1,2,'2012-06-01');"
                                      "delete from h_yue where h_month='2012-05'"));
        BoxAnswerer boxes;
        QString sums;
        QCOMPARE(runLoggedIn(t.dir(),
                             [&] {
                                 Query q(QStringLiteral("select group_concat(h_month||' '||h_jine) from h_yue"));
                                 sums = q.next() ? q.text(0) : q.error();
                             }),
                 0);
        QCOMPARE(sums, QStringLiteral("2012-05 1250,2012-06 700"));
        QCOMPARE(boxes.texts(), QStringList());
    }

    void withoutBackupsItWarns()
    {
        Household h(false, false);
        BoxAnswerer boxes;
        QCOMPARE(runLoggedIn(h.db.dir()), 0);
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral("数据文件可能已损坏，没有找到可用的自动备份，请尽快检查数据。")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    }
};

QTEST_MAIN(TstDamageCheck)
#include "tst_damagecheck.moc"
