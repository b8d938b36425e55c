// A batch of 5,000 rows saved on a grid page survives the program being
// killed at any moment of the save: afterwards the file is intact and the
// batch is wholly there or wholly absent. The save's duration is measured in
// the same run; the kills are spread over 0 to 1.5 times it, and one comes
// right after the save has returned.
#include "data/Tx_Data.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"
#include "tests/support/GridPages.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int kRows = 5000;
constexpr int kRuns = 20;  // the last one is killed after the save returned

// Pages whose save writes their grid's pending rows in one transaction
// (tests/support/GridPages), each row filled as the grid's editor hands it over.
const QStringList kPages{QStringLiteral("members"), QStringLiteral("accounts"), QStringLiteral("expense categories"),
                         QStringLiteral("lent")};

QString name(const QString& tag, int i) { return QStringLiteral("%1-%2").arg(tag).arg(i); }

// The child: page args[0] on the file in folder args[1], batch tag args[2].
// Reports START just before the save and "END <ms>" once it returned, then
// waits to be killed.
int batchRole(const QStringList& args)
{
    const GridPages::GridPage& p = GridPages::page(args.value(0));
    int argc = 1;
    char argv0[] = "batch";
    char* argv[] = {argv0, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(args.value(1));
    Tx_Data data;
    BoxAnswerer boxes;  // OK to "是否确定保存数据？"
    QWidget* page = p.make();
    page->show();
    auto* grid = page->findChild<DataGrid*>(QString::fromLatin1(p.grid));
    auto* model = grid ? qobject_cast<BatchModel*>(grid->model()) : nullptr;
    // Pages that read just after they show: a listing after the batch would drop it.
    for (int waited = 0; model && model->columnCount() == 0 && waited < 5000; waited += 10)
        QTest::qWait(10);
    auto* save = page->findChild<QPushButton*>(QString::fromLatin1(p.save));
    if (!model || !save)
        return 3;
    for (int i = 0; i < kRows; ++i)
        p.fill(model, model->appendRow(), name(args.value(2), i));
    Child::report("START");
    QElapsedTimer t;
    t.start();
    save->click();
    const qint64 ms = t.elapsed();
    if (!boxes.seen.isEmpty() && boxes.seen.last().icon != QMessageBox::Question) {
        std::fprintf(stderr, "save failed: %s\n", qPrintable(boxes.texts().join(u'|')));
        return 4;
    }
    Child::report(QStringLiteral("END %1").arg(ms));
    return app.exec();
}

// How many rows of batch `tag` the file holds; fails the test on a damaged
// file or a half-written batch.
int rowsOf(const QString& path, const GridPages::GridPage& p, const QString& tag, const QString& when)
{
    Database db;
    if (!db.open(path, QByteArray(kDatabasePassword))) {
        Driver::fail(when + QStringLiteral(": cannot open the file: ") + db.lastError());
    }
    auto scalar = [&](const QString& sql) {
        Query q(db, sql);
        if (!q.next())
            Driver::fail(when + QStringLiteral(": ") + q.error());
        return q.text(0);
    };
    const QString check = scalar(QStringLiteral("PRAGMA integrity_check"));
    if (check != u"ok")
        Driver::fail(when + QStringLiteral(": integrity_check: ") + check);
    const QString pattern = tag + QStringLiteral("-%");
    const int rows = scalar(GridPages::countSql(p, pattern)).toInt();
    if (rows != 0 && rows != kRows)
        Driver::fail(when + QStringLiteral(": %1 of %2 rows").arg(rows).arg(kRows));
    if (!p.together.isEmpty() && scalar(p.together.arg(pattern)).toInt() != rows)
        Driver::fail(
            when + QStringLiteral(": %1 rows but %2 that go with them").arg(rows).arg(scalar(p.together.arg(pattern))));
    return rows;
}

}  // namespace

class TstKillBatch : public QObject {
    Q_OBJECT
private slots:
    void batchIsWholeOrAbsent()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        // The save's duration on each page, measured now, on this machine.
        QHash<QString, int> duration;
        for (const QString& page : kPages) {
            const GridPages::GridPage& p = GridPages::page(page);
            const QString tag = QStringLiteral("m%1").arg(kPages.indexOf(page));
            Child::Process child(QStringLiteral("batch"), {page, t.dir(), tag});
            const QString end = child.waitForAny({QStringLiteral("END ")}, 60000);
            QVERIFY2(!end.isNull(), qPrintable(child.output()));
            duration[page] = qMax(1, end.mid(4).toInt());
            child.kill();
            QCOMPARE(rowsOf(t.path(), p, tag, page + QStringLiteral(" measured")), kRows);
        }
        QStringList outcomes;
        // Each run another page; the delays spread evenly over 0 .. 1.5x.
        for (int run = 0; run < kRuns; ++run) {
            const QString page = kPages[run % kPages.size()], tag = QStringLiteral("r%1").arg(run);
            const GridPages::GridPage& p = GridPages::page(page);
            const bool afterSave = run == kRuns - 1;
            const int delay = afterSave ? 0 : int(1.5 * duration[page] * run / (kRuns - 2));
            const QString when = afterSave ? QStringLiteral("%1: killed after the save").arg(page)
                                           : QStringLiteral("%1: killed %2 ms into a save of %3 ms")
                                                 .arg(page)
                                                 .arg(delay)
                                                 .arg(duration[page]);
            Child::Process child(QStringLiteral("batch"), {page, t.dir(), tag});
            if (afterSave) {
                QVERIFY2(!child.waitForAny({QStringLiteral("END ")}, 60000).isNull(), qPrintable(child.output()));
                child.kill();
            } else {
                QVERIFY2(child.killAfter(QStringLiteral("START"), delay, 60000), qPrintable(child.output()));
            }
            const int rows = rowsOf(t.path(), p, tag, when);
            outcomes << QStringLiteral("%1 %2").arg(delay).arg(rows ? QStringLiteral("saved")
                                                                    : QStringLiteral("absent"));
            if (afterSave)
                QVERIFY2(rows == kRows, qPrintable(when));
        }
        QStringList durations;
        for (const QString& page : kPages)
            durations << QStringLiteral("%1 %2").arg(page).arg(duration[page]);
        qInfo("save durations (ms): %s; kills (ms): %s", qPrintable(durations.join(QStringLiteral(", "))),
              qPrintable(outcomes.join(QStringLiteral(", "))));
        TEST_END
    }
};

int main(int argc, char** argv)
{
    if (const auto rc = Child::run(argc, argv, {{QStringLiteral("batch"), batchRole}}))
        return *rc;
    QApplication app(argc, argv);
    TstKillBatch test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killbatch.moc"
