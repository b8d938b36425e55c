// Start-up until the login dialog shows against the file opened with its key
// alone, and creation of the desktop page against the page's own statements
// run alone, each in the same run.
#include "app/TForm1.h"
#include "app/Tf_main.h"
#include "bench/BenchUtil.h"
#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/Tx_Data.h"

#include "ui/ClickLabel.h"

#include <QApplication>
#include <QProcess>

namespace {
void runStatements()
{
    const QDate today = Clock::today();
    Query note(QStringLiteral("select daytxt from sys_sys"));
    note.next();
    Query acc(QStringLiteral("select sum(z_jieru) as 借入,sum(z_jiechu) as 借出,sum(z_yue) as 余额 from z_zhanghu"));
    acc.next();
    Query month(QString::fromUtf8(kDesktopMonthSql));
    for (const QDate& m : {firstDayOfMonth(today), previousMonth(today)})
        for (const char* c : {"S", "Z"}) {
            month.bind(":m", m.toString(QStringLiteral("yyyy-MM"))).bind(":c", QString::fromLatin1(c));
            month.next();
        }
    for (const char* c : {"Z", "S"}) {
        Query rank(QString::fromUtf8(kDesktopRankingSql));
        rank.bind(":c", QString::fromLatin1(c));
        while (rank.next()) {
        }
    }
}
}

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    const QString exe = QCoreApplication::applicationDirPath() + QStringLiteral("/jizhang");

    for (qint64 n : {10000, 200000, 400000}) {
        Bench::BulkDb db(n);
        QDir::setCurrent(db.dir.path());
        if (n >= 200000) {
            // The floor: the same file opened with its key (the key derivation
            // and the first read), in this process.
            const double keyMs = Bench::medianMs(10, [&] {
                Database bare;
                Bench::require(bare.open(db.path, QByteArray(kDatabasePassword)), "open");
            });
            const double startMs = Bench::medianOfMs(10, [&] {
                QProcess p;
                p.setWorkingDirectory(db.dir.path());
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert(QStringLiteral("JIZHANG_EXIT_AT_LOGIN"), QStringLiteral("1"));
                p.setProcessEnvironment(env);
                QElapsedTimer shown;
                shown.start();
                p.start(exe, {});
                Bench::require(p.waitForReadyRead(10000) && p.readLine().startsWith("login shown"), "login shown");
                const qint64 ns = shown.nsecsElapsed();
                p.waitForFinished(10000);
                return ns / 1e6;
            });
            std::printf("%lld records: process start until the login dialog shows: %.1f ms (median of 10) vs the "
                        "file opened with its key alone %.1f ms (%.2fx)\n",
                        n, startMs, keyMs, startMs / keyMs);
        }
        Tx_Data data(Database::shared());
        Bench::require(RecalcAccountTotals(Database::shared()), "RecalcAccountTotals");
        runStatements();  // warm the cache as the start-up does
        const double stmtMs = Bench::medianMs(15, runStatements);
        const double pageMs = Bench::medianMs(15, [] { delete new Tf_main; });
        std::printf("%lld records: desktop page creation %.1f ms vs its statements alone %.1f ms (%.2fx)\n", n, pageMs,
                    stmtMs, pageMs / stmtMs);
        {
            // "桌面" clicked until the page is painted: the recomputation, the
            // page and one paint of the window.
            TForm1 form(false);
            form.show();
            auto* desk = form.findChild<ClickLabel*>(QStringLiteral("Label3"));
            const double clickMs = Bench::medianMs(15, [&] {
                emit desk->clicked();
                form.repaint();
            });
            const double recalcMs
                = Bench::medianMs(15, [] { Bench::require(RecalcAccountTotals(Database::shared()), "recomputation"); });
            std::printf(
                "%lld records: 桌面 clicked to painted page %.1f ms vs the recomputation alone %.1f ms (%.2fx)\n", n,
                clickMs, recalcMs, clickMs / recalcMs);
        }
        Database::shared().close();
    }
    return 0;
}
