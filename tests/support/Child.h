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

class Process {
public:
    Process(const QString& role, const QStringList& args);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Waits until the child reports `line`; false when it ends or the time is up first.
    bool waitFor(const QString& line, int timeoutMs = 30000);
    // SIGKILL, then waits for the end.
    void kill();
    // Waits for a normal end; the exit code, or -1 after a crash or time-out.
    int wait(int timeoutMs = 30000);
    qint64 pid() const { return m_process.processId(); }
    QString output() const { return m_seen + QString::fromLocal8Bit(m_errors); }

private:
    QProcess m_process;
    QString m_seen;
    QByteArray m_errors;
};

} // namespace Child
