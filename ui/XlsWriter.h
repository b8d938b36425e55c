#pragma once
// The Excel export's file format: a BIFF8 workbook (.xls) in a compound
// document, written from a grid's columns and typed cell values. No widgets:
// the grid reads its model through `CellReader`, the page saves the bytes.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace Xls {

struct Column {
    QString title;
    int widthPixels = 64;
};

// The value of one cell, read from the model: an invalid/null QVariant -> no cell;
// QString -> unicode text cell (never parsed: "007", "=1+1" stay text);
// QDate -> text "YYYY-MM-DD"; Money (data/Money.h) -> number cell with the
// built-in format "0.00" (value = raw / 10000 as double); qlonglong, int,
// double -> number cell, General format; anything else -> its toString() as text.
using CellReader = std::function<QVariant(int row, int column)>;

// What a writer makes of a model value, as above: nothing, text, a date
// (written as text), a number (General) or an amount (Money, "0.00"). A
// number that is not finite is text.
enum class ValueKind { None, Text, Date, Number, Amount };
ValueKind valueKind(const QVariant& v);

// A whole BIFF8 workbook (compound document with the stream "Workbook",
// CODEPAGE 1200): every sheet starts with the titles row, then up to
// kRowsPerSheet rows; more rows continue on further sheets "Sheet1",
// "Sheet2", … (at least one sheet, even with 0 rows). Column width in the
// file = round(widthPixels / 7) * 256. No total row.
// The format's own limits: columns past the 256th are left out, a text
// longer than 32,767 characters is cut there. Half of a surrogate pair is
// written as U+FFFD.
QByteArray workbook(const QList<Column>& columns, int rowCount, const CellReader& cell);

constexpr int kRowsPerSheet = 65535;

}  // namespace Xls
