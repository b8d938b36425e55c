#pragma once
// Length limits as the database counts them: in characters, so a character
// outside the basic plane (two UTF-16 units) counts once and is never cut in
// half. (The line-edit side of the limit lives in ui/TextLimit.h.)

#include <QString>

namespace TextLimit {
qsizetype characters(const QString& text);
// The first `n` characters; a surrogate pair stays whole.
QString left(const QString& text, qsizetype n);
}
