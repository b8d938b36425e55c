// The loan pages: listing and filters on the stored outstanding amount, saves
// of new rows with their class and date, deletes, the account look-up, and
// what the loans do to the account balances.
#include "app/Pages.h"
#include "data/AccountTotals.h"
#include "loans/Tf_jiechu.h"
#include "loans/Tf_jieru.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QTableView>
#include <QTest>

using namespace Driver;

namespace {
constexpr const char* kGrid = "DBGridEh6";

// Waits for the page's first listing, 50 ms after creation.
void waitListed(LoanPage& page, DRIVER_HERE)
{
    QElapsedTimer t;
    t.start();
    while (grid(&page, kGrid, where)->model()->columnCount() == 0 && t.elapsed() < 2000)
        QTest::qWait(10);
    if (grid(&page, kGrid, where)->model()->columnCount() == 0)
        fail(QStringLiteral("no listing after 2 s"), where);
}

// A new row through "增加", filled cell by cell without a click.
int addLoanRow(LoanPage& page, qint64 account, const QString& amount, const QString& repaid, DRIVER_HERE)
{
    click(&page, "Button35", where);
    const int row = rowCount(&page, kGrid, where) - 1;
    editCell(&page, kGrid, row, LoanPage::ColAccount, account, where);
    editCell(&page, kGrid, row, LoanPage::ColAmount, amount, where);
    editCell(&page, kGrid, row, LoanPage::ColRepaid, repaid, where);
    return row;
}

// A loan written straight into the table, with its stored outstanding amount.
qint64 addLoan(const QString& cls, const QString& date, int amount, int repaid, qint64 account = 1)
{
    TestDb::sql(
        QStringLiteral(
            "insert into s_jie (j_class,j_date,z_id,j_chuMoney,j_ruMoney,j_yuMoney) values ('%1','%2',%3,%4,%5,%6)")
            .arg(cls, date)
            .arg(account)
            .arg(qint64(amount) * 10000)
            .arg(qint64(repaid) * 10000)
            .arg(qint64(amount - repaid) * 10000));
    return TestDb::scalarInt(QStringLiteral("select max(id) from s_jie"));
}

void chooseFilter(LoanPage& page, int filter)
{
    find<QComboBox>(&page, "ComboBox1")->setCurrentIndex(filter);
    click(&page, "Button41");
}
}  // namespace

class TstJie : public QObject {
    Q_OBJECT
private slots:
    void layoutAndFirstListing()
    {
        TEST_BEGIN
        PageFixture f;
        addLoan(QStringLiteral("S"), QStringLiteral("2012-05-03"), 100, 0);
        addLoan(QStringLiteral("Z"), QStringLiteral("2012-05-04"), 50, 0);  // each page lists its own class
        Tf_jieru page;
        QCOMPARE(rowCount(&page, kGrid), 0);  // the listing comes just after the page shows
        waitListed(page);
        QCOMPARE(rowCount(&page, kGrid), 1);
        // The controls as a user's tools find them: one grid, one list.
        QCOMPARE(page.findChildren<QTableView*>().size(), 1);
        QCOMPARE(page.findChildren<QComboBox*>().size(), 1);
        const auto dates = page.findChildren<QDateTimeEdit*>();
        QCOMPARE(dates.size(), 2);
        QCOMPARE(dates[0]->date(), QDate(2012, 5, 1));
        QCOMPARE(dates[1]->date(), QDate(2012, 5, 20));
        QCOMPARE(find<QComboBox>(&page, "ComboBox1")->currentText(), QStringLiteral("全部"));

        DataGrid* g = grid(&page, kGrid);
        QStringList titles;
        for (int c = 0; c < g->model()->columnCount(); ++c)
            if (!g->isColumnHidden(c))
                titles << g->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles.join(u','), QStringLiteral("日期,账户,借入金额,已还金额,余额,预计回收期,借给,借款人,备注"));
        QCOMPARE(cell(&page, kGrid, 0, LoanPage::ColAccount), QStringLiteral("现金"));
        QVERIFY(g->hasEditButton(LoanPage::ColAmount));

        Tf_jiechu lent;
        waitListed(lent);
        DataGrid* lg = grid(&lent, kGrid);
        QCOMPARE(lg->model()->headerData(LoanPage::ColAmount, Qt::Horizontal).toString(), QStringLiteral("借出金额"));
        QVERIFY(!lg->hasEditButton(LoanPage::ColAmount));
        QVERIFY(lg->isInputMethodClosed(LoanPage::ColAmount));
        QCOMPARE(column(&lent, kGrid, LoanPage::ColAmount), QStringList{QStringLiteral("50.00")});
        TEST_END
    }

    void saveWithoutClickAndFilters()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_jieru page;
        waitListed(page);
        const int row = addLoanRow(page, 2, QStringLiteral("1000"), QStringLiteral("1000"));
        QCOMPARE(cell(&page, kGrid, row, LoanPage::ColDate), QStringLiteral("2012-05-20"));  // dated today
        QCOMPARE(cell(&page, kGrid, row, LoanPage::ColOutstanding), QStringLiteral("0.00"));
        QCOMPARE(f.boxesAfterClick(&page, "Button37"), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(
            TestDb::scalarText(QStringLiteral("select j_class||' '||j_date||' '||z_id||' '||j_yuMoney from s_jie")),
            QStringLiteral("S 2012-05-20 2 0"));
        // Back with its id: it can be deleted at once.
        auto* model = static_cast<BatchModel*>(grid(&page, kGrid)->model());
        QCOMPARE(model->raw(0, LoanPage::ColId).toLongLong(),
                 TestDb::scalarInt(QStringLiteral("select id from s_jie")));
        QVERIFY(!model->hasPending());

        chooseFilter(page, LoanPage::Repaid);
        QCOMPARE(rowCount(&page, kGrid), 1);
        chooseFilter(page, LoanPage::NotRepaid);
        QCOMPARE(rowCount(&page, kGrid), 0);

        // 999 repaid: typed, the filters still go by the stored amount until saved.
        chooseFilter(page, LoanPage::All);
        editCell(&page, kGrid, 0, LoanPage::ColRepaid, QStringLiteral("999"));
        QCOMPARE(cell(&page, kGrid, 0, LoanPage::ColOutstanding), QStringLiteral("1.00"));
        click(&page, "Button37");
        chooseFilter(page, LoanPage::NotRepaid);
        QCOMPARE(rowCount(&page, kGrid), 1);
        chooseFilter(page, LoanPage::Repaid);
        QCOMPARE(rowCount(&page, kGrid), 0);

        // Over-repaid: saved as typed, outstanding below 0, not repaid.
        chooseFilter(page, LoanPage::All);
        addLoanRow(page, 1, QStringLiteral("500"), QStringLiteral("600.5"));
        // Left empty, the repaid amount counts as 0.
        click(&page, "Button35");
        editCell(&page, kGrid, 2, LoanPage::ColAmount, QStringLiteral("20"));
        editCell(&page, kGrid, 2, LoanPage::ColRepaid, QString());
        QCOMPARE(cell(&page, kGrid, 2, LoanPage::ColOutstanding), QStringLiteral("20.00"));
        QCOMPARE(
            footerTexts(&page, kGrid),
            (QStringList{QStringLiteral("合计:"), QString(), QStringLiteral("￥1520.00"), QStringLiteral("￥1599.50"),
                         QStringLiteral("￥-79.50"), QString(), QString(), QString(), QString()}));
        click(&page, "Button37");
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(j_yuMoney) from s_jie")),
                 QStringLiteral("10000,-1005000,200000"));
        chooseFilter(page, LoanPage::NotRepaid);
        QCOMPARE(column(&page, kGrid, LoanPage::ColOutstanding),
                 (QStringList{QStringLiteral("1.00"), QStringLiteral("-100.50"), QStringLiteral("20.00")}));
        TEST_END
    }

    void datesAndOrder()
    {
        TEST_BEGIN
        PageFixture f;
        addLoan(QStringLiteral("Z"), QStringLiteral("2012-05-09"), 10, 0);
        addLoan(QStringLiteral("Z"), QStringLiteral("2012-04-30"), 20, 0);  // before the month: not shown
        addLoan(QStringLiteral("Z"), QStringLiteral("2012-05-02"), 30, 0);
        addLoan(QStringLiteral("Z"), QStringLiteral("2012-05-21"), 40, 0);  // after today
        Tf_jiechu page;
        waitListed(page);
        QCOMPARE(column(&page, kGrid, LoanPage::ColAmount),
                 (QStringList{QStringLiteral("30.00"), QStringLiteral("10.00")}));
        page.findChildren<QDateTimeEdit*>()[0]->setDate(QDate(2012, 4, 30));
        page.findChildren<QDateTimeEdit*>()[1]->setDate(QDate(2012, 5, 21));
        QCOMPARE(rowCount(&page, kGrid), 2);  // only "查询" runs the query
        click(&page, "Button41");
        QCOMPARE(column(&page, kGrid, LoanPage::ColAmount),
                 (QStringList{QStringLiteral("20.00"), QStringLiteral("30.00"), QStringLiteral("10.00"),
                              QStringLiteral("40.00")}));
        TEST_END
    }

    void deleteZeroesTotalsUntilRecalculation()
    {
        TEST_BEGIN
        PageFixture f;
        // 现金 opens with 2000: borrowed 1000 with 300 repaid, lent 400.
        Tf_jieru borrowed;
        waitListed(borrowed);
        addLoanRow(borrowed, 1, QStringLiteral("1000"), QStringLiteral("300"));
        click(&borrowed, "Button37");
        Tf_jiechu lent;
        waitListed(lent);
        addLoanRow(lent, 1, QStringLiteral("400"), QString());
        click(&lent, "Button37");
        DbError error;
        QVERIFY2(RecalcAccountTotals(Database::shared(), &error), qPrintable(error.message()));
        QCOMPARE(
            TestDb::scalarText(QStringLiteral("select z_jieru||' '||z_jiechu||' '||z_yue from z_zhanghu where id=1")),
            QStringLiteral("7000000 4000000 23000000"));

        // A new, unsaved row is not deleted and asks nothing.
        click(&lent, "Button35");
        selectCell(&lent, kGrid, 1, LoanPage::ColAmount);
        QVERIFY(f.boxesAfterClick(&lent, "Button36").isEmpty());
        QCOMPARE(rowCount(&lent, kGrid), 2);

        // The just-saved loan: its id is in the question; Cancel keeps it.
        const qint64 id = TestDb::scalarInt(QStringLiteral("select id from s_jie where j_class='Z'"));
        selectCell(&lent, kGrid, 0, LoanPage::ColAmount);
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&lent, "Button36"), QStringList{QStringLiteral("是否确定删除？%1").arg(id)});
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(2));
        f.boxes.setAnswer(QMessageBox::Ok);
        QCOMPARE(f.boxesAfterClick(&lent, "Button36"), QStringList{QStringLiteral("是否确定删除？%1").arg(id)});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(1));
        QCOMPARE(rowCount(&lent, kGrid), 0);  // listed again; the unsaved row went with it
        // Every account's loan totals read 0; the balance waits for the recomputation.
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where z_jieru<>0 or z_jiechu<>0")), qint64(0));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_yue from z_zhanghu where id=1")), qint64(23000000));
        QVERIFY2(RecalcAccountTotals(Database::shared(), &error), qPrintable(error.message()));
        QCOMPARE(
            TestDb::scalarText(QStringLiteral("select z_jieru||' '||z_jiechu||' '||z_yue from z_zhanghu where id=1")),
            QStringLiteral("7000000 0 27000000"));
        TEST_END
    }

    void failuresAreShownAndNothingIsWritten()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_jieru page;
        waitListed(page);
        TestDb::sql(QStringLiteral(
            "create trigger refuse before insert on s_jie begin select raise(abort, 'no new loans'); end"));
        addLoanRow(page, 1, QStringLiteral("80"), QString());
        QCOMPARE(f.boxesAfterClick(&page, "Button37"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("数据库操作失败：\nno new loans")}));
        QCOMPARE(f.boxes.seen[1].icon, QMessageBox::Critical);
        QCOMPARE(f.boxes.seen[1].title, QStringLiteral("栗子家庭记账本2012"));
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(0));
        QCOMPARE(column(&page, kGrid, LoanPage::ColAmount),
                 QStringList{QStringLiteral("80.00")});  // still there to save

        // The outstanding amounts are part of the save: their failure takes the rows back too.
        TestDb::sql(QStringLiteral(
            "drop trigger refuse;"
            "create trigger refuse before update of j_yuMoney on s_jie begin select raise(abort, 'no update'); end"));
        QCOMPARE(f.boxesAfterClick(&page, "Button37").value(1), QStringLiteral("数据库操作失败：\nno update"));
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(0));
        QVERIFY(static_cast<BatchModel*>(grid(&page, kGrid)->model())->isNewRow(0));

        // A delete whose zeroing fails deletes nothing.
        TestDb::sql(QStringLiteral("drop trigger refuse"));
        click(&page, "Button37");
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(1));
        TestDb::sql(QStringLiteral(
            "create trigger refuse before update on z_zhanghu begin select raise(abort, 'totals locked'); end"));
        selectCell(&page, kGrid, 0, LoanPage::ColAmount);
        QCOMPARE(f.boxesAfterClick(&page, "Button36").value(1), QStringLiteral("数据库操作失败：\ntotals locked"));
        QCOMPARE(f.boxes.seen[1].icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("s_jie")), qint64(1));
        QCOMPARE(rowCount(&page, kGrid), 1);

        // A listing that fails is shown, not an empty grid taken for "no loans".
        TestDb::sql(QStringLiteral("drop trigger refuse; alter table s_jie rename to s_jie_gone"));
        QVERIFY(f.boxesAfterClick(&page, "Button41").value(0).contains(QStringLiteral("s_jie")));
        TEST_END
    }

    // Typing on the cells, as a user does, and the cells' drop-down buttons.
    void typingInTheCells()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 bank = addAccount(QStringLiteral("Bank"));
        addAccount(QStringLiteral("Alipay"));
        Tf_jiechu page;
        page.show();
        waitListed(page);
        click(&page, "Button35");
        DataGrid* g = grid(&page, kGrid);
        selectCell(&page, kGrid, 0, LoanPage::ColAccount);
        g->setFocus();
        QTest::keyClick(g, Qt::Key_B);
        auto* list = qobject_cast<QComboBox*>(g->indexWidget(g->currentIndex()));
        QVERIFY(list);
        QTRY_VERIFY(list->view()->isVisible());
        QCOMPARE(list->currentText(), QStringLiteral("Bank"));
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("id"));
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("账户"));
        QTest::keyClick(list->view(), Qt::Key_Return);
        QTRY_COMPARE(cell(&page, kGrid, 0, LoanPage::ColAccount), QStringLiteral("Bank"));
        auto* model = static_cast<BatchModel*>(g->model());
        QCOMPARE(model->raw(0, LoanPage::ColAccountId).toLongLong(), bank);

        // Return reaching the grid itself takes the entry as well.
        QTest::keyClick(g, Qt::Key_Right);  // off the cell and back, as a user moves
        selectCell(&page, kGrid, 0, LoanPage::ColAccount);
        QTest::keyClick(g, Qt::Key_A);
        auto* second = qobject_cast<QComboBox*>(g->indexWidget(g->currentIndex()));
        QVERIFY(second && second->view()->isVisible());
        QCOMPARE(second->currentText(), QStringLiteral("Alipay"));
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(cell(&page, kGrid, 0, LoanPage::ColAccount), QStringLiteral("Alipay"));
        // An amount typed on its cell, key by key.
        selectCell(&page, kGrid, 0, LoanPage::ColAmount);
        QTest::keyClicks(g, QStringLiteral("1250.5"));
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(cell(&page, kGrid, 0, LoanPage::ColAmount), QStringLiteral("1250.50"));
        click(&page, "Button37");
        QCOMPARE(TestDb::scalarText(QStringLiteral(
                     "select z_name||' '||j_chuMoney from s_jie join z_zhanghu on z_zhanghu.id=s_jie.z_id")),
                 QStringLiteral("Alipay 12505000"));

        // The drop-down buttons open the list or the calendar at once.
        auto clickButton = [&](int column) {
            const QRect button = DataGrid::editButtonRect(g->visualRect(g->model()->index(0, column)));
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, button.center());
            return g->indexWidget(g->model()->index(0, column));
        };
        auto* third = qobject_cast<QComboBox*>(clickButton(LoanPage::ColAccount));
        QVERIFY(third && third->view()->isVisible());
        third->hidePopup();
        g->commitPendingEdit();
        auto* date = qobject_cast<QDateTimeEdit*>(clickButton(LoanPage::ColDate));
        QVERIFY(date);
        QTRY_VERIFY(date->calendarWidget()->isVisible());
        TEST_END
    }
};

QTEST_MAIN(TstJie)
#include "tst_jie.moc"
