// The test driver itself: a helper that cannot do its job must fail the test
// and stop it there, or every page test could pass on a missing control.
#include "data/Clock.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"
#include "ui/QueryModel.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Driver;

class TstDriver : public QObject {
    Q_OBJECT
private slots:
    void failureStopsTheTest_data()
    {
        QTest::addColumn<int>("fault");
        const char* faults[] = {"missing control", "another class", "two of a name", "grid row not there",
                                "bad statement",   "unknown category", "not an amount", "unknown parent"};
        for (int i = 0; i < int(std::size(faults)); ++i)
            QTest::newRow(faults[i]) << i;
    }
    void failureStopsTheTest()
    {
        QFETCH(int, fault);
        bool reached = false;
        TEST_BEGIN
        PageFixture f;
        QWidget page;
        auto* edit = new QLineEdit(&page);
        edit->setObjectName(QStringLiteral("Edit1"));
        auto* inner = new QWidget(&page);
        for (QWidget* parent : {&page, inner})
            (new QLabel(parent))->setObjectName(QStringLiteral("Label1"));
        QueryModel model;
        QVERIFY(model.setQuery(QStringLiteral("select id, z_name from z_zhanghu")));
        auto* g = new DataGrid(&page);
        g->setObjectName(QStringLiteral("DBGridEh1"));
        g->setModel(&model);
        QCOMPARE(rowCount(&page, "DBGridEh1"), 3);

        QEXPECT_FAIL("", "the driver reports the fault", Continue);
        switch (fault) {
        case 0: find<QLineEdit>(&page, "Edit2"); break;
        case 1: find<QLabel>(&page, "Edit1"); break;
        case 2: labelText(&page, "Label1"); break;
        case 3: cell(&page, "DBGridEh1", 3, 0); break;
        case 4: TestDb::scalarInt(QStringLiteral("select count(*) from no_such_table")); break;
        case 5: addRecord(QStringLiteral("没有这个"), QStringLiteral("1"), QDate(2012, 5, 1)); break;
        case 6: addRecord(QStringLiteral("早餐"), QStringLiteral("1,5"), QDate(2012, 5, 1)); break;
        case 7: addCategory(QStringLiteral("新类"), QStringLiteral("Z"), QStringLiteral("没有这个")); break;
        }
        reached = true;
        TEST_END
        // Had the helper not failed, the expected failure would still be
        // pending and this check would count as an unexpected pass.
        QVERIFY(true);
        QVERIFY2(!reached, "the test went on after the failure");
    }

    // Without the wrapper a failure could not stop the test: even a helper
    // that succeeds says so.
    void helperOutsideTheBodyFails()
    {
        QWidget page;
        auto* label = new QLabel(QStringLiteral("x"), &page);
        label->setObjectName(QStringLiteral("Label1"));
        QEXPECT_FAIL("", "used outside TEST_BEGIN/TEST_END", Continue);
        QCOMPARE(labelText(&page, "Label1"), QStringLiteral("x"));
    }

    void fixtureFixesAndRestoresTheClock()
    {
        const QDateTime moment(QDate(2013, 1, 15), QTime(10, 0));
        TEST_BEGIN
        {
            PageFixture f(moment);
            QCOMPARE(Clock::now(), moment);
            f.setNow(moment.addDays(1));
            QCOMPARE(Clock::today(), QDate(2013, 1, 16));
        }
        QVERIFY(Clock::now() != moment.addDays(1));
        TEST_END
    }
};

QTEST_MAIN(TstDriver)
#include "tst_driver.moc"
