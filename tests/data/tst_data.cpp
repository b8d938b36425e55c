// The database file, its views, the statement wrapper and the account totals.
#include "data/AccountTotals.h"
#include "data/Database.h"
#include "data/DbBuilder.h"
#include "data/Money.h"
#include "data/Tx_Data.h"
#include "tests/support/Driver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using Driver::addRecord;

class TstData : public QObject {
    Q_OBJECT

    static Money yuan(const char* text) { return *Money::parse(QString::fromUtf8(text)); }
    static Money accountMoney(const char* column, qint64 id)
    {
        Query q(QStringLiteral("select %1 from z_zhanghu where id=:id").arg(QString::fromLatin1(column)));
        q.bind(":id", id);
        return q.next() ? q.money(0) : Money::fromRaw(-1);
    }

    // SQLite stores the statement with its first two words in capitals.
    static bool viewsAreTheProgramsOwn()
    {
        const QString sql = QStringLiteral("select sql from sqlite_master where name='%1'");
        return TestDb::scalarText(sql.arg(QStringLiteral("v_fenlei"))).mid(11)
                   == QString::fromUtf8(kCreateVFenlei).mid(11)
               && TestDb::scalarText(sql.arg(QStringLiteral("s_z_all"))).mid(11)
                      == QString::fromUtf8(kCreateSZAll).mid(11);
    }

private slots:
    // A file of another key or none at all at the start: tst_startup.
    void fileIsEncrypted()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QFile f(t.path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.read(16).startsWith("SQLite format 3"));
        Database right;
        QVERIFY(right.open(t.path(), kDatabasePassword));
        // The command-line shell opens it with the one pragma, and not without it.
        const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (cli.isEmpty())
            QSKIP("sqlcipher shell not installed");
        auto shell = [&](const QString& script) {
            QProcess p;
            p.start(cli, {t.path()});
            p.write(script.toUtf8());
            p.closeWriteChannel();
            p.waitForFinished();
            return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        };
        QVERIFY(shell(QStringLiteral("select count(*) from s_user;\n")).contains(QStringLiteral("not a database")));
        QCOMPARE(
            shell(QStringLiteral("PRAGMA key='kvt7q5821wnb';\nselect sys_name from s_user where id=1;\n")).trimmed(),
            QStringLiteral("admin"));
        TEST_END
    }

    void mkdbRefusesToOverwrite()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.ok());
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into notebook (n_date,n_info) values ('2012-05-01','keep me')"));
        Database::shared().close();
        QString err;
        QVERIFY(!BuildDatabase(t.path(), BuildOptions(), &err));
        QVERIFY(err.contains(QStringLiteral("--force")));
        QVERIFY(t.openShared());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select n_info from notebook")), QStringLiteral("keep me"));
        Database::shared().close();
        BuildOptions force;
        force.force = true;
        QVERIFY(BuildDatabase(t.path(), force, &err));
        QVERIFY(t.openShared());
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from notebook")), qint64(0));
        TEST_END
    }

    void startReadsStartPageAndUpgradesViews()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        // As delivered: the program's views, the first start page, and every
        // top-level expense category with its budget row.
        QVERIFY(viewsAreTheProgramsOwn());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select skinx from sys_sys where id=1")), QStringLiteral("1"));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_id=0 and f_class='Z' and id not in (select f_id from "
                                              "s_yushuan)")),
                 qint64(0));
        // An old file: s_z_all of another shape, and no v_fenlei.
        TestDb::sql(QStringLiteral("drop view s_z_all; drop view v_fenlei; update sys_sys set skinx='3';"
                                   "create view s_z_all as select id, s_jine from s_shouru;"));
        Database::shared().close();
        {
            Tx_Data data(Database::shared());
            QVERIFY(data.isOpen());
            QCOMPARE(StartPageCode, QStringLiteral("3"));
            QCOMPARE(QDir::cleanPath(data.databasePath()), QDir::cleanPath(t.path()));
        }
        QVERIFY(viewsAreTheProgramsOwn());
        const qint64 version = TestDb::scalarInt(QStringLiteral("pragma schema_version"));
        Database::shared().close();
        Tx_Data again(Database::shared());
        QCOMPARE(TestDb::scalarInt(QStringLiteral("pragma schema_version")), version);  // untouched

        // Neither view: v_fenlei appears, the drop fails and s_z_all stays missing.
        TestDb::sql(QStringLiteral("drop view s_z_all; drop view v_fenlei;"));
        Tx_Data::UpgradeViews(Database::shared());
        QCOMPARE(TestDb::count(QStringLiteral("sqlite_master where name='v_fenlei'")), qint64(1));
        QCOMPARE(TestDb::count(QStringLiteral("sqlite_master where name='s_z_all'")), qint64(0));
        TEST_END
    }

    void viewsDropRecordsWithoutPartners()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        const qint64 zaocan = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='早餐'"));
        const qint64 gongzi = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='工资'"));
        TestDb::sql(QStringLiteral("insert into s_user (sys_name, sys_pwd) values ('b', '')"));
        const QDate may1(2012, 5, 1);
        const qint64 ok = addRecord({.categoryId = zaocan, .amount = "10", .date = may1});
        const qint64 wrongLetter = addRecord({.categoryId = gongzi, .amount = "20", .date = may1, .cls = "Z"});
        const qint64 noMember = addRecord({.categoryId = zaocan, .amount = "30", .date = may1, .member = 2});
        const qint64 noAccount = addRecord({.categoryId = zaocan, .amount = "40", .date = may1, .account = 99});
        TestDb::sql(QStringLiteral("delete from s_user where id=2"));
        auto inView = [](const char* view, qint64 id) {
            return TestDb::scalarInt(
                QStringLiteral("select count(*) from %1 where id=%2").arg(QString::fromLatin1(view)).arg(id));
        };
        for (const char* view : {"s_z_all", "v_flbb"}) {
            QCOMPARE(inView(view, ok), qint64(1));
            QCOMPARE(inView(view, wrongLetter), qint64(1));
            QCOMPARE(inView(view, noMember), qint64(0));
            QCOMPARE(inView(view, noAccount), qint64(0));
        }
        // The class comes from the category tree, not from the record.
        for (const char* view : {"s_z_all", "v_flbb"})
            QCOMPARE(
                TestDb::scalarText(
                    QStringLiteral("select f_class from %1 where id=%2").arg(QLatin1String(view)).arg(wrongLetter)),
                QStringLiteral("S"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select dfenlei from v_flbb where id=%1").arg(ok)),
                 QStringLiteral("餐饮"));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_ys")), qint64(1));
        // A category that lost its parent takes its records out of every view.
        TestDb::sql(QStringLiteral("delete from s_fenlei where f_name='餐饮'"));
        for (const char* view : {"s_z_all", "v_flbb"})
            QCOMPARE(inView(view, ok), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_ys")), qint64(0));  // it has no id; ok was its only row
        TEST_END
    }

    // Rows the schema refuses (text with quotes bound and read back: every
    // box of the tst_hostile_* tests).
    void constraintsRefuseBadRows()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        const QString category = QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (0,'Z',%1)");
        const QString move = QStringLiteral("insert into s_zhanghistory (zh1,%1) values (1,%2)");
        const QString record = QStringLiteral(
            "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_other,s_date) values (10,%1,1,1,'%2',"
            "'2012-05-01')");
        for (const QString& refused :
             {QStringLiteral("insert into s_user (sys_name) values ('  ')"),
              QStringLiteral("insert into s_user (sys_name) values ('admin')"), category.arg(QStringLiteral("'餐饮'")),
              category.arg(QStringLiteral("''")), category.arg(QStringLiteral("null")),
              category.arg(QStringLiteral("'%1'").arg(QString(51, u'字'))),
              move.arg(QStringLiteral("zh2,zXmoney"), QStringLiteral("2,10000")),
              move.arg(QStringLiteral("zdate,zXmoney"), QStringLiteral("'2012-05-01',10000")),
              move.arg(QStringLiteral("zh2,zdate"), QStringLiteral("2,'2012-05-01'")),
              record.arg(QStringLiteral("1.5"), QString()), record.arg(QStringLiteral("1"), QString(251, u'x'))})
            QVERIFY2(!Database::shared().exec(refused), qPrintable(refused));
        QVERIFY(Database::shared().exec(category.arg(QStringLiteral("'%1'").arg(QString(50, u'字')))));
        // An amount left out is 0, never empty.
        TestDb::sql(QStringLiteral("insert into z_zhanghu (z_name) values ('新账户')"));
        QCOMPARE(
            TestDb::scalarText(QStringLiteral("select typeof(z_qcje)||z_qcje from z_zhanghu where z_name='新账户'")),
            QStringLiteral("integer0"));
        TEST_END
    }

    // Dates are checked against a calendar by tst_fuzz_dates; a NULL date
    // (a record without one) is a row with NULL, not a failure.
    void dateFunctionsOfNull()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        QVariant year = 0;
        QCOMPARE(Query(QStringLiteral("select year(null)")).scalar(&year), Query::Fetch::Row);
        QVERIFY(year.isNull());
        TEST_END
    }

    void transactionsNestAndRollBack()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        {
            Transaction outer;
            TestDb::sql(QStringLiteral("insert into notebook (n_info) values ('a')"));
            {
                Transaction inner;
                TestDb::sql(QStringLiteral("insert into notebook (n_info) values ('b')"));
            }  // inner rolled back
            QVERIFY(outer.commit());
        }
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(n_info) from notebook")), QStringLiteral("a"));
        TEST_END
    }

    void recalcEdgeCases()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral(
            "insert into z_zhanghu (id,z_name,z_qcje) values (10,'A',10000000),(11,'B',0),(12,'Empty',5000000);"
            "insert into s_jie (j_class,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('S',10,10000000,3000000,7000000);"
            "insert into s_jie (j_class,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('Z',11,2000000,0,2000000);"
            "insert into s_jie (j_class,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('Z',99,2000000,0,2000000);"
            "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (10,10,'2012-05-01',500000);"
            "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (10,11,'2012-05-02',1000000);"
            "insert into s_user (id,sys_name) values (5,'gone');"
            "update z_zhanghu set z_shouru=123, z_yue=456 where id=12;"));
        const qint64 zaocan = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='早餐'"));
        const qint64 gongzi = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='工资'"));
        addRecord({.categoryId = zaocan, .amount = "12.5", .date = QDate(2012, 5, 1), .account = 10});
        addRecord({.categoryId = gongzi, .amount = "5000", .date = QDate(2012, 5, 10), .account = 10});
        // Of a member deleted below.
        addRecord({.categoryId = zaocan, .amount = "999", .date = QDate(2012, 5, 1), .member = 5, .account = 10});
        TestDb::sql(QStringLiteral("delete from s_user where id=5"));
        DbError err;
        QVERIFY2(RecalcAccountTotals(Database::shared(), &err), qPrintable(err.message()));

        QCOMPARE(accountMoney("z_jieru", 10), yuan("700"));
        QCOMPARE(accountMoney("z_zhuanru", 10), yuan("50"));
        QCOMPARE(accountMoney("z_zhuanchu", 10), yuan("150"));
        QCOMPARE(accountMoney("z_zhichu", 10), yuan("12.5"));  // the orphaned 999 does not count
        QCOMPARE(accountMoney("z_shouru", 10), yuan("5000"));
        QCOMPARE(accountMoney("z_yue", 10),
                 yuan("1000") + yuan("5000") + yuan("700") + yuan("50") - yuan("12.5") - yuan("150"));
        QCOMPARE(accountMoney("z_jiechu", 11), yuan("200"));
        QCOMPARE(accountMoney("z_yue", 11), yuan("100") - yuan("200"));
        for (const char* col : {"z_shouru", "z_zhichu", "z_jieru", "z_jiechu", "z_zhuanru", "z_zhuanchu"})
            QCOMPARE(accountMoney(col, 12), Money());
        QCOMPARE(accountMoney("z_yue", 12), yuan("500"));
        TEST_END
    }

    void recalcMatchesIndependentSums()
    {
        TEST_BEGIN
        BuildOptions o;
        o.demo = true;
        o.today = QDate(2012, 5, 31);
        TestDb t(o);
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        // Stale values everywhere first, then the rebuild.
        TestDb::sql(QStringLiteral(
            "update z_zhanghu set z_shouru=1,z_zhichu=2,z_jieru=3,z_jiechu=4,z_zhuanru=5,z_zhuanchu=6,z_yue=7"));
        QVERIFY(RecalcAccountTotals(Database::shared()));
        // Each balance worked out here, in another shape than the
        // program's: records through their category's parent and a member
        // that exists, loans by what is still open, transfers both ways.
        Query accounts(QStringLiteral(
            "select a.z_yue, coalesce(a.z_qcje,0)"
            " + coalesce((select sum(case p.f_class when 'S' then s.s_jine else -s.s_jine end) from s_shouru s"
            "   join s_fenlei c on c.id=s.f_fenleiid join s_fenlei p on p.id=c.f_id join s_user u on u.id=s.s_userid"
            "   where s.s_zhanghuid=a.id),0)"
            " + coalesce((select sum(case j_class when 'S' then 1 else -1 end * (j_chuMoney-j_ruMoney)) from s_jie"
            "   where z_id=a.id),0)"
            " + coalesce((select sum(zXmoney) from s_zhanghistory where zh2=a.id),0)"
            " - coalesce((select sum(zXmoney) from s_zhanghistory where zh1=a.id),0) from z_zhanghu a"));
        int n = 0;
        for (; accounts.next(); ++n)
            QCOMPARE(accounts.money(0), accounts.money(1));
        QCOMPARE(n, 3);
        TEST_END
    }

    void recalcIsAllOrNothing()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY(t.openShared());
        QVERIFY(RecalcAccountTotals(Database::shared()));
        TestDb::sql(
            QStringLiteral("insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,2,'2012-05-01',10000000);"
                           "update z_zhanghu set z_zhuanru=777, z_yue=888; drop table x_zc;"));
        DbError err;
        QVERIFY(!RecalcAccountTotals(Database::shared(), &err));
        QVERIFY(err.message().contains(QStringLiteral("x_zc")));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from z_zhanghu where z_zhuanru=777 and z_yue=888")),
                 TestDb::scalarInt(QStringLiteral("select count(*) from z_zhanghu")));
        TEST_END
    }
};

QTEST_GUILESS_MAIN(TstData)
#include "tst_data.moc"
