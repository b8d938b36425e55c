// scripts/run.sh against temporary home folders: which data folder it starts
// the program in, which file it writes there, and which arguments it passes.
// The program is a stand-in that notes its folder and arguments; mkdb is the
// real one from this build.
#include "data/Database.h"
#include "data/Tx_Data.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool writeScript(const QString& path, const QByteArray& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(text);
    f.close();
    return f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

qint64 count(const QString& file, const char* table)
{
    Database db;
    if (!db.open(file, QByteArray(kDatabasePassword)))
        return -1;
    Query q(db, QStringLiteral("select count(*) from %1").arg(QString::fromLatin1(table)));
    return q.next() ? q.integer(0) : -1;
}
}

class TstRunScript : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_home, m_log;

    // Runs run.sh with `env` added; returns its exit code.
    int run(const QStringList& args, const QMap<QString, QString>& env = {})
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const char* unset : {"XDG_DATA_HOME", "JIZHANG_DATA_DIR"})
            e.remove(QString::fromLatin1(unset));
        e.insert(QStringLiteral("HOME"), m_home);
        e.insert(QStringLiteral("JIZHANG_BIN_DIR"), m_tmp.filePath(QStringLiteral("bin")));
        e.insert(QStringLiteral("STUB_LOG"), m_log);
        // Should the script still try to build, it fails at once instead.
        e.insert(QStringLiteral("PATH"),
                 m_tmp.filePath(QStringLiteral("nobuild")) + u':' + e.value(QStringLiteral("PATH")));
        for (auto it = env.begin(); it != env.end(); ++it)
            e.insert(it.key(), it.value());
        QFile::remove(m_log);
        QProcess p;
        p.setProcessEnvironment(e);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("bash"), QStringList{QStringLiteral(JIZHANG_SOURCE_DIR "/scripts/run.sh")} + args);
        if (!p.waitForFinished(120000))
            return -1;
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    // The program's working folder, then its arguments.
    QStringList started() const
    {
        QFile f(m_log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY(QDir(m_tmp.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(m_tmp.path()).mkpath(QStringLiteral("nobuild")));
        QVERIFY(QFile::link(QCoreApplication::applicationDirPath() + QStringLiteral("/mkdb"),
                            m_tmp.filePath(QStringLiteral("bin/mkdb"))));
        QVERIFY(writeScript(m_tmp.filePath(QStringLiteral("bin/jizhang")),
                            "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > \"$STUB_LOG\"\n"));
        for (const char* tool : {"cmake", "ninja", "apt-get", "sudo"})
            QVERIFY(writeScript(m_tmp.filePath(QStringLiteral("nobuild/") + QString::fromLatin1(tool)),
                                "#!/bin/sh\nexit 97\n"));
        m_log = m_tmp.filePath(QStringLiteral("started.txt"));
    }

    void init()
    {
        m_home = m_tmp.filePath(QStringLiteral("home-%1").arg(QString::fromLatin1(QTest::currentTestFunction())));
        QVERIFY(QDir().mkpath(m_home));
    }

    void householdFileHasNoInventedRecords()
    {
        QCOMPARE(run({QStringLiteral("-x")}), 0);
        const QString folder = m_home + QStringLiteral("/.local/share/jizhang");
        QCOMPARE(started(), (QStringList{folder, QStringLiteral("-x")}));
        const QString file = folder + QStringLiteral("/fmy.dll");
        QCOMPARE(count(file, "s_shouru"), 0);
        QCOMPARE(count(file, "s_user"), 1);  // the default member to log in with
        QVERIFY(count(file, "s_fenlei") > 0);
        QVERIFY(count(file, "z_zhanghu") > 0);
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.local/share/jizhang-demo")));

        // JIZHANG_DATA_DIR moves the household's folder.
        const QString own = m_home + QStringLiteral("/own");
        QCOMPARE(run({}, {{QStringLiteral("JIZHANG_DATA_DIR"), own}}), 0);
        QCOMPARE(started(), QStringList{own});
        QCOMPARE(count(own + QStringLiteral("/fmy.dll"), "s_shouru"), 0);
    }

    void demoHasItsOwnFolder()
    {
        const QString household = m_home + QStringLiteral("/household");
        const QString xdg = m_home + QStringLiteral("/xdg");
        QCOMPARE(run({QStringLiteral("a b"), QStringLiteral("--demo"), QStringLiteral("c")},
                     {{QStringLiteral("JIZHANG_DATA_DIR"), household}, {QStringLiteral("XDG_DATA_HOME"), xdg}}),
                 0);
        QCOMPARE(started(),
                 (QStringList{xdg + QStringLiteral("/jizhang-demo"), QStringLiteral("a b"), QStringLiteral("c")}));
        QVERIFY(count(xdg + QStringLiteral("/jizhang-demo/fmy.dll"), "s_shouru") > 0);
        QVERIFY(!QFileInfo::exists(household + QStringLiteral("/fmy.dll")));
        QVERIFY(!QFileInfo::exists(xdg + QStringLiteral("/jizhang/fmy.dll")));
    }

    void existingFileIsNeverTouched()
    {
        const QString folder = m_home + QStringLiteral("/.local/share/jizhang");
        QVERIFY(QDir().mkpath(folder));
        const QByteArray mine("the household's own data");
        QFile f(folder + QStringLiteral("/fmy.dll"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(mine);
        f.close();
        QCOMPARE(run({}), 0);
        QCOMPARE(started(), QStringList{folder});
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), mine);
    }
};

QTEST_MAIN(TstRunScript)
#include "tst_runscript.moc"
