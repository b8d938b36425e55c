#pragma once
// A command too big to keep for undo (over kMaxJournaledRows rows) writes a
// verified copy of the file first, and its question says where.

#include <QString>

class QWidget;

// The question of a command of `rows` rows: up to the journal's bound just
// the question; over it the question names the copy, and a yes writes it.
// `verb` is what the command does ("删除", "导入"), `reason` the copy's name
// tag ("删除类别前"). False when the user said no or the copy failed (told).
bool confirmWithCopy(QWidget* parent, const QString& question, qint64 rows, const QString& verb, const QString& reason);
