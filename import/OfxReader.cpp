#include "import/OfxReader.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// The iconv charset the header names, for bytes that are not UTF-8.
const char* headerCharset(const QByteArray& bytes)
{
    static const QRegularExpression sgml(QStringLiteral("CHARSET\\s*:\\s*([A-Za-z0-9_.\\-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression xml(QStringLiteral("<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)[\"']"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(4096));
    QRegularExpressionMatch m = sgml.match(head);
    if (!m.hasMatch())
        m = xml.match(head);
    const QString name = m.captured(1).toUpper();
    static const QStringList western
        = {QStringLiteral("1252"),       QStringLiteral("WINDOWS-1252"), QStringLiteral("CP1252"),
           QStringLiteral("ISO-8859-1"), QStringLiteral("8859-1"),       QStringLiteral("LATIN1")};
    return western.contains(name) ? "CP1252" : "GBK";
}

QString decodeOfx(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return decodeCharset(bytes, headerCharset(bytes));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString decodeEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    static const QHash<QString, QChar> named = {
        {QStringLiteral("amp"), u'&'},  {QStringLiteral("lt"), u'<'},    {QStringLiteral("gt"), u'>'},
        {QStringLiteral("quot"), u'"'}, {QStringLiteral("apos"), u'\''}, {QStringLiteral("nbsp"), QChar(0xA0)},
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype semi = text[i] == u'&' ? text.indexOf(u';', i + 1) : -1;
        if (semi < 0 || semi - i > 10) {
            out += text[i];  // a bare '&', as SGML files often carry ("AT&T")
            continue;
        }
        const QString name = text.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        bool ok = false;
        if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            out += QString::fromUcs4(&code, 1);
        } else if (named.contains(name)) {
            out += named.value(name);
        } else {
            out += text[i];
            continue;
        }
        i = semi;
    }
    return out;
}

struct Transaction {
    int line = 0;
    QHash<QString, QString> fields;  // the first value of each leaf tag
};

StatementLine toLine(const Transaction& t)
{
    StatementLine line;
    line.line = t.line;
    line.counterparty = t.fields.value(QStringLiteral("NAME"));
    line.memo = t.fields.value(QStringLiteral("MEMO"));
    line.fitid = t.fields.value(QStringLiteral("FITID"));

    static const QRegularExpression day(QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})"));
    const QString posted = t.fields.value(QStringLiteral("DTPOSTED"));
    if (const auto m = day.match(posted); m.hasMatch())
        line.date = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (posted.isEmpty())
        line.error = QStringLiteral("缺少日期");
    else if (!line.date.isValid())
        line.error = QStringLiteral("日期无效");

    // OFX allows a comma for the decimal point.
    QString amount = t.fields.value(QStringLiteral("TRNAMT"));
    if (amount.contains(u',') && !amount.contains(u'.'))
        amount.replace(u',', u'.');
    Money value;
    const QString error = statementAmount(amount, &value);
    if (!error.isEmpty()) {
        if (line.error.isEmpty())
            line.error = error;
    } else {
        setSignedAmount(line, value);
    }
    return line;
}

}  // namespace

QList<StatementLine> readOfx(const QByteArray& bytes)
{
    const QString text = decodeOfx(bytes);
    const qsizetype n = text.size();
    QList<StatementLine> lines;

    int line = 1;
    qsizetype counted = 0;
    auto lineAt = [&](qsizetype pos) {
        for (; counted < pos; ++counted) {
            const QChar c = text[counted];
            if (c == u'\n' || (c == u'\r' && (counted + 1 >= n || text[counted + 1] != u'\n')))
                ++line;
        }
        return line;
    };

    // The STMTTRN being read, when `inside`.
    Transaction open;
    bool inside = false;
    auto finish = [&] {
        if (inside)
            lines << toLine(open);
        inside = false;
        open = Transaction();
    };

    qsizetype i = 0;
    while ((i = text.indexOf(u'<', i)) >= 0) {
        const qsizetype tagStart = i;
        if (QStringView(text).mid(i).startsWith(u"<!--")) {
            const qsizetype end = text.indexOf(u"-->", i + 4);
            i = end < 0 ? n : end + 3;
            continue;
        }
        const qsizetype gt = text.indexOf(u'>', i + 1);
        if (gt < 0)
            break;
        i = gt + 1;
        QStringView tag = QStringView(text).mid(tagStart + 1, gt - tagStart - 1).trimmed();
        if (tag.startsWith(u'?') || tag.startsWith(u'!'))
            continue;
        const bool closing = tag.startsWith(u'/');
        if (closing)
            tag = tag.mid(1);
        qsizetype nameEnd = 0;
        while (nameEnd < tag.size() && !tag[nameEnd].isSpace() && tag[nameEnd] != u'/')
            ++nameEnd;
        const QString name = tag.left(nameEnd).toString().toUpper();

        if (name == u"STMTTRN") {
            finish();
            if (!closing) {
                inside = true;
                open.line = lineAt(tagStart);
            }
            continue;
        }
        if (name == u"BANKTRANLIST" && closing) {
            finish();  // an STMTTRN left open
            continue;
        }
        if (!inside || closing || open.fields.contains(name))
            continue;
        // A leaf's value runs to the next tag, closed (2.x) or not (1.x).
        QString value;
        qsizetype next = text.indexOf(u'<', i);
        if (next >= 0 && QStringView(text).mid(next).startsWith(u"<![CDATA[")) {
            const qsizetype end = text.indexOf(u"]]>", next);
            value = text.mid(next + 9, end < 0 ? -1 : end - next - 9);
            i = end < 0 ? n : end + 3;
        } else {
            value = decodeEntities(text.mid(i, (next < 0 ? n : next) - i).trimmed());
        }
        open.fields.insert(name, value.trimmed());
    }
    finish();
    return lines;
}
