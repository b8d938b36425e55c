// A batch of 5,000 rows saved on a grid page survives the program being
// killed at any moment of the save: afterwards the file is intact and the
// batch is wholly there or wholly absent. The save's duration is measured in
// the same run; the kills are spread over 0 to 1.5 times it, and one comes
// right after the save has returned.
#include "accounts/Tf_zhanghu.h"
#include "data/Clock.h"
#include "data/Tx_Data.h"
#include "ledger/TF_zhichuleibie.h"
#include "loans/Tf_jiechu.h"
#include "settings/Tf_system.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

constexpr int kRows = 5000;
constexpr int kRuns = 20;  // the last one is killed after the save returned

// A page whose save writes its grid's pending rows in one transaction.
struct BatchPage {
    const char* name;
    std::function<QWidget*()> make;
    const char* grid;
    const char* save;
    // The cells of new row `i` of batch `tag`.
    std::function<void(BatchModel*, int row, const QString& tag, int i)> fill;
    // The batch's rows, and a count that must equal it whenever it is not 0
    // (rows that belong with the batch, as budget rows with categories).
    QString count, together;
};

QString name(const QString& tag, int i) { return QStringLiteral("%1-%2").arg(tag).arg(i); }

const QList<BatchPage>& batchPages()
{
    static const QList<BatchPage> pages{
        {"members", [] { return static_cast<QWidget*>(new Tf_system); }, "DBGridEh16", "Button48",
         [](BatchModel* m, int r, const QString& tag, int i) {
             m->setRaw(r, Tf_system::ColName, name(tag, i));
             m->setRaw(r, Tf_system::ColPassword, QStringLiteral("pw"));
         },
         QStringLiteral("select count(*) from s_user where sys_name like '%1-%'"), {}},
        {"accounts", [] { return static_cast<QWidget*>(new Tf_zhanghu); }, "DBGridEh3", "Button9",
         [](BatchModel* m, int r, const QString& tag, int i) {
             m->setRaw(r, Tf_zhanghu::ColName, name(tag, i));
             m->setRaw(r, Tf_zhanghu::ColOpening, QVariant::fromValue(Money::fromYuan(i)));
         },
         QStringLiteral("select count(*) from z_zhanghu where z_name like '%1-%'"), {}},
        {"categories", [] { return static_cast<QWidget*>(new TF_zhichuleibie); }, "DBGridEh4", "Button31",
         [](BatchModel* m, int r, const QString& tag, int i) { m->setRaw(r, 2, name(tag, i)); },
         QStringLiteral("select count(*) from s_fenlei where f_name like '%1-%'"),
         QStringLiteral("select count(*) from s_yushuan where f_id in (select id from s_fenlei where f_name like '%1-%')")},
        {"loans", [] { return static_cast<QWidget*>(new Tf_jiechu); }, "DBGridEh6", "Button37",
         [](BatchModel* m, int r, const QString& tag, int i) {
             m->setRaw(r, LoanPage::ColDate, Clock::today());
             m->setRaw(r, LoanPage::ColAccountId, 1);
             m->setRaw(r, LoanPage::ColAmount, QVariant::fromValue(Money::fromYuan(10)));
             m->setRaw(r, LoanPage::ColRemark, name(tag, i));
         },
         QStringLiteral("select count(*) from s_jie where j_other like '%1-%'"),
         QStringLiteral("select count(*) from s_jie where j_other like '%1-%' and j_yuMoney=j_chuMoney-j_ruMoney")},
    };
    return pages;
}

const BatchPage& batchPage(const QString& n)
{
    for (const BatchPage& p : batchPages())
        if (QString::fromLatin1(p.name) == n)
            return p;
    qFatal("unknown page %s", qPrintable(n));
}

// The child: page args[0] on the file in folder args[1], batch tag args[2].
// Reports START just before the save and "END <ms>" once it returned, then
// waits to be killed.
int batchRole(const QStringList& args)
{
    const BatchPage& p = batchPage(args.value(0));
    int argc = 1;
    char argv0[] = "batch";
    char* argv[] = {argv0, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(args.value(1));
    Tx_Data data;
    BoxAnswerer boxes;  // OK to "是否确定保存数据？"
    QWidget* page = p.make();
    page->show();
    QTest::qWait(80);  // pages that read just after they show
    auto* grid = page->findChild<DataGrid*>(QString::fromLatin1(p.grid));
    auto* model = grid ? qobject_cast<BatchModel*>(grid->model()) : nullptr;
    auto* save = page->findChild<QPushButton*>(QString::fromLatin1(p.save));
    if (!model || !save)
        return 3;
    for (int i = 0; i < kRows; ++i)
        p.fill(model, model->appendRow(), args.value(2), i);
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
int rowsOf(const QString& path, const BatchPage& p, const QString& tag, const QString& when)
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
    const int rows = scalar(p.count.arg(tag)).toInt();
    if (rows != 0 && rows != kRows)
        Driver::fail(when + QStringLiteral(": %1 of %2 rows").arg(rows).arg(kRows));
    if (!p.together.isEmpty() && scalar(p.together.arg(tag)).toInt() != rows)
        Driver::fail(when + QStringLiteral(": %1 rows but %2 that go with them").arg(rows).arg(scalar(p.together.arg(tag))));
    return rows;
}

} // namespace

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
        for (const BatchPage& p : batchPages()) {
            const QString page = QString::fromLatin1(p.name), tag = QStringLiteral("m") + page;
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
            const BatchPage& p = batchPages()[run % batchPages().size()];
            const QString page = QString::fromLatin1(p.name), tag = QStringLiteral("r%1").arg(run);
            const bool afterSave = run == kRuns - 1;
            const int delay = afterSave ? 0 : int(1.5 * duration[page] * run / (kRuns - 2));
            const QString when = afterSave ? QStringLiteral("%1: killed after the save").arg(page)
                                           : QStringLiteral("%1: killed %2 ms into a save of %3 ms").arg(page).arg(delay).arg(duration[page]);
            Child::Process child(QStringLiteral("batch"), {page, t.dir(), tag});
            if (afterSave) {
                QVERIFY2(!child.waitForAny({QStringLiteral("END ")}, 60000).isNull(), qPrintable(child.output()));
                child.kill();
            } else {
                QVERIFY2(child.killAfter(QStringLiteral("START"), delay, 60000), qPrintable(child.output()));
            }
            const int rows = rowsOf(t.path(), p, tag, when);
            outcomes << QStringLiteral("%1 %2").arg(delay).arg(rows ? QStringLiteral("saved") : QStringLiteral("absent"));
            if (afterSave)
                QVERIFY2(rows == kRows, qPrintable(when));
        }
        qInfo("save durations (ms): members %d, accounts %d, categories %d, loans %d; kills (ms): %s", duration[QStringLiteral("members")],
              duration[QStringLiteral("accounts")], duration[QStringLiteral("categories")], duration[QStringLiteral("loans")],
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
