#pragma once
// The program's pictures, drawn once in code so they scale with nothing and
// need no image files: title bar, header, navigation column, content
// background, footer, the login picture and the picture buttons.

#include <QPixmap>
#include <QString>

namespace Artwork {
QPixmap titleBar(int width, int height);
QPixmap header(int width, int height);
QPixmap navColumn(int width, int height);
QPixmap contentBackground(int width, int height);
QPixmap footer(int width, int height);
QPixmap loginBackground(int width, int height);
// A rounded button picture with its caption; primary buttons are filled.
QPixmap pictureButton(const QString& caption, int width, int height, bool primary);
// The chestnut mark of the product.
void drawLogo(class QPainter& p, const QRectF& r);
}
