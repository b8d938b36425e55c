#pragma once
// Quick codes of category names: the lower-case initials of the pinyin of
// each character, found from the character's place in the GB2312 first
// level, which is ordered by pinyin.

#include <QByteArray>
#include <QString>

// The initial of one GBK character given as its two bytes; 0 when the
// character lies outside the first level (symbols, level two, extensions).
char GetPinyinInitial(const QByteArray& twoBytes);

// The quick code of a name: one letter per first-level character, nothing
// for any other character. Leading and trailing blanks do not count.
QString MakeQuickCode(const QString& name);
