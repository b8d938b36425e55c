// Amounts typed into a grid: one bound everywhere, as on the entry pages.
// One table of money inputs over the transfer grid's amount cell, typed key
// by key, then saved.
#include "accounts/Tf_zhanghu.h"
#include "accounts/Tf_zhuanzhang.h"
#include "loans/LoanPage.h"
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QTest>

using namespace Driver;

class TstGridAmounts : public QObject {
    Q_OBJECT

private slots:
    void typedAmounts_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("boxes");  // on leaving the cell, then on 保存
        QTest::addColumn<qint64>("stored");      // zXmoney written; -1: nothing written
        const QString ask = QStringLiteral("是否确定保存数据？");
        const QString tooLarge = QStringLiteral("对不起，金额超出范围");
        QTest::newRow("ordinary") << "53.3" << QStringList{ask} << qint64(533000);
        QTest::newRow("the bound") << "99999999.99" << QStringList{ask} << qint64(999999999900);
        QTest::newRow("over the bound") << "999999999999" << QStringList{ask, tooLarge} << qint64(-1);
        QTest::newRow("eighteen digits") << "123456789012345678"
                                         << QStringList{tooLarge, ask,
                                                        QStringLiteral("对不起，请选择转出、转入账户并填写金额")}
                                         << qint64(-1);
    }
    void typedAmounts()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, boxes);
        QFETCH(qint64, stored);
        TEST_BEGIN
        PageFixture f;
        Tf_zhuanzhang page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QApplication::setActiveWindow(&page);
        click(&page, "Button38");
        const int row = rowCount(&page, "DBGridEh7") - 1;
        editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColDate, QDate(2012, 5, 3));
        editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColFromName, 1);
        editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColToName, 2);
        DataGrid* g = grid(&page, "DBGridEh7");
        selectCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColAmount);
        g->setFocus();
        QTest::keyClicks(g, keys.left(1));
        QTest::keyClicks(QApplication::focusWidget(), keys.mid(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::qWait(20);  // the box about the cell comes once the editor is closed
        click(&page, "Button40");
        QCOMPARE(f.boxes.texts(), boxes);
        const QString written = TestDb::scalarText(
            QStringLiteral("select group_concat(zXmoney) from s_zhanghistory where zdate='2012-05-03'"));
        QCOMPARE(written, stored < 0 ? QString() : QString::number(stored));
        if (stored < 0)
            QCOMPARE(rowCount(&page, "DBGridEh7"), row + 1);  // the row stays to be put right
        TEST_END
    }

    // Money moved or lent is never below zero; an opening amount may be.
    void negativeAmounts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("saved");
        QTest::newRow("transfer") << "transfers" << int(Tf_zhuanzhang::ColAmount) << false;
        QTest::newRow("borrowed") << "borrowed" << int(LoanPage::ColAmount) << false;
        QTest::newRow("lent repaid") << "lent" << int(LoanPage::ColRepaid) << false;
        QTest::newRow("opening amount") << "accounts" << int(Tf_zhanghu::ColOpening) << true;
    }
    void negativeAmounts()
    {
        QFETCH(QString, page);
        QFETCH(int, column);
        QFETCH(bool, saved);
        TEST_BEGIN
        PageFixture f;
        const GridPages::GridPage& p = GridPages::page(page);
        std::unique_ptr<QWidget> w(GridPages::open(p));
        const int row = p.typeRow(w.get(), QStringLiteral("neg"));
        editCell(w.get(), p.grid, row, column, QStringLiteral("-5"));
        QStringList boxes = f.boxesAfterClick(w.get(), p.save);
        boxes.removeAll(QStringLiteral("是否确定保存数据？"));
        QCOMPARE(boxes, saved ? QStringList() : QStringList{QStringLiteral("对不起，金额超出范围")});
        const QString where = QStringLiteral(" where %1='neg'").arg(QLatin1String(p.tagField));
        QCOMPARE(TestDb::count(p.table + where), qint64(saved ? 1 : 0));
        TEST_END
    }
};

QTEST_MAIN(TstGridAmounts)
#include "tst_gridamounts.moc"
