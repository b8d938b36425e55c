#include "tests/support/Child.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        while (m_process.canReadLine()) {
            const QString got = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            m_seen += got + u'\n';
            if (got == line)
                return true;
        }
        if (m_process.state() == QProcess::NotRunning)
            break;
        m_process.waitForReadyRead(50);
    }
    m_errors += m_process.readAllStandardError();
    return false;
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
    const bool ended = m_process.waitForFinished(timeoutMs);
    m_seen += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_errors += m_process.readAllStandardError();
    if (!ended || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

} // namespace Child
