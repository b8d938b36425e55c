#include "ui/Msg.h"

#include <QMessageBox>
#include <QPushButton>

namespace {
int show(QWidget* parent, QMessageBox::Icon icon, const char* title, const QString& text,
         QMessageBox::StandardButtons buttons = QMessageBox::Ok, const QString& informative = QString())
{
    QMessageBox box(icon, QString::fromUtf8(title), text, buttons, parent);
    if (!informative.isEmpty())
        box.setInformativeText(informative);
    if (buttons & QMessageBox::Cancel)
        box.setDefaultButton(QMessageBox::Ok);
    return box.exec();
}
}

namespace Msg {
void error(QWidget* parent, const QString& text) { show(parent, QMessageBox::Critical, kPromptTitle, text); }

bool confirm(QWidget* parent, const QString& text)
{
    return show(parent, QMessageBox::Question, kPromptTitle, text, QMessageBox::Ok | QMessageBox::Cancel)
           == QMessageBox::Ok;
}

bool confirm(QWidget* parent, const QString& text, const QString& informativeText)
{
    return show(parent, QMessageBox::Question, kPromptTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                informativeText)
           == QMessageBox::Ok;
}

int chooseWay(QWidget* parent, const QString& text, const QStringList& ways)
{
    const QMessageBox::StandardButton kinds[] = {QMessageBox::Yes, QMessageBox::No, QMessageBox::YesToAll};
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kPromptTitle), text, QMessageBox::Cancel, parent);
    for (int i = 0; i < std::min<int>(3, int(ways.size())); ++i)
        box.addButton(kinds[i])->setText(ways[i]);
    box.setDefaultButton(QMessageBox::Yes);
    const int answer = box.exec();
    for (int i = 0; i < 3; ++i)
        if (answer == kinds[i])
            return i + 1;
    return 0;
}

void notice(QWidget* parent, const QString& text) { show(parent, QMessageBox::Information, kAppTitle, text); }

void warningNotice(QWidget* parent, const QString& text) { show(parent, QMessageBox::Warning, kAppTitle, text); }

void info(QWidget* parent, const QString& text) { show(parent, QMessageBox::Information, kPromptTitle, text); }

void generalError(QWidget* parent, const QString& sentence, const QString& detail)
{
    show(parent, QMessageBox::Critical, kAppTitle, detail.isEmpty() ? sentence : sentence + u'\n' + detail);
}

void info(QWidget* parent, const QString& text, const QString& informativeText)
{
    show(parent, QMessageBox::Information, kPromptTitle, text, QMessageBox::Ok, informativeText);
}

void dbError(QWidget* parent, const QString& databaseMessage)
{
    // The user reads what went wrong in Chinese; the database's own words
    // follow for whoever has to fix it.
    if (databaseMessage.isEmpty())
        generalError(parent, QStringLiteral("数据库操作失败。"));
    else
        generalError(parent, QStringLiteral("数据库操作失败："), databaseMessage);
}

bool warningConfirm(QWidget* parent, const QString& text, const QString& informativeText)
{
    return show(parent, QMessageBox::Warning, kPromptTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                informativeText)
           == QMessageBox::Ok;
}

void warning(QWidget* parent, const QString& text, const QString& informativeText)
{
    show(parent, QMessageBox::Warning, kPromptTitle, text, QMessageBox::Ok, informativeText);
}
}
