#include "app/Artwork.h"

#include "ui/Msg.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
const QColor kChestnut(0x8a, 0x4b, 0x1f);
const QColor kChestnutLight(0xc0, 0x74, 0x3a);
const QColor kCream(0xfb, 0xf4, 0xe8);
const QColor kCreamDark(0xf1, 0xe2, 0xc9);

QPixmap canvas(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

QFont uiFont(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("黑体"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}
}

namespace Artwork {

void drawLogo(QPainter& p, const QRectF& r)
{
    // A chestnut: round body, lighter cap and a small stem.
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    const qreal w = r.width(), h = r.height();
    body.moveTo(r.left() + w * 0.5, r.top() + h * 0.08);
    body.cubicTo(r.left() + w * 1.02, r.top() + h * 0.25, r.left() + w * 1.0, r.top() + h * 0.95, r.left() + w * 0.5,
                 r.top() + h * 0.98);
    body.cubicTo(r.left() + w * 0.0, r.top() + h * 0.95, r.left() - w * 0.02, r.top() + h * 0.25, r.left() + w * 0.5,
                 r.top() + h * 0.08);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0xd9, 0x8c, 0x4a));
    g.setColorAt(1, QColor(0x6b, 0x33, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(body);
    p.setBrush(QColor(0xf3, 0xd9, 0xb0));
    p.drawEllipse(QRectF(r.left() + w * 0.16, r.top() + h * 0.70, w * 0.68, h * 0.22));
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawEllipse(QRectF(r.left() + w * 0.28, r.top() + h * 0.22, w * 0.18, h * 0.26));
    p.restore();
}

QPixmap titleBar(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, kChestnutLight);
    g.setColorAt(1, kChestnut);
    p.fillRect(pm.rect(), g);
    drawLogo(p, QRectF(10, 6, 24, 27));
    p.setPen(Qt::white);
    p.setFont(uiFont(17, true));
    p.drawText(QRect(42, 0, 400, h), Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf8(kAppTitle));
    // The two drawn buttons the hot spots lie over: minimise and close.
    p.setRenderHint(QPainter::Antialiasing);
    const QRect close(w - 49, 0, 49, 17), minimise(w - 49 - 32, 0, 32, 21);
    p.fillRect(close, QColor(0xc8, 0x3b, 0x2b));
    p.fillRect(minimise, QColor(255, 255, 255, 40));
    p.setPen(QPen(Qt::white, 1.6));
    const QPoint c = close.center();
    p.drawLine(c + QPoint(-4, -4), c + QPoint(4, 4));
    p.drawLine(c + QPoint(-4, 4), c + QPoint(4, -4));
    const QPoint m = minimise.center();
    p.drawLine(m + QPoint(-6, 4), m + QPoint(6, 4));
    return pm;
}

QPixmap header(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, kCream);
    g.setColorAt(0.55, QColor(0xfd, 0xf9, 0xf2));
    g.setColorAt(1, kCreamDark);
    p.fillRect(pm.rect(), g);
    drawLogo(p, QRectF(22, 10, 46, 52));
    p.setPen(kChestnut);
    p.setFont(uiFont(26, true));
    p.drawText(QPoint(82, 42), QStringLiteral("家庭记账本"));
    p.setPen(QColor(0x9c, 0x7a, 0x5a));
    p.setFont(uiFont(13));
    p.drawText(QPoint(84, 62), QStringLiteral("勤俭持家 · 每一笔收支都清清楚楚"));
    p.setPen(QPen(kCreamDark.darker(112), 1));
    p.drawLine(0, h - 1, w, h - 1);
    return pm;
}

QPixmap navColumn(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0, QColor(0xf6, 0xe9, 0xd4));
    g.setColorAt(1, QColor(0xfb, 0xf4, 0xe8));
    p.fillRect(pm.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    // A soft card behind the three main entries.
    p.setPen(QPen(QColor(0xe2, 0xc9, 0xa4), 1));
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawRoundedRect(QRectF(14, 30, w - 28, 100), 8, 8);
    // Small markers in front of the main entries.
    const QColor dots[] = {QColor(0xd0, 0x4a, 0x3a), QColor(0x3f, 0x9a, 0x4f), QColor(0x2f, 0x73, 0xb5)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(dots[i]);
        p.drawEllipse(QRectF(62, 46 + 30 * i, 12, 12));
    }
    p.setPen(QPen(QColor(0xe2, 0xc9, 0xa4), 1));
    p.drawLine(w - 1, 0, w - 1, h);
    return pm;
}

QPixmap contentBackground(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    p.fillRect(pm.rect(), QColor(0xfe, 0xfc, 0xf8));
    return pm;
}

QPixmap footer(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0xf1, 0xe2, 0xc9));
    g.setColorAt(1, QColor(0xe4, 0xcd, 0xa8));
    p.fillRect(pm.rect(), g);
    p.setPen(QColor(0xd6, 0xb8, 0x8c));
    p.drawLine(0, 0, w, 0);
    return pm;
}

QPixmap loginBackground(int w, int h)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0xfd, 0xf8, 0xef));
    g.setColorAt(1, QColor(0xf3, 0xe3, 0xc8));
    p.fillRect(pm.rect(), g);
    QLinearGradient band(0, 0, 0, 64);
    band.setColorAt(0, kChestnutLight);
    band.setColorAt(1, kChestnut);
    p.fillRect(QRect(0, 0, w, 64), band);
    drawLogo(p, QRectF(20, 10, 38, 44));
    p.setPen(Qt::white);
    p.setFont(uiFont(20, true));
    p.drawText(QRect(70, 0, w - 80, 64), Qt::AlignVCenter, QString::fromUtf8(kAppTitle));
    p.setPen(kChestnut);
    p.setFont(uiFont(15, true));
    p.drawText(QRect(24, 76, 200, 20), Qt::AlignVCenter, QStringLiteral("欢迎回家，请登录"));
    p.setPen(QColor(0x5a, 0x45, 0x30));
    p.setFont(uiFont(13));
    p.drawText(QRect(140, 88, 86, 22), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("用户名："));
    p.drawText(QRect(140, 120, 86, 22), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("密  码："));
    drawLogo(p, QRectF(36, 112, 70, 80));
    p.setPen(QPen(QColor(0xd6, 0xb8, 0x8c), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return pm;
}

QPixmap pictureButton(const QString& caption, int w, int h, bool primary)
{
    QPixmap pm = canvas(w, h);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, w - 2, h - 2);
    if (primary) {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, kChestnutLight);
        g.setColorAt(1, kChestnut);
        p.setBrush(g);
        p.setPen(Qt::NoPen);
    } else {
        p.setBrush(Qt::white);
        p.setPen(QPen(QColor(0xc9, 0xa7, 0x7c), 1));
    }
    p.drawRoundedRect(r, 6, 6);
    p.setPen(primary ? Qt::white : kChestnut);
    p.setFont(uiFont(14, true));
    p.drawText(r, Qt::AlignCenter, caption);
    return pm;
}

}  // namespace Artwork
