// Hostile text in the cells of the accounts and transfers grids: what the
// cell editor holds after its limit is what is stored and shown.
#include "accounts/Tf_zhanghu.h"
#include "accounts/Tf_zhuanzhang.h"
#include "data/AccountTotals.h"
#include "data/Money.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

using namespace Driver;
using namespace Hostile;

namespace {
// What the amount editor keeps of typed keys: only what can still become an
// amount ([+-]digits[.digits]); pasted text must match whole.
QString amountEditorFilter(const QString& text)
{
    static const QRegularExpression amount(QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]*\\.?[0-9]*")));
    QString held;
    for (const Piece& p : pieces(text)) {
        if (!p.typed) {
            if (amount.match(held + p.text).hasMatch())
                held += p.text;
            continue;
        }
        for (QChar c : p.text)
            if (amount.match(held + c).hasMatch())
                held += c;
    }
    return held;
}
} // namespace

class TstHostileAccounts : public QObject {
    Q_OBJECT

private slots:
    void hostileAccountCells()
    {
        TEST_BEGIN
        PageFixture f;
        const QString list = QStringLiteral("select %1 from z_zhanghu order by id");
        const qsizetype seeded = TestDb::texts(list.arg(QStringLiteral("id"))).size();
        {
            // A blank name is refused with the page's message; nothing is written.
            Tf_zhanghu page;
            page.show();
            click(&page, "Button27");
            enterInCell(grid(&page, "DBGridEh3"), rowCount(&page, "DBGridEh3") - 1, Tf_zhanghu::ColName, QStringLiteral("   "));
            click(&page, "Button9");
            QCOMPARE(f.boxes.texts(), (QStringList{QStringLiteral("是否确定保存数据？"), QStringLiteral("对不起，数据格式不对")}));
            QCOMPARE(TestDb::texts(list.arg(QStringLiteral("id"))).size(), seeded);
        }
        f.boxes.clear();
        QStringList names, remarks;
        QList<qint64> openings;
        {
            Tf_zhanghu page;
            page.show();
            DataGrid* g = grid(&page, "DBGridEh3");
            for (const Sample& s : corpus()) {
                click(&page, "Button27");
                const int row = rowCount(&page, "DBGridEh3") - 1;
                names << enterInCell(g, row, Tf_zhanghu::ColName, s.text);
                HOSTILE_COMPARE(names.last(), afterLimit(s.text, 50), s);
                const QString amount = enterInCell(g, row, Tf_zhanghu::ColOpening, s.text);
                HOSTILE_COMPARE(amount, amountEditorFilter(s.text), s);
                // An amount the editor held goes in; anything else leaves the cell empty (0).
                const auto value = Money::parse(amount);
                openings << (value ? value->raw() : 0);
                remarks << enterInCell(g, row, Tf_zhanghu::ColRemark, s.text);
                HOSTILE_COMPARE(remarks.last(), s.text, s);  // no limit
            }
            click(&page, "Button9");
            QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        }
        Tf_zhanghu page;
        page.show();
        const QStringList storedNames = TestDb::texts(list.arg(QStringLiteral("z_name"))).mid(seeded);
        const QStringList storedRemarks = TestDb::texts(list.arg(QStringLiteral("z_other"))).mid(seeded);
        const QStringList storedOpenings = TestDb::texts(list.arg(QStringLiteral("z_qcje"))).mid(seeded);
        const QStringList shownNames = column(&page, "DBGridEh3", Tf_zhanghu::ColName).mid(seeded);
        const QStringList shownRemarks = column(&page, "DBGridEh3", Tf_zhanghu::ColRemark).mid(seeded);
        QCOMPARE(storedNames.size(), corpus().size());
        QCOMPARE(shownNames.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i) {
            HOSTILE_COMPARE(storedNames[i], names[i], corpus()[i]);
            HOSTILE_COMPARE(shownNames[i], names[i], corpus()[i]);
            HOSTILE_COMPARE(storedRemarks[i], remarks[i], corpus()[i]);
            HOSTILE_COMPARE(shownRemarks[i], remarks[i], corpus()[i]);
            QCOMPARE(storedOpenings[i].toLongLong(), openings[i]);
        }
        TEST_END
    }

    void hostileAccountPies()
    {
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("delete from z_zhanghu"));
        for (const Sample& s : corpus())
            addAccount(afterLimit(s.text, 50), QStringLiteral("1"));
        DbError error;
        QVERIFY2(RecalcAccountTotals(Database::shared(), &error), qPrintable(error.message()));
        Tf_zhanghu page;
        page.show();
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        // Each slice is labelled with the name as typed and its balance.
        const QStringList labels = pieLabels(&page, "DBChart1");
        QCOMPARE(labels.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i)
            HOSTILE_COMPARE(labels[i], inChart(afterLimit(corpus()[i].text, 50)) + QStringLiteral(" 1"), corpus()[i]);
        TEST_END
    }

    void hostileTransferRemarks()
    {
        TEST_BEGIN
        PageFixture f;
        QStringList held;
        {
            Tf_zhuanzhang page;
            page.show();
            DataGrid* g = grid(&page, "DBGridEh7");
            for (const Sample& s : corpus()) {
                click(&page, "Button38");  // a new row, its date offered as today
                g->commitPendingEdit();
                const int row = rowCount(&page, "DBGridEh7") - 1;
                editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColFromName, 1);
                editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColToName, 2);
                editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColAmount, QStringLiteral("1"));
                held << enterInCell(g, row, Tf_zhuanzhang::ColRemark, s.text);
                HOSTILE_COMPARE(held.last(), afterLimit(s.text, 250), s);
            }
            click(&page, "Button40");
            QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        }
        Tf_zhuanzhang page;
        page.show();
        const QStringList stored = TestDb::texts(QStringLiteral("select other from s_zhanghistory order by id"));
        const QStringList shown = column(&page, "DBGridEh7", Tf_zhuanzhang::ColRemark);
        QCOMPARE(stored.size(), corpus().size());
        QCOMPARE(shown.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i) {
            HOSTILE_COMPARE(stored[i], held[i], corpus()[i]);
            HOSTILE_COMPARE(shown[i], held[i], corpus()[i]);
        }
        TEST_END
    }
};

QTEST_MAIN(TstHostileAccounts)
#include "tst_hostile_accounts.moc"
