#pragma once
// CSV statements in two steps, because the user maps the columns: readCsv
// splits the file into a header and rows, mapCsv turns rows into statement
// lines under a mapping (proposeMapping guesses one from the header).

#include "import/Statement.h"

#include <QList>
#include <QStringList>

struct CsvTable {
    QStringList header;        // trimmed cells of the header row
    int headerLine = 0;        // its line; 0: no header (nothing in the file)
    struct Row {
        int line = 0;          // where the record starts
        QStringList cells;     // trimmed
        QString error;         // non-empty: the record could not be split ("引号未闭合")
    };
    QList<Row> rows;           // the records after the header, empty ones left out
    QChar delimiter = u',';
};

// RFC 4180 records (delimiters, quotes and line breaks inside quotes); the
// delimiter is a comma, a tab or a semicolon, whichever splits the first 60
// lines into the most cells. The header is the first row with the most
// non-empty cells among the records starting in the first 60 lines; the
// report lines before it are skipped.
CsvTable readCsv(const QByteArray& bytes, Encoding enc = Encoding::Auto);

// Column indexes into CsvTable's cells; -1: not mapped. The amount comes from
// `amount` when it is mapped (signed, or unsigned with the 收/支 column
// `direction`), else from `income` and `expense`.
struct CsvMapping {
    int date = -1, amount = -1, income = -1, expense = -1, direction = -1, memo = -1, counterparty = -1;
    bool positiveIsExpense = false;  // 正数为支出: credit-card statements
    // A date and some amount are mapped.
    bool complete() const { return date >= 0 && (amount >= 0 || income >= 0 || expense >= 0); }
    friend bool operator==(const CsvMapping&, const CsvMapping&) = default;
};

// The columns known header names of Chinese bank and wallet exports point to.
CsvMapping proposeMapping(const QStringList& header);

// One statement line per row in file order; nothing while the mapping is
// not complete.
QList<StatementLine> mapCsv(const CsvTable& table, const CsvMapping& mapping);
