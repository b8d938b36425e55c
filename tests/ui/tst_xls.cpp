// The Excel writer, read back by an independent reader (xlrd) cell by cell:
// types, values, number formats, column widths, sheets.
#include "data/Money.h"
#include "tests/support/Failure.h"
#include "tests/support/HostileText.h"
#include "tests/support/XlsCells.h"
#include "ui/SheetFile.h"
#include "ui/XlsWriter.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

using XlsCells::kEmpty, XlsCells::kNumber, XlsCells::kText;

struct Table {
    QList<Xls::Column> columns;
    int rows = 0;
    Xls::CellReader cell;
};

QString write(const QTemporaryDir& dir, const QString& name, const Table& t, DRIVER_HERE)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    const QByteArray bytes = Xls::workbook(t.columns, t.rows, t.cell);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        Driver::fail(QStringLiteral("cannot write %1").arg(path), where);
    return path;
}

// The files read back: .xls by xlrd, or (`others`) .xlsx and .csv by
// openpyxl and Python's csv module.
QJsonArray readBack(const QStringList& paths, bool others = false, DRIVER_HERE)
{
    QString error;
    const QJsonArray books = XlsCells::readBack(paths, &error, 120000, others);
    if (!error.isEmpty())
        Driver::fail(error, where);
    for (const QJsonValue& book : books)
        if (book.toObject().contains(QStringLiteral("error")))
            Driver::fail(QStringLiteral("cannot read it back: %1").arg(book[QStringLiteral("error")].toString()),
                         where);
    return books;
}

QString show(const QJsonValue& v)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
}

using XlsCells::expected;

// Fails the test with `text`, its %1, %2, ... filled in order.
template <class... Args> [[noreturn]] void failWith(const SourceLocation& where, const char* text, const Args&... args)
{
    QString message = QString::fromUtf8(text);
    ((message = message.arg(args)), ...);
    Driver::fail(message, where);
}

// Every sheet, title and cell of `book` against the table.
void compare(const QJsonValue& book, const Table& t, DRIVER_HERE)
{
    if (const QString log = book[QStringLiteral("log")].toString(); !log.isEmpty())
        failWith(where, "xlrd complained: %1", log);
    if (const QJsonArray cfb = book[QStringLiteral("cfb")].toArray(); !cfb.isEmpty())
        failWith(where, "compound document: %1", show(cfb));
    if (const QJsonArray broken = book[QStringLiteral("sst")][QStringLiteral("broken")].toArray(); !broken.isEmpty())
        failWith(where, "shared string table: %1", show(broken));
    const QJsonArray sheets = book[QStringLiteral("sheets")].toArray();
    const int sheetCount = std::max(1, (t.rows + Xls::kRowsPerSheet - 1) / Xls::kRowsPerSheet);
    if (sheets.size() != sheetCount)
        failWith(where, "%1 sheets, expected %2", sheets.size(), sheetCount);
    for (int s = 0; s < sheetCount; ++s) {
        const QJsonObject sheet = sheets[s].toObject();
        if (sheet[QStringLiteral("name")].toString() != QStringLiteral("Sheet%1").arg(s + 1))
            failWith(where, "sheet %1 is named %2", s + 1, sheet[QStringLiteral("name")].toString());
        const QJsonArray widths = sheet[QStringLiteral("widths")].toArray();
        for (int c = 0; c < t.columns.size(); ++c)
            if (const int want = qRound(t.columns[c].widthPixels / 7.0) * 256; widths[c].toInt(-1) != want)
                failWith(where, "sheet %1 column %2 width %3, expected %4", s + 1, c, show(widths[c]), want);
        const QJsonArray rows = sheet[QStringLiteral("rows")].toArray();
        const int first = s * Xls::kRowsPerSheet;
        const int count = std::min(t.rows - first, Xls::kRowsPerSheet);
        if (rows.size() != count + 1)
            failWith(where, "sheet %1 has %2 rows, expected titles and %3", s + 1, rows.size(), count);
        for (int r = 0; r <= count; ++r)
            for (int c = 0; c < t.columns.size(); ++c) {
                const QJsonArray want
                    = r == 0 ? QJsonArray{kText, t.columns[c].title} : expected(t.cell(first + r - 1, c));
                if (rows[r][c].toArray() != want)
                    failWith(where, "sheet %1 row %2 column %3: %4, expected %5", s + 1, r, c, show(rows[r][c]),
                             show(want));
            }
    }
}

QVariant money(qint64 raw) { return QVariant::fromValue(Money::fromRaw(raw)); }

// One row of every kind of value a grid holds.
Table mixedRow()
{
    static const QVariantList values = {
        QStringLiteral("007"),
        QStringLiteral("=1+1"),
        QStringLiteral("他说\"好\"，'行'"),
        QStringLiteral("两行\r\n第二行"),
        QDate(2012, 5, 20),
        money(-1234567),
        money(0),
        money(5),
        money(123456789012),
        QVariant(),
        qlonglong(42),
        2.5,
        true,
        QString(),
    };
    Table t;
    for (int c = 0; c < values.size(); ++c)
        t.columns.append({QStringLiteral("列%1").arg(c), 100});
    t.columns[1].widthPixels = 3;   // rounds to 0 digits
    t.columns[2].widthPixels = 11;  // 1.57 -> 2 digits
    t.columns[3].widthPixels = 250;
    t.rows = 1;
    t.cell = [](int, int c) { return values[c]; };
    return t;
}

// A column of numbers and a column of dates (text), `rows` long.
Table numbered(int rows)
{
    return {{{QStringLiteral("序号"), 60}, {QStringLiteral("日期"), 100}}, rows, [](int r, int c) -> QVariant {
                return c == 0 ? QVariant(qlonglong(r)) : QVariant(QDate(2000, 1, 1).addDays(r % 4000));
            }};
}

// Strings for the shared string table laid out so that its record limits
// fall at every place that matters: before a string's 3-byte header, inside
// it, right after it, inside and between the characters of compressed,
// 16-bit and surrogate-pair text. The layout follows the format's rules: the
// table's first record holds 8 bytes of counts, a record at most 8,224 bytes,
// a header stays with its first character, a continued string restarts with
// an option byte, a surrogate pair is never parted; strings are stored in
// order of first use (the title, then the rows). A writer that lays out
// otherwise still has to read back right, only the aim is off.
class BoundaryStrings {
public:
    // `before`: the strings already used, in order.
    explicit BoundaryStrings(const QStringList& before)
    {
        for (const QString& s : before)
            place(s);
    }

    QStringList build()
    {
        const qsizetype start = m_strings.size();
        const QList<std::function<QString(int)>> kinds = {
            [](int k) { return QStringLiteral("~%1").arg(k).leftJustified(20, u'~'); },  // compressed
            [](int k) {
                return QStringLiteral("é%1").arg(k).leftJustified(20, QChar(0xFF));
            },                                                                             // compressed, high bytes
            [](int k) { return QStringLiteral("中%1").arg(k).leftJustified(20, u'文'); },  // 16-bit
            [](int k) { return QString::fromUcs4(U"😀😁😂😃😄😅😆😇") + QString::number(k); },     // pairs from the start
            [](int k) {
                return QStringLiteral("中") + QString::fromUcs4(U"\U00020000\U00020001") + QString::number(k);
            },
        };
        int serial = 0;
        for (const auto& kind : kinds)
            for (int gap = 0; gap <= 12; ++gap) {
                // Fill the record up to `gap` bytes before its end.
                while (m_room - gap != 0) {
                    const int fill = m_room - gap;
                    int length = nextLength();
                    if (fill >= 4 && !(3 + length == fill || 3 + length <= fill - 4))
                        length = fill - 3 <= 300 ? fill - 3 : std::min(300, fill - 7);
                    if (fill < 4)
                        length = 300;  // cannot fit exactly: run into the next record
                    place(filler(length));
                }
                place(kind(serial++));
            }
        return m_strings.mid(start);
    }

private:
    int nextLength() { return m_cycle = m_cycle % 300 + 1; }

    // Distinct text of `length` characters, different from every target.
    QString filler(int length)
    {
        static const QString digits = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
        QString s;
        for (int n = m_used[length]++; n || s.isEmpty(); n /= 62)
            s.prepend(digits[n % 62]);
        return s.leftJustified(length, u'.');
    }

    void place(const QString& s)
    {
        if (m_seen.contains(s))
            return;
        m_seen.insert(s);
        const bool wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
        const int unit = wide ? 2 : 1;
        const int first = s.isEmpty() ? 0 : (s[0].isHighSurrogate() ? 4 : unit);
        if (m_room < 3 + first)
            m_room = kRecord;
        m_room -= 3;
        for (qsizetype pos = 0;;) {
            qsizetype n = std::min<qsizetype>(s.size() - pos, m_room / unit);
            if (n > 0 && pos + n < s.size() && s[pos + n - 1].isHighSurrogate())
                --n;
            m_room -= int(n) * unit;
            pos += n;
            if (pos == s.size())
                break;
            m_room = kRecord - 1;
        }
        m_strings << s;
    }

    static constexpr int kRecord = 8224;
    int m_room = kRecord - 8;
    int m_cycle = 0;
    QHash<int, int> m_used;
    QSet<QString> m_seen;
    QStringList m_strings;
};

// What a .csv field holds for a model value: the text a cell shows, money
// with two decimals.
QJsonArray expectedCsv(const QVariant& v)
{
    const QJsonArray cell = XlsCells::expected(v);
    if (v.metaType() == QMetaType::fromType<Money>())
        return {kText, v.value<Money>().twoDecimals()};
    if (cell[0] == kNumber)
        return {kText, v.toString()};
    return {kText, cell[1].toString()};
}

// An empty text and no cell are one thing to these readers.
QJsonArray blankAsText(QJsonArray cell) { return cell[0] == kEmpty ? QJsonArray{kText, QString()} : cell; }

Table hostileColumn()
{
    static const QList<Hostile::Sample>& samples = Hostile::corpus();
    return {
        {{QStringLiteral("文本"), 120}}, int(samples.size()), [](int r, int) -> QVariant { return samples[r].text; }};
}
}  // namespace

class TstXls : public QObject {
    Q_OBJECT
private slots:
    // Rows 0, 1, 65,535 and 65,536: sheets, titles, every kind of value, widths.
    void sheetsAndCells()
    {
        TEST_BEGIN
        QTemporaryDir dir;
        Table empty = mixedRow();
        empty.rows = 0;
        const QList<Table> tables = {empty, mixedRow(), numbered(Xls::kRowsPerSheet), numbered(Xls::kRowsPerSheet + 1)};
        QStringList paths;
        for (int i = 0; i < tables.size(); ++i)
            paths << write(dir, QStringLiteral("t%1.xls").arg(i), tables[i]);
        const QJsonArray books = readBack(paths);
        for (int i = 0; i < tables.size(); ++i)
            compare(books[i], tables[i]);
        // compare() splits the rows as the writer does; a sheet holds what the
        // format allows: the titles and 65,535 rows.
        QCOMPARE(Xls::kRowsPerSheet, 65535);
        // Column widths as the grid shows them: 100 pixels are 14 digits.
        QCOMPARE(books[1][QStringLiteral("sheets")][0][QStringLiteral("widths")][0].toInt(), 3584);
        TEST_END
    }

    // Over 7,143,424 bytes the 109 allocation-table sectors the header lists
    // are not enough: the table continues in extension sectors.
    void largeFile()
    {
        TEST_BEGIN
        QTemporaryDir dir;
        const Table t{
            {{QStringLiteral("项目"), 100}, {QStringLiteral("金额"), 100}, {QStringLiteral("日期"), 80}},
            100000,
            [](int r, int c) -> QVariant {
                if (c == 0)
                    return QStringLiteral("收支记录第%1条").arg(r, 6, 10, QChar(u'0')).leftJustified(40, u'账');
                if (c == 1)
                    return money(qint64(r) * 7919 - 300000000);
                return QDate(2012, 1, 1).addDays(r % 3000);
            }};
        const QString path = write(dir, QStringLiteral("big.xls"), t);
        QVERIFY2(QFileInfo(path).size() > 7143424, qPrintable(QString::number(QFileInfo(path).size())));
        compare(readBack({path})[0], t);
        TEST_END
    }

    // Text never turns into anything else and survives the string table's
    // record limits wherever they fall.
    void stringsAcrossRecordLimits()
    {
        TEST_BEGIN
        QTemporaryDir dir;
        QStringList special = {
            QStringLiteral("\"双引号\" 'single' \"\""),
            QStringLiteral("第一行\n第二行\r\n第三行\t制表"),
            QString(255, u'长'),
            QString(300, u'x'),
            QString(300, u'长'),
            QStringLiteral("家庭记账本：餐饮、交通、工资"),
            QString::fromUcs4(U"𠀀𠀁𝄞😀 beyond the basic plane"),
            QStringLiteral("Café déjà vu ÿ"),
            QString(),
            QStringLiteral("007"),
            QStringLiteral("007"),
        };
        const QStringList strings = special + BoundaryStrings(QStringList{QStringLiteral("文本")} + special).build();
        QVERIFY(strings.size() > 3000);
        const Table t{
            {{QStringLiteral("文本"), 300}}, int(strings.size()), [&](int r, int) -> QVariant { return strings[r]; }};
        const QJsonValue book = readBack({write(dir, QStringLiteral("strings.xls"), t)})[0];
        compare(book, t);
        // The limits fell where aimed: inside every early byte of compressed
        // and 16-bit strings, and where a header or a pair had to move on.
        QSet<int> compressed, wide, gaps;
        for (const QJsonValue v : book[QStringLiteral("sst")][QStringLiteral("splits")].toArray())
            (v[0].toInt() ? wide : compressed).insert(v[1].toInt());
        for (const QJsonValue v : book[QStringLiteral("sst")][QStringLiteral("gaps")].toArray())
            gaps.insert(v.toInt());
        for (int n = 1; n <= 12; ++n)
            QVERIFY2((n < 4 || compressed.contains(n)) && (n < 5 || n % 2 == 0 || wide.contains(n))
                         && (n > 6 || gaps.contains(n)),
                     qPrintable(QString::number(n)));
        TEST_END
    }

    // The three formats of the export, each read back by its own reader,
    // agree with what the model holds, cell by cell; a file is whole or none.
    void formatsAgree_data()
    {
        QTest::addColumn<int>("table");
        QTest::newRow("every kind of value") << 0;
        QTest::newRow("hostile texts") << 1;
        QTest::newRow("3,000 dated rows") << 2;
    }
    void formatsAgree()
    {
        QFETCH(int, table);
        TEST_BEGIN
        const Table t = table == 0 ? mixedRow() : table == 1 ? hostileColumn() : numbered(3000);
        QTemporaryDir dir;
        const QList<SheetFile::Sheet> sheets{{QString(), t.columns, t.rows, t.cell}};
        QStringList paths;
        for (SheetFile::Format f : {SheetFile::Format::Xls, SheetFile::Format::Xlsx, SheetFile::Format::Csv}) {
            paths << dir.filePath(QStringLiteral("list") + SheetFile::suffix(f));
            QString error;
            QVERIFY2(SheetFile::write(f, paths.last(), sheets, {}, &error), qPrintable(error));
        }
        compare(readBack({paths[0]})[0], t);
        const QJsonArray others = readBack(paths.mid(1), true);
        QVERIFY(others[1][QStringLiteral("bom")].toBool());
        for (int book = 0; book < 2; ++book) {
            const QJsonArray rows = others[book][QStringLiteral("sheets")][0][QStringLiteral("rows")].toArray();
            QCOMPARE(rows.size(), t.rows + 1);
            for (int r = 0; r <= t.rows; ++r)
                for (int c = 0; c < t.columns.size(); ++c) {
                    const QVariant v = r ? t.cell(r - 1, c) : QVariant(t.columns[c].title);
                    const QJsonArray want = blankAsText(book == 0 ? XlsCells::expected(v) : expectedCsv(v));
                    const QJsonArray got = blankAsText(rows[r][c].toArray());
                    if (got != want)
                        QFAIL(qPrintable(QStringLiteral("%1 row %2 column %3: %4, expected %5")
                                             .arg(paths[book + 1])
                                             .arg(r)
                                             .arg(c)
                                             .arg(show(got), show(want))));
                }
        }
        // Stopped half-way: no file, no part left; a file of that name stays as it was.
        for (const QString& path : paths) {
            QFile::remove(path);
            bool cancelled = false;
            QString error;
            QVERIFY(!SheetFile::write(
                SheetFile::formatOfFilter(SheetFile::filters()[paths.indexOf(path)]), path,
                {{QString(), t.columns, 5000, [&t](int r, int c) { return t.cell(r % t.rows, c); }}},
                [](qint64) { return false; }, &error, &cancelled));
            QVERIFY(cancelled);
            QCOMPARE(error, QStringLiteral("已取消"));
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part")),
                     QStringList());
        }
        TEST_END
    }

    // A second, unrelated reader, where one is installed.
    void libreOfficeReadsTheSameCells()
    {
        TEST_BEGIN
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: the cross-check with a second reader is skipped");
        QTemporaryDir dir;
        const QList<Table> tables = {mixedRow(), numbered(300)};
        QStringList paths;
        for (int i = 0; i < tables.size(); ++i) {
            paths << write(dir, QStringLiteral("lo%1.xls").arg(i), tables[i]);
            // The same list as .xlsx, read by the same second reader.
            paths << dir.filePath(QStringLiteral("lo%1x.xlsx").arg(i));
            QVERIFY(SheetFile::write(SheetFile::Format::Xlsx, paths.last(),
                                     {{QString(), tables[i].columns, tables[i].rows, tables[i].cell}}, {}, nullptr));
        }
        QProcess p;
        // A profile of its own: no first-start dialogs, no clash with a running office.
        p.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=")
                                         + QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(),
                                     QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
                                     QStringLiteral("--outdir"), dir.path()}
                             + paths);
        QVERIFY(p.waitForFinished(180000));
        for (int k = 0; k < 2 * tables.size(); ++k) {
            const int i = k / 2;
            // Fields as shown: money with two decimals, text as is.
            QProcess csv;
            csv.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral("-c"),
                       QStringLiteral("import csv, json, sys; print(json.dumps(list(csv.reader(open(sys.argv[1], "
                                      "newline='', encoding='utf-8')))))"),
                       dir.filePath((k % 2 ? QStringLiteral("lo%1x.csv") : QStringLiteral("lo%1.csv")).arg(i))});
            QVERIFY2(csv.waitForFinished(30000) && csv.exitCode() == 0,
                     qPrintable(QString::fromUtf8(p.readAllStandardError() + csv.readAllStandardError())));
            const QJsonArray rows = QJsonDocument::fromJson(csv.readAllStandardOutput()).array();
            const Table& t = tables[i];
            QCOMPARE(rows.size(), t.rows + 1);
            for (int c = 0; c < t.columns.size(); ++c)
                QCOMPARE(rows[0][c].toString(), t.columns[c].title);
            for (int r = 0; r < t.rows; ++r)
                for (int c = 0; c < t.columns.size(); ++c) {
                    const QVariant v = t.cell(r, c);
                    QString want = XlsCells::storedText(v.toString());
                    if (v.metaType() == QMetaType::fromType<Money>())
                        want = QString::number(v.value<Money>().toDouble(), 'f', 2);
                    else if (v.typeId() == QMetaType::QDate)
                        want = v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
                    QCOMPARE(rows[r + 1][c].toString(), want);
                }
        }
        TEST_END
    }
};

QTEST_GUILESS_MAIN(TstXls)
#include "tst_xls.moc"
