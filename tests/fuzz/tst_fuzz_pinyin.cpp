// Quick codes against a table lookup of our own: each character of the name
// (blanks and control characters at the ends left out) is converted to GBK
// by glibc's iconv from UTF-32, and a two-byte code of the GB2312 first
// level finds its initial in the classic table of where each initial's
// characters begin. GetPinyinInitial on raw byte pairs goes by the table's
// numbers alone.
#include "ledger/PinYin.h"
#include "tests/fuzz/Fuzz.h"

#include <QList>
#include <QStringList>

#include <array>
#include <iconv.h>

FUZZ_RUNS(20000);

namespace {

// Where the characters of each initial begin in GB2312 level one (lead byte
// * 256 + trail byte, in decimal as the table is usually printed), and where
// the level ends. No syllable starts with i, u or v.
constexpr int kStarts[] = {45217, 45253, 45761, 46318, 46826, 47010, 47297, 47614, 48119, 49062, 49324, 49896,
                           50371, 50614, 50622, 50906, 51387, 51446, 52218, 52698, 52980, 53689, 54481};
constexpr char kLetters[] = "abcdefghjklmnopqrstwxyz";
constexpr int kEnd = 55289;

// The initial of a two-byte code by the table alone, 0 outside it.
char initialOf(unsigned lead, unsigned trail)
{
    const int code = int(lead * 256 + trail);
    if (code < kStarts[0] || code > kEnd)
        return 0;
    int i = 0;
    while (i + 1 < int(std::size(kStarts)) && code >= kStarts[i + 1])
        ++i;
    return kLetters[i];
}

// The GBK bytes of one code point; empty when GBK has none.
QByteArray gbk(char32_t cp)
{
    static iconv_t cd = iconv_open("GBK", "UTF-32LE");
    if (cd == iconv_t(-1))
        Fuzz::fail(QStringLiteral("iconv has no GBK"));
    char in[4] = {char(cp & 0xFF), char(cp >> 8 & 0xFF), char(cp >> 16 & 0xFF), char(cp >> 24 & 0xFF)};
    char out[16];
    char* ip = in;
    char* op = out;
    size_t il = 4, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1))
        return {};
    return QByteArray(out, qsizetype(op - out));
}

bool endTrimmed(char32_t cp) { return QChar::isSpace(cp) || QChar::category(cp) == QChar::Other_Control; }

QString referenceCode(const QString& name)
{
    QList<char32_t> cps;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            cps << QChar::surrogateToUcs4(c, name[i + 1]);
            ++i;
        } else {
            cps << c.unicode();
        }
    }
    while (!cps.isEmpty() && endTrimmed(cps.first()))
        cps.removeFirst();
    while (!cps.isEmpty() && endTrimmed(cps.last()))
        cps.removeLast();
    QString code;
    for (char32_t cp : cps) {
        if (QChar::isSurrogate(cp))
            continue;  // half a pair is no character
        const QByteArray b = gbk(cp);
        // A character of level one has both bytes in A1..FE: GBK's own
        // additions between them (trail byte 40..A0) are not in pinyin order.
        if (b.size() == 2 && quint8(b[1]) >= 0xA1 && quint8(b[1]) <= 0xFE)
            if (const char letter = initialOf(quint8(b[0]), quint8(b[1])))
                code += QLatin1Char(letter);
    }
    return code;
}

QString codes(const QString& s)
{
    QStringList out;
    for (QChar c : s)
        out << QString::number(c.unicode(), 16);
    return out.join(u' ');
}

void checkName(const QString& name)
{
    const QString got = MakeQuickCode(name), want = referenceCode(name);
    Fuzz::check(got == want, [&] {
        return QStringLiteral("MakeQuickCode(\"%1\" = U+%2) = \"%3\", expected \"%4\"")
            .arg(name, codes(name), got, want);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Bytes in(data, size);
    // Raw byte pairs.
    for (int i = 0; i < 4 && in.left() >= 2; ++i) {
        const QByteArray pair = in.take(2);
        const char got = GetPinyinInitial(pair);
        const char want = initialOf(quint8(pair[0]), quint8(pair[1]));
        Fuzz::check(got == want, [&] {
            return QStringLiteral("GetPinyinInitial(%1) = '%2', expected '%3'")
                .arg(Fuzz::hex(pair))
                .arg(QLatin1Char(got ? got : '0'))
                .arg(QLatin1Char(want ? want : '0'));
        });
    }
    // A name made of characters: mostly CJK, with ASCII, blanks, controls,
    // symbols, full-width forms, lone or paired surrogates between them.
    QString name;
    while (!in.empty()) {
        const unsigned kind = in.below(16), v = unsigned(in.u8()) << 8 | in.u8();
        if (kind < 9)
            name += QChar(char16_t(0x4E00 + v % 0x51A6));  // CJK unified ideographs
        else if (kind == 9)
            name += QChar(char16_t(0x3400 + v % 0x19C0));  // extension A
        else if (kind == 10)
            name += QChar(char16_t(v & 0x7F));
        else if (kind == 11)
            name += QChar(char16_t(u" \t\u3000\u00A0\r\n\u200B\u0085\u2028"[v % 9]));
        else if (kind == 12)
            name += QChar(char16_t(0xFF01 + v % 0x5E));  // full-width forms
        else if (kind == 13)
            name += QString::fromUcs4(std::array<char32_t, 1>{char32_t(0x20000 + v % 0xA6E0)}.data(), 1);
        else if (kind == 14)
            name += QChar(char16_t(0xD800 + v % 0x800));  // half a pair
        else
            name += QChar(char16_t(v));
    }
    checkName(name);
    checkName(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
