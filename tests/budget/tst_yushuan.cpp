// The budget page: definitions edited and saved, the month comparison with
// its year and month fields.
#include "budget/Tf_yushuan.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QColor>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

using namespace Driver;

namespace {
constexpr const char* kDefs = "DBGridEh9";
constexpr const char* kCmp = "DBGridEh10";

QSpinBox* yearField(QWidget& page) { return page.findChildren<QSpinBox*>().value(0); }
QSpinBox* monthField(QWidget& page) { return page.findChildren<QSpinBox*>().value(1); }

// Types into a field as a user does over its whole text, then leaves it.
void typeAndLeave(QSpinBox* field, const QString& text, DRIVER_HERE)
{
    QApplication::setActiveWindow(field->window());
    field->setFocus();
    if (!field->hasFocus())
        fail(QStringLiteral("the field takes no focus"), where);
    field->selectAll();
    QTest::keyClicks(field, text);
    field->clearFocus();
}
}  // namespace

class TstYushuan : public QObject {
    Q_OBJECT
private slots:
    void openingAndTabs()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("午餐"), QStringLiteral("12.5"), QDate(2012, 5, 3));
        Tf_yushuan page;
        page.show();
        auto* tabs = find<QTabWidget>(&page, "PageControl1");
        // A grid on each tab, nothing else a tool could take for one.
        QCOMPARE(page.findChildren<QTableView*>().size(), 2);
        QCOMPARE(tabs->widget(0)->findChild<QTableView*>()->objectName(), QStringLiteral("DBGridEh9"));
        QCOMPARE(tabs->widget(1)->findChild<QTableView*>()->objectName(), QStringLiteral("DBGridEh10"));
        QCOMPARE(tabs->tabText(0), QStringLiteral("预算定制"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("预算查询"));
        QCOMPARE(tabs->currentIndex(), 0);
        // One row per top-level expense category, in the order of the budget rows.
        QCOMPARE(column(&page, kDefs, Tf_yushuan::DefName),
                 (QStringList{QStringLiteral("餐饮"), QStringLiteral("日常用品"), QStringLiteral("交通通讯"),
                              QStringLiteral("居家生活"), QStringLiteral("医疗教育"), QStringLiteral("休闲娱乐"),
                              QStringLiteral("人情往来")}));
        QCOMPARE(cell(&page, kDefs, 0, Tf_yushuan::DefMoney), QStringLiteral("1500.00"));
        DataGrid* defs = grid(&page, kDefs);
        QVERIFY(defs->isColumnHidden(Tf_yushuan::DefId) && defs->isColumnHidden(Tf_yushuan::DefCategoryId));
        QVERIFY(!(defs->model()->flags(defs->model()->index(0, Tf_yushuan::DefName)) & Qt::ItemIsEditable));

        // The comparison of this month is already there; 保存 goes with the definitions.
        auto* save = find<QPushButton>(&page, "Button1");
        QVERIFY(save->isVisible());
        tabs->setCurrentIndex(1);
        QVERIFY(!save->isVisible());
        QCOMPARE(yearField(page)->text(), QStringLiteral("2012"));
        QCOMPARE(monthField(page)->text(), QStringLiteral("5"));
        QCOMPARE(rowCount(&page, kCmp), 1);
        QStringList titles;
        for (int c = 0; c < 4; ++c)
            titles << grid(&page, kCmp)->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles.join(u','), QStringLiteral("项目名称,本月消费总额,预算消费金额,备注"));
        // The sum is money, not ten-thousandths.
        QCOMPARE(cell(&page, kCmp, 0, 1), QStringLiteral("12.50"));
        QCOMPARE(cell(&page, kCmp, 0, 2), QStringLiteral("1500.00"));
        tabs->setCurrentIndex(0);
        QVERIFY(save->isVisible());
        TEST_END
    }

    void saveDefinitions()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_yushuan page;
        editCell(&page, kDefs, 0, Tf_yushuan::DefMoney, QStringLiteral("800.5"));
        editCell(&page, kDefs, 0, Tf_yushuan::DefRemark, QStringLiteral("少吃外卖 \"每周\" <两次>"));
        editCell(&page, kDefs, 1, Tf_yushuan::DefMoney, QString());  // left empty
        editCell(&page, kDefs, 0, Tf_yushuan::DefYear, QStringLiteral("12000"));
        editCell(&page, kDefs, 0, Tf_yushuan::DefCarry, 1);
        editCell(&page, kDefs, 2, Tf_yushuan::DefYear, QStringLiteral("100"));
        editCell(&page, kDefs, 2, Tf_yushuan::DefYear, QString());  // no yearly amount
        // Edits survive a look at the comparison.
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(0);
        QCOMPARE(cell(&page, kDefs, 0, Tf_yushuan::DefMoney), QStringLiteral("800.50"));
        QVERIFY(f.boxesAfterClick(&page, "Button1").isEmpty());  // no question
        QCOMPARE(TestDb::scalarText(QStringLiteral("select y_money||' '||y_x from s_yushuan where f_id=1")),
                 QStringLiteral("8005000 少吃外卖 \"每周\" <两次>"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select typeof(y_money)||y_money from s_yushuan where f_id=2")),
                 QStringLiteral("integer0"));
        QCOMPARE(cell(&page, kDefs, 1, Tf_yushuan::DefMoney), QStringLiteral("0.00"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(ifnull(y_year,'-')||' '||y_jiezhuan) from "
                                                   "(select * from s_yushuan where f_id<=3 order by id)")),
                 QStringLiteral("120000000 1,- 0,- 0"));
        QCOMPARE(rowTexts(&page, kDefs, 5).value(0).section(u' ', 1), QStringLiteral("餐饮 800.50 12000.00 是"));

        // A refused save: the fixed message with the database's reason, the edits kept.
        TestDb::sql(QStringLiteral(
            "create trigger refuse before update on s_yushuan begin select raise(abort, 'budget locked'); end"));
        editCell(&page, kDefs, 2, Tf_yushuan::DefMoney, QStringLiteral("99"));
        QCOMPARE(f.boxesAfterClick(&page, "Button1"), QStringList{QStringLiteral("预算金额必须是数字，不能为空！")});
        QCOMPARE(f.boxes.seen[0].informative, QStringLiteral("budget locked"));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Information);
        QCOMPARE(cell(&page, kDefs, 2, Tf_yushuan::DefMoney), QStringLiteral("99.00"));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select y_money from s_yushuan where f_id=3")), qint64(4000000));
        TEST_END
    }

    // 本月可用 beside the month's spending, carry-over included; a line
    // spent over it (with a budget) is red. Rows: "name spent budget available".
    void comparisonAvailableAndOverspent_data()
    {
        QTest::addColumn<QString>("budget");
        QTest::addColumn<QStringList>("records");  // "category amount date"
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("without carry-over")
            << QString() << QStringList{"午餐 1535.5 2012-03-02", "打车 7 2012-03-09", "打车 900 2012-02-09"}
            << QStringList{"餐饮 1535.50 1500.00 1500.00 red", "交通通讯 7.00 400.00 400.00"};
        QTest::newRow("carry-over in March")
            << "update s_yushuan set y_money=10000000, y_jiezhuan=1 where f_id in (1, 3)"
            << QStringList{"午餐 500 2012-01-10", "午餐 1300 2012-02-10", "午餐 1250 2012-03-10",
                           "打车 3100 2012-03-10", "打车 1 2011-12-31"}
            << QStringList{"餐饮 1250.00 1000.00 1200.00 red", "交通通讯 3100.00 1000.00 3000.00 red"};
        QTest::newRow("no budget amount is never red")
            << "update s_yushuan set y_money=0 where f_id=1" << QStringList{"午餐 10 2012-03-02"}
            << QStringList{"餐饮 10.00 0.00 0.00"};
    }

    void comparisonAvailableAndOverspent()
    {
        QFETCH(QString, budget);
        QFETCH(QStringList, records);
        QFETCH(QStringList, rows);
        TEST_BEGIN
        PageFixture f(QDateTime(QDate(2012, 3, 20), QTime(9, 0)));
        if (!budget.isEmpty())
            TestDb::sql(budget);
        for (const QString& r : records) {
            const QStringList p = r.split(u' ');
            addRecord(p[0], p[1], QDate::fromString(p[2], Qt::ISODate));
        }
        Tf_yushuan page;
        page.show();
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        QAbstractItemModel* m = grid(&page, kCmp)->model();
        QCOMPARE(m->headerData(Tf_yushuan::CmpAvailable, Qt::Horizontal).toString(), QStringLiteral("本月可用"));
        QStringList shown;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList line;
            for (int c : {0, 1, 2, int(Tf_yushuan::CmpAvailable)})
                line << cell(&page, kCmp, r, c);
            const QVariant colour = m->index(r, 0).data(Qt::ForegroundRole);
            if (colour.isValid() && colour.value<QColor>() == Qt::red)
                line << QStringLiteral("red");
            shown << line.join(u' ');
        }
        QCOMPARE(shown, rows);
        TEST_END
    }

    void comparisonByMonth()
    {
        TEST_BEGIN
        PageFixture f(QDateTime(QDate(2026, 3, 15), QTime(9, 0)));
        addRecord(QStringLiteral("早餐"), QStringLiteral("10"), QDate(2026, 3, 1));
        addRecord(QStringLiteral("晚餐"), QStringLiteral("20.25"), QDate(2026, 3, 31));
        addRecord(QStringLiteral("打车"), QStringLiteral("7"), QDate(2026, 3, 9));
        addRecord(QStringLiteral("打车"), QStringLiteral("100"), QDate(2026, 2, 28));  // another month
        addRecord(QStringLiteral("工资"), QStringLiteral("5000"), QDate(2026, 3, 5));  // income
        addRecord(QStringLiteral("礼金"), QStringLiteral("66"), QDate(2025, 12, 31));
        addRecord(QStringLiteral("礼金"), QStringLiteral("88"), QDate(2025, 12, 1));
        Tf_yushuan page;
        page.show();
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        // This year, month 3: categories with spending only, in budget order.
        QCOMPARE(yearField(page)->text(), QStringLiteral("2026"));
        QCOMPARE(column(&page, kCmp, 0), (QStringList{QStringLiteral("餐饮"), QStringLiteral("交通通讯")}));
        QCOMPARE(column(&page, kCmp, 1), (QStringList{QStringLiteral("30.25"), QStringLiteral("7.00")}));

        // December of the year before.
        typeAndLeave(yearField(page), QStringLiteral("2025"));
        typeAndLeave(monthField(page), QStringLiteral("12"));
        click(&page, "Button42");
        QCOMPARE(column(&page, kCmp, 0), QStringList{QStringLiteral("人情往来")});
        QCOMPARE(cell(&page, kCmp, 0, 1), QStringLiteral("154.00"));

        // 13 becomes 12 when the field is left; a text that is no number the lowest value.
        typeAndLeave(monthField(page), QStringLiteral("13"));
        QCOMPARE(monthField(page)->text(), QStringLiteral("12"));
        // The same when the arrows are used on a 13 still being typed.
        QApplication::setActiveWindow(&page);
        monthField(page)->setFocus();
        monthField(page)->selectAll();
        QTest::keyClicks(monthField(page), QStringLiteral("13"));
        monthField(page)->stepUp();
        QCOMPARE(monthField(page)->text(), QStringLiteral("12"));
        typeAndLeave(yearField(page), QStringLiteral("x"));
        QCOMPARE(yearField(page)->text(), QStringLiteral("2009"));
        typeAndLeave(yearField(page), QStringLiteral("3000"));
        QCOMPARE(yearField(page)->text(), QStringLiteral("2100"));
        // A month without spending: an empty grid.
        click(&page, "Button42");
        QCOMPARE(rowCount(&page, kCmp), 0);
        // 刷新 settles a text still being typed.
        yearField(page)->findChild<QLineEdit*>()->setText(QStringLiteral("2025"));
        monthField(page)->findChild<QLineEdit*>()->setText(QStringLiteral("0"));
        click(&page, "Button42");
        QCOMPARE(monthField(page)->text(), QStringLiteral("1"));
        QCOMPARE(rowCount(&page, kCmp), 0);

        // A failing comparison is shown.
        TestDb::sql(QStringLiteral("drop table h_yue"));
        QVERIFY(f.boxesAfterClick(&page, "Button42").value(0).contains(QStringLiteral("h_yue")));
        TEST_END
    }
};

QTEST_MAIN(TstYushuan)
#include "tst_yushuan.moc"
