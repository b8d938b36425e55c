// The version check against a small HTTP server on 127.0.0.1: which
// answers start the updater, which report the newest version, which fail.
#include "settings/Tf_system.h"
#include "settings/VersionCheck.h"
#include "tests/support/Driver.h"

#include <QDir>
#include <QProgressDialog>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Driver;

namespace {
// Answers every request with one fixed reply (or never, when `silent`).
class VersionServer {
public:
    QByteArray reply;
    bool silent = false;

    VersionServer()
    {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection())
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_request += s->readAll();
                    if (!m_request.contains("\r\n\r\n") || silent)
                        return;
                    s->write(reply);
                    s->disconnectFromHost();
                });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/var2012.asp").arg(m_server.serverPort()); }
    static QByteArray ok(const QByteArray& body)
    {
        return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size())
               + "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    QTcpServer m_server;
    QByteArray m_request;
};

const QString kNewest = QStringLiteral("当前版本已经是最新版，无需更新");
const QString kNoServer = QStringLiteral("无法连接到服务器");

// A stand-in updater that leaves a mark in the working directory.
void writeUpdater()
{
    QFile f(QDir::current().filePath(QStringLiteral("update.exe")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\necho started > started.txt\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}
}

class TstVersionCheck : public QObject {
    Q_OBJECT

private slots:
    void bodies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("box");  // empty: the updater starts
        QTest::newRow("13") << VersionServer::ok("13") << QString();
        QTest::newRow("120") << VersionServer::ok("120") << QString();
        QTest::newRow("12") << VersionServer::ok("12") << kNewest;
        QTest::newRow("12 and a line break") << VersionServer::ok("12\r\n") << kNewest;
        QTest::newRow("11") << VersionServer::ok("11") << kNewest;
        QTest::newRow("9") << VersionServer::ok("9") << kNewest;
        QTest::newRow("empty") << VersionServer::ok("") << kNoServer;
        QTest::newRow("abc") << VersionServer::ok("abc") << kNoServer;
        QTest::newRow("13abc") << VersionServer::ok("13abc") << kNoServer;
        QTest::newRow("404") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\nConnection: close\r\n\r\n13")
                             << kNoServer;
    }

    void bodies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, box);
        TEST_BEGIN
        PageFixture f;
        writeUpdater();
        VersionServer server;
        server.reply = reply;
        qputenv("JIZHANG_VERSION_URL", server.url().toUtf8());
        Tf_system page;
        int quits = 0;
        page.setQuitAction([&] { ++quits; });
        const QStringList boxes = f.boxesAfterClick(&page, "Button51");
        qunsetenv("JIZHANG_VERSION_URL");
        if (box.isEmpty()) {
            QCOMPARE(boxes, QStringList());
            QTRY_VERIFY(QFile::exists(QDir::current().filePath(QStringLiteral("started.txt"))));
            QCOMPARE(quits, 1);
        } else {
            QCOMPARE(boxes, QStringList{box});
            QCOMPARE(f.boxes.seen[0].icon, box == kNewest ? QMessageBox::Information : QMessageBox::Critical);
            QCOMPARE(quits, 0);
            QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("started.txt"))));
        }
        TEST_END
    }

    void noServerNoAnswerNoUpdater()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_system page;
        int quits = 0;
        page.setQuitAction([&] { ++quits; });

        // Nobody listens on the port.
        QString closedUrl;
        {
            VersionServer gone;
            closedUrl = gone.url();
        }
        page.setVersionUrl(closedUrl);
        QCOMPARE(f.boxesAfterClick(&page, "Button51"), QStringList{kNoServer});

        // A server that never answers: the wait ends at the time limit, with
        // the progress dialog shown meanwhile.
        VersionServer silent;
        silent.silent = true;
        page.setVersionUrl(silent.url());
        page.setVersionTimeout(1600);
        bool progressShown = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<QProgressDialog*>(w) && w->isVisible())
                    progressShown = true;
        });
        watch.start(50);
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(f.boxesAfterClick(&page, "Button51"), QStringList{kNoServer});
        QVERIFY(waited.elapsed() >= 1500);
        QVERIFY(progressShown);

        // A newer version without the updater: said so, the program goes on.
        VersionServer newer;
        newer.reply = VersionServer::ok("13");
        page.setVersionUrl(newer.url());
        const QStringList boxes = f.boxesAfterClick(&page, "Button51");
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(QStringLiteral("update.exe")), qPrintable(boxes[0]));
        QCOMPARE(quits, 0);
        QCOMPARE(parseVersion(" 12 \n"), std::optional<qint64>(12));
        QCOMPARE(parseVersion("99999999999999999999"), std::nullopt);
        TEST_END
    }
};

QTEST_MAIN(TstVersionCheck)
#include "tst_versioncheck.moc"
