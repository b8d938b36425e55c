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

#include <functional>

struct StatementLine {
    int line = 0;  // 1-based line of the file where the record starts
    QDate date;
    Money amount;  // > 0 (the kind says which way the money went)
    enum Kind { Expense, Income } kind = Expense;
    QString memo;          // 摘要
    QString counterparty;  // 对方
    QString fitid;         // OFX FITID, else empty
    bool split = false;    // a QIF split transaction (status "新（拆分）")
    QString note;          // 备注 (CSV): goes into the remark after 对方 and 摘要
    QString status;        // a wallet's status (CSV 交易状态/当前状态), empty when not mapped
    QString error;         // non-empty: the line could not be read; the reason (e.g. "日期无效")
};

// "无法读取：<reason>（第N行）"
QString unreadableStatus(const StatementLine& line);

// Told now and then while a long file is read: how far (done of total).
// Returning false stops the read; the reader then hands back nothing.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

enum class Encoding { Auto, Utf8, Gbk };
// The text of a file. Auto: UTF-16 when it starts with its byte order mark,
// UTF-8 when the bytes are valid UTF-8, else GBK. A chosen encoding is used
// as it is. A UTF-8 byte order mark is dropped; undecodable bytes become
// U+FFFD, and `valid` (when given) tells whether there were any.
QString decodeText(const QByteArray& bytes, Encoding enc, bool* valid = nullptr);
// Bytes in one of iconv's charsets ("GBK", "CP1252"); undecodable bytes
// become U+FFFD. Falls back to Latin-1 when iconv does not know the charset.
QString decodeCharset(const QByteArray& bytes, const char* charset, bool* valid = nullptr);

// Which reader a file goes to: OFX for .ofx/.qfx or an OFX header or tag in
// its first 4 KiB, QIF for .qif or text that starts with "!Type"/"!Option",
// CSV for anything else.
enum class StatementFormat { Csv, Qif, Ofx };
StatementFormat statementFormat(const QString& fileName, const QByteArray& bytes);

// ------------------------------------------------------------------ shared rules

// A signed amount as statements write it: blanks, "¥"/"￥"/"RMB"/"CNY" and a
// trailing "元" ignored, thousands separators ("1,234.50"), negative as
// "-12.50", "(12.50)" or "12.50-". At most two decimals count ("12.500" is
// 12.50, "12.345" is refused). Returns the reason it cannot be read, empty
// when `value` was set: "缺少金额" for an empty cell or a lone "-".
QString statementAmount(QStringView text, Money* value);
// 2026-12-09, 2026/12/9, 2026.12.9, 2026年12月9日, 20261209, each optionally
// followed by a time of day (ignored); invalid for anything else.
QDate statementDate(QStringView text);
// A cell that only says "nothing here": "/", "-", "--", "—", "无".
bool isPlaceholder(QStringView cell);

// What a wallet's status says about the money of its line.
enum class OrderStatus {
    Completed,     // 交易成功, 支付成功, 对方已收钱, ... or no status at all
    NotCompleted,  // closed, failed, unpaid, cancelled or refunded in full: no money moved
    Noted,         // partly refunded (已退款(￥20.00)): the amount stands, the status is worth seeing
};
OrderStatus orderStatus(QStringView status);

// Sets the line's amount and kind from a signed amount (negative: expense),
// or its error when the amount is zero or too large. Returns whether it was set.
bool setSignedAmount(StatementLine& line, Money value);
