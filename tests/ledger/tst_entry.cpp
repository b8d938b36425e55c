// The expense and income entry pages, driven by their controls.
#include "data/Tx_Data.h"
#include "ledger/EntryChecks.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"

#include <QChartView>
#include <QDateEdit>
#include <QLineEdit>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <memory>

using namespace Driver;

namespace {
const QDate kToday = PageFixture::defaultNow().date();
const QString kPayer = QStringLiteral("对不起，请选择付款人"), kItem = QStringLiteral("对不起，请重新输入项目"),
              kZero = QStringLiteral("对不起，金额不能为零"), kNumber = QStringLiteral("对不起，金额必须是数字"),
              kRange = QStringLiteral("对不起，金额超出范围"), kAccount = QStringLiteral("对不起，请选择账户");

// Fills the form with a valid record of the given category.
void fill(QWidget* page, const QString& category, const QString& amount, const QString& remark = QString())
{
    setText(page, "Edit3", category);
    setText(page, "Edit1", amount);
    setText(page, "Edit2", remark);
}

// The budget (or income comparison) box: this month, the other figure, the difference.
QString budgetBox(QObject* page, DRIVER_HERE)
{
    return QStringList{labelText(page, "Label20", where), labelText(page, "Label21", where),
                       labelText(page, "Label22", where)}
        .join(u' ');
}
}

class TstEntry : public QObject {
    Q_OBJECT

private slots:
    void firstDisplay()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        QCOMPARE(editText(&page, "Edit1"), QStringLiteral("0"));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker2")->date(), kToday);
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh1")->keyValue().toLongLong(), 1);
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 3);  // highest id first
        QCOMPARE(footerTexts(&page, "DBGridEh1").value(0), QStringLiteral("合计:"));
        TEST_END
    }

    // The checks before a save, in their order: as the rule chain
    // (ledger/EntryChecks) and through the page, which shows the message,
    // puts the focus into its box and writes nothing. On the page a category
    // must also be a sub-category of the page's own class.
    void saveChecks_data()
    {
        QTest::addColumn<bool>("income");
        QTest::addColumn<bool>("payer");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("account");
        QTest::addColumn<int>("field");  // the chain's refusal
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("saved");  // ten-thousandths
        using R = EntryRefusal;
        auto row = [](const char* tag, bool p, const char* c, const char* a, bool acc, int field, const QString& m,
                      qint64 saved = 0, bool income = false) {
            QTest::newRow(tag) << income << p << QString::fromUtf8(c) << QString::fromUtf8(a) << acc << field << m
                               << saved;
        };
        row("payer first", false, "", "", false, R::Payer, kPayer);
        row("no payer", false, "早餐", "5", true, R::Payer, kPayer);
        row("category before amount", true, "", "", false, R::Category, kItem);
        row("empty amount", true, "早餐", "", true, R::Amount, kZero);
        row("amount 0", true, "早餐", "0", true, R::Amount, kZero);
        row("amount 0.00", true, "早餐", "0.00", true, R::Amount, kZero);
        row("a lone point", true, "早餐", ".", true, R::Amount, kNumber);
        row("blank inside", true, "早餐", "1 2", true, R::Amount, kNumber);
        row("blank only", true, "早餐", " ", true, R::Amount, kNumber);
        row("full-width digits", true, "早餐", "１２", true, R::Amount, kNumber);
        row("negative", true, "早餐", "-5", true, R::Amount, kRange);
        row("one hundred million", true, "早餐", "100000000", true, R::Amount, kRange);
        row("rounds over the limit", true, "早餐", "99999999.995", true, R::Amount, kRange);
        row("huge", true, "早餐", "500000000000000", true, R::Amount, kRange);
        row("twenty nines", true, "早餐", "99999999999999999999", true, R::Amount, kRange);
        row("amount before account", true, "早餐", "x", false, R::Amount, kNumber);
        row("no account", true, "早餐", "5", false, R::Account, kAccount);
        row("blanks around", true, "早餐", " 12.5 ", true, R::None, QString(), 125000);
        row("the largest", true, "早餐", "99999999.99", true, R::None, QString(), 999999999900);
        row("top-level name", true, "餐饮", "5", true, R::None, kItem);
        row("income's sub-category", true, "工资", "5", true, R::None, kItem);
        row("unknown", true, "没有这个", "5", true, R::None, kItem);
        row("expense's on income", true, "早餐", "5", true, R::None, kItem, 0, true);
        row("income top-level", true, "职业收入", "5", true, R::None, kItem, 0, true);
    }
    void saveChecks()
    {
        QFETCH(bool, income);
        QFETCH(bool, payer);
        QFETCH(QString, category);
        QFETCH(QString, amount);
        QFETCH(bool, account);
        QFETCH(int, field);
        QFETCH(QString, message);
        QFETCH(qint64, saved);
        Money value;
        const EntryRefusal r = ::checkEntry({payer, category, amount, account}, &value);
        QCOMPARE(int(r.field), field);
        QCOMPARE(r.message, field == EntryRefusal::None ? QString() : message);
        if (message.isEmpty())
            QCOMPARE(value.raw(), saved);

        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("update s_yushuan set y_money=0"));  // no budget notices
        std::unique_ptr<QWidget> page(income ? static_cast<QWidget*>(new Tf_shouru) : new Tf_zhichu);
        page->show();
        fill(page.get(), category, QString());
        find<QLineEdit>(page.get(), "Edit1")->insert(amount);  // as a paste
        find<LookupCombo>(page.get(), "DBLookupComboboxEh1")->setCurrentIndex(payer ? 0 : -1);
        find<LookupCombo>(page.get(), "DBLookupComboboxEh2")->setCurrentIndex(account ? 0 : -1);
        click(page.get(), "Button3");
        if (message.isEmpty()) {
            QVERIFY(f.boxes.seen.isEmpty());
            QCOMPARE(TestDb::scalarInt(QStringLiteral("select s_jine from s_shouru")), saved);
            return;
        }
        QCOMPARE(f.boxes.texts(), QStringList{message});
        QCOMPARE(f.boxes.seen[0].title, QStringLiteral("系统提示"));
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        const QString focus = message == kPayer     ? QStringLiteral("DBLookupComboboxEh1")
                              : message == kAccount ? QStringLiteral("DBLookupComboboxEh2")
                              : message == kItem    ? QStringLiteral("Edit3")
                                                    : QStringLiteral("Edit1");
        QCOMPARE(page->focusWidget() ? page->focusWidget()->objectName() : QString(), focus);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        TEST_END
    }

    void saveInsertsAndEditsKeepClassAndAccount()
    {
        TEST_BEGIN
        PageFixture f;
        // Two accounts share a name: the record must keep its own.
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='现金' where id=2"));
        Tf_zhichu page;
        page.show();
        auto& boxes = f.boxes;
        find<LookupCombo>(&page, "DBLookupComboboxEh2")->setKeyValue(2);
        fill(&page, "早餐", "0.5", "O'Neil \"x\"");
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QVERIFY(find<QWidget>(&page, "GroupBox7")->isVisible());
        QCOMPARE(TestDb::scalarText(QStringLiteral(
                     "select s_jine||'|'||s_zhanghuid||'|'||f_class||'|'||s_other||'|'||s_date from s_shouru")),
                 QStringLiteral("5000|2|Z|O'Neil \"x\"|2012-05-20"));
        // After the save: boxes empty, payer/account/date kept, list reloaded.
        QCOMPARE(editText(&page, "Edit1"), QString());
        QCOMPARE(editText(&page, "Edit3"), QString());
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 2);
        QCOMPARE(column(&page, "DBGridEh1", 4), QStringList{QStringLiteral("￥0.50")});
        QCOMPARE(column(&page, "DBGridEh1", 0), QStringList{QStringLiteral("1")});

        clickRow(&page, "DBGridEh1", 0);
        QVERIFY(page.isEditMode());
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 2);
        QCOMPARE(editText(&page, "Edit3"), QStringLiteral("早餐"));
        setText(&page, "Edit3", QStringLiteral("午餐"));
        setText(&page, "Edit1", QStringLiteral("12.345678"));
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine||'|'||s_zhanghuid||'|'||f_class from s_shouru")),
                 QStringLiteral("123457|2|Z"));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        QVERIFY(!page.isEditMode());
        // 增加 empties the boxes as well, and keeps the account and the date.
        click(&page, "Button4");  // yesterday
        fill(&page, "早餐", "3", "x");
        click(&page, "Button1");
        QCOMPARE(editText(&page, "Edit1"), QString());
        QCOMPARE(editText(&page, "Edit2"), QString());
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker2")->date(), kToday.addDays(-1));
        QCOMPARE(find<LookupCombo>(&page, "DBLookupComboboxEh2")->keyValue().toLongLong(), 2);
        QVERIFY(!find<QWidget>(&page, "GroupBox5")->isVisible());

        // The notice goes away after two seconds.
        QTRY_VERIFY_WITH_TIMEOUT(!find<QWidget>(&page, "GroupBox7")->isVisible(), 3000);
        TEST_END
    }

    void deleteAndSaveAfterDelete()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord("早餐", "8", kToday);
        Tf_zhichu page;
        page.show();
        auto& boxes = f.boxes;
        // Delete acts only on the record shown: not before one is chosen,
        // nor after 增加 or a save.
        const QStringList nothingChosen{QStringLiteral("对不起，请先选择要删除的记录")};
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), nothingChosen);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        clickRow(&page, "DBGridEh1", 0);
        click(&page, "Button1");
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), nothingChosen);
        QVERIFY(!grid(&page, "DBGridEh1")->selectionModel()->hasSelection());
        clickRow(&page, "DBGridEh1", 0);
        fill(&page, "午餐", "9");
        click(&page, "Button3");
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), nothingChosen);

        clickRow(&page, "DBGridEh1", 0);
        boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&page, "Button2"), QStringList{QStringLiteral("是否确定删除？")});
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(1));
        boxes.setAnswer(QMessageBox::Ok);
        click(&page, "Button2");
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        QCOMPARE(labelText(&page, "editid"), QStringLiteral("0"));
        QVERIFY(column(&page, "DBGridEh1", 0).isEmpty());
        // The form is back in add mode and empty: saving cannot bring the record back.
        QVERIFY(!page.isEditMode());
        QCOMPARE(editText(&page, "Edit3"), QString());
        QCOMPARE(editText(&page, "Edit1"), QString());
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{kItem});
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        addRecord("早餐", "8", kToday);
        click(&page, "Button28");

        // A record deleted behind the page's back: the update writes nothing and says so.
        clickRow(&page, "DBGridEh1", 0);
        TestDb::sql(QStringLiteral("delete from s_shouru"));
        QCOMPARE(f.boxesAfterClick(&page, "Button3").size(), 1);
        QVERIFY(!find<QWidget>(&page, "GroupBox7")->isVisible() || boxes.seen[0].icon == QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(0));
        TEST_END
    }

    void listsAndSearch()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("insert into s_user (id,sys_name) values (7,'gone')"));
        addRecord("早餐", "0.5", kToday, "包子");
        addRecord("午餐", "12", kToday.addDays(-1), QString());  // no remark at all
        addRecord("晚餐", "30", kToday.addDays(-2), "O'Neil 100%_off");
        addRecord("晚餐", "99", kToday, "gone member", 7);
        TestDb::sql(QStringLiteral("delete from s_user where id=7"));
        addRecord("工资", "5000", kToday, "income");
        Tf_zhichu page;
        page.show();
        QCOMPARE(column(&page, "DBGridEh1", 2), QStringList{QStringLiteral("早餐")});
        QCOMPARE(footerTexts(&page, "DBGridEh1").value(4), QStringLiteral("￥0.50"));
        click(&page, "Button6");  // tomorrow: nothing
        QVERIFY(column(&page, "DBGridEh1", 2).isEmpty());
        QCOMPARE(footerTexts(&page, "DBGridEh1").value(0), QStringLiteral("合计:"));
        const QString noSum = footerTexts(&page, "DBGridEh1").value(4);
        QVERIFY(noSum == QStringLiteral("￥0.00") || noSum.isEmpty());

        auto search = [&](const QString& keyword, const QDate& from, const QDate& to) {
            click(&page, "Button7");
            setText(&page, "Edit4", keyword);
            setDate(&page, "DateTimePicker3", from);
            setDate(&page, "DateTimePicker4", to);
            click(&page, "Button9");
            QStringList rows = column(&page, "DBGridEh1", 2);
            rows.sort();
            return rows;
        };
        const QDate from = kToday.addDays(-7);
        QStringList all{QStringLiteral("早餐"), QStringLiteral("晚餐"), QStringLiteral("午餐")};
        all.sort();
        // Keywords of hostile text (%, _, quotes, blanks): tst_hostile_ledger.
        QCOMPARE(search(QStringLiteral("   "), from, kToday), all);
        QCOMPARE(search(QStringLiteral("午"), from, kToday), QStringList{QStringLiteral("午餐")});  // null remark
        QCOMPARE(search(QStringLiteral("餐包"), from, kToday),
                 QStringList{QStringLiteral("早餐")});                                  // name and remark joined
        QCOMPARE(search(QString(), kToday, from), QStringList());                       // from after to
        QCOMPARE(search(QString(), kToday.addDays(-2), kToday.addDays(-1)).size(), 2);  // both ends included
        QCOMPARE(column(&page, "DBGridEh1", 0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        TEST_END
    }

    void amountKeyFilter()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        QLineEdit* amount = find<QLineEdit>(&page, "Edit1");
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
        TEST_END
    }

    void categoryPicker()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name,f_pinyin) select id,'Z','a%b',null from "
                                   "s_fenlei where f_name='餐饮'"));
        Tf_zhichu page;
        page.show();
        QLineEdit* cat = find<QLineEdit>(&page, "Edit3");
        // From the keyboard: arrows and Return pick a row, Tab the first one.
        cat->setFocus();
        QTest::keyClicks(cat, QStringLiteral("c"));
        DataGrid* rows = grid(&page, "DBGridEh2");
        QVERIFY(rowCount(&page, "DBGridEh2") > 2);
        QCOMPARE(rows->currentIndex().row(), 0);
        QTest::keyClick(cat, Qt::Key_Down);
        QTest::keyClick(cat, Qt::Key_Down);
        QTest::keyClick(cat, Qt::Key_Up);
        const QString second = cell(&page, "DBGridEh2", 1, 0);
        QTest::keyClick(cat, Qt::Key_Return);
        QCOMPARE(cat->text(), second);
        QVERIFY(!find<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(page.focusWidget()->objectName(), QStringLiteral("Edit1"));
        // Tab takes the first row; nothing reaches the amount box on the way.
        cat->clear();
        cat->setFocus();
        QTest::keyClicks(cat, QStringLiteral("zc"));
        QTest::keyClick(cat, Qt::Key_Tab);
        QCOMPARE(cat->text(), QStringLiteral("早餐"));
        QCOMPARE(page.focusWidget()->objectName(), QStringLiteral("Edit1"));
        QCOMPARE(editText(&page, "Edit1"), QStringLiteral("0"));
        // Escape closes the picker and keeps what was typed.
        cat->clear();
        cat->setFocus();
        QTest::keyClicks(cat, QStringLiteral("wc"));
        QTest::keyClick(cat, Qt::Key_Escape);
        QVERIFY(!find<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(cat->text(), QStringLiteral("wc"));
        // Found by quick code, by name where there is none, % as itself.
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("zc"));
        QVERIFY(find<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(column(&page, "DBGridEh2", 0), QStringList{QStringLiteral("早餐")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("KT"));  // no quick code: found by name
        QCOMPARE(column(&page, "DBGridEh2", 0), QStringList{QStringLiteral("KTV")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("%"));
        QCOMPARE(column(&page, "DBGridEh2", 0), QStringList{QStringLiteral("a%b")});
        cat->clear();
        QTest::keyClicks(cat, QStringLiteral("gz"));  // an income code on the expense page
        QVERIFY(column(&page, "DBGridEh2", 0).isEmpty());
        // The top-level box lists its sub-categories; a row click fills the box
        // and shows the budget of its parent.
        find<LookupCombo>(&page, "DBLookupComboboxEh3")->setKeyValue(categoryId("交通通讯"));
        QCOMPARE(column(&page, "DBGridEh2", 0).size(), 4);
        QCOMPARE(find<DataGrid>(&page, "DBGridEh2")->isColumnHidden(2), true);
        clickRow(&page, "DBGridEh2", 0);
        QCOMPARE(cat->text(), QStringLiteral("公交地铁"));
        QVERIFY(!find<QWidget>(&page, "GroupBox5")->isVisible());
        QCOMPARE(labelText(&page, "Label14"), QStringLiteral("交通通讯"));
        QCOMPARE(budgetBox(&page), QStringLiteral("400 0 400"));
        TEST_END
    }

    void budgetBoxFollowsSavesAndDeletes()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from s_yushuan where f_id=%1").arg(categoryId("休闲娱乐")));
        addRecord("午餐", "100", kToday.addDays(-30));  // April: another month
        Tf_zhichu page;
        page.show();
        fill(&page, "午餐", "20.5");
        click(&page, "Button3");
        QCOMPARE(labelText(&page, "Label14"), QStringLiteral("餐饮"));
        QCOMPARE(budgetBox(&page), QStringLiteral("1500 20.5 1479.5"));
        clickRow(&page, "DBGridEh1", 0);
        click(&page, "Button2");  // the fixture confirms
        QCOMPARE(budgetBox(&page), QStringLiteral("1500 0 1500"));
        fill(&page, "电影", "60");  // no budget row
        click(&page, "Button3");
        QCOMPARE(budgetBox(&page), QStringLiteral("0 60 -60"));
        TEST_END
    }

    void incomeMonthComparison()
    {
        TEST_BEGIN
        PageFixture f(QDateTime(QDate(2013, 1, 10), QTime(9, 0)));
        addRecord("工资", "8000", QDate(2012, 12, 10));
        addRecord("工资", "100", QDate(2012, 1, 10));  // January of the year before: no part of it
        addRecord("奖金", "500.5", QDate(2013, 1, 5));
        addRecord("奖金", "7", QDate(2013, 1, 11));  // after today
        Tf_shouru page;
        page.show();
        QCOMPARE(labelText(&page, "Label15"), QStringLiteral("本月收入"));
        QCOMPARE(labelText(&page, "Label17"), QStringLiteral("上月收入"));
        QCOMPARE(labelText(&page, "Label14"), QStringLiteral("收入增长"));
        QCOMPARE(budgetBox(&page), QStringLiteral("500.5 8000 -7499.5"));
        fill(&page, "利息", "99.5");
        auto& boxes = f.boxes;
        click(&page, "Button3");
        QVERIFY(boxes.seen.isEmpty());
        QCOMPARE(budgetBox(&page), QStringLiteral("600 8000 -7400"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select f_class from s_shouru order by id desc limit 1")),
                 QStringLiteral("S"));
        TEST_END
    }

    void listInEntryOrderFollowingTheEntryDate()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        // Saved in this order; 早餐 has the smaller category id.
        fill(&page, "午餐", "12");
        click(&page, "Button3");
        fill(&page, "早餐", "3");
        click(&page, "Button3");
        QCOMPARE(column(&page, "DBGridEh1", 2), (QStringList{QStringLiteral("午餐"), QStringLiteral("早餐")}));
        // A search lists by day, then in entry order.
        addRecord("早餐", "1", kToday.addDays(-1));
        click(&page, "Button7");
        setDate(&page, "DateTimePicker3", kToday.addDays(-1));
        click(&page, "Button9");
        QCOMPARE(column(&page, "DBGridEh1", 2).join(u' '), QStringLiteral("早餐 午餐 早餐"));
        QCOMPARE(column(&page, "DBGridEh1", 1).first(), dateText(kToday.addDays(-1)));
        // The entry date typed by hand: the list shows that day.
        setDate(&page, "DateTimePicker2", kToday.addDays(-1));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker1")->date(), kToday.addDays(-1));
        QCOMPARE(column(&page, "DBGridEh1", 4), QStringList{QStringLiteral("￥1.00")});
        // Records of a deleted account are in no list.
        TestDb::sql(QStringLiteral("delete from z_zhanghu where id=3"));  // the page's default account
        click(&page, "Button5");
        QVERIFY(column(&page, "DBGridEh1", 0).isEmpty());
        // Many rows: a vertical scroll bar, still no horizontal one.
        for (int i = 0; i < 30; ++i)
            addRecord("早餐", "1", kToday, "", 1, 2);
        click(&page, "Button5");
        QTest::qWait(20);
        DataGrid* list = grid(&page, "DBGridEh1");
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        TEST_END
    }

    void longListsComeInChunks()
    {
        TEST_BEGIN
        PageFixture f;
        // 10,000 breakfasts of 1.00 over 100 days, plus one of 2.00 on the last day.
        TestDb::sql(QStringLiteral("with recursive n(i) as (select 0 union all select i+1 from n where i<9999) "
                                   "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "select (select id from s_fenlei where f_name='早餐'), 10000, 1, 1, "
                                   "date('2012-02-01', '+'||(i%100)||' days'), 'Z' from n"));
        Tf_zhichu page;
        page.show();
        click(&page, "Button7");
        setDate(&page, "DateTimePicker3", QDate(2012, 1, 1));
        click(&page, "Button9");
        DataGrid* list = grid(&page, "DBGridEh1");
        auto* model = list->model();
        QVERIFY(model->rowCount() <= 1000);
        QCOMPARE(footerTexts(&page, "DBGridEh1").value(4), QStringLiteral("￥10000.00"));  // before any scrolling
        // Another connection writes while the list is open: nothing holds the file.
        Database other;
        QVERIFY2(other.open(f.db.path(), QByteArray(kDatabasePassword)), qPrintable(other.lastError()));
        QVERIFY2(
            other.exec(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                      "select id, 20000, 1, 1, '2012-05-10', 'Z' from s_fenlei where f_name='早餐'")),
            qPrintable(other.lastError()));
        // Scrolling to the end reads every chunk, in the list's order.
        for (int i = 0; i < 40 && model->canFetchMore(QModelIndex()); ++i) {
            list->scrollToBottom();
            QCoreApplication::processEvents();
        }
        QVERIFY(!model->canFetchMore(QModelIndex()));
        QCOMPARE(model->rowCount(), 10001);
        QCOMPARE(cell(&page, "DBGridEh1", 10000, EntryPage::ColNo), QStringLiteral("10001"));
        QCOMPARE(cell(&page, "DBGridEh1", 10000, EntryPage::ColAmount), QStringLiteral("￥2.00"));  // the newest, last
        const QStringList dates = column(&page, "DBGridEh1", EntryPage::ColDate);
        QVERIFY(std::is_sorted(dates.begin(), dates.end()));
        TEST_END
    }

    void failingReadIsShown()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        auto& boxes = f.boxes;
        TestDb::sql(QStringLiteral("drop table s_yushuan"));
        setText(&page, "Edit3", QStringLiteral("公交"));
        clickRow(&page, "DBGridEh2", 0);
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("栗子家庭记账本2012"));
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        QVERIFY2(boxes.seen[0].text.contains(QStringLiteral("no such table: s_yushuan")),
                 qPrintable(boxes.seen[0].text));
        QCOMPARE(labelText(&page, "Label20"), QStringLiteral("0"));  // never a made-up figure
        // A failing list shows its message too, once.
        TestDb::sql(QStringLiteral("drop view s_z_all"));
        QCOMPARE(f.boxesAfterClick(&page, "Button5").size(), 1);
        QVERIFY(boxes.seen[0].text.contains(QStringLiteral("s_z_all")));
        TEST_END
    }

    // The largest amount is saved, and two of them still sum.
    // Budget notices after saves: once per category and level in a month
    // (or year), the month's amount with carry-over. Each save is
    // "date amount [category]"; each expected entry the boxes it brought up.
    void budgetNotices_data()
    {
        QTest::addColumn<QString>("budget");
        QTest::addColumn<QStringList>("saves");
        QTest::addColumn<QStringList>("boxes");
        const QString none;
        QTest::newRow("80 % then over, once a month")
            << QString()
            << QStringList{"2012-05-03 1230", "2012-05-04 100", "2012-05-05 205.5", "2012-05-06 9", "2012-06-01 1300"}
            << QStringList{"餐饮本月预算已用 82%，剩余 ￥270.00", none, "餐饮本月预算已超支 ￥35.50", none,
                           "餐饮本月预算已用 86%，剩余 ￥200.00"};
        QTest::newRow("straight past 100 % counts for 80 % too")
            << QString() << QStringList{"2012-05-03 1600", "2012-05-04 1"}
            << QStringList{"餐饮本月预算已超支 ￥100.00", none};
        QTest::newRow("exactly 100 %") << QString() << QStringList{"2012-05-03 1500", "2012-05-04 1"}
                                       << QStringList{"餐饮本月预算已用 100%，剩余 ￥0.00", none};
        QTest::newRow("carry-over across three months")
            << "update s_yushuan set y_money=10000000, y_jiezhuan=1 where f_id=1"
            << QStringList{"2012-01-10 500", "2012-02-10 1300", "2012-03-10 1250"}
            << QStringList{none, "餐饮本月预算已用 86%，剩余 ￥200.00", "餐饮本月预算已超支 ￥50.00"};
        QTest::newRow("a yearly amount alone")
            << "update s_yushuan set y_money=0, y_year=100000000 where f_id=6"
            << QStringList{"2012-02-01 8500 旅游", "2012-11-01 100 旅游", "2012-12-01 1600 旅游",
                           "2013-01-01 8000 旅游"}
            << QStringList{"休闲娱乐本年预算已用 85%，剩余 ￥1,500.00", none, "休闲娱乐本年预算已超支 ￥200.00",
                           "休闲娱乐本年预算已用 80%，剩余 ￥2,000.00"};
        QTest::newRow("month and year in one save")
            << "update s_yushuan set y_year=50000000 where f_id=1" << QStringList{"2012-05-03 4200"}
            << QStringList{"餐饮本月预算已超支 ￥2,700.00 / 餐饮本年预算已用 84%，剩余 ￥800.00"};
        QTest::newRow("no budget amount, no budget row")
            << "update s_yushuan set y_money=0 where f_id=1; delete from s_yushuan where f_id=6"
            << QStringList{"2012-05-03 2000", "2012-05-03 2000 旅游"} << QStringList{none, none};
    }

    void budgetNotices()
    {
        QFETCH(QString, budget);
        QFETCH(QStringList, saves);
        QFETCH(QStringList, boxes);
        TEST_BEGIN
        PageFixture f;
        if (!budget.isEmpty())
            TestDb::sql(budget);
        Tf_zhichu page;
        page.show();
        for (int i = 0; i < saves.size(); ++i) {
            const QStringList save = saves[i].split(u' ');
            setDate(&page, "DateTimePicker2", QDate::fromString(save[0], Qt::ISODate));
            fill(&page, save.value(2, QStringLiteral("午餐")), save[1]);
            f.boxes.clear();
            click(&page, "Button3");
            QCOMPARE(f.boxes.texts().join(QStringLiteral(" / ")), boxes[i]);
            // The save is done first; an overspent budget warns.
            QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), qint64(i + 1));
            QVERIFY(find<QWidget>(&page, "GroupBox7")->isVisible());
            for (const SeenBox& box : f.boxes.seen) {
                QCOMPARE(box.title, QStringLiteral("栗子家庭记账本2012"));
                QCOMPARE(box.icon, box.text.contains(u"超支") ? QMessageBox::Warning : QMessageBox::Information);
            }
        }
        TEST_END
    }

    void largestAmountsSum()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("update s_yushuan set y_money=0"));  // no budget notices
        Tf_zhichu page;
        page.show();
        for (int i = 0; i < 2; ++i) {
            fill(&page, QStringLiteral("早餐"), QStringLiteral("99999999.99"));
            click(&page, "Button3");
        }
        QVERIFY(f.boxes.seen.isEmpty());
        QCOMPARE(footerTexts(&page, "DBGridEh1").value(4), QStringLiteral("￥199999999.98"));
        TEST_END
    }

    void saveFinishesTheCalculator()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        auto typeOnCalculator = [&](std::initializer_list<const char*> keys) {
            setText(&page, "Edit3", QStringLiteral("早餐"));
            clickLabel(&page, "Image7");
            click(&page, "Button11");
            for (const char* k : keys)
                click(&page, QString::fromLatin1(k));
            click(&page, "Button3");
        };
        typeOnCalculator({"Button12", "Button19", "Button22"});  // 7 × 3
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine from s_shouru order by id desc limit 1")),
                 QStringLiteral("210000"));
        typeOnCalculator({"Button12", "Button19"});  // 7 ×
        QCOMPARE(TestDb::scalarText(QStringLiteral("select s_jine from s_shouru order by id desc limit 1")),
                 QStringLiteral("70000"));
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }

    void comparisonAndChartAfterChangesInOtherMonths()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord("工资", "1000", kToday);
        Tf_shouru page;
        page.show();
        // An income dated last month: 本月 stays this month.
        setDate(&page, "DateTimePicker2", QDate(2012, 4, 10));
        fill(&page, "奖金", "300");
        click(&page, "Button3");
        QCOMPARE(budgetBox(&page), QStringLiteral("1000 300 700"));
        QCOMPARE(barLabels(&page, "DBChart1"), (QStringList{QStringLiteral("04-10"), QStringLiteral("05-20")}));
        // Deleting it: comparison and chart follow.
        clickRow(&page, "DBGridEh1", 0);
        click(&page, "Button2");
        QCOMPARE(budgetBox(&page), QStringLiteral("1000 0 1000"));
        QCOMPARE(barLabels(&page, "DBChart1"), QStringList{QStringLiteral("05-20")});
        TEST_END
    }

    void sevenDayChart()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord("早餐", "10", QDate(2012, 5, 1));
        addRecord("早餐", "5", QDate(2012, 5, 1));
        addRecord("早餐", "0", QDate(2012, 5, 8));
        addRecord("午餐", "9000", QDate(2012, 4, 30));
        addRecord("工资", "10", QDate(2012, 5, 9));  // income: not on this chart
        Tf_zhichu page;
        page.show();
        QCOMPARE(barLabels(&page, "DBChart1").join(u' '), QStringLiteral("04-30 05-01 05-08"));
        const QList<qreal> v = barValues(&page, "DBChart1");
        QCOMPARE(v.size(), 3);
        QCOMPARE(v[0], 9000.0);
        QCOMPARE(v[1], 15.0);
        auto* axis = valueAxis<QLogValueAxis>(&page, "DBChart1");
        QCOMPARE(v[2], axis->min());    // a zero day sits at the bottom
        QCOMPARE(axis->max(), 9000.0);  // grown to fit the largest bar
        QCOMPARE(find<QChartView>(&page, "DBChart1")->property("values").toStringList().value(2), QStringLiteral("0"));
        // The zero day carries a mark with its real sum; the others none.
        QStringList marks;
        for (QAbstractSeries* s : find<QChartView>(&page, "DBChart1")->chart()->series())
            if (auto* m = qobject_cast<QScatterSeries*>(s))
                marks << m->pointLabelsFormat();
        QCOMPARE(marks, QStringList{QStringLiteral("0")});
        QCOMPARE(axis->min(), 1.0);
        QVERIFY(!axis->labelFormat().contains(u'g') || axis->labelFormat() == QStringLiteral("%.15g"));
        // A save updates the chart.
        for (int i = 0; i < 8; ++i)
            addRecord("早餐", "1", QDate(2012, 5, 10 + i));
        fill(&page, "早餐", "2");
        click(&page, "Button3");
        QCOMPARE(barValues(&page, "DBChart1").size(), 7);
        QCOMPARE(barLabels(&page, "DBChart1").last(), QStringLiteral("05-20"));
        auto* small = valueAxis<QLogValueAxis>(&page, "DBChart1");
        QCOMPARE(small->max(), 6361.64);
        // A sub-yuan day is drawn as it is: the axis reaches below it.
        addRecord("早餐", "0.5", QDate(2012, 5, 21));
        fill(&page, "早餐", "2");
        click(&page, "Button3");
        QCOMPARE(barValues(&page, "DBChart1").last(), 0.5);
        QCOMPARE(barValues(&page, "DBChart1").value(5), 4.0);  // two saves of 2
        QCOMPARE(valueAxis<QLogValueAxis>(&page, "DBChart1")->min(), 0.1);
        TEST_END
    }
};

QTEST_MAIN(TstEntry)
#include "tst_entry.moc"
