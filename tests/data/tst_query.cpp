// Statement results (rows, failures, where columns come from), the key/name
// loader, the data module pointer and the category deletions.
#include "data/Categories.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "tests/support/Failure.h"
#include "tests/support/TestDb.h"
#include "ui/QueryModel.h"

#include <QTest>
#include <memory>

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
    static qint64 categoryId(const char* name)
    {
        Query q(QStringLiteral("select id from s_fenlei where f_name=:n"));
        q.bind(":n", QString::fromUtf8(name));
        return q.next() ? q.integer(0) : 0;
    }
    static void addRecord(qint64 fenlei)
    {
        TestDb::sql(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "values (%1,10000,1,1,'2012-05-01','Z')")
                        .arg(fenlei));
    }
    static qint64 count(const char* table, const QString& where)
    {
        return TestDb::scalarInt(
            QStringLiteral("select count(*) from %1 where %2").arg(QString::fromLatin1(table), where));
    }

private slots:
    void init()
    {
        m_db = std::make_unique<TestDb>();
        QVERIFY2(m_db->ok(), qPrintable(m_db->error()));
        QVERIFY(m_db->openShared());
    }
    void cleanup() { m_db.reset(); }

    void fetchTellsEndFromFailure()
    {
        Query one(QStringLiteral("select sys_name from s_user where id=:id"));
        one.bind(":id", 1);
        QCOMPARE(one.fetch(), Query::Fetch::Row);
        QCOMPARE(one.text(0), QStringLiteral("admin"));
        QCOMPARE(one.fetch(), Query::Fetch::NoRow);
        QVERIFY(one.ok());

        Query none(QStringLiteral("select sys_name from s_user where id=-1"));
        QCOMPARE(none.fetch(), Query::Fetch::NoRow);

        // Fails while stepping (integer overflow), not while preparing.
        Query overflow(QStringLiteral("select abs(-9223372036854775807-1)"));
        QVERIFY(overflow.isPrepared());
        QCOMPARE(overflow.fetch(), Query::Fetch::Failed);
        QVERIFY(overflow.error().message().contains(QStringLiteral("overflow")));

        Query bad(QStringLiteral("select nothing from nowhere"));
        QCOMPARE(bad.fetch(), Query::Fetch::Failed);
        QVERIFY(bad.error().message().contains(QStringLiteral("nowhere")));
    }

    void columnOrigin_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("origin");
        QTest::newRow("table column") << "select f_name from s_fenlei"
                                      << "f_name"
                                      << "s_fenlei"
                                      << "f_name";
        QTest::newRow("alias") << "select zdate as 转账时间 from s_zhanghistory"
                               << "转账时间"
                               << "s_zhanghistory"
                               << "zdate";
        QTest::newRow("aliased table") << "select c.f_pinyin from s_fenlei as c"
                                       << "f_pinyin"
                                       << "s_fenlei"
                                       << "f_pinyin";
        QTest::newRow("expression") << "select s_jine*2 as twice from s_shouru"
                                    << "twice"
                                    << ""
                                    << "";
        QTest::newRow("aggregate") << "select sum(s_jine) as a from s_shouru"
                                   << "a"
                                   << ""
                                   << "";
        QTest::newRow("view column") << "select z_name from s_z_all"
                                     << "z_name"
                                     << "z_zhanghu"
                                     << "z_name";
        QTest::newRow("aliased in the view") << "select ff_name from v_fenlei"
                                             << "ff_name"
                                             << "s_fenlei"
                                             << "f_name";
        QTest::newRow("sub-select") << "select n from (select sys_name as n from s_user)"
                                    << "n"
                                    << "s_user"
                                    << "sys_name";
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

    void deleteTopCategoryCascades()
    {
        TEST_BEGIN
        const qint64 top = categoryId("餐饮"), breakfast = categoryId("早餐"), salary = categoryId("工资");
        addRecord(breakfast);
        addRecord(salary);
        addRecord(9999);  // a record whose category is already gone is swept too
        const qint64 budgets = count("s_yushuan", QStringLiteral("1"));

        // A failure at the last statement undoes the three before it.
        TestDb::sql(
            QStringLiteral("create trigger keep before delete on s_shouru begin select raise(abort,'kept'); end"));
        const QString before = contents();
        DbError error;
        QVERIFY(!deleteTopCategory(Database::shared(), top, &error));
        QCOMPARE(error.message(), QStringLiteral("kept"));
        QCOMPARE(contents(), before);

        TestDb::sql(QStringLiteral("drop trigger keep"));
        QVERIFY2(deleteTopCategory(Database::shared(), top, &error), qPrintable(error));
        QCOMPARE(count("s_fenlei", QStringLiteral("id=%1 or f_id=%1").arg(top)), qint64(0));
        QCOMPARE(count("s_yushuan", QStringLiteral("1")), budgets - 1);
        QCOMPARE(count("s_yushuan", QStringLiteral("f_id=%1").arg(top)), qint64(0));
        QCOMPARE(count("s_shouru", QStringLiteral("1")), qint64(1));
        QCOMPARE(count("s_shouru", QStringLiteral("f_fenleiid=%1").arg(salary)), qint64(1));
        QVERIFY(categoryId("日常用品") != 0);
        TEST_END
    }

    void deleteSubCategoryTakesItsRecords()
    {
        TEST_BEGIN
        const qint64 breakfast = categoryId("早餐"), lunch = categoryId("午餐");
        addRecord(breakfast);
        addRecord(breakfast);
        addRecord(lunch);

        TestDb::sql(
            QStringLiteral("create trigger keep before delete on s_shouru begin select raise(abort,'kept'); end"));
        const QString before = contents();
        DbError error;
        QVERIFY(!deleteSubCategory(Database::shared(), breakfast, &error));
        QCOMPARE(error.message(), QStringLiteral("kept"));
        QCOMPARE(contents(), before);

        TestDb::sql(QStringLiteral("drop trigger keep"));
        QVERIFY2(deleteSubCategory(Database::shared(), breakfast, &error), qPrintable(error));
        QCOMPARE(categoryId("早餐"), qint64(0));
        QVERIFY(categoryId("餐饮") != 0);
        QCOMPARE(count("s_shouru", QStringLiteral("1")), qint64(1));
        QCOMPARE(count("s_shouru", QStringLiteral("f_fenleiid=%1").arg(lunch)), qint64(1));
        TEST_END
    }
};

QTEST_GUILESS_MAIN(TstQuery)
#include "tst_query.moc"
