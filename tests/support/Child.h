#pragma once
// A second copy of the running test executable, started in a role of its
// own (a page saving, a batch being written), that the test can watch and
// kill with SIGKILL at any moment, as a power cut or a crash would.
//
// A test executable with children has its own main():
//     int main(int argc, char** argv)
//     {
//         if (auto rc = Child::run(argc, argv, {{"save", saveRole}}))
//             return *rc;
//         ... QTest::qExec as usual
//     }

#include <QHash>
#include <QProcess>
#include <QStringList>
#include <functional>
#include <optional>

namespace Child {

// A role gets the arguments after its name and returns the exit code.
using Role = std::function<int(const QStringList& args)>;

// When this process was started as a child, runs its role and returns its
// exit code; otherwise nothing.
std::optional<int> run(int argc, char** argv, const QHash<QString, Role>& roles);

// Says that the child reached a point (one line on its standard output).
void report(const char* line);
inline void report(const QString& line) { report(line.toLocal8Bit().constData()); }
// In the child: waits for the next line the test sends (Process::send);
// empty when the test closed the channel.
QString receive();

class Process {
public:
    Process(const QString& role, const QStringList& args);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits until the child reports `line`; false when it ends or the time is up first.
    bool waitFor(const QString& line, int timeoutMs = 30000);
    // Waits for the first line that starts with one of `prefixes` and returns
    // it whole; a null string when the child ends or the time is up first.
    QString waitForAny(const QStringList& prefixes, int timeoutMs = 30000);
    // Hands the child one line (Child::receive).
    void send(const QString& line);
    // SIGKILL, then waits for the end.
    void kill();
    // Waits for `line`, then sends SIGKILL `delayMs` milliseconds after it
    // arrived (at once for 0), wherever the child is by then: the moment a
    // save is cut off. False when the line never came.
    bool killAfter(const QString& line, int delayMs, int timeoutMs = 30000);
    // Waits for a normal end; the exit code, or -1 after a crash or time-out.
    int wait(int timeoutMs = 30000);
    qint64 pid() const { return m_process.processId(); }
    QString output() const { return m_seen + QString::fromLocal8Bit(m_errors); }

private:
    QProcess m_process;
    QString m_seen;
    QByteArray m_errors;
};

}  // namespace Child
