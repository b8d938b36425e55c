#pragma once
// Chinese text everywhere: the fonts the pages ask for (宋体, 黑体) fall back
// to an installed CJK font, the standard buttons read 确定 / 取消, and the
// file dialogs show sizes, types and dates in Chinese.

#include <QString>

class QApplication;
class QDateTime;

void InstallChineseUi(QApplication& app);

// What a file dialog's detail columns show (the file system model takes the
// system's locale, which on a plain machine is "C": "9 Dec", "KiB").
QString ChineseFileSize(qint64 bytes);
QString ChineseFileType(bool folder, const QString& suffix);
QString ChineseFileTime(const QDateTime& time);
