#pragma once
// Chinese text everywhere: the fonts the pages ask for (宋体, 黑体) fall back
// to an installed CJK font, and the standard buttons read 确定 / 取消.

class QApplication;

void InstallChineseUi(QApplication& app);
