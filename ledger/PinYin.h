#pragma once
// Quick codes of category names: the lower-case initials of the pinyin of
// each character, found from the character's place in the GB2312 first
// level, which is ordered by pinyin.

#include <QByteArray>
#include <QString>

// The initial of one GBK character given as its two bytes (lead byte first):
// the letter of the range the code lies in, by number alone; 0 below and
// above the first level (symbols, level two, extensions past it) or when
// fewer than two bytes are given.
char GetPinyinInitial(const QByteArray& twoBytes);

// The quick code of a name: one letter per first-level character, nothing
// for any other character (one-byte characters, symbols, GBK's additions
// even where their codes fall between first-level ones, characters GBK
// cannot write). Blanks and control characters at either end do not count.
QString MakeQuickCode(const QString& name);
