// The transfers page: the date range, the look-up columns, save and delete.
#include "accounts/Tf_zhuanzhang.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

using namespace Driver;

namespace {
const QDate kToday = PageFixture::defaultNow().date();  // 2012-05-20

void addTransfer(qint64 from, qint64 to, const QDate& d, qint64 raw)
{
    TestDb::sql(QStringLiteral("insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (%1,%2,'%3',%4)")
                    .arg(from)
                    .arg(to)
                    .arg(dateText(d))
                    .arg(raw));
}

QString accountName(qint64 id)
{
    return TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=%1").arg(id));
}
}

class TstZhuanzhang : public QObject {
    Q_OBJECT

private slots:
    void rangeLookupsAndLayout()
    {
        TEST_BEGIN
        PageFixture f;
        addTransfer(1, 2, kToday, 10000);
        addTransfer(2, 3, QDate(2012, 4, 30), 20000);  // last day of the month before
        addTransfer(3, 1, QDate(2012, 5, 1), 30000);
        addTransfer(1, 9, QDate(2012, 5, 1), 40000);  // an account that is gone
        Tf_zhuanzhang page;
        page.show();
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker1")->date(), QDate(2012, 5, 1));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker2")->date(), kToday);
        // By date, then entry order; both ends included.
        QCOMPARE(
            column(&page, "DBGridEh7", Tf_zhuanzhang::ColDate),
            (QStringList{QStringLiteral("2012-05-01"), QStringLiteral("2012-05-01"), QStringLiteral("2012-05-20")}));
        QCOMPARE(column(&page, "DBGridEh7", Tf_zhuanzhang::ColFromName),
                 (QStringList{accountName(3), accountName(1), accountName(1)}));
        QCOMPARE(cell(&page, "DBGridEh7", 1, Tf_zhuanzhang::ColToName), QString());
        DataGrid* g = grid(&page, "DBGridEh7");
        for (int c = 0; c < 3; ++c)
            QVERIFY(g->isColumnHidden(c));
        QCOMPARE(g->columnWidth(Tf_zhuanzhang::ColRemark) + g->columnWidth(Tf_zhuanzhang::ColDate), g->width() - 320);
        QCOMPARE(g->columnWidth(Tf_zhuanzhang::ColFromName), 90);
        QCOMPARE(g->model()->headerData(Tf_zhuanzhang::ColFromName, Qt::Horizontal).toString(),
                 QStringLiteral("转出账户"));
        // Choosing a name writes the id.
        editCell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColToName, 2);
        QCOMPARE(cell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColToName), accountName(2));
        // 查询 with a pending edit asks first; OK saves it.
        setDate(&page, "DateTimePicker1", QDate(2012, 4, 30));
        QCOMPARE(f.boxesAfterClick(&page, "Button41"), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(TestDb::scalarText(QStringLiteral("select zh2 from s_zhanghistory where zXmoney=30000")),
                 QStringLiteral("2"));
        QCOMPARE(rowCount(&page, "DBGridEh7"), 4);
        TEST_END
    }

    void saveWholeOrNothing()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhuanzhang page;
        page.show();
        auto addRow = [&](const QVariant& date, qint64 from, qint64 to, const QString& amount) {
            click(&page, "Button38");
            grid(&page, "DBGridEh7")->commitPendingEdit();
            const int r = rowCount(&page, "DBGridEh7") - 1;
            auto* m = qobject_cast<BatchModel*>(grid(&page, "DBGridEh7")->model());
            m->setRaw(r, Tf_zhuanzhang::ColDate, date);
            editCell(&page, "DBGridEh7", r, Tf_zhuanzhang::ColFromName, from);
            editCell(&page, "DBGridEh7", r, Tf_zhuanzhang::ColToName, to);
            if (!amount.isNull())
                editCell(&page, "DBGridEh7", r, Tf_zhuanzhang::ColAmount, amount);
        };
        addRow(kToday, 1, 2, QStringLiteral("50"));
        addRow(QVariant(), 2, 3, QStringLiteral("5"));  // no date
        QCOMPARE(f.boxesAfterClick(&page, "Button40"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，请选择时间")}));
        QCOMPARE(TestDb::count(QStringLiteral("s_zhanghistory")), qint64(0));
        QCOMPARE(rowCount(&page, "DBGridEh7"), 2);  // the edits stay
        auto* m = qobject_cast<BatchModel*>(grid(&page, "DBGridEh7")->model());
        m->setRaw(1, Tf_zhuanzhang::ColDate, kToday);
        editCell(&page, "DBGridEh7", 1, Tf_zhuanzhang::ColAmount, QStringLiteral("0"));  // 0 counts as missing
        QCOMPARE(f.boxesAfterClick(&page, "Button40").value(1),
                 QStringLiteral("对不起，请选择转出、转入账户并填写金额"));
        editCell(&page, "DBGridEh7", 1, Tf_zhuanzhang::ColAmount, QStringLiteral("5"));
        editCell(&page, "DBGridEh7", 1, Tf_zhuanzhang::ColToName, 2);  // A to A: as entered
        QCOMPARE(f.boxesAfterClick(&page, "Button40"), QStringList{QStringLiteral("是否确定保存数据？")});
        QCOMPARE(TestDb::scalarText(
                     QStringLiteral("select group_concat(zh1||'>'||zh2||' '||zXmoney, ';') from s_zhanghistory")),
                 QStringLiteral("1>2 500000;2>2 50000"));
        // The saved rows carry their ids: delete works at once; the question ends in the id.
        const QString id = TestDb::scalarText(QStringLiteral("select max(id) from s_zhanghistory"));
        selectCell(&page, "DBGridEh7", 1, Tf_zhuanzhang::ColRemark);
        QCOMPARE(f.boxesAfterClick(&page, "Button39"), QStringList{QStringLiteral("是否确定删除？") + id});
        QCOMPARE(TestDb::count(QStringLiteral("s_zhanghistory")), qint64(1));
        TEST_END
    }

    void deleteZeroesTransferTotals()
    {
        TEST_BEGIN
        PageFixture f;
        addTransfer(1, 2, kToday, 10000);
        TestDb::sql(QStringLiteral("update z_zhanghu set z_zhuanru=7, z_zhuanchu=8, z_yue=9"));
        Tf_zhuanzhang page;
        page.show();
        f.boxes.setAnswer(QMessageBox::Cancel);
        selectCell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColRemark);
        click(&page, "Button39");
        QCOMPARE(TestDb::count(QStringLiteral("s_zhanghistory")), qint64(1));
        f.boxes.setAnswer(QMessageBox::Ok);
        click(&page, "Button39");
        QCOMPARE(TestDb::count(QStringLiteral("s_zhanghistory")), qint64(0));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(z_zhuanru||z_zhuanchu||z_yue) from z_zhanghu")),
                 QStringLiteral("009,009,009"));
        QCOMPARE(rowCount(&page, "DBGridEh7"), 0);
        // An unsaved row under the cursor: nothing happens, nothing is asked.
        click(&page, "Button38");
        grid(&page, "DBGridEh7")->commitPendingEdit();
        QCOMPARE(f.boxesAfterClick(&page, "Button39"), QStringList());
        TEST_END
    }

    void transferDeletedMeanwhile()
    {
        TEST_BEGIN
        PageFixture f;
        addTransfer(1, 2, kToday, 10000);
        Tf_zhuanzhang page;
        page.show();
        editCell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColRemark, QStringLiteral("改"));
        TestDb::sql(QStringLiteral("delete from s_zhanghistory"));  // another copy of the program
        QCOMPARE(f.boxesAfterClick(&page, "Button40"),
                 (QStringList{QStringLiteral("是否确定保存数据？"),
                              QStringLiteral("对不起，该转账记录已被删除，请点〔查询〕后重新修改")}));
        QCOMPARE(TestDb::count(QStringLiteral("s_zhanghistory")), qint64(0));
        TEST_END
    }

    void anyMouseButtonEdits()
    {
        TEST_BEGIN
        PageFixture f;
        addTransfer(1, 2, kToday, 10000);
        Tf_zhuanzhang page;
        page.show();
        pressCell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColFromName, Qt::RightButton);
        DataGrid* g = grid(&page, "DBGridEh7");
        QVERIFY(g->viewport()->findChild<QComboBox*>());
        g->commitPendingEdit();
        // Typing on a pressed cell replaces its content.
        TestDb::sql(QStringLiteral("update s_zhanghistory set other='old'"));
        click(&page, "Button41");
        pressCell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColRemark, Qt::MiddleButton);
        auto* editor = g->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor && editor->isVisible());
        QTest::keyClicks(editor, QStringLiteral("xy"));
        g->commitPendingEdit();
        QCOMPARE(cell(&page, "DBGridEh7", 0, Tf_zhuanzhang::ColRemark), QStringLiteral("xy"));
        TEST_END
    }
};

QTEST_MAIN(TstZhuanzhang)
#include "tst_zhuanzhang.moc"
