// Hostile text in the budget page: the remark cells are stored and shown as
// their editor held them; the year and month fields read any text that is
// no number as their lowest value.
#include "budget/Tf_yushuan.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace Driver;
using namespace Hostile;

class TstHostileBudget : public QObject {
    Q_OBJECT

private slots:
    void hostileBudgetRemarks()
    {
        TEST_BEGIN
        PageFixture f;
        // A budget row per sample.
        for (int i = TestDb::count(QStringLiteral("s_yushuan")); i < corpus().size(); ++i)
            addCategory(QStringLiteral("预算%1").arg(i), QStringLiteral("Z"));
        TestDb::sql(QStringLiteral("insert into s_yushuan (f_id) select id from s_fenlei where f_id=0 and f_class='Z' "
                                   "and id not in (select f_id from s_yushuan)"));
        const QString list = QStringLiteral("select y_x from s_yushuan order by id");
        QStringList held;
        {
            Tf_yushuan page;
            page.show();
            DataGrid* g = grid(&page, "DBGridEh9");
            for (int i = 0; i < corpus().size(); ++i) {
                held << enterInCell(g, i, Tf_yushuan::DefRemark, corpus()[i].text);
                HOSTILE_COMPARE(held.last(), afterLimit(corpus()[i].text, 50), corpus()[i]);
            }
            click(&page, "Button1");
            QVERIFY(f.boxes.seen.isEmpty());
        }
        Tf_yushuan page;
        page.show();
        const QStringList stored = TestDb::texts(list);
        const QStringList shown = column(&page, "DBGridEh9", Tf_yushuan::DefRemark);
        QCOMPARE(stored.size(), corpus().size());
        QCOMPARE(shown.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i) {
            HOSTILE_COMPARE(stored[i], held[i], corpus()[i]);
            HOSTILE_COMPARE(shown[i], held[i], corpus()[i]);
        }

        // The year and month fields: no sample is a number, so each counts as the lowest value.
        find<QTabWidget>(&page, "PageControl1")->setCurrentIndex(1);
        auto* year = find<QSpinBox>(&page, "SpinEdit1");
        auto* month = find<QSpinBox>(&page, "SpinEdit2");
        for (const Sample& s : corpus()) {
            for (QSpinBox* field : {year, month}) {
                field->setFocus();
                QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
                enter(field, s.text);
            }
            click(&page, "Button42");
            QCOMPARE(year->text(), QStringLiteral("2009"));
            QCOMPARE(month->text(), QStringLiteral("1"));
        }
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }
};

QTEST_MAIN(TstHostileBudget)
#include "tst_hostile_budget.moc"
