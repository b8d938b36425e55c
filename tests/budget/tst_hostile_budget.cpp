// Hostile text in the budget page's year and month fields: any text that is
// no number reads as their lowest value (the remarks: tst_hostile_grids).
#include "budget/Tf_yushuan.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"

#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace Driver;
using namespace Hostile;

class TstHostileBudget : public QObject {
    Q_OBJECT

private slots:
    void hostileYearAndMonth()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_yushuan page;
        page.show();
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
