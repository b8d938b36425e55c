// Opening the encrypted file and rebuilding the account totals, against
// baselines measured in the same run.
#include "app/Tf_main.h"
#include "bench/BenchUtil.h"
#include "data/AccountTotals.h"
#include "data/Database.h"
#include "data/Tx_Data.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("build type: %s\n", Bench::buildType());

    // Baseline: the key derivation, paid on the first read of a small file.
    Bench::BulkDb small(0);
    const double keyMs = Bench::medianMs(9, [&] {
        Database db;
        Bench::require(db.open(small.path, kDatabasePassword), "open");  // open + key + count(sqlite_master)
    });
    std::printf("key derivation (small file): %.1f ms\n", keyMs);

    for (qint64 n : {10000, 100000, 200000}) {
        Bench::BulkDb big(n);
        const QString dir = big.dir.path();
        const double openMs = Bench::medianMs(9, [&] {
            QDir::setCurrent(dir);
            Tx_Data data(Database::shared());  // open, start page, view upgrade
            Query q(
                QStringLiteral("select sum(s_jine) from s_z_all where s_date between '2012-05-01' and '2012-05-31'"));
            q.next();
            Database::shared().close();
        });
        QDir::setCurrent(dir);
        Tx_Data data(Database::shared());
        Database& db = Database::shared();
        Bench::require(RecalcAccountTotals(db), "RecalcAccountTotals");  // warm the cache like the program's start does
        const double passMs = Bench::medianMs(7, [&] {
            Query q(db, QStringLiteral("select sum(s_jine) from s_z_all"));
            q.next();
        });
        const double recalcMs
            = Bench::medianMs(7, [&] { Bench::require(RecalcAccountTotals(db), "RecalcAccountTotals"); });
        std::printf("%6lld records: open+first query %.1f ms (%.2fx key derivation); "
                    "RecalcAccountTotals %.1f ms vs one s_z_all pass %.1f ms (%.2fx)\n",
                    n, openMs, openMs / keyMs, recalcMs, passMs, recalcMs / passMs);
        db.close();
    }

    // The page cache: the desktop's ranking (every record summed per
    // category) with 2, 16 and 32 MiB, against the program's 16 MiB.
    for (qint64 n : {200000, 400000}) {
        Bench::OpenedBulkDb big(n);
        Database& db = Database::shared();
        double ms[3] = {};
        const int kib[3] = {2048, 16384, 32768};
        for (int i = 0; i < 3; ++i) {
            Bench::require(db.exec(QStringLiteral("PRAGMA cache_size=-%1").arg(kib[i])), "cache size");
            auto ranking = [&] {
                for (const char* c : {"Z", "S"}) {
                    Query q(db, QString::fromUtf8(kDesktopRankingSql));
                    q.bind(":c", QString::fromLatin1(c));
                    while (q.next()) {
                    }
                }
            };
            ranking();  // fill the cache as far as it goes
            ms[i] = Bench::medianMs(7, ranking);
        }
        std::printf("%6lld records: desktop rankings with a 2 MiB cache %.1f ms, 16 MiB %.1f ms, 32 MiB %.1f ms "
                    "(2 MiB / 16 MiB %.2fx)\n",
                    n, ms[0], ms[1], ms[2], ms[0] / ms[1]);
        db.close();
    }
    return 0;
}
