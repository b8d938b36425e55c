// Hostile text in the loan grid's text cells (lent to, borrower, remark):
// what the cell editor holds after its limit is what is stored and shown.
#include "loans/Tf_jieru.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QTest>

using namespace Driver;
using namespace Hostile;

class TstHostileLoans : public QObject {
    Q_OBJECT

private slots:
    void hostileLoanCells()
    {
        TEST_BEGIN
        PageFixture f;
        struct Column {
            int col;
            const char* field;
            int limit;
        };
        const QList<Column> columns{{LoanPage::ColLentTo, "j_jiege", 50},
                                    {LoanPage::ColBorrower, "j_jiekuanren", 50},
                                    {LoanPage::ColRemark, "j_other", 250}};
        QList<QStringList> held(columns.size());
        {
            Tf_jieru page;
            page.show();
            DataGrid* g = grid(&page, "DBGridEh6");
            for (const Sample& s : corpus()) {
                click(&page, "Button35");  // lists first, then a new row dated today
                const int row = rowCount(&page, "DBGridEh6") - 1;
                editCell(&page, "DBGridEh6", row, LoanPage::ColAccount, 1);
                editCell(&page, "DBGridEh6", row, LoanPage::ColAmount, QStringLiteral("100"));
                for (int c = 0; c < columns.size(); ++c) {
                    held[c] << enterInCell(g, row, columns[c].col, s.text);
                    HOSTILE_COMPARE(held[c].last(), afterLimit(s.text, columns[c].limit), s);
                }
            }
            click(&page, "Button37");
            QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("是否确定保存数据？")});
        }
        Tf_jieru page;
        page.show();
        QTRY_COMPARE(rowCount(&page, "DBGridEh6"), int(corpus().size()));
        for (int c = 0; c < columns.size(); ++c) {
            const QStringList stored =
                TestDb::texts(QStringLiteral("select %1 from s_jie order by id").arg(QString::fromLatin1(columns[c].field)));
            const QStringList shown = column(&page, "DBGridEh6", columns[c].col);
            QCOMPARE(stored.size(), corpus().size());
            for (int i = 0; i < corpus().size(); ++i) {
                HOSTILE_COMPARE(stored[i], held[c][i], corpus()[i]);
                HOSTILE_COMPARE(shown[i], held[c][i], corpus()[i]);
            }
        }
        TEST_END
    }
};

QTEST_MAIN(TstHostileLoans)
#include "tst_hostile_loans.moc"
