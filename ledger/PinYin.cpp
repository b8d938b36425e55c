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
    {'a', 0xB0A1, 0xB0C4}, {'b', 0xB0C5, 0xB2C0}, {'c', 0xB2C1, 0xB4ED}, {'d', 0xB4EE, 0xB6E9}, {'e', 0xB6EA, 0xB7A1},
    {'f', 0xB7A2, 0xB8C0}, {'g', 0xB8C1, 0xB9FD}, {'h', 0xB9FE, 0xBBF6}, {'j', 0xBBF7, 0xBFA5}, {'k', 0xBFA6, 0xC0AB},
    {'l', 0xC0AC, 0xC2E7}, {'m', 0xC2E8, 0xC4C2}, {'n', 0xC4C3, 0xC5B5}, {'o', 0xC5B6, 0xC5BD}, {'p', 0xC5BE, 0xC6D9},
    {'q', 0xC6DA, 0xC8BA}, {'r', 0xC8BB, 0xC8F5}, {'s', 0xC8F6, 0xCBF9}, {'t', 0xCBFA, 0xCDD9}, {'w', 0xCDDA, 0xCEF3},
    {'x', 0xCEF4, 0xD1B8}, {'y', 0xD1B9, 0xD4D0}, {'z', 0xD4D1, 0xD7F9},
};

// QChar holds UTF-16 units in host byte order.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

// One converter per thread: an iconv handle carries state and must not be
// shared between threads.
class GbkEncoder {
public:
    GbkEncoder()
    {
        m_cd = iconv_open("GBK", kUtf16);
        if (m_cd == iconv_t(-1))
            m_cd = iconv_open("CP936", kUtf16);
    }
    ~GbkEncoder()
    {
        if (m_cd != iconv_t(-1))
            iconv_close(m_cd);
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    // The GBK bytes of one character (one or two UTF-16 units); empty when
    // GBK cannot write it.
    QByteArray encode(const QChar* units, qsizetype count)
    {
        if (m_cd == iconv_t(-1))
            return {};
        char16_t in[2];
        for (qsizetype i = 0; i < count; ++i)
            in[i] = units[i].unicode();
        char out[8];
        char* inp = reinterpret_cast<char*>(in);
        size_t inLeft = size_t(count) * sizeof(char16_t);
        char* outp = out;
        size_t outLeft = sizeof out;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(m_cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1) || inLeft != 0)
            return {};
        // Flush, so a stateful leftover cannot leak into the next character.
        if (iconv(m_cd, nullptr, nullptr, &outp, &outLeft) == size_t(-1))
            return {};
        return QByteArray(out, qsizetype(sizeof out - outLeft));
    }

private:
    iconv_t m_cd;
};

// Blanks and control characters, the ones trimmed off both ends of a name.
bool isTrimmed(QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; }

}  // namespace

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
    thread_local GbkEncoder gbk;
    qsizetype from = 0, to = name.size();
    while (from < to && isTrimmed(name[from]))
        ++from;
    while (to > from && isTrimmed(name[to - 1]))
        --to;
    QString code;
    // One character at a time, so a one-byte character (ASCII) gives nothing
    // and never shifts the byte pairs of the characters after it.
    for (qsizetype i = from; i < to;) {
        const qsizetype len = name[i].isHighSurrogate() && i + 1 < to && name[i + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray bytes = gbk.encode(name.constData() + i, len);
        // Only level one is in pinyin order, and its trail bytes are A1..FE:
        // GBK's additions between them (trail 40..A0, 盄 B1 40) are not.
        if (bytes.size() == 2 && quint8(bytes[1]) >= 0xA1 && quint8(bytes[1]) <= 0xFE)
            if (const char letter = GetPinyinInitial(bytes))
                code += QLatin1Char(letter);
        i += len;
    }
    return code;
}
