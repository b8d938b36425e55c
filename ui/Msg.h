#pragma once
// The program's message boxes. Errors and confirmations are titled "系统提示";
// plain notices carry the application title. Every box is a real QMessageBox
// so a user (or a test) can read and answer it.

#include <QString>
#include <QStringList>

class QWidget;

inline constexpr char kAppTitle[] = "栗子家庭记账本2012";
inline constexpr char kPromptTitle[] = "系统提示";

namespace Msg {
// "系统提示", critical icon, OK.
void error(QWidget* parent, const QString& text);
// "系统提示", question icon, OK/Cancel; true for OK.
bool confirm(QWidget* parent, const QString& text);
// "系统提示", question icon, two or three ways and 取消 (the Yes, No and
// YesToAll buttons captioned with the ways): 1.. for the way chosen, 0 for 取消.
int chooseWay(QWidget* parent, const QString& text, const QStringList& ways);
// The same with a smaller text under the question (what OK will do first).
bool confirm(QWidget* parent, const QString& text, const QString& informativeText);
// Application title, information icon, OK.
void notice(QWidget* parent, const QString& text);
// The same with a warning icon (a budget overspent).
void warningNotice(QWidget* parent, const QString& text);
// "系统提示", information icon, OK (a plain information box of a page).
void info(QWidget* parent, const QString& text);
// The general error display: critical icon, titled with the application
// title; a Chinese sentence, then the database's own message (when there is
// one) on the next line. The handler that hit the error stops after it.
void generalError(QWidget* parent, const QString& sentence, const QString& detail = QString());
// The same with a second, smaller text under the first (the reason).
void info(QWidget* parent, const QString& text, const QString& informativeText);
// A failing statement: "数据库操作失败：" and the database's message.
void dbError(QWidget* parent, const QString& databaseMessage);
// "系统提示", warning icon, OK/Cancel, a smaller text under the question
// (what OK would do); true for OK.
bool warningConfirm(QWidget* parent, const QString& text, const QString& informativeText);
// "系统提示", warning icon, OK, a smaller text under the first.
void warning(QWidget* parent, const QString& text, const QString& informativeText);
}
