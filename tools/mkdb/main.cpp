// Writes the delivered, encrypted fmy.dll.
//   mkdb [--force] [--demo] [--records N] [--today YYYY-MM-DD] [FILE]
// Exit codes: 0 written, 1 could not write, 2 bad arguments.
#include "data/Database.h"
#include "data/DbBuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
// Twenty years of a busy household is far below this; more only fills the disk.
constexpr long long kMaxRecords = 10'000'000;

// The unfinished file and its journal, for the signal handler (which may
// only call what is safe there: no Qt, no allocation).
char g_building[4096];
char g_journal[4096 + 16];

extern "C" void stopBuilding(int sig)
{
    ::unlink(g_building);
    ::unlink(g_journal);
    // The default action again, so whoever stopped mkdb sees the signal.
    std::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Ctrl+C or a polite kill leaves no half-built file behind; after SIGKILL the
// next build removes it.
void removeBuildingOnStop(const QString& file)
{
    const QByteArray building = QFile::encodeName(QFileInfo(buildingPath(file)).absoluteFilePath());
    if (building.size() >= qsizetype(sizeof g_building))
        return;
    std::memcpy(g_building, building.constData(), size_t(building.size()) + 1);
    std::snprintf(g_journal, sizeof g_journal, "%s-journal", g_building);
    struct sigaction a {};
    a.sa_handler = stopBuilding;
    sigemptyset(&a.sa_mask);
    sigaction(SIGINT, &a, nullptr);
    sigaction(SIGTERM, &a, nullptr);
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Writes the household ledger's encrypted database file."));
    p.addHelpOption();
    p.addOption({QStringLiteral("force"), QStringLiteral("Replace an existing file.")});
    p.addOption({QStringLiteral("demo"), QStringLiteral("Add twelve months of demo records up to today.")});
    p.addOption({QStringLiteral("records"), QStringLiteral("Add N records (at most 10000000) over twenty years."),
                 QStringLiteral("N")});
    p.addOption({QStringLiteral("today"), QStringLiteral("The last day of demo data."), QStringLiteral("date")});
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Output file (default fmy.dll)."));
    p.process(app);

    BuildOptions o;
    o.force = p.isSet(QStringLiteral("force"));
    o.demo = p.isSet(QStringLiteral("demo"));
    if (p.isSet(QStringLiteral("records"))) {
        const QString value = p.value(QStringLiteral("records"));
        bool ok = false;
        o.records = value.toLongLong(&ok);
        if (!ok || o.records < 0 || o.records > kMaxRecords) {
            std::fprintf(stderr, "mkdb: --records needs a whole number from 0 to %lld, not \"%s\"\n", kMaxRecords,
                         qPrintable(value));
            return 2;
        }
    }
    if (p.isSet(QStringLiteral("today"))) {
        const QString value = p.value(QStringLiteral("today"));
        o.today = dateFromText(value);
        if (!o.today.isValid()) {
            std::fprintf(stderr, "mkdb: --today needs a date YYYY-MM-DD, not \"%s\"\n", qPrintable(value));
            return 2;
        }
    }
    // A second name is a typing slip (a missing option dash, a path with a
    // blank): writing only the first would leave the user guessing.
    const QStringList files = p.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "mkdb: one FILE at most, got %lld: %s\n", qlonglong(files.size()),
                     qPrintable(files.join(QStringLiteral(" "))));
        return 2;
    }
    const QString file = files.value(0, QStringLiteral("fmy.dll"));
    removeBuildingOnStop(file);
    QElapsedTimer t;
    t.start();
    // A long --records run tells how far it is, about once a second.
    qint64 lastTold = 0;
    o.progress = [&t, &lastTold](qint64 done, qint64 total) {
        const qint64 now = t.elapsed();
        if (now - lastTold < 1000 && !(done == total && lastTold > 0))
            return;
        lastTold = now;
        std::fprintf(stderr, "mkdb: %lld of %lld records (%lld%%)\n", done, total, total ? done * 100 / total : 100);
    };
    QString error;
    if (!BuildDatabase(file, o, &error)) {
        std::fprintf(stderr, "mkdb: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("mkdb: wrote %s in %lld ms\n", qPrintable(file), t.elapsed());
    return 0;
}
