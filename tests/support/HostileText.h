#pragma once
// Hostile text for every box of the program, entered as a user enters it:
// printable characters typed key by key (a character outside the basic plane
// as one key carrying both halves), control characters and direction marks
// pasted (clipboard, then Ctrl+V).
//
// A box with a character limit takes typed characters one by one while they
// fit and a pasted piece whole or not at all; afterLimit() says what it then
// holds. What it holds is what must be stored and shown.

#include "tests/support/Failure.h"

#include <QList>
#include <QString>

class DataGrid;
class QWidget;

namespace Hostile {

struct Sample {
    QString name;  // for failure messages
    QString text;
};

// The shared corpus: quotes, % and _, backslashes, 300 characters (one of
// them with a 4-byte character on every other place), tab/CR/LF, NUL and
// ESC, right-to-left marks, 4-byte characters, SQL fragments, markup, and
// leading and trailing blanks.
const QList<Sample>& corpus();

// How a user enters `text`: runs of printable characters typed, the rest pasted.
struct Piece {
    QString text;
    bool typed;
};
QList<Piece> pieces(const QString& text);

// Gives `box` the focus and enters `text` at its cursor.
void enter(QWidget* box, const QString& text);

// What a box limited to `limit` characters (0: none) holds after enter()
// into an empty box.
QString afterLimit(const QString& text, int limit = 0);

// Opens the cell's editor as F2 does (or takes the one already open),
// empties it, enters `text`, and hands it to the model with Return as a user
// does. Returns what the editor held. A cell that opens no text editor fails.
QString enterInCell(DataGrid* grid, int row, int column, const QString& text, DRIVER_HERE);

// What a chart label shows of `text`: the chart's text drops carriage
// returns (CR LF shows as a line break).
QString inChart(const QString& text);

// `text` with control characters, marks and non-ASCII as \uXXXX, for messages.
QString escaped(const QString& text);

// True when `text` holds half of a surrogate pair or a replacement character.
bool broken(const QString& text);

}  // namespace Hostile

// QCOMPARE for hostile text: the message names the sample and shows both
// texts escaped.
#define HOSTILE_COMPARE(actual, expected, sample)                                                                      \
    do {                                                                                                               \
        const QString hostileA_ = (actual), hostileE_ = (expected);                                                    \
        QVERIFY2(hostileA_ == hostileE_,                                                                               \
                 qPrintable(QStringLiteral("%1: %2\n   actual: %3\n expected: %4")                                     \
                                .arg((sample).name, QStringLiteral(#actual), ::Hostile::escaped(hostileA_),            \
                                     ::Hostile::escaped(hostileE_))));                                                 \
    } while (false)
