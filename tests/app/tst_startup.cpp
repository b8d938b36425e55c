// The program's start as a new household meets it: data module, main window
// and login in their real order, with a missing, unreadable or locked file;
// and the general error display the pages fall back on.
#include "app/Program.h"
#include "app/TForm1.h"
#include "app/Tf_login.h"
#include "data/DbBuilder.h"
#include "data/Schema.h"
#include "data/Tx_Data.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/Failure.h"
#include "tests/support/TestDb.h"
#include "ui/Msg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sqlcipher/sqlite3.h>

namespace {
const QString kMissing = QStringLiteral("数据库文件\"fmy.dll\"丢失，请检查文件是否完整！");
const QString kLocked = QStringLiteral("数据库文件\"fmy.dll\"正被其他程序使用，请关闭该程序后重试！");

// Runs the start in `dir` and returns its exit code; a start that never ends
// gives -1 after a while instead of hanging the test.
int startIn(const QString& dir, int busyTimeoutMs = kDefaultBusyTimeoutMs)
{
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::exit(-1);
    });
    guard.start(20000);
    StartOptions options;
    options.busyTimeoutMs = busyTimeoutMs;
    const int code = RunStart(options);
    QDir::setCurrent(old);
    Database::shared().close();
    return code;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The delivered file as mkdb writes it.
QByteArray deliveredFile()
{
    TestDb t;
    return t.ok() ? readAll(t.path()) : QByteArray();
}

// A file with the program's tables and rows under another key, or without
// one (a plain SQLite file).
QByteArray otherFile(const QByteArray& key)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    const QByteArray sql = (SchemaSql() + SeedSql()).toUtf8();
    if (key.isEmpty()) {
        sqlite3* plain = nullptr;
        const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &plain) == SQLITE_OK
                        && sqlite3_exec(plain, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(plain);
        return ok ? readAll(path) : QByteArray("create failed");
    }
    Database db;
    if (!db.create(path, key) || !db.exec(QString::fromUtf8(sql)))
        return QByteArray("create failed: ") + db.lastError().message().toUtf8();
    db.close();
    return readAll(path);
}

void compareOnlyBox(const BoxAnswerer& boxes, const QString& text)
{
    QCOMPARE(boxes.texts(), QStringList{text});
    QCOMPARE(boxes.seen[0].title, QStringLiteral("系统提示"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
}
}

class TstStartup : public QObject {
    Q_OBJECT
private slots:
    void unreadableFileShowsOnlyTheMissingMessage_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray household = deliveredFile();
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("not a database") << QByteArray(4096, 'x');
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("truncated") << household.left(household.size() / 2);
        QTest::newRow("only its first page") << household.left(1024);
        const QByteArray plain = otherFile(QByteArray());
        QVERIFY(plain.startsWith("SQLite format 3"));
        QTest::newRow("plain SQLite") << plain;
        QTest::newRow("another key") << otherFile(QByteArrayLiteral("another key"));
    }
    void unreadableFileShowsOnlyTheMissingMessage()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        if (!content.isNull()) {
            QFile f(dir.filePath(QStringLiteral("fmy.dll")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        BoxAnswerer boxes;
        const int code = startIn(dir.path());
        compareOnlyBox(boxes, kMissing);
        QCOMPARE(code, kExitStartFailed);
        // Nothing was created or changed in the household's folder.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 content.isNull() ? QStringList() : QStringList{"fmy.dll"});
        if (!content.isNull()) {
            QFile f(dir.filePath(QStringLiteral("fmy.dll")));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(f.readAll() == content);
        }
    }

    // A file a newer program wrote is neither read nor changed.
    void newerLayoutIsRefused()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        {
            Database db;
            QVERIFY(db.open(t.path(), QByteArray(kDatabasePassword)));
            QVERIFY(db.exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion + 1)));
        }
        const QByteArray before = readAll(t.path());
        BoxAnswerer boxes;
        const int code = startIn(t.dir());
        compareOnlyBox(boxes, QString::fromUtf8(kNewerFileMessage));
        QCOMPARE(code, kExitStartFailed);
        QVERIFY(readAll(t.path()) == before);
    }

    void lockedFileHasItsOwnMessage()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        Database holder;
        QVERIFY(holder.open(t.path(), QByteArray(kDatabasePassword)));
        QVERIFY(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        BoxAnswerer boxes;
        const int code = startIn(t.dir(), 100);
        compareOnlyBox(boxes, kLocked);
        QCOMPARE(code, kExitStartFailed);
        QVERIFY(holder.exec(QStringLiteral("COMMIT")));
    }

    void normalStartReachesTheLoginWithoutBoxes()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        BoxAnswerer boxes;
        // Cancel the login as soon as it shows: a user's normal way out.
        QTimer cancel;
        int loginsSeen = 0;
        QObject::connect(&cancel, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* login = qobject_cast<Tf_login*>(w); login && login->isVisible()) {
                    ++loginsSeen;
                    login->Image3Click();
                }
        });
        cancel.start(10);
        const int code = startIn(t.dir());
        QCOMPARE(loginsSeen, 1);
        QVERIFY2(boxes.seen.isEmpty(), qPrintable(boxes.texts().join(u'|')));
        QCOMPARE(code, 0);
    }

    void startPageCodeNotANumber()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        BoxAnswerer boxes;
        form.OpenStartPage(QStringLiteral("2x"));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("启动页设置\"2x\"不是有效的数字。")});
        QCOMPARE(boxes.seen[0].title, QString::fromUtf8(kAppTitle));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY(!form.currentPage());
    }

    void generalErrorShowsChineseThenTheDatabasesMessage()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("drop table x_shou"));
        BoxAnswerer boxes;
        TForm1 form(false);  // its recomputation fills x_shou
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("数据库操作失败：\nno such table: x_shou")});
        QCOMPARE(boxes.seen[0].title, QString::fromUtf8(kAppTitle));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        boxes.clear();
        // The desktop entry recomputes first and stops there: no page.
        form.Label3Click();
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("数据库操作失败：\nno such table: x_shou")});
        QVERIFY(!form.currentPage());
        TEST_END
    }
};

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
