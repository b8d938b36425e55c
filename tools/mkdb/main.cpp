// Writes the delivered, encrypted fmy.dll.
//   mkdb [--force] [--demo] [--records N] [--today YYYY-MM-DD] [FILE]
#include "data/Database.h"
#include "data/DbBuilder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Writes the household ledger's encrypted database file."));
    p.addHelpOption();
    p.addOption({QStringLiteral("force"), QStringLiteral("Replace an existing file.")});
    p.addOption({QStringLiteral("demo"), QStringLiteral("Add twelve months of demo records up to today.")});
    p.addOption({QStringLiteral("records"), QStringLiteral("Add N records over twenty years."), QStringLiteral("N")});
    p.addOption({QStringLiteral("today"), QStringLiteral("The last day of demo data."), QStringLiteral("date")});
    p.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Output file (default fmy.dll)."));
    p.process(app);

    BuildOptions o;
    o.force = p.isSet(QStringLiteral("force"));
    o.demo = p.isSet(QStringLiteral("demo"));
    if (p.isSet(QStringLiteral("records"))) {
        bool ok = false;
        o.records = p.value(QStringLiteral("records")).toLongLong(&ok);
        if (!ok || o.records < 0) {
            std::fprintf(stderr, "mkdb: --records needs a whole number\n");
            return 2;
        }
    }
    if (p.isSet(QStringLiteral("today"))) {
        o.today = dateFromText(p.value(QStringLiteral("today")));
        if (!o.today.isValid()) {
            std::fprintf(stderr, "mkdb: --today needs YYYY-MM-DD\n");
            return 2;
        }
    }
    const QString file = p.positionalArguments().value(0, QStringLiteral("fmy.dll"));
    QElapsedTimer t;
    t.start();
    QString error;
    if (!BuildDatabase(file, o, &error)) {
        std::fprintf(stderr, "mkdb: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("mkdb: wrote %s in %lld ms\n", qPrintable(file), t.elapsed());
    return 0;
}
