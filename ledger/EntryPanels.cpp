#include "ledger/EntryPanels.h"

#include "ui/Page.h"
#include "ui/Theme.h"

#include <QDateEdit>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

SaveNotice::SaveNotice(QWidget* parent) : QGroupBox(QStringLiteral("信息提示"), parent)
{
    setObjectName(QStringLiteral("GroupBox7"));
    setGeometry(266, 70, 241, 105);
    setStyleSheet(Theme::popupStyle(objectName()));
    auto* ok = Page::label(this, QStringLiteral("保存成功！"), QRect(10, 30, 221, 50), "Label23");
    ok->setAlignment(Qt::AlignCenter);
    ok->setStyleSheet(QStringLiteral("color: #2f7d32; font-size: 16px; font-weight: bold;"));
    installEventFilter(this);
    ok->installEventFilter(this);
    hide();
}

void SaveNotice::popUp()
{
    show();
    raise();
}

bool SaveNotice::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        emit clicked();
    return QGroupBox::eventFilter(watched, event);
}

SearchPanel::SearchPanel(QWidget* parent) : QGroupBox(QStringLiteral("模糊查询"), parent)
{
    setObjectName(QStringLiteral("GroupBox6"));
    setGeometry(516, 43, 249, 125);
    setStyleSheet(Theme::popupStyle(objectName()));
    Page::label(this, QStringLiteral("关键字："), QRect(8, 24, 56, 24));
    m_keyword = Page::lineEdit(this, "Edit4", QRect(64, 24, 176, 24));
    m_from = Page::dateEdit(this, "DateTimePicker3", QRect(8, 56, 112, 24));
    Page::label(this, QStringLiteral("至"), QRect(122, 56, 12, 24));
    m_to = Page::dateEdit(this, "DateTimePicker4", QRect(136, 56, 104, 24));
    connect(Page::button(this, "Button8", QStringLiteral("取消"), QRect(84, 90, 74, 26)), &QPushButton::clicked, this,
            &SearchPanel::cancelClicked);
    connect(Page::button(this, "Button9", QStringLiteral("查询"), QRect(166, 90, 74, 26)), &QPushButton::clicked, this,
            &SearchPanel::searchClicked);
    hide();
}

void SearchPanel::open()
{
    m_keyword->clear();
    show();
    raise();
    m_keyword->setFocus();
}

void SearchPanel::setRange(const QDate& from, const QDate& to)
{
    const QSignalBlocker b1(m_from), b2(m_to);
    m_from->setDate(from);
    m_to->setDate(to);
}

QString SearchPanel::keyword() const { return m_keyword->text(); }
QDate SearchPanel::from() const { return m_from->date(); }
QDate SearchPanel::to() const { return m_to->date(); }
