// What the user waits for on 打印\导出 at 200k records over twenty years: the
// page's list of every expense (about 184,000 rows) exported from the click
// (file name given) to the complete file as .xls, .xlsx and .csv, and the
// preview from the 打印 click to its first page shown, each against the bare
// statement that reads the same rows, in the same run; and the list read to
// its end alone, the part of every case that is not its writer. Each case runs in a
// child process of its own: its peak memory above the list read whole.
#include "bench/BenchUtil.h"
#include "data/Database.h"
#include "reports/Tf_dayin.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"
#include "ui/QueryModel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr qint64 kRecords = 200000;

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

// The bare read of the page's rows: the statement stepped to its end.
double bareReadMs()
{
    return Bench::medianMs(3, [] {
        Query q(QStringLiteral("select s_date,f_name,sys_name,z_name,s_jine from s_z_all where s_date between :a and "
                               ":b and f_class='Z' order by s_date, id"));
        q.bind(":a", QDate(1900, 1, 1)).bind(":b", QDate(2100, 1, 1));
        int rows = 0;
        while (q.next())
            ++rows;
        Bench::require(q.ok() && rows > 100000, "the bare read");
    });
}

// Child: the page listed as a user lists it, then one case timed: prints
// "<ms> <loaded KiB> <peak KiB> <rows>".
int child(const QString& kind, const QString& folder)
{
    QDir::setCurrent(folder);
    Tx_Data data(Database::shared());
    Tf_dayin page;
    page.show();
    page.findChild<QDateEdit*>(QStringLiteral("DateTimePicker14"))->setDate(QDate(1900, 1, 1));
    auto* kindList = page.findChild<QComboBox*>(QStringLiteral("ComboBox4"));
    kindList->setCurrentIndex(kindList->findText(QStringLiteral("支出")));
    page.findChild<QPushButton*>(QStringLiteral("Button58"))->click();
    auto* grid = page.findChild<DataGrid*>(QStringLiteral("DBGridEh18"));
    const qint64 loaded = statusKb("VmRSS:");
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    Bench::require(clear.open(QIODevice::WriteOnly) && clear.write("5") == 1, "resetting the peak");
    clear.close();

    QElapsedTimer t;
    double ms = -1;
    // Boxes at the end are answered; the preview is closed once its first page is up.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                box->accept();
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->objectName() == u"PrintPreviewDialog") {
                if (ms < 0)
                    ms = t.nsecsElapsed() / 1e6;
                d->reject();
            }
        }
    });
    answer.start(1);
    t.start();
    if (kind == u"read") {
        // The list read to its end alone: the share of the export that is not the writer's.
        auto* model = qobject_cast<QueryModel*>(grid->model());
        Bench::require(model != nullptr, "the list's model");
        while (model->canFetchMore({}))
            model->fetchMany(1 << 16);
        ms = t.nsecsElapsed() / 1e6;
    } else if (kind == u"preview") {
        Bench::require(GridOutput::preview(*grid, &page), "a printer for the preview");
    } else {
        const SheetFile::Format f = kind == u"xlsx"  ? SheetFile::Format::Xlsx
                                    : kind == u"csv" ? SheetFile::Format::Csv
                                                     : SheetFile::Format::Xls;
        Bench::require(GridOutput::exportTo(*grid, &page, f, QDir(folder).filePath(QStringLiteral("list.") + kind)),
                       "the export");
        ms = t.nsecsElapsed() / 1e6;
    }
    // The list is whole now: what the work needed beyond it is the peak above this.
    const qint64 whole = statusKb("VmRSS:");
    std::printf("%.1f %lld %lld %d %lld\n", ms, loaded, statusKb("VmHWM:"), grid->model()->rowCount(), whole);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--case") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return child(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    Bench::GuiApp app(argc, argv);
    Bench::OpenedBulkDb db(kRecords);
    const double bare = bareReadMs();
    Database::shared().close();
    std::printf("%lld records over twenty years; the bare read of every expense row: %.1f ms\n", kRecords, bare);
    for (const char* kind : {"read", "xls", "xlsx", "csv", "preview"}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--case"), QString::fromLatin1(kind), db.dir.path()});
        Bench::require(p.waitForFinished(600000) && p.exitCode() == 0, "the child process");
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        const double ms = f.value(0).toDouble();
        const qint64 shown = f.value(1).toLongLong(), peak = f.value(2).toLongLong(), whole = f.value(4).toLongLong();
        std::printf("  %-8s %d rows: %8.1f ms (%.2fx the bare read); the list read whole: +%.1f MiB, "
                    "peak %.1f MiB above the whole list\n",
                    kind, f.value(3).toInt(), ms, ms / bare, (whole - shown) / 1024.0, (peak - whole) / 1024.0);
    }
    return 0;
}
