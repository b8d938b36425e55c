#include "ui/Skin.h"

#include "ui/Msg.h"

#include <QApplication>
#include <QFile>

bool GetSkin(const QString& name, QByteArray& data)
{
    QFile f(QStringLiteral(":/ui/res/%1.qss").arg(name));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    data = f.readAll();
    return !data.isEmpty();
}

bool LoadSkin(QWidget* parent, const QString& name)
{
    QByteArray data;
    if (!GetSkin(name, data)) {
        Msg::error(parent, QStringLiteral("调入皮肤文件时发生错误."));
        return false;
    }
    qApp->setStyleSheet(QString::fromUtf8(data));
    return true;
}
