#include "import/Statement.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

QString unreadableStatus(const StatementLine& line)
{
    return QStringLiteral("无法读取：%1（第%2行）").arg(line.error).arg(line.line);
}

namespace {

QString withoutBom(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QString decodeUtf8(const QByteArray& bytes, bool* valid)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    *valid = !decoder.hasError();
    return withoutBom(text);
}

}  // namespace

QString decodeCharset(const QByteArray& bytes, const char* charset, bool* valid)
{
    if (valid)
        *valid = true;
    iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == iconv_t(-1) && qstrcmp(charset, "GBK") == 0)
        cd = iconv_open("UTF-8", "CP936");
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    QByteArray out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char buffer[4096];
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    static const QByteArray replacement = QStringLiteral("\uFFFD").toUtf8();
    while (inLeft > 0) {
        char* outp = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (r != size_t(-1) || errno == E2BIG)
            continue;
        // A byte that starts no character (EILSEQ) or a cut-off last one
        // (EINVAL): mark it and go on with the next byte.
        out += replacement;
        if (valid)
            *valid = false;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return QString::fromUtf8(out);
}

QString decodeText(const QByteArray& bytes, Encoding enc, bool* valid)
{
    bool ok = true;
    if (!valid)
        valid = &ok;
    switch (enc) {
    case Encoding::Utf8: return decodeUtf8(bytes, valid);
    case Encoding::Gbk: return decodeCharset(bytes, "GBK", valid);
    case Encoding::Auto: break;
    }
    // Spreadsheets save "Unicode text" as UTF-16 with a byte order mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        QString text = withoutBom(decoder.decode(QByteArrayView(bytes).sliced(2)));
        *valid = !decoder.hasError();
        return text;
    }
    QString text = decodeUtf8(bytes, valid);
    return *valid ? text : decodeCharset(bytes, "GBK", valid);
}

// ------------------------------------------------------------------ shared rules

namespace {

bool isBlank(QChar c) { return c.isSpace() || c == QChar(0xFEFF); }

}  // namespace

QString statementAmount(QStringView text, Money* value)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c))
            s += c;
    if (s.isEmpty() || s == u"-" || s == u"--" || s == u"—")
        return QStringLiteral("缺少金额");

    // Signs, brackets and currency marks around the digits, in any order
    // banks write them: "-¥12.50", "¥-12.50", "(¥12.50)", "12.50-", "12.50元".
    int negatives = 0;
    bool open = false, close = false;
    qsizetype first = 0, last = s.size();
    for (bool again = true; again && first < last;) {
        again = false;
        const QStringView rest = QStringView(s).mid(first, last - first);
        for (const QStringView mark :
             {QStringView(u"¥"), QStringView(u"￥"), QStringView(u"RMB"), QStringView(u"CNY")}) {
            if (rest.startsWith(mark, Qt::CaseInsensitive)) {
                first += mark.size();
                again = true;
                break;
            }
        }
        if (again)
            continue;
        const QChar c = s[first];
        if (c == u'-' || c == u'−' || c == u'+') {
            negatives += c != u'+';
            ++first;
            again = true;
        } else if ((c == u'(' || c == u'（') && !open) {
            open = true;
            ++first;
            again = true;
        }
    }
    for (bool again = true; again && last > first;) {
        again = false;
        const QChar c = s[last - 1];
        if (c == u'-' || c == u'−') {
            ++negatives;
            --last;
            again = true;
        } else if ((c == u')' || c == u'）') && !close) {
            close = true;
            --last;
            again = true;
        } else if (c == u'元') {
            --last;
            again = true;
        }
    }
    if (open != close || negatives + int(open) > 1)
        return QStringLiteral("金额无效");
    const bool negative = negatives > 0 || open;

    static const QRegularExpression number(QStringLiteral("^(?:([0-9]{1,3}(?:,[0-9]{3})+)|([0-9]*))(?:\\.([0-9]*))?$"));
    const QString digits = s.mid(first, last - first);
    const QRegularExpressionMatch m = number.match(digits);
    if (!m.hasMatch())
        return QStringLiteral("金额无效");
    QString whole = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    whole.remove(u',');
    QString fraction = m.captured(3);
    if (whole.isEmpty() && fraction.isEmpty())
        return QStringLiteral("金额无效");
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (fraction.size() > 2)
        return QStringLiteral("金额超过两位小数");
    const std::optional<Money> parsed = Money::parse(QString(whole + u'.' + fraction + u'0'));
    if (!parsed || *parsed > kMaxRecordAmount)
        return QStringLiteral("金额超出范围");
    *value = negative ? -*parsed : *parsed;
    return {};
}

QDate statementDate(QStringView text)
{
    static const QRegularExpression separated(
        QStringLiteral("^([0-9]{4})\\s*[-/.年]\\s*([0-9]{1,2})\\s*[-/.月]\\s*([0-9]{1,2})\\s*日?"
                       "(?:(?:\\s+|T)([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:\\.[0-9]+)?)?)?$"));
    static const QRegularExpression compact(
        QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})(?:(?:\\s*|T)([0-9]{2}):?([0-9]{2}):?([0-9]{2}))?$"));
    const QString s = text.trimmed().toString();
    QRegularExpressionMatch m = separated.match(s);
    if (!m.hasMatch())
        m = compact.match(s);
    if (!m.hasMatch())
        return {};
    if (m.hasCaptured(4)) {
        const int h = m.captured(4).toInt(), min = m.captured(5).toInt();
        const int sec = m.hasCaptured(6) ? m.captured(6).toInt() : 0;
        if (h > 23 || min > 59 || sec > 59)
            return {};
    }
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

bool isPlaceholder(QStringView cell)
{
    const QStringView s = cell.trimmed();
    return s == u"/" || s == u"-" || s == u"--" || s == u"—" || s == u"——" || s == u"无";
}

OrderStatus orderStatus(QStringView status)
{
    // Words of the wallets' status columns for an order that moved no money
    // in the end; a refund in full counts, a partial one does not.
    static const QStringView notCompleted[] = {
        u"关闭",   u"失败",   u"撤销",   u"取消",   u"全额退款", u"退款成功", u"等待付款",
        u"待付款", u"待支付", u"未付款", u"未支付", u"冲正",     u"退还",     u"退回",
    };
    for (QStringView word : notCompleted)
        if (status.contains(word))
            return OrderStatus::NotCompleted;
    return status.contains(u"退款") ? OrderStatus::Noted : OrderStatus::Completed;
}

bool setSignedAmount(StatementLine& line, Money value)
{
    QString error;
    if (value.isZero())
        error = QStringLiteral("金额为零");
    else if (value > kMaxRecordAmount || value < -kMaxRecordAmount)
        error = QStringLiteral("金额超出范围");
    if (!error.isEmpty()) {
        if (line.error.isEmpty())
            line.error = error;
        return false;
    }
    line.kind = value < Money() ? StatementLine::Expense : StatementLine::Income;
    line.amount = value < Money() ? -value : value;
    return true;
}

StatementFormat statementFormat(const QString& fileName, const QByteArray& bytes)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QByteArray head = bytes.left(4096);
    if (suffix == u"ofx" || suffix == u"qfx" || head.contains("OFXHEADER") || head.contains("<OFX>"))
        return StatementFormat::Ofx;
    if (suffix == u"qif" || head.trimmed().startsWith("!Type") || head.trimmed().startsWith("!Option"))
        return StatementFormat::Qif;
    return StatementFormat::Csv;
}
