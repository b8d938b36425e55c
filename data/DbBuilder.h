#pragma once
// Writes the delivered database file: the schema and the starter rows, and
// optionally believable demo data or bulk records for benchmarks.

#include <QDate>
#include <QString>
#include <functional>

struct BuildOptions {
    bool force = false;  // replace an existing file
    bool demo = false;   // twelve months of household life up to `today`
    qint64 records = 0;  // bulk records spread over twenty years up to `today`
    QDate today = QDate::currentDate();
    quint32 seed = 20120501;  // random seed, so a build can be repeated
    // Told every few thousand bulk records how many are written.
    std::function<void(qint64 done, qint64 total)> progress = {};
};

// The file a build writes before it is complete ("<path>.building"); its
// journal is this name with "-journal". A build removes both of an earlier
// one that was cut off.
QString buildingPath(const QString& path);

// Builds into a temporary file beside `path` and moves it into place only when
// complete. Refuses to overwrite an existing file unless options.force.
[[nodiscard]] bool BuildDatabase(const QString& path, const BuildOptions& options, QString* error = nullptr);

// The schema and seed texts carried inside the program.
QString SchemaSql();
QString SeedSql();
