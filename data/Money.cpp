#include "data/Money.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>

std::optional<Money> Money::fromDouble(double value)
{
    // value * Scale in doubles loses units above 2^53 / 10000 (about 9e11
    // yuan) and can push a near-tie across it; the shortest decimal text of
    // the number is exact, and parse rounds that.
    char text[400];  // the longest fixed form of a double is about 330 characters
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (!std::isfinite(value) || r.ec != std::errc())
        return std::nullopt;
    return parse(QString::fromLatin1(text, r.ptr - text));
}

bool Money::isOversizedNumber(QStringView text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+\\.?[0-9]*$"));
    const QString t = text.trimmed().toString();
    return !parse(t) && number.match(t).hasMatch();
}

std::optional<Money> Money::parse(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++i;
    }
    // Exact decimal arithmetic on the digits; a double would round 0.1 wrongly.
    unsigned __int128 intPart = 0;
    int fracDigits = 0;
    qint64 frac = 0;      // first four decimals
    int roundDigit = -1;  // fifth decimal, decides the rounding
    bool sawDot = false, sawDigit = false;
    const unsigned __int128 limit = (unsigned __int128)std::numeric_limits<qint64>::max() + 1;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            if (sawDot)
                return std::nullopt;
            sawDot = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return std::nullopt;
        sawDigit = true;
        const int d = c.unicode() - u'0';
        if (!sawDot) {
            intPart = intPart * 10 + d;
            if (intPart > limit)
                return std::nullopt;
        } else if (fracDigits < 4) {
            frac = frac * 10 + d;
            ++fracDigits;
        } else if (roundDigit < 0) {
            roundDigit = d;
        }
    }
    if (!sawDigit)
        return std::nullopt;
    while (fracDigits < 4) {
        frac *= 10;
        ++fracDigits;
    }
    unsigned __int128 raw = intPart * Scale + (unsigned __int128)frac;
    if (roundDigit >= 5)
        ++raw;
    if (raw > (negative ? limit : limit - 1))
        return std::nullopt;
    if (negative)
        return fromRaw(raw == limit ? std::numeric_limits<qint64>::min() : -qint64(raw));
    return fromRaw(qint64(raw));
}

QString Money::twoDecimals() const
{
    // Round to cents, half away from zero, on the magnitude.
    const bool negative = m_raw < 0;
    unsigned __int128 mag = negative ? (unsigned __int128)(-(m_raw + 1)) + 1 : (unsigned __int128)m_raw;
    const unsigned __int128 cents = (mag + 50) / 100;
    const qulonglong whole = qulonglong(cents / 100);
    const int rest = int(cents % 100);
    QString out;
    if (negative && cents != 0)
        out += u'-';
    out += QString::number(whole);
    out += u'.';
    out += QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
    return out;
}

QString Money::yuan() const { return QStringLiteral("￥") + twoDecimals(); }

QString Money::yuanGrouped() const
{
    QString digits = twoDecimals();
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    for (qsizetype i = digits.indexOf(u'.') - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return (negative ? QStringLiteral("-￥") : QStringLiteral("￥")) + digits;
}

QString Money::plain() const
{
    const bool negative = m_raw < 0;
    unsigned __int128 mag = negative ? (unsigned __int128)(-(m_raw + 1)) + 1 : (unsigned __int128)m_raw;
    const qulonglong whole = qulonglong(mag / Scale);
    int frac = int(mag % Scale);
    QString out = negative ? QStringLiteral("-") : QString();
    out += QString::number(whole);
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(u'0'))
            f.chop(1);
        out += u'.' + f;
    }
    return out;
}

QString plainOrEmpty(const std::optional<Money>& m) { return m ? m->plain() : QString(); }

QString formatGeneral(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");
    // 15 significant digits; exponent form from 1E15 upward and below 1E-5.
    QString s = QString::number(value, 'e', 14);  // d.dddddddddddddde±XX
    const qsizetype ePos = s.indexOf(u'e');
    const int exponent = s.mid(ePos + 1).toInt();
    QString mantissa = s.left(ePos);
    const bool negative = mantissa.startsWith(u'-');
    if (negative)
        mantissa.remove(0, 1);
    QString digits = mantissa;
    digits.remove(u'.');
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);
    QString out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.left(1);
        if (digits.size() > 1)
            out += u'.' + digits.mid(1);
        out += u'E' + QString::number(exponent);
    } else if (exponent >= 0) {
        QString intDigits = digits.left(exponent + 1);
        while (intDigits.size() < exponent + 1)
            intDigits += u'0';
        out = intDigits;
        const QString rest = digits.mid(exponent + 1);
        if (!rest.isEmpty())
            out += u'.' + rest;
    } else {
        out = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    }
    return negative ? u'-' + out : out;
}
