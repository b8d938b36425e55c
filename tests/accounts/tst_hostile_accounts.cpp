// Hostile text in the accounts page's opening amounts and its pie labels (its
// text columns go through tests/app/tst_hostile_grids).
#include "accounts/Tf_zhanghu.h"
#include "data/AccountTotals.h"
#include "data/Money.h"
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <memory>

using namespace Driver;
using namespace Hostile;

namespace {
// What the amount editor keeps of typed keys: only what can still become an
// amount ([+-]digits[.digits]); pasted text must match whole.
QString amountEditorFilter(const QString& text)
{
    static const QRegularExpression amount(
        QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]*\\.?[0-9]*")));
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
}  // namespace

class TstHostileAccounts : public QObject {
    Q_OBJECT

private slots:
    // The opening amount's editor: what it held is the amount stored, an
    // amount it could not hold leaves the cell empty (0).
    void hostileOpeningAmounts()
    {
        TEST_BEGIN
        PageFixture f;
        const GridPages::GridPage& p = GridPages::page(QStringLiteral("accounts"));
        QList<qint64> openings;
        {
            std::unique_ptr<QWidget> page(GridPages::open(p));
            for (int i = 0; i < corpus().size(); ++i) {
                const Sample& s = corpus()[i];
                click(page.get(), "Button27");
                const int row = rowCount(page.get(), "DBGridEh3") - 1;
                editCell(page.get(), "DBGridEh3", row, Tf_zhanghu::ColName, QStringLiteral("a%1").arg(i));
                const QString amount = enterInCell(grid(page.get(), "DBGridEh3"), row, Tf_zhanghu::ColOpening, s.text);
                HOSTILE_COMPARE(amount, amountEditorFilter(s.text), s);
                const auto value = Money::parse(amount);
                openings << (value ? value->raw() : 0);
            }
            click(page.get(), "Button9");
            QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        }
        for (int i = 0; i < corpus().size(); ++i)
            QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_qcje from z_zhanghu where z_name='a%1'").arg(i)),
                     openings[i]);
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
};

QTEST_MAIN(TstHostileAccounts)
#include "tst_hostile_accounts.moc"
