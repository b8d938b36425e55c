// The member report: lines per member and month with their difference, one
// member's lines, and the chart tab that refills the shared scratch table
// only when it is shown or refreshed.
#include "reports/Tf_renyuanbaobiao.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QLegend>
#include <QTabWidget>
#include <QTest>

using namespace Driver;

namespace {
constexpr const char* kGrid = "DBGridEh16";
constexpr const char* kChart = "DBChart5";

QBarSet* barSet(QObject* page, int i)
{
    auto* series = qobject_cast<QBarSeries*>(chart(page, kChart)->chart()->series().value(0));
    return series ? series->barSets().value(i) : nullptr;
}
}  // namespace

class TstRenyuanbaobiao : public QObject {
    Q_OBJECT
private slots:
    void reportTab()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 zhang = addMember(QStringLiteral("张三's"));
        const qint64 named = addMember(QStringLiteral("全部用户"));
        addMember(QStringLiteral("李四"));  // no records
        addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 1, 1));
        addRecord(QStringLiteral("午餐"), QStringLiteral("40"), QDate(2012, 1, 31));
        addRecord(QStringLiteral("午餐"), QStringLiteral("60.5"), QDate(2012, 3, 5));
        addRecord(QStringLiteral("午餐"), QStringLiteral("999"), QDate(2011, 12, 31));  // before the range
        addRecord(QStringLiteral("工资"), QStringLiteral("500"), QDate(2012, 2, 1), QString(), zhang);
        addRecord(QStringLiteral("早餐"), QStringLiteral("10"), QDate(2012, 5, 20), QString(), named);
        Tf_renyuanbaobiao page;
        page.show();
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker1")->date(), QDate(2012, 1, 1));
        auto* members = find<QComboBox>(&page, "ComboBox1");
        QCOMPARE(members->currentText(), QStringLiteral("全部用户"));
        QCOMPARE(members->count(), 5);

        // Every member by month, in the order the members were made; a
        // missing side is 0 and the difference is on every line.
        QCOMPARE(rowTexts(&page, kGrid, 5), (QStringList{QStringLiteral("admin 2012-01 1000.00 40.00 960.00"),
                                                         QStringLiteral("admin 2012-03 0.00 60.50 -60.50"),
                                                         QStringLiteral("张三's 2012-02 500.00 0.00 500.00"),
                                                         QStringLiteral("全部用户 2012-05 0.00 10.00 -10.00")}));
        QCOMPARE(footerTexts(&page, kGrid),
                 (QStringList{QStringLiteral("总计："), QString(), QStringLiteral("￥1500.00"),
                              QStringLiteral("￥110.50"), QStringLiteral("￥1389.50")}));

        // One member's lines; the member named "全部用户" is a member.
        members->setCurrentIndex(2);
        click(&page, "Button45");
        QCOMPARE(rowTexts(&page, kGrid, 5), QStringList{QStringLiteral("张三's 2012-02 500.00 0.00 500.00")});
        members->setCurrentIndex(3);
        click(&page, "Button45");
        QCOMPARE(rowTexts(&page, kGrid, 5), QStringList{QStringLiteral("全部用户 2012-05 0.00 10.00 -10.00")});
        members->setCurrentIndex(4);
        click(&page, "Button45");
        QCOMPARE(rowCount(&page, kGrid), 0);

        // A refill the database refuses: reported, the lines stay.
        members->setCurrentIndex(0);
        click(&page, "Button45");
        TestDb::sql(QStringLiteral(
            "create trigger refuse before insert on s_renls begin select raise(abort, 'no scratch'); end"));
        setDate(&page, "DateTimePicker1", QDate(2012, 3, 1));
        QVERIFY(f.boxesAfterClick(&page, "Button45").value(0).contains(QStringLiteral("no scratch")));
        QCOMPARE(rowCount(&page, kGrid), 4);
        QCOMPARE(TestDb::count(QStringLiteral("s_renls")), qint64(5));
        TEST_END
    }

    void chartTab()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 mum = addMember(QStringLiteral("妈妈"));
        addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 1, 10));
        addRecord(QStringLiteral("午餐"), QStringLiteral("40"), QDate(2012, 1, 11));
        addRecord(QStringLiteral("午餐"), QStringLiteral("25"), QDate(2012, 4, 2), QString(), mum);
        addRecord(QStringLiteral("奖金"), QStringLiteral("300"), QDate(2012, 2, 2), QString(), mum);
        Tf_renyuanbaobiao page;
        page.show();
        QCOMPARE(barValues(&page, kChart), QList<qreal>());  // not shown yet
        auto* tabs = find<QTabWidget>(&page, "PageControl1");
        tabs->setCurrentIndex(1);
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker3")->date(), QDate(2012, 1, 1));
        // Income beside expense per month, oldest first.
        QCOMPARE(barLabels(&page, kChart),
                 (QStringList{QStringLiteral("2012-01"), QStringLiteral("2012-02"), QStringLiteral("2012-04")}));
        QCOMPARE(barSet(&page, 0)->label(), QStringLiteral("收入"));
        QCOMPARE(barSet(&page, 1)->label(), QStringLiteral("支出"));
        QCOMPARE(barValues(&page, kChart), (QList<qreal>{1000, 300, 0}));
        QCOMPARE(barSet(&page, 1)->at(0), 40.0);
        QCOMPARE(barSet(&page, 1)->at(2), 25.0);
        QVERIFY(barSet(&page, 0)->color().green() > barSet(&page, 0)->color().red());
        QVERIFY(barSet(&page, 1)->color().red() > barSet(&page, 1)->color().green());
        QVERIFY(chart(&page, kChart)->chart()->legend()->isVisible());

        // One member on the chart's own list.
        find<QComboBox>(&page, "ComboBox2")->setCurrentIndex(2);
        click(&page, "Button56");
        QCOMPARE(barLabels(&page, kChart), (QStringList{QStringLiteral("2012-02"), QStringLiteral("2012-04")}));

        // The report's refresh refills the shared table; the chart keeps what it drew.
        tabs->setCurrentIndex(0);
        setDate(&page, "DateTimePicker1", QDate(2012, 1, 1));
        setDate(&page, "DateTimePicker2", QDate(2012, 1, 31));
        click(&page, "Button45");
        QCOMPARE(rowCount(&page, "DBGridEh16"), 1);
        QCOMPARE(barLabels(&page, kChart), (QStringList{QStringLiteral("2012-02"), QStringLiteral("2012-04")}));
        // Shown again, it is drawn anew for its own range and member.
        setDate(&page, "DateTimePicker3", QDate(2012, 4, 1));
        tabs->setCurrentIndex(1);
        QCOMPARE(barLabels(&page, kChart), QStringList{QStringLiteral("2012-04")});
        QCOMPARE(barSet(&page, 1)->at(0), 25.0);
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }
};

QTEST_MAIN(TstRenyuanbaobiao)
#include "tst_renyuanbaobiao.moc"
