#include "app/Program.h"

#include "app/TForm1.h"
#include "data/Tx_Data.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QLocale>

int RunProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    app.setApplicationName(QString::fromUtf8(kAppTitle));
    Tx_Data data;
    TForm1 form;
    form.show();
    return app.exec();
}
