#pragma once
// The restore of the household's file as the user meets it, wherever it
// starts (the settings page's 数据库还原, the damage check after login): the
// copy is checked first (a file that is no usable backup is refused and
// nothing is replaced), `ask` asks, then the file is replaced and the user
// told to start again. True when it was replaced: the caller ends the
// program. No page may hold a statement meanwhile.

#include <QString>

class QWidget;

bool restoreWithQuestion(QWidget* parent, const QString& backup, bool ask);
