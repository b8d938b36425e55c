#include "app/Program.h"

#include "data/Tx_Data.h"

#include <QApplication>

int RunProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    Tx_Data data;
    return 0;
}
