// How the connection and its statements fail: a file another connection
// holds, and a statement that could not be prepared, must each report the
// database's own reason however the caller goes on.
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "tests/support/Failure.h"
#include "tests/support/TestDb.h"
#include "ui/LookupCombo.h"
#include "ui/QueryModel.h"

#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <future>
#include <thread>

namespace {
const QByteArray kKey(kDatabasePassword);
}

class TstDbFailures : public QObject {
    Q_OBJECT
private slots:
    void lockOutlastingTheWaitIsReportedAsLock()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        Database holder;
        QVERIFY(holder.open(t.path(), kKey));
        QVERIFY(holder.exec(QStringLiteral("BEGIN EXCLUSIVE")));

        Database db;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!db.open(t.path(), kKey, 150));
        QVERIFY(timer.elapsed() >= 100);  // it waited before giving up
        QVERIFY(db.locked());
        QCOMPARE(db.lastError(), QStringLiteral("database is locked"));
        QVERIFY(!db.isOpen());
        // A statement on that connection carries the reason along.
        Query q(db, QStringLiteral("select * from s_user"));
        QVERIFY(!q.next());
        QVERIFY(q.locked());

        QVERIFY(holder.exec(QStringLiteral("COMMIT")));
        QVERIFY(db.open(t.path(), kKey, 150));
        QVERIFY(!db.locked());

        // Missing and unreadable files are not locks.
        Database other;
        QVERIFY(!other.open(t.dir() + QStringLiteral("/none.dll"), kKey));
        QVERIFY(!other.locked());
        QVERIFY(!other.open(t.path(), QByteArray("wrong key")));
        QVERIFY(!other.locked());
        QCOMPARE(Query(other, QStringLiteral("select 1")).locked(), false);
    }

    void shortLockIsWaitedForAtOpen()
    {
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        // Another program holds the file for a moment, as a backup copy would.
        std::promise<void> held;
        std::thread other([&] {
            Database holder;
            if (holder.open(t.path(), kKey) && holder.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
                held.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                (void)holder.exec(QStringLiteral("COMMIT"));
            } else {
                held.set_value();
            }
        });
        held.get_future().wait();
        Database db;
        const bool opened = db.open(t.path(), kKey, 5000);
        other.join();
        QVERIFY2(opened, qPrintable(db.lastError()));
        QVariant name;
        QCOMPARE(Query(db, QStringLiteral("select sys_name from s_user where id=1")).scalar(&name), Query::Fetch::Row);
        QCOMPARE(name.toString(), QStringLiteral("admin"));
    }

    void failedPrepareKeepsItsMessage()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("drop view s_z_all"));
        const QString expected = QStringLiteral("no such table: s_z_all");

        Query q(QStringLiteral("select f_name from s_z_all where f_class=:c"));
        QVERIFY(!q.isPrepared());
        QCOMPARE(q.error().message(), expected);
        q.bind(":c", QStringLiteral("Z"));
        QVERIFY(!q.exec());
        QCOMPARE(q.error().message(), expected);
        // reset() is how callers run a statement again; it must not wipe the reason.
        q.reset();
        QVERIFY(!q.ok());
        QVERIFY(!q.next());
        QCOMPARE(q.error().message(), expected);
        q.reset();
        QCOMPARE(q.fetch(), Query::Fetch::Failed);
        QCOMPARE(q.error().message(), expected);
        QVariant none;
        QCOMPARE(q.scalar(&none), Query::Fetch::Failed);
        QCOMPARE(q.error().message(), expected);

        // A new statement on the same object starts afresh.
        QVERIFY(q.prepare(QStringLiteral("select count(*) from s_user")));
        QVariant count;
        QCOMPARE(q.scalar(&count), Query::Fetch::Row);
        QCOMPARE(count.toLongLong(), 1LL);
        // No row is no failure.
        QVERIFY(q.prepare(QStringLiteral("select id from s_user where id=-1")));
        QCOMPARE(q.scalar(&count), Query::Fetch::NoRow);
        QVERIFY(q.ok());
        QVERIFY(q.ok());

        // The reads hand back the statement's error whole: its kind as well as its words.
        const DbError::Kind kind = DbError::Kind::Other;  // no such table
        QueryModel model;
        DbError error;
        QVERIFY(!model.setQuery(QStringLiteral("select * from s_z_all where s_date=:d"), {{":d", QDate(2012, 5, 1)}},
                                &error));
        QCOMPARE(error.message(), expected);
        QCOMPARE(error.kind(), kind);
        error = DbError();
        QVERIFY(!model.refresh(&error));
        QCOMPARE(error.message(), expected);
        QCOMPARE(error.kind(), kind);
        QCOMPARE(model.rowCount(), 0);

        LookupCombo combo;
        error = DbError();
        QVERIFY(!combo.load(QStringLiteral("select id, f_name from s_z_all"), QStringLiteral("id"),
                            QStringLiteral("f_name"), {}, &error));
        QCOMPARE(error.message(), expected);
        QCOMPARE(error.kind(), kind);
        QCOMPARE(combo.count(), 0);
        TEST_END
    }
};

QTEST_MAIN(TstDbFailures)
#include "tst_dbfailures.moc"
