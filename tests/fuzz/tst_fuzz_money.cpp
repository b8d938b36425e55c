// Money against a reference that works on the decimal text itself: parse
// accepts or refuses as the syntax and range say and rounds half away from
// zero at four decimals; the three text forms and the double conversions
// agree with digit-by-digit arithmetic; parse(plain(x)) gives x back.
#include "data/Money.h"
#include "tests/fuzz/Fuzz.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

FUZZ_RUNS(8000);

namespace {

// ---- decimal strings of digits, no sign, no leading zeros ("0" for zero)

std::string stripZeros(std::string s)
{
    const size_t nz = s.find_first_not_of('0');
    return nz == std::string::npos ? "0" : s.substr(nz);
}

std::string increment(std::string s)
{
    for (size_t i = s.size(); i-- > 0;) {
        if (s[i] != '9') {
            ++s[i];
            return s;
        }
        s[i] = '0';
    }
    return "1" + s;
}

int compare(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : a.compare(b) > 0;
}

// The amount of `text` in ten-thousandths as signed decimal text, or "" when
// the amount parser must refuse it.
std::string referenceParse(const QString& text)
{
    std::string s;
    for (QChar c : text) {
        if (c.unicode() > 127)
            return "";
        s += char(c.unicode());
    }
    size_t i = 0;
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+'))
        negative = s[i++] == '-';
    const std::string body = s.substr(i);
    const size_t dot = body.find('.');
    const std::string whole = body.substr(0, dot);
    const std::string frac = dot == std::string::npos ? "" : body.substr(dot + 1);
    const auto digitsOnly = [](const std::string& d) { return d.find_first_not_of("0123456789") == std::string::npos; };
    if (!digitsOnly(whole) || !digitsOnly(frac) || whole.size() + frac.size() == 0)
        return "";
    std::string mag = stripZeros(whole + (frac + "0000").substr(0, 4));
    if (frac.size() > 4 && frac[4] >= '5')
        mag = increment(mag);
    if (compare(mag, negative ? "9223372036854775808" : "9223372036854775807") > 0)
        return "";
    return (negative && mag != "0" ? "-" : "") + mag;
}

// |raw| as digits and its sign.
std::string magnitude(qint64 raw, bool* negative)
{
    std::string s = std::to_string(raw);
    *negative = s[0] == '-';
    return *negative ? s.substr(1) : s;
}

std::string referencePlain(qint64 raw)
{
    bool negative;
    std::string d = magnitude(raw, &negative);
    if (d.size() < 5)
        d = std::string(5 - d.size(), '0') + d;
    std::string whole = stripZeros(d.substr(0, d.size() - 4));
    std::string frac = d.substr(d.size() - 4);
    frac.erase(frac.find_last_not_of('0') + 1);
    return (negative ? "-" : "") + whole + (frac.empty() ? "" : "." + frac);
}

std::string referenceTwoDecimals(qint64 raw)
{
    bool negative;
    std::string d = magnitude(raw, &negative);
    if (d.size() < 5)
        d = std::string(5 - d.size(), '0') + d;
    std::string cents = stripZeros(d.substr(0, d.size() - 2));
    if (d[d.size() - 2] >= '5')
        cents = increment(cents);
    if (cents == "0")
        return "0.00";
    if (cents.size() < 3)
        cents = std::string(3 - cents.size(), '0') + cents;
    const std::string whole = stripZeros(cents.substr(0, cents.size() - 2));
    return (negative ? "-" : "") + whole + "." + cents.substr(cents.size() - 2);
}

QString q(const std::string& s) { return QString::fromStdString(s); }

void checkParse(const QString& text)
{
    const std::optional<Money> m = Money::parse(text);
    const std::string want = referenceParse(text);
    const QString got = m ? QString::number(m->raw()) : QString();
    Fuzz::check(got == q(want), [&] {
        return QStringLiteral("Money::parse(\"%1\") gave %2, the reference %3")
            .arg(text, m ? got : QStringLiteral("refusal"), want.empty() ? QStringLiteral("refusal") : q(want));
    });
}

void checkForms(qint64 raw)
{
    const Money m = Money::fromRaw(raw);
    const QString plain = m.plain();
    Fuzz::check(plain == q(referencePlain(raw)), [&] {
        return QStringLiteral("plain(%1) = %2, expected %3").arg(raw).arg(plain, q(referencePlain(raw)));
    });
    const std::optional<Money> back = Money::parse(plain);
    Fuzz::check(back && *back == m,
                [&] { return QStringLiteral("parse(plain(%1)) = parse(\"%2\") is not %1").arg(raw).arg(plain); });
    const QString two = q(referenceTwoDecimals(raw));
    Fuzz::check(m.twoDecimals() == two,
                [&] { return QStringLiteral("twoDecimals(%1) = %2, expected %3").arg(raw).arg(m.twoDecimals(), two); });
    Fuzz::check(m.yuan() == QStringLiteral("￥") + two,
                [&] { return QStringLiteral("yuan(%1) = %2").arg(raw).arg(m.yuan()); });
    // Grouped: the same digits with a comma every three before the point.
    QString grouped = two.startsWith(u'-') ? two.mid(1) : two;
    for (qsizetype i = grouped.indexOf(u'.') - 3; i > 0; i -= 3)
        grouped.insert(i, u',');
    grouped = (two.startsWith(u'-') ? QStringLiteral("-￥") : QStringLiteral("￥")) + grouped;
    Fuzz::check(m.yuanGrouped() == grouped,
                [&] { return QStringLiteral("yuanGrouped(%1) = %2").arg(raw).arg(m.yuanGrouped()); });
    Fuzz::check(plainOrEmpty(m) == plain && plainOrEmpty(std::nullopt).isEmpty(),
                [] { return QStringLiteral("plainOrEmpty"); });
}

// fromDouble against the decimal the number reads as (its shortest text)
// rounded by the reference, and against the exact binary value rounded half
// away from zero: either is a fair answer at a tie, anything else is not.
void checkFromDouble(double v)
{
    const std::optional<Money> m = Money::fromDouble(v);
    if (!std::isfinite(v)) {
        Fuzz::check(!m, [&] { return QStringLiteral("fromDouble(%1) accepted").arg(v); });
        return;
    }
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    const std::string shortest = r.ec == std::errc() ? referenceParse(QString::fromLatin1(buf, r.ptr - buf)) : "";
    // Exact: v = mant * 2^exp with a 53-bit integer mant.
    int exp = 0;
    const double frac = std::frexp(std::fabs(v), &exp);
    const auto mant = (unsigned __int128)std::ldexp(frac, 53);
    exp -= 53;
    std::string exact;
    const unsigned __int128 limit = (unsigned __int128)1 << 63;
    if (exp >= 0) {
        if (exp < 60) {
            const unsigned __int128 scaled = (mant * 10000) << exp;
            if (scaled < limit || (v < 0 && scaled == limit)) {
                std::string d;
                for (unsigned __int128 x = scaled; x; x /= 10)
                    d.insert(d.begin(), char('0' + int(x % 10)));
                exact = std::string(v < 0 && !d.empty() ? "-" : "") + (d.empty() ? "0" : d);
            }
        }
    } else {
        const int shift = -exp;
        const unsigned __int128 num = mant * 10000;
        unsigned __int128 q = shift >= 127 ? 0 : num >> shift;
        const bool half = shift >= 127 ? false : (shift == 0 ? false : ((num >> (shift - 1)) & 1));
        if (half)
            ++q;  // the remainder is at least one half: away from zero
        if (q < limit || (v < 0 && q == limit)) {
            std::string d;
            for (unsigned __int128 x = q; x; x /= 10)
                d.insert(d.begin(), char('0' + int(x % 10)));
            exact = std::string(v < 0 && !d.empty() ? "-" : "") + (d.empty() ? "0" : d);
        }
    }
    const QString got = m ? QString::number(m->raw()) : QString();
    Fuzz::check(got == q(shortest) || got == q(exact), [&] {
        return QStringLiteral("fromDouble(%1) gave %2; the shortest text %3 reads as %4, the exact value rounds to %5")
            .arg(QString::number(v, 'g', 17), m ? got : QStringLiteral("refusal"),
                 QString::fromLatin1(buf, r.ptr - buf), q(shortest), q(exact));
    });
}

// formatGeneral: the number to 15 significant digits, shortest, with an
// exponent only from 1E15 upward and below 1E-5. Compared as decimal digits
// and exponent with the C library's rounding (at a tie of the 16th digit
// either neighbour is fair), so 1.79769313486232E308 needs no double.
void checkGeneral(double v)
{
    const QString s = formatGeneral(v);
    const QString shown = QString::number(v, 'g', 17);
    if (!std::isfinite(v)) {
        Fuzz::check(s
                        == (std::isnan(v) ? u"NAN"
                            : v > 0       ? u"INF"
                                          : u"-INF"),
                    [&] { return QStringLiteral("formatGeneral: %1").arg(s); });
        return;
    }
    if (v == 0) {
        Fuzz::check(s == u"0", [&] { return QStringLiteral("formatGeneral(0) = %1").arg(s); });
        return;
    }
    // The text: sign, mantissa digits, exponent of the first digit.
    const std::string t = s.toStdString();
    const size_t e = t.find('E');
    std::string mant = t.substr(0, e);
    const bool negative = !mant.empty() && mant[0] == '-';
    if (negative)
        mant.erase(0, 1);
    const size_t dot = mant.find('.');
    const std::string whole = mant.substr(0, dot), frac = dot == std::string::npos ? "" : mant.substr(dot + 1);
    std::string all = whole + frac;
    const size_t first = all.find_first_not_of('0');
    const auto wellFormed = [](const std::string& d, bool allowEmpty) {
        return (allowEmpty || !d.empty()) && d.find_first_not_of("0123456789") == std::string::npos;
    };
    bool ok = wellFormed(whole, false) && wellFormed(frac, dot == std::string::npos) && first != std::string::npos
              && negative == (v < 0) && (frac.empty() || frac.back() != '0');
    int exp10 = 0;
    if (ok && e != std::string::npos) {
        const std::string x = t.substr(e + 1);
        ok = !x.empty() && wellFormed(x[0] == '-' ? x.substr(1) : x, false) && whole.size() == 1;
        exp10 = ok ? std::stoi(x) : 0;
    }
    Fuzz::check(ok,
                [&] { return QStringLiteral("formatGeneral(%1) = %2: not a plain or exponent number").arg(shown, s); });
    std::string sig = all.substr(first);
    sig.erase(sig.find_last_not_of('0') + 1);
    const int lead = int(whole.size()) - 1 - int(first) + exp10;

    // The reference digits.
    char buf[80];
    std::snprintf(buf, sizeof buf, "%.40e", std::fabs(v));
    const std::string ref(buf);
    const int refExp = std::stoi(ref.substr(ref.find('e') + 1));
    const std::string digits = ref.substr(0, 1) + ref.substr(2, 40);
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    std::string near = std::string(buf).substr(0, 1) + std::string(buf).substr(2, 14);
    int nearExp = std::stoi(std::string(buf).substr(std::string(buf).find('e') + 1));
    const auto trimmed = [](std::string d) {
        d.erase(d.find_last_not_of('0') + 1);
        return d;
    };
    bool fair = sig == trimmed(near) && lead == nearExp;
    if (!fair && digits.size() > 15 && digits[15] == '5' && digits.find_first_not_of('0', 16) == std::string::npos) {
        const std::string down = digits.substr(0, 15);
        std::string up = increment(down);
        int upExp = refExp;
        if (up.size() > 15) {
            up.pop_back();
            ++upExp;
        }
        fair = (sig == trimmed(down) && lead == refExp) || (sig == trimmed(up) && lead == upExp);
    }
    Fuzz::check(fair && sig.size() <= 15, [&] {
        return QStringLiteral("formatGeneral(%1) = %2, not %3 to 15 digits").arg(shown, s, QString::fromStdString(ref));
    });
    Fuzz::check((e != std::string::npos) == (lead >= 15 || lead < -5), [&] {
        return QStringLiteral("formatGeneral(%1) = %2: exponent form where it is not due, or missing").arg(shown, s);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The bytes as the text a user might type or paste (digits likely), and
    // as UTF-8 as they stand.
    static const char16_t alphabet[] = u"0123456789012345678901234567890123456789..--++ eE,\u0660\uFF11\u00A0x\t";
    QString typed;
    for (size_t i = 0; i < size; ++i)
        typed += QChar(alphabet[data[i] % (std::size(alphabet) - 1)]);
    checkParse(typed);
    checkParse(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    // Eight bytes at a time as an amount and as a double.
    Fuzz::Bytes in(data, size);
    do {
        const uint64_t w = in.u64();
        checkForms(qint64(w));
        checkForms(qint64(w) >> (w & 63));  // small amounts too
        const double d = std::bit_cast<double>(w);
        checkFromDouble(d);
        checkGeneral(d);
        checkGeneral(double(qint64(w) >> (w & 63)) / 10000);
    } while (!in.empty());
    return 0;
}
