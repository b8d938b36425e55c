#pragma once
// QIF statements: the transactions of the bank, cash, credit-card and other
// asset/liability sections (fields D, T/U, P, M, ending at ^). Investment,
// memorized, category, class and account lists are skipped without a word.
// Dates are M/D'YYYY, M/D/YY or D/M/YYYY; whether the day or the month comes
// first is decided once per file from the dates that tell (a number above
// 12), month first when none does. Two-digit and ' years are 20xx.
// A split transaction is one line with its total (T), its first D date and
// `split` set; its S/E/$ lines are not read. "Opening Balance" is left out.

#include "import/Statement.h"

#include <QList>

QList<StatementLine> readQif(const QByteArray& bytes, Encoding enc = Encoding::Auto);
