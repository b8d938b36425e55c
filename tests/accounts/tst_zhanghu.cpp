// The accounts page: the batch grid, its footers, delete and save, the pies.
#include "accounts/Tf_zhanghu.h"
#include "data/AccountTotals.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLegend>
#include <QLegendMarker>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

using namespace Driver;

class TstZhanghu : public QObject {
    Q_OBJECT

private slots:
    void gridTitlesFootersAndNewAccount()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("工资"), QStringLiteral("100.5"), PageFixture::defaultNow().date());
        QVERIFY(RecalcAccountTotals(Database::shared()));
        Tf_zhanghu page;
        page.show();
        auto* g = grid(&page, "DBGridEh3");
        QStringList titles;
        for (int c = 1; c < g->model()->columnCount(); ++c)
            titles << g->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles.join(u'|'), QStringLiteral("账户名称|起始金额|收入\u3000|支出|借入|借出|转入|转出|余额|备注"));
        QVERIFY(g->isColumnHidden(0));
        QCOMPARE(g->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(g->verticalHeader()->defaultSectionSize(), 25);
        auto* model = qobject_cast<BatchModel*>(g->model());
        QVERIFY(!(model->flags(model->index(0, 9)) & Qt::ItemIsEditable));
        // Each footer is the sum of its column.
        QStringList sums{QStringLiteral("合计:")};
        for (const char* c :
             {"z_qcje", "z_shouru", "z_zhichu", "z_jieru", "z_jiechu", "z_zhuanru", "z_zhuanchu", "z_yue"})
            sums << Money::fromRaw(
                        TestDb::scalarInt(QStringLiteral("select sum(%1) from z_zhanghu").arg(QString::fromLatin1(c))))
                        .yuan();
        sums << QString();
        QCOMPARE(footerTexts(&page, "DBGridEh3"), sums);
        QCOMPARE(sums.value(2), QStringLiteral("￥100.50"));

        // A new account without an opening amount: stored with 0; totals at the next opening.
        click(&page, "Button27");
        const int row = rowCount(&page, "DBGridEh3") - 1;
        editCell(&page, "DBGridEh3", row, Tf_zhanghu::ColName, QStringLiteral("O'Neil \"卡\""));
        click(&page, "Button9");
        QCOMPARE(TestDb::scalarText(
                     QStringLiteral("select z_qcje||'|'||z_yue from z_zhanghu where z_name='O''Neil \"卡\"'")),
                 QStringLiteral("0|0"));
        QVERIFY(f.boxes.texts() == QStringList{QStringLiteral("是否确定保存数据？")});
        // After the save the row carries its id: delete works on it at once.
        pressCell(&page, "DBGridEh3", row, Tf_zhanghu::ColName);
        QCOMPARE(page.selectedId(), TestDb::scalarText(QStringLiteral("select max(id) from z_zhanghu")));
        click(&page, "Button28");
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu")), qint64(3));
        QCOMPARE(page.selectedId(), QStringLiteral("0"));

        // A new account with an opening amount shows its balance right after the save.
        click(&page, "Button27");
        const int added = rowCount(&page, "DBGridEh3") - 1;
        editCell(&page, "DBGridEh3", added, Tf_zhanghu::ColName, QStringLiteral("零钱罐"));
        editCell(&page, "DBGridEh3", added, Tf_zhanghu::ColOpening, QStringLiteral("88.5"));
        click(&page, "Button9");
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_yue from z_zhanghu where z_name='零钱罐'")),
                 qint64(885000));
        QCOMPARE(cell(&page, "DBGridEh3", added, Tf_zhanghu::ColBalance),
                 cell(&page, "DBGridEh3", added, Tf_zhanghu::ColOpening));
        // A second account of a name is refused; the rows stay to be put right.
        click(&page, "Button27");
        editCell(&page, "DBGridEh3", added + 1, Tf_zhanghu::ColName, QStringLiteral("零钱罐"));
        QCOMPARE(f.boxesAfterClick(&page, "Button9"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，账户名称已存在")}));
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where z_name='零钱罐'")), qint64(1));
        QCOMPARE(rowCount(&page, "DBGridEh3"), added + 2);
        TEST_END
    }

    void deleteRefusalsAndTheSelectedId()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from z_zhanghu where id>2"));  // two of the three delivered
        Tf_zhanghu page;
        page.show();
        QCOMPARE(f.boxesAfterClick(&page, "Button28"), QStringList{QStringLiteral("对不起，请先选择要删除的记录")});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Critical);
        // Pressed row A, moved to row B by keyboard: A is deleted.
        pressCell(&page, "DBGridEh3", 0, Tf_zhanghu::ColName);
        QTest::keyClick(grid(&page, "DBGridEh3"), Qt::Key_Escape);
        selectCell(&page, "DBGridEh3", 1, Tf_zhanghu::ColRemark);
        QCOMPARE(page.selectedId(), QStringLiteral("1"));
        click(&page, "Button28");
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(id) from z_zhanghu")), QStringLiteral("2"));
        // One account left: refused, also with an appended unsaved row.
        click(&page, "Button27");
        pressCell(&page, "DBGridEh3", 0, Tf_zhanghu::ColName);
        QCOMPARE(f.boxesAfterClick(&page, "Button28"), QStringList{QStringLiteral("错误提示：至少保留一个账户！")});
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu")), qint64(1));
        TEST_END
    }

    // An account a record, a loan or a transfer names would drop out of their balances.
    void accountNamedElsewhereStays_data()
    {
        QTest::addColumn<QString>("naming");
        QTest::addColumn<QString>("message");
        const QString moves = QStringLiteral("对不起，该账户有借入借出或转账记录，不能删除");
        QTest::newRow("record") << "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "select id,30000,1,%1,'2012-05-20','Z' from s_fenlei where f_name='早餐'"
                                << QStringLiteral("对不起，该账户下有收支明细，不能直接删除。");
        QTest::newRow("transfer from")
            << "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (%1,1,'2012-05-01',10000)" << moves;
        QTest::newRow("transfer to")
            << "insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,%1,'2012-05-01',10000)" << moves;
        QTest::newRow("loan") << "insert into s_jie (j_class,z_id,j_date,j_chuMoney,j_ruMoney,j_yuMoney) values "
                                 "('S',%1,'2012-05-01',10000,0,10000)"
                              << moves;
    }
    void accountNamedElsewhereStays()
    {
        QFETCH(QString, naming);
        QFETCH(QString, message);
        TEST_BEGIN
        PageFixture f;
        const qint64 spare = addAccount(QStringLiteral("零钱"), QStringLiteral("5"));
        TestDb::sql(naming.arg(spare));
        Tf_zhanghu page;
        page.show();
        pressCell(&page, "DBGridEh3", rowCount(&page, "DBGridEh3") - 1, Tf_zhanghu::ColName);
        QCOMPARE(f.boxesAfterClick(&page, "Button28"), (QStringList{QStringLiteral("是否确定删除？"), message}));
        QCOMPARE(f.boxes.seen.last().icon, QMessageBox::Critical);
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where id=%1").arg(spare)), qint64(1));
        TEST_END
    }

    void cancelAndFailedSaveKeepOrDropEdits()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhanghu page;
        page.show();
        click(&page, "Button27");
        editCell(&page, "DBGridEh3", 3, Tf_zhanghu::ColName, QStringLiteral("新卡"));
        f.boxes.setAnswer(QMessageBox::Cancel);
        click(&page, "Button9");
        QCOMPARE(rowCount(&page, "DBGridEh3"), 3);  // the appended row is gone
        f.boxes.setAnswer(QMessageBox::Ok);

        // The database refuses: nothing written, the edits stay on screen.
        TestDb::sql(QStringLiteral(
            "create trigger no_new_account before insert on z_zhanghu begin select raise(abort,'no'); end"));
        editCell(&page, "DBGridEh3", 0, Tf_zhanghu::ColRemark, QStringLiteral("改过"));
        click(&page, "Button27");
        editCell(&page, "DBGridEh3", 3, Tf_zhanghu::ColName, QStringLiteral("新卡"));
        QCOMPARE(f.boxesAfterClick(&page, "Button9"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，数据格式不对")}));
        QCOMPARE(f.boxes.seen[1].title, QStringLiteral("栗子家庭记账本2012"));
        QCOMPARE(cell(&page, "DBGridEh3", 3, Tf_zhanghu::ColName), QStringLiteral("新卡"));
        QCOMPARE(cell(&page, "DBGridEh3", 0, Tf_zhanghu::ColRemark), QStringLiteral("改过"));
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where z_other='改过'")), qint64(0));
        TestDb::sql(QStringLiteral("drop trigger no_new_account"));

        // Delete with pending edits asks to save them first.
        editCell(&page, "DBGridEh3", 3, Tf_zhanghu::ColName, QStringLiteral("新卡"));
        pressCell(&page, "DBGridEh3", 2, Tf_zhanghu::ColName);
        QCOMPARE(f.boxesAfterClick(&page, "Button28"),
                 (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("是否确定删除？")}));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select group_concat(z_name) from z_zhanghu where id>2")),
                 QStringLiteral("新卡"));
        QCOMPARE(TestDb::count(QStringLiteral("z_zhanghu where z_other='改过'")), qint64(1));
        TEST_END
    }

    void piesInGridOrder()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(
            QStringLiteral("update z_zhanghu set z_yue=case id when 1 then 1000000 when 2 then -50000 else 25000 end,"
                           " z_shouru=id*10000, z_zhichu=0"));
        Tf_zhanghu page;
        page.show();
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        const QString first = TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=1"));
        const QString third = TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=3"));
        // The negative balance has no slice; the others keep their values.
        QCOMPARE(pieValues(&page, "DBChart1"), (QList<qreal>{100, 2.5}));
        QCOMPARE(pieLabels(&page, "DBChart1"),
                 (QStringList{first + QStringLiteral(" 100"), third + QStringLiteral(" 2.5")}));
        QCOMPARE(pieValues(&page, "DBChart2"), (QList<qreal>{1, 2, 3}));
        QVERIFY(pieValues(&page, "DBChart3").isEmpty());
        QCOMPARE(chart(&page, "DBChart1")->chart()->title(), QString());
        QCOMPARE(chart(&page, "DBChart2")->chart()->title(), QStringLiteral("账户收入资金分布图"));
        QCOMPARE(chart(&page, "DBChart3")->chart()->title(), QStringLiteral("账户支出资金分布图"));
        // Labels stand in a legend beside the pie, where thin slices cannot
        // pile them up.
        QCOMPARE(chart(&page, "DBChart2")->chart()->legend()->markers().size(), 3);
        QCOMPARE(chart(&page, "DBChart2")->chart()->legend()->alignment(), Qt::AlignRight);
        TEST_END
    }

    // Five accounts and eight-digit sums: every figure and the remark are in
    // sight, no column cut and no horizontal scrolling.
    void fiveAccountsFitTheGrid()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("insert into z_zhanghu (z_name,z_qcje,z_other) values ('支付宝',35602500,'网购'),"
                                   "('定期存款',123456780000,'三年定期，到期再存')"));
        TestDb::sql(QStringLiteral("update z_zhanghu set z_shouru=98765432100, z_zhichu=z_qcje, z_yue=z_qcje"));
        Tf_zhanghu page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        DataGrid* g = grid(&page, "DBGridEh3");
        QCOMPARE(rowCount(&page, "DBGridEh3"), 5);
        QCOMPARE(g->horizontalScrollBar()->maximum(), 0);
        const int remark = Tf_zhanghu::ColRemark;
        QCOMPARE(g->columnViewportPosition(remark) + g->columnWidth(remark), g->viewport()->width());
        QVERIFY(g->columnWidth(remark) >= g->fontMetrics().horizontalAdvance(QStringLiteral("网购")));
        for (int c = Tf_zhanghu::ColOpening; c <= Tf_zhanghu::ColBalance; ++c)
            for (int r = 0; r < 5; ++r)
                QVERIFY(g->fontMetrics().horizontalAdvance(g->model()->index(r, c).data().toString())
                        < g->columnWidth(c));
        TEST_END
    }
};

QTEST_MAIN(TstZhanghu)
#include "tst_zhanghu.moc"
