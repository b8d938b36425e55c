#pragma once
// What an independent reader (python3-xlrd) must find in an .xls cell for a
// model value written by Xls::workbook: [type, value(, number format)].
// Header only: the fuzz harnesses, which do not link the test support, use it too.

#include "data/Money.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QVariant>
#include <cmath>

namespace XlsCells {

// Every file read back by tests/support/xls_read.py in one python process:
// one entry per path (see the script). Empty, with `error` set, when the
// reader did not run.
// `.xlsx` and `.csv` files go to tests/support/sheet_read.py instead
// (openpyxl and Python's csv module), which answers in the same shape.
inline QJsonArray readBack(const QStringList& paths, QString* error, int timeoutMs = 120000, bool others = false)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{others ? QStringLiteral(JIZHANG_SOURCE_DIR "/tests/support/sheet_read.py")
                               : QStringLiteral(JIZHANG_SOURCE_DIR "/tests/support/xls_read.py")}
                + paths);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("the reader did not run (python3-xlrd and python3-openpyxl are required): %1 %2")
                     .arg(p.errorString(), QString::fromUtf8(p.readAllStandardError()));
        return {};
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parse);
    if (!doc.isArray() || doc.array().size() != paths.size()) {
        *error = QStringLiteral("unreadable dump from xlrd: %1").arg(parse.errorString());
        return {};
    }
    return doc.array();
}

constexpr int kEmpty = 0, kText = 1, kNumber = 2;  // xlrd's cell types

// A text as the writer stores it: half a surrogate pair as U+FFFD, a CR LF
// or a lone CR as LF, cut at the format's 32,767 characters without halving
// a pair.
inline QString storedText(const QString& raw)
{
    QString s;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\r') {
            if (i + 1 >= raw.size() || raw[i + 1] != u'\n')
                s += u'\n';
            continue;
        }
        if (raw[i].isHighSurrogate() && i + 1 < raw.size() && raw[i + 1].isLowSurrogate())
            s += raw[i++];
        else if (raw[i].isSurrogate()) {
            s += QChar(QChar::ReplacementCharacter);
            continue;
        }
        s += raw[i];
    }
    if (s.size() > 32767)
        s.truncate(s.at(32766).isHighSurrogate() ? 32766 : 32767);
    return s;
}

inline QJsonArray expected(const QVariant& v)
{
    if (!v.isValid())
        return {kEmpty, QString()};
    if (v.metaType() == QMetaType::fromType<Money>())
        return {kNumber, double(v.value<Money>().raw()) / Money::Scale, QStringLiteral("0.00")};
    switch (v.typeId()) {
    case QMetaType::QDate: return {kText, v.toDate().toString(QStringLiteral("yyyy-MM-dd"))};
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
        if (std::isfinite(v.toDouble()))
            return {kNumber, v.toDouble(), QStringLiteral("General")};
        return {kText, v.toString()};
    default: return {kText, storedText(v.toString())};
    }
}

}  // namespace XlsCells
