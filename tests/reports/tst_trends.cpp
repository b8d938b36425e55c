// Net worth at each month end: the last point is the desktop's figures, and
// every earlier point is what the desktop would have shown had nothing been
// recorded after that month (the file cut back inside a rolled-back
// transaction and the account totals rebuilt: an independent reckoning).
#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/Loans.h"
#include "reports/Trends.h"
#include "tests/support/Driver.h"

#include <QTest>

#include <utility>

using namespace Driver;

namespace {
BuildOptions demo()
{
    BuildOptions o;
    o.demo = true;
    o.today = PageFixture::defaultNow().date();
    return o;
}

// What the desktop shows: balances, lent, borrowed.
QList<qint64> desktop()
{
    Query q(QStringLiteral("select sum(z_yue), sum(z_jiechu), sum(z_jieru) from z_zhanghu"));
    q.fetch();
    return {q.money(0).raw(), q.money(1).raw(), q.money(2).raw()};
}

QList<qint64> figures(const WorthPoint& p) { return {p.funds.raw(), p.lent.raw(), p.borrowed.raw()}; }

// The odd rows the totals leave out or count in their own way.
const char* const kOddRows
    = "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
      "select id, 1230000, 1, 1, '2013-02-01', 'Z' from s_fenlei where f_name='早餐';"  // dated after today
      "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
      "select id, 4560000, 99, 1, '2012-03-01', 'Z' from s_fenlei where f_name='早餐';"  // a member that is gone
      "insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('Z',null,1,500000,0,500000);"
      "insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('S','2011-12-05',1,900000,"
      "100000,800000);"
      "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,77,'2011-11-11',3000000)";  // to an account gone
}  // namespace

class TstTrends : public QObject {
    Q_OBJECT
private slots:
    void pointsAreWhatTheDesktopShowedThen_data()
    {
        QTest::addColumn<QDate>("monthEnd");
        for (const char* d : {"2011-05-31", "2011-11-30", "2011-12-31", "2012-02-29", "2012-03-31", "2012-04-30"})
            QTest::newRow(d) << QDate::fromString(QString::fromLatin1(d), Qt::ISODate);
    }
    void pointsAreWhatTheDesktopShowedThen()
    {
        QFETCH(QDate, monthEnd);
        TEST_BEGIN
        PageFixture f(PageFixture::defaultNow(), demo());
        TestDb::sql(QString::fromLatin1(kOddRows));
        // A loan lent in December, repaid in part in March and in April, as
        // the loans page saves it.
        TestDb::sql(QStringLiteral("insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_ruMoney,j_yuMoney,j_other) "
                                   "values ('Z','2011-12-20',2,10000000,0,10000000,'借给小张')"));
        const std::pair<QDate, int> repaid[] = {{QDate(2012, 3, 10), 3000000}, {QDate(2012, 4, 2), 5000000}};
        for (const auto& [day, amount] : repaid) {
            f.setNow(QDateTime(day, QTime(9, 0)));
            TestDb::sql(QStringLiteral("update s_jie set j_ruMoney=%1 where j_other='借给小张'").arg(amount));
            QVERIFY(updateLoanOutstanding(Database::shared()));
        }
        f.setNow(PageFixture::defaultNow());
        QCOMPARE(TestDb::texts(QStringLiteral("select h_date||' '||h_money from j_huankuan where j_id="
                                              "(select id from s_jie where j_other='借给小张')")),
                 (QStringList{"2012-03-10 3000000", "2012-04-02 2000000"}));
        const QDate today = Clock::today();
        QList<WorthPoint> points;
        QVERIFY(netWorthSeries(Database::shared(), QDate(2011, 1, 1), today, today, &points));
        QCOMPARE(points.size(), 17);
        QVERIFY(RecalcAccountTotals(Database::shared()));
        QCOMPARE(figures(points.last()), desktop());
        const auto at
            = std::find_if(points.begin(), points.end(), [&](const WorthPoint& p) { return p.monthEnd == monthEnd; });
        QVERIFY(at != points.end());
        Transaction cut(Database::shared());
        const QString d = dateText(monthEnd);
        // Repayments dated later are taken back out of the repaid amounts.
        TestDb::sql(
            QStringLiteral("delete from s_shouru where s_date>'%1'; delete from s_zhanghistory where zdate>'%1';"
                           "delete from s_jie where j_date>'%1';"
                           "update s_jie set j_ruMoney = j_ruMoney - coalesce((select sum(h_money) from "
                           "j_huankuan h where h.j_id = s_jie.id and h.h_legacy = 0 and h.h_date > '%1'), 0);"
                           "update s_jie set j_yuMoney = j_chuMoney - j_ruMoney")
                .arg(d));
        QVERIFY(RecalcAccountTotals(Database::shared()));
        QCOMPARE(figures(*at), desktop());
        QCOMPARE(at->net(), at->funds + at->lent - at->borrowed);
        cut.rollback();
        TEST_END
    }
};

QTEST_MAIN(TstTrends)
#include "tst_trends.moc"
