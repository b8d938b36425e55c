#pragma once
// What the statement readers (CSV, QIF, OFX) hand the import page: one line
// of a bank or wallet statement, read, or with the reason it could not be.
// Readers are pure functions over the file's bytes; they never stop at a bad
// line but report it and read on.

#include "data/Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>

struct StatementLine {
    int line = 0;              // 1-based line of the file where the record starts
    QDate date;
    Money amount;              // > 0 (the kind says which way the money went)
    enum Kind { Expense, Income } kind = Expense;
    QString memo;              // 摘要
    QString counterparty;      // 对方
    QString fitid;             // OFX FITID, else empty
    bool split = false;        // a QIF split transaction (status "新（拆分）")
    QString error;             // non-empty: the line could not be read; the reason (e.g. "日期无效")
};

// "无法读取：<reason>（第N行）"
QString unreadableStatus(const StatementLine& line);

enum class Encoding { Auto, Utf8, Gbk };
// The text of a file. Auto: UTF-16 when it starts with its byte order mark,
// UTF-8 when the bytes are valid UTF-8, else GBK. A chosen encoding is used
// as it is. A UTF-8 byte order mark is dropped; undecodable bytes become U+FFFD.
QString decodeText(const QByteArray& bytes, Encoding enc);
// Bytes in one of iconv's charsets ("GBK", "CP1252"); undecodable bytes
// become U+FFFD. Falls back to Latin-1 when iconv does not know the charset.
QString decodeCharset(const QByteArray& bytes, const char* charset);

// ------------------------------------------------------------------ shared rules

// The largest amount a record may hold, as on the entry pages.
inline constexpr Money kMaxStatementAmount = Money::fromRaw(Q_INT64_C(999999999900));

// A signed amount as statements write it: blanks, "¥"/"￥"/"RMB"/"CNY" and a
// trailing "元" ignored, thousands separators ("1,234.50"), negative as
// "-12.50", "(12.50)" or "12.50-". At most two decimals count ("12.500" is
// 12.50, "12.345" is refused). Returns the reason it cannot be read, empty
// when `value` was set: "缺少金额" for an empty cell or a lone "-".
QString statementAmount(QStringView text, Money* value);
// 2026-12-09, 2026/12/9, 2026.12.9, 2026年12月9日, 20261209, each optionally
// followed by a time of day (ignored); invalid for anything else.
QDate statementDate(QStringView text);
// Sets the line's amount and kind from a signed amount (negative: expense),
// or its error when the amount is zero or too large. Returns whether it was set.
bool setSignedAmount(StatementLine& line, Money value);
