// Leaving a batch grid with typed rows: the main window asks, OK saves (a
// refused save keeps the page and the rows), Cancel lets them go. One table
// over every batch page, by navigation and by closing the window.
#include "app/TForm1.h"
#include "budget/Tf_yushuan.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "tests/support/Driver.h"

#include <QTest>

using namespace Driver;

namespace {
using Edits = QList<QPair<int, QVariant>>;
const QString kAsk = QStringLiteral("是否确定保存数据？");
}

class TstLeavePage : public QObject {
    Q_OBJECT

private slots:
    void leaveWithTypedRows_data()
    {
        QTest::addColumn<QString>("entry");  // navigation entry of the page
        QTest::addColumn<QString>("add");    // its 增加, empty: edit the first row
        QTest::addColumn<QString>("grid");
        QTest::addColumn<Edits>("edits");
        QTest::addColumn<QString>("count");  // rows holding what was typed
        QTest::addColumn<bool>("close");     // close the window instead of navigating
        QTest::addColumn<bool>("ok");        // the answer to every box
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("stays");  // the page is still shown

        const QDate day(2012, 5, 3);
        const QStringList asked{kAsk};
        struct Page {
            const char *name, *entry, *add, *grid;
            Edits edits;
            const char* count;
        };
        const Page pages[] = {
            {"accounts",
             "Label11",
             "Button27",
             "DBGridEh3",
             {{1, QStringLiteral("新账户")}},
             "select count(*) from z_zhanghu where z_name='新账户'"},
            {"transfers",
             "Label16",
             "Button38",
             "DBGridEh7",
             {{3, day}, {4, 1}, {5, 2}, {6, QStringLiteral("30")}},
             "select count(*) from s_zhanghistory where zXmoney=300000"},
            {"borrowed",
             "Label15",
             "Button35",
             "DBGridEh6",
             {{4, 1}, {5, QStringLiteral("100")}, {11, QStringLiteral("借条")}},
             "select count(*) from s_jie where j_other='借条' and j_class='S'"},
            {"lent",
             "Label26",
             "Button35",
             "DBGridEh6",
             {{4, 1}, {5, QStringLiteral("100")}, {11, QStringLiteral("借条")}},
             "select count(*) from s_jie where j_other='借条' and j_class='Z'"},
            {"budget",
             "Label22",
             "",
             "DBGridEh9",
             {{Tf_yushuan::DefRemark, QStringLiteral("少买衣服")}},
             "select count(*) from s_yushuan where y_x='少买衣服'"},
            {"income categories",
             "Label12",
             "Button29",
             "DBGridEh4",
             {{2, QStringLiteral("稿费")}},
             "select count(*) from s_fenlei where f_name='稿费' and f_id=0"},
            {"expense sub-categories",
             "Label13",
             "Button32",
             "DBGridEh5",
             {{3, QStringLiteral("夜宵")}},
             "select count(*) from s_fenlei where f_name='夜宵' and f_id<>0"},
            {"members",
             "Label24",
             "Button46",
             "DBGridEh16",
             {{1, QStringLiteral("奶奶")}},
             "select count(*) from s_user where sys_name='奶奶'"},
        };
        for (const Page& p : pages)
            for (bool ok : {true, false})
                QTest::addRow("%s %s", p.name, ok ? "saved" : "dropped")
                    << QString::fromLatin1(p.entry) << QString::fromLatin1(p.add) << QString::fromLatin1(p.grid)
                    << p.edits << QString::fromUtf8(p.count) << false << ok << asked << (ok ? 1 : 0) << false;
        const Page& accounts = pages[0];
        const auto row = [&](const char* name, const Edits& edits, bool close, bool ok, const QStringList& boxes,
                             int stored, bool stays) {
            QTest::newRow(name) << QString::fromLatin1(accounts.entry) << QString::fromLatin1(accounts.add)
                                << QString::fromLatin1(accounts.grid) << edits << QString::fromUtf8(accounts.count)
                                << close << ok << boxes << stored << stays;
        };
        row("close saves", accounts.edits, true, true, asked, 1, false);
        row("close drops", accounts.edits, true, false, asked, 0, false);
        row("untouched new row is no edit", {}, false, true, {}, 0, false);
        // A blank name is refused: the window keeps the page and the row.
        row("refused save keeps the page", {{10, QStringLiteral("备注")}}, false, true,
            {kAsk, QStringLiteral("对不起，数据格式不对")}, 0, true);
        row("refused save keeps the window", {{10, QStringLiteral("备注")}}, true, true,
            {kAsk, QStringLiteral("对不起，数据格式不对")}, 0, true);
    }
    void leaveWithTypedRows()
    {
        QFETCH(QString, entry);
        QFETCH(QString, add);
        QFETCH(QString, grid);
        QFETCH(Edits, edits);
        QFETCH(QString, count);
        QFETCH(bool, close);
        QFETCH(bool, ok);
        QFETCH(QStringList, boxes);
        QFETCH(int, stored);
        QFETCH(bool, stays);
        TEST_BEGIN
        PageFixture f;
        MainWindowOptions options;
        options.showLogin = false;
        TForm1 form(options);
        StartPageCode = QStringLiteral("1");
        form.show();
        QTRY_VERIFY(form.currentPage());  // the start page, first
        clickLabel(&form, entry);
        QWidget* page = form.currentPage();
        QVERIFY(page);
        int row = 0;
        if (!add.isEmpty()) {
            click(page, add);
            row = rowCount(page, grid) - 1;
        }
        for (const auto& [column, value] : edits)
            editCell(page, grid, row, column, value);
        f.boxes.clear();
        f.boxes.setAnswer(ok ? QMessageBox::Ok : QMessageBox::Cancel);
        if (close)
            form.close();
        else
            clickLabel(&form, "Label3");
        QCOMPARE(f.boxes.texts(), boxes);
        QCOMPARE(form.isVisible(), !close || stays);
        if (!close)
            QCOMPARE(form.currentPage() == page, stays);
        Query q(count);
        QVariant n;
        QCOMPARE(q.scalar(&n), Query::Fetch::Row);
        QCOMPARE(n.toInt(), stored);
        if (stays)  // the typed row is still there to be put right
            QCOMPARE(cell(page, grid, row, edits.first().first), edits.first().second.toString());
        f.boxes.setAnswer(QMessageBox::Cancel);
        TEST_END
    }
};

QTEST_MAIN(TstLeavePage)
#include "tst_leavepage.moc"
