#include "ui/XlsWriter.h"

#include "data/Money.h"

#include <QDate>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace Xls {
namespace {

// Record identifiers used here.
enum Record : quint16 {
    kBof = 0x0809,
    kEof = 0x000A,
    kContinue = 0x003C,
    kInterfaceHdr = 0x00E1,
    kMms = 0x00C1,
    kInterfaceEnd = 0x00E2,
    kCodePage = 0x0042,
    kDsf = 0x0161,
    kWindowProtect = 0x0019,
    kProtect = 0x0012,
    kPassword = 0x0013,
    kProt4Rev = 0x01AF,
    kProt4RevPass = 0x01BC,
    kWindow1 = 0x003D,
    kBackup = 0x0040,
    kHideObj = 0x008D,
    kDate1904 = 0x0022,
    kPrecision = 0x000E,
    kRefreshAll = 0x01B7,
    kBookBool = 0x00DA,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kExtSst = 0x00FF,
    kCalcCount = 0x000C,
    kCalcMode = 0x000D,
    kRefMode = 0x000F,
    kIteration = 0x0011,
    kDelta = 0x0010,
    kSaveRecalc = 0x005F,
    kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B,
    kGridSet = 0x0082,
    kGuts = 0x0080,
    kDefaultRowHeight = 0x0225,
    kWsBool = 0x0081,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kWindow2 = 0x023E,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
};

constexpr int kMaxRecordData = 8224;  // longer data continues in CONTINUE records
constexpr int kMaxColumns = 256;
constexpr int kMaxTextLength = 32767;
// The 15 style XFs every workbook carries come first; then the cell XFs.
constexpr quint16 kXfGeneral = 15;
constexpr quint16 kXfMoney = 16;
constexpr quint16 kBuiltinFormatTwoDecimals = 2;  // "0.00"

// Compound document.
constexpr int kSector = 512;
constexpr quint32 kFreeSect = 0xFFFFFFFF, kEndOfChain = 0xFFFFFFFE, kFatSect = 0xFFFFFFFD, kDifSect = 0xFFFFFFFC,
                  kNoStream = 0xFFFFFFFF;
constexpr int kHeaderDifat = 109;
constexpr int kIdsPerSector = kSector / 4;
constexpr qsizetype kMiniStreamCutoff = 4096;  // smaller streams would belong in the mini stream

// A growing little-endian byte buffer. Cells are written by the hundred
// thousand, so appends are plain stores into reserved room.
class Bytes {
public:
    explicit Bytes(qsizetype reserve = 4096) { m_data.resize(std::max<qsizetype>(reserve, 4096)); }

    qsizetype size() const { return m_size; }
    const char* data() const { return m_data.constData(); }
    char* at(qsizetype pos) { return m_data.data() + pos; }

    char* grow(qsizetype n)
    {
        if (m_size + n > m_data.size())
            m_data.resize(std::max(m_data.size() * 2, m_size + n));
        char* p = m_data.data() + m_size;
        m_size += n;
        return p;
    }
    void u8(quint8 v) { *grow(1) = char(v); }
    void u16(quint16 v) { qToLittleEndian(v, grow(2)); }
    void u32(quint32 v) { qToLittleEndian(v, grow(4)); }
    void f64(double v) { qToLittleEndian(std::bit_cast<quint64>(v), grow(8)); }
    void zeros(qsizetype n) { std::memset(grow(n), 0, size_t(n)); }
    void patch16(qsizetype pos, quint16 v) { qToLittleEndian(v, at(pos)); }
    void patch32(qsizetype pos, quint32 v) { qToLittleEndian(v, at(pos)); }

    // A record: its header now, its length when it ends.
    qsizetype begin(quint16 id)
    {
        u16(id);
        u16(0);
        return m_size;
    }
    void end(qsizetype dataStart) { patch16(dataStart - 2, quint16(m_size - dataStart)); }
    void record16(quint16 id, quint16 v)
    {
        u16(id);
        u16(2);
        u16(v);
    }
    void empty(quint16 id)
    {
        u16(id);
        u16(0);
    }

    // UTF-16 units as the format stores them: low bytes only when `wide` is false.
    void units(const char16_t* u, qsizetype n, bool wide)
    {
        if (wide) {
            char* p = grow(2 * n);
            if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN)
                std::memcpy(p, u, size_t(2 * n));
            else
                for (qsizetype i = 0; i < n; ++i)
                    qToLittleEndian(quint16(u[i]), p + 2 * i);
        } else {
            char* p = grow(n);
            for (qsizetype i = 0; i < n; ++i)
                p[i] = char(u[i]);
        }
    }

private:
    QByteArray m_data;
    qsizetype m_size = 0;
};

bool needsWide(const char16_t* u, qsizetype n)
{
    return std::any_of(u, u + n, [](char16_t c) { return c > 0xFF; });
}

// The shared string table: every distinct text once, in order of first use.
class StringTable {
public:
    quint32 add(const QString& raw)
    {
        ++m_total;
        const QString text = wholeCharacters(raw);
        return text.size() <= kMaxTextLength ? intern(text) : intern(truncated(text));
    }
    quint32 addDate(const QDate& d)
    {
        ++m_total;
        quint32& slot = m_dates[d.toJulianDay()];
        if (!slot)
            slot = intern(d.toString(Qt::ISODate)) + 1;
        return slot - 1;
    }
    quint32 total() const { return m_total; }
    const QList<QString>& strings() const { return m_strings; }

private:
    quint32 intern(const QString& s)
    {
        quint32& slot = m_index[s];
        if (!slot) {
            m_strings.append(s);
            slot = quint32(m_strings.size());
        }
        return slot - 1;
    }
    // Half of a surrogate pair becomes U+FFFD: readers refuse the whole
    // file over one (xlrd stops with a decoding error). A line break is a
    // lone LF in a cell: a CR LF typed or pasted on another system would
    // show its CR as a stray character, and readers disagree about it.
    static QString wholeCharacters(const QString& text)
    {
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c == u'\r') {
                if (out.isNull())
                    out = text.left(i);
                if (i + 1 >= text.size() || text[i + 1] != u'\n')
                    out += u'\n';
                continue;
            }
            const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            if (pair || !c.isSurrogate()) {
                if (!out.isNull())
                    out += c;
                if (pair) {
                    ++i;
                    if (!out.isNull())
                        out += text[i];
                }
                continue;
            }
            if (out.isNull())
                out = text.left(i);
            out += QChar(QChar::ReplacementCharacter);
        }
        return out.isNull() ? text : out;
    }
    static QString truncated(const QString& text)
    {
        // Never leave half of a surrogate pair at the end.
        qsizetype n = kMaxTextLength;
        if (text.at(n - 1).isHighSurrogate() && text.at(n).isLowSurrogate())
            --n;
        return text.left(n);
    }

    QHash<QString, quint32> m_index;  // text -> index + 1
    QHash<qint64, quint32> m_dates;   // Julian day -> index + 1
    QList<QString> m_strings;
    quint32 m_total = 0;
};

// SST and EXTSST. A string's header stays with its first character; a
// string that goes on in a CONTINUE record restarts there with its option
// byte; a surrogate pair is never parted.
void writeSst(Bytes& b, const StringTable& table)
{
    const QList<QString>& strings = table.strings();
    const auto unique = quint32(strings.size());
    const quint32 perBucket = std::max<quint32>(unique / 128 + 1, 8);
    struct Bucket {
        quint32 streamPos;
        quint16 recordOffset;
    };
    std::vector<Bucket> buckets;
    buckets.reserve((unique + perBucket - 1) / perBucket);

    qsizetype recordStart = b.size();
    qsizetype dataStart = b.begin(kSst);
    b.u32(table.total());
    b.u32(unique);
    auto room = [&] { return kMaxRecordData - (b.size() - dataStart); };
    auto nextRecord = [&] {
        b.end(dataStart);
        recordStart = b.size();
        dataStart = b.begin(kContinue);
    };

    for (quint32 i = 0; i < unique; ++i) {
        const QString& s = strings.at(i);
        const auto* u = reinterpret_cast<const char16_t*>(s.utf16());
        const qsizetype len = s.size();
        const bool wide = needsWide(u, len);
        const int unit = wide ? 2 : 1;
        const bool pairFirst = wide && len > 1 && QChar::isHighSurrogate(u[0]) && QChar::isLowSurrogate(u[1]);
        const int firstChar = len == 0 ? 0 : (pairFirst ? 4 : unit);
        if (room() < 3 + firstChar)
            nextRecord();
        if (i % perBucket == 0)
            buckets.push_back({quint32(b.size()), quint16(b.size() - recordStart)});
        b.u16(quint16(len));
        b.u8(wide ? 1 : 0);
        qsizetype pos = 0;
        for (;;) {
            qsizetype n = std::min<qsizetype>(len - pos, room() / unit);
            if (wide && n > 0 && pos + n < len && QChar::isHighSurrogate(u[pos + n - 1])
                && QChar::isLowSurrogate(u[pos + n]))
                --n;
            b.units(u + pos, n, wide);
            pos += n;
            if (pos == len)
                break;
            nextRecord();
            b.u8(wide ? 1 : 0);
        }
    }
    b.end(dataStart);

    const qsizetype ext = b.begin(kExtSst);
    b.u16(quint16(perBucket));
    for (const Bucket& k : buckets) {
        b.u32(k.streamPos);
        b.u16(k.recordOffset);
        b.u16(0);
    }
    b.end(ext);
}

void writeBof(Bytes& b, quint16 type)
{
    const qsizetype r = b.begin(kBof);
    b.u16(0x0600);  // BIFF8
    b.u16(type);
    b.u16(0x0DBB);  // build
    b.u16(0x07CC);  // year
    b.u32(0);       // file history
    b.u32(6);       // lowest version that can read it
    b.end(r);
}

void writeXf(Bytes& b, quint16 format, bool style, quint8 usedAttributes)
{
    const qsizetype r = b.begin(kXf);
    b.u16(0);  // font
    b.u16(format);
    b.u16(style ? 0xFFF5 : 0x0001);  // locked; a style has no parent, a cell XF has style 0
    b.u8(0x20);                      // bottom aligned
    b.u8(0);                         // rotation
    b.u8(0);                         // indent, shrink, reading order
    b.u8(usedAttributes);
    b.u32(0);  // no borders
    b.u32(0);
    b.u16(0x20C0);  // no pattern: system foreground and background colours
    b.end(r);
}

// Globals up to the sheet list; returns where each BOUNDSHEET's offset goes.
std::vector<qsizetype> writeGlobals(Bytes& b, int sheetCount)
{
    writeBof(b, 0x0005);
    b.record16(kInterfaceHdr, 1200);
    b.record16(kMms, 0);
    b.empty(kInterfaceEnd);
    b.record16(kCodePage, 1200);  // UTF-16 text
    b.record16(kDsf, 0);
    b.record16(kWindowProtect, 0);
    b.record16(kProtect, 0);
    b.record16(kPassword, 0);
    b.record16(kProt4Rev, 0);
    b.record16(kProt4RevPass, 0);

    qsizetype r = b.begin(kWindow1);
    b.u16(0);  // position and size of the window, in twips
    b.u16(0);
    b.u16(0x3A5C);
    b.u16(0x23BE);
    b.u16(0x0038);  // scroll bars and sheet tabs shown
    b.u16(0);       // active sheet
    b.u16(0);       // first tab shown
    b.u16(1);       // sheets selected
    b.u16(600);     // tab bar width, per mille
    b.end(r);

    b.record16(kBackup, 0);
    b.record16(kHideObj, 0);
    b.record16(kDate1904, 0);
    b.record16(kPrecision, 1);
    b.record16(kRefreshAll, 0);
    b.record16(kBookBool, 0);

    // Font index 4 does not exist in the format; four fonts fill 0-3.
    static const char16_t kFontName[] = u"宋体";
    for (int i = 0; i < 4; ++i) {
        r = b.begin(kFont);
        b.u16(200);  // 10 points, in twips
        b.u16(0);
        b.u16(0x7FFF);  // window text colour
        b.u16(400);     // normal weight
        b.u16(0);
        b.u8(0);
        b.u8(0);
        b.u8(134);  // GB2312 character set
        b.u8(0);
        b.u8(2);  // name length, 16-bit characters
        b.u8(1);
        b.units(kFontName, 2, true);
        b.end(r);
    }

    writeXf(b, 0, true, 0x00);
    for (int i = 1; i < 15; ++i)
        writeXf(b, 0, true, 0xF4);
    writeXf(b, 0, false, 0x00);                          // kXfGeneral
    writeXf(b, kBuiltinFormatTwoDecimals, false, 0x04);  // kXfMoney: its number format counts

    r = b.begin(kStyle);
    b.u16(0x8000);  // built-in style on XF 0: "Normal"
    b.u8(0);
    b.u8(0xFF);
    b.end(r);

    std::vector<qsizetype> offsets;
    for (int s = 0; s < sheetCount; ++s) {
        const QString name = QStringLiteral("Sheet%1").arg(s + 1);
        r = b.begin(kBoundSheet);
        offsets.push_back(b.size());
        b.u32(0);  // stream offset of the sheet's BOF, set when known
        b.u8(0);   // visible
        b.u8(0);   // worksheet
        b.u8(quint8(name.size()));
        b.u8(0);
        b.units(reinterpret_cast<const char16_t*>(name.utf16()), name.size(), false);
        b.end(r);
    }
    return offsets;
}

class SheetWriter {
public:
    SheetWriter(Bytes& b, StringTable& strings, const QList<Column>& columns, int columnCount)
        : m_b(b),
          m_strings(strings),
          m_columns(columns),
          m_columnCount(columnCount)
    {}

    // One worksheet: titles, then `cell` rows [first, last).
    void write(bool firstSheet, int first, int last, const CellReader& cell)
    {
        writeBof(m_b, 0x0010);
        m_b.record16(kCalcCount, 100);
        m_b.record16(kCalcMode, 1);
        m_b.record16(kRefMode, 1);
        m_b.record16(kIteration, 0);
        qsizetype r = m_b.begin(kDelta);
        m_b.f64(0.001);
        m_b.end(r);
        m_b.record16(kSaveRecalc, 1);
        m_b.record16(kPrintHeaders, 0);
        m_b.record16(kPrintGridlines, 0);
        m_b.record16(kGridSet, 1);
        r = m_b.begin(kGuts);
        m_b.zeros(8);
        m_b.end(r);
        r = m_b.begin(kDefaultRowHeight);
        m_b.u16(0);
        m_b.u16(255);
        m_b.end(r);
        m_b.record16(kWsBool, 0x04C1);
        m_b.record16(kDefColWidth, 8);
        for (int c = 0; c < m_columnCount; ++c) {
            // Width in 1/256 of a digit; a digit of the default font is 7 pixels.
            const int width = std::clamp(int(std::lround(m_columns.at(c).widthPixels / 7.0)), 0, 255) * 256;
            r = m_b.begin(kColInfo);
            m_b.u16(quint16(c));
            m_b.u16(quint16(c));
            m_b.u16(quint16(width));
            m_b.u16(kXfGeneral);
            m_b.u16(0);
            m_b.u16(0);
            m_b.end(r);
        }
        r = m_b.begin(kDimensions);
        const qsizetype dimensions = m_b.size();
        m_b.zeros(14);
        m_b.end(r);

        m_lastRow = -1;
        m_lastColumn = -1;
        for (int c = 0; c < m_columnCount; ++c)
            text(0, c, m_strings.add(m_columns.at(c).title));
        for (int row = first; row < last; ++row)
            for (int c = 0; c < m_columnCount; ++c)
                value(quint16(row - first + 1), quint16(c), cell(row, c));
        if (m_lastRow >= 0) {
            m_b.patch32(dimensions, 0);
            m_b.patch32(dimensions + 4, quint32(m_lastRow + 1));
            m_b.patch16(dimensions + 8, 0);
            m_b.patch16(dimensions + 10, quint16(m_lastColumn + 1));
        }

        r = m_b.begin(kWindow2);
        m_b.u16(firstSheet ? 0x06B6 : 0x00B6);  // grid, headers, zeros, outline; the first sheet selected and shown
        m_b.u16(0);
        m_b.u16(0);
        m_b.u16(64);  // default header colour
        m_b.u16(0);
        m_b.u16(0);
        m_b.u16(0);
        m_b.u32(0);
        m_b.end(r);
        m_b.empty(kEof);
    }

private:
    void used(quint16 row, quint16 column)
    {
        m_lastRow = std::max<int>(m_lastRow, row);
        m_lastColumn = std::max<int>(m_lastColumn, column);
    }

    // A cell record's type, length, row, column and format; returns where
    // its value goes.
    char* cell(quint16 record, quint16 valueSize, quint16 row, quint16 column, quint16 xf)
    {
        used(row, column);
        char* p = m_b.grow(10 + valueSize);
        qToLittleEndian(record, p);
        qToLittleEndian(quint16(6 + valueSize), p + 2);
        qToLittleEndian(row, p + 4);
        qToLittleEndian(column, p + 6);
        qToLittleEndian(xf, p + 8);
        return p + 10;
    }

    void text(quint16 row, quint16 column, quint32 index)
    {
        qToLittleEndian(index, cell(quint16(kLabelSst), 4, row, column, kXfGeneral));
    }

    void number(quint16 row, quint16 column, double v, quint16 xf)
    {
        qToLittleEndian(std::bit_cast<quint64>(v), cell(quint16(kNumber), 8, row, column, xf));
    }

    void value(quint16 row, quint16 column, const QVariant& v)
    {
        switch (valueKind(v)) {
        case ValueKind::None: return;
        case ValueKind::Text: text(row, column, m_strings.add(v.toString())); return;
        case ValueKind::Date: text(row, column, m_strings.addDate(v.toDate())); return;
        case ValueKind::Number: number(row, column, v.toDouble(), kXfGeneral); return;
        case ValueKind::Amount:
            number(row, column, double(static_cast<const Money*>(v.constData())->raw()) / Money::Scale, kXfMoney);
            return;
        }
    }

    Bytes& m_b;
    StringTable& m_strings;
    const QList<Column>& m_columns;
    const int m_columnCount;
    int m_lastRow = -1;
    int m_lastColumn = -1;
};

// The compound document around one stream "Workbook": the stream's sectors
// first, then the allocation table, its extension (DIFAT) when the table
// needs more than the header's 109 entries, and the directory.
QByteArray compoundDocument(const Bytes& globals, const Bytes& sheets)
{
    const qsizetype streamSize = std::max(globals.size() + sheets.size(), kMiniStreamCutoff);
    const quint32 streamSectors = quint32((streamSize + kSector - 1) / kSector);
    quint32 fatSectors = 0, difatSectors = 0;
    for (;;) {
        const quint32 total = streamSectors + fatSectors + difatSectors + 1;
        const quint32 fat = (total + kIdsPerSector - 1) / kIdsPerSector;
        const quint32 difat = fat > kHeaderDifat ? (fat - kHeaderDifat + kIdsPerSector - 2) / (kIdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const quint32 firstFat = streamSectors;
    const quint32 firstDifat = firstFat + fatSectors;
    const quint32 directory = firstDifat + difatSectors;
    const quint32 sectors = directory + 1;

    QByteArray out(kSector + qsizetype(sectors) * kSector, Qt::Uninitialized);
    char* base = out.data();
    auto sector = [&](quint32 n) { return base + kSector + qsizetype(n) * kSector; };
    auto put32 = [](char* p, quint32 v) { qToLittleEndian(v, p); };
    auto put16 = [](char* p, quint16 v) { qToLittleEndian(v, p); };

    // The stream, padded with zeros.
    std::memcpy(sector(0), globals.data(), size_t(globals.size()));
    std::memcpy(sector(0) + globals.size(), sheets.data(), size_t(sheets.size()));
    std::memset(sector(0) + globals.size() + sheets.size(), 0,
                size_t(qsizetype(streamSectors) * kSector - globals.size() - sheets.size()));

    // Allocation table.
    auto* fat = sector(firstFat);
    for (quint32 i = 0; i < fatSectors * kIdsPerSector; ++i) {
        quint32 v = kFreeSect;
        if (i < streamSectors)
            v = i + 1 < streamSectors ? i + 1 : kEndOfChain;
        else if (i < firstDifat)
            v = kFatSect;
        else if (i < directory)
            v = kDifSect;
        else if (i == directory)
            v = kEndOfChain;
        put32(fat + 4 * qsizetype(i), v);
    }

    // Header.
    char* h = base;
    std::memset(h, 0, kSector);
    static const unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, kSignature, sizeof kSignature);
    put16(h + 0x18, 0x003E);  // minor version
    put16(h + 0x1A, 0x0003);  // major version: 512-byte sectors
    put16(h + 0x1C, 0xFFFE);  // little-endian
    put16(h + 0x1E, 9);       // sector size 2^9
    put16(h + 0x20, 6);       // mini sector size 2^6
    put32(h + 0x2C, fatSectors);
    put32(h + 0x30, directory);
    put32(h + 0x38, quint32(kMiniStreamCutoff));
    put32(h + 0x3C, kEndOfChain);  // no mini allocation table
    put32(h + 0x40, 0);
    put32(h + 0x44, difatSectors ? firstDifat : kEndOfChain);
    put32(h + 0x48, difatSectors);
    for (quint32 i = 0; i < kHeaderDifat; ++i)
        put32(h + 0x4C + 4 * i, i < fatSectors ? firstFat + i : kFreeSect);

    // DIFAT sectors: 127 further FAT sector numbers each, then the next one.
    for (quint32 d = 0; d < difatSectors; ++d) {
        char* p = sector(firstDifat + d);
        for (quint32 k = 0; k < kIdsPerSector - 1; ++k) {
            const quint32 f = kHeaderDifat + d * (kIdsPerSector - 1) + k;
            put32(p + 4 * k, f < fatSectors ? firstFat + f : kFreeSect);
        }
        put32(p + 4 * (kIdsPerSector - 1), d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
    }

    // Directory: the root and the stream; two unused entries.
    char* dir = sector(directory);
    std::memset(dir, 0, kSector);
    auto entry = [&](int i, const char16_t* name, quint8 type, quint32 child, quint32 start, quint32 size) {
        char* e = dir + 128 * i;
        int n = 0;
        for (; name[n]; ++n)
            put16(e + 2 * n, name[n]);
        put16(e + 0x40, quint16(2 * (n + 1)));
        e[0x42] = char(type);
        e[0x43] = 1;  // black
        put32(e + 0x44, kNoStream);
        put32(e + 0x48, kNoStream);
        put32(e + 0x4C, child);
        put32(e + 0x74, start);
        put32(e + 0x78, size);
    };
    entry(0, u"Root Entry", 5, 1, kEndOfChain, 0);
    entry(1, u"Workbook", 2, kNoStream, 0, quint32(streamSize));
    for (int i = 2; i < 4; ++i)
        for (int k = 0; k < 3; ++k)
            put32(dir + 128 * i + 0x44 + 4 * k, kNoStream);
    return out;
}

}  // namespace

ValueKind valueKind(const QVariant& v)
{
    static const int moneyType = qMetaTypeId<Money>();
    switch (v.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::Nullptr: return ValueKind::None;
    case QMetaType::QString: return ValueKind::Text;
    case QMetaType::QDate: return v.toDate().isValid() ? ValueKind::Date : ValueKind::None;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong: return std::isfinite(v.toDouble()) ? ValueKind::Number : ValueKind::Text;
    default: return v.typeId() == moneyType ? ValueKind::Amount : ValueKind::Text;
    }
}

QByteArray workbook(const QList<Column>& columns, int rowCount, const CellReader& cell)
{
    rowCount = std::max(rowCount, 0);
    const int columnCount = std::min(int(columns.size()), kMaxColumns);
    const int sheetCount = std::max(1, int((qint64(rowCount) + kRowsPerSheet - 1) / kRowsPerSheet));

    StringTable strings;
    // Text and number cells take 14 and 18 bytes.
    Bytes sheets(qsizetype(rowCount + sheetCount) * columnCount * 15 + sheetCount * 1024);
    std::vector<qsizetype> sheetStarts;
    SheetWriter writer(sheets, strings, columns, columnCount);
    for (int s = 0; s < sheetCount; ++s) {
        sheetStarts.push_back(sheets.size());
        const int first = s * kRowsPerSheet;
        writer.write(s == 0, first, std::min(rowCount, first + kRowsPerSheet), cell);
    }

    Bytes globals;
    const std::vector<qsizetype> offsets = writeGlobals(globals, sheetCount);
    writeSst(globals, strings);
    globals.empty(kEof);
    for (int s = 0; s < sheetCount; ++s)
        globals.patch32(offsets[s], quint32(globals.size() + sheetStarts[s]));
    return compoundDocument(globals, sheets);
}

}  // namespace Xls
