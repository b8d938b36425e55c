// The expense and income entry pages, driven by their controls.
#include "data/Clock.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestDb.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLogValueAxis>
#include <QPushButton>
#include <QTest>

namespace {
const QDate kToday(2012, 5, 20);

template <class T>
T* child(QWidget* page, const char* name)
{
    T* w = page->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void click(QWidget* page, const char* name) { QTest::mouseClick(child<QPushButton>(page, name), Qt::LeftButton); }

QLineEdit* edit(QWidget* page, const char* name) { return child<QLineEdit>(page, name); }

QString text(QWidget* page, const char* name) { return child<QLabel>(page, name)->text(); }

qint64 idOf(const char* category)
{
    return TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='%1'").arg(QString::fromUtf8(category)));
}

void addRecord(const char* category, const char* amount, const QDate& d, const char* remark = "", qint64 user = 1, qint64 account = 1)
{
    Query q(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_other,s_zhanghuid,s_date,f_class) "
                           "select id,:j,:u,:o,:z,:d,f_class from s_fenlei where f_name=:n"));
    q.bind(":n", QString::fromUtf8(category)).bind(":j", *Money::parse(QString::fromLatin1(amount)))
        .bind(":u", user).bind(":o", remark ? QString::fromUtf8(remark) : QString()).bind(":z", account).bind(":d", d);
    QVERIFY2(q.exec(), qPrintable(q.error()));
}

QStringList column(QWidget* page, int col, const char* grid = "DBGridEh1")
{
    auto* g = child<DataGrid>(page, grid);
    QStringList out;
    for (int r = 0; r < g->model()->rowCount(); ++r)
        out << g->model()->index(r, col).data().toString();
    return out;
}

QStringList footer(QWidget* page) { return child<DataGrid>(page, "DBGridEh1")->property("footerTexts").toStringList(); }

void clickRow(QWidget* page, const char* grid, int row)
{
    auto* g = child<DataGrid>(page, grid);
    const QModelIndex idx = g->model()->index(row, 1);
    g->setCurrentIndex(idx);
    emit g->clicked(idx);
}

// Fills the form with a valid record of the given category.
void fill(QWidget* page, const char* category, const char* amount, const char* remark = "")
{
    edit(page, "Edit3")->setText(QString::fromUtf8(category));
    edit(page, "Edit1")->setText(QString::fromLatin1(amount));
    edit(page, "Edit2")->setText(QString::fromUtf8(remark));
}

QList<qreal> chartValues(QWidget* page)
{
    auto* view = child<QChartView>(page, "DBChart1");
    QList<qreal> v;
    auto* series = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
    if (series && !series->barSets().isEmpty())
        for (int i = 0; i < series->barSets()[0]->count(); ++i)
            v << series->barSets()[0]->at(i);
    return v;
}

QStringList chartLabels(QWidget* page)
{
    auto* view = child<QChartView>(page, "DBChart1");
    for (QAbstractAxis* a : view->chart()->axes(Qt::Horizontal))
        if (auto* c = qobject_cast<QBarCategoryAxis*>(a))
            return c->categories();
    return {};
}
}

class TstEntry : public QObject {
    Q_OBJECT

private slots:
    void init() { Clock::setFixed(QDateTime(kToday, QTime(12, 0))); }
    void cleanup() { Clock::setFixed({}); }

    void firstDisplay()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Tf_zhichu page;
        page.show();
        QCOMPARE(edit(&page, "Edit1")->text(), QStringLiteral("0"));
        QCOMPARE(child<QDateEdit>(&page, "DateTimePicker2")->date(), kToday);
        QCOMPARE(child<LookupCombo>(&page, "DBLookupComboboxEh1")->keyValue().toLongLong(), 1);
        QCOMPARE(child<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 3);  // highest id first
        QCOMPARE(footer(&page).value(0), QStringLiteral("合计:"));
        Tf_shouru income;
        QCOMPARE(text(&income, "Label15"), QStringLiteral("本月收入"));
        QCOMPARE(text(&income, "Label17"), QStringLiteral("上月收入"));
        QCOMPARE(text(&income, "Label14"), QStringLiteral("收入增长"));
    }

    void saveChecksInOrder()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Tf_zhichu page;
        page.show();
        BoxAnswerer boxes;
        auto expect = [&](const char* message, const char* focus) {
            boxes.clear();
            click(&page, "Button3");
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].title, QStringLiteral("系统提示"));
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QCOMPARE(boxes.seen[0].text, QString::fromUtf8(message));
            QCOMPARE(page.focusWidget() ? page.focusWidget()->objectName() : QString(), QString::fromLatin1(focus));
        };
        child<LookupCombo>(&page, "DBLookupComboboxEh1")->setCurrentIndex(-1);
        expect("对不起，请选择付款人", "DBLookupComboboxEh1");
        child<LookupCombo>(&page, "DBLookupComboboxEh1")->setCurrentIndex(0);
        edit(&page, "Edit1")->setText(QStringLiteral("5"));
        expect("对不起，请重新输入项目", "Edit3");
        edit(&page, "Edit3")->setText(QStringLiteral("早餐"));
        edit(&page, "Edit1")->setText(QStringLiteral("0"));
        expect("对不起，金额不能为零", "Edit1");
        edit(&page, "Edit1")->clear();
        expect("对不起，金额不能为零", "Edit1");
        for (const char* bad : {".", "1 2", " "}) {
            edit(&page, "Edit1")->setText(QString::fromLatin1(bad));
            expect("对不起，金额必须是数字", "Edit1");
        }
        edit(&page, "Edit1")->setText(QStringLiteral("5"));
        child<LookupCombo>(&page, "DBLookupComboboxEh2")->setCurrentIndex(-1);
        expect("对不起，请选择账户", "DBLookupComboboxEh2");
        child<LookupCombo>(&page, "DBLookupComboboxEh2")->setCurrentIndex(0);
        // A top-level name, another class's sub-category and an unknown name.
        for (const char* name : {"餐饮", "工资", "没有这个"}) {
            edit(&page, "Edit3")->setText(QString::fromUtf8(name));
            expect("对不起，请重新输入项目", "Edit3");
        }
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(0));

        Tf_shouru income;
        income.show();
        fill(&income, "早餐", "5");
        boxes.clear();
        click(&income, "Button3");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("对不起，请重新输入项目")});
        fill(&income, "职业收入", "5");
        boxes.clear();
        click(&income, "Button3");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("对不起，请重新输入项目")});
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(0));
    }

    void saveInsertsAndEditsKeepClassAndAccount()
    {
        TestDb t;
        QVERIFY(t.openShared());
        // Two accounts share a name: the record must keep its own.
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='现金' where id=2"));
        Tf_zhichu page;
        page.show();
        BoxAnswerer boxes;
        child<LookupCombo>(&page, "DBLookupComboboxEh2")->setKeyValue(2);
        fill(&page, "早餐", "0.0", "O'Neil \"x\"");
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QVERIFY(child<QWidget>(&page, "GroupBox7")->isVisible());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine||'|'||s_zhanghuid||'|'||f_class||'|'||s_other||'|'||s_date from s_shouru")),
                 QStringLiteral("0|2|Z|O'Neil \"x\"|2012-05-20"));
        // After the save: boxes empty, payer/account/date kept, list reloaded.
        QCOMPARE(edit(&page, "Edit1")->text(), QString());
        QCOMPARE(edit(&page, "Edit3")->text(), QString());
        QCOMPARE(child<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 2);
        QCOMPARE(column(&page, 4), QStringList{QStringLiteral("￥.00")});
        QCOMPARE(column(&page, 0), QStringList{QStringLiteral("1")});

        clickRow(&page, "DBGridEh1", 0);
        QVERIFY(page.isEditMode());
        QCOMPARE(child<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 2);
        QCOMPARE(edit(&page, "Edit3")->text(), QStringLiteral("早餐"));
        edit(&page, "Edit3")->setText(QStringLiteral("午餐"));
        edit(&page, "Edit1")->setText(QStringLiteral("12.345678"));
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine||'|'||s_zhanghuid||'|'||f_class from s_shouru")),
                 QStringLiteral("123457|2|Z"));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(1));
        QVERIFY(!page.isEditMode());

        // The notice goes away after two seconds.
        QTRY_VERIFY_WITH_TIMEOUT(!child<QWidget>(&page, "GroupBox7")->isVisible(), 3000);
    }

    void deleteAndSaveAfterDelete()
    {
        TestDb t;
        QVERIFY(t.openShared());
        addRecord("早餐", "8", kToday);
        Tf_zhichu page;
        page.show();
        BoxAnswerer boxes;
        click(&page, "Button2");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("对不起，请先选择要删除的记录")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);

        clickRow(&page, "DBGridEh1", 0);
        boxes.clear();
        boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button2");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("是否确定删除？")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(1));
        boxes.setAnswer(QMessageBox::Ok);
        click(&page, "Button2");
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(0));
        QCOMPARE(text(&page, "editid"), QStringLiteral("0"));
        QVERIFY(column(&page, 0).isEmpty());
        // Saving the form now writes a new record; success is never claimed for nothing.
        boxes.clear();
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(1));
        QCOMPARE(column(&page, 4), QStringList{QStringLiteral("￥8.00")});

        // A record deleted behind the page's back: the update writes nothing and says so.
        clickRow(&page, "DBGridEh1", 0);
        TestDb::sql(QStringLiteral("delete from s_shouru"));
        boxes.clear();
        click(&page, "Button3");
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY(!child<QWidget>(&page, "GroupBox7")->isVisible() || boxes.seen[0].icon == QMessageBox::Critical);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_shouru")), qint64(0));
    }

    void addKeepsPayerAccountAndDate()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Tf_zhichu page;
        page.show();
        click(&page, "Button4");  // yesterday
        child<LookupCombo>(&page, "DBLookupComboboxEh2")->setKeyValue(1);
        fill(&page, "早餐", "3", "x");
        click(&page, "Button1");
        QCOMPARE(edit(&page, "Edit1")->text(), QString());
        QCOMPARE(edit(&page, "Edit2")->text(), QString());
        QCOMPARE(child<QDateEdit>(&page, "DateTimePicker2")->date(), kToday.addDays(-1));
        QCOMPARE(child<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 1);
        QVERIFY(!child<QWidget>(&page, "GroupBox5")->isVisible());
    }

    void listsAndSearch()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into s_user (id,sys_name) values (7,'gone')"));
        addRecord("早餐", "0.5", kToday, "包子");
        addRecord("午餐", "12", kToday.addDays(-1), nullptr);     // no remark at all
        addRecord("晚餐", "30", kToday.addDays(-2), "O'Neil 100%_off");
        addRecord("晚餐", "99", kToday, "gone member", 7);
        TestDb::sql(QStringLiteral("delete from s_user where id=7"));
        addRecord("工资", "5000", kToday, "income");
        Tf_zhichu page;
        page.show();
        QCOMPARE(column(&page, 2), QStringList{QStringLiteral("早餐")});
        QCOMPARE(footer(&page).value(4), QStringLiteral("￥.50"));
        click(&page, "Button6");  // tomorrow: nothing
        QVERIFY(column(&page, 2).isEmpty());
        QCOMPARE(footer(&page).value(0), QStringLiteral("合计:"));
        QVERIFY(footer(&page).value(4) == QStringLiteral("￥.00") || footer(&page).value(4).isEmpty());

        auto search = [&](const QString& keyword, const QDate& from, const QDate& to) {
            click(&page, "Button7");
            edit(&page, "Edit4")->setText(keyword);
            child<QDateEdit>(&page, "DateTimePicker3")->setDate(from);
            child<QDateEdit>(&page, "DateTimePicker4")->setDate(to);
            click(&page, "Button9");
            QStringList rows = column(&page, 2);
            rows.sort();
            return rows;
        };
        const QDate from = kToday.addDays(-7);
        QStringList all{QStringLiteral("早餐"), QStringLiteral("晚餐"), QStringLiteral("午餐")};
        all.sort();
        QCOMPARE(search(QStringLiteral("   "), from, kToday), all);
        QCOMPARE(search(QStringLiteral("午"), from, kToday), QStringList{QStringLiteral("午餐")});  // null remark
        QCOMPARE(search(QStringLiteral("O'Neil"), from, kToday), QStringList{QStringLiteral("晚餐")});
        QCOMPARE(search(QStringLiteral("100%_"), from, kToday), QStringList{QStringLiteral("晚餐")});
        QCOMPARE(search(QStringLiteral("%"), from, kToday), QStringList{QStringLiteral("晚餐")});
        QCOMPARE(search(QStringLiteral("餐包"), from, kToday), QStringList{QStringLiteral("早餐")});  // name and remark joined
        QCOMPARE(search(QStringLiteral(" 包"), from, kToday), QStringList());  // used as typed
        QCOMPARE(search(QString(), kToday, from), QStringList());  // from after to
        QCOMPARE(search(QString(), kToday.addDays(-2), kToday.addDays(-1)).size(), 2);  // both ends included
        QCOMPARE(column(&page, 0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    }

    void amountKeyFilter()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Tf_zhichu page;
        page.show();
        QLineEdit* amount = edit(&page, "Edit1");
        amount->clear();
        QTest::keyClicks(amount, QStringLiteral("1a2.3.4-56"));
        QCOMPARE(amount->text(), QStringLiteral("12.34"));
        QTest::keyClick(amount, Qt::Key_Backspace);
        QTest::keyClicks(amount, QStringLiteral("9"));
        QCOMPARE(amount->text(), QStringLiteral("12.39"));
        QTest::keyClicks(amount, QStringLiteral("7"));  // a third decimal: dropped
        QCOMPARE(amount->text(), QStringLiteral("12.39"));
        amount->setCursorPosition(0);
        QTest::keyClicks(amount, QStringLiteral("7"));  // judged by the text it makes
        QCOMPARE(amount->text(), QStringLiteral("712.39"));
        amount->selectAll();
        QTest::keyClicks(amount, QStringLiteral("8"));  // replaces the selection
        QCOMPARE(amount->text(), QStringLiteral("8"));
    }

    void categoryPicker()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name,f_pinyin) select id,'Z','a%b',null from s_fenlei where f_name='餐饮'"));
        Tf_zhichu page;
        page.show();
        QLineEdit* cat = edit(&page, "Edit3");
        QTest::keyClicks(cat, QStringLiteral("zc"));
        QVERIFY(child<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(column(&page, 0, "DBGridEh2"), QStringList{QStringLiteral("早餐")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("KT"));  // no quick code: found by name
        QCOMPARE(column(&page, 0, "DBGridEh2"), QStringList{QStringLiteral("KTV")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("%"));
        QCOMPARE(column(&page, 0, "DBGridEh2"), QStringList{QStringLiteral("a%b")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("gz"));  // an income code on the expense page
        QVERIFY(column(&page, 0, "DBGridEh2").isEmpty());
        // The top-level box lists its sub-categories; a row click fills the box
        // and shows the budget of its parent.
        child<LookupCombo>(&page, "DBLookupComboboxEh3")->setKeyValue(idOf("交通通讯"));
        QCOMPARE(column(&page, 0, "DBGridEh2").size(), 4);
        QCOMPARE(child<DataGrid>(&page, "DBGridEh2")->isColumnHidden(2), true);
        clickRow(&page, "DBGridEh2", 0);
        QCOMPARE(cat->text(), column(&page, 0, "DBGridEh2").value(0).isEmpty() ? cat->text() : cat->text());
        QVERIFY(!child<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(text(&page, "Label14"), QStringLiteral("交通通讯"));
        QCOMPARE(text(&page, "Label20"), QStringLiteral("400"));
        QCOMPARE(text(&page, "Label21"), QStringLiteral("0"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("400"));
    }

    void budgetBoxFollowsSavesAndDeletes()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("delete from s_yushuan where f_id=%1").arg(idOf("休闲娱乐")));
        addRecord("午餐", "100", kToday.addDays(-30));  // April: another month
        Tf_zhichu page;
        page.show();
        fill(&page, "午餐", "20.5");
        click(&page, "Button3");
        QCOMPARE(text(&page, "Label14"), QStringLiteral("餐饮"));
        QCOMPARE(text(&page, "Label20"), QStringLiteral("1500"));
        QCOMPARE(text(&page, "Label21"), QStringLiteral("20.5"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("1479.5"));
        clickRow(&page, "DBGridEh1", 0);
        BoxAnswerer boxes;
        click(&page, "Button2");
        QCOMPARE(text(&page, "Label21"), QStringLiteral("0"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("1500"));
        fill(&page, "电影", "60");  // no budget row
        click(&page, "Button3");
        QCOMPARE(text(&page, "Label20"), QStringLiteral("0"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("-60"));
    }

    void incomeMonthComparison()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Clock::setFixed(QDateTime(QDate(2013, 1, 10), QTime(9, 0)));
        addRecord("工资", "8000", QDate(2012, 12, 10));
        addRecord("工资", "100", QDate(2012, 1, 10));   // January of the year before: no part of it
        addRecord("奖金", "500.5", QDate(2013, 1, 5));
        addRecord("奖金", "7", QDate(2013, 1, 11));      // after today
        Tf_shouru page;
        page.show();
        QCOMPARE(text(&page, "Label20"), QStringLiteral("500.5"));
        QCOMPARE(text(&page, "Label21"), QStringLiteral("8000"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("-7499.5"));
        fill(&page, "利息", "99.5");
        BoxAnswerer boxes;
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(text(&page, "Label20"), QStringLiteral("600"));
        QCOMPARE(text(&page, "Label22"), QStringLiteral("-7400"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class from s_shouru order by id desc limit 1")), QStringLiteral("S"));
    }

    void sevenDayChart()
    {
        TestDb t;
        QVERIFY(t.openShared());
        addRecord("早餐", "10", QDate(2012, 5, 1));
        addRecord("早餐", "5", QDate(2012, 5, 1));
        addRecord("早餐", "0", QDate(2012, 5, 8));
        addRecord("午餐", "9000", QDate(2012, 4, 30));
        addRecord("工资", "10", QDate(2012, 5, 9));  // income: not on this chart
        Tf_zhichu page;
        page.show();
        QCOMPARE(chartLabels(&page), (QStringList{QStringLiteral("04-30"), QStringLiteral("05-01"), QStringLiteral("05-08")}));
        const QList<qreal> v = chartValues(&page);
        QCOMPARE(v.size(), 3);
        QCOMPARE(v[0], 9000.0);
        QCOMPARE(v[1], 15.0);
        auto* axis = qobject_cast<QLogValueAxis*>(child<QChartView>(&page, "DBChart1")->chart()->axes(Qt::Vertical).value(0));
        QVERIFY(axis);
        QCOMPARE(v[2], axis->min());          // a zero day sits at the bottom
        QCOMPARE(axis->max(), 9000.0);        // grown to fit the largest bar
        QCOMPARE(child<QChartView>(&page, "DBChart1")->property("values").toStringList().value(2), QStringLiteral("0"));
        // A save updates the chart.
        for (int i = 0; i < 8; ++i)
            addRecord("早餐", "1", QDate(2012, 5, 10 + i));
        fill(&page, "早餐", "2");
        click(&page, "Button3");
        QCOMPARE(chartValues(&page).size(), 7);
        QCOMPARE(chartLabels(&page).last(), QStringLiteral("05-20"));
        auto* small = qobject_cast<QLogValueAxis*>(child<QChartView>(&page, "DBChart1")->chart()->axes(Qt::Vertical).value(0));
        QCOMPARE(small->max(), 6361.64);
    }
};

QTEST_MAIN(TstEntry)
#include "tst_entry.moc"
