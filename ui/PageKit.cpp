#include "ui/PageKit.h"

#include "data/Database.h"
#include "ui/Page.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTabWidget>

namespace PageKit {

DateRange dateRange(QWidget* parent, int x, int y, const char* fromName, const char* toName)
{
    Page::label(parent, QStringLiteral("从"), QRect(x, y, 16, 26))->setAlignment(Qt::AlignCenter);
    QDateEdit* from = Page::dateEdit(parent, fromName, QRect(x + 18, y, 106, 26));
    Page::label(parent, QStringLiteral("到"), QRect(x + 128, y, 16, 26))->setAlignment(Qt::AlignCenter);
    QDateEdit* to = Page::dateEdit(parent, toName, QRect(x + 146, y, 106, 26));
    return {from, to};
}

QTabWidget* pageTabs(QWidget* page, int tabHeight)
{
    auto* tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("PageControl1"));
    tabs->setGeometry(3, 4, page->width() - 6, page->height() - 7);
    tabs->setStyleSheet(QStringLiteral("QTabBar::tab { width: 80px; height: %1px; padding: 0px; }").arg(tabHeight));
    return tabs;
}

QWidget* addTab(QTabWidget* tabs, const char* name, const QString& caption)
{
    auto* w = new QWidget;
    w->setObjectName(QString::fromLatin1(name));
    tabs->addTab(w, caption);
    return w;
}

bool fillNames(QComboBox* list, const QString& first, const QString& sql, const Binds& binds, DbError* error)
{
    Query q(sql);
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
    QStringList names;
    while (q.next())
        names << q.text(0);
    if (!q.ok() || !q.isPrepared()) {
        if (error)
            *error = q.error();
        return false;
    }
    // Filled without signals: a list changes its choice here, not the user.
    const QSignalBlocker block(list);
    list->clear();
    if (!first.isNull())
        list->addItem(first);
    list->addItems(names);
    list->setCurrentIndex(list->count() > 0 ? 0 : -1);
    return true;
}

QTimer* firstListingTimer(QObject* page)
{
    auto* t = new QTimer(page);
    t->setObjectName(QStringLiteral("Timer1"));
    t->setSingleShot(true);
    t->setInterval(50);
    return t;
}

}  // namespace PageKit
