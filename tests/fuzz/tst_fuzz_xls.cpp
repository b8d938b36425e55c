// The workbook writer on small tables of typed cells decoded from the input:
// titles, widths, text of any kind (lone surrogates, NUL, longer than the
// format holds), dates, amounts, whole numbers, doubles (NaN and infinity
// too). Every workbook is checked in C++ for its structure (compound
// document, allocation table, BIFF records, one cell per value); in the
// CTest run all of them are then read back by xlrd in one python process
// and compared cell by cell.
#include "data/Money.h"
#include "tests/fuzz/Fuzz.h"
#include "tests/support/XlsCells.h"
#include "ui/XlsWriter.h"

#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

#include <bit>
#include <cmath>

FUZZ_RUNS(2000);

namespace {

struct Table {
    QList<Xls::Column> columns;
    QList<QVariantList> rows;
};

QString text(Fuzz::Bytes& in)
{
    switch (in.below(5)) {
    case 0: {  // UTF-16 units as they come: half pairs, NUL, anything
        QString s;
        for (unsigned n = in.below(8); n > 0; --n)
            s += QChar(char16_t(in.u8() << 8 | in.u8()));
        return s;
    }
    case 1:  // longer than a record, or than the format's 32,767
        return QString(int(200 + in.below(40000)),
                       QChar(char16_t(in.below(3) ? u'x' + in.below(3) : 0x4E00 + in.u8())));
    default: return QString::fromUtf8(in.take(in.below(14)));
    }
}

QVariant cell(Fuzz::Bytes& in)
{
    switch (in.below(10)) {
    case 0: return QVariant();
    case 1:
    case 2: return text(in);
    case 3: return QDate(1, 1, 1).addDays(qint64(in.u64() % 3652059));
    case 4: return QVariant::fromValue(Money::fromRaw(qint64(in.u64()) >> in.below(64)));
    case 5: return QVariant(qlonglong(in.u64()) >> in.below(64));
    case 6: return QVariant(int(in.u64()));
    case 7: return QVariant(std::bit_cast<double>(in.u64()));
    case 8: return QVariant(bool(in.u8() & 1));
    default: return QVariant(QString());  // a null text: an empty text cell
    }
}

Table decode(const uint8_t* data, size_t size)
{
    Fuzz::Bytes in(data, size);
    Table t;
    const int cols = 1 + int(in.below(6));
    for (int c = 0; c < cols; ++c)
        t.columns.append({text(in), int(in.below(2200)) - 100});
    const int rows = int(in.below(9));
    for (int r = 0; r < rows; ++r) {
        QVariantList row;
        for (int c = 0; c < cols; ++c)
            row << cell(in);
        t.rows << row;
    }
    return t;
}

using XlsCells::expected;

// ---- the structure, read the way a strict reader would

struct Reader {
    const QByteArray& f;
    QString problem;
    quint32 u32(qsizetype at) const
    {
        return at + 4 <= f.size() ? qFromLittleEndian<quint32>(f.constData() + at) : 0xFFFFFFFF;
    }
    quint16 u16(qsizetype at) const
    {
        return at + 2 <= f.size() ? qFromLittleEndian<quint16>(f.constData() + at) : 0xFFFF;
    }
    bool bad(const QString& why)
    {
        problem = why;
        return false;
    }
};

// The compound document and the BIFF records of the stream "Workbook".
bool checkStructure(const QByteArray& file, const Table& t, QString* why)
{
    Reader r{file, {}};
    auto result = [&]() -> bool {
        if (file.size() < 1024 || (file.size() - 512) % 512
            || !file.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
            return r.bad(QStringLiteral("not whole sectors of a compound document"));
        if (r.u16(0x1C) != 0xFFFE || r.u16(0x1E) != 9 || r.u16(0x20) != 6 || r.u32(0x38) != 4096)
            return r.bad(QStringLiteral("header"));
        const quint32 sectors = quint32((file.size() - 512) / 512);
        const quint32 fatCount = r.u32(0x2C);
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i)
            if (r.u32(0x4C + 4 * i) != 0xFFFFFFFF)
                fatSectors << r.u32(0x4C + 4 * i);
        for (quint32 d = r.u32(0x44), n = 0; d != 0xFFFFFFFE; ++n) {
            if (d >= sectors || n > r.u32(0x48))
                return r.bad(QStringLiteral("DIFAT chain"));
            for (int i = 0; i < 127; ++i)
                if (r.u32(512 + 512 * qsizetype(d) + 4 * i) != 0xFFFFFFFF)
                    fatSectors << r.u32(512 + 512 * qsizetype(d) + 4 * i);
            d = r.u32(512 + 512 * qsizetype(d) + 508);
        }
        if (quint32(fatSectors.size()) != fatCount)
            return r.bad(QStringLiteral("%1 FAT sectors listed, header says %2").arg(fatSectors.size()).arg(fatCount));
        QList<quint32> fat;
        for (quint32 s : fatSectors) {
            if (s >= sectors)
                return r.bad(QStringLiteral("FAT sector outside the file"));
            for (int i = 0; i < 128; ++i)
                fat << r.u32(512 + 512 * qsizetype(s) + 4 * i);
        }
        if (quint32(fat.size()) < sectors)
            return r.bad(QStringLiteral("FAT does not cover the file"));
        auto chain = [&](quint32 s, QList<quint32>* out) {
            QSet<quint32> seen;
            for (; s != 0xFFFFFFFE; s = fat[s]) {
                if (s >= sectors || seen.contains(s))
                    return false;
                seen.insert(s);
                *out << s;
            }
            return true;
        };
        QList<quint32> dirs;
        if (!chain(r.u32(0x30), &dirs))
            return r.bad(QStringLiteral("directory chain"));
        quint32 start = 0xFFFFFFFF;
        quint64 size = 0;
        for (quint32 d : dirs)
            for (int e = 0; e < 4; ++e) {
                const qsizetype at = 512 + 512 * qsizetype(d) + 128 * e;
                if (file.at(at + 0x42) == 2 && file.mid(at, 16) == QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16)) {
                    start = r.u32(at + 0x74);
                    size = r.u32(at + 0x78);
                }
            }
        QList<quint32> streamSectors;
        if (start == 0xFFFFFFFF || size < 4096 || !chain(start, &streamSectors)
            || quint64(streamSectors.size()) != (size + 511) / 512)
            return r.bad(QStringLiteral("no whole stream \"Workbook\""));
        QByteArray stream;
        for (quint32 s : streamSectors)
            stream += file.mid(512 + 512 * qsizetype(s), 512);
        stream.truncate(qsizetype(size));

        // Records: BOF of the globals, one BOF and EOF per sheet, a cell
        // record for every title and value, SST indexes inside the table.
        Reader s{stream, {}};
        const int sheets = std::max(1, int((t.rows.size() + Xls::kRowsPerSheet - 1) / Xls::kRowsPerSheet));
        int bofs = 0, eofs = 0, cells = 0;
        quint32 unique = 0;
        bool sawSst = false;
        qsizetype pos = 0;
        while (pos + 4 <= stream.size()) {
            const quint16 type = s.u16(pos), len = s.u16(pos + 2);
            if (len > 8224 || pos + 4 + len > stream.size())
                return r.bad(QStringLiteral("record %1 at %2 runs past the stream").arg(type, 0, 16).arg(pos));
            if (pos == 0 && (type != 0x0809 || s.u16(4) != 0x0600 || s.u16(6) != 0x0005))
                return r.bad(QStringLiteral("the stream does not start with the globals' BOF"));
            if (type == 0x0809)
                ++bofs;
            else if (type == 0x000A)
                ++eofs;
            else if (type == 0x00FC) {
                sawSst = true;
                unique = s.u32(pos + 8);
            } else if (type == 0x00FD) {
                ++cells;
                if (s.u32(pos + 4 + 6) >= unique)
                    return r.bad(QStringLiteral("text cell points past the string table"));
            } else if (type == 0x0203 || type == 0x027E) {
                ++cells;
            }
            pos += 4 + len;
            if (type == 0x000A && eofs == sheets + 1)
                break;
        }
        int values = 0;
        for (const QVariantList& row : t.rows)
            for (int c = 0; c < std::min<int>(int(row.size()), 256); ++c)
                values += expected(row[c])[0].toInt() != 0;
        const int titles = std::min<int>(int(t.columns.size()), 256) * sheets;
        if (!sawSst || bofs != sheets + 1 || eofs != sheets + 1 || cells != titles + values)
            return r.bad(QStringLiteral("%1 BOF, %2 EOF, %3 cells; expected %4 sheets and %5 cells")
                             .arg(bofs)
                             .arg(eofs)
                             .arg(cells)
                             .arg(sheets)
                             .arg(titles + values));
        return true;
    }();
    *why = r.problem;
    return result;
}

// ---- the batch read-back (CTest only)

struct Written {
    QString path;
    QByteArray input;
    Table table;
};

struct Batch {
    QTemporaryDir dir;
    QList<Written> files;
};

Batch& batch()
{
    static Batch* b = [] {
        auto* b = new Batch;
        Fuzz::atFinish([b] {
            QStringList paths;
            for (const Written& w : b->files)
                paths << w.path;
            QString error;
            const QJsonArray books = XlsCells::readBack(paths, &error);
            if (!error.isEmpty())
                Fuzz::failWithInput(error, {});
            for (qsizetype i = 0; i < books.size(); ++i) {
                const Written& w = b->files[i];
                const QJsonObject book = books[i].toObject();
                auto fail = [&](const QString& why) {
                    Fuzz::failWithInput(QStringLiteral("%1: %2").arg(w.path, why), w.input);
                };
                if (book.contains(QStringLiteral("error")))
                    fail(QStringLiteral("xlrd cannot read it: %1").arg(book[QStringLiteral("error")].toString()));
                if (!book[QStringLiteral("log")].toString().isEmpty())
                    fail(QStringLiteral("xlrd complained: %1").arg(book[QStringLiteral("log")].toString()));
                const QJsonArray sheets = book[QStringLiteral("sheets")].toArray();
                if (sheets.size() != 1 || sheets[0][QStringLiteral("name")] != QStringLiteral("Sheet1"))
                    fail(QStringLiteral("one sheet \"Sheet1\" expected"));
                const QJsonArray rows = sheets[0][QStringLiteral("rows")].toArray();
                const QJsonArray widths = sheets[0][QStringLiteral("widths")].toArray();
                const QList<Xls::Column>& cols = w.table.columns;
                // Rows of empty cells at the end have nothing for a reader to count.
                if (rows.size() > w.table.rows.size() + 1)
                    fail(QStringLiteral("%1 rows, expected %2").arg(rows.size()).arg(w.table.rows.size() + 1));
                for (int c = 0; c < cols.size(); ++c) {
                    const int want = std::clamp(int(std::lround(cols[c].widthPixels / 7.0)), 0, 255) * 256;
                    if (widths[c].toInt(-1) != want)
                        fail(QStringLiteral("column %1 width %2 for %3 pixels")
                                 .arg(c)
                                 .arg(widths[c].toInt(-1))
                                 .arg(cols[c].widthPixels));
                }
                for (qsizetype r = 0; r <= w.table.rows.size(); ++r)
                    for (int c = 0; c < cols.size(); ++c) {
                        const QJsonArray want = r == 0 ? expected(cols[c].title) : expected(w.table.rows[r - 1][c]);
                        const QJsonArray row = rows[r].toArray();
                        const QJsonArray got = c < row.size() ? row[c].toArray() : QJsonArray{0, QString()};
                        // Numbers by value: the JSON reader may keep a whole one as an integer.
                        const bool same
                            = got.size() == want.size() && got[0] == want[0]
                              && (got[0].toInt() == 2 ? got[1].toDouble() == want[1].toDouble() && got[2] == want[2]
                                                      : got[1] == want[1]);
                        if (!same)
                            fail(
                                QStringLiteral("row %1 column %2: %3, expected %4")
                                    .arg(r)
                                    .arg(c)
                                    .arg(QString::fromUtf8(QJsonDocument(got).toJson(QJsonDocument::Compact)).left(200),
                                         QString::fromUtf8(QJsonDocument(want).toJson(QJsonDocument::Compact))
                                             .left(200)));
                    }
            }
            std::printf("fuzz xls: %lld workbooks read back by xlrd\n", (long long)b->files.size());
            b->dir.remove();  // a failure above keeps the files for a look
        });
        return b;
    }();
    return *b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Table t = decode(data, size);
    const QByteArray file = Xls::workbook(t.columns, int(t.rows.size()), [&t](int r, int c) { return t.rows[r][c]; });
    QString why;
    if (!checkStructure(file, t, &why))
        Fuzz::fail(QStringLiteral("workbook structure: %1").arg(why));
    if (Fuzz::underLibFuzzer())
        return 0;
    Batch& b = batch();
    const QString path = b.dir.filePath(QStringLiteral("%1.xls").arg(b.files.size()));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(file) != file.size())
        Fuzz::fail(QStringLiteral("cannot write %1").arg(path));
    b.files.append({path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), t});
    return 0;
}
