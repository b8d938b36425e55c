// The mkdb command line: a slip in the arguments is refused with a message
// that names it, and nothing is written.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardError())};
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
        QTest::newRow("records far too many") << QStringList{"--records", "99999999999999999999", "a.dll"}
                                               << "\"99999999999999999999\"";
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
};

QTEST_MAIN(TstMkdb)
#include "tst_mkdb.moc"
