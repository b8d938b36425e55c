#pragma once
// The program's skin: a style sheet carried in the resources, applied to the
// whole application (and so to every page created afterwards).

#include <QByteArray>
#include <QString>

class QWidget;

// Fills `data` with the skin of that name; false when there is none.
bool GetSkin(const QString& name, QByteArray& data);
// Loads skin "x4" and applies it; "调入皮肤文件时发生错误." when it cannot.
bool LoadSkin(QWidget* parent, const QString& name = QStringLiteral("x4"));
