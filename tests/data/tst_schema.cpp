// The numbered layout: a file of every earlier layout is brought to the
// current one at start, keeping what it holds, and ends up as a new file
// is; a step that fails leaves the version before it whole.
#include "data/DbBuilder.h"
#include "data/Schema.h"
#include "data/Tx_Data.h"
#include "tests/support/TestDb.h"

#include <QTest>

namespace {

// Tables with their columns (name, type, not null, default, key) and the
// indexes: the layout as the program sees it, whatever the statements' spelling.
QStringList layoutOf(Database& db)
{
    QStringList out;
    Query names(db,
                QStringLiteral("select type, name from sqlite_master where type in ('table','index','view','trigger') "
                               "and name not like 'sqlite%' order by type, name"));
    QList<QPair<QString, QString>> all;
    while (names.next())
        all.append({names.text(0), names.text(1)});
    for (const auto& [type, name] : all) {
        out << type + u' ' + name;
        if (type != u"table")
            continue;
        Query info(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(name));
        while (info.next())
            out << QStringLiteral("  %1 %2 %3 %4 %5")
                       .arg(info.text(1), info.text(2), info.text(3), info.text(4), info.text(5));
    }
    return out;
}

int versionOf(Database& db)
{
    int v = -1;
    return readSchemaVersion(db, &v) ? v : -1;
}

}  // namespace

class TstSchema : public QObject {
    Q_OBJECT
private slots:
    // What the file looked like, as statements on a new file of the current
    // layout; what it holds must survive the start.
    void everyEarlierLayoutIsUpgraded_data()
    {
        QTest::addColumn<QString>("earlier");
        QTest::addColumn<int>("isauto");     // -1: the file has no such setting
        QTest::addColumn<int>("imports");    // rows of s_import
        QTest::addColumn<QString>("meals");  // 餐饮's yearly amount ("-": none) and carry-over
        // The budget rows as delivered: SQLite cannot drop a column.
        const QString withoutSums
            = QStringLiteral("drop trigger h_shouru_insert; drop trigger h_shouru_delete; drop trigger h_shouru_update;"
                             "drop table h_yue; drop table h_stamp;");
        const QString withoutBudgetSteps
            = withoutSums
              + QStringLiteral("drop table y_tixing;"
                               "create table old_yushuan (id INTEGER PRIMARY KEY AUTOINCREMENT, f_id INTEGER NOT NULL,"
                               " y_money MONEY NOT NULL DEFAULT 0 CHECK (typeof(y_money) = 'integer'),"
                               " y_x TEXT CHECK (y_x IS NULL OR length(y_x) <= 50));"
                               "insert into old_yushuan select id, f_id, y_money, y_x from s_yushuan;"
                               "drop table s_yushuan; alter table old_yushuan rename to s_yushuan;"
                               "create index idx_yushuan_fenlei on s_yushuan (f_id);");
        const QString withoutHistory = withoutBudgetSteps + QStringLiteral("drop table j_huankuan;");
        const QString withoutPlans = withoutHistory + QStringLiteral("drop table p_done; drop table p_plan;");
        const QString withoutJournal
            = withoutPlans + QStringLiteral("drop table u_item; drop table u_action; drop table u_setting;");
        const QString withoutImports
            = withoutJournal + QStringLiteral("drop table s_import_line; drop table s_import;");
        QTest::newRow("an old backup, before the numbers")
            << withoutImports + QStringLiteral("drop table sys_autobak; PRAGMA user_version=0") << -1 << 0
            << QStringLiteral("- 0");
        QTest::newRow("delivered with the backup setting, before the numbers")
            << withoutImports + QStringLiteral("update sys_autobak set isauto=0; PRAGMA user_version=0") << 0 << 0
            << QStringLiteral("- 0");
        QTest::newRow("after a first import, before the numbers")
            << withoutJournal
                   + QStringLiteral(
                       "insert into s_import (i_file,i_time,i_count) values ('a.csv','2012-05-01 08:00:00',0);"
                       "PRAGMA user_version=0")
            << 1 << 1 << QStringLiteral("- 0");
        QTest::newRow("version 1") << withoutImports + QStringLiteral("PRAGMA user_version=1") << 1 << 0
                                   << QStringLiteral("- 0");
        QTest::newRow("version 2") << withoutJournal + QStringLiteral("PRAGMA user_version=2") << 1 << 0
                                   << QStringLiteral("- 0");
        QTest::newRow("version 3") << withoutPlans + QStringLiteral("PRAGMA user_version=3") << 1 << 0
                                   << QStringLiteral("- 0");
        QTest::newRow("version 4, with a loan part repaid")
            << withoutHistory
                   + QStringLiteral("insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_ruMoney,j_yuMoney) "
                                    "values ('Z','2011-01-02',1,500000,200000,300000); PRAGMA user_version=4")
            << 1 << 0 << QStringLiteral("- 0");
        QTest::newRow("version 5") << withoutBudgetSteps + QStringLiteral("PRAGMA user_version=5") << 1 << 0
                                   << QStringLiteral("- 0");
        QTest::newRow("version 5 with the yearly amount already added")
            << withoutBudgetSteps
                   + QStringLiteral("alter table s_yushuan add column y_year MONEY CHECK (y_year IS NULL OR "
                                    "typeof(y_year) = 'integer'); update s_yushuan set y_year=1230000 where f_id=1;"
                                    "PRAGMA user_version=5")
            << 1 << 0 << QStringLiteral("1230000 0");
        QTest::newRow("version 6, records written without the sums")
            << withoutSums
                   + QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date) values "
                                    "(3,1250,1,1,'2012-05-01'),(3,-50,1,1,'2012-05-31'),(3,700,1,2,'2012-06-01');"
                                    "PRAGMA user_version=6")
            << 1 << 0 << QStringLiteral("- 0");
        QTest::newRow("current") << QString() << 1 << 0 << QStringLiteral("- 0");
    }

    void everyEarlierLayoutIsUpgraded()
    {
        QFETCH(QString, earlier);
        QFETCH(int, isauto);
        QFETCH(int, imports);
        QFETCH(QString, meals);
        TEST_BEGIN
        TestDb fresh;
        QVERIFY2(fresh.ok(), qPrintable(fresh.error()));
        QStringList wanted;
        {
            Database db;
            QVERIFY(db.open(fresh.path(), QByteArray(kDatabasePassword)));
            QCOMPARE(versionOf(db), kSchemaVersion);  // as mkdb writes it
            wanted = layoutOf(db);
            QVERIFY(db.exec(QStringLiteral("insert into notebook (n_date,n_info) values ('2012-05-01','旧日记');")
                            + earlier));
        }
        QVERIFY(fresh.openShared());  // the folder the start opens
        Tx_Data start(Database::shared());
        QVERIFY(Database::shared().isOpen());
        QCOMPARE(versionOf(Database::shared()), kSchemaVersion);
        QCOMPARE(layoutOf(Database::shared()), wanted);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select n_info from notebook")), QStringLiteral("旧日记"));
        QCOMPARE(TestDb::sumsMismatch(), QStringList());  // records from before the sums are in them
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select isauto from sys_autobak")), qint64(isauto < 0 ? 1 : isauto));
        QCOMPARE(TestDb::count(QStringLiteral("s_import")), qint64(imports));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select ifnull(y_year,'-')||' '||y_jiezhuan from s_yushuan "
                                                   "where f_id=1")),
                 meals);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select sum(y_money) from s_yushuan")), qint64(55000000));
        // What loans had repaid before the history counts from their dates.
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(h_date||' '||h_money||' '||h_legacy) from "
                                                   "j_huankuan")),
                 QString(TestDb::count(QStringLiteral("s_jie")) ? "2011-01-02 200000 1" : ""));
        TEST_END
    }

    // A step that fails is undone whole: the file stays at the version
    // before it and still starts.
    void aFailingStepLeavesTheVersionBefore()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        {
            Database db;
            QVERIFY(db.open(t.path(), QByteArray(kDatabasePassword)));
            // A table of the step's name the step's index cannot be made on.
            QVERIFY(db.exec(QStringLiteral("drop table s_import_line; drop table s_import;"
                                           "create table s_import_line (id integer primary key, i_id integer);"
                                           "PRAGMA user_version=1")));
        }
        QVERIFY(t.openShared());
        Tx_Data start(Database::shared());
        QVERIFY(Database::shared().isOpen());
        QCOMPARE(versionOf(Database::shared()), 1);
        QCOMPARE(TestDb::count(QStringLiteral("sqlite_master where name='s_import'")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(1));
        TEST_END
    }
};

QTEST_GUILESS_MAIN(TstSchema)
#include "tst_schema.moc"
