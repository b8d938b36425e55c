#include "ledger/PinYin.h"

#include <iconv.h>

namespace {

struct Range {
    char letter;
    unsigned first, last;
};

// GB2312 level one runs from 0xB0A1 to 0xD7F9 in pinyin order; each initial
// owns one contiguous stretch of it. No syllable starts with i, u or v.
constexpr Range kRanges[] = {
    {'a', 0xB0A1, 0xB0C4}, {'b', 0xB0C5, 0xB2C0}, {'c', 0xB2C1, 0xB4ED}, {'d', 0xB4EE, 0xB6E9},
    {'e', 0xB6EA, 0xB7A1}, {'f', 0xB7A2, 0xB8C0}, {'g', 0xB8C1, 0xB9FD}, {'h', 0xB9FE, 0xBBF6},
    {'j', 0xBBF7, 0xBFA5}, {'k', 0xBFA6, 0xC0AB}, {'l', 0xC0AC, 0xC2E7}, {'m', 0xC2E8, 0xC4C2},
    {'n', 0xC4C3, 0xC5B5}, {'o', 0xC5B6, 0xC5BD}, {'p', 0xC5BE, 0xC6D9}, {'q', 0xC6DA, 0xC8BA},
    {'r', 0xC8BB, 0xC8F5}, {'s', 0xC8F6, 0xCBF9}, {'t', 0xCBFA, 0xCDD9}, {'w', 0xCDDA, 0xCEF3},
    {'x', 0xCEF4, 0xD1B8}, {'y', 0xD1B9, 0xD4D0}, {'z', 0xD4D1, 0xD7F9},
};

// The GBK bytes of one character; empty when GBK has no such character.
QByteArray toGbk(const QString& ch)
{
    static iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == iconv_t(-1))
        return {};
    QByteArray in = ch.toUtf8();
    char out[8];
    char* inp = in.data();
    size_t inLeft = size_t(in.size());
    char* outp = out;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the state
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1) || inLeft != 0)
        return {};
    return QByteArray(out, int(sizeof out - outLeft));
}

} // namespace

char GetPinyinInitial(const QByteArray& twoBytes)
{
    if (twoBytes.size() < 2)
        return 0;
    const unsigned code = unsigned(quint8(twoBytes[0])) * 256 + quint8(twoBytes[1]);
    for (const Range& r : kRanges)
        if (code >= r.first && code <= r.last)
            return r.letter;
    return 0;
}

QString MakeQuickCode(const QString& name)
{
    // Trim blanks and control characters at both ends.
    qsizetype from = 0, to = name.size();
    while (from < to && (name[from].isSpace() || name[from].category() == QChar::Other_Control))
        ++from;
    while (to > from && (name[to - 1].isSpace() || name[to - 1].category() == QChar::Other_Control))
        --to;
    QString code;
    // One character at a time: a one-byte character (ASCII) gives nothing and
    // never shifts the pairs of the characters after it.
    for (qsizetype i = from; i < to;) {
        const qsizetype len = name[i].isHighSurrogate() && i + 1 < to ? 2 : 1;
        const QByteArray gbk = toGbk(name.mid(i, len));
        if (gbk.size() == 2)
            if (const char letter = GetPinyinInitial(gbk))
                code += QLatin1Char(letter);
        i += len;
    }
    return code;
}
