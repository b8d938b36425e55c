// The mkdb command line: a slip in the arguments is refused with a message
// that names it, and nothing is written.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
struct Run {
    int code;
    QString err;
};

Run mkdb(const QString& dir, const QStringList& args)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mkdb"), args);
    if (!p.waitForFinished(120000))
        return {-1, QStringLiteral("mkdb did not finish")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}
}

class TstMkdb : public QObject {
    Q_OBJECT
private slots:
    void refusedArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");  // what the message must quote
        QTest::newRow("two files") << QStringList{"a.dll", "b.dll"} << "a.dll b.dll";
        QTest::newRow("three files") << QStringList{"--demo", "a.dll", "b.dll", "c.dll"} << "c.dll";
        QTest::newRow("negative records") << QStringList{"--records=-5", "a.dll"} << "\"-5\"";
        QTest::newRow("records not a number") << QStringList{"--records", "12k", "a.dll"} << "\"12k\"";
        QTest::newRow("records too many") << QStringList{"--records", "10000001", "a.dll"} << "\"10000001\"";
        QTest::newRow("records far too many")
            << QStringList{"--records", "99999999999999999999", "a.dll"} << "\"99999999999999999999\"";
        QTest::newRow("today not a date") << QStringList{"--today", "2012-13-01", "a.dll"} << "\"2012-13-01\"";
    }
    void refusedArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const Run r = mkdb(dir.path(), args);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(named), qPrintable(r.err));
        QVERIFY2(r.err.count(u'\n') == 1, qPrintable(r.err));  // one line, no usage dump
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }

    void boundsAreAccepted()
    {
        QTemporaryDir dir;
        Run r = mkdb(dir.path(), {"--records", "0", "zero.dll"});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        r = mkdb(dir.path(), {});  // no name: fmy.dll
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"fmy.dll", "zero.dll"}));
        r = mkdb(dir.path(), {"fmy.dll"});  // an existing file is refused, not replaced
        QCOMPARE(r.code, 1);
    }

    // A long build tells its progress; stopped, it leaves no half-built
    // file (after SIGKILL the next build clears it away).
    void stoppedBuildLeavesNothing_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGKILL") << SIGKILL;
    }
    void stoppedBuildLeavesNothing()
    {
        QFETCH(int, signal);
        QTemporaryDir dir;
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setReadChannel(QProcess::StandardError);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/mkdb"), {"--records", "10000000", "x.dll"});
        QVERIFY(p.waitForStarted());
        // The first progress line comes after about a second.
        QByteArray err;
        while (!err.contains('\n') && p.waitForReadyRead(10000))
            err += p.readAllStandardError();
        QVERIFY2(QRegularExpression(QStringLiteral("^mkdb: \\d+ of 10000000 records \\(\\d+%\\)\n"))
                     .match(QString::fromLocal8Bit(err))
                     .hasMatch(),
                 err.constData());
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("x.dll.building"))));
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);  // ended by the signal itself
        if (signal == SIGKILL) {
            QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("x.dll.building"))));
            const Run r = mkdb(dir.path(), {"--records", "0", "x.dll"});
            QVERIFY2(r.code == 0, qPrintable(r.err));
            QVERIFY(r.err.isEmpty());  // a short build says nothing on the way
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"x.dll"});
            return;
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(TstMkdb)
#include "tst_mkdb.moc"
