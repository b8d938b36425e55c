// Statement results (rows, failures, where columns come from), the key/name
// loader, the data module pointer and the category deletions.
#include "data/Categories.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "tests/support/Driver.h"
#include "ui/QueryModel.h"

#include <QTest>
#include <memory>

using Driver::categoryId;

class TstQuery : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDb> m_db;

    // Every row of the tables a category deletion touches, to tell "nothing
    // changed" from "something changed".
    static QString contents()
    {
        return TestDb::scalarText(
            QStringLiteral("select (select group_concat(id||'/'||f_id||'/'||f_name) from s_fenlei) || '|' || "
                           "(select group_concat(id||'/'||f_id) from s_yushuan) || '|' || "
                           "(select group_concat(id||'/'||f_fenleiid) from s_shouru)"));
    }
    static void addRecord(qint64 fenlei)
    {
        TestDb::sql(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "values (%1,10000,1,1,'2012-05-01','Z')")
                        .arg(fenlei));
    }

private slots:
    void init()
    {
        m_db = std::make_unique<TestDb>();
        QVERIFY2(m_db->ok(), qPrintable(m_db->error()));
        QVERIFY(m_db->openShared());
    }
    void cleanup() { m_db.reset(); }

    // A statement that fails to prepare, and one without rows:
    // tst_dbfailures::failedPrepareKeepsItsMessage.
    void fetchTellsEndFromFailure()
    {
        Query one(QStringLiteral("select sys_name from s_user where id=:id"));
        one.bind(":id", 1);
        QCOMPARE(one.fetch(), Query::Fetch::Row);
        QCOMPARE(one.text(0), QStringLiteral("admin"));
        QCOMPARE(one.fetch(), Query::Fetch::NoRow);
        QVERIFY(one.ok());

        // Fails while stepping (integer overflow), not while preparing.
        Query overflow(QStringLiteral("select abs(-9223372036854775807-1)"));
        QVERIFY(overflow.isPrepared());
        QCOMPARE(overflow.fetch(), Query::Fetch::Failed);
        QVERIFY(overflow.error().message().contains(QStringLiteral("overflow")));
    }

    void columnOrigin_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("origin");
        auto row = [](const char* tag, const char* sql, const char* name, const char* table, const char* origin) {
            QTest::newRow(tag) << QString::fromUtf8(sql) << QString::fromUtf8(name) << QString::fromLatin1(table)
                               << QString::fromLatin1(origin);
        };
        row("table column", "select f_name from s_fenlei", "f_name", "s_fenlei", "f_name");
        row("alias", "select zdate as 转账时间 from s_zhanghistory", "转账时间", "s_zhanghistory", "zdate");
        row("aliased table", "select c.f_pinyin from s_fenlei as c", "f_pinyin", "s_fenlei", "f_pinyin");
        row("expression", "select s_jine*2 as twice from s_shouru", "twice", "", "");
        row("aggregate", "select sum(s_jine) as a from s_shouru", "a", "", "");
        row("view column", "select z_name from s_z_all", "z_name", "z_zhanghu", "z_name");
        row("aliased in the view", "select ff_name from v_fenlei", "ff_name", "s_fenlei", "f_name");
        row("sub-select", "select n from (select sys_name as n from s_user)", "n", "s_user", "sys_name");
    }
    void columnOrigin()
    {
        QFETCH(QString, sql);
        QFETCH(QString, name);
        QFETCH(QString, table);
        QFETCH(QString, origin);
        Query q(sql);
        QVERIFY2(q.isPrepared(), qPrintable(q.error()));
        QCOMPARE(q.columnName(0), name);
        QCOMPARE(q.columnTable(0), table);
        QCOMPARE(q.columnOrigin(0), origin);
        QVERIFY(q.columnTable(1).isEmpty());  // past the last column
    }

    void columnIndexIgnoresCase()
    {
        Query q(QStringLiteral("select id, F_Name as Na from s_fenlei"));
        QCOMPARE(q.columnIndex(QStringLiteral("NA")), 1);
        QCOMPARE(q.columnIndex(QStringLiteral("ID")), 0);
        QCOMPARE(q.columnIndex(QStringLiteral("f_name")), -1);  // the alias hides it
        QCOMPARE(indexOfName({}, QStringLiteral("id")), -1);
    }

    void keyNames()
    {
        TEST_BEGIN
        KeyNames items;
        DbError error;
        QVERIFY2(loadKeyNames(QStringLiteral("select id, f_name from s_fenlei where f_id=:p order by id"), {{":p", 20}},
                              QStringLiteral("ID"), QStringLiteral("f_name"), items, &error),
                 qPrintable(error.message()));
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0].second, QStringLiteral("工资"));
        QCOMPARE(items[0].first.toLongLong(), categoryId("工资"));

        QVERIFY(!loadKeyNames(QStringLiteral("select id from s_fenlei"), {}, QStringLiteral("id"),
                              QStringLiteral("f_name"), items, &error));
        QVERIFY(error.message().contains(QStringLiteral("f_name")));
        error = DbError();
        QVERIFY(!loadKeyNames(QStringLiteral("select id, f_name from nowhere"), {}, QStringLiteral("id"),
                              QStringLiteral("f_name"), items, &error));
        QVERIFY(error.message().contains(QStringLiteral("nowhere")));
        QVERIFY(items.isEmpty());
        TEST_END
    }

    void dataModulePointerFollowsItsObject()
    {
        Database::shared().close();
        QCOMPARE(x_Data, nullptr);
        {
            Tx_Data first(Database::shared());
            QCOMPARE(x_Data, &first);
            {
                Tx_Data second(Database::shared());
                QCOMPARE(x_Data, &first);  // the first one keeps it
            }
            QCOMPARE(x_Data, &first);
        }
        QCOMPARE(x_Data, nullptr);
    }

    // A category deletion runs as one: a failure at its last statement (the
    // records) undoes the ones before it; without it the category goes with
    // its records (a top one with its sub-categories and budget row, and any
    // record whose category is already gone), and nothing else.
    void deleteCategory_data()
    {
        QTest::addColumn<bool>("top");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("categoriesLeft");  // of 餐饮 and its sub-categories
        QTest::addColumn<QString>("recordsLeft");     // of 早餐, 午餐, 工资 (and a gone one)
        QTest::newRow("top") << true << QStringLiteral("餐饮") << QString() << QStringLiteral("工资");
        QTest::newRow("sub") << false << QStringLiteral("早餐") << QStringLiteral("餐饮,午餐,晚餐,水果零食")
                             << QStringLiteral("午餐,工资");
    }
    void deleteCategory()
    {
        QFETCH(bool, top);
        QFETCH(QString, name);
        QFETCH(QString, categoriesLeft);
        QFETCH(QString, recordsLeft);
        TEST_BEGIN
        const qint64 id = categoryId(name), canyin = categoryId("餐饮");
        for (const char* c : {"早餐", "午餐", "工资"})
            addRecord(categoryId(c));
        if (top)
            addRecord(9999);  // swept by a top deletion
        const qint64 budgets = TestDb::count(QStringLiteral("s_yushuan"));
        auto remove = top ? deleteTopCategory : deleteSubCategory;

        TestDb::sql(
            QStringLiteral("create trigger keep before delete on s_shouru begin select raise(abort,'kept'); end"));
        const QString before = contents();
        DbError error;
        QVERIFY(!remove(Database::shared(), id, &error));
        QCOMPARE(error.message(), QStringLiteral("kept"));
        QCOMPARE(contents(), before);

        TestDb::sql(QStringLiteral("drop trigger keep"));
        QVERIFY2(remove(Database::shared(), id, &error), qPrintable(error));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(f_name) from (select f_name from s_fenlei "
                                                   "where id=%1 or f_id=%1 order by id)")
                                        .arg(canyin)),
                 categoriesLeft);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(coalesce(c.f_name,'gone')) from (select * "
                                                   "from s_shouru order by id) s left join s_fenlei c on "
                                                   "c.id=s.f_fenleiid")),
                 recordsLeft);
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan")), budgets - (top ? 1 : 0));
        QCOMPARE(TestDb::count(QStringLiteral("s_yushuan where f_id not in (select id from s_fenlei)")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("s_fenlei where f_name='日常用品'")), qint64(1));
        TEST_END
    }
};

QTEST_GUILESS_MAIN(TstQuery)
#include "tst_query.moc"
