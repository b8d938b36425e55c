// Hostile text in every text column of the batch grids: what the cell editor
// holds after its limit is what is stored, and shown when the page is opened
// again. A name of blanks only is refused with the page's message.
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QTest>
#include <memory>

using namespace Driver;
using namespace Hostile;

namespace {
// Budget rows come with top-level expense categories: one per sample.
void budgetRowPerSample()
{
    for (qint64 i = TestDb::count(QStringLiteral("s_yushuan")); i < corpus().size(); ++i)
        addCategory(QStringLiteral("预算%1").arg(i), QStringLiteral("Z"));
    TestDb::sql(QStringLiteral("insert into s_yushuan (f_id) select id from s_fenlei where f_id=0 and f_class='Z' "
                               "and id not in (select f_id from s_yushuan)"));
}
}  // namespace

class TstHostileGrids : public QObject {
    Q_OBJECT

private slots:
    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("text");
        for (const GridPages::GridPage& p : GridPages::all()) {
            if (p.shown)
                continue;  // not typed into the grid
            for (int i = 0; i < p.texts.size(); ++i)
                QTest::addRow("%s %s", p.name, p.texts[i].title) << QString::fromLatin1(p.name) << i;
        }
    }
    void textRoundTrip()
    {
        TEST_BEGIN
        QFETCH(QString, page);
        QFETCH(int, text);
        PageFixture f;
        const GridPages::GridPage& p = GridPages::page(page);
        const GridPages::TextColumn& c = p.texts[text];
        const QString gridName = QString::fromLatin1(p.grid);
        if (!p.add)
            budgetRowPerSample();
        QList<int> rows;
        QStringList held;
        {
            std::unique_ptr<QWidget> w(GridPages::open(p));
            for (int i = 0; i < corpus().size(); ++i) {
                const Sample& s = corpus()[i];
                rows << p.typeRow(w.get(), QStringLiteral("行%1").arg(i));
                held << enterInCell(grid(w.get(), gridName), rows.last(), c.column, s.text);
                HOSTILE_COMPARE(held.last(), afterLimit(s.text, c.limit), s);
            }
            click(w.get(), QString::fromLatin1(p.save));
            for (const QString& box : f.boxes.texts())
                QCOMPARE(box, QStringLiteral("是否确定保存数据？"));
        }
        std::unique_ptr<QWidget> w(GridPages::open(p));
        const QStringList stored = TestDb::texts(p.rows.arg(QString::fromLatin1(c.field)));
        QCOMPARE(rowCount(w.get(), gridName), int(stored.size()));
        for (int i = 0; i < corpus().size(); ++i) {
            HOSTILE_COMPARE(stored.value(rows[i]), held[i], corpus()[i]);
            HOSTILE_COMPARE(cell(w.get(), gridName, rows[i], c.column), held[i], corpus()[i]);
        }
        QCOMPARE(TestDb::count(QStringLiteral("s_user")), qint64(page == u"members" ? 1 + corpus().size() : 1));
        TEST_END
    }

    void blankNameRefused_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("message");
        QTest::newRow("accounts") << QStringLiteral("accounts") << QStringLiteral("对不起，数据格式不对");
        QTest::newRow("members") << QStringLiteral("members") << QStringLiteral("对不起，操作异常");
        QTest::newRow("expense categories")
            << QStringLiteral("expense categories") << QStringLiteral("错误！不能有空行和重复的项目名称。");
    }
    void blankNameRefused()
    {
        TEST_BEGIN
        QFETCH(QString, page);
        QFETCH(QString, message);
        PageFixture f;
        const GridPages::GridPage& p = GridPages::page(page);
        const QString count = QStringLiteral("select count(*) from ") + p.table;
        const qint64 before = TestDb::scalarInt(count);
        std::unique_ptr<QWidget> w(GridPages::open(p));
        const int row = p.typeRow(w.get(), QStringLiteral("x"));
        enterInCell(grid(w.get(), QString::fromLatin1(p.grid)), row, p.texts[0].column, QStringLiteral("   "));
        click(w.get(), QString::fromLatin1(p.save));
        QCOMPARE(f.boxes.texts(), (QStringList{QStringLiteral("是否确定保存数据？"), message}));
        QCOMPARE(TestDb::scalarInt(count), before);
        TEST_END
    }
};

QTEST_MAIN(TstHostileGrids)
#include "tst_hostile_grids.moc"
