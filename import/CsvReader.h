#pragma once
// CSV statements in two steps, because the user maps the columns: readCsv
// splits the file into a header and rows, mapCsv turns rows into statement
// lines under a mapping (proposeMapping guesses one from the header).

#include "import/Statement.h"

#include <QList>
#include <QStringList>

// A record longer than this many characters is not read: "该行过长".
inline constexpr qsizetype kMaxCsvRecordChars = 64 * 1024;

struct CsvTable {
    QStringList header;    // trimmed cells of the header row
    int headerLine = 0;    // its line; 0: no header (nothing in the file, or no text)
    int skippedLines = 0;  // report lines above the header that have something in them
    struct Row {
        int line = 0;       // where the record starts
        QStringList cells;  // trimmed
        QString error;      // non-empty: the record could not be split ("引号未闭合", "该行过长")
    };
    QList<Row> rows;  // the records after the header, blank ones left out
    QChar delimiter = u',';
    bool cancelled = false;  // the progress callback stopped the read: nothing else is set
};

// RFC 4180 records (delimiters, quotes and line breaks inside quotes). The
// header is the row among the first 60 lines that names a date and an amount
// column (proposeMapping's titles), preferring one followed by lines with a
// date under that title and then the one naming most columns; the delimiter
// (comma, tab or semicolon) is the one that splits such a row best, so tabs
// inside quoted cells do not count. Without any such row, the delimiter that
// splits the first 60 lines widest and its first row with the most non-empty
// cells. Text that does not decode in the encoding, or has NUL characters
// outside quotes, is no CSV: no header.
CsvTable readCsv(const QByteArray& bytes, Encoding enc = Encoding::Auto, const ReadProgress& progress = {});

// Column indexes into CsvTable's cells; -1: not mapped. The amount comes from
// `amount` when it is mapped (signed, or unsigned with the 收/支 column
// `direction`), else from `income` and `expense`.
struct CsvMapping {
    int date = -1, amount = -1, income = -1, expense = -1, direction = -1, memo = -1, counterparty = -1;
    int remark = -1;                 // 备注: added to the record's remark
    int status = -1;                 // 交易状态 / 当前状态 of wallet exports
    bool positiveIsExpense = false;  // 正数为支出: credit-card statements
    // A date and some amount are mapped.
    bool complete() const { return date >= 0 && (amount >= 0 || income >= 0 || expense >= 0); }
    friend bool operator==(const CsvMapping&, const CsvMapping&) = default;
};

// The columns known header names of Chinese bank and wallet exports point to.
CsvMapping proposeMapping(const QStringList& header);

// One statement line per row in file order; nothing while the mapping is
// not complete. Placeholder cells ("/", "-", "无") of the text columns are
// empty; a row with more filled cells than the header has (an unquoted
// comma) cannot be read.
QList<StatementLine> mapCsv(const CsvTable& table, const CsvMapping& mapping, const ReadProgress& progress = {});
