#include "app/Program.h"

#include "app/TForm1.h"
#include "data/Tx_Data.h"
#include "ui/ChineseUi.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QLocale>

int RunProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallChineseUi(app);
    app.setApplicationName(QString::fromUtf8(kAppTitle));
    Tx_Data data;
    MainWindowOptions options;
    // The start-up benchmark ends the program when the login dialog shows.
    options.exitAtLogin = qEnvironmentVariableIsSet("JIZHANG_EXIT_AT_LOGIN");
    TForm1 form(options);
    form.show();
    return app.exec();
}
