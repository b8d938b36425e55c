#pragma once
// Character limits on the editing controls, counted as data/TextLimit.h
// counts them.

#include "data/TextLimit.h"

class QLineEdit;

namespace TextLimit {
// The box takes at most `n` characters: a longer insert or paste is refused
// whole. (Its maxLength in UTF-16 units leaves room for the longest.)
void apply(QLineEdit* box, int n);
}
