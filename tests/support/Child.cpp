#include "tests/support/Child.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <cstdio>

namespace Child {

namespace {
constexpr char kFlag[] = "--child";
}

std::optional<int> run(int argc, char** argv, const QHash<QString, Role>& roles)
{
    if (argc < 3 || qstrcmp(argv[1], kFlag) != 0)
        return std::nullopt;
    const auto role = roles.constFind(QString::fromLocal8Bit(argv[2]));
    if (role == roles.cend()) {
        std::fprintf(stderr, "unknown child role %s\n", argv[2]);
        return 2;
    }
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return (*role)(args);
}

void report(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

QString receive()
{
    char buffer[1024];
    if (!std::fgets(buffer, sizeof buffer, stdin))
        return QString();
    return QString::fromLocal8Bit(buffer).trimmed();
}

Process::Process(const QString& role, const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_process.setProcessEnvironment(env);
    m_process.start(QCoreApplication::applicationFilePath(), QStringList{QString::fromLatin1(kFlag), role} + args);
}

Process::~Process()
{
    if (m_process.state() != QProcess::NotRunning)
        kill();
}

bool Process::waitFor(const QString& line, int timeoutMs)
{
    for (;;) {
        const QString got = waitForAny({line}, timeoutMs);
        if (got.isNull() || got == line)
            return !got.isNull();
    }
}

QString Process::waitForAny(const QStringList& prefixes, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        while (m_process.canReadLine()) {
            const QString got = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            m_seen += got + u'\n';
            for (const QString& p : prefixes)
                if (got.startsWith(p))
                    return got;
        }
        if (m_process.state() == QProcess::NotRunning)
            break;
        m_process.waitForReadyRead(20);
    }
    m_errors += m_process.readAllStandardError();
    return QString();
}

void Process::send(const QString& line)
{
    m_process.write((line + u'\n').toLocal8Bit());
    m_process.waitForBytesWritten(5000);
}

bool Process::killAfter(const QString& line, int delayMs, int timeoutMs)
{
    if (!waitFor(line, timeoutMs))
        return false;
    QElapsedTimer since;
    since.start();
    // A plain sleep: reading the child's output meanwhile would only blur the moment.
    if (delayMs > 0)
        QThread::usleep(qMax<qint64>(0, delayMs * 1000LL - since.nsecsElapsed() / 1000));
    kill();
    return true;
}

void Process::kill()
{
    if (m_process.processId() > 0)
        ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(10000);
    m_errors += m_process.readAllStandardError();
}

int Process::wait(int timeoutMs)
{
    // waitForFinished is false for a process that has ended already.
    const bool ended = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    m_seen += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_errors += m_process.readAllStandardError();
    if (!ended || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

}  // namespace Child
