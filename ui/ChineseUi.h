#pragma once
// Chinese text everywhere: the fonts the pages ask for (宋体, 黑体) fall back
// to an installed CJK font, the standard buttons read 确定 / 取消, and the
// file dialogs show sizes, types and dates in Chinese.

#include <QString>

class QApplication;

void InstallChineseUi(QApplication& app);

// A file's size as a file dialog's detail column shows it ("512 字节",
// "1.5 KB"); the file system model would take the system's locale, which on
// a plain machine is "C" ("1.50 KiB", dates as "9 Dec").
QString ChineseFileSize(qint64 bytes);
