// 数据库备份 (the copy and its check) and 数据库还原 (the copy of the chosen
// file and its check, keeping the old file, the replacement) of a
// database with 200k records, against a plain copy of the same file in the
// same run.
#include "bench/BenchUtil.h"
#include "data/Backup.h"
#include "data/Database.h"
#include "data/Tx_Data.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("build type: %s\n", Bench::buildType());
    const qint64 n = 200000;
    Bench::BulkDb db(n);
    const QDir dir(db.dir.path());
    Bench::require(Database::shared().open(db.path, QByteArray(kDatabasePassword)), "opening");
    const double mb = QFileInfo(db.path).size() / 1048576.0;
    const QString copy = dir.filePath(QStringLiteral("copy.dll"));
    const QString backup = dir.filePath(QStringLiteral("backup.bak"));
    constexpr int runs = 5;

    const double plainMs = Bench::medianMs(
        runs, [&] { Bench::require(QFile::copy(db.path, copy), "plain copy"); }, [&] { QFile::remove(copy); });
    const double backupMs = Bench::medianMs(
        runs, [&] { Bench::require(writeVerifiedBackup(Database::shared(), backup), "backup"); },
        [&] { QFile::remove(backup); });

    Bench::require(writeVerifiedBackup(Database::shared(), backup), "backup to restore from");
    const double checkMs = Bench::medianMs(
        runs, [&] { Bench::require(checkDatabaseFile(backup), "check"); }, [] {});
    int second = 0;
    const double restoreMs = Bench::medianMs(
        runs,
        [&] {
            const QDateTime at(QDate(2012, 5, 20), QTime(12, 0, second++));
            Bench::require(restoreDatabase(Database::shared(), backup, at), "restore");
        },
        [&] {
            for (const QString& kept : dir.entryList({QStringLiteral("fmy-*.dll.bak")}, QDir::Files))
                QFile::remove(dir.filePath(kept));
        });

    std::printf("%lld records, %.1f MB: plain copy %.1f ms; backup with check %.1f ms (%.2fx); "
                "restore with checks %.1f ms (%.2fx); of which one check %.1f ms (%.2fx)\n",
                n, mb, plainMs, backupMs, backupMs / plainMs, restoreMs, restoreMs / plainMs, checkMs,
                checkMs / plainMs);
    Database::shared().close();
    return 0;
}
