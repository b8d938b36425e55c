// The journal report: day sums from the scratch table, the records of the
// day under the cursor, and a refresh that fails as a whole.
#include "reports/Tf_liushuibaobiao.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QTableView>
#include <QTest>

using namespace Driver;

namespace {
constexpr const char* kDays = "DBGridEh11";
constexpr const char* kExpense = "DBGridEh12";
constexpr const char* kIncome = "DBGridEh13";

QStringList row(QObject* page, const char* grid, int r)
{
    QStringList out;
    for (int c = 0; c < Driver::grid(page, grid)->model()->columnCount(); ++c)
        out << cell(page, grid, r, c);
    return out;
}
}  // namespace

class TstLiushuibaobiao : public QObject {
    Q_OBJECT
private slots:
    void daysAndTheirRecords()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("工资"), QStringLiteral("100"), QDate(2012, 5, 1), QStringLiteral("五月"));
        addRecord(QStringLiteral("午餐"), QStringLiteral("40"), QDate(2012, 5, 1));
        addRecord(QStringLiteral("早餐"), QStringLiteral("5.5"), QDate(2012, 5, 1));
        addRecord(QStringLiteral("晚餐"), QStringLiteral("12"), QDate(2012, 5, 20), QStringLiteral("<b>请客</b>"));
        addRecord(QStringLiteral("午餐"), QStringLiteral("99"), QDate(2012, 4, 30));  // before the range
        addRecord(QStringLiteral("午餐"), QStringLiteral("7"), QDate(2012, 5, 21));   // after it
        Tf_liushuibaobiao page;
        page.show();
        // The first grid of the page is the day list; the details sit in their groups.
        QCOMPARE(page.findChildren<QTableView*>().value(0)->objectName(), QString::fromLatin1(kDays));
        QCOMPARE(grid(&page, kExpense)->parentWidget()->property("title").toString(), QStringLiteral("支出明细"));
        QCOMPARE(grid(&page, kIncome)->parentWidget()->property("title").toString(), QStringLiteral("收入明细"));

        // Filled just after the page shows: newest day first, both ends included.
        QTRY_COMPARE(rowCount(&page, kDays), 2);
        QCOMPARE(row(&page, kDays, 0),
                 (QStringList{QStringLiteral("2012-05-20"), QStringLiteral("0.00"), QStringLiteral("12.00")}));
        QCOMPARE(row(&page, kDays, 1),
                 (QStringList{QStringLiteral("2012-05-01"), QStringLiteral("100.00"), QStringLiteral("45.50")}));
        QCOMPARE(footerTexts(&page, kDays),
                 (QStringList{QStringLiteral("总计："), QStringLiteral("￥100.00"), QStringLiteral("￥57.50")}));

        // The newest day's records, shown as typed.
        QCOMPARE(rowCount(&page, kExpense), 1);
        QCOMPARE(row(&page, kExpense, 0),
                 (QStringList{QStringLiteral("晚餐"), QStringLiteral("admin"), QStringLiteral("12.00"),
                              QStringLiteral("现金"), QStringLiteral("<b>请客</b>")}));
        QCOMPARE(rowCount(&page, kIncome), 0);
        QCOMPARE(footerTexts(&page, kIncome).value(2), QStringLiteral("￥0.00"));

        // The arrow key moves to the other day: both grids follow, in entry order.
        QApplication::setActiveWindow(&page);
        grid(&page, kDays)->setFocus();
        QTest::keyClick(grid(&page, kDays), Qt::Key_Down);
        QCOMPARE(column(&page, kExpense, 0), (QStringList{QStringLiteral("午餐"), QStringLiteral("早餐")}));
        QCOMPARE(footerTexts(&page, kExpense),
                 (QStringList{QStringLiteral("总计："), QString(), QStringLiteral("￥45.50"), QString(), QString()}));
        QCOMPARE(column(&page, kIncome, 0), QStringList{QStringLiteral("工资")});
        QCOMPARE(footerTexts(&page, kIncome).value(2), QStringLiteral("￥100.00"));
        // And a click back.
        pressCell(&page, kDays, 0, 1);
        QCOMPARE(column(&page, kExpense, 0), QStringList{QStringLiteral("晚餐")});
        QCOMPARE(rowCount(&page, kIncome), 0);

        // Refreshing again gives the same report: the scratch rows are replaced, one per day and kind.
        click(&page, "Button43");
        click(&page, "Button43");
        QCOMPARE(column(&page, kDays, 2), (QStringList{QStringLiteral("12.00"), QStringLiteral("45.50")}));
        QCOMPARE(TestDb::count(QStringLiteral("s_ls")), qint64(3));
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }

    // Years of days come in chunks, newest first; the footer is whole from
    // the start and the last chunk ends on the oldest day.
    void longRangesComeInChunks()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i<799)"
                                   " insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                                   " select (select id from s_fenlei where f_name='午餐'), 10000, 1, 1, "
                                   "date('2012-05-20', '-'||i||' days'), 'Z'"
                                   " from n"));
        Tf_liushuibaobiao page;
        page.show();
        setDate(&page, "DateTimePicker1", QDate(2000, 1, 1));
        click(&page, "Button43");
        QVERIFY(rowCount(&page, kDays) < 800);
        QCOMPARE(footerTexts(&page, kDays).value(2), QStringLiteral("￥800.00"));
        QCOMPARE(cell(&page, kDays, 0, 0), QStringLiteral("2012-05-20"));
        QAbstractItemModel* days = grid(&page, kDays)->model();
        while (days->canFetchMore({}))
            days->fetchMore({});
        QCOMPARE(rowCount(&page, kDays), 800);
        QCOMPARE(cell(&page, kDays, 799, 0), QDate(2012, 5, 20).addDays(-799).toString(Qt::ISODate));
        TEST_END
    }

    void emptyRangeAndFailures()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("午餐"), QStringLiteral("40"), QDate(2012, 5, 3));
        Tf_liushuibaobiao page;
        page.show();
        QTRY_COMPARE(rowCount(&page, kDays), 1);
        QCOMPARE(rowCount(&page, kExpense), 1);

        // A refill the database refuses: reported, and the last report stands.
        TestDb::sql(QStringLiteral(
            "create trigger refuse before insert on s_ls begin select raise(abort, 'scratch refused'); end"));
        setDate(&page, "DateTimePicker1", QDate(2012, 1, 1));
        const QStringList boxes = f.boxesAfterClick(&page, "Button43");
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("scratch refused")));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        QCOMPARE(rowCount(&page, kDays), 1);
        QCOMPARE(TestDb::count(QStringLiteral("s_ls")), qint64(1));
        TestDb::sql(QStringLiteral("drop trigger refuse"));

        // A range without records empties all three grids, the details included.
        setDate(&page, "DateTimePicker1", QDate(2011, 1, 1));
        setDate(&page, "DateTimePicker2", QDate(2011, 1, 31));
        QVERIFY(f.boxesAfterClick(&page, "Button43").isEmpty());
        QCOMPARE(rowCount(&page, kDays), 0);
        QCOMPARE(rowCount(&page, kExpense), 0);
        QCOMPARE(rowCount(&page, kIncome), 0);
        QCOMPARE(footerTexts(&page, kExpense).value(0), QStringLiteral("总计："));
        TEST_END
    }
};

QTEST_MAIN(TstLiushuibaobiao)
#include "tst_liushuibaobiao.moc"
