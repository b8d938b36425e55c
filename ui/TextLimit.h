#pragma once
// Length limits as the database counts them: in characters, so a character
// outside the basic plane (two UTF-16 units) counts once and is never cut in
// half.

#include <QString>

class QLineEdit;

namespace TextLimit {
qsizetype characters(const QString& text);
// The first `n` characters; a surrogate pair stays whole.
QString left(const QString& text, qsizetype n);
// The box takes at most `n` characters: a longer insert or paste is refused
// whole. (Its maxLength in UTF-16 units leaves room for the longest.)
void apply(QLineEdit* box, int n);
}
