#include "tests/support/BoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>

BoxAnswerer::BoxAnswerer(QMessageBox::StandardButton answer) : m_answer(answer)
{
    connect(&m_timer, &QTimer::timeout, this, &BoxAnswerer::poll);
    m_timer.start(5);
}

QStringList BoxAnswerer::texts() const
{
    QStringList out;
    for (const auto& s : seen)
        out << s.text;
    return out;
}

void BoxAnswerer::poll()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible() || box->property("answered").toBool())
            continue;
        box->setProperty("answered", true);
        seen.append({box->windowTitle(), box->text(), box->icon(), box->informativeText()});
        QAbstractButton* b = box->button(m_answer);
        if (!b)
            b = box->buttons().value(0);
        if (b)
            b->click();
    }
}
