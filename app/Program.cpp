#include "app/Program.h"

#include "app/TForm1.h"
#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Tx_Data.h"
#include "ui/ChineseUi.h"
#include "ui/Msg.h"

#include <QApplication>

int RunProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallChineseUi(app);
    app.setApplicationName(QString::fromUtf8(kAppTitle));
    StartOptions options;
    options.exitAtLogin = qEnvironmentVariableIsSet("JIZHANG_EXIT_AT_LOGIN");
    return RunStart(options);
}

int RunStart(const StartOptions& options)
{
    Tx_Data data(Database::shared(), options.busyTimeoutMs);
    MainWindowOptions windowOptions;
    windowOptions.exitAtLogin = options.exitAtLogin;
    TForm1 form(windowOptions);
    form.show();
    const int code = QApplication::exec();
    if (form.sessionStarted()) {
        // The page goes first: it writes what was typed into it.
        form.ClosePage();
        RunExitBackup(Database::shared());
    }
    return code;
}

void RunExitBackup(Database& db)
{
    // A restore that failed half-way, or a file that could not be opened:
    // there is nothing of the household's to copy. A file another copy of
    // the program replaced is no longer this connection's to copy.
    if (!db.isOpen() || db.replacedOnDisk())
        return;
    bool enabled = true;
    DbError error;
    if (!autoBackupEnabled(db, &enabled, &error) || !enabled)
        return;
    const QDateTime now = Clock::now();
    if (writeAutoBackup(db, now, nullptr, &error))
        return;
    // The program ends all the same; the next start tells. The note goes beside
    // the file first: a full disk may refuse the database's note.
    (void)writeBackupFailureNote(db.filePath(), now, error);
    (void)recordAutoBackupFailure(db, now, error);
}
