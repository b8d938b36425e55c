#include "ui/ChineseUi.h"

#include "ui/Theme.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallChineseUi(QApplication& app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    for (const char* family : {"宋体", "SimSun", "黑体", "SimHei", "Microsoft YaHei", "微软雅黑", "MS Sans Serif"})
        QFont::insertSubstitutions(QString::fromUtf8(family), Theme::cjkFamilies);
    auto* qtbase = new QTranslator(&app);
    if (qtbase->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtbase);
}
