#pragma once
// Small timing helpers shared by the benchmarks: medians of repeated runs,
// and delivered databases with bulk records built once per size.

#include "calendar/ChnCal.h"
#include "calendar/LunarCalc.h"
#include "data/DbBuilder.h"
#include "data/Tx_Data.h"

#include <QApplication>

#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace Bench {

// Median of `runs` timings of `fn`; `cleanup`, when given, runs untimed after each.
inline double medianMs(int runs, const std::function<void()>& fn, const std::function<void()>& cleanup = {})
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer e;
        e.start();
        fn();
        t.push_back(e.nsecsElapsed() / 1e6);
        if (cleanup)
            cleanup();
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Median of `runs` samples that time themselves (in ms): for a span that
// ends before the work does, such as a child process's first output.
inline double medianOfMs(int runs, const std::function<double()>& sample)
{
    std::vector<double> t;
    for (int i = 0; i < runs; ++i)
        t.push_back(sample());
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Stops the run when a step it times fails: a timing of a failure means nothing.
inline void require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "%s failed\n", what);
        std::exit(1);
    }
}

// A database with `records` bulk records in its own temporary folder.
struct BulkDb {
    QTemporaryDir dir;
    QString path;
    explicit BulkDb(qint64 records, bool demo = false)
    {
        path = QDir(dir.path()).filePath(QStringLiteral("fmy.dll"));
        BuildOptions o;
        o.records = records;
        o.demo = demo;
        QString err;
        if (!BuildDatabase(path, o, &err))
            std::fprintf(stderr, "build failed: %s\n", qPrintable(err));
    }
};

// The same, opened as the program opens it: current directory in its
// folder, the data module on the shared connection.
struct OpenedBulkDb : BulkDb {
    explicit OpenedBulkDb(qint64 records, bool demo = false)
        : BulkDb(records, demo),
          data((QDir::setCurrent(dir.path()), Database::shared()))
    {}
    Tx_Data data;
};

// Boxes a timed click brings up (a budget notice after a save) answered
// with their default button as they show.
struct AnswerBoxes {
    QTimer timer;
    AnswerBoxes()
    {
        QObject::connect(&timer, &QTimer::timeout, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                    box->accept();
        });
        timer.start(1);
    }
};

inline const char* buildType();

// The widgets of a benchmark run offscreen; the run says how it was built.
struct GuiApp {
    GuiApp(int& argc, char** argv) : app((qputenv("QT_QPA_PLATFORM", "offscreen"), argc), argv)
    {
        std::printf("build type: %s\n", buildType());
    }
    QApplication app;
};

// Every day of a month described, as a month's calendar page needs them.
inline void describeMonth(TChnCal& info, int year, int month)
{
    for (int d = 1; d <= DaysInMonth(year, month); ++d)
        DescribeDay(info, {year, month, d});
}

inline const char* buildType()
{
#ifdef NDEBUG
    return "Release";
#else
    return "Debug (numbers not representative)";
#endif
}

}  // namespace Bench
