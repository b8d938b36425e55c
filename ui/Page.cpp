#include "ui/Page.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "ui/BatchEditor.h"
#include "ui/DataGrid.h"
#include "ui/DateBox.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/TextLimit.h"

#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Watches for the first show; it runs the routine after the widget's own
// show handling and then removes itself.
class FirstShow : public QObject {
public:
    FirstShow(QWidget* w, std::function<void()> routine) : QObject(w), m_routine(std::move(routine))
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            // Let the widget handle its show event first, then run the routine.
            watched->event(event);
            auto routine = std::move(m_routine);
            deleteLater();
            routine();
            return true;
        }
        return false;
    }

private:
    std::function<void()> m_routine;
};
}

void onFirstShow(QWidget* widget, std::function<void()> routine) { new FirstShow(widget, std::move(routine)); }

Page::Page(const char* objectName, QWidget* parent, std::optional<QColor> ground) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(objectName));
    setFixedSize(kWidth, kHeight);
    if (ground) {
        // A palette, not a style sheet: a sheet would spread to the children.
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, *ground);
        setPalette(pal);
    }
    onFirstShow(this, [this] { FormShow(); });
}

bool Page::readOk(const Query& q)
{
    if (q.ok())
        return true;
    Msg::dbError(this, q.error());
    return false;
}

QPushButton* Page::button(QWidget* parent, const char* name, const QString& caption, const QRect& r)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

QLabel* Page::label(QWidget* parent, const QString& text, const QRect& r, const char* name)
{
    auto* l = new QLabel(parent);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    return l;
}

QLineEdit* Page::lineEdit(QWidget* parent, const char* name, const QRect& r, int maxLength, const QString& tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (!r.isNull())
        e->setGeometry(r);
    if (maxLength > 0)
        TextLimit::apply(e, maxLength);
    if (!tip.isEmpty())
        e->setToolTip(tip);
    return e;
}

QDateEdit* Page::dateEdit(QWidget* parent, const char* name, const QRect& r)
{
    auto* d = new DateBox(parent);
    d->setObjectName(QString::fromLatin1(name));
    d->setDate(Clock::today());
    d->setGeometry(r);
    return d;
}

LookupCombo* Page::lookupCombo(QWidget* parent, const char* name, const QRect& r, const QString& tip)
{
    auto* c = new LookupCombo(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(r);
    if (!tip.isEmpty())
        c->setToolTip(tip);
    return c;
}

DataGrid* Page::grid(QWidget* parent, const char* name, const QRect& r, QAbstractItemModel* model)
{
    auto* g = new DataGrid(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(r);
    g->setModel(model);
    return g;
}

QGroupBox* Page::groupBox(QWidget* parent, const QString& title, const char* name, const QRect& r)
{
    auto* box = new QGroupBox(title, parent);
    if (name)
        box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(r);
    return box;
}

bool Page::hasUnsavedEdits() const
{
    for (BatchEditor* e : m_editors)
        if (e->hasUnsavedEdits())
            return true;
    return false;
}

bool Page::saveEdits()
{
    for (BatchEditor* e : m_editors)
        if (e->hasUnsavedEdits() && !e->save())
            return false;
    return true;
}

void Page::dropEdits()
{
    for (BatchEditor* e : m_editors)
        e->dropEdits();
}
