// The print page's export: 100,000 rows of its five columns from a loaded
// model to an .xls file (the writer, then QSaveFile) against writing the same
// cells as CSV (the texts the grid shows, UTF-8, QSaveFile), in the same run.
// Peak memory: each writer once in a child process of its own, as the peak
// resident size above the size right after the model was loaded.
#include "bench/BenchUtil.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "ui/QueryModel.h"
#include "ui/XlsWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace {

constexpr int kRows = 100000;
// 92 in 100 bulk records are expenses: this many give over 100,000 of them.
constexpr qint64 kRecords = 115000;

bool loadList(QueryModel& model)
{
    // The page's statement for all users; the limit takes exactly kRows.
    const QString sql
        = QStringLiteral(
              "select s_date as 日期,f_name as 项目,sys_name as 用户,z_name as 账户,s_jine as 金额 from s_z_all "
              "where s_date between :from and :to and f_class=:cls order by s_date asc, id asc limit %1")
              .arg(kRows);
    DbError error;
    const QDate today = QDate::currentDate();
    const bool ok
        = model.setQuery(sql, {{":from", today.addYears(-21)}, {":to", today}, {":cls", QStringLiteral("Z")}}, &error);
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
    return ok && model.rowCount() == kRows;
}

QByteArray xlsBytes(const QueryModel& model)
{
    QList<Xls::Column> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        columns.append({model.headerData(c, Qt::Horizontal).toString(), 100});  // the page's widths
    return Xls::workbook(columns, model.rowCount(), [&](int row, int column) { return model.raw(row, column); });
}

QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QByteArray csvBytes(const QueryModel& model)
{
    QByteArray out;
    QString line;
    for (int row = -1; row < model.rowCount(); ++row) {
        line.clear();
        for (int c = 0; c < model.columnCount(); ++c) {
            if (c)
                line += u',';
            line += csvField(row < 0 ? model.headerData(c, Qt::Horizontal).toString()
                                     : model.data(model.index(row, c)).toString());
        }
        line += QStringLiteral("\r\n");
        out += line.toUtf8();
    }
    return out;
}

void save(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    Bench::require(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit(), "writing the file");
}

void exportAs(const QString& kind, const QueryModel& model, const QString& folder)
{
    if (kind == u"xls")
        save(QDir(folder).filePath(QStringLiteral("list.xls")), xlsBytes(model));
    else
        save(QDir(folder).filePath(QStringLiteral("list.csv")), csvBytes(model));
}

qint64 statusKb(const char* field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Child: open the database in `folder`, load the list, export it once and
// print the resident sizes after loading and at the peak after it, in KiB.
int child(const QString& kind, const QString& folder)
{
    QDir::setCurrent(folder);
    Tx_Data data(Database::shared());
    QueryModel model;
    Bench::require(loadList(model), "loading the list");
    const qint64 loaded = statusKb("VmRSS:");
    // Start the peak afresh, so the load's own peak does not count.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
    clear.close();
    exportAs(kind, model, folder);
    std::printf("%lld %lld %d\n", loaded, statusKb("VmHWM:"), reset ? 1 : 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--peak") == 0) {
        QCoreApplication app(argc, argv);
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }

    Bench::GuiApp app(argc, argv);
    Bench::OpenedBulkDb db(kRecords);
    QueryModel model;
    Bench::require(loadList(model), "loading 100,000 rows");
    const QString folder = db.dir.path();

    const double xlsMs = Bench::medianMs(5, [&] { exportAs(QStringLiteral("xls"), model, folder); });
    const double csvMs = Bench::medianMs(5, [&] { exportAs(QStringLiteral("csv"), model, folder); });
    const double writerMs = Bench::medianMs(5, [&] { Bench::require(!xlsBytes(model).isEmpty(), "the writer"); });
    const double csvTextMs = Bench::medianMs(5, [&] { Bench::require(!csvBytes(model).isEmpty(), "the CSV text"); });
    const qint64 xlsSize = QFileInfo(QDir(folder).filePath(QStringLiteral("list.xls"))).size();
    const qint64 csvSize = QFileInfo(QDir(folder).filePath(QStringLiteral("list.csv"))).size();

    std::printf("%d rows x 5 columns from a loaded model, median of 5:\n", kRows);
    std::printf("  .xls (writer + QSaveFile) %.1f ms, %.1f MB\n", xlsMs, xlsSize / 1e6);
    std::printf("  .csv (grid texts, UTF-8 + QSaveFile) %.1f ms, %.1f MB\n", csvMs, csvSize / 1e6);
    std::printf("  ratio xls / csv: %.2fx (target <= 3x)\n", xlsMs / csvMs);
    std::printf("  in memory only: writer %.1f ms vs CSV text %.1f ms (%.2fx)\n", writerMs, csvTextMs,
                writerMs / csvTextMs);

    Database::shared().close();
    for (const char* kind : {"xls", "csv"}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--peak"), QString::fromLatin1(kind), folder});
        Bench::require(p.waitForFinished(300000) && p.exitCode() == 0, "the child process");
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        const qint64 loaded = f.value(0).toLongLong(), peak = f.value(1).toLongLong();
        std::printf("  peak memory of %s export above the loaded model: %.1f MiB (loaded %.1f MiB%s)\n", kind,
                    (peak - loaded) / 1024.0, loaded / 1024.0,
                    f.value(2) == "1" ? "" : "; the load's own peak could not be reset and is included");
    }
    return 0;
}
