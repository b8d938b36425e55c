// The records' monthly sums against the records themselves: every figure
// read from the sums (account totals, the desktop's rankings and months,
// sums over date ranges) equals the same figure summed from the records'
// own view, on twenty years of records and after the changes that move
// records out of the view (a member, account or category gone, a category
// moved to the other class) or out of the file.
#include "app/Tf_main.h"
#include "data/AccountTotals.h"
#include "data/Household.h"
#include "data/Sums.h"
#include "data/Tx_Data.h"
#include "tests/support/TestDb.h"

#include <QTest>

namespace {

// The figures over from..to from the sums and from the records' views, where they differ.
QStringList rangeDisagreements(const QDate& from, const QDate& to)
{
    // Every record; as the records' view shows one class and one member; by
    // month and top-level category as the reports' view shows them.
    const QList<QPair<QString, QString>> figures{
        {QStringLiteral("select coalesce(sum(jine),0)||' '||coalesce(sum(n),0) from (%1)").arg(spanRowsSql()),
         QStringLiteral("select coalesce(sum(s_jine),0)||' '||count(*) from s_shouru where s_date between :a and "
                        ":b")},
        {QStringLiteral("select coalesce(sum(s_jine),0)||' '||coalesce(sum(n),0) from %1 where f_class='Z' and "
                        "sys_name=(select sys_name from s_user order by id limit 1)")
             .arg(spanViewSql()),
         QStringLiteral("select coalesce(sum(s_jine),0)||' '||count(*) from s_z_all where s_date between :a and "
                        ":b and f_class='Z' and sys_name=(select sys_name from s_user order by id limit 1)")},
        {QStringLiteral("select group_concat(x,',') from (select s_month||dfenlei||'='||sum(s_jine) as x from %1"
                        " group by s_month, dfenlei order by s_month, dfenlei)")
             .arg(spanViewSql(true)),
         QStringLiteral("select group_concat(x,',') from (select substr(s_date,1,7)||dfenlei||'='||sum(s_jine) as "
                        "x from v_flbb where s_date between :a and :b group by substr(s_date,1,7), dfenlei"
                        " order by substr(s_date,1,7), dfenlei)")}};
    QStringList out;
    for (const auto& [fromSums, fromRecords] : figures) {
        Query sums(fromSums);
        bindSpan(sums, from, to);
        Query records(fromRecords);
        records.bind(":a", from).bind(":b", to);
        if (!sums.next() || !records.next() || sums.text(0) != records.text(0))
            out << QStringLiteral("%1..%2: %3 | %4")
                       .arg(dateText(from), dateText(to), sums.text(0) + sums.error().message(),
                            records.text(0) + records.error().message());
    }
    return out;
}

// Every figure both ways, as "what: from sums | from records" where they differ.
QStringList disagreements()
{
    QStringList out;
    auto compare = [&](const QString& what, const QStringList& sums, const QStringList& records) {
        if (sums != records)
            out << what + QStringLiteral(": ") + sums.join(u',') + QStringLiteral(" | ") + records.join(u',');
    };
    for (const QString& line : TestDb::sumsMismatch())
        out << line;
    DbError error;
    if (!RecalcAccountTotals(Database::shared(), &error))
        return out << error.message();
    compare(QStringLiteral("accounts"),
            TestDb::texts(QStringLiteral("select id||':'||z_shouru||':'||z_zhichu from z_zhanghu order by id")),
            TestDb::texts(QStringLiteral(
                "select z.id||':'||(select coalesce(sum(s_jine),0) from s_z_all where s_zhanghuid=z.id and "
                "f_class='S')||':'||(select coalesce(sum(s_jine),0) from s_z_all where s_zhanghuid=z.id and "
                "f_class='Z') from z_zhanghu z order by z.id")));
    for (const char* c : {"S", "Z"}) {
        QStringList ranking;
        Query q(QString::fromUtf8(kDesktopRankingSql));
        q.bind(":c", QString::fromLatin1(c));
        while (q.next())
            ranking << q.text(0) + u'=' + q.text(1);
        compare(QStringLiteral("ranking ") + QLatin1String(c), ranking,
                TestDb::texts(QStringLiteral("select v.f_name||'='||sum(s.s_jine) from s_shouru s"
                                             " join v_fenlei v on v.id=s.f_fenleiid join s_user u on u.id=s.s_userid"
                                             " join z_zhanghu z on z.id=s.s_zhanghuid where v.f_class='%1'"
                                             " group by s.f_fenleiid order by sum(s.s_jine) desc, s.f_fenleiid")
                                  .arg(QLatin1String(c))));
    }
    const QStringList months = TestDb::texts(QStringLiteral("select distinct substr(s_date,1,7) from s_shouru"));
    for (const QString& month : months.mid(0, 3) + months.mid(months.size() - 3)) {
        for (const char* c : {"S", "Z"}) {
            Query q(QString::fromUtf8(kDesktopMonthSql));
            q.bind(":m", month).bind(":c", QString::fromLatin1(c));
            q.next();
            compare(QStringLiteral("month ") + month + QLatin1String(c), {q.text(0)},
                    {TestDb::scalarText(QStringLiteral("select sum(s_jine) from s_z_all where substr(s_date,1,7)='%1' "
                                                       "and f_class='%2'")
                                            .arg(month, QLatin1String(c)))});
        }
    }
    for (const auto& [from, to] :
         {std::pair{QDate(1992, 5, 21), QDate(2012, 5, 20)}, std::pair{QDate(2005, 3, 2), QDate(2007, 2, 27)}})
        out << rangeDisagreements(from, to);
    return out;
}

}  // namespace

class TstSums : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BuildOptions o;
        o.records = 6000;
        o.today = QDate(2012, 5, 20);
        m_db = new TestDb(o);
        QVERIFY2(m_db->ok(), qPrintable(m_db->error()));
        QVERIFY(m_db->openShared());
        m_start = new Tx_Data(Database::shared());
    }
    void cleanupTestCase()
    {
        delete m_start;
        Database::shared().close();
        delete m_db;
    }

    // A range's sum and count from the sums equal the records' over the same days.
    void rangesAgree_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("twenty years") << QDate(1992, 5, 21) << QDate(2012, 5, 20);
        QTest::newRow("whole months") << QDate(2005, 3, 1) << QDate(2007, 2, 28);
        QTest::newRow("ragged ends") << QDate(2005, 3, 2) << QDate(2007, 2, 27);
        QTest::newRow("within a month") << QDate(2008, 2, 3) << QDate(2008, 2, 28);
        QTest::newRow("a leap February whole") << QDate(2008, 2, 1) << QDate(2008, 2, 29);
        QTest::newRow("one day") << QDate(2010, 12, 31) << QDate(2010, 12, 31);
        QTest::newRow("month end to the next month's start") << QDate(2010, 12, 31) << QDate(2011, 1, 1);
        QTest::newRow("the last day of one month to the first of the third")
            << QDate(2010, 10, 31) << QDate(2011, 1, 1);
        QTest::newRow("reversed") << QDate(2011, 1, 1) << QDate(2010, 1, 1);
        QTest::newRow("far past to far future") << QDate(1900, 1, 1) << QDate(2100, 1, 1);
    }
    void rangesAgree()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        TEST_BEGIN
        QCOMPARE(rangeDisagreements(from, to), QStringList());
        TEST_END
    }

    // Each change in turn, on the file the ones before left.
    void figuresAgree_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("as built") << QString();
        QTest::newRow("records moved to another month, category, member and account")
            << QStringLiteral("update s_shouru set s_date=date(s_date,'+17 days'), f_fenleiid=f_fenleiid+1 "
                              "where id%7=0; update s_shouru set s_jine=s_jine*3, s_zhanghuid=2 where id%11=0");
        QTest::newRow("a member gone, its records left") << QStringLiteral(
            "insert into s_user (sys_name) values ('临时'); update s_shouru set s_userid=(select max(id) from s_user) "
            "where id%5=0; delete from s_user where id=(select max(id) from s_user)");
        QTest::newRow("an account gone, its records left")
            << QStringLiteral("update s_shouru set s_zhanghuid=3 where id%9=0; delete from z_zhanghu where id=3");
        QTest::newRow("a category moved to the other class")
            << QStringLiteral("update s_fenlei set f_id=(select min(id) from s_fenlei where f_id=0 and f_class='S') "
                              "where id=(select f_fenleiid from s_shouru group by f_fenleiid order by count(*) desc "
                              "limit 1)");
        QTest::newRow("a top-level category gone, its subcategories left")
            << QStringLiteral("delete from s_fenlei where id=(select min(id) from s_fenlei where f_id=0)");
        QTest::newRow("records deleted") << QStringLiteral("delete from s_shouru where id%3=0");
        QTest::newRow("records inserted") << QStringLiteral(
            "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date) select f_fenleiid,s_jine+1,"
            "s_userid,s_zhanghuid,date(s_date,'-1 year') from s_shouru where id%4=1");
    }
    void figuresAgree()
    {
        QFETCH(QString, change);
        TEST_BEGIN
        if (!change.isEmpty())
            TestDb::sql(change);
        QCOMPARE(disagreements(), QStringList());
        TEST_END
    }

    // A file whose sums another layout built, or whose sums are wrong, gets them built anew.
    void rebuiltWhenNotTrusted()
    {
        TEST_BEGIN
        TestDb::sql(QStringLiteral("update h_stamp set h_layout=0; update h_yue set h_jine=h_jine+1"));
        bool covered = false;
        QVERIFY(sumsCoverRecords(Database::shared(), &covered));
        QVERIFY(covered);  // the counts still agree: only the stamp tells
        QVERIFY(ensureSums(Database::shared()));
        QCOMPARE(TestDb::sumsMismatch(), QStringList());
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select h_layout from h_stamp")), qint64(kSumsLayout));
        TestDb::sql(QStringLiteral("delete from h_yue where h_month=(select min(h_month) from h_yue)"));
        QVERIFY(sumsCoverRecords(Database::shared(), &covered));
        QVERIFY(!covered);
        TEST_END
    }

    // Clearing every record leaves no sums (and is fast: no trigger work per group).
    void clearingLeavesNoSums()
    {
        TEST_BEGIN
        QVERIFY(clearAllRecords(Database::shared()));
        QCOMPARE(TestDb::count(QStringLiteral("h_yue")), qint64(0));
        QCOMPARE(disagreements(), QStringList());
        TEST_END
    }

private:
    TestDb* m_db = nullptr;
    Tx_Data* m_start = nullptr;
};

QTEST_GUILESS_MAIN(TstSums)
#include "tst_sums.moc"
