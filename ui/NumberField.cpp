#include "ui/NumberField.h"

#include <QRegularExpression>

#include <algorithm>

NumberField::NumberField(int minimum, int maximum, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The skin frames spin boxes but leaves their buttons bare.
    setStyleSheet(
        QStringLiteral("QSpinBox { padding-right: 16px; }"
                       "QSpinBox::up-button, QSpinBox::down-button { subcontrol-origin: border; width: 16px;"
                       " border-left: 1px solid #e2cfb0; background: #f8eedd; }"
                       "QSpinBox::up-button { subcontrol-position: top right; border-top-right-radius: 3px; }"
                       "QSpinBox::down-button { subcontrol-position: bottom right; border-bottom-right-radius: 3px;"
                       " border-top: 1px solid #e2cfb0; }"
                       "QSpinBox::up-button:pressed, QSpinBox::down-button:pressed { background: #e9d3af; }"
                       "QSpinBox::up-arrow { image: url(:/ui/res/arrow-up.png); width: 9px; height: 6px; }"
                       "QSpinBox::down-arrow { image: url(:/ui/res/arrow-down.png); width: 9px; height: 6px; }"));
}

QValidator::State NumberField::validate(QString& text, int&) const
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (ok && v >= minimum() && v <= maximum() && text == QString::number(v))
        return QValidator::Acceptable;
    // Anything else may stand while typing: fixup() settles it.
    return QValidator::Intermediate;
}

void NumberField::fixup(QString& text) const
{
    const QString t = text.trimmed();
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    if (!number.match(t).hasMatch()) {
        text = QString::number(minimum());
        return;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    // Too many digits for a number: beyond the bound on its side.
    const qlonglong settled
        = ok ? std::clamp<qlonglong>(v, minimum(), maximum()) : (t.startsWith(u'-') ? minimum() : maximum());
    text = QString::number(settled);
}

int NumberField::settledValue()
{
    interpretText();
    return value();
}
