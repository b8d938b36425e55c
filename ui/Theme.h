#pragma once
// The program's chestnut colours and the two Chinese faces every window asks
// for (宋体 for text, 黑体 for figures and captions; both fall back to an
// installed CJK font).

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

namespace Theme {

inline const QColor chestnut{0x8a, 0x4b, 0x1f};   // titles, captions, borders of pressed keys
inline const QColor bark{0x5a, 0x3a, 0x1c};       // header entries
inline const QColor walnut{0x6b, 0x4a, 0x2a};     // footer text and clock
inline const QColor ink{0x4a, 0x3a, 0x2a};        // captions drawn on the desktop
inline const QColor sand{0xc9, 0xa7, 0x7c};       // separators, editor frames
inline const QColor wheat{0xe2, 0xc9, 0xa4};      // group frames
inline const QColor tan{0xb8, 0x86, 0x4f};        // pop-up panel borders
inline const QColor cream{0xfe, 0xfc, 0xf8};      // the desktop's ground
inline const QColor paper{0xff, 0xfd, 0xf8};      // pop-up panels
inline const QColor linen{0xfb, 0xf4, 0xe8};      // picture buttons
inline const QColor parchment{0xe4, 0xcd, 0xa8};  // pressed picture buttons

// "#rrggbb" for style sheets.
inline QString css(const QColor& c) { return c.name(); }

inline QFont font(const char* family, int pixelSize, bool bold)
{
    QFont f(QString::fromUtf8(family));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}
inline QFont songti(int pixelSize, bool bold = false) { return font("宋体", pixelSize, bold); }
inline QFont heiti(int pixelSize, bool bold = false) { return font("黑体", pixelSize, bold); }

// The installed faces that carry the Chinese glyphs, in order of preference.
inline const QStringList cjkFamilies{QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                                     QStringLiteral("Droid Sans Fallback")};

// A text colour of the widget's own: the skin's sheet sets every widget's
// text colour, so a sheet of its own; the palette for what paints from it.
inline void setColour(QWidget* w, const QColor& c)
{
    w->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(c.name()));
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, c);
    w->setPalette(pal);
}

// The style of a pop-up panel lying over a page: framed, opaque, titled.
// Set on the panel itself (by objectName) so it does not reach its children.
inline QString popupStyle(const QString& objectName)
{
    return QStringLiteral(
               "QGroupBox#%1 { background: %2; border: 1px solid %3; border-radius: 4px;"
               " margin-top: 0px; padding-top: 16px; }"
               "QGroupBox#%1::title { subcontrol-origin: padding; subcontrol-position: top left; left: 8px; top: 3px;"
               " color: %4; font-weight: bold; }")
        .arg(objectName, css(paper), css(tan), css(chestnut));
}

}  // namespace Theme
