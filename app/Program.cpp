#include "app/Program.h"

#include "app/TForm1.h"
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
    return QApplication::exec();
}
