// The test driver itself: a helper that cannot do its job must fail the test
// and stop it there, or every page test could pass on a missing control.
#include "data/Clock.h"
#include "tests/support/Driver.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"

#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTest>
#include <QValueAxis>

#include <optional>

using namespace Driver;

class TstDriver : public QObject {
    Q_OBJECT
private slots:
    void failureStopsTheTest_data()
    {
        QTest::addColumn<int>("fault");
        const char* faults[] = {"missing control", "another class",    "two of a name", "grid row not there",
                                "bad statement",   "unknown category", "not an amount", "unknown parent"};
        for (int i = 0; i < int(std::size(faults)); ++i)
            QTest::newRow(faults[i]) << i;
    }
    void failureStopsTheTest()
    {
        QFETCH(int, fault);
        bool reached = false;
        TEST_BEGIN
        std::optional<PageFixture> f;
        if (fault >= 4)  // the statement cases need a database
            f.emplace();
        QWidget page;
        auto* edit = new QLineEdit(&page);
        edit->setObjectName(QStringLiteral("Edit1"));
        auto* inner = new QWidget(&page);
        for (QWidget* parent : {&page, inner})
            (new QLabel(parent))->setObjectName(QStringLiteral("Label1"));
        QStandardItemModel model(3, 2);
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

    // Charts are read as the user reads them, whatever order the series keeps.
    void chartsInReadingOrder()
    {
        TEST_BEGIN
        QWidget host;
        QChartView* view = Charts::makeView(&host, QStringLiteral("Chart1"));
        const QStringList names{QStringLiteral("餐饮"), QStringLiteral("交通"), QStringLiteral("水电")};
        QCOMPARE(barValues(&host, "Chart1"), QList<qreal>());
        Charts::setHorizontalBars(view, names, {30, 10, 2.5}, Qt::blue);
        QCOMPARE(barValues(&host, "Chart1"), (QList<qreal>{30, 10, 2.5}));
        QCOMPARE(barLabels(&host, "Chart1"), names);
        Charts::setBars(view, names, {1, 2, 3}, Charts::BarOptions());
        QCOMPARE(barValues(&host, "Chart1"), (QList<qreal>{1, 2, 3}));
        QCOMPARE(barLabels(&host, "Chart1"), names);
        QVERIFY(valueAxis<QValueAxis>(&host, "Chart1"));
        Charts::setPie(view, names.mid(0, 2), {1, 3});
        QCOMPARE(pieValues(&host, "Chart1"), (QList<qreal>{1, 3}));
        QVERIFY(pieLabels(&host, "Chart1").value(1).startsWith(names[1]));
        TEST_END
    }

    // Names with quotes go in as typed; amounts as exact ten-thousandths.
    void buildersBindTheirValues()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 account = addAccount(QStringLiteral("O'Neil \"卡\""), QStringLiteral("12.5"));
        const qint64 member = addMember(QStringLiteral("老'王"));
        addCategory(QStringLiteral("奶'茶"), QStringLiteral("Z"), QStringLiteral("餐饮"), QStringLiteral("nc"));
        const qint64 id = addRecord(QStringLiteral("奶'茶"), QStringLiteral("0.0001"), QDate(2012, 5, 1),
                                    QStringLiteral("x'y"), member, account);
        QCOMPARE(
            TestDb::scalarText(QStringLiteral("select z_name||'|'||z_qcje from z_zhanghu where id=%1").arg(account)),
            QStringLiteral("O'Neil \"卡\"|125000"));
        QCOMPARE(TestDb::scalarText(
                     QStringLiteral("select s.s_jine||'|'||s.f_class||'|'||s.s_other||'|'||u.sys_name||'|'||c.f_pinyin "
                                    "from s_shouru s join s_user u on u.id=s.s_userid "
                                    "join s_fenlei c on c.id=s.f_fenleiid where s.id=%1")
                         .arg(id)),
                 QStringLiteral("1|Z|x'y|老'王|nc"));
        TEST_END
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
