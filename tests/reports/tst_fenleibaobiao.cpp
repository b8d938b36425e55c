// The category report: totals per top-level category and per sub-category
// of the last 查询, and the monthly chart with its category lists.
#include "reports/Tf_fenleibaobiao.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

using namespace Driver;

namespace {
constexpr const char* kTop = "DBGridEh14";
constexpr const char* kSub = "DBGridEh15";
constexpr const char* kChart = "DBChart4";

QStringList entries(QObject* page, const char* list)
{
    QStringList out;
    auto* box = find<QComboBox>(page, list);
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Picks an entry from the drop-down list, as a click in its list does.
void choose(QObject* page, const char* list, int index)
{
    auto* box = find<QComboBox>(page, list);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

QString title(QObject* page) { return chart(page, kChart)->chart()->title(); }

// Records of May 2012 and a few months before; one category of each class
// without records in May.
void addRecords()
{
    addRecord(QStringLiteral("早餐"), QStringLiteral("10"), QDate(2012, 5, 2));
    addRecord(QStringLiteral("午餐"), QStringLiteral("20"), QDate(2012, 5, 20));
    addRecord(QStringLiteral("日用品"), QStringLiteral("50"), QDate(2012, 5, 1));
    addRecord(QStringLiteral("晚餐"), QStringLiteral("999"), QDate(2012, 4, 30));
    addRecord(QStringLiteral("晚餐"), QStringLiteral("7"), QDate(2011, 12, 31));
    addRecord(QStringLiteral("早餐"), QStringLiteral("3"), QDate(2011, 12, 1));
    addRecord(QStringLiteral("早餐"), QStringLiteral("4"), QDate(2011, 11, 21));  // a day before the chart's range
    addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 5, 10));
    addRecord(QStringLiteral("利息"), QStringLiteral("30"), QDate(2012, 5, 11));
}
}  // namespace

class TstFenleibaobiao : public QObject {
    Q_OBJECT
private slots:
    void reportTab()
    {
        TEST_BEGIN
        PageFixture f;
        addRecords();
        Tf_fenleibaobiao page;
        page.show();
        QCOMPARE(grid(&page, kTop)->parentWidget()->property("title").toString(), QStringLiteral("项目分类统计"));
        QCOMPARE(grid(&page, kSub)->parentWidget()->property("title").toString(), QStringLiteral("项目明细统计"));

        // This month's expense, largest first; the sub-categories of the first row.
        QTRY_COMPARE(rowCount(&page, kTop), 2);
        QCOMPARE(column(&page, kTop, 0), (QStringList{QStringLiteral("日常用品"), QStringLiteral("餐饮")}));
        QCOMPARE(column(&page, kTop, 1), (QStringList{QStringLiteral("50.00"), QStringLiteral("30.00")}));
        QCOMPARE(footerTexts(&page, kTop), (QStringList{QStringLiteral("总计："), QStringLiteral("￥80.00")}));
        QCOMPARE(column(&page, kSub, 0), QStringList{QStringLiteral("日用品")});
        QCOMPARE(footerTexts(&page, kSub).value(1), QStringLiteral("￥50.00"));
        selectCell(&page, kTop, 1, 0);
        QCOMPARE(column(&page, kSub, 0), (QStringList{QStringLiteral("午餐"), QStringLiteral("早餐")}));
        QCOMPARE(footerTexts(&page, kSub).value(1), QStringLiteral("￥30.00"));

        // The sub-categories keep to the range of the last 查询, not to a date edited since.
        setDate(&page, "DateTimePicker1", QDate(2012, 4, 1));
        selectCell(&page, kTop, 0, 0);
        selectCell(&page, kTop, 1, 0);
        QCOMPARE(cell(&page, kTop, 1, 1), QStringLiteral("30.00"));
        QCOMPARE(footerTexts(&page, kSub).value(1), QStringLiteral("￥30.00"));  // not April's 999 as well

        // The class counts only through 查询.
        click(&page, "RadioButton3");
        QCOMPARE(column(&page, kTop, 0), (QStringList{QStringLiteral("日常用品"), QStringLiteral("餐饮")}));
        setDate(&page, "DateTimePicker1", QDate(2012, 5, 1));
        click(&page, "Button44");
        QCOMPARE(column(&page, kTop, 0), (QStringList{QStringLiteral("职业收入"), QStringLiteral("其他收入")}));
        QCOMPARE(column(&page, kSub, 0), QStringList{QStringLiteral("工资")});

        // A range without records empties both grids.
        setDate(&page, "DateTimePicker1", QDate(2010, 1, 1));
        setDate(&page, "DateTimePicker2", QDate(2010, 1, 31));
        click(&page, "Button44");
        QCOMPARE(rowCount(&page, kTop), 0);
        QCOMPARE(rowCount(&page, kSub), 0);
        setDate(&page, "DateTimePicker1", QDate(2012, 5, 1));
        setDate(&page, "DateTimePicker2", QDate(2012, 5, 20));

        // Names with quotes are names like any other.
        addCategory(QStringLiteral("O'Brien's"), QStringLiteral("S"));
        addCategory(QStringLiteral("Tom's \"tip\""), QStringLiteral("S"), QStringLiteral("O'Brien's"));
        addRecord(QStringLiteral("Tom's \"tip\""), QStringLiteral("2000"), QDate(2012, 5, 5));
        click(&page, "Button44");
        QCOMPARE(cell(&page, kTop, 0, 0), QStringLiteral("O'Brien's"));
        QCOMPARE(column(&page, kSub, 0), QStringList{QStringLiteral("Tom's \"tip\"")});
        QVERIFY(f.boxes.seen.isEmpty());

        // A failing read is reported; the grids keep the last report.
        TestDb::sql(QStringLiteral("drop table h_yue"));
        QVERIFY(f.boxesAfterClick(&page, "Button44").value(0).contains(QStringLiteral("h_yue")));
        QCOMPARE(rowCount(&page, kTop), 3);
        QCOMPARE(rowCount(&page, kSub), 1);
        TEST_END
    }

    void chartTab()
    {
        TEST_BEGIN
        PageFixture f;
        addRecords();
        addCategory(QStringLiteral("空类"), QStringLiteral("S"));
        addCategory(QStringLiteral("O'Brien's"), QStringLiteral("Z"));
        addCategory(QStringLiteral("全部"), QStringLiteral("Z"), QStringLiteral("O'Brien's"));
        addCategory(QStringLiteral("Tom's"), QStringLiteral("Z"), QStringLiteral("O'Brien's"));
        addRecord(QStringLiteral("全部"), QStringLiteral("8"), QDate(2012, 2, 2));
        addRecord(QStringLiteral("Tom's"), QStringLiteral("1.25"), QDate(2012, 2, 3));
        Tf_fenleibaobiao page;
        page.show();
        auto* tabs = find<QTabWidget>(&page, "PageControl1");
        tabs->setCurrentIndex(1);
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker3")->date(), QDate(2011, 11, 22));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker4")->date(), QDate(2012, 5, 20));
        QCOMPARE(entries(&page, "ComboBox1"),
                 (QStringList{QStringLiteral("餐饮"), QStringLiteral("日常用品"), QStringLiteral("交通通讯"),
                              QStringLiteral("居家生活"), QStringLiteral("医疗教育"), QStringLiteral("休闲娱乐"),
                              QStringLiteral("人情往来"), QStringLiteral("O'Brien's")}));
        QCOMPARE(entries(&page, "ComboBox2"),
                 (QStringList{QStringLiteral("全部"), QStringLiteral("早餐"), QStringLiteral("午餐"),
                              QStringLiteral("晚餐"), QStringLiteral("水果零食")}));
        QCOMPARE(barValues(&page, kChart), QList<qreal>());  // drawn only by 查询

        // A top-level category by month, oldest first; a month without records has no bar.
        click(&page, "Button1");
        QCOMPARE(title(&page), QStringLiteral("餐饮-月统计分析"));
        QCOMPARE(barLabels(&page, kChart),
                 (QStringList{QStringLiteral("2011-12"), QStringLiteral("2012-04"), QStringLiteral("2012-05")}));
        QCOMPARE(barValues(&page, kChart), (QList<qreal>{10, 999, 30}));
        // One of its sub-categories.
        find<QComboBox>(&page, "ComboBox2")->setCurrentIndex(3);
        click(&page, "Button1");
        QCOMPARE(title(&page), QStringLiteral("晚餐-月统计分析"));
        QCOMPARE(barValues(&page, kChart), (QList<qreal>{7, 999}));

        // "全部" is the first entry only: a sub-category of that name is one like any other.
        choose(&page, "ComboBox1", 7);
        QCOMPARE(entries(&page, "ComboBox2"),
                 (QStringList{QStringLiteral("全部"), QStringLiteral("全部"), QStringLiteral("Tom's")}));
        find<QComboBox>(&page, "ComboBox2")->setCurrentIndex(1);
        click(&page, "Button1");
        QCOMPARE(title(&page), QStringLiteral("全部-月统计分析"));
        QCOMPARE(barValues(&page, kChart), QList<qreal>{8});
        find<QComboBox>(&page, "ComboBox2")->setCurrentIndex(0);
        click(&page, "Button1");
        QCOMPARE(title(&page), QStringLiteral("O'Brien's-月统计分析"));
        QCOMPARE(barValues(&page, kChart), QList<qreal>{9.25});

        // The class buttons reload both lists; a category without sub-categories offers only "全部".
        click(&page, "RadioButton1");
        QCOMPARE(entries(&page, "ComboBox1"),
                 (QStringList{QStringLiteral("职业收入"), QStringLiteral("其他收入"), QStringLiteral("空类")}));
        QCOMPARE(entries(&page, "ComboBox2").value(1), QStringLiteral("工资"));
        choose(&page, "ComboBox1", 2);
        QCOMPARE(entries(&page, "ComboBox2"), QStringList{QStringLiteral("全部")});
        click(&page, "Button1");
        QCOMPARE(title(&page), QStringLiteral("空类-月统计分析"));
        QCOMPARE(barValues(&page, kChart), QList<qreal>());

        // Back on the tab: expense categories again, "收入" still chosen, the range reset.
        setDate(&page, "DateTimePicker3", QDate(2010, 1, 1));
        tabs->setCurrentIndex(0);
        tabs->setCurrentIndex(1);
        QVERIFY(find<QRadioButton>(&page, "RadioButton1")->isChecked());
        QCOMPARE(entries(&page, "ComboBox1").value(0), QStringLiteral("餐饮"));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker3")->date(), QDate(2011, 11, 22));
        QCOMPARE(title(&page), QStringLiteral("空类-月统计分析"));  // the chart waits for 查询
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }
};

QTEST_MAIN(TstFenleibaobiao)
#include "tst_fenleibaobiao.moc"
