// Net worth at each month end: the last point is the desktop's figures, and
// every earlier point is what the desktop would have shown had nothing been
// recorded after that month (the file cut back inside a rolled-back
// transaction and the account totals rebuilt: an independent reckoning).
#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/Loans.h"
#include "reports/Tf_qushi.h"
#include "reports/Trends.h"
#include "tests/support/Driver.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"

#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
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
    if (q.fetch() != Query::Fetch::Row)
        return {};
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
// Two years of a small household: 2010 and the year under test, 2011.
void handMadeYears()
{
    const qint64 mum = addMember(QStringLiteral("妈妈"));
    addRecord(QStringLiteral("工资"), QStringLiteral("10000"), QDate(2010, 6, 1));
    addRecord(QStringLiteral("午餐"), QStringLiteral("1000"), QDate(2010, 6, 2));
    addRecord(QStringLiteral("工资"), QStringLiteral("8000"), QDate(2011, 1, 10));
    addRecord(QStringLiteral("工资"), QStringLiteral("4000"), QDate(2011, 7, 10), QString(), mum);
    addRecord(QStringLiteral("午餐"), QStringLiteral("300"), QDate(2011, 1, 5));
    addRecord(QStringLiteral("晚餐"), QStringLiteral("200"), QDate(2011, 3, 8), QString(), mum);
    addRecord(QStringLiteral("房租物业"), QStringLiteral("2500"), QDate(2011, 3, 1), QStringLiteral("三月房租"));
    addRecord(QStringLiteral("打车"), QStringLiteral("50"), QDate(2011, 9, 9), QString(), mum);
    addRecord(QStringLiteral("水电燃气"), QStringLiteral("100"), QDate(2011, 12, 31));
}

// A month's sum of one class straight from the records and their categories.
Money monthSum(int year, int month, const char* cls, const QString& top)
{
    Query q(QStringLiteral("select sum(s.s_jine) from s_shouru s join s_fenlei c on c.id = s.f_fenleiid "
                           "join s_fenlei p on p.id = c.f_id where p.f_class = :c and s.s_date between :a and :b "
                           "and (:t = '' or p.f_name = :t)"));
    const QDate first(year, month, 1);
    q.bind(":c", cls)
        .bind(":a", first)
        .bind(":b", first.addMonths(1).addDays(-1))
        .bind(":t", top.isNull() ? QStringLiteral("") : top);
    return q.fetch() == Query::Fetch::Row ? q.money(0) : Money::fromRaw(-1);
}
}  // namespace

class TstTrends : public QObject {
    Q_OBJECT
private slots:
    // Long ranges: month bars up to 36 months, then one bar per year; never
    // more than 24 labels under a chart, fewer when they would not fit.
    void longRangesStayReadable_data()
    {
        QTest::addColumn<int>("months");
        QTest::addColumn<int>("bars");
        QTest::newRow("a year") << 12 << 12;
        QTest::newRow("36 months") << 36 << 36;
        QTest::newRow("37 months") << 37 << 4;
        QTest::newRow("20 years") << 240 << 20;
        QTest::newRow("40 years") << 480 << 40;
    }
    void longRangesStayReadable()
    {
        QFETCH(int, months);
        QFETCH(int, bars);
        TEST_BEGIN
        QStringList labels;
        QList<Money> values;
        for (QDate m(1990, 1, 1); labels.size() < months; m = m.addMonths(1)) {
            labels << m.toString(QStringLiteral("yyyy-MM"));
            values << Money::fromYuan(labels.size());
        }
        const Charts::Periods p = Charts::monthsOrYears(labels, {values});
        QCOMPARE(p.labels.size(), bars);
        Money sum;
        for (Money m : p.values[0])
            sum += m;
        QCOMPARE(sum, Money::fromYuan(qint64(months) * (months + 1) / 2));
        QWidget host;
        host.resize(760, 400);
        QChartView* view = Charts::makeView(&host, QStringLiteral("chart"));
        view->resize(760, 400);
        Charts::BarOptions o;
        o.valueLabels = true;
        Charts::setBars(view, p.labels, Charts::toDoubles(p.values[0]), o);
        const QStringList shown = Charts::shownAxisLabels(view);
        QVERIFY(shown.size() <= Charts::kMaxAxisLabels && !shown.isEmpty());
        QCOMPARE(shown.first(), p.labels.first());
        QCOMPARE(barLabels(&host, QStringLiteral("chart")), p.labels);  // every bar keeps its label
        Charts::setLines(view, labels, {{QStringLiteral("净资产"), Charts::toDoubles(values), Qt::black}});
        QVERIFY(Charts::shownAxisLabels(view).size() <= Charts::kMaxAxisLabels);
        QVERIFY(Charts::shownAxisLabels(view).size() >= std::min(months, 8));
        TEST_END
    }

    // The yearly summary of a year whose answers are known by hand.
    void yearSummarySentences_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("sentences");
        QTest::newRow("2011") << 2011
                              << QStringList{"今年共收入 ￥12,000.00，比去年多 20.0%",
                                             "今年共支出 ￥3,150.00，比去年多 215.0%",
                                             "收支相抵，结余 ￥8,850.00",
                                             "结余占收入的 73.8%",
                                             "花得最多的是“居家生活”，共 ￥2,600.00，占全年支出的 82.5%",
                                             "最大的一笔支出是 3月1日 的“房租物业”，￥2,500.00（三月房租）",
                                             "3月花得最多，共 ￥2,700.00",
                                             "9月花得最少，共 ￥50.00",
                                             "全年有 7 天记了账",
                                             "admin 支出 ￥2,900.00，占全年支出的 92.1%",
                                             "妈妈 支出 ￥250.00，占全年支出的 7.9%"};
        QTest::newRow("first year") << 2010
                                    << QStringList{"今年共收入 ￥10,000.00，去年无记录",
                                                   "今年共支出 ￥1,000.00，去年无记录",
                                                   "收支相抵，结余 ￥9,000.00",
                                                   "结余占收入的 90.0%",
                                                   "花得最多的是“餐饮”，共 ￥1,000.00，占全年支出的 100.0%",
                                                   "最大的一笔支出是 6月2日 的“午餐”，￥1,000.00",
                                                   "6月花得最多，共 ￥1,000.00",
                                                   "6月花得最少，共 ￥1,000.00",
                                                   "全年有 2 天记了账",
                                                   "admin 支出 ￥1,000.00，占全年支出的 100.0%"};
        QTest::newRow("this year, nothing yet") << 2012
                                                << QStringList{"今年共收入 ￥0.00，比去年少 100.0%",
                                                               "今年共支出 ￥0.00，比去年少 100.0%",
                                                               "收支相抵，结余 ￥0.00",
                                                               "今年没有收入，结余率无从计算",
                                                               "今年没有支出",
                                                               "今年没有支出",
                                                               "今年没有支出",
                                                               "今年没有支出",
                                                               "今年还没有记账"};
    }
    void yearSummarySentences()
    {
        QFETCH(int, year);
        QFETCH(QStringList, sentences);
        TEST_BEGIN
        PageFixture f;
        handMadeYears();
        // 2012 has last year's records but neither income nor spending of its own.
        Tf_qushi page;
        page.show();
        auto* years = find<QComboBox>(&page, "ComboBox4");
        QCOMPARE(years->itemText(0), QStringLiteral("2012年"));
        QCOMPARE(years->itemText(years->count() - 1), QStringLiteral("2010年"));
        years->setCurrentIndex(years->findData(year));
        emit years->activated(years->currentIndex());
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(2);
        QStringList shown;
        for (int r = 0; r < rowCount(&page, "DBGridEh2"); ++r)
            shown << cell(&page, "DBGridEh2", r, 2);
        QCOMPARE(shown, sentences);
        TEST_END
    }

    // Each month beside the year before, as sums over the two years' dates;
    // a category is one class only; a first year says there is nothing before it.
    void yearOnYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("note");
        QTest::newRow("2011, all") << 2011 << QString() << QString();
        QTest::newRow("2011, 居家生活") << 2011 << QStringLiteral("居家生活") << QStringLiteral("去年无记录");
        QTest::newRow("2010, no year before") << 2010 << QString() << QStringLiteral("去年无记录");
    }
    void yearOnYear()
    {
        QFETCH(int, year);
        QFETCH(QString, category);
        QFETCH(QString, note);
        TEST_BEGIN
        PageFixture f;
        handMadeYears();
        Tf_qushi page;
        page.show();
        auto* years = find<QComboBox>(&page, "ComboBox2");
        years->setCurrentIndex(years->findData(year));
        auto* categories = find<QComboBox>(&page, "ComboBox3");
        QCOMPARE(categories->itemText(0), QStringLiteral("全部"));
        categories->setCurrentIndex(category.isEmpty() ? 0 : categories->findText(category));
        emit categories->activated(categories->currentIndex());
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        QCOMPARE(find<QLabel>(&page, "Label3")->text(), note);
        Money income, expense;
        for (int m = 1; m <= 12; ++m) {
            const Money in = monthSum(year, m, "S", category), out = monthSum(year, m, "Z", category);
            const Money lastOut = monthSum(year - 1, m, "Z", category);
            QCOMPARE(cell(&page, "DBGridEh1", m - 1, Tf_qushi::ColIncome), in.twoDecimals());
            QCOMPARE(cell(&page, "DBGridEh1", m - 1, Tf_qushi::ColLastExpense), lastOut.twoDecimals());
            QCOMPARE(cell(&page, "DBGridEh1", m - 1, Tf_qushi::ColExpenseYoY), changeText(lastOut, out));
            income += in;
            expense += out;
        }
        QCOMPARE(find<DataGrid>(&page, "DBGridEh1")->footerText(Tf_qushi::ColExpense), expense.yuan());
        // A category of spending shows no income columns and no income bars.
        const bool spendingOnly = !category.isEmpty();
        QCOMPARE(find<QTableView>(&page, "DBGridEh1")->isColumnHidden(Tf_qushi::ColIncome), spendingOnly);
        QCOMPARE(chart(&page, "DBChart2")->chart()->series().size(), 1);
        QCOMPARE(barValues(&page, "DBChart2").size(), 12);
        QVERIFY(!spendingOnly || income.isZero());
        TEST_END
    }

    void pointsAreWhatTheDesktopShowedThen_data()
    {
        QTest::addColumn<QDate>("monthEnd");
        // Every month end of the demo's year.
        for (QDate d(2011, 5, 31); d < QDate(2012, 5, 1); d = QDate(d.year(), d.month(), 1).addMonths(2).addDays(-1))
            QTest::newRow(qPrintable(dateText(d))) << d;
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
